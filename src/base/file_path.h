// File names travel through Quillon as UTF-8 text. The platform's file functions want its own
// form (UTF-16 on Windows, where a narrow name would go through the ANSI code page and lose
// every letter outside it), so every file is named through these.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace quillon {

// The path of a UTF-8 file name.
std::filesystem::path filePath(std::string_view utf8);

// The UTF-8 text of a path.
std::string pathText(const std::filesystem::path& path);

// std::fopen for a UTF-8 file name.
std::FILE* openFile(const std::string& utf8, const char* mode);

// open(2) (_wopen on Windows) for a UTF-8 file name.
int openDescriptor(const std::string& utf8, int flags, int mode);

}  // namespace quillon
