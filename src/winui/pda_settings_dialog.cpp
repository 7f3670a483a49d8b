#include "winui/pda_settings_dialog.h"

#include <algorithm>
#include <string>

#include "winui/dialog_ids.h"
#include "winui/wide_text.h"

namespace quillon::winui {
namespace {

// A box of the main window without a caption of its own shows the application's name.
constexpr const wchar_t* kApplicationName = L"quillon";

// The dialog's refusals ("Bad MAC Address", ...) in boxes over the dialog itself, which stays
// open behind them.
class DialogBoxes : public ui::UserInterface {
  public:
    explicit DialogBoxes(HWND dialog) : dialog_(dialog) {}

    ui::Answer messageBox(const ui::MessageBox& box) override {
        UINT type = MB_OK;
        if (box.buttons == ui::Buttons::OkCancel) {
            type = MB_OKCANCEL;
        } else if (box.buttons == ui::Buttons::YesNo) {
            type = MB_YESNO;
        }
        if (box.defaultStops()) {
            type |= MB_DEFBUTTON2;  // No or Cancel
        }
        switch (box.icon) {
            case ui::Icon::Error:
                type |= MB_ICONERROR;
                break;
            case ui::Icon::Warning:
                type |= MB_ICONWARNING;
                break;
            case ui::Icon::Question:
                type |= MB_ICONQUESTION;
                break;
            case ui::Icon::Information:
                type |= MB_ICONINFORMATION;
                break;
            case ui::Icon::None:
                break;
        }
        const std::wstring caption = box.caption ? wideFromUtf8(*box.caption) : kApplicationName;
        switch (MessageBoxW(dialog_, wideFromUtf8(box.text).c_str(), caption.c_str(), type)) {
            case IDOK:
                return ui::Answer::Ok;
            case IDYES:
                return ui::Answer::Yes;
            case IDNO:
                return ui::Answer::No;
            default:
                return box.buttons == ui::Buttons::YesNo ? ui::Answer::No : ui::Answer::Cancel;
        }
    }

  private:
    HWND dialog_;
};

struct PdaDialogState {
    pda::PdaSettingsDialog& dialog;
    bool settingText = false;  // the dialog itself is writing a box: not the person's change
};

std::string controlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::clamp(copied, 0, length)));
    return utf8FromWide(text);
}

void setControlText(PdaDialogState& state, HWND control, const std::string& text) {
    state.settingText = true;
    SetWindowTextW(control, wideFromUtf8(text).c_str());
    state.settingText = false;
}

// Every change of the MAC box goes through the dialog's logic, which may put the address into
// its canonical form; the caret stays where the person was typing.
void macChanged(HWND window, PdaDialogState& state) {
    HWND box = GetDlgItem(window, IDC_PDA_SETTINGS_MAC);
    const std::string typed = controlText(box);
    const std::string shown = state.dialog.onMacTextChanged(typed);
    if (shown != typed) {
        DWORD caret = 0;
        SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
        setControlText(state, box, shown);
        // Typing at the end stays at the end of the longer canonical form.
        const DWORD typedEnd = static_cast<DWORD>(wideFromUtf8(typed).size());
        const DWORD end = static_cast<DWORD>(GetWindowTextLengthW(box));
        caret = caret >= typedEnd ? end : std::min(caret, end);
        SendMessageW(box, EM_SETSEL, caret, caret);
    }
}

void writeToCard(HWND window, PdaDialogState& state) {
    DialogBoxes boxes(window);
    const bool accepted = state.dialog.confirm(boxes);
    // The serial may have been turned to upper case: show what is taken.
    setControlText(state, GetDlgItem(window, IDC_PDA_SETTINGS_SERIAL), state.dialog.serialText());
    if (accepted) {
        EndDialog(window, IDOK);
    }
}

void initialise(HWND window, PdaDialogState& state) {
    HWND mac = GetDlgItem(window, IDC_PDA_SETTINGS_MAC);
    HWND serial = GetDlgItem(window, IDC_PDA_SETTINGS_SERIAL);
    SendMessageW(mac, EM_LIMITTEXT, pda::PdaSettingsDialog::kMacTextLimit, 0);
    SendMessageW(serial, EM_LIMITTEXT, pda::PdaSettingsDialog::kSerialTextLimit, 0);
    setControlText(state, mac, state.dialog.macText());
    setControlText(state, serial, state.dialog.serialText());
    CheckDlgButton(window, IDC_PDA_SETTINGS_UPPERCASE,
                   state.dialog.convertToUppercase() ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR CALLBACK pdaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<PdaDialogState*>(GetWindowLongPtrW(window, DWLP_USER));
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        initialise(window, *reinterpret_cast<PdaDialogState*>(lParam));
        return TRUE;
    }
    if (message != WM_COMMAND || state == nullptr) {
        return FALSE;
    }
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    switch (id) {
        case IDC_PDA_SETTINGS_MAC:
            if (code == EN_CHANGE && !state->settingText) {
                macChanged(window, *state);
            }
            return TRUE;
        case IDC_PDA_SETTINGS_SERIAL:
            if (code == EN_CHANGE && !state->settingText) {
                state->dialog.setSerialText(
                    controlText(GetDlgItem(window, IDC_PDA_SETTINGS_SERIAL)));
            }
            return TRUE;
        case IDC_PDA_SETTINGS_UPPERCASE:
            if (code == BN_CLICKED) {
                state->dialog.setConvertToUppercase(
                    IsDlgButtonChecked(window, IDC_PDA_SETTINGS_UPPERCASE) == BST_CHECKED);
            }
            return TRUE;
        case IDOK:
            writeToCard(window, *state);
            return TRUE;
        case IDCANCEL:
            EndDialog(window, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

bool runPdaSettingsDialog(HINSTANCE instance, HWND owner, pda::PdaSettingsDialog& dialog) {
    PdaDialogState state{dialog};
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PDA_SETTINGS), owner, pdaProc,
                           reinterpret_cast<LPARAM>(&state)) == IDOK;
}

}  // namespace quillon::winui
