// Runs quillon-cli in-process with captured streams.
#pragma once

#include <cstdlib>
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

inline CliRun runQuillonCli(std::vector<std::string> args, const std::string& input = {},
                            std::map<std::string, std::string> environment = {}) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    cli::CliIo io{in, out, err};
    io.environment = std::move(environment);
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

}  // namespace quillon::testing
