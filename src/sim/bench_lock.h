// One process at a time on a card: every command that talks to a card holds the lock of its
// adapter for its whole run, so that two terminals (or a terminal and the window) never
// interleave their writes, and no process rewrites the bench's files under another. On the
// simulated bench the adapter's lock is the bench folder's lock file; a backend for real cards
// takes the same kind of lock for the adapter it opens.
#pragma once

#include <chrono>
#include <iosfwd>
#include <string>
#include <string_view>

namespace quillon::sim {

class BenchLock {
  public:
    BenchLock() = default;
    ~BenchLock();
    BenchLock(const BenchLock&) = delete;
    BenchLock& operator=(const BenchLock&) = delete;

    // Takes the exclusive lock of folder (creating the folder and its lock file when missing),
    // waiting up to wait while another process holds it. False, after telling the person on
    // err which process holds the card, when the wait ran out or the lock cannot be taken.
    // program names the one who tells, at the start of each line ("quillon-cli").
    bool acquire(const std::string& folder, std::chrono::milliseconds wait, std::ostream& err,
                 std::string_view program);
    bool held() const { return fd_ >= 0; }
    void release();

    // The name of the lock file in a bench folder.
    static constexpr const char* kFileName = "bench.lock";

  private:
    int fd_ = -1;
};

}  // namespace quillon::sim
