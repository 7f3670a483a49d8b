#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/commands.h"

namespace quillon::cli {

std::string CliIo::env(const std::string& name) const {
    const auto it = environment.find(name);
    return it == environment.end() ? std::string() : it->second;
}

int runCli(const std::vector<std::string>& args, CliIo& io) {
    CLI::App app{
        "Quillon: checks and programs firmware (.hex) and production data (.pda) into the "
        "flash of PRISM 802.11b WLAN cards.",
        "quillon-cli"};
    app.set_version_flag("--version", std::string("quillon-cli ") + QUILLON_VERSION);
    app.require_subcommand(1);
    app.fallthrough();

    GlobalOptions global;
    app.add_option("--bench", global.benchDir,
                   "Folder of the simulated card bench (default: $QUILLON_BENCH, else "
                   "$XDG_STATE_HOME/quillon/bench)");

    CommandResult result;
    addInfoCommand(app, io, result);
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
