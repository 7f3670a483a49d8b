#include "cli/terminal_ui.h"

#include <filesystem>
#include <istream>
#include <ostream>

#include "cli/report_printer.h"
#include "commands/pda_settings_dialog.h"
#include "ui/main_window_view.h"

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
    const std::string extension = lowerCase(std::filesystem::path(path).extension().string());
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

bool useColour(const CliIo& io) {
    return io.outIsTerminal && io.env("NO_COLOR").empty();
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

ui::Answer TerminalUserInterface::messageBox(const ui::MessageBox& box) {
    progressLine_.breakLine();
    const std::string caption = boxCaption(box);
    boxes_.push_back({caption, box.text});
    // Captions such as "MAC ID:" carry their own colon.
    const bool ownColon = !caption.empty() && caption.back() == ':';
    const bool problem = box.icon == ui::Icon::Error || box.icon == ui::Icon::Warning;
    if (!isQuestion(box) && options_.quiet && !problem) {
        return ui::Answer::Ok;
    }
    io_.out << caption << (ownColon ? " " : ": ") << box.text << '\n';
    if (!isQuestion(box)) {
        return ui::Answer::Ok;
    }
    const bool yesNo = box.buttons == ui::Buttons::YesNo;
    if (options_.answers == AnswerPolicy::Yes) {
        io_.out << (yesNo ? "(yes)" : "(ok)") << '\n';
        return positiveAnswer(box);
    }
    if (options_.answers == AnswerPolicy::No || !io_.inIsTerminal) {
        io_.out << (yesNo ? "(no)" : "(cancel)") << '\n';
        return safeAnswer(box);
    }
    for (;;) {
        io_.out << (yesNo ? "[y]es or [n]o? " : "[o]k or [c]ancel? ") << std::flush;
        std::string line;
        if (!std::getline(io_.in, line)) {
            io_.out << '\n';
            return safeAnswer(box);
        }
        const char c = line.empty() ? '\0' : static_cast<char>(line[0] | 0x20);
        if (yesNo && c == 'y')
            return ui::Answer::Yes;
        if (yesNo && c == 'n')
            return ui::Answer::No;
        if (!yesNo && c == 'o')
            return ui::Answer::Ok;
        if (!yesNo && c == 'c')
            return ui::Answer::Cancel;
    }
}

std::optional<ui::FileDialogResult> TerminalUserInterface::fileDialog(
    const ui::FileDialogRequest& request) {
    if (!options_.dialogFile) {
        return std::nullopt;
    }
    std::string path = *options_.dialogFile;
    // As in the dialog, a name typed without an extension gets the default one.
    if (!request.defaultExtension.empty() &&
        std::filesystem::path(path).extension().string().empty()) {
        path += "." + request.defaultExtension;
    }
    std::error_code ec;
    if (request.kind == ui::FileDialogRequest::Kind::Open && request.fileMustExist &&
        !std::filesystem::is_regular_file(path, ec)) {
        progressLine_.breakLine();
        io_.err << "quillon-cli: " << path << ": no such file\n";
        return std::nullopt;
    }
    if (request.kind == ui::FileDialogRequest::Kind::Save && request.confirmOverwrite &&
        std::filesystem::exists(path, ec)) {
        const ui::Answer answer =
            messageBox({path + " already exists.\nDo you want to replace it?", "Confirm Save As",
                        ui::Owner::MainWindow, ui::Buttons::YesNo, ui::Icon::Warning});
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
    io_.out << prompt << ' ' << std::flush;
    if (options_.answers == AnswerPolicy::Yes) {
        io_.out << "yes\n";
        return true;
    }
    if (options_.answers == AnswerPolicy::No || !io_.inIsTerminal) {
        io_.out << "no\n";
        return false;
    }
    std::string line;
    if (!std::getline(io_.in, line)) {
        io_.out << '\n';
        return false;
    }
    const std::string answer = lowerCase(line);
    return answer == "y" || answer == "yes";
}

bool TerminalUserInterface::showReport(const ui::ReportRequest& request) {
    progressLine_.breakLine();
    const std::string text = renderReport(request.text, options_.colour);
    if (!options_.quiet) {
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
    return std::make_unique<TerminalProgressWindow>(
        options_.quiet ? nowhere_ : io_.err, io_.errIsTerminal && !options_.quiet, progressLine_);
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
    if (!dialog.confirm(*this)) {
        pdaSettingsRejected_ = true;
        return false;
    }
    progressLine_.breakLine();
    (options_.quiet ? nowhere_ : io_.out)
        << "View / Modify PDA Settings: MAC Address: " << dialog.macText()
        << ", Serial Number: " << dialog.serialText() << '\n';
    return true;
}

void TerminalUserInterface::pushMainWindow(const ui::MainWindowView& view) {
    // The window's status line, printed when it changes to say something new.
    if (view.statusText != lastStatus_) {
        lastStatus_ = view.statusText;
        if (!lastStatus_.empty() && !options_.quiet) {
            progressLine_.breakLine();
            io_.out << "Status: " << lastStatus_ << '\n';
        }
    }
}

ui::Answer CollectingUserInterface::messageBox(const ui::MessageBox& box) {
    if (firstText_.empty()) {
        firstText_ = box.text;
    }
    return isQuestion(box) ? safeAnswer(box) : ui::Answer::Ok;
}

}  // namespace quillon::cli
