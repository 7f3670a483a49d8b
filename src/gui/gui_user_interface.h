// The window face of the person seam: message boxes, file dialogs, the report window, the
// progress window, the PDA settings dialog, the About box, the cursor and the main window's
// controls. It shows what the logic asks and returns what the person answered.
#pragma once

#include <QStringList>
#include <string>

class QMessageBox;

#include "ui/user_interface.h"

namespace quillon::gui {

class MainWindowWidget;

class GuiUserInterface : public ui::UserInterface {
  public:
    explicit GuiUserInterface(MainWindowWidget& window) : window_(window) {}

    ui::Answer messageBox(const ui::MessageBox& box) override;
    std::optional<ui::FileDialogResult> fileDialog(const ui::FileDialogRequest& request) override;
    bool showReport(const ui::ReportRequest& request) override;
    std::unique_ptr<ui::ProgressWindow> createProgressWindow() override;
    bool runPdaSettingsDialog(pda::PdaSettingsDialog& dialog) override;
    void showAbout() override;
    void setCursor(ui::Cursor cursor) override;
    void showMainWindow(bool shown) override;
    void enableMainWindow(bool enabled) override;
    void pushMainWindow(const ui::MainWindowView& view) override;
    void notice(const std::string& text) override;
    // Kept for the box that follows, which shows the reason under its own text.
    void fileNotRead(const std::string& path, const std::string& reason) override;

  private:
    MainWindowWidget& window_;
    std::string pendingReason_;
};

// The width a box needs for its caption to stand whole in a title bar.
int captionWidth(const QString& caption);
// Keeps a message box at least as wide as its caption needs.
void keepCaptionWhole(QMessageBox& message);

// The Qt name filter of a dialog filter ("Hex File (*.hex)|*.hex|...|"), one entry per pair.
QStringList qtNameFilters(const std::string& filter);

}  // namespace quillon::gui
