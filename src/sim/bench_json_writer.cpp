// Writing bench.json: keys in a fixed, readable order; OIDs, statuses, addresses, codes and
// words as hexadecimal text, counts as plain numbers.
#include <nlohmann/json.hpp>

#include "base/hex_digits.h"
#include "sim/bench_json.h"

namespace quillon::sim {

namespace {

using Json = nlohmann::ordered_json;

std::string hex(std::uint32_t value, int digits) {
    std::string text = "0x";
    for (int i = digits - 1; i >= 0; --i) {
        text.push_back(hexDigitChar((value >> (4 * i)) & 0xF, true));
    }
    return text;
}

std::string hex16(std::uint16_t value) {
    return hex(value, 4);
}
std::string hex32(std::uint32_t value) {
    return hex(value, 8);
}

Json words(const std::vector<std::uint16_t>& values) {
    Json array = Json::array();
    for (const std::uint16_t value : values) {
        array.push_back(hex16(value));
    }
    return array;
}

// Sixteen bytes to a group, so long runs stay readable in an editor.
std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % 16 == 0) {
            text.push_back(' ');
        }
        text.push_back(hexDigitChar(bytes[i] >> 4, true));
        text.push_back(hexDigitChar(bytes[i] & 0xF, true));
    }
    return text;
}

std::string macAddress(const std::array<std::uint8_t, 6>& address) {
    std::string text;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (i > 0) {
            text.push_back('-');
        }
        text.push_back(hexDigitChar(address[i] >> 4, true));
        text.push_back(hexDigitChar(address[i] & 0xF, true));
    }
    return text;
}

Json identity(const RidIdentity& id) {
    Json json;
    json["componentId"] = id.componentId;
    json["variant"] = id.variant;
    json["major"] = id.major;
    json["minor"] = id.minor;
    return json;
}

Json range(const RidRange& r) {
    Json json;
    json["role"] = r.role;
    json["interfaceId"] = r.interfaceId;
    json["variant"] = r.variant;
    json["bottom"] = r.bottom;
    json["top"] = r.top;
    return json;
}

Json rids(const CardRids& rids) {
    Json json = Json::object();
    if (rids.primary) {
        json["primary"] = identity(*rids.primary);
    }
    if (rids.station) {
        json["station"] = identity(*rids.station);
    }
    const std::pair<const char*, const std::optional<RidRange>*> ranges[] = {
        {"primarySupplier", &rids.primarySupplier},
        {"modemSupplier", &rids.modemSupplier},
        {"controllerSupplier", &rids.controllerSupplier},
        {"stationSupplier", &rids.stationSupplier},
        {"modemActor", &rids.modemActor},
        {"controllerActor", &rids.controllerActor},
    };
    for (const auto& [key, value] : ranges) {
        if (*value) {
            json[key] = range(**value);
        }
    }
    if (rids.identText) {
        json["identText"] = *rids.identText;
    }
    if (rids.fc01Data) {
        json["fc01"] = words(*rids.fc01Data);
    }
    if (!rids.raw.empty()) {
        Json raw = Json::array();
        for (const auto& [rid, replyWords] : rids.raw) {
            Json entry;
            entry["rid"] = hex16(rid);
            entry["words"] = words(replyWords);
            raw.push_back(entry);
        }
        json["raw"] = raw;
    }
    return json;
}

Json faults(const FaultConfig& faults) {
    Json json = Json::object();
    if (!faults.requests.empty()) {
        Json requests = Json::array();
        for (const RequestFault& fault : faults.requests) {
            Json entry;
            entry["oid"] = hex32(fault.oid);
            if (fault.first == 1 && fault.last == kNoEnd) {
                entry["every"] = true;
            } else if (fault.first == fault.last) {
                entry["nth"] = fault.first;
            } else {
                entry["from"] = fault.first;
                entry["to"] = fault.last;
            }
            entry["status"] = hex32(fault.status);
            requests.push_back(entry);
        }
        json["requests"] = requests;
    }
    if (faults.flakyReads.every != 0 || faults.flakyReads.first != 0) {
        Json flaky = Json::object();
        if (faults.flakyReads.every != 0) {
            flaky["every"] = faults.flakyReads.every;
        }
        if (faults.flakyReads.first != 0) {
            flaky["from"] = faults.flakyReads.first;
            flaky["to"] = faults.flakyReads.last;
        }
        json["flakyReads"] = flaky;
    }
    if (!faults.writes.empty()) {
        Json writes = Json::array();
        for (const WriteFault& fault : faults.writes) {
            Json entry;
            entry["address"] = hex32(fault.address);
            entry["status"] = hex32(fault.status);
            writes.push_back(entry);
        }
        json["writes"] = writes;
    }
    if (!faults.silentWrites.empty()) {
        Json silent = Json::array();
        for (const std::uint32_t address : faults.silentWrites) {
            Json entry;
            entry["address"] = hex32(address);
            silent.push_back(entry);
        }
        json["silentWrites"] = silent;
    }
    if (!faults.unreadableRids.empty()) {
        json["unreadableRids"] = words(faults.unreadableRids);
    }
    return json;
}

