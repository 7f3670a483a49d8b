#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "base/log.h"
#include "cli/commands.h"

namespace quillon::cli {

std::string CliIo::env(const std::string& name) const {
    const auto it = environment.find(name);
    return it == environment.end() ? std::string() : it->second;
}

void addAnswerFlags(CLI::App& command, GlobalOptions& global) {
    auto* yes = command.add_flag("--yes,-y", global.yes,
                                 "Answer every question with OK or Yes (and start the update)");
    auto* no = command.add_flag("--no,-n", global.no, "Answer every question with Cancel or No");
    yes->excludes(no);
}

int runCli(const std::vector<std::string>& args, CliIo& io) {
    CLI::App app{
        "Quillon: checks and programs firmware (.hex) and production data (.pda) into the "
        "flash of PRISM 802.11b WLAN cards.\n"
        "Questions are asked on the terminal; without one they take the safe answer (Cancel, "
        "No) unless --yes is given.",
        "quillon-cli"};
    app.set_version_flag("--version", std::string("quillon-cli ") + QUILLON_VERSION);
    app.require_subcommand(1);
    app.fallthrough();
    app.footer(
        "Exit status: 0 on success, 1 on a failure the program reported, 2 on a usage error.");

    GlobalOptions global;
    app.add_option("--bench", global.benchDir,
                   "Folder of the simulated card bench (default: $QUILLON_BENCH, else "
                   "$XDG_STATE_HOME/quillon/bench, else ~/.local/state/quillon/bench)")
        ->type_name("DIR");
    app.add_option("--adapter", global.adapter,
                   "The adapter to work on, by its number in `quillon-cli adapters` (default: "
                   "the only one)")
        ->check(CLI::NonNegativeNumber)
        ->type_name("N");
    addAnswerFlags(app, global);
    app.add_flag("--json", global.json,
                 "Print one JSON document instead of the text (info, versions, adapters, pda "
                 "show, cis, mac-type, driver-version, bench show, update)");
    auto* quiet = app.add_flag("--quiet,-q", global.quiet,
                               "Print only errors, warnings and the questions to answer");
    auto* verbose = app.add_flag("--verbose,-v", global.verbose,
                                 "Write the diagnostic log to standard error (as QUILLON_LOG=-)");
    quiet->excludes(verbose);
    // The flags may stand before and after the command; together they are still a contradiction.
    app.parse_complete_callback([&global]() {
        if (global.yes && global.no) {
            throw CLI::ValidationError("--yes and --no exclude each other");
        }
        if (global.verbose) {
            setLogTarget(LogTarget::StdErr);
        }
    });

    CommandResult result;
    addUpdateCommand(app, io, global, result);
    addCardCommands(app, io, global, result);
    addPdaCommands(app, io, global, result);
    addAdaptersCommand(app, io, global, result);
    addBenchCommands(app, io, global, result);
    addInfoCommand(app, io, global, result);
    addConvertCommand(app, io, result);

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
