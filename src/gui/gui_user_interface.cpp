#include "gui/gui_user_interface.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpacerItem>

#include "gui/about_dialog.h"
#include "gui/main_window_widget.h"
#include "gui/pda_settings_window.h"
#include "gui/progress_window.h"
#include "gui/qt_text.h"
#include "gui/report_dialog.h"

namespace quillon::gui {

namespace {

constexpr const char* kApplicationName = "quillon";
// What a system message box shows when it is given no caption and no owner.
constexpr const char* kDefaultCaption = "Error";

QMessageBox::Icon iconOf(ui::Icon icon) {
    switch (icon) {
        case ui::Icon::Error:
            return QMessageBox::Critical;
        case ui::Icon::Warning:
            return QMessageBox::Warning;
        case ui::Icon::Question:
            return QMessageBox::Question;
        case ui::Icon::Information:
            return QMessageBox::Information;
        case ui::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Room a window manager's title bar takes besides the caption: the window's icon and its
// close, minimise and maximise buttons, with their margins.
constexpr int kTitleBarExtra = 160;

}  // namespace

int captionWidth(const QString& caption) {
    QFont title = QApplication::font();
    title.setBold(true);
    return QFontMetrics(title).horizontalAdvance(caption) + kTitleBarExtra;
}

void keepCaptionWhole(QMessageBox& message) {
    // A short text makes a narrow box, and the title bar then cuts its caption ("Updat...
    // plete"). A box never chooses its own width below its caption's: an empty item across
    // the bottom of its layout holds it open.
    auto* grid = qobject_cast<QGridLayout*>(message.layout());
    if (grid == nullptr) {
        return;
    }
    grid->addItem(new QSpacerItem(captionWidth(message.windowTitle()), 0, QSizePolicy::Minimum,
                                  QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QStringList qtNameFilters(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The description's own "(*.hex, *.pda)" is for the eye; Qt reads the patterns from
        // the last parentheses, so they are given again in its form.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')'))) {
            description = description.left(open).trimmed();
        }
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.trimmed());
    }
    return filters;
}

ui::Answer GuiUserInterface::messageBox(const ui::MessageBox& box) {
    QString caption;
    if (box.caption) {
        caption = qText(*box.caption);
    } else {
        caption = QString::fromLatin1(box.owner == ui::Owner::MainWindow ? kApplicationName
                                                                         : kDefaultCaption);
    }
    QWidget* owner = box.owner == ui::Owner::MainWindow && window_.isVisible() ? &window_ : nullptr;
    QMessageBox message(iconOf(box.icon), caption, qText(box.text), QMessageBox::NoButton, owner);
    message.setObjectName(QStringLiteral("messageBox"));
    // The box says that a file did not load; the reader said why.
    if (!pendingReason_.empty()) {
        message.setInformativeText(qText(pendingReason_));
        pendingReason_.clear();
    }
    keepCaptionWhole(message);
    switch (box.buttons) {
        case ui::Buttons::Ok:
            message.setStandardButtons(QMessageBox::Ok);
            break;
        case ui::Buttons::OkCancel:
            message.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case ui::Buttons::YesNo:
            message.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
    }
    // After a failure, Enter takes the answer that stops; going on must be chosen.
    if (box.defaultStops()) {
        message.setDefaultButton(box.buttons == ui::Buttons::YesNo ? QMessageBox::No
                                                                   : QMessageBox::Cancel);
    } else if (box.buttons == ui::Buttons::YesNo) {
        message.setDefaultButton(QMessageBox::Yes);
    } else if (box.buttons == ui::Buttons::OkCancel) {
        message.setDefaultButton(QMessageBox::Ok);
    }
    switch (message.exec()) {
        case QMessageBox::Ok:
            return ui::Answer::Ok;
        case QMessageBox::Yes:
            return ui::Answer::Yes;
        case QMessageBox::No:
            return ui::Answer::No;
        default:
            // Escape or the close box: Cancel where offered, No for a Yes/No question.
            return box.buttons == ui::Buttons::YesNo ? ui::Answer::No
                   : box.buttons == ui::Buttons::Ok  ? ui::Answer::Ok
                                                     : ui::Answer::Cancel;
    }
}

std::optional<ui::FileDialogResult> GuiUserInterface::fileDialog(
    const ui::FileDialogRequest& request) {
    QFileDialog dialog(&window_);
    dialog.setObjectName(QStringLiteral("fileDialog"));
    const bool save = request.kind == ui::FileDialogRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    const QStringList filters = qtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    // A name typed without an extension gets the one of the filter chosen, so that a text
    // dump is never saved as ".hex".
    if (save) {
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString& filter) {
                             const qsizetype dot = filter.indexOf(QStringLiteral("*."));
                             if (dot >= 0) {
                                 QString suffix = filter.mid(dot + 2);
                                 const qsizetype end =
                                     suffix.indexOf(QRegularExpression(QStringLiteral("[ );]")));
                                 if (end >= 0) {
                                     suffix.truncate(end);
                                 }
                                 if (!suffix.isEmpty() && suffix != QStringLiteral("*")) {
                                     dialog.setDefaultSuffix(suffix);
                                 }
                             }
                         });
    }
    if (!request.initialName.empty()) {
        dialog.selectFile(qText(request.initialName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    ui::FileDialogResult result;
    result.path = dialog.selectedFiles().front().toStdString();
    const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
    result.filterIndex = index < 0 ? 1 : static_cast<int>(index) + 1;
    return result;
}

bool GuiUserInterface::showReport(const ui::ReportRequest& request) {
    ReportDialog dialog(request, &window_);
    return dialog.exec() == QDialog::Accepted;
}

std::unique_ptr<ui::ProgressWindow> GuiUserInterface::createProgressWindow() {
    return std::make_unique<QtProgressWindow>(nullptr);
}

bool GuiUserInterface::runPdaSettingsDialog(pda::PdaSettingsDialog& dialog) {
    PdaSettingsWindow window(dialog, *this, &window_);
    return window.exec() == QDialog::Accepted;
}

void GuiUserInterface::showAbout() {
    AboutDialog about(&window_);
    about.exec();
}

void GuiUserInterface::setCursor(ui::Cursor cursor) {
    window_.showCursor(cursor);
}

void GuiUserInterface::showMainWindow(bool shown) {
    window_.setVisible(shown);
}

void GuiUserInterface::enableMainWindow(bool enabled) {
    window_.setEnabled(enabled);
}

void GuiUserInterface::pushMainWindow(const ui::MainWindowView& view) {
    window_.showView(view);
}

void GuiUserInterface::fileNotRead(const std::string& path, const std::string& reason) {
    pendingReason_ = path + ": " + reason;
}

void GuiUserInterface::notice(const std::string& text) {
    // Where the copy of a card's PDA went is worth a moment: the person may need it to mend
    // the card later, so it is told in a box of its own rather than a passing status line.
    QMessageBox::information(window_.isVisible() ? &window_ : nullptr, QStringLiteral("quillon"),
                             QString::fromStdString(text));
}

}  // namespace quillon::gui
