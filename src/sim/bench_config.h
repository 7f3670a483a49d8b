// Everything a bench describes: the operating system the simulated access library pretends to
// run on, the adapters of its registry in enumeration order, and the card behind each adapter
// with the faults it should show. bench.json holds exactly this (bench_json.h reads and writes
// it); tests build it in code.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace quillon::sim {

// NDIS statuses the simulated driver answers with.
inline constexpr std::uint32_t kStatusSuccess = 0;
inline constexpr std::uint32_t kStatusFailure = 0xC0000001;
inline constexpr std::uint32_t kStatusNotSupported = 0xC00000BB;
inline constexpr std::uint32_t kStatusInvalidLength = 0xC0010014;
inline constexpr std::uint32_t kStatusInvalidOid = 0xC0010017;

// The requests a PRISM driver answers.
inline constexpr std::uint32_t kOidReadRid = 0xFF010181;
inline constexpr std::uint32_t kOidProbe = 0xFF010183;
inline constexpr std::uint32_t kOidEnableAux = 0xFF010184;
inline constexpr std::uint32_t kOidAuxRead = 0xFF010186;
inline constexpr std::uint32_t kOidBlockProtocols = 0xFF010187;
inline constexpr std::uint32_t kOidUnblockProtocols = 0xFF010188;
inline constexpr std::uint32_t kOidSetupWrite = 0xFF01018B;
inline constexpr std::uint32_t kOidAuxWrite = 0xFF01018C;
inline constexpr std::uint32_t kOidFinish = 0xFF020198;
inline constexpr std::uint32_t kOidPermanentAddress = 0x01010101;
inline constexpr std::uint32_t kOidDriverVersion = 0x00010116;

enum class OsFamily { Nt, Windows95 };

// Time the simulated hardware takes, so that a person watching an update sees it progress.
struct LatencyModel {
    bool enabled = false;
    std::uint32_t perRequestMicros = 0;
    std::uint32_t perKiBReadMicros = 0;
    std::uint32_t perKiBWrittenMicros = 0;

    friend bool operator==(const LatencyModel&, const LatencyModel&) = default;
};

// What RIDs 0xFD02 and 0xFD20 report.
struct RidIdentity {
    std::uint16_t componentId = 0;
    std::uint16_t variant = 0;
    std::uint16_t major = 0;
    std::uint16_t minor = 0;

    friend bool operator==(const RidIdentity&, const RidIdentity&) = default;
};

// What the range RIDs (0xFD03, 0xFD0C, 0xFD0D, 0xFD21, 0xFD22, 0xFD23) report.
struct RidRange {
    std::uint16_t role = 0;  // 0 supplier, 1 actor
    std::uint16_t interfaceId = 0;
    std::uint16_t variant = 0;
    std::uint16_t bottom = 0;
    std::uint16_t top = 0;

    friend bool operator==(const RidRange&, const RidRange&) = default;
};

// The RIDs a card answers. A RID left empty is answered with "no record" (length word 0).
struct CardRids {
    std::optional<RidIdentity> primary;                  // 0xFD02
    std::optional<RidIdentity> station;                  // 0xFD20
    std::optional<RidRange> primarySupplier;             // 0xFD03
    std::optional<RidRange> modemSupplier;               // 0xFD0C
    std::optional<RidRange> controllerSupplier;          // 0xFD0D
    std::optional<RidRange> stationSupplier;             // 0xFD21
    std::optional<RidRange> modemActor;                  // 0xFD22
    std::optional<RidRange> controllerActor;             // 0xFD23
    std::optional<std::string> identText;                // 0xFFFF, at most 26 characters
    std::optional<std::vector<std::uint16_t>> fc01Data;  // 0xFC01, data words
    // Replies given word for word (length word, code word, data words), for any RID; they take
    // precedence over everything above. At most 252 words (the 504-byte reply buffer).
    std::vector<std::pair<std::uint16_t, std::vector<std::uint16_t>>> raw;

    friend bool operator==(const CardRids&, const CardRids&) = default;
};

inline constexpr std::uint32_t kNoEnd = std::numeric_limits<std::uint32_t>::max();

// Fails requests of one OID: those numbered first to last (counted from 1 among the requests
// of that OID since the bench was opened or the rule was added) end with status.
struct RequestFault {
    std::uint32_t oid = 0;
    std::uint32_t first = 1;
    std::uint32_t last = kNoEnd;
    std::uint32_t status = kStatusFailure;
    std::uint32_t seen = 0;  // requests of the OID counted so far; not part of the description

    static RequestFault nth(std::uint32_t oid, std::uint32_t n, std::uint32_t status);
    static RequestFault every(std::uint32_t oid, std::uint32_t status);
    static RequestFault range(std::uint32_t oid, std::uint32_t first, std::uint32_t last,
                              std::uint32_t status);

    friend bool operator==(const RequestFault& a, const RequestFault& b) {
        return a.oid == b.oid && a.first == b.first && a.last == b.last && a.status == b.status;
    }
};

