#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "base/log.h"
#include "cli/commands.h"
#include "cli/help_formatter.h"

namespace quillon::cli {

namespace {

constexpr const char* kFooter =
    "Environment:\n"
    "  QUILLON_BENCH   the bench folder when --bench is not given\n"
    "  QUILLON_LOG     1: append the diagnostic log to flash.log here; -: to standard error\n"
    "  NO_COLOR        when set, reports are never coloured (--color=always still colours)\n"
    "\n"
    "Exit status:\n"
    "  0  success\n"
    "  1  a failure the program reported, a refusal or a question answered no\n"
    "  2  a usage error: an unknown command or option, a missing or malformed argument\n"
    "  130  an update stopped by a second interrupt while it wrote the card\n"
    "The same with --json.";

// The options a token takes a value for, so that the command can be found among the words.
bool takesValue(const std::string& token) {
    return token == "--bench" || token == "--adapter" || token == "--color";
}

// The first word that names a command, at the top or under a group such as "pda"; empty when
// every word is an option or a known command. It is told as "unknown command".
std::string unknownCommand(const CLI::App& app, const std::vector<std::string>& args) {
    const CLI::App* level = &app;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& token = args[i];
        if (token == "--") {
            return {};
        }
        if (!token.empty() && token[0] == '-') {
            if (takesValue(token)) {
                ++i;
            }
            continue;
        }
        if (level->get_subcommands({}).empty()) {
            return {};  // a command's own arguments
        }
        const CLI::App* next = nullptr;
        for (const CLI::App* command : level->get_subcommands({})) {
            if (command->get_name() == token) {
                next = command;
            }
        }
        if (next == nullptr) {
            return (level == &app ? "" : level->get_name() + " ") + token;
        }
        level = next;
    }
    return {};
}

// The top-level commands, in the order the help lists them, each group with the function that
// adds it.
struct Commands {
    std::string_view names;  // separated by spaces
    void (*add)(CLI::App&, CliIo&, GlobalOptions&, CommandResult&);
};
constexpr Commands kCommands[] = {
    {"update", addUpdateCommand},
    {"versions mac-type driver-version cis rid-stress export", addCardCommands},
    {"pda", addPdaCommands},
    {"adapters", addAdaptersCommand},
    {"bench", addBenchCommands},
    {"info", addInfoCommand},
    {"convert", addConvertCommand},
};

bool isOneOf(std::string_view word, std::string_view names) {
    for (std::size_t at = 0; at <= names.size();) {
        const std::size_t end = std::min(names.find(' ', at), names.size());
        if (names.substr(at, end - at) == word) {
            return true;
        }
        at = end + 1;
    }
    return false;
}

// The first word of the command line that is no option nor an option's value: the command.
// Empty when there is none; "--help" when the program's own help is asked for before it.
std::string commandWord(const std::vector<std::string>& args) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& token = args[i];
        if (token == "--" || token == "--help" || token == "-h") {
            return "--help";
        }
        if (!token.empty() && token[0] == '-') {
            if (takesValue(token)) {
                ++i;
            }
            continue;
        }
        return token;
    }
    return {};
}

// What a value of --adapter must look like: a whole number of 0 or more.
std::string adapterNumberCheck(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return "takes an adapter's number (0, 1, ...; quillon-cli adapters lists them), not '" +
               text + "'";
    }
    return {};
}

// The command line's deepest command that was named: "quillon-cli pda set --help".
std::string helpOf(const CLI::App* top) {
    std::string help = "quillon-cli";
    const CLI::App* level = top;
    for (bool deeper = true; deeper;) {
        deeper = false;
        for (const CLI::App* command : level->get_subcommands({})) {
            if (command->parsed()) {
                help += " " + command->get_name();
                level = command;
                deeper = true;
                break;
            }
        }
    }
    return help + " --help";
}

// The parser's own words said as the program says things.
std::string usageText(std::string text) {
    struct Said {
        std::string_view theirs;
        std::string_view ours;
    };
    // "--mac: 1 required MAC missing" and its kin.
    if (const auto at = text.find(": 1 required "); at != std::string::npos) {
        const auto missing = text.find(" missing", at);
        if (missing != std::string::npos) {
            const std::string what = text.substr(at + 13, missing - at - 13);
            return text.substr(0, at) + " needs a value (" + what + ")";
        }
    }
    constexpr Said kSaid[] = {
        {"The following argument was not expected: ", "unexpected argument: "},
        {"The following arguments were not expected: ", "unexpected arguments: "},
    };
    for (const Said& said : kSaid) {
        if (text.rfind(said.theirs, 0) == 0) {
            return std::string(said.ours) + text.substr(said.theirs.size());
        }
    }
    if (text.rfind("A subcommand is required", 0) == 0) {
        return "a command is missing";
    }
    if (const auto at = text.find(" is required"); at != std::string::npos && at > 0) {
        return text.substr(0, at) + " is missing";
    }
    if (text.find("At Most 1 required but received") != std::string::npos) {
        return "give one command at a time: " + text.substr(text.rfind(' ') + 1) + " were named";
    }
    return text;
}

// The columns the help fits in: 80, or a narrower terminal's width.
std::size_t helpWidth(const CliIo& io) {
    constexpr std::size_t kWidest = 80;
    if (!io.outIsTerminal) {
        return kWidest;
    }
    std::size_t columns = io.columns > 0 ? static_cast<std::size_t>(io.columns) : 0;
    if (columns == 0) {
        const std::string given = io.env("COLUMNS");
        if (!given.empty() && given.size() < 5 &&
            given.find_first_not_of("0123456789") == std::string::npos) {
            columns = std::stoul(given);
        }
    }
    return columns >= 40 && columns < kWidest ? columns : kWidest;
}

}  // namespace

