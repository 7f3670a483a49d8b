#include "cli/terminal_ui.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <istream>
#include <ostream>

#include "base/file_path.h"
#include "cli/report_printer.h"
#include "commands/pda_settings_dialog.h"
#include "ui/main_window_view.h"
#include "ui/report_text.h"

namespace quillon::cli {

namespace {

constexpr const char* kApplicationName = "quillon";
// What a system message box shows when it is given no caption and no owner.
constexpr const char* kDefaultCaption = "Error";

bool isQuestion(const ui::MessageBox& box) {
    return box.buttons != ui::Buttons::Ok;
}

ui::Answer safeAnswer(const ui::MessageBox& box) {
    return box.buttons == ui::Buttons::YesNo ? ui::Answer::No : ui::Answer::Cancel;
}

ui::Answer positiveAnswer(const ui::MessageBox& box) {
    return box.buttons == ui::Buttons::YesNo ? ui::Answer::Yes : ui::Answer::Ok;
}

std::string lowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return text;
}

// The patterns of a dialog filter ("Hex File (*.hex)|*.hex|Text Dump (*.dmp)|*.dmp|"), one
// list per filter, in order.
std::vector<std::string> filterPatterns(const std::string& filter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t bar = filter.find('|'); bar != std::string::npos;
         bar = filter.find('|', start)) {
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    std::vector<std::string> patterns;
    for (std::size_t i = 1; i < parts.size(); i += 2) {
        patterns.push_back(lowerCase(parts[i]));
    }
    return patterns;
}

// The filter a person would pick for a file name: the first whose patterns name its extension,
// else the first that takes every file, else 0 (none fits).
int filterIndexFor(const std::string& filter, const std::string& path) {
    const std::string extension = lowerCase(pathText(filePath(path).extension()));
    const std::vector<std::string> patterns = filterPatterns(filter);
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t semicolon = patterns[i].find(';', start);
            const std::string pattern = patterns[i].substr(start, semicolon - start);
            if (!extension.empty() && pattern == "*" + extension) {
                return static_cast<int>(i) + 1;
            }
            if (semicolon == std::string::npos) {
                break;
            }
            start = semicolon + 1;
        }
    }
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        if (patterns[i] == "*.*") {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

}  // namespace

std::string boxCaption(const ui::MessageBox& box) {
    if (box.caption) {
        return *box.caption;
    }
    return box.owner == ui::Owner::MainWindow ? kApplicationName : kDefaultCaption;
}

bool useColour(const CliIo& io, const std::string& when) {
    if (when == "always") {
        return true;
    }
    if (when == "never") {
        return false;
    }
    return io.outIsTerminal && io.env("NO_COLOR").empty() && io.env("TERM") != "dumb";
}

std::optional<bool> parseAnswer(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    const std::size_t last = line.find_last_not_of(" \t\r");
    const std::string word = first == std::string::npos
                                 ? std::string()
                                 : lowerCase(line.substr(first, last - first + 1));
    if (word == "y" || word == "yes" || word == "o" || word == "ok") {
        return true;
    }
    if (word == "n" || word == "no" || word == "c" || word == "cancel") {
        return false;
    }
    return std::nullopt;
}

TerminalUserInterface::TerminalUserInterface(CliIo& io, TerminalOptions options)
    : io_(io), options_(std::move(options)), progressLine_(options_.quiet ? nowhere_ : io.err) {}

TerminalUserInterface::TerminalUserInterface(CliIo& io, bool assumeYes)
    : TerminalUserInterface(io, [assumeYes] {
          TerminalOptions options;
          options.answers = assumeYes ? AnswerPolicy::Yes : AnswerPolicy::Ask;
          return options;
      }()) {}

bool TerminalUserInterface::hasBox(const std::string& caption) const {
    for (const ShownBox& box : boxes_) {
        if (box.caption == caption) {
            return true;
        }
    }
    return false;
}

void TerminalUserInterface::cardWriting(bool writing) {
    if (writing) {
        interruptHold_ = std::make_unique<InterruptHold>();
    } else {
        interruptHold_.reset();
        // Keys pressed while the card was written are not answers to what comes next, nor
        // commands for the shell afterwards.
        if (io_.inIsTerminal) {
            discardTypedInput();
        }
    }
}

std::ostream& TerminalUserInterface::askingStream() {
    if (io_.outIsTerminal) {
        return io_.out;
    }
    return io_.terminal != nullptr ? *io_.terminal : io_.err;
}

bool TerminalUserInterface::stopRequested() {
    if (interruptHold_ && InterruptHold::count() >= 2) {
        stopped_ = true;
    }
    return stopped_;
}

void TerminalUserInterface::notice(const std::string& text) {
    // Beside the command's output, so that what a command prints for scripts stays as it is.
    progressLine_.breakLine();
    io_.out << std::flush;
    io_.err << text << '\n';
}