// Aux reads whose data differ from what the card holds: every k-th read (every > 0), and the
// reads numbered first to last (first > 0), counted from 1 among the card's aux reads.
struct FlakyReads {
    std::uint32_t every = 0;
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::uint32_t seen = 0;  // aux reads counted so far; not part of the description

    friend bool operator==(const FlakyReads& a, const FlakyReads& b) {
        return a.every == b.every && a.first == b.first && a.last == b.last;
    }
};

// An aux write whose block covers address fails with status and writes nothing.
struct WriteFault {
    std::uint32_t address = 0;
    std::uint32_t status = kStatusFailure;

    friend bool operator==(const WriteFault&, const WriteFault&) = default;
};

struct FaultConfig {
    std::vector<RequestFault> requests;
    FlakyReads flakyReads;
    std::vector<WriteFault> writes;
    // An aux write whose block covers one of these addresses reports success, but the card
    // stores the byte at that address inverted.
    std::vector<std::uint32_t> silentWrites;
    std::vector<std::uint16_t> unreadableRids;  // answered with kStatusFailure

    bool empty() const {
        return requests.empty() && flakyReads.every == 0 && flakyReads.first == 0 &&
               writes.empty() && silentWrites.empty() && unreadableRids.empty();
    }
    friend bool operator==(const FaultConfig&, const FaultConfig&) = default;
};

// One production data record as the bench gives it: the code and its data words; the length
// word follows from the data.
struct PdrConfig {
    std::uint16_t code = 0;
    std::vector<std::uint16_t> data;

    friend bool operator==(const PdrConfig&, const PdrConfig&) = default;
};

// A run of bytes the card's flash holds from the start.
struct FlashRun {
    std::uint32_t address = 0;
    std::vector<std::uint8_t> bytes;

    friend bool operator==(const FlashRun&, const FlashRun&) = default;
};

struct CardConfig {
    std::uint16_t macType = 2;  // RID 0xFD04 data word 2: 1 = 3841, 2 = 3842-based
    std::array<std::uint8_t, 6> permanentAddress{};
    std::uint32_t driverVersion = 0;
    bool answersDriverVersion = true;
    bool knowsProbeOid = true;
    CardRids rids;
    // The PDA in flash (the NVRAM copy): raw words when given, else the records with an end
    // record whose checksum the bench computes; neither leaves the flash as it is.
    std::vector<PdrConfig> pdaRecords;
    std::optional<std::vector<std::uint16_t>> pdaWords;
    // The RAM copy at power-on; when absent the card loaded it from NVRAM.
    std::optional<std::vector<std::uint16_t>> ramPdaWords;
    // Written before the PDA, so the PDA wins where they overlap.
    std::vector<FlashRun> flash;
    FaultConfig faults;

    friend bool operator==(const CardConfig&, const CardConfig&) = default;
};

struct DeviceInstance {
    std::string name;
    std::optional<std::uint32_t> csConfigFlags;  // bit 0: disabled in this hardware profile

    friend bool operator==(const DeviceInstance&, const DeviceInstance&) = default;
};

// A device key: below Enum\pci for a PCI adapter, below Enum for any other (the name may then
// hold backslashes, as device ids do).
struct DeviceKey {
    std::string name;
    std::vector<DeviceInstance> instances;

    friend bool operator==(const DeviceKey&, const DeviceKey&) = default;
};

struct AdapterConfig {
    std::string subkey;  // the adapter's subkey of the network class key
    bool describable = true;
    std::string displayName;
    std::string deviceName;
    std::optional<std::string> matchingDeviceId;
    bool pci = true;
    std::vector<DeviceKey> deviceKeys;
    // When set, opening the adapter fails and W32N_GetLastError returns this code.
    std::optional<std::uint32_t> openError;
    // None: a card of another chipset, which opens but refuses the private requests.
    std::optional<CardConfig> card;

    friend bool operator==(const AdapterConfig&, const AdapterConfig&) = default;
};

struct BenchConfig {
    OsFamily osFamily = OsFamily::Nt;
    std::uint32_t osMajorVersion = 5;
    // W32N_GetLastError after opening a name no adapter has. 6 is what a library whose driver
    // is loaded reports; 2 or 5 rehearse the start-up errors.
    std::uint32_t unknownAdapterError = 6;
    bool createEventFails = false;
    LatencyModel latency;
    std::vector<AdapterConfig> adapters;

    friend bool operator==(const BenchConfig&, const BenchConfig&) = default;
};

// The built-in bench: Windows NT 5, one PCI adapter with a 3842-based PRISM card holding
// primary firmware 1.1.0, station firmware 1.7.4 and a valid PDA. Latency is on.
BenchConfig defaultBenchConfig();

// The name of a PCI adapter's device key below Enum\pci, as a bench that lists only the
// adapter's instances gets it: the MatchingDeviceId without its first 4 characters ("pci\").
std::string pciDeviceKeyName(const std::string& matchingDeviceId);

}  // namespace quillon::sim
