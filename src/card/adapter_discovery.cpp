#include "card/adapter_discovery.h"

#include <algorithm>
#include <array>
#include <span>

#include "base/log.h"

namespace quillon::card {
namespace {

constexpr std::string_view kClassKey95 = "System\\CurrentControlSet\\Services\\Class\\Net";
constexpr std::string_view kClassKeyNt4 =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
constexpr std::string_view kClassKeyNt5 =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr std::string_view kEnum95 = "Enum\\";
constexpr std::string_view kEnumNt =
    "system\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Enum\\";
constexpr std::string_view kPciEnum95 = "Enum\\pci";
constexpr std::string_view kPciEnumNt =
    "system\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Enum\\pci";
constexpr std::string_view kDevicePrefix = "\\Device\\";

// The NT family from version 5 on files network adapters under the class GUID.
constexpr std::uint32_t kFirstClassGuidMajor = 5;
constexpr std::uint32_t kMajorVersionSelector = 2;

// Closes a key on every way out of the scope that opened it.
class KeyGuard {
  public:
    KeyGuard(Registry& registry, RegistryKey key) : registry_(registry), key_(key) {}
    ~KeyGuard() { registry_.closeKey(key_); }
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;
    RegistryKey key() const { return key_; }

  private:
    Registry& registry_;
    RegistryKey key_;
};

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares at most limit characters without regard to case, as the platform's case-blind
// string comparison does (both sides folded to lower case, then compared as unsigned bytes).
int compareNoCase(std::string_view a, std::string_view b, std::size_t limit) {
    const std::size_t n = std::min({a.size(), b.size(), limit});
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(lowerAscii(a[i]));
        const auto cb = static_cast<unsigned char>(lowerAscii(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    const std::size_t la = std::min(a.size(), limit);
    const std::size_t lb = std::min(b.size(), limit);
    if (la == lb) {
        return 0;
    }
    return la < lb ? -1 : 1;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           compareNoCase(text.substr(0, prefix.size()), prefix, prefix.size()) == 0;
}

// The subkey name at index, read into a buffer of bufferSize bytes; none when there is no
// such subkey or its name with its terminator does not fit.
std::optional<std::string> subkeyName(Registry& registry, RegistryKey key, std::uint32_t index,
                                      std::size_t bufferSize) {
    std::array<char, kRegistryTextBuffer> buffer{};
    const std::span<char> room(buffer.data(), std::min(bufferSize, buffer.size()));
    if (!registry.enumKey(key, index, room)) {
        return std::nullopt;
    }
    return std::string(room.begin(), std::find(room.begin(), room.end(), '\0'));
}

// A value read into a 200-byte buffer, as the bytes the registry reported.
std::optional<std::vector<std::uint8_t>> queryBytes(Registry& registry, RegistryKey key,
                                                    std::string_view name) {
    std::array<std::uint8_t, kRegistryTextBuffer> buffer{};
    std::size_t size = 0;
    if (!registry.queryValue(key, name, buffer, size)) {
        return std::nullopt;
    }
    size = std::min(size, buffer.size());
    return std::vector<std::uint8_t>(buffer.begin(),
                                     buffer.begin() + static_cast<std::ptrdiff_t>(size));
}

std::optional<std::string> queryText(Registry& registry, RegistryKey key, std::string_view name) {
    const auto bytes = queryBytes(registry, key, name);
    if (!bytes) {
        return std::nullopt;
    }
    return std::string(bytes->begin(), std::find(bytes->begin(), bytes->end(), 0));
}

std::optional<RegistryKey> openNetworkClassKey(AccessLibrary& library, Registry& registry) {
    if (!library.W32N_IsWindowsNT()) {
        return registry.openKey(kLocalMachine, kClassKey95);
    }
    const bool classGuid =
        library.W32N_OSGetPlatformVersion(kMajorVersionSelector) >= kFirstClassGuidMajor;
    return registry.openKey(kLocalMachine, classGuid ? kClassKeyNt5 : kClassKeyNt4);
}

// True when the instance walk meets an instance disabled in the current hardware profile.
bool hasDisabledInstance(Registry& registry, RegistryKey deviceKey) {
    for (std::uint32_t index = 0;; ++index) {
        const auto name = subkeyName(registry, deviceKey, index, kRegistryTextBuffer);
        if (!name) {
            return false;
        }
        const auto instance = registry.openKey(deviceKey, *name);
        if (!instance) {
            return false;
        }
        const KeyGuard guard(registry, *instance);
        const auto flags = queryBytes(registry, *instance, "CSConfigFlags");
        if (!flags) {
            return false;
        }
        // An empty value has no flag bits, so it disables nothing.
        if (!flags->empty() && ((*flags)[0] & 0x01) != 0) {
            return true;
        }
    }
}

}  // namespace

void listAdapters(AccessLibrary& library, Registry& registry, std::vector<AdapterListEntry>& list) {
    list.clear();
    const auto classKey = openNetworkClassKey(library, registry);
    if (!classKey) {
        return;
    }
    const KeyGuard guard(registry, *classKey);
    for (std::uint32_t index = 0;; ++index) {
        const auto name = subkeyName(registry, *classKey, index, kSubkeyNameBuffer);
        if (!name) {
            return;
        }
        AdapterRegistryInfo info;
        if (library.W32N_GetAdapterRegistryInfo(info, *name) != 0) {
            return;
        }
        // The walk stops at the first gap, so the list position is the adapter's index.
        const auto position = static_cast<std::uint32_t>(list.size());
        list.push_back({info.displayName(), position});
    }
}

bool isAdapterEnabled(AccessLibrary& library, Registry& registry, RegistryKey adapterKey) {
    const auto deviceId = queryText(registry, adapterKey, "MatchingDeviceId");
    if (!deviceId) {
        return true;
    }
    std::optional<RegistryKey> deviceKey;
    if (startsWithNoCase(*deviceId, "pci")) {
        deviceKey = findPciDeviceKey(library, registry, *deviceId);
    } else if (library.W32N_IsWindowsNT()) {
        deviceKey = registry.openKey(kLocalMachine, std::string(kEnumNt) + *deviceId);
    } else {
        deviceKey = registry.openKey(kCurrentConfig, std::string(kEnum95) + *deviceId);
    }
    if (!deviceKey) {
        return true;
    }
    const KeyGuard guard(registry, *deviceKey);
    return !hasDisabledInstance(registry, *deviceKey);
}

std::optional<RegistryKey> findPciDeviceKey(AccessLibrary& library, Registry& registry,
                                            std::string_view deviceId) {
    // "pci\VEN_...": the device keys are named after the text behind "pci\". An id with
    // nothing there would match every device, so it finds none.
    constexpr std::size_t kBusPrefixLength = 4;
    if (deviceId.size() <= kBusPrefixLength) {
        return std::nullopt;
    }
    const std::string_view prefix = deviceId.substr(kBusPrefixLength);

    const auto parent = library.W32N_IsWindowsNT() ? registry.openKey(kLocalMachine, kPciEnumNt)
                                                   : registry.openKey(kCurrentConfig, kPciEnum95);
    if (!parent) {
        return std::nullopt;
    }
    const KeyGuard guard(registry, *parent);
    // Several subsystem variants of one device may be listed; the greatest name wins.
    std::string best;
    for (std::uint32_t index = 0;; ++index) {
        const auto name = subkeyName(registry, *parent, index, kRegistryTextBuffer);
        if (!name) {
            break;
        }
        if (startsWithNoCase(*name, prefix) &&
            compareNoCase(*name, best, kRegistryTextBuffer) > 0) {
            best = *name;
        }
    }
    if (best.empty()) {
        return std::nullopt;
    }
    return registry.openKey(*parent, best);
}

std::optional<std::string> resolveAdapterName(AccessLibrary& library, Registry& registry,
                                              std::uint32_t index) {
    const auto classKey = openNetworkClassKey(library, registry);
    if (!classKey) {
        return std::nullopt;
    }
    const KeyGuard classGuard(registry, *classKey);
    const auto name = subkeyName(registry, *classKey, index, kSubkeyNameBuffer);
    if (!name) {
        return std::nullopt;
    }
    const auto adapterKey = registry.openKey(*classKey, *name);
    if (!adapterKey) {
        return std::nullopt;
    }
    const KeyGuard adapterGuard(registry, *adapterKey);
    if (!isAdapterEnabled(library, registry, *adapterKey)) {
        return std::nullopt;
    }
    AdapterRegistryInfo info;
    if (library.W32N_GetAdapterRegistryInfo(info, *name) != 0) {
        return std::nullopt;
    }
    writeLog("Adapter Names : %s\n", info.displayName().c_str());
    if (!library.W32N_IsWindowsNT()) {
        return *name;
    }
    std::string openName = std::string(kDevicePrefix) + info.deviceName();
    if (openName.size() > kNtAdapterNameLimit) {
        openName.resize(kNtAdapterNameLimit);
    }
    return openName;
}

}  // namespace quillon::card
