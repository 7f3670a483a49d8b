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
namespace quillon::sim {
namespace {

// The process id the holder wrote into the lock file, or empty when it cannot be told.
std::string holderOf(int fd) {
    char text[32] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    if (got <= 0) {
        return {};
    }
    std::string pid(text, static_cast<std::size_t>(got));
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == '\r')) {
        pid.pop_back();
    }
    return pid.find_first_not_of("0123456789") == std::string::npos ? pid : std::string();
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
    const auto deadline = std::chrono::steady_clock::now() + wait;
    bool told = false;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            break;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            err << program << ": " << path << ": cannot lock the bench: " << std::strerror(errno)
                << '\n';
            ::close(fd);
            return false;
        }
        const std::string holder = holderOf(fd);
        const std::string who = holder.empty() ? "another process" : "process " + holder;
        if (std::chrono::steady_clock::now() >= deadline) {
            err << program << ": the card is in use by " << who
                << " (another quillon-cli or the Quillon window); nothing was done. Try again "
                   "when it has finished.\n";
            ::close(fd);
            return false;
        }
        if (!told) {
            err << program << ": the card is in use by " << who << "; waiting...\n" << std::flush;
            told = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
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
