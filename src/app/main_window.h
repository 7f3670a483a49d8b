// The main window as toolkit-free state and logic: the lasting objects of a run (the adapter
// session, the card's PDA, the file list, the options and the display fields), the
// initialisation, the routing of every command identifier, the rule that enables and shows
// controls by whether an adapter is selected, and the operations on the adapter choice. A face
// (the window, the terminal, the tests) feeds it the person's actions and draws what it pushes.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "card/access_library.h"
#include "card/adapter_session.h"
#include "card/registry.h"
#include "pda/pda_image.h"
#include "ui/command_host.h"
#include "ui/main_window_view.h"
#include "ui/outcome.h"
#include "ui/user_interface.h"
#include "update/compatibility_checks.h"
#include "update/update_card.h"
#include "update/update_file_list.h"

namespace quillon::app {

class MainWindow : public ui::CommandHost {
  public:
    MainWindow(card::AccessLibrary& library, card::Registry& registry, ui::UserInterface& ui);
    // Closes the adapter session.
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The initialisation: fields, version text, options, the command-line files in order, the
    // access-library check, and adapter detection with automatic selection of a lone adapter.
    void initialise(const std::vector<std::string>& commandLineFiles);

    // A command identifier from a button, a menu entry or a key (see ui::Command). Whatever
    // the command did, the adapter is closed when it returns. Returns what the command did;
    // a command that only changes the window is done.
    ui::Outcome onCommand(int command);
    // A command of the system menu (see ui::SystemCommand).
    void onSystemCommand(int command);
    // The person selected row `row` of the adapter list.
    void onAdapterListSelection(int row);
    // Files dropped on the window, in the order the drop lists them.
    void onDropFiles(const std::vector<std::string>& paths);
    // A path handed over by another copy of the program.
    void onCopyData(const std::string& path);
    // The person changed the selection of a file-list row.
    void setFileSelected(int row, bool selected);
    // The menu bar is about to open: "Show Info" is enabled only while a file is selected.
    void onMenuAboutToOpen();
    // The file list's own menu is about to open: "Get Info..." and "Remove" are enabled only
    // while a file is selected.
    void onListRightClick();
    // The tooltip of a control, or empty when it has none.
    static std::string tooltip(int controlId);

    // Where copies of the card's PDA are saved before a command writes it (the face knows the
    // person's state folder); with none, nothing writes the PDA.
    void setPdaBackupFolder(std::string folder) { options_.pdaBackupFolder = std::move(folder); }
    // Written blocks are read back and compared unless the face turns it off for a run.
    void setVerifyDownloads(bool verify) {
        options_.verifyDownloads = verify;
        view_.verifyDownloads = verify;
    }
    // Writes the PDA of a ".pda" file (a copy kept earlier) back to the selected card.
    ui::Outcome restorePda(const std::string& path);

    // Adapter choice.
    void detectAdapters(bool autoSelect);
    void selectAdapter();
    void closeSelectedAdapter();

    // ui::CommandHost.
    bool ensureAdapterOpen(bool checkDriver) override;
    void releaseAdapter() override;
    std::uint32_t selectedAdapterIndex() const override { return selectedAdapterIndex_; }
    void refreshControls() override;
    void setStatusText(const std::string& text) override;
    std::string pdaMacText() const override { return view_.pdaMacText; }
    std::string pdaSerialText() const override { return view_.pdaSerialText; }
    std::string partNumberText() const override { return partNumberText_; }
    std::string platformText() const override { return platformText_; }

    // Writes the view into the face.
    void push();
    // Takes the bound fields back from the view; false, after telling the person, when the
    // status line is longer than its control holds.
    bool pull();

    // Keeps the cursor for the window and shows it at once.
    void setCursor(ui::Cursor cursor);
    ui::Cursor cursor() const { return cursor_; }

    // Command 1 or 2 closed the window; the face ends the run.
    bool closed() const { return closed_; }

    // State, for faces and tests.
    const ui::MainWindowView& view() const { return view_; }
    bool adapterSelected() const { return adapterSelected_; }
    const pda::PdaImage& pda() const { return pda_; }
    card::AdapterSession& session() { return session_; }
    const card::AdapterSession& session() const { return session_; }
    const update::UpdateFileList& fileList() const { return fileList_; }
    update::UpdateFileList& fileList() { return fileList_; }
    const ui::ProgrammingOptions& options() const { return options_; }
    // With a dry run set, "Continue" checks and reports as always but writes nothing to the
    // card (see update::DryRun).
    void setDryRun(std::optional<update::DryRun> dryRun) { dryRun_ = std::move(dryRun); }
    const update::SupplierRange& primarySupplier() const { return primarySupplier_; }
    // The PDA records the last "Continue" would change (or changed), for faces that list them.
    const std::vector<update::PdaChange>& lastPdaChanges() const { return lastPdaChanges_; }
    // What the last "Continue" did; none before the first.
    const std::optional<update::UpdateOutcome>& lastUpdate() const { return lastUpdate_; }

  private:
    ui::Outcome routeCommand(int command);
    // The adapter list's texts: an adapter whose name another one shares is told apart by its
    // number and, once it was selected, its MAC address.
    void labelAdapters();
    void addFileByDialog();
    // Queues the files in order and says in the status line which queued file each one
    // replaced, and when the queue holds more files than an update takes.
    void addFiles(const std::vector<std::string>& paths);
    void showAbout();
    void refreshPdaFields();

    card::AccessLibrary& library_;
    card::Registry& registry_;
    ui::UserInterface& ui_;
    card::AdapterSession session_;
    pda::PdaImage pda_;
    update::UpdateFileList fileList_;
    ui::ProgrammingOptions options_;
    std::optional<update::DryRun> dryRun_;
    std::optional<update::UpdateOutcome> lastUpdate_;
    update::SupplierRange primarySupplier_;
    std::vector<update::PdaChange> lastPdaChanges_;
    ui::MainWindowView view_;
    std::string partNumberText_;
    std::string platformText_;
    std::vector<std::string> adapterNames_;             // the list's adapters, as found
    std::map<std::uint32_t, std::string> adapterMacs_;  // by item data, once read
    bool adapterSelected_ = false;
    std::uint32_t selectedAdapterIndex_ = 0;
    ui::Cursor cursor_ = ui::Cursor::Arrow;
    bool closed_ = false;
};

}  // namespace quillon::app
