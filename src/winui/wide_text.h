// Text at the edge of the Win32 API: Quillon's strings are UTF-8, the wide functions take
// UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace quillon::winui {

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);

// The same for any code page (CP_ACP, the ANSI one, for the messages of other programs);
// empty for text that cannot be converted.
std::wstring wideFromCodePage(std::string_view text, unsigned codePage);
std::string codePageFromWide(std::wstring_view text, unsigned codePage);

// An environment variable of the process as UTF-8; empty when unset.
std::string environmentUtf8(const wchar_t* name);

}  // namespace quillon::winui
