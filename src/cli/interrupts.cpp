#include "cli/interrupts.h"

#include <termios.h>
#include <unistd.h>

#include <cstring>

namespace quillon::cli {
namespace {

constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};

// The one piece of state a signal handler may touch: the interrupts received during a hold.
volatile std::sig_atomic_t interrupts = 0;

constexpr char kFirst[] =
    "\nquillon-cli: stopping now leaves the card's firmware incomplete. Interrupt again to stop "
    "after the current block.\n";
constexpr char kSecond[] = "\nquillon-cli: stopping after the current block...\n";

void say(const char* text, std::size_t length) {
    // Only write(2) is safe here; a message that does not get out changes nothing else.
    if (::write(STDERR_FILENO, text, length) < 0) {
        return;
    }
}

extern "C" void onInterrupt(int) {
    if (interrupts < 2) {
        interrupts = interrupts + 1;
        if (interrupts == 1) {
            say(kFirst, sizeof kFirst - 1);
        } else {
            say(kSecond, sizeof kSecond - 1);
        }
    }
}

}  // namespace

InterruptHold::InterruptHold() {
    interrupts = 0;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        sigaction(kSignals[i], &action, &previous_[i]);
    }
}

InterruptHold::~InterruptHold() {
    for (int i = 0; i < 3; ++i) {
        sigaction(kSignals[i], &previous_[i], nullptr);
    }
}

int InterruptHold::count() {
    return interrupts;
}

void discardTypedInput() {
    ::tcflush(STDIN_FILENO, TCIFLUSH);
}

}  // namespace quillon::cli
