#include "winui/wide_text.h"

#include "winui/windows_api.h"

#include <climits>
#include <vector>

namespace quillon::winui {

std::wstring wideFromCodePage(std::string_view text, unsigned codePage) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string codePageFromWide(std::wstring_view text, unsigned codePage) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::wstring wideFromUtf8(std::string_view text) {
    return wideFromCodePage(text, CP_UTF8);
}

std::string utf8FromWide(std::wstring_view text) {
    return codePageFromWide(text, CP_UTF8);
}

std::string environmentUtf8(const wchar_t* name) {
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::vector<wchar_t> value(needed + 1, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), needed + 1);
    if (length == 0 || length > needed) {
        return {};
    }
    return utf8FromWide(std::wstring_view(value.data(), length));
}

}  // namespace quillon::winui
