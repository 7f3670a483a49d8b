// The native main window on a simulated bench, driven by the messages Windows sends: commands,
// adapter-list selections, dropped files, hand-overs from another copy and the system menu.
#include <gtest/gtest.h>

#include "winui/windows_api.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "sim/bench_config.h"
#include "sim/simulated_bench.h"
#include "temp_dir.h"
#include "ui/main_window_view.h"
#include "winui/main_dialog.h"
#include "winui/single_instance.h"
#include "winui/wide_text.h"
#include "winui/window_card.h"
#include "winui/winui_user_interface.h"

namespace quillon::testing {
namespace {

constexpr const wchar_t* kAdapterName = L"PRISM 802.11b Wireless LAN PCI Adapter (simulated)";

// The window's face with the person's answers scripted: boxes and the report window answer
// without showing anything.
class ScriptedFace : public winui::WinUserInterface {
  public:
    using WinUserInterface::WinUserInterface;

    bool showReport(const ui::ReportRequest& request) override {
        reports.push_back(request);
        return acceptReport;
    }

    std::vector<std::wstring> boxes;
    std::deque<int> answers;  // IDOK, IDYES...; the default button when none is left
    std::vector<ui::ReportRequest> reports;
    bool acceptReport = true;

  protected:
    int showMessageBox(HWND, const std::wstring& text, const wchar_t*, UINT flags) override {
        boxes.push_back(text);
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        const UINT buttons = flags & MB_TYPEMASK;
        const bool second = (flags & MB_DEFBUTTON2) != 0;
        if (buttons == MB_YESNO) {
            return second ? IDNO : IDYES;
        }
        if (buttons == MB_OKCANCEL) {
            return second ? IDCANCEL : IDOK;
        }
        return IDOK;
    }
};

struct WindowRig {
    WindowRig() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        logic.setPdaBackupFolder(backups.file("pda-backups"));
    }
    ~WindowRig() {
        if (window != nullptr && IsWindow(window)) {
            DestroyWindow(window);
        }
    }

    void open(const std::vector<std::string>& files = {}) {
        dialog.attach(logic, files);
        window = dialog.create();
        ASSERT_NE(window, nullptr);
    }

    HWND item(int id) const { return GetDlgItem(window, id); }
    std::wstring text(int id) const {
        std::wstring buffer(1024, L'\0');
        buffer.resize(GetDlgItemTextW(window, id, buffer.data(), 1024));
        return buffer;
    }
    bool visible(int id) const { return IsWindowVisible(item(id)) != FALSE; }
    bool enabled(int id) const { return IsWindowEnabled(item(id)) != FALSE; }
    bool menuGreyed(int command) const {
        return (GetMenuState(GetMenu(window), static_cast<UINT>(command), MF_BYCOMMAND) &
                MF_GRAYED) != 0;
    }