ui::Answer TerminalUserInterface::messageBox(const ui::MessageBox& box) {
    progressLine_.breakLine();
    const std::string caption = boxCaption(box);
    boxes_.push_back({caption, box.text});
    // Captions such as "MAC ID:" carry their own colon, and a text may begin with its caption
    // ("MAC ID: 2"); the line then reads as the text alone.
    const bool ownColon = !caption.empty() && caption.back() == ':';
    const bool problem = box.icon == ui::Icon::Error || box.icon == ui::Icon::Warning;
    if (!isQuestion(box) && options_.quiet && !problem && !box.isResult) {
        return ui::Answer::Ok;
    }
    if (ownColon && box.text.rfind(caption, 0) == 0) {
        io_.out << box.text << '\n';
    } else {
        io_.out << caption << (ownColon ? " " : ": ") << box.text << '\n';
    }
    if (!isQuestion(box)) {
        return ui::Answer::Ok;
    }
    const bool yesNo = box.buttons == ui::Buttons::YesNo;
    const std::string safe = yesNo ? "no" : "cancel";
    if (options_.answers == AnswerPolicy::Yes) {
        if (box.question == ui::Question::Confirmation || options_.force) {
            io_.out << (yesNo ? "(yes)" : "(ok)") << '\n';
            return positiveAnswer(box);
        }
        // --yes confirms what the person asked for; going on after a failure needs --force.
        io_.out << '(' << safe << ": --yes does not go on after a failure; --force does)\n";
        return safeAnswer(box);
    }
    if (options_.answers == AnswerPolicy::No || !io_.inIsTerminal) {
        io_.out << '(' << safe << ")\n";
        return safeAnswer(box);
    }
    std::ostream& asking = askingStream();
    if (&asking != &io_.out) {
        io_.out << std::flush;
        asking << caption << (ownColon ? " " : ": ") << box.text << '\n';
    }
    const bool answer =
        yesNo ? readAnswer("[y]es or [n]o? ", "y, yes, n or no (an empty answer is no)")
              : readAnswer("[o]k or [c]ancel? ", "o, ok, c or cancel (an empty answer is cancel)");
    if (&asking != &io_.out) {
        io_.out << '(' << (answer ? (yesNo ? "yes" : "ok") : safe) << ")\n";
    }
    return answer ? positiveAnswer(box) : safeAnswer(box);
}

bool TerminalUserInterface::readAnswer(const std::string& prompt, const std::string& accepted) {
    std::ostream& asking = askingStream();
    for (;;) {
        asking << prompt << std::flush;
        std::string line;
        if (!std::getline(io_.in, line)) {
            asking << '\n' << std::flush;
            return false;
        }
        if (line.find_first_not_of(" \t\r") == std::string::npos) {
            return false;  // an empty answer takes the safe way
        }
        if (const std::optional<bool> answer = parseAnswer(line)) {
            return *answer;
        }
        asking << "Please answer " << accepted << ".\n";
    }
}

std::optional<ui::FileDialogResult> TerminalUserInterface::fileDialog(
    const ui::FileDialogRequest& request) {
    if (!options_.dialogFile) {
        return std::nullopt;
    }
    std::string path = *options_.dialogFile;
    // As in the dialog, a name typed without an extension gets the default one.
    if (!request.defaultExtension.empty() && filePath(path).extension().empty()) {
        path += "." + request.defaultExtension;
    }
    std::error_code ec;
    if (request.kind == ui::FileDialogRequest::Kind::Open && request.fileMustExist &&
        !std::filesystem::is_regular_file(filePath(path), ec)) {
        progressLine_.breakLine();
        io_.err << "quillon-cli: " << path << ": no such file\n";
        return std::nullopt;
    }
    if (request.kind == ui::FileDialogRequest::Kind::Save && request.confirmOverwrite &&
        std::filesystem::exists(filePath(path), ec)) {
        const ui::Answer answer =
            messageBox({path + " already exists.\nDo you want to replace it?", "Confirm Save As",
                        ui::Owner::MainWindow, ui::Buttons::YesNo, ui::Icon::Warning,
                        ui::Question::Confirmation});
        if (answer != ui::Answer::Yes) {
            return std::nullopt;
        }
    }
    if (!boxesBeforeFileChosen_) {
        boxesBeforeFileChosen_ = boxes_.size();
    }
    return ui::FileDialogResult{path, filterIndexFor(request.filter, path)};
}

bool TerminalUserInterface::askYesNo(const std::string& prompt) {
    if (options_.answers == AnswerPolicy::Yes) {
        io_.out << prompt << " yes\n";
        return true;
    }
    if (options_.answers == AnswerPolicy::No || !io_.inIsTerminal) {
        io_.out << prompt << " no\n";
        return false;
    }
    const bool answer = readAnswer(prompt + ' ', "y, yes, n or no (an empty answer is no)");
    if (&askingStream() != &io_.out) {
        io_.out << prompt << (answer ? " yes\n" : " no\n");
    }
    return answer;
}