Json card(const CardConfig& card) {
    Json json;
    json["macType"] = card.macType;
    json["permanentAddress"] = macAddress(card.permanentAddress);
    json["driverVersion"] = hex32(card.driverVersion);
    json["answersDriverVersion"] = card.answersDriverVersion;
    json["knowsProbeOid"] = card.knowsProbeOid;
    json["rids"] = rids(card.rids);
    if (card.pdaWords) {
        json["pda"]["words"] = words(*card.pdaWords);
    } else if (!card.pdaRecords.empty()) {
        Json records = Json::array();
        for (const PdrConfig& record : card.pdaRecords) {
            Json entry;
            entry["code"] = hex16(record.code);
            entry["data"] = words(record.data);
            records.push_back(entry);
        }
        json["pda"]["records"] = records;
    }
    if (card.ramPdaWords) {
        json["ramPda"]["words"] = words(*card.ramPdaWords);
    }
    if (!card.flash.empty()) {
        Json runs = Json::array();
        for (const FlashRun& run : card.flash) {
            Json entry;
            entry["address"] = hex32(run.address);
            entry["hex"] = hexBytes(run.bytes);
            runs.push_back(entry);
        }
        json["flash"] = runs;
    }
    if (!card.faults.empty()) {
        json["faults"] = faults(card.faults);
    }
    return json;
}

Json adapter(const AdapterConfig& adapter) {
    Json json;
    json["subkey"] = adapter.subkey;
    json["describable"] = adapter.describable;
    json["displayName"] = adapter.displayName;
    json["deviceName"] = adapter.deviceName;
    if (adapter.matchingDeviceId) {
        json["matchingDeviceId"] = *adapter.matchingDeviceId;
    }
    json["pci"] = adapter.pci;
    Json keys = Json::array();
    for (const DeviceKey& key : adapter.deviceKeys) {
        Json entry;
        entry["name"] = key.name;
        Json instances = Json::array();
        for (const DeviceInstance& instance : key.instances) {
            Json item;
            item["name"] = instance.name;
            if (instance.csConfigFlags) {
                item["csConfigFlags"] = *instance.csConfigFlags;
            }
            instances.push_back(item);
        }
        entry["instances"] = instances;
        keys.push_back(entry);
    }
    json["deviceKeys"] = keys;
    if (adapter.openError) {
        json["openError"] = *adapter.openError;
    }
    json["card"] = adapter.card ? card(*adapter.card) : Json("none");
    return json;
}

}  // namespace

std::string benchToJson(const BenchConfig& config) {
    Json json;
    json["os"]["family"] = config.osFamily == OsFamily::Nt ? "NT" : "95";
    json["os"]["majorVersion"] = config.osMajorVersion;
    json["library"]["unknownAdapterError"] = config.unknownAdapterError;
    json["library"]["createEventFails"] = config.createEventFails;
    json["latency"]["enabled"] = config.latency.enabled;
    json["latency"]["perRequestMicros"] = config.latency.perRequestMicros;
    json["latency"]["perKiBReadMicros"] = config.latency.perKiBReadMicros;
    json["latency"]["perKiBWrittenMicros"] = config.latency.perKiBWrittenMicros;
    Json adapters = Json::array();
    for (const AdapterConfig& entry : config.adapters) {
        adapters.push_back(adapter(entry));
    }
    json["adapters"] = adapters;

    // Invalid UTF-8 in names is replaced rather than refused, so writing never fails.
    const std::string text = json.dump(2, ' ', false, Json::error_handler_t::replace);
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (const char c : text) {
        if (c == '\n') {
            out += "\r\n";
        } else {
            out.push_back(c);
        }
    }
    out += "\r\n";
    return out;
}

}  // namespace quillon::sim
