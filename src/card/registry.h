// The seam to the few registry operations adapter discovery needs. The simulated bench
// provides a virtual registry described by its bench file; a Windows backend could read the
// real one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace quillon::card {

// An open key. The roots are predefined keys that are always open.
using RegistryKey = std::uint32_t;
inline constexpr RegistryKey kLocalMachine = 0x80000002;
inline constexpr RegistryKey kCurrentConfig = 0x80000005;

class Registry {
  public:
    virtual ~Registry() = default;

    // Opens the key at path ("A\\B\\C", backslash-separated, case-insensitive) below parent
    // for reading.
    virtual std::optional<RegistryKey> openKey(RegistryKey parent, std::string_view path) = 0;

    // Copies the name of subkey number index (in enumeration order) into name, NUL-terminated.
    // Fails when there is no such subkey, or when the name with its NUL does not fit.
    virtual bool enumKey(RegistryKey key, std::uint32_t index, std::span<char> name) = 0;

    // Reads the named value into data; size receives the bytes stored (a text value includes
    // its terminating NUL). Fails when the value is missing or does not fit.
    virtual bool queryValue(RegistryKey key, std::string_view valueName,
                            std::span<std::uint8_t> data, std::size_t& size) = 0;

    // Closing a root, or a key already closed, does nothing.
    virtual void closeKey(RegistryKey key) = 0;
};

}  // namespace quillon::card
