#include "winui/main_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <array>

#include "app/main_window.h"
#include "base/log.h"
#include "winui/resource_ids.h"
#include "winui/wide_text.h"

namespace quillon::winui {

using namespace quillon::ui;

namespace {

// The system's cursors, by number: IDC_ARROW and IDC_WAIT name them in narrow text here.
const wchar_t* const kArrowCursor = MAKEINTRESOURCEW(32512);
const wchar_t* const kWaitCursor = MAKEINTRESOURCEW(32514);

// The commands without a button or menu entry, with the letter that reaches each one
// together with Ctrl and Shift.
struct HiddenCommand {
    int command;
    WORD key;
    const wchar_t* text;  // in the developer menu
};
constexpr std::array<HiddenCommand, 8> kHiddenCommands{{
    {kCmdDisplayPda, 'D', L"&Display PDA...\tCtrl+Shift+D"},
    {kCmdModifyPda, 'M', L"View / &Modify PDA Settings...\tCtrl+Shift+M"},
    {kCmdSavePda, 'S', L"&Save PDA...\tCtrl+Shift+S"},
    {kCmdClearPdaMenu, 'L', L"C&lear PDA...\tCtrl+Shift+L"},
    {kCmdShowCis, 'C', L"Show &CIS...\tCtrl+Shift+C"},
    {kCmdMacType, 'T', L"MAC &Type\tCtrl+Shift+T"},
    {kCmdDriverVersion, 'V', L"Driver &Version\tCtrl+Shift+V"},
    {kCmdRidStressTest, 'R', L"&RID Read Test\tCtrl+Shift+R"},
}};

// Posted after the first paint, to finish painting the controls and note the window shown.
constexpr UINT kFirstPainted = WM_APP + 1;

// The controls whose tooltips the logic names.
constexpr std::array<int, 7> kTooltipControls{IDC_CONTINUE,        IDC_CLOSE_ADAPTER, IDC_PDA_MAC,
                                              IDC_PDA_SERIAL,      IDC_CURRENT_MAC,   IDC_FILE_LIST,
                                              IDC_FORCE_ALL_BLOCKS};

// A multi-line edit control breaks lines at a carriage return and a line feed only.
std::string withCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += '\r';
        }
        out += text[i];
    }
    return out;
}

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void setWindowTextIfChanged(HWND window, const std::wstring& text) {
    // Setting the same text again makes the control flicker and moves its caret.
    if (window != nullptr && windowText(window) != text) {
        SetWindowTextW(window, text.c_str());
    }
}

bool sameAdapters(const std::vector<AdapterListRow>& a, const std::vector<AdapterListRow>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text || a[i].itemData != b[i].itemData) {
            return false;
        }
    }
    return true;
}

bool sameFiles(const std::vector<FileListRow>& a, const std::vector<FileListRow>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].type != b[i].type || a[i].typeText != b[i].typeText || a[i].path != b[i].path) {
            return false;
        }
    }
    return true;
}

}  // namespace

MainDialog::MainDialog(HINSTANCE instance) : instance_(instance) {
    cursor_ = LoadCursorW(nullptr, kArrowCursor);
}

MainDialog::~MainDialog() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    if (icon_ != nullptr) {
        DestroyIcon(icon_);
    }
    if (smallIcon_ != nullptr) {
        DestroyIcon(smallIcon_);
    }
}

void MainDialog::attach(app::MainWindow& logic, std::vector<std::string> commandLineFiles) {
    logic_ = &logic;
    commandLineFiles_ = std::move(commandLineFiles);
}

void MainDialog::runModal() {
    if (create() == nullptr) {
        return;
    }
    // The commands without a button or menu entry answer the same keys as in the other window.
    std::array<ACCEL, kHiddenCommands.size()> keys{};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        keys[i] = ACCEL{FVIRTKEY | FCONTROL | FSHIFT, kHiddenCommands[i].key,
                        static_cast<WORD>(kHiddenCommands[i].command)};
    }
    HACCEL table = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    MSG message{};
    while (window_ != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (table != nullptr && TranslateAcceleratorW(window_, table, &message) != 0) {
            continue;
        }
        if (IsDialogMessageW(window_, &message) != FALSE) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (table != nullptr) {
        DestroyAcceleratorTable(table);
    }
}

HWND MainDialog::create() {
    HWND window = CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_MAIN_WINDOW), nullptr,
                                     &MainDialog::dialogProc, reinterpret_cast<LPARAM>(this));
    if (window != nullptr) {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
    }
    return window;
}

INT_PTR CALLBACK MainDialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<MainDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->window_ = window;
        dialog->onInitDialog();
        return TRUE;
    }
    auto* dialog = reinterpret_cast<MainDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        dialog->window_ = nullptr;
        return FALSE;
    }
    return dialog->onMessage(message, wParam, lParam);
}

