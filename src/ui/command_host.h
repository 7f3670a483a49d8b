// What a command started from the main window may ask of the window besides the person: the
// adapter choice (re-open the selected adapter for the command, close it again), the refresh
// of the window's controls and the status line. Commands take it, the adapter session, the
// PDA and the options by reference, never the whole window. The window implements it; tests
// may script it.
#pragma once

#include <cstdint>
#include <string>

namespace quillon::ui {

// The two programming options. Their check boxes are never shown; every written block is read
// back and compared unless a face turns verification off for a run.
struct ProgrammingOptions {
    bool forceAllBlocks = true;
    bool verifyDownloads = true;
    // Where a copy of the card's PDA is saved before any command writes it. The face sets it;
    // with none, no command writes the PDA.
    std::string pdaBackupFolder;
};

class CommandHost {
  public:
    virtual ~CommandHost() = default;

    // Re-opens the selected adapter before a card command, with the driver-version check when
    // the command changes the card. False after telling the person why; with no adapter
    // selected or an adapter that no longer opens, the choice is forgotten.
    virtual bool ensureAdapterOpen(bool checkDriver) = 0;
    // Closes the adapter; it is never kept open between commands.
    virtual void releaseAdapter() = 0;
    // The item data of the selected adapter: its index for opening.
    virtual std::uint32_t selectedAdapterIndex() const = 0;

    // Re-derives the enabled and shown controls and the PDA fields, then pushes.
    virtual void refreshControls() = 0;
    // Assigns the status line and pushes it.
    virtual void setStatusText(const std::string& text) = 0;
    // The PDA-derived fields as refreshControls last derived them.
    virtual std::string pdaMacText() const = 0;
    virtual std::string pdaSerialText() const = 0;
    virtual std::string partNumberText() const = 0;
    virtual std::string platformText() const = 0;
};

}  // namespace quillon::ui
