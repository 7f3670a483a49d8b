// Reading bench.json. Every value is checked for its type and range, every key must be known
// (a misspelt key would otherwise be ignored without a word), and the first problem ends the
// read with a message that names the key.
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "sim/bench_json.h"
#include "sim/json_values.h"
#include "sim/pda_words.h"
#include "sim/text_compare.h"

namespace quillon::sim {

namespace {

using namespace json;

constexpr std::size_t kMaxRidWords = 252;
constexpr std::size_t kMaxIdentText = 26;

RidIdentity readIdentity(const Json& json, const std::string& path) {
    Object object(json, path);
    RidIdentity identity;
    identity.componentId = toU16(object.require("componentId"), object.pathOf("componentId"));
    identity.variant = toU16(object.require("variant"), object.pathOf("variant"));
    identity.major = toU16(object.require("major"), object.pathOf("major"));
    identity.minor = toU16(object.require("minor"), object.pathOf("minor"));
    object.rejectUnknownKeys();
    return identity;
}

RidRange readRange(const Json& json, const std::string& path) {
    Object object(json, path);
    RidRange range;
    range.role = toU16(object.require("role"), object.pathOf("role"));
    range.interfaceId = toU16(object.require("interfaceId"), object.pathOf("interfaceId"));
    range.variant = toU16(object.require("variant"), object.pathOf("variant"));
    range.bottom = toU16(object.require("bottom"), object.pathOf("bottom"));
    range.top = toU16(object.require("top"), object.pathOf("top"));
    object.rejectUnknownKeys();
    return range;
}

CardRids readRids(const Json& json, const std::string& path) {
    Object object(json, path);
    CardRids rids;
    if (const Json* v = object.find("primary")) {
        rids.primary = readIdentity(*v, object.pathOf("primary"));
    }
    if (const Json* v = object.find("station")) {
        rids.station = readIdentity(*v, object.pathOf("station"));
    }
    const std::pair<const char*, std::optional<RidRange> CardRids::*> ranges[] = {
        {"primarySupplier", &CardRids::primarySupplier},
        {"modemSupplier", &CardRids::modemSupplier},
        {"controllerSupplier", &CardRids::controllerSupplier},
        {"stationSupplier", &CardRids::stationSupplier},
        {"modemActor", &CardRids::modemActor},
        {"controllerActor", &CardRids::controllerActor},
    };
    for (const auto& [key, member] : ranges) {
        if (const Json* v = object.find(key)) {
            rids.*member = readRange(*v, object.pathOf(key));
        }
    }
    if (const Json* v = object.find("identText")) {
        rids.identText = toString(*v, object.pathOf("identText"));
        if (rids.identText->size() > kMaxIdentText) {
            fail(object.pathOf("identText"), "longer than 26 characters");
        }
    }
    if (const Json* v = object.find("fc01")) {
        rids.fc01Data = toWords(*v, object.pathOf("fc01"), kMaxRidWords - 2);
    }
    if (const Json* v = object.find("raw")) {
        const std::string rawPath = object.pathOf("raw");
        const Json& array = toArray(*v, rawPath);
        for (std::size_t i = 0; i < array.size(); ++i) {
            Object entry(array[i], item(rawPath, i));
            const std::uint16_t rid = toU16(entry.require("rid"), entry.pathOf("rid"));
            rids.raw.emplace_back(
                rid, toWords(entry.require("words"), entry.pathOf("words"), kMaxRidWords));
            entry.rejectUnknownKeys();
        }
    }
    object.rejectUnknownKeys();
    return rids;
}

PdrConfig readRecord(const Json& json, const std::string& path) {
    Object object(json, path);
    PdrConfig record;
    record.code = toU16(object.require("code"), object.pathOf("code"));
    const Json* data = object.find("data");
    const Json* text = object.find("text");
    const Json* dataWords = object.find("dataWords");
    if ((data == nullptr) == (text == nullptr)) {
        fail(path, "expected either \"data\" or \"text\"");
    }
    if (data != nullptr) {
        if (dataWords != nullptr) {
            fail(object.pathOf("dataWords"), "goes with \"text\" only");
        }
        record.data = toWords(*data, object.pathOf("data"), kPdaWords);
    } else {
        const std::size_t words =
            dataWords == nullptr ? 0 : toNumber(*dataWords, object.pathOf("dataWords"), kPdaWords);
        const std::string value = toString(*text, object.pathOf("text"));
        if (value.size() > 2 * kPdaWords) {
            fail(object.pathOf("text"), "longer than a PDA");
        }
        record.data = textWords(value, words);
    }
    object.rejectUnknownKeys();
    return record;
}

// A PDA copy: either raw words, or records that the bench closes with a checksummed end
// record.
struct PdaCopy {
    std::vector<PdrConfig> records;
    std::optional<std::vector<std::uint16_t>> words;
};

PdaCopy readPda(const Json& json, const std::string& path) {
    Object object(json, path);
    const Json* recordList = object.find("records");
    const Json* wordList = object.find("words");
    if ((recordList == nullptr) == (wordList == nullptr)) {
        fail(path, "expected either \"records\" or \"words\"");
    }
    PdaCopy copy;
    if (wordList != nullptr) {
        copy.words = toWords(*wordList, object.pathOf("words"), kPdaWords);
    } else {
        const std::string listPath = object.pathOf("records");
        const Json& array = toArray(*recordList, listPath);
        for (std::size_t i = 0; i < array.size(); ++i) {
            copy.records.push_back(readRecord(array[i], item(listPath, i)));
        }
        if (pdaWordCount(copy.records) > kPdaWords) {
            fail(listPath, "the records and the end record take more than 512 words");
        }
    }
    object.rejectUnknownKeys();
    return copy;
}

std::vector<FlashRun> readFlash(const Json& json, const std::string& path) {
    const Json& array = toArray(json, path);
    std::vector<FlashRun> runs;
    for (std::size_t i = 0; i < array.size(); ++i) {
        Object run(array[i], item(path, i));
        FlashRun flashRun;
        flashRun.address = toU32(run.require("address"), run.pathOf("address"));
        flashRun.bytes = toHexBytes(run.require("hex"), run.pathOf("hex"));
        run.rejectUnknownKeys();
        runs.push_back(std::move(flashRun));
    }
    return runs;
}

RequestFault readRequestFault(const Json& json, const std::string& path) {
    Object object(json, path);
    const std::uint32_t oid = toU32(object.require("oid"), object.pathOf("oid"));
    std::uint32_t status = kStatusFailure;
    if (const Json* v = object.find("status")) {
        status = toU32(*v, object.pathOf("status"));
    }
    const Json* nth = object.find("nth");
    const Json* every = object.find("every");
    const Json* from = object.find("from");
    const Json* to = object.find("to");
    const int kinds = (nth != nullptr) + (every != nullptr) + (from != nullptr || to != nullptr);
    if (kinds != 1) {
        fail(path, "expected one of \"nth\", \"every\" or \"from\" and \"to\"");
    }
    RequestFault fault;
    if (nth != nullptr) {
        const std::uint32_t n = toU32(*nth, object.pathOf("nth"));
        if (n == 0) {
            fail(object.pathOf("nth"), "requests are counted from 1");
        }
        fault = RequestFault::nth(oid, n, status);
    } else if (every != nullptr) {
        if (!toBool(*every, object.pathOf("every"))) {
            fail(object.pathOf("every"), "expected true");
        }
        fault = RequestFault::every(oid, status);
    } else {
        if (from == nullptr || to == nullptr) {
            fail(path, "\"from\" and \"to\" go together");
        }
        const std::uint32_t first = toU32(*from, object.pathOf("from"));
        const std::uint32_t last = toU32(*to, object.pathOf("to"));
        if (first == 0 || last < first) {
            fail(path, "expected 1 <= from <= to");
        }
        fault = RequestFault::range(oid, first, last, status);
    }
    object.rejectUnknownKeys();
    return fault;
}

FaultConfig readFaults(const Json& json, const std::string& path) {
    Object object(json, path);
    FaultConfig faults;
    if (const Json* v = object.find("requests")) {
        const std::string listPath = object.pathOf("requests");
        const Json& array = toArray(*v, listPath);
        for (std::size_t i = 0; i < array.size(); ++i) {
            faults.requests.push_back(readRequestFault(array[i], item(listPath, i)));
        }
    }
    if (const Json* v = object.find("flakyReads")) {
        Object flaky(*v, object.pathOf("flakyReads"));
        if (const Json* every = flaky.find("every")) {
            faults.flakyReads.every = toU32(*every, flaky.pathOf("every"));
        }
        const Json* from = flaky.find("from");
        const Json* to = flaky.find("to");
        if ((from == nullptr) != (to == nullptr)) {
            fail(flaky.path(), "\"from\" and \"to\" go together");
        }
        if (from != nullptr) {
            faults.flakyReads.first = toU32(*from, flaky.pathOf("from"));
            faults.flakyReads.last = toU32(*to, flaky.pathOf("to"));
            if (faults.flakyReads.first == 0 || faults.flakyReads.last < faults.flakyReads.first) {
                fail(flaky.path(), "expected 1 <= from <= to");
            }
        }
        flaky.rejectUnknownKeys();
    }
    if (const Json* v = object.find("writes")) {
        const std::string listPath = object.pathOf("writes");
        const Json& array = toArray(*v, listPath);
        for (std::size_t i = 0; i < array.size(); ++i) {
            Object entry(array[i], item(listPath, i));
            WriteFault fault;
            fault.address = toU32(entry.require("address"), entry.pathOf("address"));
            if (const Json* status = entry.find("status")) {
                fault.status = toU32(*status, entry.pathOf("status"));
            }
            entry.rejectUnknownKeys();
            faults.writes.push_back(fault);
        }
    }
    if (const Json* v = object.find("silentWrites")) {
        const std::string listPath = object.pathOf("silentWrites");
        const Json& array = toArray(*v, listPath);
        for (std::size_t i = 0; i < array.size(); ++i) {
            Object entry(array[i], item(listPath, i));
            faults.silentWrites.push_back(toU32(entry.require("address"), entry.pathOf("address")));
            entry.rejectUnknownKeys();
        }
    }
    if (const Json* v = object.find("unreadableRids")) {
        faults.unreadableRids = toWords(*v, object.pathOf("unreadableRids"), 0x10000);
    }
    object.rejectUnknownKeys();
    return faults;
}

CardConfig readCard(const Json& json, const std::string& path) {
    Object object(json, path);
    CardConfig card;
    if (const Json* v = object.find("macType")) {
        card.macType = toU16(*v, object.pathOf("macType"));
    }
    if (const Json* v = object.find("permanentAddress")) {
        card.permanentAddress = toMacAddress(*v, object.pathOf("permanentAddress"));
    }
    if (const Json* v = object.find("driverVersion")) {
        card.driverVersion = toU32(*v, object.pathOf("driverVersion"));
    }
    if (const Json* v = object.find("answersDriverVersion")) {
        card.answersDriverVersion = toBool(*v, object.pathOf("answersDriverVersion"));
    }
    if (const Json* v = object.find("knowsProbeOid")) {
        card.knowsProbeOid = toBool(*v, object.pathOf("knowsProbeOid"));
    }
    if (const Json* v = object.find("rids")) {
        card.rids = readRids(*v, object.pathOf("rids"));
    }
    if (const Json* v = object.find("pda")) {
        PdaCopy pda = readPda(*v, object.pathOf("pda"));
        card.pdaRecords = std::move(pda.records);
        card.pdaWords = std::move(pda.words);
    }
    if (const Json* v = object.find("ramPda")) {
        PdaCopy pda = readPda(*v, object.pathOf("ramPda"));
        card.ramPdaWords = pda.words ? std::move(pda.words) : buildPdaWords(pda.records);
    }
    if (const Json* v = object.find("flash")) {
        card.flash = readFlash(*v, object.pathOf("flash"));
    }
    if (const Json* v = object.find("faults")) {
        card.faults = readFaults(*v, object.pathOf("faults"));
    }
    object.rejectUnknownKeys();
    return card;
}

std::string readName(const Json& json, const std::string& path, bool backslashes) {
    std::string name = toString(json, path);
    if (name.empty()) {
        fail(path, "expected a name that is not empty");
    }
    if (!backslashes && name.find('\\') != std::string::npos) {
        fail(path, "expected a name without backslashes");
    }
    if (name.find('\0') != std::string::npos) {
        fail(path, "expected a name without NUL characters");
    }
    return name;
}

std::vector<DeviceInstance> readInstances(const Json& json, const std::string& path) {
    const Json& array = toArray(json, path);
    std::vector<DeviceInstance> instances;
    for (std::size_t i = 0; i < array.size(); ++i) {
        Object object(array[i], item(path, i));
        DeviceInstance instance;
        instance.name = readName(object.require("name"), object.pathOf("name"), false);
        if (const Json* v = object.find("csConfigFlags")) {
            instance.csConfigFlags = toU32(*v, object.pathOf("csConfigFlags"));
        }
        object.rejectUnknownKeys();
        instances.push_back(std::move(instance));
    }
    return instances;
}

AdapterConfig readAdapter(const Json& json, const std::string& path) {
    Object object(json, path);
    AdapterConfig adapter;
    adapter.subkey = readName(object.require("subkey"), object.pathOf("subkey"), false);
    if (const Json* v = object.find("describable")) {
        adapter.describable = toBool(*v, object.pathOf("describable"));
    }
    if (const Json* v = object.find("displayName")) {
        adapter.displayName = toString(*v, object.pathOf("displayName"));
    }
    if (const Json* v = object.find("deviceName")) {
        adapter.deviceName = toString(*v, object.pathOf("deviceName"));
    }
    if (const Json* v = object.find("matchingDeviceId")) {
        adapter.matchingDeviceId = readName(*v, object.pathOf("matchingDeviceId"), true);
    }
    if (const Json* v = object.find("pci")) {
        adapter.pci = toBool(*v, object.pathOf("pci"));
    }
    const Json* deviceKeys = object.find("deviceKeys");
    const Json* instances = object.find("instances");
    if (deviceKeys != nullptr && instances != nullptr) {
        fail(path, "expected either \"deviceKeys\" or \"instances\"");
    }
    if (deviceKeys != nullptr) {
        const std::string listPath = object.pathOf("deviceKeys");
        const Json& array = toArray(*deviceKeys, listPath);
        for (std::size_t i = 0; i < array.size(); ++i) {
            Object key(array[i], item(listPath, i));
            DeviceKey device;
            device.name = readName(key.require("name"), key.pathOf("name"), !adapter.pci);
            if (const Json* list = key.find("instances")) {
                device.instances = readInstances(*list, key.pathOf("instances"));
            }
            key.rejectUnknownKeys();
            adapter.deviceKeys.push_back(std::move(device));
        }
    } else if (instances != nullptr) {
        // The short form: one device key named after the device id.
        if (!adapter.matchingDeviceId) {
            fail(object.pathOf("instances"), "needs a \"matchingDeviceId\"");
        }
        const std::string name =
            adapter.pci ? pciDeviceKeyName(*adapter.matchingDeviceId) : *adapter.matchingDeviceId;
        if (name.empty() || (adapter.pci && name.find('\\') != std::string::npos)) {
            fail(object.pathOf("matchingDeviceId"), "names no device key");
        }
        adapter.deviceKeys.push_back(
            DeviceKey{name, readInstances(*instances, object.pathOf("instances"))});
    }
    if (const Json* v = object.find("openError")) {
        adapter.openError = toU32(*v, object.pathOf("openError"));
    }
    const Json& card = object.require("card");
    if (card.is_string() && card.get_ref<const std::string&>() == "none") {
        adapter.card.reset();
    } else if (card.is_object()) {
        adapter.card = readCard(card, object.pathOf("card"));
    } else {
        fail(object.pathOf("card"), "expected an object or \"none\"");
    }
    object.rejectUnknownKeys();
    return adapter;
}

BenchConfig readBench(const Json& json) {
    Object object(json, "");
    BenchConfig config;
    config.latency = LatencyModel{};
    if (const Json* v = object.find("os")) {
        Object os(*v, "os");
        const std::string family = toString(os.require("family"), os.pathOf("family"));
        if (family == "NT") {
            config.osFamily = OsFamily::Nt;
        } else if (family == "95") {
            config.osFamily = OsFamily::Windows95;
        } else {
            fail(os.pathOf("family"), "expected \"NT\" or \"95\"");
        }
        if (const Json* major = os.find("majorVersion")) {
            config.osMajorVersion = toU32(*major, os.pathOf("majorVersion"));
        }
        os.rejectUnknownKeys();
    }
    if (const Json* v = object.find("library")) {
        Object library(*v, "library");
        if (const Json* error = library.find("unknownAdapterError")) {
            config.unknownAdapterError = toU32(*error, library.pathOf("unknownAdapterError"));
        }
        if (const Json* fails = library.find("createEventFails")) {
            config.createEventFails = toBool(*fails, library.pathOf("createEventFails"));
        }
        library.rejectUnknownKeys();
    }
    if (const Json* v = object.find("latency")) {
        Object latency(*v, "latency");
        config.latency.enabled = toBool(latency.require("enabled"), latency.pathOf("enabled"));
        const std::pair<const char*, std::uint32_t LatencyModel::*> fields[] = {
            {"perRequestMicros", &LatencyModel::perRequestMicros},
            {"perKiBReadMicros", &LatencyModel::perKiBReadMicros},
            {"perKiBWrittenMicros", &LatencyModel::perKiBWrittenMicros},
        };
        for (const auto& [key, member] : fields) {
            if (const Json* field = latency.find(key)) {
                config.latency.*member = toU32(*field, latency.pathOf(key));
            }
        }
        latency.rejectUnknownKeys();
    }
    const Json& adapters = toArray(object.require("adapters"), "adapters");
    // Subkeys by their upper-case form, so that a bench of many adapters loads in linear time.
    std::unordered_map<std::string, std::size_t> subkeys;
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        AdapterConfig adapter = readAdapter(adapters[i], item("adapters", i));
        std::string folded = adapter.subkey;
        for (char& c : folded) {
            c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
        const auto [at, added] = subkeys.emplace(std::move(folded), i);
        if (!added) {
            fail(item("adapters", i) + ".subkey",
                 "same as " + item("adapters", at->second) + ".subkey");
        }
        config.adapters.push_back(std::move(adapter));
    }
    object.rejectUnknownKeys();
    return config;
}

// Line and column (both from 1) of a byte offset.
std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return {line, column};
}

// Refuses a key that stands twice in one object: the parser would keep the last one without a
// word, as it would ignore a misspelt key. A pass of its own over text already known to be
// valid JSON; the frames follow the parse to name the key's path, in linear time.
class DuplicateKeyCheck {
  public:
    bool null() { return element(); }
    bool boolean(bool) { return element(); }
    bool number_integer(Json::number_integer_t) { return element(); }
    bool number_unsigned(Json::number_unsigned_t) { return element(); }
    bool number_float(Json::number_float_t, const Json::string_t&) { return element(); }
    bool string(Json::string_t&) { return element(); }
    bool binary(Json::binary_t&) { return element(); }
    bool start_object(std::size_t) { return open(false); }
    bool start_array(std::size_t) { return open(true); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool key(Json::string_t& name) {
        Frame& frame = frames_.back();
        frame.key = name;
        if (!frame.keys.insert(name).second) {
            fail(path(), "duplicate key");
        }
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const Json::exception&) { return false; }

  private:
    struct Frame {
        bool array;
        std::size_t index;
        std::string key;
        std::unordered_set<std::string> keys;
    };

    bool open(bool array) {
        frames_.push_back(Frame{array, 0, {}, {}});
        return true;
    }
    bool close() {
        frames_.pop_back();
        return element();
    }
    bool element() {
        if (!frames_.empty() && frames_.back().array) {
            ++frames_.back().index;
        }
        return true;
    }

    std::string path() const {
        std::string out;
        for (const Frame& frame : frames_) {
            if (frame.array) {
                out += "[" + std::to_string(frame.index) + "]";
            } else {
                out += (out.empty() ? "" : ".") + frame.key;
            }
        }
        return out;
    }

    std::vector<Frame> frames_;
};

}  // namespace

bool parseBenchJson(std::string_view text, BenchConfig& config, std::string& error) {
    Json json;
    try {
        json = Json::parse(text.begin(), text.end());
        DuplicateKeyCheck duplicates;
        Json::sax_parse(text.begin(), text.end(), &duplicates);
    } catch (const BenchError& e) {
        error = e.message;
        return false;
    } catch (const Json::parse_error& e) {
        // The byte the parser stopped at; it counts from 1.
        const std::size_t offset = e.byte > 0 ? e.byte - 1 : 0;
        const auto [line, column] = lineAndColumn(text, offset);
        error = "bench.json: not valid JSON (line " + std::to_string(line) + ", column " +
                std::to_string(column) + ")";
        return false;
    } catch (const Json::exception&) {
        error = "bench.json: not valid JSON";
        return false;
    }
    try {
        config = readBench(json);
    } catch (const BenchError& e) {
        error = e.message;
        return false;
    } catch (const Json::exception&) {
        error = "bench.json: unreadable";
        return false;
    }
    return true;
}

}  // namespace quillon::sim