void MainDialog::onInitDialog() {
    // The window's own icon, at the sizes the system asks for.
    icon_ =
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_QUILLON), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_QUILLON), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    if (icon_ != nullptr) {
        SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    }
    if (smallIcon_ != nullptr) {
        SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    }

    addTooltips();
    if (developerMenu_) {
        addDeveloperMenu();
    }

    // The file list: two columns and the six type icons (black is transparent).
    HWND list = GetDlgItem(window_, IDC_FILE_LIST);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const std::array<std::pair<const wchar_t*, int>, 2> columns{std::pair{L"Type / Version", 90},
                                                                std::pair{L"File Path", 250}};
    for (std::size_t i = 0; i < columns.size(); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = columns[i].second;
        column.pszText = const_cast<wchar_t*>(columns[i].first);
        column.iSubItem = static_cast<int>(i);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    HIMAGELIST types = ImageList_LoadImageW(instance_, MAKEINTRESOURCEW(IDB_FILE_TYPES), 16, 0,
                                            RGB(0, 0, 0), IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (types != nullptr) {
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(types));
    }

    DragAcceptFiles(window_, TRUE);
    if (logic_ != nullptr) {
        ++busy_;
        logic_->initialise(commandLineFiles_);
        --busy_;
    }
    finishAction();
}

INT_PTR MainDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))
                       ? TRUE
                       : FALSE;
        case WM_NOTIFY:
            onNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return FALSE;
        case WM_SYSCOMMAND: {
            const int command = static_cast<int>(wParam);
            if (command == kSysAbout || command == kSysRegisterHex || command == kSysRegisterPda) {
                onSystemCommand(command);
                return TRUE;
            }
            return FALSE;
        }
        case WM_CLOSE:
            // The close box closes the window as "Quit" does.
            run([this] { logic_->onCommand(kCmdClose); });
            return TRUE;
        case WM_DROPFILES:
            onDropFiles(reinterpret_cast<HDROP>(wParam));
            return TRUE;
        case WM_COPYDATA:
            onCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_INITMENUPOPUP:
            // The menu bar's menus only; the system menu needs nothing.
            if (HIWORD(lParam) == FALSE && logic_ != nullptr && busy_ == 0) {
                logic_->onMenuAboutToOpen();
                applyEnabled(reinterpret_cast<HMENU>(wParam));
            }
            return FALSE;
        case WM_SETCURSOR:
            // The kept cursor shows over the window and every control: a long command's wait
            // cursor stays until the command sets the arrow again.
            SetCursor(cursor_);
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case kFirstPainted:
            RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            writeLog("quillon: window shown\n");
            if (exitAfterFirstPaint_) {
                DestroyWindow(window_);
            }
            return TRUE;
        case WM_PAINT:
            if (!painted_) {
                painted_ = true;
                PostMessageW(window_, kFirstPainted, 0, 0);
            }
            if (IsIconic(window_) && icon_ != nullptr) {
                PAINTSTRUCT paint{};
                HDC dc = BeginPaint(window_, &paint);
                RECT client{};
                GetClientRect(window_, &client);
                DrawIcon(dc, (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
                         (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, icon_);
                EndPaint(window_, &paint);
                return TRUE;
            }
            return FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_DESTROY:
            DragAcceptFiles(window_, FALSE);
            return FALSE;
        default:
            return FALSE;
    }
}

bool MainDialog::onCommand(int id, int code, HWND control) {
    if (logic_ == nullptr) {
        return false;
    }
    if (id == IDC_ADAPTER_LIST) {
        // Only the person's selection selects an adapter, never the window's own push.
        if (code == LBN_SELCHANGE && !pushing_) {
            const auto row = static_cast<int>(
                SendMessageW(GetDlgItem(window_, IDC_ADAPTER_LIST), LB_GETCURSEL, 0, 0));
            if (row >= 0) {
                run([this, row] { logic_->onAdapterListSelection(row); });
            }
        }
        return true;
    }
    // Buttons say BN_CLICKED, menus 0 and keys 1; the edit controls' own notifications are
    // not commands.
    if ((control != nullptr && code != BN_CLICKED) || (control == nullptr && code > 1)) {
        return false;
    }
    run([this, id] { logic_->onCommand(id); });
    return true;
}

