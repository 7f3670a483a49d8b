#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>

#include "base/file_path.h"
#include "sim/bench_lock.h"
#include "sim/bench_lock_wait.h"

namespace quillon::sim {
namespace {

HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// The process id the holder wrote into the lock file, or empty when it cannot be told. The
// holder's lock covers only a byte far beyond the text, so others can read the text.
std::string holderOf(int fd) {
    char text[32] = {};
    DWORD got = 0;
    OVERLAPPED at{};
    if (!::ReadFile(handleOf(fd), text, sizeof text - 1, &got, &at) || got == 0) {
        return {};
    }
    return holderPid(std::string(text, got));
}

// The locked range: one byte well past the process id.
constexpr DWORD kLockOffset = 0x10000;

bool tryLock(int fd) {
    OVERLAPPED at{};
    at.Offset = kLockOffset;
    return ::LockFileEx(handleOf(fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                        &at) != 0;
}

constexpr int kRefused = -2;

// Opens (or makes) the lock file itself, never what a link or junction planted in its place
// points at: the holder writes its process id into the file and cuts it to that length, which
// must not happen to some other file. kRefused for a link or anything but a plain file.
int openLockFile(const std::filesystem::path& path) {
    const HANDLE handle = ::CreateFileW(
        path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        ::CloseHandle(handle);
        return kRefused;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
    }
    return fd;
}

}  // namespace

BenchLock::~BenchLock() {
    release();
}

void BenchLock::release() {
    if (fd_ >= 0) {
        // Closing the file releases the lock; the file itself stays for the next process.
        ::_close(fd_);
        fd_ = -1;
    }
}

bool BenchLock::acquire(const std::string& folder, std::chrono::milliseconds wait,
                        std::ostream& err, std::string_view program) {
    release();
    std::error_code ignored;
    std::filesystem::create_directories(filePath(folder), ignored);
    if (!std::filesystem::is_directory(filePath(folder), ignored)) {
        // No folder, no bench to share: opening it fails with its own message.
        return true;
    }
    const std::filesystem::path path = filePath(folder) / kFileName;
    const int fd = openLockFile(path);
    if (fd == kRefused) {
        err << program << ": " << pathText(path)
            << ": the lock file is a link or not a plain file; nothing was done. Remove it and try "
               "again.\n";
        return false;
    }
    if (fd < 0) {
        err << program << ": " << pathText(path) << ": cannot open the lock file (Windows error "
            << ::GetLastError() << ")\n";
        return false;
    }
    const auto attempt = [&] {
        if (tryLock(fd)) {
            return LockAttempt::Taken;
        }
        if (::GetLastError() == ERROR_LOCK_VIOLATION) {
            return LockAttempt::Busy;
        }
        err << program << ": " << pathText(path) << ": cannot lock the card (Windows error "
            << ::GetLastError() << ")\n";
        return LockAttempt::Failed;
    };
    const auto holder = [fd] { return holderOf(fd); };
    const auto pause = [] { ::Sleep(50); };
    if (!waitForLock(attempt, holder, pause, wait, err, program)) {
        ::_close(fd);
        return false;
    }
    // The holder's process id, for the message of a process that waits.
    const std::string pid = std::to_string(::GetCurrentProcessId()) + "\r\n";
    DWORD written = 0;
    OVERLAPPED at{};
    ::WriteFile(handleOf(fd), pid.data(), static_cast<DWORD>(pid.size()), &written, &at);
    ::SetFilePointer(handleOf(fd), static_cast<LONG>(pid.size()), nullptr, FILE_BEGIN);
    ::SetEndOfFile(handleOf(fd));
    fd_ = fd;
    return true;
}

}  // namespace quillon::sim
