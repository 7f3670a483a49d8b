// Runs quillon-cli in-process with captured streams.
#pragma once

#include <chrono>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace quillon::testing {

struct CliRun {
    int exitCode = 0;
    std::string out;
    std::string err;
};

// Which of the streams a run pretends are terminals.
struct Terminals {
    bool in = false;
    bool out = false;
    bool err = false;
};

inline CliRun runQuillonCli(std::vector<std::string> args, const std::string& input = {},
                            std::map<std::string, std::string> environment = {},
                            Terminals terminals = {},
                            std::chrono::milliseconds lockWait = std::chrono::seconds(3)) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    cli::CliIo io{in, out, err};
    io.environment = std::move(environment);
    io.inIsTerminal = terminals.in;
    io.outIsTerminal = terminals.out;
    io.errIsTerminal = terminals.err;
    io.lockWait = lockWait;
    args.insert(args.begin(), "quillon-cli");
    CliRun run;
    run.exitCode = cli::runCli(args, io);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// The source tree, where the bundled samples live.
inline std::string sourceDir() {
    const char* dir = std::getenv("QUILLON_SOURCE_DIR");
    return dir != nullptr ? dir : ".";
}

inline std::string sample(const std::string& name) {
    return sourceDir() + "/samples/" + name;
}

}  // namespace quillon::testing
