#include <windows.h>

#include <atomic>

#include "cli/interrupts.h"

namespace quillon::cli {
namespace {

// Set by the console's control handler, which runs on a thread of its own.
std::atomic<int> interrupts{0};

constexpr char kFirst[] =
    "\r\nquillon-cli: stopping now leaves the card's firmware incomplete. Press Ctrl+C again "
    "to stop after the current block.\r\n";
constexpr char kSecond[] = "\r\nquillon-cli: stopping after the current block...\r\n";

void say(const char* text, DWORD length) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), text, length, &written, nullptr);
}

BOOL WINAPI onControl(DWORD event) {
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The console is going away: Windows ends the process once this handler returns (or
        // after a few seconds). Ask for a stop after the current block and give the update
        // that long to unblock the card.
        interrupts = 2;
        ::Sleep(4500);
        return TRUE;
    }
    int seen = interrupts.load();
    if (seen < 2) {
        interrupts = ++seen;
        if (seen == 1) {
            say(kFirst, sizeof kFirst - 1);
        } else {
            say(kSecond, sizeof kSecond - 1);
        }
    }
    return TRUE;
}

}  // namespace

struct InterruptHold::Previous {};

InterruptHold::InterruptHold() : previous_(std::make_unique<Previous>()) {
    interrupts = 0;
    ::SetConsoleCtrlHandler(onControl, TRUE);
}

InterruptHold::~InterruptHold() {
    ::SetConsoleCtrlHandler(onControl, FALSE);
}

int InterruptHold::count() {
    return interrupts.load();
}

void discardTypedInput() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(input, &mode)) {
        ::FlushConsoleInputBuffer(input);
    }
}

}  // namespace quillon::cli
