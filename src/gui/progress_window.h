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

    QDialog* widget() const { return dialog_.get(); }

  protected:
    void paintText(const std::string& text) override;

  private:
    class Bar : public ui::ProgressBar {
      public:
        void setRange(int low, int high) override;
        void setPosition(int position) override;
        QProgressBar* widget = nullptr;
    };

    std::unique_ptr<QDialog> dialog_;
    QLabel* text_ = nullptr;
    Bar bar_;
};

}  // namespace quillon::gui
