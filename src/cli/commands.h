// The commands of quillon-cli. Each adds its subcommand to the application and runs it with
// the streams of the call.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace quillon::cli {

struct CliIo;

// Options every command sees.
struct GlobalOptions {
    std::string benchDir;  // --bench DIR
    int adapter = -1;      // --adapter N: the item data of the adapter to select; -1 for none
    bool yes = false;      // --yes: every confirmation answered OK, Yes or UPDATE
    bool no = false;       // --no: every question answered Cancel or No
    bool force = false;    // --force: go on after a failure, accept what is refused otherwise
    std::string colour = "auto";  // --color WHEN: auto, always or never
    bool json = false;      // --json: one JSON document on standard output instead of the text
    bool quiet = false;     // --quiet: only errors, warnings and questions
    int verbose = 0;        // --verbose, counted: the diagnostic log on standard error; twice: also
                            // every request to the card
    bool noVerify = false;  // --no-verify: written blocks are not read back
};

// A command sets its result here when it ran.
struct CommandResult {
    int exitCode = 0;
};

// Adds --yes, --no and --force to a command that may ask questions (they may also stand
// before it).
// force: what --force does for the command, when more than going on after a failure.
void addAnswerFlags(CLI::App& command, GlobalOptions& global, const std::string& force = {});

void addInfoCommand(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result);
void addConvertCommand(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result);
void addUpdateCommand(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result);
// versions, mac-type, driver-version, cis, rid-stress and export.
void addCardCommands(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result);
// pda show, pda save, pda clear and pda set.
void addPdaCommands(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result);
void addAdaptersCommand(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result);
// bench init and bench show.
void addBenchCommands(CLI::App& app, CliIo& io, GlobalOptions& global, CommandResult& result);

}  // namespace quillon::cli
