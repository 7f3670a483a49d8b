// What a firmware file says about itself besides its data: the identities of the firmware
// components it carries, the interface versions they supply or use, its build sequence and
// the card platforms it was built for. The S-record reader fills it from the information
// records at reserved addresses.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "image/memory_image.h"
#include "image/plug_list.h"
#include "ui/user_interface.h"

namespace quillon::image {

inline constexpr std::uint16_t kPrimaryComponentId = 21;
inline constexpr std::uint16_t kStationComponentId = 31;
inline constexpr std::size_t kCompatibilitySlots = 5;
inline constexpr std::size_t kPlatformSlots = 30;
// The interface between primary and station firmware: the range the compatibility check
// compares.
inline constexpr std::uint16_t kPrimaryDriverInterface = 3;

enum ComponentRole : std::uint16_t { kRoleSupplier = 0, kRoleActor = 1 };

struct ComponentIdentity {
    bool present = false;
    std::uint16_t componentId = 0;
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t variant = 0;
};

// The closed interval bottom .. top of interface versions a component supplies or uses.
struct ComponentRange {
    bool present = false;
    std::uint16_t role = 0;
    std::uint16_t interfaceId = 0;
    std::uint16_t variant = 0;
    std::uint16_t bottom = 0;
    std::uint16_t top = 0;
};

struct PlatformEntry {
    bool present = false;
    std::uint16_t platformId = 0;
    // Carried by the record and kept as read; nothing uses them.
    std::array<std::uint16_t, 3> extra{};
};

// What parseRecord made of a line.
enum RecordResult : int {
    kRecordRefused = 0,
    kRecordData = 1,  // data, plug, marker and information records
    kRecordTermination = 2,
    kRecordIgnored = 3,  // header (S0) and count (S5) records
};

class FirmwareInfo {
  public:
    ComponentIdentity primary;
    ComponentIdentity station;
    // Slot k holds the last compatibility record for interface k.
    std::array<ComponentRange, kCompatibilitySlots> compatibility;
    std::uint16_t buildSequence = 0;
    // In file order; the last slot is reused once all are taken.
    std::array<PlatformEntry, kPlatformSlots> platforms;

    // Forgets everything read: every present flag false, build sequence 0.
    void clear();

    // Reads an S-record file: data into the image, plug records into the plug list (either
    // may be null), information records into this object (cleared first). Returns the number
    // of lines read, or 0 when the file cannot be read or a line is refused; the reason goes
    // to the log. When the image refuses data, the person is told through ui and the read
    // fails. With an image, a file without a termination record fails.
    std::uint16_t readFile(const std::string& path, MemoryImage* image, PlugList* plugs,
                           ui::UserInterface& ui);

    // The same over S-record text held in memory; the text is read exactly as a file with
    // those bytes would be.
    std::uint16_t readSrecText(std::string_view text, MemoryImage* image, PlugList* plugs,
                               ui::UserInterface& ui);

    // Checks and applies one line (without its line end). Returns a RecordResult; a refusal
    // writes its reason, with lineNumber, to the log.
    int parseRecord(MemoryImage* image, PlugList* plugs, std::string_view line,
                    std::uint16_t lineNumber, ui::UserInterface& ui);

    // Sets text to the listing of compatibility slots 1 to 4. True when at least one slot was
    // listed; otherwise the text ends with a line saying there is no information.
    bool listCompatibility(std::string& text) const;

    // Why the last read refused the file ("Line 200: Checksum failed."), or empty. readFile
    // also tells the person through UserInterface::fileNotRead.
    const std::string& refusal() const { return refusal_; }
    void noteRefusal(unsigned lineNumber, std::string_view reason);

  private:
    int applyInformation(std::span<const std::uint8_t> data, unsigned lineNumber);

    std::string refusal_;
};

// major.minor.variant, in decimal.
std::string formatVersion(const ComponentIdentity& identity);

// Negative when a is older than b, 0 when equal, positive when newer.
int compareVersion(const ComponentIdentity& a, const ComponentIdentity& b);

// "Supplier", "Actor", or empty for any other role.
std::string_view roleName(std::uint16_t role);

// The display name of an interface id; empty for 0 and for ids above 4.
std::string_view interfaceName(std::uint16_t interfaceId);

}  // namespace quillon::image
