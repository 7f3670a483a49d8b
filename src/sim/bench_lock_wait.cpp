#include "sim/bench_lock_wait.h"

#include <ostream>

namespace quillon::sim {

std::string holderPid(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos
               ? text
               : std::string();
}

bool waitForLock(const std::function<LockAttempt()>& attempt,
                 const std::function<std::string()>& holder, const std::function<void()>& pause,
                 std::chrono::milliseconds wait, std::ostream& err, std::string_view program) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    bool told = false;
    for (;;) {
        switch (attempt()) {
            case LockAttempt::Taken:
                return true;
            case LockAttempt::Failed:
                return false;
            case LockAttempt::Busy:
                break;
        }
        const std::string pid = holder();
        const std::string who = pid.empty() ? "another process" : "process " + pid;
        if (std::chrono::steady_clock::now() >= deadline) {
            err << program << ": the card is in use by " << who
                << " (another quillon-cli or the Quillon window); nothing was done. Try again "
                   "when it has finished.\n";
            return false;
        }
        if (!told) {
            err << program << ": the card is in use by " << who << "; waiting...\n" << std::flush;
            told = true;
        }
        pause();
    }
}

}  // namespace quillon::sim
