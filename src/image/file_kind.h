// Which files hold S-records, by their name: the one rule every command follows. Motorola
// S-record files go by several extensions; all of them are read (and written) alike.
#pragma once

#include <string>
#include <string_view>

namespace quillon::image {

// True for ".hex", ".s19", ".srec" and ".mot", in any letter case.
inline bool isSRecordName(std::string_view path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return false;
    }
    std::string extension(path.substr(dot));
    for (char& c : extension) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return extension == ".hex" || extension == ".s19" || extension == ".srec" ||
           extension == ".mot";
}

}  // namespace quillon::image
