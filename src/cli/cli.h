// quillon-cli, the terminal face of Quillon. The commands run in-process with their streams
// and environment passed in, so tests run them exactly as a person would.
#pragma once

#include <chrono>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace quillon::cli {

// What a command may use of the world outside: its streams, whether they are terminals, and
// the environment.
struct CliIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inIsTerminal = false;
    bool outIsTerminal = false;
    bool errIsTerminal = false;
    std::map<std::string, std::string> environment{};
    // The person's terminal (/dev/tty), where questions are asked when standard output goes
    // elsewhere; none: standard error.
    std::ostream* terminal = nullptr;
    // The width of the terminal of standard error in columns; 0 when unknown (then COLUMNS,
    // else 80).
    int columns = 0;
    // How long a command waits for a card another process is using before it gives up.
    std::chrono::milliseconds lockWait{3000};

    // The environment variable, or empty when unset.
    std::string env(const std::string& name) const;
};

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // a failure the program reported
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;  // 128 + SIGINT: the person stopped the update

// Runs quillon-cli with args (the program name first) and returns the exit status.
int runCli(const std::vector<std::string>& args, CliIo& io);

}  // namespace quillon::cli
