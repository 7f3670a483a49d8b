#include "commands/pda_settings_dialog.h"

#include <utility>

#include "pda/pda_text.h"

namespace quillon::pda {
namespace {

void toUpper(std::string& text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
}

void refuse(ui::UserInterface& ui, std::string text) {
    ui::MessageBox box;
    box.text = std::move(text);
    box.owner = ui::Owner::MainWindow;
    ui.messageBox(box);
}

// Why the card cannot take this serial number, or empty when it can.
std::string serialProblem(const std::string& serial) {
    if (serial.empty()) {
        return "Bad Serial Number: the serial number may not be empty.";
    }
    for (const char c : serial) {
        if (c < 0x20 || c > 0x7E) {
            return "Bad Serial Number: the serial number takes ASCII letters, digits and signs "
                   "only.";
        }
    }
    return {};
}

}  // namespace

PdaSettingsDialog::PdaSettingsDialog(std::string macText, std::string serialText) {
    onMacTextChanged(std::move(macText));
    setSerialText(std::move(serialText));
    initialMac_ = macText_;
    initialSerial_ = serialText_;
}

const std::string& PdaSettingsDialog::onMacTextChanged(std::string text) {
    // The box takes no more than a MAC address's text and turns letters to upper case as they
    // are typed; a face that forgets either still gets the same dialog.
    if (text.size() > kMacTextLimit) {
        text.resize(kMacTextLimit);
    }
    toUpper(text);
    // Once the box holds twelve digits it shows them in the canonical form. Setting that form
    // again parses to the same words and gives the same text, so the change stops there.
    if (const auto words = parseMac(text)) {
        text = formatMac(*words);
        toUpper(text);
    }
    macText_ = std::move(text);
    return macText_;
}

void PdaSettingsDialog::setSerialText(std::string text) {
    if (text.size() > kSerialTextLimit) {
        text.resize(kSerialTextLimit);
    }
    serialText_ = std::move(text);
}

void PdaSettingsDialog::setConvertToUppercase(bool convert) {
    convertToUppercase_ = convert;
}

bool PdaSettingsDialog::confirm(ui::UserInterface& ui) {
    if (convertToUppercase_) {
        toUpper(serialText_);
    }
    const auto mac = parseMac(macText_);
    if (!mac) {
        refuse(ui, "Bad MAC Address");
        return false;
    }
    // What the card had already may go back unchanged; only what the person typed is judged.
    if (macText_ != initialMac_ && !force_) {
        if (((*mac)[0] & 0x01) != 0) {
            refuse(ui, "Bad MAC Address: " + macText_ +
                           " is a group (multicast or broadcast) address, which no card may send "
                           "from.");
            return false;
        }
        if ((*mac)[0] == 0 && (*mac)[1] == 0 && (*mac)[2] == 0) {
            refuse(ui, "Bad MAC Address: " + macText_ + " is not an address any card may have.");
            return false;
        }
    }
    if (serialText_ != initialSerial_) {
        if (const std::string problem = serialProblem(serialText_); !problem.empty()) {
            refuse(ui, problem);
            return false;
        }
    }
    return true;
}

}  // namespace quillon::pda
