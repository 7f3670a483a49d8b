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

}  // namespace

PdaSettingsDialog::PdaSettingsDialog(std::string macText, std::string serialText) {
    onMacTextChanged(std::move(macText));
    setSerialText(std::move(serialText));
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
    if (!parseMac(macText_)) {
        ui::MessageBox box;
        box.text = "Bad MAC Address";
        box.owner = ui::Owner::MainWindow;
        ui.messageBox(box);
        return false;
    }
    return true;
}

}  // namespace quillon::pda
