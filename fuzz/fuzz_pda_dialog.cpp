// Arbitrary text typed into the PDA settings dialog: the MAC box must settle on one text, and
// a confirmed dialog always holds a MAC address that parses and a serial of at most 12
// characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "commands/pda_settings_dialog.h"
#include "pda/pda_text.h"
#include "ui/user_interface.h"

namespace {

class SilentFace : public quillon::ui::UserInterface {
  public:
    quillon::ui::Answer messageBox(const quillon::ui::MessageBox&) override {
        return quillon::ui::Answer::Ok;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t half = size / 2;
    quillon::pda::PdaSettingsDialog dialog(text.substr(0, half), text.substr(half));
    const std::string shown = dialog.onMacTextChanged(text);
    if (shown.size() > quillon::pda::PdaSettingsDialog::kMacTextLimit ||
        dialog.onMacTextChanged(shown) != shown) {
        std::abort();
    }
    dialog.setSerialText(text.substr(half));
    dialog.setConvertToUppercase(size % 2 == 0);
    SilentFace face;
    if (dialog.confirm(face) && !quillon::pda::parseMac(dialog.macText())) {
        std::abort();
    }
    if (dialog.serialText().size() > quillon::pda::PdaSettingsDialog::kSerialTextLimit) {
        std::abort();
    }
    return 0;
}
