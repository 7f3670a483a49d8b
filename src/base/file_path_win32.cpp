#include <fcntl.h>
#include <io.h>

#include <cwchar>

#include "base/file_path.h"

namespace quillon {

std::FILE* openFile(const std::string& utf8, const char* mode) {
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return ::_wfopen(filePath(utf8).c_str(), wideMode.c_str());
}

int openDescriptor(const std::string& utf8, int flags, int mode) {
    return ::_wopen(filePath(utf8).c_str(), flags, mode);
}

}  // namespace quillon