bool TerminalUserInterface::showReport(const ui::ReportRequest& request) {
    progressLine_.breakLine();
    // A report with one way out is what the command was asked for; of the others, --quiet
    // keeps the warnings and faults.
    const bool readOnly = request.acceptCaption == request.cancelCaption;
    std::string shown = request.text;
    if (options_.quiet && !readOnly) {
        shown.clear();
        for (const ui::Finding& finding : ui::reportFindings(request.text)) {
            if (finding.severity == ui::Severity::Error ||
                finding.severity == ui::Severity::Warning) {
                shown += "{+" + finding.colour + "}" + finding.text + "{+k}\n";
            }
        }
    }
    const std::string text = renderReport(shown, options_.colour);
    if (!options_.quiet || !text.empty()) {
        io_.out << text;
        if (text.empty() || text.back() != '\n') {
            io_.out << '\n';
        }
    }
    reports_.push_back({request.title, request.text, request.acceptShown, false});
    bool accepted = false;
    if (!request.acceptShown) {
        accepted = false;
    } else if (request.acceptCaption == request.cancelCaption) {
        // A report with one way out ("Close") is only read.
        accepted = true;
    } else if (options_.dryRun) {
        io_.out << request.acceptCaption << "? [y/N] yes (dry run)\n";
        accepted = true;
    } else {
        accepted = askYesNo(request.acceptCaption + "? [y/N]");
    }
    reports_.back().accepted = accepted;
    io_.out << std::flush;
    return accepted;
}

std::unique_ptr<ui::ProgressWindow> TerminalUserInterface::createProgressWindow() {
    io_.out << std::flush;
    int columns = io_.columns;
    if (columns <= 0) {
        columns = std::atoi(io_.env("COLUMNS").c_str());
    }
    return std::make_unique<TerminalProgressWindow>(
        options_.quiet ? nowhere_ : io_.err, io_.errIsTerminal && !options_.quiet, progressLine_,
        columns, io_.env("TERM") == "dumb");
}

bool TerminalUserInterface::runPdaSettingsDialog(pda::PdaSettingsDialog& dialog) {
    const PdaSettingsInput& input = options_.pdaSettings;
    if (input.mac) {
        // The MAC box turns letters to upper case as they are typed.
        std::string typed = *input.mac;
        for (char& c : typed) {
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
        dialog.onMacTextChanged(typed.substr(0, pda::PdaSettingsDialog::kMacTextLimit));
    }
    if (input.serial) {
        dialog.setSerialText(input.serial->substr(0, pda::PdaSettingsDialog::kSerialTextLimit));
    }
    if (input.keepCase) {
        dialog.setConvertToUppercase(false);
    }
    // The command line refused a group address already, unless --force wrote it all the same.
    dialog.setForce(options_.force);
    if (!dialog.confirm(*this)) {
        pdaSettingsRejected_ = true;
        return false;
    }
    return true;
}

void TerminalUserInterface::pushMainWindow(const ui::MainWindowView& view) {
    // The window's status line, printed when it changes to say something new. While a progress
    // window is up the status tells how one step went, which the progress line says already;
    // the operation's outcome follows in a box.
    if (view.statusText != lastStatus_) {
        lastStatus_ = view.statusText;
        if (!lastStatus_.empty() && progressLine_.windows() == 0 && !options_.quiet) {
            progressLine_.breakLine();
            io_.out << "Status: " << lastStatus_ << '\n';
        }
    }
}

void TerminalUserInterface::fileNotRead(const std::string& path, const std::string& reason) {
    // A file may be read more than once in a run (to queue it, then to load it); the reason is
    // told once.
    const std::string told = path + '\n' + reason;
    if (std::find(toldReasons_.begin(), toldReasons_.end(), told) != toldReasons_.end()) {
        return;
    }
    toldReasons_.push_back(told);
    if (std::find(unreadFiles_.begin(), unreadFiles_.end(), path) == unreadFiles_.end()) {
        unreadFiles_.push_back(path);
    }
    progressLine_.breakLine();
    io_.out << std::flush;
    io_.err << "quillon-cli: " << path << ": " << reason << '\n' << std::flush;
}

void CollectingUserInterface::fileNotRead(const std::string&, const std::string& reason) {
    if (readerReason_.empty()) {
        readerReason_ = reason;
    }
}

ui::Answer CollectingUserInterface::messageBox(const ui::MessageBox& box) {
    if (firstText_.empty()) {
        firstText_ = box.text;
    }
    return isQuestion(box) ? safeAnswer(box) : ui::Answer::Ok;
}

}  // namespace quillon::cli
