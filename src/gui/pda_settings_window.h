// "View / Modify PDA Settings": the MAC address and serial number boxes and the "Convert to
// Uppercase" check box over the dialog logic, which decides what the boxes show and whether
// "Write to Card Now" may close the window.
#pragma once

#include <QDialog>

#include "commands/pda_settings_dialog.h"
#include "ui/user_interface.h"

class QCheckBox;
class QLineEdit;

namespace quillon::gui {

class PdaSettingsWindow : public QDialog {
    Q_OBJECT
  public:
    PdaSettingsWindow(pda::PdaSettingsDialog& dialog, ui::UserInterface& ui, QWidget* parent);

  private:
    void macEdited(const QString& text);
    void writeToCard();

    pda::PdaSettingsDialog& dialog_;
    ui::UserInterface& ui_;
    QLineEdit* mac_ = nullptr;
    QLineEdit* serial_ = nullptr;
    QCheckBox* uppercase_ = nullptr;
};

}  // namespace quillon::gui
