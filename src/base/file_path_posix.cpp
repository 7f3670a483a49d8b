#include <fcntl.h>

#include "base/file_path.h"

namespace quillon {

std::FILE* openFile(const std::string& utf8, const char* mode) {
    return std::fopen(utf8.c_str(), mode);
}

int openDescriptor(const std::string& utf8, int flags, int mode) {
    return ::open(utf8.c_str(), flags, mode);
}

}  // namespace quillon
