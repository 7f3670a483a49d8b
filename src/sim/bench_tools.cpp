#include "sim/bench_tools.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/atomic_file.h"
#include "base/file_path.h"
#include "base/log.h"
#include "base/state_folder.h"
#include "sim/bench_json.h"
#include "sim/card_state_file.h"
#include "sim/pda_words.h"

namespace quillon::sim {

namespace {

std::optional<std::string> nonEmpty(const char* value) {
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

void appendf(std::string& out, const char* format, ...) QUILLON_PRINTF_FORMAT(2, 3);

void appendf(std::string& out, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(length) + 1);
        std::vsnprintf(out.data() + start, static_cast<std::size_t>(length) + 1, format, args);
        out.resize(start + static_cast<std::size_t>(length));
    }
    va_end(args);
}

// 1st, 2nd, 3rd, 4th, ..., 11th, 12th, 13th, ..., 21st.
std::string ordinal(std::uint32_t n) {
    const std::uint32_t tens = n % 100;
    const char* suffix = "th";
    if (tens < 11 || tens > 13) {
        switch (n % 10) {
            case 1:
                suffix = "st";
                break;
            case 2:
                suffix = "nd";
                break;
            case 3:
                suffix = "rd";
                break;
            default:
                break;
        }
    }
    return std::to_string(n) + suffix;
}

std::string version(const std::optional<RidIdentity>& id) {
    if (!id) {
        return "(no record)";
    }
    return std::to_string(id->major) + "." + std::to_string(id->minor) + "." +
           std::to_string(id->variant);
}

const char* macTypeName(std::uint16_t macType) {
    switch (macType) {
        case 1:
            return "3841";
        case 2:
            return "3842-based";
        default:
            return "unknown";
    }
}

std::string oidName(std::uint32_t oid) {
    switch (oid) {
        case kOidReadRid:
            return "OID_PRIV_READ_RID";
        case kOidProbe:
            return "OID_PRIV_PROBE";
        case kOidEnableAux:
            return "OID_PRIV_ENABLE_AUX";
        case kOidAuxRead:
            return "OID_PRIV_AUX_READ";
        case kOidBlockProtocols:
            return "OID_PRIV_BLOCK_PROTOCOLS";
        case kOidUnblockProtocols:
            return "OID_PRIV_UNBLOCK_PROTOCOLS";
        case kOidSetupWrite:
            return "OID_PRIV_SETUP_WRITE";
        case kOidAuxWrite:
            return "OID_PRIV_AUX_WRITE";
        case kOidFinish:
            return "OID_PRIV_FINISH";
        case kOidPermanentAddress:
            return "OID_802_3_PERMANENT_ADDRESS";
        case kOidDriverVersion:
            return "OID_GEN_VENDOR_DRIVER_VERSION";
        default: {
            char text[16];
            std::snprintf(text, sizeof text, "0x%08X", oid);
            return text;
        }
    }
}

// The records of one PDA copy as "code (length)", and whether its end record checks.
void describePda(std::string& out, const char* label, const std::vector<std::uint16_t>& words) {
    appendf(out, "    %s:", label);
    std::size_t at = 0;
    std::size_t records = 0;
    while (at < words.size()) {
        const std::uint16_t length = words[at];
        if (length == 0 || at + length >= words.size()) {
            appendf(out, " (no end record)\n");
            return;
        }
        const std::uint16_t code = words[at + 1];
        if (length == 2 && code == 0) {
            std::vector<std::uint8_t> bytes;
            for (std::size_t i = 0; i < at + 2; ++i) {
                bytes.push_back(static_cast<std::uint8_t>(words[i] & 0xFF));
                bytes.push_back(static_cast<std::uint8_t>(words[i] >> 8));
            }
            const bool ok = crc16Arc(0, bytes) == words[at + 2];
            appendf(out, "%s end record, checksum %s\n", records == 0 ? " no records," : "",
                    ok ? "valid" : "INVALID");
            return;
        }
        appendf(out, " 0x%04X (%u)", code, length);
        ++records;
        at += std::size_t{length} + 1;
    }
    appendf(out, " (no end record)\n");
}

void describeFaults(std::string& out, const AdapterConfig& adapter, const SimulatedCard& card) {
    std::vector<std::string> lines;
    if (!adapter.describable) {
        lines.push_back("the library cannot describe the adapter");
    }
    if (adapter.openError) {
        lines.push_back("opening fails with error " + std::to_string(*adapter.openError));
    }
    for (const DeviceKey& key : adapter.deviceKeys) {
        for (const DeviceInstance& instance : key.instances) {
            if (instance.csConfigFlags && (*instance.csConfigFlags & 1) != 0) {
                lines.push_back("device instance " + key.name + "\\" + instance.name +
                                " is disabled");
            }
        }
    }
    if (card.isPrism()) {
        const CardConfig& config = card.config();
        if (!config.knowsProbeOid) {
            lines.push_back("the driver does not know OID_PRIV_PROBE");
        }
        if (!config.answersDriverVersion) {
            lines.push_back("the driver does not answer the version query");
        } else if (config.driverVersion >= 0x80000000) {
            lines.push_back("the driver version is negative");
        }
        if (config.macType != 1 && config.macType != 2) {
            lines.push_back("unknown MAC type");
        }
        const FaultConfig& faults = card.faults();
        for (const RequestFault& rule : faults.requests) {
            char status[16];
            std::snprintf(status, sizeof status, "0x%08X", rule.status);
            std::string which;
            const char* verb = "fail";
            if (rule.first == 1 && rule.last == kNoEnd) {
                which = "every";
                verb = "fails";
            } else if (rule.first == rule.last) {
                which = "request " + std::to_string(rule.first) + " of";
                verb = "fails";
            } else if (rule.last == kNoEnd) {
                which = "requests from " + std::to_string(rule.first) + " on of";
            } else {
                which = "requests " + std::to_string(rule.first) + " to " +
                        std::to_string(rule.last) + " of";
            }
            lines.push_back(which + " " + oidName(rule.oid) + " " + verb + " with " + status);
        }
        if (faults.flakyReads.every != 0) {
            lines.push_back("every " + ordinal(faults.flakyReads.every) +
                            " aux read returns corrupted data");
        }
        if (faults.flakyReads.first != 0) {
            lines.push_back("aux reads " + std::to_string(faults.flakyReads.first) + " to " +
                            std::to_string(faults.flakyReads.last) + " return corrupted data");
        }
        for (const WriteFault& fault : faults.writes) {
            char text[80];
            std::snprintf(text, sizeof text, "aux writes over 0x%08X fail with 0x%08X",
                          fault.address, fault.status);
            lines.push_back(text);
        }
        for (const std::uint32_t address : faults.silentWrites) {
            char text[96];
            std::snprintf(text, sizeof text,
                          "aux writes over 0x%08X succeed but store that byte inverted", address);
            lines.push_back(text);
        }
        for (const std::uint16_t rid : faults.unreadableRids) {
            char text[40];
            std::snprintf(text, sizeof text, "RID 0x%04X is unreadable", rid);
            lines.push_back(text);
        }
    }
    if (lines.empty()) {
        out += "  Faults: none\n";
        return;
    }
    out += "  Faults:\n";
    for (const std::string& line : lines) {
        out += "    " + line + "\n";
    }
}

// "card-<digits>.state", the names of saved card states.
bool isCardStateName(const std::string& name) {
    const std::string prefix = "card-";
    const std::string suffix = ".state";
    if (name.size() <= prefix.size() + suffix.size() || name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    for (std::size_t i = prefix.size(); i < name.size() - suffix.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace

BenchEnvironment benchEnvironmentFromProcess() {
    BenchEnvironment environment;
    environment.quillonBench = nonEmpty(std::getenv("QUILLON_BENCH"));
    environment.xdgStateHome = nonEmpty(std::getenv("XDG_STATE_HOME"));
    environment.home = nonEmpty(std::getenv("HOME"));
    environment.localAppData = nonEmpty(std::getenv("LOCALAPPDATA"));
    environment.appData = nonEmpty(std::getenv("APPDATA"));
    return environment;
}

std::optional<std::string> resolveBenchFolder(const std::optional<std::string>& benchOption,
                                              const BenchEnvironment& environment) {
    const auto usable = [](const std::optional<std::string>& value) {
        return value && !value->empty();
    };
    if (usable(benchOption)) {
        return *benchOption;
    }
    if (usable(environment.quillonBench)) {
        return *environment.quillonBench;
    }
    const std::optional<std::string> state =
        platformStateFolder({environment.xdgStateHome, environment.home, environment.localAppData,
                             environment.appData});
    if (!state) {
        return std::nullopt;
    }
    return pathText(filePath(*state) / "bench");
}

bool initBench(const std::string& dir, std::string& error, bool overwrite) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = filePath(dir);
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec)) {
        error = dir + ": cannot create the bench folder";
        return false;
    }
    const std::string benchPath = benchJsonPath(dir);
    // Whatever stands there (a link that leads nowhere too) is replaced only when asked.
    if (fs::symlink_status(filePath(benchPath), ec).type() != fs::file_type::not_found &&
        !overwrite) {
        error = benchPath + ": already exists";
        return false;
    }
    if (!writeFileAtomically(benchPath, benchToJson(defaultBenchConfig()))) {
        error = benchPath + ": cannot be written";
        return false;
    }
    // The saved cards belong to the bench just replaced.
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (isCardStateName(pathText(entry.path().filename()))) {
            fs::remove(entry.path(), ec);
            if (ec) {
                error = pathText(entry.path()) + ": cannot be removed";
                return false;
            }
        }
    }
    if (ec) {
        error = dir + ": cannot be read";
        return false;
    }
    return true;
}

