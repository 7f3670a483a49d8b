// What the lock of a bench folder does the same on every platform: reading the holder's process
// id from the lock file, and waiting for the lock while telling the person who holds it.
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace quillon::sim {

// The process id in the text read from the start of a lock file, or empty when the text is
// not one (the holder may not have written it yet).
std::string holderPid(std::string text);

enum class LockAttempt { Taken, Busy, Failed };

// Tries to take the lock until it is taken or wait has run out, pausing between attempts.
// While another process holds it, says once which one and that this one waits; when the wait
// runs out, says that nothing was done. A Failed attempt has told the person itself. True when
// the lock was taken.
bool waitForLock(const std::function<LockAttempt()>& attempt,
                 const std::function<std::string()>& holder, const std::function<void()>& pause,
                 std::chrono::milliseconds wait, std::ostream& err, std::string_view program);

}  // namespace quillon::sim
