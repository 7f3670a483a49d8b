// The readers read only regular files: opening a FIFO or a device may wait for ever (and a
// command holds the card meanwhile), and a folder holds no text.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace quillon {

inline constexpr const char* kNotRegularFile =
    "Not a regular file (a FIFO, device or folder); only files are read.";

// Why path cannot be read as a file ("No such file." or kNotRegularFile), or empty when it is a
// regular file (or a link to one).
inline std::string whyNotAFile(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (std::filesystem::is_regular_file(status)) {
        return {};
    }
    return std::filesystem::exists(status) ? kNotRegularFile : "No such file.";
}

}  // namespace quillon