    void click(int id) {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(item(id)));
    }
    // The person picks a row of the adapter list.
    void selectAdapterRow(int row) {
        SendMessageW(item(1016), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(1016, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(item(1016)));
    }
    // Files dropped from the shell, in its order, as the shell hands them over.
    void drop(const std::vector<std::wstring>& names) {
        std::size_t chars = 1;
        for (const auto& name : names) {
            chars += name.size() + 1;
        }
        HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
        auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
        files->pFiles = sizeof(DROPFILES);
        files->fWide = TRUE;
        auto* at = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(files) + sizeof(DROPFILES));
        for (const auto& name : names) {
            std::memcpy(at, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
            at += name.size() + 1;
        }
        GlobalUnlock(memory);
        SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    }
    std::vector<std::wstring> listedPaths() const {
        std::vector<std::wstring> paths;
        const auto count = static_cast<int>(SendMessageW(item(1040), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            std::wstring buffer(512, L'\0');
            LVITEMW column{};
            column.iSubItem = 1;
            column.pszText = buffer.data();
            column.cchTextMax = 512;
            buffer.resize(static_cast<std::size_t>(
                SendMessageW(item(1040), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(&column))));
            paths.push_back(buffer);
        }
        return paths;
    }

    TempDir backups;
    sim::SimulatedBench bench{sim::defaultBenchConfig()};
    winui::MainDialog dialog{GetModuleHandleW(nullptr)};
    ScriptedFace face{dialog};
    app::MainWindow logic{bench.library(), bench.registry(), face};
    HWND window = nullptr;
};

void expectAdapterSelected(const WindowRig& w, bool selected) {
    EXPECT_EQ(w.enabled(1011), selected);       // Continue
    EXPECT_EQ(w.visible(1014), selected);       // Close Adapter
    EXPECT_EQ(w.visible(1026), selected);       // the opened adapter's name
    EXPECT_EQ(w.visible(1016), !selected);      // the adapter list
    EXPECT_EQ(w.visible(1051), !selected);      // Detect Adapters
    EXPECT_EQ(w.menuGreyed(1046), !selected);   // Tools: Query Firmware Version
    EXPECT_EQ(w.menuGreyed(32781), !selected);  // File: Export Entire Firmware Image
}

TEST(NativeWindow, ControlsFollowTheAdapterSelection) {
    WindowRig w;
    w.open();
    wchar_t title[64] = {};
    GetWindowTextW(w.window, title, 64);
    EXPECT_STREQ(title, L"Quillonex");
    EXPECT_EQ(w.text(1037).rfind(L"Ver. 0.1.0  (", 0), 0u) << w.text(1037);
    // The hidden controls of the template stay hidden.
    for (const int id : {2, 1010, 1020, 1021, 1054, 1055}) {
        EXPECT_FALSE(w.visible(id)) << id;
    }

    // The bench's one adapter is selected at start.
    expectAdapterSelected(w, true);
    EXPECT_EQ(w.text(1026), std::wstring(L"Opened: ") + kAdapterName);
    EXPECT_EQ(w.text(1024).size(), 17u);

    w.click(1014);  // Close Adapter
    expectAdapterSelected(w, false);
    EXPECT_EQ(w.text(1024), L"");
    EXPECT_EQ(w.text(1013), L"No adapter selected.");
    EXPECT_EQ(SendMessageW(w.item(1016), LB_GETCOUNT, 0, 0), 1);

    w.selectAdapterRow(0);
    expectAdapterSelected(w, true);
    EXPECT_EQ(w.text(1026), std::wstring(L"Opened: ") + kAdapterName);
    EXPECT_TRUE(w.face.boxes.empty());
}

// Writes a ".pda" file that sets the card's MAC address to 00-11-22-33-44-55.
std::wstring macPdaFile(const TempDir& dir) {
    return winui::wideFromUtf8(dir.write("mac.pda", "4 101 1100 3322 5544\r\n"));
}

bool holdsMac(const std::vector<std::uint16_t>& words) {
    for (std::size_t i = 0; i + 4 < words.size(); ++i) {
        if (words[i] == 4 && words[i + 1] == 0x0101 && words[i + 2] == 0x1100 &&
            words[i + 3] == 0x3322 && words[i + 4] == 0x5544) {
            return true;
        }
    }
    return false;
}

TEST(NativeWindow, ContinueThenUpdateWritesTheCard) {
    TempDir dir;
    WindowRig w;
    w.open();
    w.drop({macPdaFile(dir)});
    w.face.answers = {IDYES};  // go on although no station code is queued
    w.click(1011);

    ASSERT_EQ(w.face.reports.size(), 1u);
    EXPECT_EQ(w.face.reports[0].title, "Update Information");
    EXPECT_TRUE(w.face.reports[0].acceptShown);
    EXPECT_TRUE(holdsMac(w.bench.card(0).pdaWords(true)));
    EXPECT_EQ(w.text(1020), L"00-11-22-33-44-55");
    // The window is back, the choice kept, the file still queued.
    EXPECT_TRUE(IsWindowVisible(w.window));
    EXPECT_TRUE(IsWindowEnabled(w.window));
    expectAdapterSelected(w, true);
    EXPECT_EQ(w.listedPaths().size(), 1u);
}

TEST(NativeWindow, CancelInTheReportWritesNothing) {
    TempDir dir;
    WindowRig w;
    w.open();
    const std::vector<std::uint16_t> before = w.bench.card(0).pdaWords(true);
    w.drop({macPdaFile(dir)});
    w.face.answers = {IDYES};
    w.face.acceptReport = false;
    w.click(1011);

    ASSERT_EQ(w.face.reports.size(), 1u);
    EXPECT_EQ(w.bench.card(0).pdaWords(true), before);
    EXPECT_TRUE(IsWindowVisible(w.window));
    EXPECT_TRUE(IsWindowEnabled(w.window));
}

TEST(NativeWindow, DroppedAndHandedOverFilesAreListedInOrder) {
    TempDir dir;
    const std::wstring first = winui::wideFromUtf8(dir.write("first.pda", "3 3 4953 304d\r\n"));
    const std::wstring second =
        winui::wideFromUtf8(dir.write("Stra\xc3\x9f"
                                      "e.pda",
                                      "3 3 4953 304d\r\n"));
    const std::wstring folder = winui::wideFromUtf8(dir.file(""));
    WindowRig w;
    w.open();
    // A folder among the dropped names is passed over.
    w.drop({first, folder, second});
    EXPECT_EQ(w.listedPaths(), (std::vector<std::wstring>{first, second}));

    // A second copy hands its files over by the window's title.
    const std::string third = dir.write("third.pda", "3 3 4953 304d\r\n");
    const std::string fourth = dir.write("fourth.pda", "3 3 4953 304d\r\n");
    if (!winui::handOverToRunningWindow({third, fourth})) {
        GTEST_SKIP() << "the hand-over to a running copy is not built yet";
    }
    EXPECT_EQ(w.listedPaths(), (std::vector<std::wstring>{first, second, winui::wideFromUtf8(third),
                                                          winui::wideFromUtf8(fourth)}));
}

TEST(NativeWindow, SystemMenuRegistersTheFileTypesForThePerson) {
    WindowRig w;
    std::vector<std::pair<std::string, bool>> registered;
    w.dialog.setRegisterHandler([&registered](const std::string& extension, bool perUser) {
        registered.emplace_back(extension, perUser);
    });
    w.open();
    HMENU menu = GetSystemMenu(w.window, FALSE);
    wchar_t entry[64] = {};
    GetMenuStringW(menu, 17, entry, 64, MF_BYCOMMAND);
    EXPECT_STREQ(entry, L"Register .&hex files to this app");
    GetMenuStringW(menu, 18, entry, 64, MF_BYCOMMAND);
    EXPECT_STREQ(entry, L"Register .&pda files to this app");
    GetMenuStringW(menu, 16, entry, 64, MF_BYCOMMAND);
    EXPECT_STREQ(entry, L"&About quillon...");

    SendMessageW(w.window, WM_SYSCOMMAND, 17, 0);
    SendMessageW(w.window, WM_SYSCOMMAND, 18, 0);
    // The bench is an NT-family system: the types go to the person's own class root.
    EXPECT_EQ(registered,
              (std::vector<std::pair<std::string, bool>>{{".hex", true}, {".pda", true}}));
}

TEST(NativeWindow, TheDeveloperMenuOffersTheCommandsWithoutAButton) {
    WindowRig w;
    w.dialog.setDeveloperMenu(true);
    w.open();
    wchar_t entry[64] = {};
    GetMenuStringW(GetMenu(w.window), ui::kCmdDisplayPda, entry, 64, MF_BYCOMMAND);
    EXPECT_STREQ(entry, L"&Display PDA...\tCtrl+Shift+D");
    EXPECT_FALSE(w.menuGreyed(ui::kCmdDisplayPda));
    w.click(1014);  // Close Adapter: the card's commands grey out
    EXPECT_TRUE(w.menuGreyed(ui::kCmdDisplayPda));
}

// What the list's right-click menu showed: each entry's text and whether it could be chosen.
struct ShownMenu {
    std::vector<std::pair<std::wstring, bool>> entries;
};

// Records the popup menu the window shows, then closes it as Escape would (the menu runs its own
// modal loop, which would otherwise wait for the person).
LRESULT CALLBACK recordPopup(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR data) {
    auto* shown = reinterpret_cast<ShownMenu*>(data);
    if (message == WM_INITMENUPOPUP) {
        const auto menu = reinterpret_cast<HMENU>(wParam);
        // The window fills in the states first; read them once it has.
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        shown->entries.clear();
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            if ((state & MF_SEPARATOR) == 0) {
                shown->entries.emplace_back(text, (state & (MF_GRAYED | MF_DISABLED)) == 0);
            }
        }
        return result;
    }
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU) {
        EndMenu();
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST(NativeWindow, TheListsMenuOffersItsCommandsOnlyForSelectedFiles) {
    TempDir dir;
    WindowRig w;
    w.open();
    w.drop({winui::wideFromUtf8(dir.write("first.pda", "3 3 4953 304d\r\n"))});
    ShownMenu shown;
    SetWindowSubclass(w.window, recordPopup, 1, reinterpret_cast<DWORD_PTR>(&shown));
    // In case the menu never idles, a timer ends it all the same.
    const UINT_PTR timer =
        SetTimer(nullptr, 0, 2000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    const auto rightClick = [&w](bool onRow) {
        // A click selects the row it lands on (or none), then the list tells of the click.
        ListView_SetItemState(w.item(1040), 0, onRow ? LVIS_SELECTED : 0, LVIS_SELECTED);
        NMITEMACTIVATE click{};
        click.hdr = {w.item(1040), 1040, NM_RCLICK};
        click.iItem = onRow ? 0 : -1;
        click.ptAction = {8, 8};
        SendMessageW(w.window, WM_NOTIFY, 1040, reinterpret_cast<LPARAM>(&click));
    };
    using Entries = std::vector<std::pair<std::wstring, bool>>;
    rightClick(false);
    EXPECT_EQ(shown.entries, (Entries{{L"Get Info...", false}, {L"Remove", false}}));
    rightClick(true);
    EXPECT_EQ(shown.entries, (Entries{{L"Get Info...", true}, {L"Remove", true}}));
    KillTimer(nullptr, timer);
    RemoveWindowSubclass(w.window, recordPopup, 1);
}

TEST(NativeWindow, ControlsExplainThemselvesInTooltips) {
    WindowRig w;
    w.open();
    // The window's tooltip control, as the mouse would find it.
    struct Search {
        HWND owner;
        HWND found = nullptr;
    } search{w.window};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND candidate, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            GetClassNameW(candidate, name, 64);
            if (std::wstring(name) == TOOLTIPS_CLASSW &&
                GetWindow(candidate, GW_OWNER) == s->owner) {
                s->found = candidate;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    ASSERT_NE(search.found, nullptr);
    const auto tip = [&](int id) {
        std::wstring text(512, L'\0');
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = w.window;
        tool.uId = reinterpret_cast<UINT_PTR>(w.item(id));
        tool.lpszText = text.data();
        SendMessageW(search.found, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
        text.resize(std::wcslen(text.c_str()));
        return text;
    };
    EXPECT_EQ(tip(1011), L"Update the selected card");  // Continue
    EXPECT_EQ(tip(1040),
              L"Files in this list are queued to be downloaded to the card.  To remove a file from "
              L"the list, highlight it and right-click on it.");
}

TEST(NativeWindow, EscapeAndEnterOnTheListEndTheRun) {
    for (const WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        WindowRig w;
        w.open();
        SetFocus(w.item(1040));
        MSG press{w.item(1040), WM_KEYDOWN, key, 0, 0, {0, 0}};
        IsDialogMessageW(w.window, &press);
        EXPECT_TRUE(w.logic.closed()) << key;
        EXPECT_FALSE(IsWindow(w.window)) << key;
    }
}

TEST(NativeWindow, TheCloseBoxEndsTheRun) {
    WindowRig w;
    w.open();
    SendMessageW(w.window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(w.logic.closed());
    EXPECT_FALSE(IsWindow(w.window));
}

// Sets an environment variable for one test and restores it after.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
        std::wstring old(32768, L'\0');
        const DWORD length = GetEnvironmentVariableW(name, old.data(), 32768);
        if (length > 0 && length < 32768) {
            old.resize(length);
            old_ = old;
        }
        SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }

  private:
    const wchar_t* name_;
    std::optional<std::wstring> old_;
};

TEST(NativeWindowCard, WithoutTheLibraryTheBoxSaysHowToTryWithoutACard) {
    TempDir dir;
    ScopedEnvironment bench(L"QUILLON_BENCH", L"");
    ScopedEnvironment library(L"QUILLON_ACCESS_LIBRARY",
                              winui::wideFromUtf8(dir.file("ISW32N50.dll")));
    std::string error;
    EXPECT_EQ(winui::openWindowCard(error), nullptr);
    EXPECT_NE(error.find("ISW32N50.dll"), std::string::npos) << error;
    EXPECT_NE(error.find("QUILLON_BENCH"), std::string::npos) << error;
}

TEST(NativeWindowCard, TheBenchOfQuillonBenchIsHeldAgainstASecondWindow) {
    TempDir dir;
    ScopedEnvironment bench(L"QUILLON_BENCH", winui::wideFromUtf8(dir.file("bench")));
    std::string error;
    const std::unique_ptr<winui::WindowCard> first = winui::openWindowCard(error);
    ASSERT_NE(first, nullptr) << error;
    EXPECT_TRUE(first->library().W32N_IsWindowsNT());
    EXPECT_EQ(winui::openWindowCard(error), nullptr);
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
}

}  // namespace
}  // namespace quillon::testing
