#include "gui/report_dialog.h"

#include "gui/qt_text.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QIcon>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>

#include "gui/dialog_units.h"
#include "gui/pictures.h"
#include "ui/report_text.h"

namespace quillon::gui {

ReportDialog::ReportDialog(const ui::ReportRequest& request, QWidget* parent) : QDialog(parent) {
    loadPictures();
    const DialogUnits units;
    setFont(units.font());
    setObjectName(QStringLiteral("144"));
    setWindowTitle(qText(request.title));
    setFixedSize(units.size(240, 221));
    setModal(true);

    text_ = new QTextEdit(this);
    text_->setObjectName(QStringLiteral("1044"));
    text_->setGeometry(units.rect(2, 3, 235, 195));
    text_->setReadOnly(true);
    // Long lines (paths, findings) wrap, so that nothing runs off to the right.
    text_->setLineWrapMode(QTextEdit::WidgetWidth);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    accept_ = new QPushButton(qText(request.acceptCaption), this);
    accept_->setObjectName(QStringLiteral("1"));
    accept_->setGeometry(units.rect(6, 201, 97, 17));
    copy_ = new QPushButton(this);
    copy_->setObjectName(QStringLiteral("1053"));
    copy_->setGeometry(units.rect(108, 201, 22, 17));
    copy_->setIcon(QIcon(QStringLiteral(":/icons/clipboard.png")));
    copy_->setToolTip(QStringLiteral("Clipboard"));
    copy_->setAccessibleName(QStringLiteral("Clipboard"));
    cancel_ = new QPushButton(qText(request.cancelCaption), this);
    cancel_->setObjectName(QStringLiteral("2"));
    cancel_->setGeometry(units.rect(135, 201, 98, 17));
    // Enter must not start an update by accident: no button is the default one.
    for (QPushButton* button : {accept_, copy_, cancel_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(copy_, &QPushButton::clicked, this, &ReportDialog::copyToClipboard);

    renderMarkup(request.text);
    accept_->setEnabled(request.acceptShown);
    accept_->setVisible(request.acceptShown);

    // Centred on the mouse pointer, kept on the screen.
    QRect frame(QPoint(), size());
    frame.moveCenter(QCursor::pos());
    if (const QScreen* screen = QGuiApplication::screenAt(QCursor::pos())) {
        const QRect area = screen->availableGeometry();
        frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() - width())));
        frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() - height())));
    }
    move(frame.topLeft());
}

void ReportDialog::renderMarkup(const std::string& text) {
    text_->clear();
    QTextCursor cursor(text_->document());
    for (const ui::ReportSegment& segment : ui::parseReportText(text)) {
        QTextCharFormat format;
        format.setForeground(QColor(segment.colour.red, segment.colour.green, segment.colour.blue));
        QString run = qText(segment.text);
        run.remove(QLatin1Char('\r'));
        cursor.insertText(run, format);
    }
}

void ReportDialog::copyToClipboard() {
    auto* data = new QMimeData;
    data->setText(text_->toPlainText());
    data->setHtml(text_->toHtml());
    QApplication::clipboard()->setMimeData(data);
}

}  // namespace quillon::gui
