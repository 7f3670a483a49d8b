// The progress window: frameless, a line of large bold text and a smooth bar. The card work
// runs on the interface thread, so every change of the text or the bar paints at once.
#pragma once

#include <QDialog>
#include <memory>

#include "ui/user_interface.h"

class QLabel;
class QProgressBar;

namespace quillon::gui {

class QtProgressWindow : public ui::ProgressWindow {
  public:
    explicit QtProgressWindow(QWidget* parent);
    ~QtProgressWindow() override;

    void centre() override;
    void show() override;
    void hide() override;
    ui::ProgressBar& bar() override { return bar_; }
    void jobChanged() override;

    QDialog* widget() const { return dialog_.get(); }

  protected:
    void paintText(const std::string& text) override;

  private:
    // The operation's bar (blocks of one image); while the window stands for a whole job, the
    // job's bar is drawn instead, which never starts again at 0.
    class Bar : public ui::ProgressBar {
      public:
        explicit Bar(QtProgressWindow& window) : window_(window) {}
        void setRange(int low, int high) override;
        void setPosition(int position) override;
        QProgressBar* widget = nullptr;

      private:
        QtProgressWindow& window_;
    };
    friend class Bar;
    void showProgress();

    std::unique_ptr<QDialog> dialog_;
    QLabel* text_ = nullptr;
    QLabel* detail_ = nullptr;
    Bar bar_{*this};
    int low_ = 0;
    int high_ = 0;
    int position_ = 0;
};

}  // namespace quillon::gui
