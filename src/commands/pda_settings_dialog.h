// The state and behaviour of the "View / Modify PDA Settings" dialog, without any toolkit: a
// face shows the two edit boxes and the check box, feeds every change of the MAC text through
// onMacTextChanged, and closes the dialog as confirmed only when confirm() accepts.
#pragma once

#include <string>

#include "ui/user_interface.h"

namespace quillon::pda {

class PdaSettingsDialog {
  public:
    static constexpr std::size_t kMacTextLimit = 17;
    static constexpr std::size_t kSerialTextLimit = 12;

    PdaSettingsDialog(std::string macText, std::string serialText);

    const std::string& macText() const { return macText_; }
    const std::string& serialText() const { return serialText_; }
    bool convertToUppercase() const { return convertToUppercase_; }

    // The MAC box changed to text (letters already turned to upper case as typed, at most 17
    // characters). When the text holds a whole MAC address it is replaced by its canonical
    // form; returns the text the box must show. Setting the same text again changes nothing.
    const std::string& onMacTextChanged(std::string text);
    void setSerialText(std::string text);
    void setConvertToUppercase(bool convert);

    // "Write to Card Now": turns the serial to upper case when asked, then accepts a valid MAC
    // address; otherwise tells the person "Bad MAC Address" and the dialog stays open. A
    // changed MAC address that no card may have (a group address, all zeros) and a changed
    // serial number the card cannot hold (empty, or not printable ASCII) are refused with
    // their reason too, unless the person forces them.
    bool confirm(ui::UserInterface& ui);
    // Lets confirm() accept a group or all-zero MAC address (a face's "force").
    void setForce(bool force) { force_ = force; }

  private:
    std::string initialMac_;
    std::string initialSerial_;
    bool force_ = false;
    std::string macText_;
    std::string serialText_;
    bool convertToUppercase_ = true;
};

}  // namespace quillon::pda