bool repairBench(const std::string& dir, std::vector<std::string>& repaired, std::string& error) {
    namespace fs = std::filesystem;
    error.clear();
    std::error_code ec;
    std::vector<fs::path> states;
    for (fs::directory_iterator it(filePath(dir), ec), end; !ec && it != end; it.increment(ec)) {
        if (isCardStateName(pathText(it->path().filename()))) {
            states.push_back(it->path());
        }
    }
    if (ec) {
        error = dir + ": cannot be read";
        return false;
    }
    std::sort(states.begin(), states.end());
    for (const fs::path& state : states) {
        const std::optional<CardStateRepair> repair = repairCardStateFile(pathText(state), error);
        if (!error.empty()) {
            return false;
        }
        if (repair) {
            repaired.push_back(pathText(state.filename()) + ": damaged at byte " +
                               std::to_string(repair->damagedAt) + "; cut there (" +
                               std::to_string(repair->dropped) +
                               " bytes dropped), the whole file kept as " +
                               pathText(filePath(repair->copy).filename()));
        }
    }
    return true;
}

std::string describeBench(const SimulatedBench& bench) {
    const BenchConfig& config = bench.config();
    std::string out;
    appendf(out, "Bench: %s\n", bench.folder().empty() ? "(in memory)" : bench.folder().c_str());
    appendf(out, "Operating system: %s family, major version %u\n",
            config.osFamily == OsFamily::Nt ? "Windows NT" : "Windows 95", config.osMajorVersion);
    const LatencyModel& latency = bench.simulatedLibrary().latency();
    if (latency.enabled) {
        appendf(out, "Latency: on (%u us a request, %u us a KiB read, %u us a KiB written)\n",
                latency.perRequestMicros, latency.perKiBReadMicros, latency.perKiBWrittenMicros);
    } else {
        out += "Latency: off\n";
    }
    appendf(out, "Adapters: %zu\n", config.adapters.size());
    for (std::size_t i = 0; i < config.adapters.size(); ++i) {
        const AdapterConfig& adapter = config.adapters[i];
        const SimulatedCard& card = bench.card(i);
        appendf(out, "Adapter %zu: subkey \"%s\", \"%s\"\n", i, adapter.subkey.c_str(),
                adapter.displayName.c_str());
        appendf(out, "  Device name: %s\n", adapter.deviceName.c_str());
        appendf(out, "  MatchingDeviceId: %s (%s)\n",
                adapter.matchingDeviceId ? adapter.matchingDeviceId->c_str() : "(none)",
                adapter.pci ? "PCI" : "not PCI");
        if (!card.isPrism()) {
            out += "  Card: another chipset (opens, refuses the private requests)\n";
            describeFaults(out, adapter, card);
            continue;
        }
        const CardConfig& cardConfig = card.config();
        const auto& mac = cardConfig.permanentAddress;
        appendf(out, "  Card: PRISM, MAC type %u (%s), address %02X-%02X-%02X-%02X-%02X-%02X\n",
                cardConfig.macType, macTypeName(cardConfig.macType), mac[0], mac[1], mac[2], mac[3],
                mac[4], mac[5]);
        appendf(out, "  Driver version: 0x%08X\n", cardConfig.driverVersion);
        const CardRids& rids = card.rids();
        appendf(out, "  Firmware: primary %s, station %s\n", version(rids.primary).c_str(),
                version(rids.station).c_str());
        if (rids.primarySupplier) {
            appendf(out, "  Primary supplier range: %u..%u (interface %u, variant %u)\n",
                    rids.primarySupplier->bottom, rids.primarySupplier->top,
                    rids.primarySupplier->interfaceId, rids.primarySupplier->variant);
        }
        if (rids.identText) {
            appendf(out, "  Identification: \"%s\"\n", rids.identText->c_str());
        }
        out += "  PDA records (code and length):\n";
        describePda(out, "NVRAM", card.pdaWords(true));
        describePda(out, "RAM", card.pdaWords(false));
        describeFaults(out, adapter, card);
    }
    return out;
}

}  // namespace quillon::sim
