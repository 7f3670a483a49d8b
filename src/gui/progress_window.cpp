#include "gui/progress_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

#include "gui/dialog_units.h"
#include "gui/qt_text.h"

namespace quillon::gui {

namespace {

// Interrupting is not offered while the card is written: Escape and closing do nothing.
class UncloseableDialog : public QDialog {
  public:
    explicit UncloseableDialog(QWidget* parent)
        : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {}
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

constexpr qint64 kExposeWaitMs = 1000;

}  // namespace

QtProgressWindow::QtProgressWindow(QWidget* parent)
    : dialog_(std::make_unique<UncloseableDialog>(parent)) {
    const DialogUnits units;
    QDialog& dialog = *dialog_;
    dialog.setObjectName(QStringLiteral("progressWindow"));
    dialog.setFont(units.font());
    // Below the bar: which image of how many, the time left, and that the card stays in.
    dialog.setFixedSize(units.size(246, 95));
    auto* frame = new QFrame(&dialog);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(0, 0, dialog.width(), dialog.height());

    text_ = new QLabel(&dialog);
    text_->setObjectName(QStringLiteral("progressText"));
    text_->setGeometry(units.rect(19, 7, 220, 31));
    text_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    text_->setTextFormat(Qt::PlainText);
    QFont large(QStringLiteral("Arial"));
    large.setPixelSize(20);
    large.setBold(true);
    text_->setFont(large);

    bar_.widget = new QProgressBar(&dialog);
    bar_.widget->setObjectName(QStringLiteral("progressBar"));
    bar_.widget->setGeometry(units.rect(7, 43, 232, 23));
    bar_.widget->setTextVisible(false);
    bar_.widget->setRange(0, 100);
    bar_.widget->setValue(0);

    detail_ = new QLabel(&dialog);
    detail_->setObjectName(QStringLiteral("progressDetail"));
    detail_->setGeometry(units.rect(7, 69, 232, 22));
    detail_->setTextFormat(Qt::PlainText);
    detail_->setWordWrap(true);
    startedMs_ = QDateTime::currentMSecsSinceEpoch();
}

void QtProgressWindow::showProgress() {
    const ui::ProgressItem& shown = item();
    const double share = high_ > low_ ? double(position_ - low_) / double(high_ - low_) : 0.0;
    const int count = shown.count > 0 ? shown.count : 1;
    const int done = shown.number > 0 ? shown.number - 1 : 0;
    const double whole = (done + share) / count;
    bar_.widget->setRange(0, 1000);
    const int value = static_cast<int>(whole * 1000.0);
    if (bar_.widget->value() != value) {
        bar_.widget->setValue(value);
        bar_.widget->repaint();
    }
    QString detail;
    if (!shown.name.empty()) {
        detail = qText(shown.name);
        if (shown.count > 1) {
            detail += QStringLiteral(", %1 of %2").arg(shown.number).arg(shown.count);
        }
        const double seconds = (QDateTime::currentMSecsSinceEpoch() - startedMs_) / 1000.0;
        // The images so far went at this pace; the rest of the job is assumed to go alike.
        if (share > 0.05 && seconds > 0.5) {
            const double left = seconds / share * (count - done - share);
            detail += QStringLiteral(", about %1 s left").arg(qRound(left));
        }
        detail += QStringLiteral("\n");
    }
    detail += QStringLiteral("Do not remove the card.");
    if (detail_->text() != detail) {
        detail_->setText(detail);
        detail_->repaint();
    }
}

QtProgressWindow::~QtProgressWindow() = default;

void QtProgressWindow::centre() {
    const QScreen* screen =
        dialog_->screen() ? dialog_->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect frame(QPoint(), dialog_->size());
        frame.moveCenter(screen->availableGeometry().center());
        dialog_->move(frame.topLeft());
    }
}

void QtProgressWindow::show() {
    dialog_->show();
    // The window system maps the window in its own time; until it is exposed nothing painted
    // would reach the screen. Wait for that, taking no input meanwhile.
    QElapsedTimer waited;
    waited.start();
    while (dialog_->windowHandle() != nullptr && !dialog_->windowHandle()->isExposed() &&
           waited.elapsed() < kExposeWaitMs) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
    dialog_->repaint();
}

void QtProgressWindow::hide() {
    dialog_->hide();
}

void QtProgressWindow::paintText(const std::string& text) {
    text_->setText(qText(text));
    showProgress();
    // Nothing processes events while the card is written: paint now.
    dialog_->repaint();
}

void QtProgressWindow::Bar::setRange(int low, int high) {
    window_.low_ = low;
    window_.high_ = high;
    window_.position_ = low;
    window_.showProgress();
}

void QtProgressWindow::Bar::setPosition(int position) {
    window_.position_ = position;
    window_.showProgress();
}

}  // namespace quillon::gui
