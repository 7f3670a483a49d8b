#include <sys/ioctl.h>
#include <unistd.h>

#include <fstream>
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
    if (io.errIsTerminal) {
        winsize size{};
        if (::ioctl(2, TIOCGWINSZ, &size) == 0) {
            io.columns = size.ws_col;
        }
    }
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        const std::string entry(*e);
        const auto eq = entry.find('=');
        if (eq != std::string::npos) {
            io.environment.emplace(entry.substr(0, eq), entry.substr(eq + 1));
        }
    }
    // Questions go to the terminal itself when standard output is redirected.
    std::ofstream terminal;
    if (io.inIsTerminal && !io.outIsTerminal) {
        terminal.open("/dev/tty");
        if (terminal) {
            io.terminal = &terminal;
        }
    }
    return quillon::cli::runCli(std::vector<std::string>(argv, argv + argc), io);
}
