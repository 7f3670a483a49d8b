// Finding the network adapters the program can work with, and the name under which the access
// library opens one of them.
//
// Candidates are the subkeys of the operating system's network class key, in enumeration
// order; an adapter's index is its position in that enumeration. The walks stop at the first
// subkey they cannot read or the library cannot describe, so that every listed adapter keeps
// its index as its list position. Registry failures are never reported: they shorten the list
// or count in an adapter's favour.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "card/access_library.h"
#include "card/registry.h"

namespace quillon::card {

// One line of the adapter list: the adapter's display name, and its index as item data.
struct AdapterListEntry {
    std::string text;
    std::uint32_t itemData = 0;

    bool operator==(const AdapterListEntry&) const = default;
};

// The single entry of a list in which no adapter qualified (its item data is 0).
inline constexpr std::string_view kNoAdaptersDetected = "<No adapters detected>";

// Subkey names longer than 15 characters do not fit and end a walk over the class key.
inline constexpr std::size_t kSubkeyNameBuffer = 16;
// Device ids, device and instance subkey names and configuration flags are read into buffers
// of this size.
inline constexpr std::size_t kRegistryTextBuffer = 200;
// The open name of an adapter on the NT family is cut to this many characters.
inline constexpr std::size_t kNtAdapterNameLimit = 80;

// Empties list, then appends every candidate in enumeration order, each with its index as item
// data. Stops at the first subkey whose name cannot be read or which the library cannot
// describe (that subkey is not listed).
void listAdapters(AccessLibrary& library, Registry& registry, std::vector<AdapterListEntry>& list);

// False only when one of the device's instances is disabled in the current hardware profile.
// A missing device id or an unreadable device key counts as enabled.
bool isAdapterEnabled(AccessLibrary& library, Registry& registry, RegistryKey adapterKey);

// The device key of a PCI device (the caller closes it): among the subkeys of the PCI
// enumeration key whose names begin with the device id's text after its first four
// characters, the greatest name, compared without regard to case. None when nothing matches.
std::optional<RegistryKey> findPciDeviceKey(AccessLibrary& library, Registry& registry,
                                            std::string_view deviceId);

// The name under which W32N_OpenAdapterA opens the adapter at index, or none when the adapter
// cannot be read, is disabled, or cannot be described by the library.
std::optional<std::string> resolveAdapterName(AccessLibrary& library, Registry& registry,
                                              std::uint32_t index);

}  // namespace quillon::card
