#include "gui/progress_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

#include "gui/dialog_units.h"
#include "gui/qt_text.h"
#include "ui/job_progress.h"

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
    dialog.setFixedSize(units.size(246, 104));
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
    detail_->setGeometry(units.rect(7, 69, 232, 32));
    detail_->setTextFormat(Qt::PlainText);
    detail_->setWordWrap(true);
}

void QtProgressWindow::showProgress() {
    // A job of several phases draws its one bar and its lines; any other operation its own
    // range.
    const ui::JobProgress* whole = job();
    int value = 0;
    QString detail = QString::fromLatin1(ui::JobProgress::kKeepTheCard);
    if (whole != nullptr) {
        value = whole->permille();
        detail = qText(whole->detail());
    } else if (high_ > low_) {
        value = static_cast<int>(1000LL * (position_ - low_) / (high_ - low_));
    }
    bar_.widget->setRange(0, 1000);
    if (bar_.widget->value() != value) {
        bar_.widget->setValue(value);
        bar_.widget->repaint();
    }
    if (detail_->text() != detail) {
        detail_->setText(detail);
        detail_->repaint();
    }
}

void QtProgressWindow::jobChanged() {
    showProgress();
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
