// The main window: the dialog of template 102, titled "Quillonex". It draws what the window
// logic (app::MainWindow) pushes and hands the logic every action of the person: commands,
// adapter and file selections, dropped files, files handed over by a second copy, the system
// menu, the menus' opening. It decides nothing itself.
#pragma once

#include "winui/windows_api.h"

#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/main_window_view.h"
#include "ui/user_interface.h"
#include "winui/single_instance.h"

namespace quillon::app {
class MainWindow;
}

namespace quillon::winui {

class MainDialog {
  public:
    explicit MainDialog(HINSTANCE instance);
    ~MainDialog();
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    // The logic the window drives, and the files it queues when it opens, in order.
    void attach(app::MainWindow& logic, std::vector<std::string> commandLineFiles);
    // What the system menu's Register entries do, with ".hex" or ".pda", for the person alone
    // (perUser) or for the machine, as the logic says.
    using RegisterHandler = std::function<void(const std::string& extension, bool perUser)>;
    void setRegisterHandler(RegisterHandler handler) { registerHandler_ = std::move(handler); }

    // Runs the window until the person closes it. Its own loop stands in for a modal one, so
    // that the keys of the commands without a button or menu entry reach them.
    void runModal();
    // Closes the window once it has painted itself for the first time (for timing the start).
    void setExitAfterFirstPaint(bool exit) { exitAfterFirstPaint_ = exit; }
    // Shows the commands without a button or menu entry in a menu of their own, for the
    // technicians who need them.
    void setDeveloperMenu(bool shown) { developerMenu_ = shown; }
    // Creates the window modeless and shows it (for tests, which drive it by messages);
    // destroyed when the person closes it. Null when it cannot be created.
    HWND create();

    HWND handle() const { return window_; }
    HINSTANCE instance() const { return instance_; }

    // What the face's seam asks of the window.
    void showView(const ui::MainWindowView& view);
    void showCursor(ui::Cursor cursor);
    void notice(const std::string& text);

  private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onInitDialog();
    bool onCommand(int id, int code, HWND control);
    void onNotify(const NMHDR& header);
    void onSystemCommand(int command);
    void onDropFiles(HDROP drop);
    void onCopyData(const COPYDATASTRUCT& data);
    // Runs one action of the person on the logic, then closes the window when the logic says
    // the run is over and takes the files that were handed over meanwhile.
    void run(const std::function<void()>& action);
    void finishAction();
    void showFileListMenu(POINT screen);
    void buildSystemMenu(const std::vector<ui::MenuEntry>& entries);
    void showAdapters(const ui::MainWindowView& view);
    void showFiles(const std::vector<ui::FileListRow>& rows);
    void applyEnabled(HMENU menu) const;
    void addTooltips();
    void addDeveloperMenu();
    void setText(int id, const std::string& text);
    void showControl(int id, bool shown);

    HINSTANCE instance_;
    HWND window_ = nullptr;
    bool exitAfterFirstPaint_ = false;
    bool developerMenu_ = false;
    bool painted_ = false;
    app::MainWindow* logic_ = nullptr;
    std::vector<std::string> commandLineFiles_;
    RegisterHandler registerHandler_;
    bool registersPerUser_ = true;
    HandOverReceiver receiver_;
    // Files handed over or dropped while an action runs, taken when it ends.
    std::vector<std::string> pendingFiles_;
    int busy_ = 0;
    bool pushing_ = false;
    bool systemMenuBuilt_ = false;
    HCURSOR cursor_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HWND tooltip_ = nullptr;
    std::wstring tooltipText_;  // kept while the tooltip shows it
    std::vector<ui::AdapterListRow> shownAdapters_;
    std::vector<ui::FileListRow> shownFiles_;
    std::map<int, bool> commandEnabled_;
};

}  // namespace quillon::winui