void MainDialog::onNotify(const NMHDR& header) {
    if (logic_ == nullptr) {
        return;
    }
    if (header.code == TTN_GETDISPINFOW) {
        auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
        const int id = (info.uFlags & TTF_IDISHWND) != 0
                           ? GetDlgCtrlID(reinterpret_cast<HWND>(header.idFrom))
                           : static_cast<int>(header.idFrom);
        tooltipText_ = wideFromUtf8(app::MainWindow::tooltip(id));
        info.lpszText = tooltipText_.data();
        return;
    }
    if (header.idFrom != IDC_FILE_LIST) {
        return;
    }
    if (header.code == LVN_ITEMCHANGED && !pushing_) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) == 0 ||
            ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) == 0) {
            return;
        }
        const bool selected = (change.uNewState & LVIS_SELECTED) != 0;
        if (change.iItem >= 0) {
            logic_->setFileSelected(change.iItem, selected);
        } else {
            for (std::size_t row = 0; row < shownFiles_.size(); ++row) {
                logic_->setFileSelected(static_cast<int>(row), selected);
            }
        }
        for (std::size_t row = 0; row < shownFiles_.size(); ++row) {
            shownFiles_[row].selected =
                SendMessageW(header.hwndFrom, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0;
        }
        return;
    }
    if (header.code == NM_RCLICK) {
        const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
        POINT at = click.ptAction;
        ClientToScreen(header.hwndFrom, &at);
        showFileListMenu(at);
    }
}

void MainDialog::showFileListMenu(POINT screen) {
    if (busy_ > 0) {
        return;
    }
    logic_->onListRightClick();
    HMENU menu = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_FILE_LIST_MENU));
    if (menu == nullptr) {
        return;
    }
    HMENU popup = GetSubMenu(menu, 0);
    applyEnabled(popup);
    // The chosen entry comes back as a command, as from the menu bar.
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window_, nullptr);
    DestroyMenu(menu);
}

void MainDialog::onSystemCommand(int command) {
    if (command == kSysRegisterHex || command == kSysRegisterPda) {
        if (registerHandler_ && busy_ == 0) {
            registerHandler_(command == kSysRegisterHex ? ".hex" : ".pda", registersPerUser_);
        }
        return;
    }
    run([this, command] { logic_->onSystemCommand(command); });
}

void MainDialog::onDropFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // A name is taken whole, however long.
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, i, name.data(), length + 1);
        name.resize(copied);
        paths.push_back(utf8FromWide(name));
    }
    DragFinish(drop);
    if (logic_ == nullptr || paths.empty()) {
        return;
    }
    if (busy_ > 0) {
        pendingFiles_.insert(pendingFiles_.end(), paths.begin(), paths.end());
        return;
    }
    run([this, &paths] { logic_->onDropFiles(paths); });
}

void MainDialog::onCopyData(const COPYDATASTRUCT& data) {
    const std::optional<std::string> path = receiver_.receive(data);
    if (!path || logic_ == nullptr) {
        return;
    }
    // A file handed over while a command asks the person something waits for the command's
    // end: the command may be working through the very list it would join.
    if (busy_ > 0) {
        pendingFiles_.push_back(*path);
        return;
    }
    run([this, &path] { logic_->onCopyData(*path); });
}

void MainDialog::run(const std::function<void()>& action) {
    // One action at a time: a click that reaches the window while a command waits for the
    // person (a box, the report) would start a second command inside the first.
    if (logic_ == nullptr || window_ == nullptr || busy_ > 0) {
        return;
    }
    ++busy_;
    action();
    --busy_;
    finishAction();
}

void MainDialog::finishAction() {
    if (busy_ > 0 || logic_ == nullptr || window_ == nullptr) {
        return;
    }
    while (!pendingFiles_.empty() && !logic_->closed()) {
        const std::string path = pendingFiles_.front();
        pendingFiles_.erase(pendingFiles_.begin());
        ++busy_;
        logic_->onCopyData(path);
        --busy_;
    }
    if (logic_->closed()) {
        DestroyWindow(window_);
    }
}

void MainDialog::showView(const MainWindowView& view) {
    if (window_ == nullptr) {
        return;
    }
    pushing_ = true;
    setWindowTextIfChanged(window_, wideFromUtf8(view.title));
    setText(IDC_STATUS_LINE, withCarriageReturns(view.statusText));
    setText(IDC_PDA_MAC, view.pdaMacText);
    setText(IDC_PDA_SERIAL, view.pdaSerialText);
    setText(IDC_CURRENT_MAC, view.currentMacText);
    setText(IDC_ADAPTER_NAME, view.adapterNameText);
    setText(IDC_VERSION_TEXT, view.versionText);
    CheckDlgButton(window_, IDC_FORCE_ALL_BLOCKS, view.forceAllBlocks ? BST_CHECKED : 0);
    CheckDlgButton(window_, IDC_VERIFY_DOWNLOADS, view.verifyDownloads ? BST_CHECKED : 0);

    EnableWindow(GetDlgItem(window_, IDC_CONTINUE), view.continueEnabled ? TRUE : FALSE);
    showControl(IDC_CLOSE_ADAPTER, view.closeAdapterShown);
    showControl(IDC_ADAPTER_LIST, view.adapterListShown);
    showControl(IDC_ADAPTER_NAME, view.adapterNameShown);
    showControl(IDC_DETECT_ADAPTERS, view.detectAdaptersShown);

    showAdapters(view);
    showFiles(view.files);
    commandEnabled_ = view.commandEnabled;
    registersPerUser_ = view.registersPerUser;
    applyEnabled(GetMenu(window_));
    if (!systemMenuBuilt_ && !view.systemMenu.empty()) {
        buildSystemMenu(view.systemMenu);
    }
    pushing_ = false;
}

