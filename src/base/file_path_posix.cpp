#include "base/file_path.h"

namespace quillon {

std::FILE* openFile(const std::string& utf8, const char* mode) {
    return std::fopen(utf8.c_str(), mode);
}

}  // namespace quillon
