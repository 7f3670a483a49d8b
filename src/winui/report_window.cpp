#include "winui/report_window.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "ui/report_rtf.h"
#include "ui/report_text.h"
#include "winui/dialog_ids.h"
#include "winui/wide_text.h"

namespace quillon::winui {
namespace {

struct ReportState {
    const ui::ReportRequest& request;
    HICON clipboardIcon = nullptr;
    SIZE smallest{};  // the template's size: the window grows from it, never shrinks below
};

// The template's layout in dialog units: the text area fills the window above a row of
// buttons, which keeps its sizes and stays centred at the bottom as the window grows.
constexpr int kTemplateWidth = 240;
constexpr int kTextLeft = 2;
constexpr int kTextTop = 3;
constexpr int kTextRightMargin = 3;       // 240 - (2 + 235)
constexpr int kTextBottomMargin = 23;     // 221 - (3 + 195)
constexpr int kButtonsBottomMargin = 20;  // 221 - 201
constexpr int kButtonHeight = 17;
struct ButtonPlace {
    int id;
    int left;
    int width;
};
constexpr ButtonPlace kButtons[] = {
    {IDOK, 6, 97}, {IDC_REPORT_CLIPBOARD, 108, 22}, {IDCANCEL, 135, 98}};

// Lays the controls out for a client area of width x height pixels.
void layOut(HWND window, int width, int height) {
    RECT units{0, 0, 4, 8};  // 4 x 8 dialog units: one average character
    MapDialogRect(window, &units);
    const auto x = [&](int dialogUnits) { return MulDiv(dialogUnits, units.right, 4); };
    const auto y = [&](int dialogUnits) { return MulDiv(dialogUnits, units.bottom, 8); };
    const int shift = std::max(0, (width - x(kTemplateWidth)) / 2);
    SetWindowPos(GetDlgItem(window, IDC_REPORT_TEXT), nullptr, x(kTextLeft), y(kTextTop),
                 std::max(0, width - x(kTextLeft) - x(kTextRightMargin)),
                 std::max(0, height - y(kTextTop) - y(kTextBottomMargin)),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    for (const ButtonPlace& button : kButtons) {
        SetWindowPos(GetDlgItem(window, button.id), nullptr, shift + x(button.left),
                     height - y(kButtonsBottomMargin), x(button.width), y(kButtonHeight),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(window, nullptr, TRUE);
}

// The rich-edit control's window class lives in its library, which must be loaded before a
// template that names the class is created. It is never freed: it stays for the program's life.
bool loadRichEdit() {
    return LoadLibraryW(L"riched20.dll") != nullptr;
}

// Line breaks as Windows writes them, CR LF: the clipboard's text formats want them, and the
// rich-edit area takes each pair as one paragraph end.
std::wstring withCrLf(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + text.size() / 16);
    for (const wchar_t c : text) {
        if (c == L'\r') {
            continue;
        }
        if (c == L'\n') {
            out += L'\r';
        }
        out += c;
    }
    return out;
}

// A movable global block holding size bytes of data, as the clipboard takes it.
HGLOBAL globalCopy(const void* data, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) {
        return nullptr;
    }
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, data, size);
    GlobalUnlock(block);
    return block;
}

// Puts one format on the open clipboard; the clipboard owns the block once it took it.
bool putOnClipboard(UINT format, const void* data, std::size_t size) {
    HGLOBAL block = globalCopy(data, size);
    if (block == nullptr) {
        return false;
    }
    if (SetClipboardData(format, block) == nullptr) {
        GlobalFree(block);
        return false;
    }
    return true;
}

// The whole report as plain text and as Rich Text Format, so that a program that reads RTF
// keeps the colours.
void copyToClipboard(HWND window, const std::string& report) {
    if (!OpenClipboard(window)) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    EmptyClipboard();
    const std::wstring text = withCrLf(wideFromUtf8(ui::plainReportText(report)));
    putOnClipboard(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    const UINT rtfFormat = RegisterClipboardFormatW(L"Rich Text Format");
    if (rtfFormat != 0) {
        const std::string rtf = ui::reportRtf(report);
        putOnClipboard(rtfFormat, rtf.c_str(), rtf.size() + 1);
    }
    CloseClipboard();
}

// Appends each coloured passage at the end of the area: the text without its tags, every
// passage in its colour and every other character attribute left as it is.
void renderMarkup(HWND area, const std::string& report) {
    SendMessageW(area, WM_SETREDRAW, FALSE, 0);
    SendMessageW(area, EM_SETREADONLY, FALSE, 0);
    for (const ui::ReportSegment& segment : ui::parseReportText(report)) {
        const std::wstring text = withCrLf(wideFromUtf8(segment.text));
        if (text.empty()) {
            continue;
        }
        // A paragraph's end counts one character here, whatever WM_GETTEXT makes of it.
        GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
        const LRESULT start =
            SendMessageW(area, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
        SendMessageW(area, EM_SETSEL, start, start);
        SendMessageW(area, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(area, EM_SETSEL, start, -1);
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        format.dwMask = CFM_COLOR;
        format.crTextColor = RGB(segment.colour.red, segment.colour.green, segment.colour.blue);
        SendMessageW(area, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    SendMessageW(area, EM_SETSEL, 0, 0);
    SendMessageW(area, EM_SETREADONLY, TRUE, 0);
    SendMessageW(area, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(area, nullptr, TRUE);
}

// Centres the window on the mouse pointer, kept inside the work area of the pointer's screen.
void centreOnPointer(HWND window) {
    POINT pointer{};
    RECT frame{};
    if (!GetCursorPos(&pointer) || !GetWindowRect(window, &frame)) {
        return;
    }
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    RECT area{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor)) {
        area = monitor.rcWork;
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    LONG left = pointer.x - width / 2;
    LONG top = pointer.y - height / 2;
    left = std::max(area.left, std::min(left, area.right - width));
    top = std::max(area.top, std::min(top, area.bottom - height));
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void initialise(HWND window, ReportState& state) {
    const ui::ReportRequest& request = state.request;
    HWND area = GetDlgItem(window, IDC_REPORT_TEXT);
    HWND accept = GetDlgItem(window, IDOK);
    HWND copy = GetDlgItem(window, IDC_REPORT_CLIPBOARD);

    // The clipboard button shows its icon where there is one, else its caption.
    state.clipboardIcon = static_cast<HICON>(
        LoadImageW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)),
                   MAKEINTRESOURCEW(IDI_REPORT_CLIPBOARD), IMAGE_ICON, 16, 16, 0));
    if (state.clipboardIcon != nullptr && copy != nullptr) {
        SetWindowLongPtrW(copy, GWL_STYLE, GetWindowLongPtrW(copy, GWL_STYLE) | BS_ICON);
        SendMessageW(copy, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(state.clipboardIcon));
    }

    SetWindowTextW(accept, wideFromUtf8(request.acceptCaption).c_str());
    SetDlgItemTextW(window, IDCANCEL, wideFromUtf8(request.cancelCaption).c_str());
    SetWindowTextW(window, wideFromUtf8(request.title).c_str());

    // Long lines wrap at the area's width; a report of any length fits.
    SendMessageW(area, EM_SETTARGETDEVICE, 0, 0);
    SendMessageW(area, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    renderMarkup(area, request.text);

    EnableWindow(accept, request.acceptShown);
    ShowWindow(accept, request.acceptShown ? SW_SHOW : SW_HIDE);
    centreOnPointer(window);
}

INT_PTR CALLBACK reportProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ReportState*>(GetWindowLongPtrW(window, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            state = reinterpret_cast<ReportState*>(lParam);
            initialise(window, *state);
            if (RECT frame{}; GetWindowRect(window, &frame)) {
                state->smallest = {frame.right - frame.left, frame.bottom - frame.top};
            }
            // The report scrolls from its start; the keyboard starts in the text.
            SetFocus(GetDlgItem(window, IDC_REPORT_TEXT));
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    // An accept button that is not offered accepts nothing, whatever sent it.
                    if (state != nullptr && state->request.acceptShown) {
                        EndDialog(window, IDOK);
                    }
                    return TRUE;
                case IDCANCEL:
                    EndDialog(window, IDCANCEL);
                    return TRUE;
                case IDC_REPORT_CLIPBOARD:
                    if (state != nullptr) {
                        copyToClipboard(window, state->request.text);
                    }
                    return TRUE;
                default:
                    break;
            }
            break;
        case WM_GETMINMAXINFO:
            if (state != nullptr && state->smallest.cx > 0) {
                auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
                limits->ptMinTrackSize = {state->smallest.cx, state->smallest.cy};
            }
            return TRUE;
        case WM_SIZE:
            if (state != nullptr && wParam != SIZE_MINIMIZED) {
                layOut(window, LOWORD(lParam), HIWORD(lParam));
            }
            return TRUE;
        case WM_DESTROY:
            if (state != nullptr && state->clipboardIcon != nullptr) {
                DestroyIcon(state->clipboardIcon);
                state->clipboardIcon = nullptr;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

bool runReportWindow(HINSTANCE instance, HWND owner, const ui::ReportRequest& request) {
    if (!loadRichEdit()) {
        MessageBoxW(owner, L"The report cannot be shown: riched20.dll could not be loaded.",
                    nullptr, MB_OK | MB_ICONERROR);
        return false;
    }
    ReportState state{request};
    const INT_PTR answer = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_REPORT_WINDOW), owner,
                                           reportProc, reinterpret_cast<LPARAM>(&state));
    return answer == IDOK;
}

}  // namespace quillon::winui
