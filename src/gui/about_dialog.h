// The About box: the picture, "Firmware Update for Windows" and an OK button.
#pragma once

#include <QDialog>

namespace quillon::gui {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent);
};

}  // namespace quillon::gui
