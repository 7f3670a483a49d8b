#include "win32/win32_registry.h"

#include <windows.h>

#include <string>

namespace quillon::win32 {
namespace {

#if defined(__i386__)
static_assert(sizeof(HKEY) == sizeof(card::RegistryKey));
#endif
static_assert(card::kLocalMachine == 0x80000002 && card::kCurrentConfig == 0x80000005,
              "the roots are the system's predefined keys");

// Windows sign-extends a key handle's 32 significant bits on 64-bit systems: the predefined
// roots are 0xFFFFFFFF8000000x there.
HKEY handleOf(card::RegistryKey key) {
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(key)));
}

bool isRoot(card::RegistryKey key) {
    return key >= 0x80000000 && key <= 0x80000006;
}

}  // namespace

std::optional<card::RegistryKey> Win32Registry::openKey(card::RegistryKey parent,
                                                        std::string_view path) {
    const std::string text(path);
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(handleOf(parent), text.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return static_cast<card::RegistryKey>(reinterpret_cast<std::uintptr_t>(opened));
}

bool Win32Registry::enumKey(card::RegistryKey key, std::uint32_t index, std::span<char> name) {
    if (name.empty()) {
        return false;
    }
    // The size counts the room for the name's NUL; a longer name fails with ERROR_MORE_DATA.
    DWORD size = static_cast<DWORD>(name.size());
    return ::RegEnumKeyExA(handleOf(key), index, name.data(), &size, nullptr, nullptr, nullptr,
                           nullptr) == ERROR_SUCCESS;
}

bool Win32Registry::queryValue(card::RegistryKey key, std::string_view valueName,
                               std::span<std::uint8_t> data, std::size_t& size) {
    const std::string name(valueName);
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(data.size());
    if (::RegQueryValueExA(handleOf(key), name.c_str(), nullptr, &type, data.data(), &bytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    size = bytes;
    return true;
}

void Win32Registry::closeKey(card::RegistryKey key) {
    if (!isRoot(key) && key != 0) {
        ::RegCloseKey(handleOf(key));
    }
}

}  // namespace quillon::win32
