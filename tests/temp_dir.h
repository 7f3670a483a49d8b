// A temporary folder for one test, removed with everything in it when the test ends.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace quillon::testing {

// A new, empty folder under the system's temporary folder.
inline std::filesystem::path makeTempFolder() {
#ifdef _WIN32
    // Windows has no mkdtemp: a name of the process, the clock and a counter, made only if it
    // does not exist yet.
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (unsigned n = 0; n < 1000; ++n) {
        const std::filesystem::path candidate =
            base / ("quillon-" + std::to_string(::GetCurrentProcessId()) + "-" +
                    std::to_string(::GetTickCount()) + "-" + std::to_string(n));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            return candidate;
        }
    }
    std::abort();
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    return pattern;
#endif
}

class TempDir {
  public:
    TempDir() : path_(makeTempFolder()) {}
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(std::string_view name) const { return (path_ / name).string(); }

    // Writes content to the named file (binary, exactly as given) and returns its path.
    std::string write(std::string_view name, std::string_view content) const {
        const std::string p = file(name);
        std::ofstream out(p, std::ios::binary);
        out << content;
        return p;
    }

  private:
    std::filesystem::path path_;
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quillon::testing
