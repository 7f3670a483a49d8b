#include "cli/help_formatter.h"

#include <algorithm>

namespace quillon::cli {
namespace {

// Where descriptions start: wide enough for "  --color WHEN", "  -v,--verbose" and the
// commands' names.
constexpr std::size_t kNameColumn = 22;

bool sharesAName(const CLI::Option* option, const CLI::App& command) {
    for (const std::string& name : option->get_lnames()) {
        if (command.get_option_no_throw("--" + name) != nullptr) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string wrapLine(std::string_view line, std::size_t width, std::size_t column,
                     std::size_t hang) {
    hang = std::min(hang, width / 2);
    std::string wrapped;
    // A line's leading spaces are its indentation, never a place to cut.
    std::size_t lead = std::min(line.find_first_not_of(' '), line.size());
    while (column + line.size() > width) {
        const std::size_t room = width > column ? width - column : 0;
        std::size_t cut = line.rfind(' ', room);
        if (cut == std::string_view::npos || cut <= lead) {
            cut = line.find(' ', std::max(room, lead));  // a word longer than the line
            if (cut == std::string_view::npos) {
                break;
            }
        }
        std::size_t end = cut;
        while (end > lead && line[end - 1] == ' ') {
            --end;
        }
        const std::size_t next = line.find_first_not_of(' ', cut);
        wrapped += line.substr(0, end);
        if (next == std::string_view::npos) {
            return wrapped;
        }
        wrapped += "\n" + std::string(hang, ' ');
        line = line.substr(next);
        column = hang;
        lead = 0;
    }
    return wrapped + std::string(line);
}

std::string wrapText(const std::string& text, std::size_t width) {
    std::string wrapped;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool lineEnd = end != std::string::npos;
        if (!lineEnd) {
            end = text.size();
        }
        const std::string_view line = std::string_view(text).substr(start, end - start);
        // A line "  NAME   description" goes on under its description; any other under its
        // first word.
        std::size_t hang = std::min(line.find_first_not_of(' '), line.size());
        if (const std::size_t gap = line.find("  ", hang); gap != std::string_view::npos) {
            hang = std::min(line.find_first_not_of(' ', gap), line.size());
        }
        wrapped += wrapLine(line, width, 0, hang) + (lineEnd ? "\n" : "");
        start = end + 1;
    }
    return wrapped;
}

HelpFormatter::HelpFormatter(std::size_t width) : width_(width) {
    column_width(kNameColumn);
}

std::string HelpFormatter::entry(const std::string& name, const std::string& description) const {
    std::string text = "  " + name;
    if (description.empty()) {
        return text + "\n";
    }
    text += text.size() + 1 > kNameColumn ? "\n" + std::string(kNameColumn, ' ')
                                          : std::string(kNameColumn - text.size(), ' ');
    // Each of the description's lines starts in the column.
    for (std::size_t start = 0; start <= description.size();) {
        std::size_t end = description.find('\n', start);
        if (end == std::string::npos) {
            end = description.size();
        }
        if (start > 0) {
            text += "\n" + std::string(kNameColumn, ' ');
        }
        text += wrapLine(std::string_view(description).substr(start, end - start), width_,
                         kNameColumn, kNameColumn);
        start = end + 1;
    }
    return text + "\n";
}

std::string HelpFormatter::make_option(const CLI::Option* option, bool positional) const {
    return entry(make_option_name(option, positional) + make_option_opts(option),
                 make_option_desc(option));
}

std::string HelpFormatter::make_option_opts(const CLI::Option* option) const {
    // "--out DIR Needs: --dry-run" reads as one name; the description says what goes with what.
    std::string opts = CLI::Formatter::make_option_opts(option);
    for (const char* relation : {" Needs:", " Excludes:"}) {
        if (const std::size_t at = opts.find(relation); at != std::string::npos) {
            opts.erase(at);
        }
    }
    return opts;
}

std::string HelpFormatter::make_subcommand(const CLI::App* command) const {
    return entry(command->get_display_name(true), command->get_description());
}

std::string HelpFormatter::make_help(const CLI::App* app, std::string name,
                                     CLI::AppFormatMode mode) const {
    // CLI11 puts two blank lines between option groups; one is enough.
    std::string help = CLI::Formatter::make_help(app, std::move(name), mode);
    for (std::size_t at; (at = help.find("\n\n\n")) != std::string::npos;) {
        help.erase(at, 1);
    }
    return help;
}

std::string HelpFormatter::make_description(const CLI::App* app) const {
    const std::string description = CLI::Formatter::make_description(app);
    return description.empty() ? description : wrapText(description, width_);
}

std::string HelpFormatter::make_footer(const CLI::App* app) const {
    const CLI::App* top = app;
    while (top->get_parent() != nullptr) {
        top = top->get_parent();
    }
    std::string footer;
    if (top != app) {
        // The options every command takes; those the command has of its own are listed above.
        footer = "Global options (before or after the command):\n";
        for (const CLI::Option* option : top->get_options()) {
            if (option == top->get_help_ptr() || option == top->get_version_ptr() ||
                option->get_group() == kAnswersGroup || sharesAName(option, *app)) {
                continue;
            }
            footer += make_option(option, false);
        }
    }
    if (!app->get_footer().empty()) {
        footer += (footer.empty() ? "" : "\n") + wrapText(app->get_footer(), width_) + "\n";
    }
    return footer;
}

}  // namespace quillon::cli