void MainDialog::showAdapters(const MainWindowView& view) {
    HWND list = GetDlgItem(window_, IDC_ADAPTER_LIST);
    if (!sameAdapters(view.adapters, shownAdapters_)) {
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        for (const AdapterListRow& row : view.adapters) {
            const std::wstring text = wideFromUtf8(row.text);
            const LRESULT index =
                SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            if (index >= 0) {
                SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), row.itemData);
            }
        }
        shownAdapters_ = view.adapters;
    }
    if (SendMessageW(list, LB_GETCURSEL, 0, 0) != view.selectedAdapterRow) {
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(view.selectedAdapterRow), 0);
    }
}

void MainDialog::showFiles(const std::vector<FileListRow>& rows) {
    HWND list = GetDlgItem(window_, IDC_FILE_LIST);
    if (!sameFiles(rows, shownFiles_)) {
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            std::wstring typeText = wideFromUtf8(rows[i].typeText);
            std::wstring path = wideFromUtf8(rows[i].path);
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = static_cast<int>(i);
            item.iImage = rows[i].type;
            item.pszText = typeText.data();
            const auto index = static_cast<int>(
                SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            LVITEMW column{};
            column.iSubItem = 1;
            column.pszText = path.data();
            SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(&column));
        }
        shownFiles_ = rows;
        for (FileListRow& row : shownFiles_) {
            row.selected = false;
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].selected != shownFiles_[i].selected) {
            LVITEMW state{};
            state.stateMask = LVIS_SELECTED;
            state.state = rows[i].selected ? LVIS_SELECTED : 0;
            SendMessageW(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
            shownFiles_[i].selected = rows[i].selected;
        }
    }
}

void MainDialog::applyEnabled(HMENU menu) const {
    if (menu == nullptr) {
        return;
    }
    for (const auto& [command, enabled] : commandEnabled_) {
        EnableMenuItem(menu, static_cast<UINT>(command),
                       MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

void MainDialog::buildSystemMenu(const std::vector<MenuEntry>& entries) {
    systemMenuBuilt_ = true;
    std::array<wchar_t, 64> about{};
    if (LoadStringW(instance_, IDS_ABOUT_BOX, about.data(), static_cast<int>(about.size())) <= 0) {
        return;
    }
    HMENU menu = GetSystemMenu(window_, FALSE);
    if (menu == nullptr) {
        return;
    }
    for (const MenuEntry& entry : entries) {
        if (entry.command == 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            const std::wstring text = wideFromUtf8(entry.text);
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(entry.command), text.c_str());
        }
    }
}

void MainDialog::addDeveloperMenu() {
    HMENU bar = GetMenu(window_);
    HMENU developer = CreatePopupMenu();
    if (bar == nullptr || developer == nullptr) {
        return;
    }
    for (const HiddenCommand& hidden : kHiddenCommands) {
        AppendMenuW(developer, MF_STRING, static_cast<UINT_PTR>(hidden.command), hidden.text);
    }
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(developer), L"&Developer");
    DrawMenuBar(window_);
}

void MainDialog::addTooltips() {
    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                               instance_, nullptr);
    if (tooltip_ == nullptr) {
        return;
    }
    // The file list's tooltip is long: it wraps.
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 300);
    for (const int id : kTooltipControls) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window_, id));
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MainDialog::setText(int id, const std::string& text) {
    setWindowTextIfChanged(GetDlgItem(window_, id), wideFromUtf8(text));
}

void MainDialog::showControl(int id, bool shown) {
    HWND control = GetDlgItem(window_, id);
    // The control's own flag: while the window itself is hidden every control reads invisible.
    if (control != nullptr && ((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0) != shown) {
        ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
    }
}

void MainDialog::showCursor(Cursor cursor) {
    cursor_ = LoadCursorW(nullptr, cursor == Cursor::Wait ? kWaitCursor : kArrowCursor);
    SetCursor(cursor_);
}

void MainDialog::notice(const std::string& text) {
    if (logic_ != nullptr) {
        logic_->setStatusText(text);
    }
}

}  // namespace quillon::winui
