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
};

// A command sets its result here when it ran.
struct CommandResult {
    int exitCode = 0;
};

void addInfoCommand(CLI::App& app, CliIo& io, CommandResult& result);
void addConvertCommand(CLI::App& app, CliIo& io, CommandResult& result);

}  // namespace quillon::cli
