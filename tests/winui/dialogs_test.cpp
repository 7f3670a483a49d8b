// The report, progress, About and PDA settings windows, driven through their messages the way
// Windows delivers a person's clicks: the window runs modally on the test's thread while a
// second thread, the "person", finds it, reads its controls and answers it.
#include "winui/windows_api.h"

#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "commands/pda_settings_dialog.h"
#include "ui/report_rtf.h"
#include "winui/about_box.h"
#include "winui/dialog_ids.h"
#include "winui/pda_settings_dialog.h"
#include "winui/progress_window.h"
#include "winui/report_window.h"
#include "winui/wide_text.h"

namespace quillon::winui {
namespace {

HINSTANCE instance() {
    return GetModuleHandleW(nullptr);
}

std::string textOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return utf8FromWide(text);
}

std::string withoutCr(std::string text) {
    std::erase(text, '\r');
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct Search {
    std::string title;
    HWND found = nullptr;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (IsWindowVisible(window) && classOf(window) == L"#32770" &&
        textOf(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// For screenshots: with QUILLON_TEST_SHOT_FILE set, each window found is announced by
// writing its title to that file and stays up until the file is removed.
void holdForScreenshot(const std::string& title) {
    const char* file = std::getenv("QUILLON_TEST_SHOT_FILE");
    if (file == nullptr) {
        return;
    }
    Sleep(300);  // let it paint
    if (FILE* out = std::fopen(file, "w")) {
        std::fputs(title.c_str(), out);
        std::fclose(out);
    }
    for (int i = 0; i < 300 && GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES; ++i) {
        Sleep(100);
    }
}

// The visible dialog titled title on thread, waited for up to ten seconds.
HWND waitForDialog(DWORD thread, const std::string& title) {
    for (int i = 0; i < 500; ++i) {
        Search search{title};
        EnumThreadWindows(thread, matchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            holdForScreenshot(title);
            return search.found;
        }
        Sleep(20);
    }
    return nullptr;
}

void waitUntilGone(HWND window) {
    for (int i = 0; i < 500 && IsWindow(window) && IsWindowVisible(window); ++i) {
        Sleep(20);
    }
}

BOOL CALLBACK collectStatic(HWND window, LPARAM data) {
    const LONG_PTR kind = GetWindowLongPtrW(window, GWL_STYLE) & SS_TYPEMASK;
    if (classOf(window) == L"Static" && kind != SS_BITMAP && kind != SS_ICON) {
        *reinterpret_cast<std::string*>(data) += textOf(window);
    }
    return TRUE;
}

// The words a dialog shows in its labels (a message box's text).
std::string labelsOf(HWND dialog) {
    std::string text;
    EnumChildWindows(dialog, collectStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

// A button press as the dialog receives it.
void click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The person: runs script on a second thread while the test's thread runs a modal window,
// and is waited for when it goes out of scope. It records what it saw; the test's thread
// asserts afterwards.
class Person {
  public:
    explicit Person(std::function<void(DWORD)> script)
        : script_(std::move(script)), windowThread_(GetCurrentThreadId()) {
        thread_ = CreateThread(nullptr, 0, &Person::run, this, 0, nullptr);
    }
    ~Person() {
        if (thread_ != nullptr) {
            WaitForSingleObject(thread_, 30000);
            CloseHandle(thread_);
        }
    }
    Person(const Person&) = delete;
    Person& operator=(const Person&) = delete;

  private:
    static DWORD WINAPI run(void* self) {
        auto* person = static_cast<Person*>(self);
        person->script_(person->windowThread_);
        return 0;
    }
    std::function<void(DWORD)> script_;
    DWORD windowThread_;
    HANDLE thread_ = nullptr;
};

const char* const kReport =
    "{+db}Card SIM0001\n{+k}Primary 1.1.1\n{+r}Station 1.8.0 does not fit{+k}\nEnd\n";

ui::ReportRequest updateRequest() {
    ui::ReportRequest request;
    request.text = kReport;
    request.acceptCaption = "UPDATE";
    request.cancelCaption = "CANCEL";
    request.title = "Update Information";
    return request;
}

COLORREF colourAt(HWND area, int position) {
    SendMessageW(area, EM_SETSEL, position, position + 1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    SendMessageW(area, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format.crTextColor;
}

TEST(ReportWindow, ShowsTheColouredReportAndAnswersUpdate) {
    struct Seen {
        std::string title, accept, cancel, text;
        bool acceptShown = false;
        LRESULT defaultId = 0;
        bool clipboardIcon = false;
        COLORREF header = 0, error = 0;
    } seen;
    bool accepted = false;
    {
        Person person([&](DWORD thread) {
            HWND dialog = waitForDialog(thread, "Update Information");
            if (dialog == nullptr) {
                return;
            }
            HWND area = GetDlgItem(dialog, IDC_REPORT_TEXT);
            seen.title = textOf(dialog);
            seen.accept = textOf(GetDlgItem(dialog, IDOK));
            seen.cancel = textOf(GetDlgItem(dialog, IDCANCEL));
            seen.acceptShown = IsWindowVisible(GetDlgItem(dialog, IDOK)) &&
                               IsWindowEnabled(GetDlgItem(dialog, IDOK));
            seen.defaultId = LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0));
            seen.clipboardIcon = SendMessageW(GetDlgItem(dialog, IDC_REPORT_CLIPBOARD), BM_GETIMAGE,
                                              IMAGE_ICON, 0) != 0;
            seen.text = withoutCr(textOf(area));
            seen.header = colourAt(area, 0);
            seen.error = colourAt(area, static_cast<int>(seen.text.find("Station")));
            click(dialog, IDOK);
        });
        accepted = runReportWindow(instance(), nullptr, updateRequest());
    }
    EXPECT_TRUE(accepted);
    EXPECT_EQ(seen.accept, "UPDATE");
    EXPECT_EQ(seen.cancel, "CANCEL");
    EXPECT_TRUE(seen.acceptShown);
    // Enter presses CANCEL: an update is never started by accident.
    EXPECT_EQ(seen.defaultId, IDCANCEL);
    EXPECT_TRUE(seen.clipboardIcon);
    EXPECT_EQ(seen.text, "Card SIM0001\nPrimary 1.1.1\nStation 1.8.0 does not fit\nEnd\n");
    EXPECT_EQ(seen.header, RGB(0, 0, 85));
    EXPECT_EQ(seen.error, RGB(170, 0, 0));
}

TEST(ReportWindow, CancelAnswersNo) {
    bool accepted = true;
    {
        Person person([](DWORD thread) {
            if (HWND dialog = waitForDialog(thread, "Update Information")) {
                click(dialog, IDCANCEL);
            }
        });
        accepted = runReportWindow(instance(), nullptr, updateRequest());
    }
    EXPECT_FALSE(accepted);
}

TEST(ReportWindow, AnAcceptButtonNotOfferedAcceptsNothing) {
    ui::ReportRequest request = updateRequest();
    request.acceptShown = false;
    bool visible = true, enabled = true, accepted = true;
    {
        Person person([&](DWORD thread) {
            HWND dialog = waitForDialog(thread, "Update Information");
            if (dialog == nullptr) {
                return;
            }
            visible = IsWindowVisible(GetDlgItem(dialog, IDOK));
            enabled = IsWindowEnabled(GetDlgItem(dialog, IDOK));
            click(dialog, IDOK);  // as a stray message would
            click(dialog, IDCANCEL);
        });
        accepted = runReportWindow(instance(), nullptr, request);
    }
    EXPECT_FALSE(visible);
    EXPECT_FALSE(enabled);
    EXPECT_FALSE(accepted);
}

TEST(ReportWindow, GrowsWithItsWindowButNeverBelowItsTemplate) {
    struct Sizes {
        RECT text{}, cancel{};
    };
    Sizes before, grown, shrunk;
    const auto measure = [](HWND dialog, Sizes& sizes) {
        GetWindowRect(GetDlgItem(dialog, IDC_REPORT_TEXT), &sizes.text);
        GetWindowRect(GetDlgItem(dialog, IDCANCEL), &sizes.cancel);
    };
    {
        Person person([&](DWORD thread) {
            HWND dialog = waitForDialog(thread, "Update Information");
            if (dialog == nullptr) {
                return;
            }
            RECT frame{};
            GetWindowRect(dialog, &frame);
            measure(dialog, before);
            SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + 200,
                         frame.bottom - frame.top + 100, SWP_NOMOVE | SWP_NOZORDER);
            measure(dialog, grown);
            holdForScreenshot("grown");
            MINMAXINFO limits{};
            SendMessageW(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
            shrunk.text.right = limits.ptMinTrackSize.x - (frame.right - frame.left);
            shrunk.text.bottom = limits.ptMinTrackSize.y - (frame.bottom - frame.top);
            click(dialog, IDCANCEL);
        });
        runReportWindow(instance(), nullptr, updateRequest());
    }
    const auto width = [](const RECT& r) { return r.right - r.left; };
    const auto height = [](const RECT& r) { return r.bottom - r.top; };
    // (Within a pixel: dialog units round to pixels one way in a template and another here.)
    EXPECT_NEAR(width(grown.text), width(before.text) + 200, 1);
    EXPECT_NEAR(height(grown.text), height(before.text) + 100, 1);
    EXPECT_EQ(grown.cancel.top, before.cancel.top + 100);
    EXPECT_EQ(width(grown.cancel), width(before.cancel));
    // The smallest the window may be made is its template's size.
    EXPECT_EQ(shrunk.text.right, 0);
    EXPECT_EQ(shrunk.text.bottom, 0);
}

TEST(ReportWindow, CopiesPlainTextAndRichTextToTheClipboard) {
    std::string plain, rtf;
    {
        Person person([&](DWORD thread) {
            HWND dialog = waitForDialog(thread, "Update Information");
            if (dialog == nullptr) {
                return;
            }
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_REPORT_CLIPBOARD, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_REPORT_CLIPBOARD)));
            if (OpenClipboard(nullptr)) {
                if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
                        plain = utf8FromWide(text);
                        GlobalUnlock(data);
                    }
                }
                if (HANDLE data = GetClipboardData(RegisterClipboardFormatW(L"Rich Text Format"))) {
                    if (const auto* text = static_cast<const char*>(GlobalLock(data))) {
                        rtf = text;
                        GlobalUnlock(data);
                    }
                }
                CloseClipboard();
            }
            click(dialog, IDCANCEL);
        });
        runReportWindow(instance(), nullptr, updateRequest());
    }
    EXPECT_EQ(plain, "Card SIM0001\r\nPrimary 1.1.1\r\nStation 1.8.0 does not fit\r\nEnd\r\n");
    EXPECT_EQ(rtf, ui::reportRtf(kReport));
}

BOOL CALLBACK matchProgress(HWND window, LPARAM data) {
    if (GetDlgItem(window, IDC_PROGRESS_BAR) != nullptr) {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

TEST(ProgressWindow, ShowsTheWholeJobAndCannotBeClosedWhileTheCardIsWritten) {
    std::unique_ptr<ui::ProgressWindow> progress = createProgressWindow(instance(), nullptr);
    HWND window = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), matchProgress, reinterpret_cast<LPARAM>(&window));
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));

