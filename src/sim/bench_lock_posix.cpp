#include "sim/bench_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <thread>

#include "base/file_path.h"
#include "sim/bench_lock_wait.h"

namespace quillon::sim {
namespace {

// The process id the holder wrote into the lock file, or empty when it cannot be told.
std::string holderOf(int fd) {
    char text[32] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    return got > 0 ? holderPid(std::string(text, static_cast<std::size_t>(got))) : std::string();
}

}  // namespace

BenchLock::~BenchLock() {
    release();
}

void BenchLock::release() {
    if (fd_ >= 0) {
        // Closing the file releases the lock; the file itself stays for the next process.
        ::close(fd_);
        fd_ = -1;
    }
}

bool BenchLock::acquire(const std::string& folder, std::chrono::milliseconds wait,
                        std::ostream& err, std::string_view program) {
    release();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    if (!std::filesystem::is_directory(folder, ignored)) {
        // No folder, no bench to share: opening it fails with its own message.
        return true;
    }
    const std::string path = pathText(filePath(folder) / kFileName);
    // The lock file is rewritten with the holder's process id: never through a symbolic link,
    // and never anything but a plain file (a FIFO or a device must not block or be written).
    const int fd = ::open(path.c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0644);
    if (fd < 0) {
        const int error = errno;
        err << program << ": " << path << ": cannot open the bench's lock file: "
            << (error == ELOOP ? "it is a symbolic link; remove it, the next run makes a new one"
                               : std::strerror(error))
            << '\n';
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        err << program << ": " << path
            << ": cannot open the bench's lock file: it is not a plain file; remove it, the next "
               "run makes a new one\n";
        ::close(fd);
        return false;
    }
    const auto attempt = [&] {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return LockAttempt::Taken;
        }
        if (errno == EWOULDBLOCK || errno == EINTR) {
            return LockAttempt::Busy;
        }
        err << program << ": " << path << ": cannot lock the bench: " << std::strerror(errno)
            << '\n';
        return LockAttempt::Failed;
    };
    const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); };
    const auto holder = [fd] { return holderOf(fd); };
    if (!waitForLock(attempt, holder, pause, wait, err, program)) {
        ::close(fd);
        return false;
    }
    // The holder's process id, for the message of a process that waits.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
        // The lock is held all the same; waiting processes then name no process id.
    }
    fd_ = fd;
    return true;
}

}  // namespace quillon::sim
