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
    dialog.setFixedSize(units.size(246, 73));
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
    text_->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    // Nothing processes events while the card is written: paint now.
    dialog_->repaint();
}

void QtProgressWindow::Bar::setRange(int low, int high) {
    widget->setRange(low, high);
    widget->repaint();
}

void QtProgressWindow::Bar::setPosition(int position) {
    if (widget->value() != position) {
        widget->setValue(position);
        widget->repaint();
    }
}

}  // namespace quillon::gui
