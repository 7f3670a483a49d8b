#include <unistd.h>

#include <iostream>

#include "base/log.h"
#include "cli/cli.h"

extern char** environ;

int main(int argc, char** argv) {
    quillon::configureLogFromEnvironment();
    quillon::cli::CliIo io{std::cin, std::cout, std::cerr};
    io.inIsTerminal = ::isatty(0) != 0;
    io.outIsTerminal = ::isatty(1) != 0;
    io.errIsTerminal = ::isatty(2) != 0;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        const std::string entry(*e);
        const auto eq = entry.find('=');
        if (eq != std::string::npos) {
            io.environment.emplace(entry.substr(0, eq), entry.substr(eq + 1));
        }
    }
    return quillon::cli::runCli(std::vector<std::string>(argv, argv + argc), io);
}
