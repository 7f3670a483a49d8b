#include "winui/winui_user_interface.h"

#include <commdlg.h>

#include <vector>

#include "winui/about_box.h"
#include "winui/main_dialog.h"
#include "winui/pda_settings_dialog.h"
#include "winui/progress_window.h"
#include "winui/report_window.h"
#include "winui/wide_text.h"

namespace quillon::winui {

using namespace quillon::ui;

namespace {

UINT iconFlag(Icon icon) {
    switch (icon) {
        case Icon::Error:
            return MB_ICONERROR;
        case Icon::Warning:
            return MB_ICONWARNING;
        case Icon::Question:
            return MB_ICONQUESTION;
        case Icon::Information:
            return MB_ICONINFORMATION;
        case Icon::None:
            break;
    }
    return 0;
}

UINT buttonFlags(Buttons buttons) {
    switch (buttons) {
        case Buttons::OkCancel:
            return MB_OKCANCEL;
        case Buttons::YesNo:
            return MB_YESNO;
        case Buttons::Ok:
            break;
    }
    return MB_OK;
}

// A message box shows line breaks given as a carriage return and a line feed best.
std::wstring boxText(const std::string& text) {
    std::wstring wide = wideFromUtf8(text);
    std::wstring out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r')) {
            out += L'\r';
        }
        out += wide[i];
    }
    return out;
}

}  // namespace

std::wstring WinUserInterface::applicationName() {
    std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring name(path.data(), length < path.size() ? length : 0);
    if (const auto slash = name.find_last_of(L"\\/"); slash != std::wstring::npos) {
        name.erase(0, slash + 1);
    }
    if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos && dot > 0) {
        name.erase(dot);
    }
    return name.empty() ? std::wstring(L"quillon") : name;
}

std::wstring systemFilter(const std::string& filter) {
    std::wstring wide = wideFromUtf8(filter);
    for (wchar_t& c : wide) {
        if (c == L'|') {
            c = L'\0';
        }
    }
    wide += L'\0';
    return wide;
}

int WinUserInterface::showMessageBox(HWND owner, const std::wstring& text, const wchar_t* caption,
                                     UINT flags) {
    return MessageBoxW(owner, text.c_str(), caption, flags);
}

Answer WinUserInterface::messageBox(const ui::MessageBox& box) {
    std::string text = box.text;
    // The box says that a file did not load; the reader said why.
    if (!pendingReason_.empty()) {
        text += "\n\n" + pendingReason_;
        pendingReason_.clear();
    }
    const bool ofMainWindow = box.owner == Owner::MainWindow;
    std::wstring caption;
    if (box.caption) {
        caption = wideFromUtf8(*box.caption);
    } else if (ofMainWindow) {
        caption = applicationName();
    }
    HWND owner = ofMainWindow && window_.handle() != nullptr && IsWindowVisible(window_.handle())
                     ? window_.handle()
                     : nullptr;
    UINT flags = buttonFlags(box.buttons) | iconFlag(box.icon);
    // After a failure Enter takes the answer that stops; going on must be chosen.
    if (box.defaultStops()) {
        flags |= MB_DEFBUTTON2;
    }
    // A box without an owner still comes to the front of the desktop.
    if (owner == nullptr) {
        flags |= MB_SETFOREGROUND | MB_TASKMODAL;
    }
    const int answer = showMessageBox(
        owner, boxText(text), box.caption || ofMainWindow ? caption.c_str() : nullptr, flags);
    switch (answer) {
        case IDOK:
            return Answer::Ok;
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        default:
            // Escape or the close box: the answer that stops.
            return box.buttons == Buttons::YesNo ? Answer::No
                   : box.buttons == Buttons::Ok  ? Answer::Ok
                                                 : Answer::Cancel;
    }
}

std::optional<FileDialogResult> WinUserInterface::fileDialog(const FileDialogRequest& request) {
    const std::wstring filter = systemFilter(request.filter);
    const std::wstring extension = wideFromUtf8(request.defaultExtension);
    // Room for a long path, as the system's dialog allows.
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring initial = wideFromUtf8(request.initialName);
    initial.copy(name.data(), std::min(initial.size(), name.size() - 1));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = window_.handle();
    dialog.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    if (request.fileMustExist) {
        dialog.Flags |= OFN_FILEMUSTEXIST;
    }
    if (request.hideReadOnly) {
        dialog.Flags |= OFN_HIDEREADONLY;
    }
    if (request.confirmOverwrite) {
        dialog.Flags |= OFN_OVERWRITEPROMPT;
    }
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (chosen == FALSE) {
        return std::nullopt;
    }
    FileDialogResult result;
    result.path = utf8FromWide(name.data());
    result.filterIndex = dialog.nFilterIndex > 0 ? static_cast<int>(dialog.nFilterIndex) : 1;
    return result;
}

bool WinUserInterface::showReport(const ReportRequest& request) {
    return runReportWindow(window_.instance(), window_.handle(), request);
}

std::unique_ptr<ProgressWindow> WinUserInterface::createProgressWindow() {
    std::unique_ptr<ProgressWindow> progress =
        winui::createProgressWindow(window_.instance(), window_.handle());
    if (!progress) {
        return UserInterface::createProgressWindow();
    }
    return progress;
}

bool WinUserInterface::runPdaSettingsDialog(pda::PdaSettingsDialog& dialog) {
    return winui::runPdaSettingsDialog(window_.instance(), window_.handle(), dialog);
}

void WinUserInterface::showAbout() {
    runAboutBox(window_.instance(), window_.handle());
}

void WinUserInterface::setCursor(Cursor cursor) {
    window_.showCursor(cursor);
}

void WinUserInterface::notice(const std::string& text) {
    window_.notice(text);
}

void WinUserInterface::fileNotRead(const std::string& path, const std::string& reason) {
    pendingReason_ = path + ": " + reason;
}

void WinUserInterface::showMainWindow(bool shown) {
    if (window_.handle() != nullptr) {
        ShowWindow(window_.handle(), shown ? SW_SHOW : SW_HIDE);
    }
}

void WinUserInterface::enableMainWindow(bool enabled) {
    if (window_.handle() != nullptr) {
        EnableWindow(window_.handle(), enabled ? TRUE : FALSE);
    }
}

void WinUserInterface::pushMainWindow(const MainWindowView& view) {
    window_.showView(view);
}

}  // namespace quillon::winui