    progress->centre();
    progress->show();
    progress->setItem({"station-1.8.0.hex", 2, 3});
    progress->setText("Flash update in progress...");
    progress->showText();
    progress->bar().setRange(0, 40);
    progress->bar().setPosition(20);
    EXPECT_EQ(textOf(GetDlgItem(window, IDC_PROGRESS_TEXT)), "Flash update in progress...");
    EXPECT_EQ(withoutCr(textOf(GetDlgItem(window, IDC_PROGRESS_DETAIL))).substr(0, 32),
              "station-1.8.0.hex, 2 of 3, 50%\nD");
    EXPECT_NE(textOf(GetDlgItem(window, IDC_PROGRESS_DETAIL)).find("Do not remove the card."),
              std::string::npos);
    holdForScreenshot("progress");
    // Half of the second of three files is half of the job.
    EXPECT_EQ(SendMessageW(GetDlgItem(window, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0), 500);

    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    // No title bar, so no close box.
    EXPECT_NE(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & WS_SYSMENU, 0);
    SendMessageW(window, WM_CLOSE, 0, 0);
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));

    progress.reset();
    EXPECT_FALSE(IsWindow(window));
}

BOOL CALLBACK findPicture(HWND window, LPARAM data) {
    if ((GetWindowLongPtrW(window, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP &&
        SendMessageW(window, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0) {
        *reinterpret_cast<bool*>(data) = true;
        return FALSE;
    }
    return TRUE;
}

bool hasPicture(HWND dialog) {
    bool found = false;
    EnumChildWindows(dialog, findPicture, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(AboutBox, ShowsItsPictureAndTextAndClosesWithOk) {
    std::string labels;
    bool picture = false;
    {
        Person person([&](DWORD thread) {
            if (HWND dialog = waitForDialog(thread, "About This Program")) {
                labels = labelsOf(dialog);
                picture = hasPicture(dialog);
                click(dialog, IDOK);
            }
        });
        runAboutBox(instance(), nullptr);
    }
    EXPECT_EQ(labels, "Firmware Update for Windows");
    EXPECT_TRUE(picture);
}

constexpr const char* kPdaTitle = "View / Modify PDA Settings";

TEST(PdaSettingsDialog, RefusesAGroupAddressAndStaysOpen) {
    pda::PdaSettingsDialog dialog("00-02-B3-12-34-56", "SIM0001");
    struct Seen {
        std::string macAtStart, serialAtStart, macTyped, refusalCaption, refusal;
        bool openAfterRefusal = false;
        DWORD caret = 0;
    } seen;
    bool confirmed = true;
    {
        Person person([&](DWORD thread) {
            HWND window = waitForDialog(thread, kPdaTitle);
            if (window == nullptr) {
                return;
            }
            HWND mac = GetDlgItem(window, IDC_PDA_SETTINGS_MAC);
            seen.macAtStart = textOf(mac);
            seen.serialAtStart = textOf(GetDlgItem(window, IDC_PDA_SETTINGS_SERIAL));
            // Typed over the selected text, letters in lower case.
            SendMessageW(mac, EM_SETSEL, 0, -1);
            for (const wchar_t c : std::wstring(L"01005e000001")) {
                SendMessageW(mac, WM_CHAR, c, 1);
            }
            seen.macTyped = textOf(mac);
            DWORD caret = 0;
            SendMessageW(mac, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
            seen.caret = caret;
            click(window, IDOK);
            HWND box = waitForDialog(thread, "quillon");
            if (box != nullptr) {
                seen.refusalCaption = textOf(box);
                seen.refusal = labelsOf(box);
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                waitUntilGone(box);
            }
            seen.openAfterRefusal = IsWindowVisible(window);
            click(window, IDCANCEL);
        });
        confirmed = runPdaSettingsDialog(instance(), nullptr, dialog);
    }
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(seen.macAtStart, "00-02-B3-12-34-56");
    EXPECT_EQ(seen.serialAtStart, "SIM0001");
    // The twelfth digit turns the text into its canonical form, the caret at its end.
    EXPECT_EQ(seen.macTyped, "01-00-5E-00-00-01");
    EXPECT_EQ(seen.caret, 17u);
    EXPECT_EQ(seen.refusalCaption, "quillon");
    EXPECT_EQ(seen.refusal,
              "Bad MAC Address: 01-00-5E-00-00-01 is a group (multicast or broadcast) address, "
              "which no card may send from.");
    EXPECT_TRUE(seen.openAfterRefusal);
}

TEST(PdaSettingsDialog, WriteToCardTakesTheSerialInUpperCase) {
    pda::PdaSettingsDialog dialog("00-02-B3-12-34-56", "SIM0001");
    bool checked = false;
    bool confirmed = false;
    {
        Person person([&](DWORD thread) {
            HWND window = waitForDialog(thread, kPdaTitle);
            if (window == nullptr) {
                return;
            }
            checked = IsDlgButtonChecked(window, IDC_PDA_SETTINGS_UPPERCASE) == BST_CHECKED;
            SetWindowTextW(GetDlgItem(window, IDC_PDA_SETTINGS_SERIAL), L"qsn-42");
            click(window, IDOK);
        });
        confirmed = runPdaSettingsDialog(instance(), nullptr, dialog);
    }
    EXPECT_TRUE(checked);
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(dialog.serialText(), "QSN-42");
    EXPECT_EQ(dialog.macText(), "00-02-B3-12-34-56");
}

}  // namespace
}  // namespace quillon::winui