std::string CliIo::env(const std::string& name) const {
    const auto it = environment.find(name);
    return it == environment.end() ? std::string() : it->second;
}

void addAnswerFlags(CLI::App& command, GlobalOptions& global, const std::string& force) {
    // --yes and --no exclude each other wherever they stand; the parse's end checks it.
    command
        .add_flag("--yes,-y", global.yes,
                  "Confirm with OK, Yes or UPDATE (a question after a failure still takes No)")
        ->group(kAnswersGroup);
    command.add_flag("--no,-n", global.no, "Answer every question with Cancel or No")
        ->group(kAnswersGroup);
    command
        .add_flag("--force", global.force,
                  force.empty() ? "With --yes, also go on after a failure" : force)
        ->group(kAnswersGroup);
}

int runCli(const std::vector<std::string>& args, CliIo& io) {
    CLI::App app{
        "Quillon: checks and programs firmware (.hex) and production data (.pda) into the "
        "flash of PRISM 802.11b WLAN cards.\n"
        "Questions are asked on the terminal; without one they take the safe answer (Cancel, "
        "No) unless --yes is given.",
        "quillon-cli"};
    app.formatter(std::make_shared<HelpFormatter>(helpWidth(io)));
    app.set_version_flag("--version", std::string("quillon-cli ") + QUILLON_VERSION,
                         "Print the version and exit");
    app.set_help_flag("--help,-h", "Print this help (COMMAND --help: the command's own)");
    app.require_subcommand(1);
    app.fallthrough();
    app.failure_message([](const CLI::App* top, const CLI::Error& e) {
        return "quillon-cli: " + usageText(e.what()) + " (" + helpOf(top) + " tells more)\n";
    });

    GlobalOptions global;
    app.add_option("--bench", global.benchDir,
                   "Folder of the simulated card bench (default: $QUILLON_BENCH, else "
                   "$XDG_STATE_HOME/quillon/bench, else ~/.local/state/quillon/bench)")
        ->type_name("DIR");
    app.add_option("--adapter", global.adapter,
                   "The adapter to work on, by its number in `quillon-cli adapters` (default: "
                   "the only one)")
        ->check(CLI::Validator(adapterNumberCheck, "", "adapter number"))
        ->type_name("N");
    app.add_option("--color", global.colour,
                   "Colour the reports: auto (on a terminal, unless NO_COLOR or TERM=dumb), "
                   "always or never")
        ->check(CLI::Validator(
            [](const std::string& when) {
                return when == "auto" || when == "always" || when == "never"
                           ? std::string()
                           : "takes auto, always or never, not '" + when + "'";
            },
            "", "when"))
        ->type_name("WHEN");
    addAnswerFlags(app, global,
                   "With --yes, also go on after a failure; with pda set, write a group MAC "
                   "address");
    app.add_flag("--json", global.json,
                 "Print one JSON document instead of the text (docs/json.md describes them)");
    app.add_flag("--no-verify", global.noVerify,
                 "Do not read back and compare each block written to the card (faster; a "
                 "block the card stored wrongly then goes unnoticed)");
    app.add_flag("--quiet,-q", global.quiet,
                 "Leave out progress and remarks: print what the command was asked for, "
                 "errors, warnings and the questions to answer");
    app.add_flag("--verbose,-v", global.verbose,
                 "Write the diagnostic log to standard error (as QUILLON_LOG=-); given twice "
                 "(-vv), also every request to the card and its answer");
    // The flags may stand before and after the command; together they are still a contradiction.
    app.parse_complete_callback([&global]() {
        if (global.yes && global.no) {
            throw CLI::ValidationError("--yes and --no exclude each other");
        }
        if (global.quiet && global.verbose > 0) {
            throw CLI::ValidationError("--quiet and --verbose exclude each other");
        }
        if (global.verbose > 0) {
            setLogTarget(LogTarget::StdErr);
        }
    });

    CommandResult result;
    // Building a command's options is most of a short run's start, so a run builds only the
    // command it names; the program's help and an unknown word get them all.
    const std::string named = commandWord(args);
    bool added = named.empty();  // --version, or a command is missing
    for (const Commands& commands : kCommands) {
        if (!named.empty() && isOneOf(named, commands.names)) {
            commands.add(app, io, global, result);
            added = true;
        }
    }
    if (!added) {
        for (const Commands& commands : kCommands) {
            commands.add(app, io, global, result);
        }
    }
    // Only the program's own help tells the environment and the exit statuses; a command's
    // help is about that command.
    app.footer(kFooter);
    app.get_formatter()->label("REQUIRED", "");
    for (CLI::App* command : app.get_subcommands({})) {
        command->set_help_flag("--help,-h", "Print this help");
        for (CLI::App* sub : command->get_subcommands({})) {
            sub->set_help_flag("--help,-h", "Print this help");
            for (CLI::Option* option : sub->get_options()) {
                if (option->get_positional()) {
                    option->type_name("");
                }
            }
        }
        for (CLI::Option* option : command->get_options()) {
            if (option->get_positional()) {
                option->type_name("");
            }
        }
    }

    if (const std::string unknown = unknownCommand(app, args); !unknown.empty()) {
        io.err << "quillon-cli: unknown command '" << unknown
               << "' (quillon-cli --help lists the commands)\n";
        return kExitUsage;
    }
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    if (!reversed.empty()) {
        reversed.pop_back();  // the program name
    }
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, io.out, io.err);
        return code == 0 ? kExitSuccess : kExitUsage;
    }
    return result.exitCode;
}

}  // namespace quillon::cli
