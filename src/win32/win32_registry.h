// The real registry behind adapter discovery: the network class key and the device keys of
// the local machine and the current hardware profile, opened for reading.
#pragma once

#include "card/registry.h"

namespace quillon::win32 {

class Win32Registry : public card::Registry {
  public:
    std::optional<card::RegistryKey> openKey(card::RegistryKey parent,
                                             std::string_view path) override;
    bool enumKey(card::RegistryKey key, std::uint32_t index, std::span<char> name) override;
    bool queryValue(card::RegistryKey key, std::string_view valueName, std::span<std::uint8_t> data,
                    std::size_t& size) override;
    void closeKey(card::RegistryKey key) override;
};

}  // namespace quillon::win32
