// The terminal's way of speaking to a person. Each message box is printed as its caption, ": "
// and its text (a caption that ends in a colon is followed by a blank only). A question is asked on
// the terminal when standard input is one; otherwise it takes the safe answer (Cancel, No) unless
// the person said --yes beforehand. --yes answers confirmations only: a question asked after a
// failure takes the safe answer unless --force is given too. Reports are printed in colour on a
// terminal, file dialogs are answered with the file named on the command line, and the progress
// window draws a bar on standard error.
//
// The terminal keeps a record of what it showed, so that a command can tell from it whether it
// succeeded (the core's commands report their outcome to the person, not to the caller).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/interrupts.h"
#include "cli/terminal_progress.h"
#include "ui/user_interface.h"

namespace quillon::cli {

// The caption a box shows: its own, else the application's name for a box of the main window,
// else the platform's default caption.
std::string boxCaption(const ui::MessageBox& box);

// How questions are answered when nobody is asked.
enum class AnswerPolicy {
    Ask,  // ask on the terminal; without one, take the safe answer
    Yes,  // --yes: OK, Yes, UPDATE to confirmations
    No,   // --no: Cancel, No
};

// A typed answer to any of the terminal's questions: true for y, yes, o, ok; false for n, no,
// c, cancel (in any letter case, blanks around ignored); none for anything else.
std::optional<bool> parseAnswer(const std::string& line);

// What the "View / Modify PDA Settings" dialog is filled with.
struct PdaSettingsInput {
    std::optional<std::string> mac;     // --mac TEXT, typed into the MAC box
    std::optional<std::string> serial;  // --serial TEXT
    bool keepCase = false;              // --keep-case: "Convert to Uppercase" unchecked
};

struct TerminalOptions {
    AnswerPolicy answers = AnswerPolicy::Ask;
    bool force = false;   // --force: with --yes, go on after a failure too
    bool colour = false;  // ANSI colours in reports
    bool quiet = false;   // --quiet: only errors, warnings and questions are printed
    bool dryRun = false;  // update --dry-run: UPDATE is answered, for nothing reaches the card
    // The file a file dialog answers with; none cancels every file dialog.
    std::optional<std::string> dialogFile;
    PdaSettingsInput pdaSettings;
};

// The colour decision for --color WHEN (auto, always or never): with auto, ANSI colours only
// on a terminal that is not TERM=dumb, and never when NO_COLOR is set.
bool useColour(const CliIo& io, const std::string& when = "auto");

class TerminalUserInterface : public ui::UserInterface {
  public:
    struct ShownBox {
        std::string caption;
        std::string text;
    };
    struct ShownReport {
        std::string title;
        std::string text;  // with its colour tags
        bool acceptShown = false;
        bool accepted = false;
    };

    TerminalUserInterface(CliIo& io, TerminalOptions options);
    // The face of commands that ask at most a question: --yes or ask.
    TerminalUserInterface(CliIo& io, bool assumeYes);

    ui::Answer messageBox(const ui::MessageBox& box) override;
    std::optional<ui::FileDialogResult> fileDialog(const ui::FileDialogRequest& request) override;
    bool showReport(const ui::ReportRequest& request) override;
    std::unique_ptr<ui::ProgressWindow> createProgressWindow() override;
    bool runPdaSettingsDialog(pda::PdaSettingsDialog& dialog) override;
    void pushMainWindow(const ui::MainWindowView& view) override;
    void notice(const std::string& text) override;
    void cardWriting(bool writing) override;  // keys typed meanwhile are discarded after
    bool stopRequested() override;

    // The person stopped the card writes with a second interrupt.
    bool stopped() const { return stopped_; }
    void fileNotRead(const std::string& path, const std::string& reason) override;

    // What was shown, in order.
    const std::vector<ShownBox>& boxes() const { return boxes_; }
    const std::vector<ShownReport>& reports() const { return reports_; }
    // The images an update wrote or tried to write, as their progress ended.
    const std::vector<WrittenImage>& writtenImages() const { return progressLine_.images(); }
    bool hasBox(const std::string& caption) const;
    // The number of boxes shown before the first file dialog was answered with a file, or none
    // when no file dialog was answered.
    std::optional<std::size_t> boxesBeforeFileChosen() const { return boxesBeforeFileChosen_; }
    // The PDA settings dialog was closed without confirming (a MAC address it refused).
    bool pdaSettingsRejected() const { return pdaSettingsRejected_; }
    // The files a reader could not read, each named once.
    const std::vector<std::string>& unreadFiles() const { return unreadFiles_; }

  private:
    // A yes-or-no question on the terminal, answered by the policy when nobody is asked.
    bool askYesNo(const std::string& prompt);
    // Reads answers until one is understood; an empty answer is the safe one (false), and so
    // is the end of the input.
    bool readAnswer(const std::string& prompt, const std::string& accepted);
    // Where a question is put to the person: standard output when it is the terminal, else the
    // terminal itself, so that a redirected report never swallows a question.
    std::ostream& askingStream();

    CliIo& io_;
    TerminalOptions options_;
    std::ostream nowhere_{nullptr};  // where --quiet sends what is not printed
    ProgressLine progressLine_;
    std::vector<ShownBox> boxes_;
    std::vector<ShownReport> reports_;
    std::optional<std::size_t> boxesBeforeFileChosen_;
    bool pdaSettingsRejected_ = false;
    std::string lastStatus_;
    std::unique_ptr<InterruptHold> interruptHold_;
    bool stopped_ = false;
    std::vector<std::string> unreadFiles_;
    std::vector<std::string> toldReasons_;
};

// Keeps the boxes instead of showing them, for commands that report a failure in one line.
class CollectingUserInterface : public ui::UserInterface {
  public:
    ui::Answer messageBox(const ui::MessageBox& box) override;
    void fileNotRead(const std::string& path, const std::string& reason) override;
    const std::string& firstText() const { return firstText_; }
    // Why a reader refused the file, or empty.
    const std::string& readerReason() const { return readerReason_; }

  private:
    std::string firstText_;
    std::string readerReason_;
};

}  // namespace quillon::cli
