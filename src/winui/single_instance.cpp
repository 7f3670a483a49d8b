#include "winui/single_instance.h"

#include <cstring>

#include "winui/wide_text.h"

namespace quillon::winui {

namespace {

// The longest path Windows knows is 32767 UTF-16 units; in UTF-8 or a multi-byte ANSI code
// page that is at most three bytes each.
constexpr std::size_t kPathUnits = 32767;
constexpr std::size_t kPathBytes = 3 * kPathUnits;

// Hand-over text, bounded to the longest path before it is converted.
std::wstring fromCodePage(UINT codePage, const std::string& text) {
    return text.size() > kPathBytes ? std::wstring() : wideFromCodePage(text, codePage);
}

std::string toCodePage(UINT codePage, const std::wstring& wide) {
    return wide.size() > kPathUnits ? std::string() : codePageFromWide(wide, codePage);
}

// The path named relative to this copy's working folder, as the running copy must see it.
std::wstring absolute(const std::wstring& path) {
    const DWORD units = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (units == 0 || units > kPathUnits + 1) {
        return path;
    }
    std::wstring full(units, L'\0');
    const DWORD made = ::GetFullPathNameW(path.c_str(), units, full.data(), nullptr);
    if (made == 0 || made >= units) {
        return path;
    }
    full.resize(made);
    return full;
}

void send(HWND window, ULONG_PTR tag, const std::string& text) {
    COPYDATASTRUCT data{};
    data.dwData = tag;
    data.cbData = static_cast<DWORD>(text.size() + 1);
    data.lpData = const_cast<char*>(text.c_str());
    // Synchronous: each path is in the running copy's list before the next one goes.
    ::SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

// The message's text up to its terminating zero, or to its end when it has none; nothing when
// it is empty or longer than any path.
std::optional<std::string> textOf(const COPYDATASTRUCT& data) {
    if (data.lpData == nullptr || data.cbData == 0) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const char*>(data.lpData);
    const std::size_t size = data.cbData;
    const std::size_t scanned = size < kPathBytes + 1 ? size : kPathBytes + 1;
    const void* zero = std::memchr(bytes, '\0', scanned);
    const std::size_t length =
        zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes) : size;
    if (length == 0 || length > kPathBytes) {
        return std::nullopt;
    }
    return std::string(bytes, length);
}

}  // namespace

bool handOverToRunningWindow(const std::vector<std::string>& arguments) {
    HWND window = ::FindWindowW(nullptr, L"Quillonex");
    if (window == nullptr) {
        return false;
    }
    if (::IsIconic(window)) {
        ::ShowWindow(window, SW_RESTORE);
    }
    ::SetForegroundWindow(window);
    const auto entries = static_cast<ULONG_PTR>(arguments.size() + 1);
    for (const std::string& argument : arguments) {
        const std::wstring path = absolute(fromCodePage(CP_UTF8, argument));
        const std::string ansi = toCodePage(CP_ACP, path);
        if (path.empty() || ansi.empty()) {
            continue;
        }
        if (fromCodePage(CP_ACP, ansi) != path) {
            send(window, kUtf8HandOverTag, toCodePage(CP_UTF8, path));
        }
        send(window, entries, ansi);
    }
    return true;
}

std::optional<std::string> HandOverReceiver::receive(const COPYDATASTRUCT& data) {
    const std::optional<std::string> text = textOf(data);
    if (data.dwData == kUtf8HandOverTag) {
        pending_.reset();
        if (text) {
            // Made well-formed: a broken sequence becomes U+FFFD.
            std::string path = toCodePage(CP_UTF8, fromCodePage(CP_UTF8, *text));
            if (!path.empty()) {
                pending_ = path;
            }
        }
        return pending_;
    }
    std::optional<std::string> twin = std::move(pending_);
    pending_.reset();
    if (!text) {
        return std::nullopt;
    }
    if (twin && toCodePage(CP_ACP, fromCodePage(CP_UTF8, *twin)) == *text) {
        return std::nullopt;
    }
    const std::string path = toCodePage(CP_UTF8, fromCodePage(CP_ACP, *text));
    if (path.empty()) {
        return std::nullopt;
    }
    return path;
}

}  // namespace quillon::winui
