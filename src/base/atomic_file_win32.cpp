#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "base/atomic_file.h"
#include "base/file_path.h"

namespace quillon {
namespace {

// Temporary names differ between the files one process writes at the same time.
std::atomic<unsigned> temporaryCount{0};

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view content) {
    if (path.empty()) {
        return false;
    }
    const std::wstring target = filePath(path).wstring();
    const std::wstring temporary = target + L".tmp-" + std::to_wstring(::GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(++temporaryCount);
    const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < content.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0) {
            ok = false;
        }
        done += written;
    }
    // The contents reach the disk before the name does, so a crash leaves the old file or the
    // new one, never a torn one.
    if (ok && !::FlushFileBuffers(file)) {
        ok = false;
    }
    if (!::CloseHandle(file)) {
        ok = false;
    }
    if (ok && !::MoveFileExW(temporary.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
    }
    if (!ok) {
        ::DeleteFileW(temporary.c_str());
    }
    return ok;
}

}  // namespace quillon
