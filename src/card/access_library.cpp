#include "card/access_library.h"

#include <algorithm>

namespace quillon::card {
namespace {

// A NUL-terminated name inside its part of the record. A library that fills the part to the
// brim without a terminator gets its name cut at the part's end instead of read past it.
std::string boundedName(const std::array<char, AdapterRegistryInfo::kSize>& bytes,
                        std::size_t begin, std::size_t end) {
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(begin);
    const auto last = bytes.begin() + static_cast<std::ptrdiff_t>(end);
    return std::string(first, std::find(first, last, '\0'));
}

}  // namespace

std::string AdapterRegistryInfo::displayName() const {
    return boundedName(bytes, 0, kDeviceNameOffset);
}

std::string AdapterRegistryInfo::deviceName() const {
    return boundedName(bytes, kDeviceNameOffset, kSize);
}

}  // namespace quillon::card
