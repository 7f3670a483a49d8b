#include <cwchar>

#include "base/file_path.h"

namespace quillon {

std::FILE* openFile(const std::string& utf8, const char* mode) {
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return ::_wfopen(filePath(utf8).c_str(), wideMode.c_str());
}

}  // namespace quillon
