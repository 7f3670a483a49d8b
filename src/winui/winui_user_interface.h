// The native window's face of the person seam: message boxes, the open and save dialogs, the
// report, progress, About and PDA settings windows, the cursor and the main window's controls.
// It shows what the logic asks and returns what the person answered. Tests derive from it to
// answer the boxes and the report window themselves.
#pragma once

#include "winui/windows_api.h"

#include <string>

#include "ui/user_interface.h"

namespace quillon::winui {

class MainDialog;

class WinUserInterface : public ui::UserInterface {
  public:
    explicit WinUserInterface(MainDialog& window) : window_(window) {}

    ui::Answer messageBox(const ui::MessageBox& box) override;
    std::optional<ui::FileDialogResult> fileDialog(const ui::FileDialogRequest& request) override;
    bool showReport(const ui::ReportRequest& request) override;
    std::unique_ptr<ui::ProgressWindow> createProgressWindow() override;
    bool runPdaSettingsDialog(pda::PdaSettingsDialog& dialog) override;
    void showAbout() override;
    void setCursor(ui::Cursor cursor) override;
    void notice(const std::string& text) override;
    // Kept for the box that follows, which shows the reason under its own text.
    void fileNotRead(const std::string& path, const std::string& reason) override;
    void showMainWindow(bool shown) override;
    void enableMainWindow(bool enabled) override;
    void pushMainWindow(const ui::MainWindowView& view) override;

    // The application's name, which a box of the main window without a caption of its own
    // shows: the program's file name without its extension.
    static std::wstring applicationName();

  protected:
    // Shows a system message box (MessageBoxW's flags) and returns its answer (IDOK...).
    virtual int showMessageBox(HWND owner, const std::wstring& text, const wchar_t* caption,
                               UINT flags);

    MainDialog& window_;

  private:
    std::string pendingReason_;
};

// The filter of a file dialog ("Hex File (*.hex)|*.hex|...|") as the system's dialog takes it:
// each part ended by a zero, the whole ended by a second zero.
std::wstring systemFilter(const std::string& filter);

}  // namespace quillon::winui
