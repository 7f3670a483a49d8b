#include "cli/json_output.h"

#include <array>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/main_window.h"
#include "base/regular_file.h"
#include "card/card_identity.h"
#include "card/card_memory.h"
#include "image/cis_tuples.h"
#include "image/dump_reader.h"
#include "image/firmware_info.h"
#include "image/memory_image.h"
#include "image/plug_list.h"
#include "pda/pda_file.h"
#include "pda/pda_image.h"
#include "sim/bench_json.h"
#include "sim/simulated_bench.h"
#include "ui/report_text.h"
#include "update/update_file_list.h"

namespace quillon::cli {

namespace {

// Keys in the order the documents describe them: the envelope first.
using json = nlohmann::ordered_json;

// Bytes the card's CIS window holds, as the CIS report reads them.
constexpr std::uint16_t kCisBytes = 512;

std::string lowerExtension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string extension = path.substr(dot);
    for (char& c : extension) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return extension;
}

json envelope(const std::string& command, const TerminalUserInterface* shown, bool ok) {
    json messages = json::array();
    if (shown != nullptr) {
        for (const auto& box : shown->boxes()) {
            messages.push_back({{"caption", box.caption}, {"text", box.text}});
        }
    }
    return {{"command", command}, {"ok", ok}, {"messages", messages}};
}

std::string dump(const json& document) {
    return document.dump(2) + '\n';
}

json identityJson(const image::ComponentIdentity& identity) {
    if (!identity.present) {
        return nullptr;
    }
    json out = {{"version", image::formatVersion(identity)},
                {"major", identity.major},
                {"minor", identity.minor},
                {"variant", identity.variant}};
    // A file's information records carry the component id; the card's identity RIDs do not.
    if (identity.componentId != 0) {
        out["componentId"] = identity.componentId;
    }
    return out;
}

// The kind of a queued file, as the file list classified it.
const char* fileTypeName(int type) {
    switch (type) {
        case update::PdaFile:
            return "pda";
        case update::PrimaryFirmware:
            return "primary";
        case update::StationFirmware:
            return "station";
        case update::PrimaryAndStation:
            return "primary+station";
        case update::CisImage:
            return "cis";
        default:
            return "other";
    }
}

json rangeJson(const image::ComponentRange& range) {
    if (!range.present) {
        return nullptr;
    }
    return {{"role", std::string(image::roleName(range.role))},
            {"interfaceId", range.interfaceId},
            {"interface", std::string(image::interfaceName(range.interfaceId))},
            {"variant", range.variant},
            {"bottom", range.bottom},
            {"top", range.top}};
}

// A range the card reports: only its bottom and top are read from it.
json cardRangeJson(const image::ComponentRange& range) {
    if (!range.present) {
        return nullptr;
    }
    return {{"bottom", range.bottom}, {"top", range.top}};
}

json rangesJson(const image::MemoryImage& image) {
    json ranges = json::array();
    for (std::uint16_t n = 1; n <= image.rangeCount(); ++n) {
        const image::ImageRange& range = image.range(n);
        ranges.push_back({{"start", range.startAddress}, {"length", range.length}});
    }
    return ranges;
}

// A file that was not read, and why.
json unreadable(const std::string& path, const std::string& reason) {
    return {{"path", path}, {"kind", "unreadable"}, {"reason", reason}};
}

json firmwareJson(const std::string& path, bool& read) {
    image::FirmwareInfo info;
    image::MemoryImage memory;
    image::PlugList plugs;
    CollectingUserInterface quiet;
    read = info.readFile(path, &memory, &plugs, quiet) != 0;
    if (!read) {
        return unreadable(path, quiet.readerReason());
    }
    json compatibility = json::array();
    for (const image::ComponentRange& range : info.compatibility) {
        if (range.present) {
            compatibility.push_back(rangeJson(range));
        }
    }
    json platforms = json::array();
    for (const image::PlatformEntry& platform : info.platforms) {
        if (platform.present) {
            platforms.push_back(platform.platformId);
        }
    }
    json plugCodes = json::array();
    for (const image::PlugRecord& plug : plugs.records()) {
        plugCodes.push_back({{"pdrCode", plug.pdrCode},
                             {"targetAddress", plug.targetAddress},
                             {"length", plug.length}});
    }
    return {{"path", path},
            {"kind", "firmware"},
            {"primary", identityJson(info.primary)},
            {"station", identityJson(info.station)},
            {"compatibility", compatibility},
            {"buildSequence", info.buildSequence},
            {"platforms", platforms},
            {"plugRecords", plugCodes},
            {"ranges", rangesJson(memory)},
            {"totalBytes", memory.totalBytes()}};
}

json recordsJson(const pda::PdaImage& pda) {
    json records = json::array();
    for (const pda::PdrRecord& record : pda.records()) {
        json data = json::array();
        for (std::uint16_t word : record.data()) {
            data.push_back(word);
        }
        records.push_back({{"code", record.code()}, {"length", record.length()}, {"data", data}});
    }
    return records;
}

json pdaFileJson(const std::string& path, bool& read) {
    pda::PdaImage pda;
    CollectingUserInterface quiet;
    read = pda::loadPdaFile(pda, path, quiet);
    if (!read) {
        return unreadable(path, quiet.readerReason());
    }
    return {{"path", path}, {"kind", "pda"}, {"records", recordsJson(pda)}};
}

json dumpJson(const std::string& path, bool& read) {
    image::MemoryImage memory;
    std::ostringstream said;
    read = image::readDumpFile(path, memory, &said) != 0;
    if (!read) {
        // The reader names the line in hex ("ERROR reading line 1a").
        const std::string text = said.str();
        const std::string why = whyNotAFile(path);
        return unreadable(path, !why.empty()   ? why
                                : text.empty() ? std::string("Not a valid text dump.")
                                               : "Line 0x" + text.substr(text.rfind(' ') + 1) +
                                                     ": Not a dump line.");
    }
    return {{"path", path},
            {"kind", "dump"},
            {"ranges", rangesJson(memory)},
            {"totalBytes", memory.totalBytes()}};
}

// The card's CIS as tuples, read as the CIS report reads it. Null when it cannot be read.
json cisJson(card::AdapterSession& session, ui::UserInterface& ui) {
    std::array<std::uint8_t, kCisBytes> cis{};
    if (!card::readAuxPort(session, cis, session.cisAddress(), kCisBytes, ui)) {
        return nullptr;
    }
    image::CisTupleList tuples;
    json list = json::array();
    const bool valid = tuples.parseTuples(cis, session.cisAddress(), false);
    if (valid) {
        for (std::size_t i = 0; i < tuples.count(); ++i) {
            const std::vector<std::uint8_t>& bytes = *tuples.get(static_cast<int>(i));
            list.push_back({{"code", bytes[0]},
                            {"body", std::vector<std::uint8_t>(bytes.begin() + 2, bytes.end())}});
        }
    }
    return {{"address", session.cisAddress()}, {"valid", valid}, {"tuples", list}};
}

}  // namespace

std::string infoJson(const std::vector<std::string>& paths, bool& allRead, std::ostream* err) {
    json document = envelope("info", nullptr, true);
    json files = json::array();
    allRead = true;
    for (const std::string& path : paths) {
        bool read = false;
        const std::string extension = lowerExtension(path);
        files.push_back(extension == ".pda"   ? pdaFileJson(path, read)
                        : extension == ".dmp" ? dumpJson(path, read)
                                              : firmwareJson(path, read));
        allRead = allRead && read;
        if (!read && err != nullptr) {
            *err << "quillon-cli: " << path << ": " << files.back()["reason"].get<std::string>()
                 << '\n';
        }
    }
    document["ok"] = allRead;
    document["files"] = files;
    return dump(document);
}

std::string cardReportJson(const std::string& command, app::MainWindow& window,
                           const TerminalUserInterface& shown, bool& ok) {
    json fields = json::object();
    if (ok && command == "pda show") {
        fields["records"] = recordsJson(window.pda());
    } else if (ok) {
        // The command closed the card again when it was done; the fields are read afresh.
        CollectingUserInterface quiet;
        ok = window.ensureAdapterOpen(false);
        card::AdapterSession& session = window.session();
        if (ok && command == "cis") {
            fields = cisJson(session, quiet);
            ok = !fields.is_null();
        } else if (ok) {
            card::CardInfo info;
            ok = card::readCardInfo(session, info);
            if (command == "versions") {
                fields = {{"primary", identityJson(info.primary)},
                          {"station", identityJson(info.station)},
                          {"identText", info.identText},
                          {"ranges",
                           {{"primarySupplier", cardRangeJson(info.primarySupplier)},
                            {"modemSupplier", cardRangeJson(info.modemSupplier)},
                            {"controllerSupplier", cardRangeJson(info.controllerSupplier)},
                            {"stationSupplier", cardRangeJson(info.stationSupplier)},
                            {"modemActor", cardRangeJson(info.modemActor)},
                            {"controllerActor", cardRangeJson(info.controllerActor)}}}};
            } else if (command == "mac-type") {
                fields = {{"macType", info.macType}};
            } else {
                fields = {{"driverVersion", info.driverVersion}};
            }
        }
        window.releaseAdapter();
    }
    json document = envelope(command, &shown, ok);
    if (ok) {
        document.update(fields);
    }
    return dump(document);
}

std::string adaptersJson(const app::MainWindow& window, const TerminalUserInterface& shown) {
    json document = envelope("adapters", &shown, true);
    json adapters = json::array();
    for (const ui::AdapterListRow& row : window.view().adapters) {
        adapters.push_back({{"number", row.itemData}, {"name", row.text}});
    }
    document["adapters"] = adapters;
    return dump(document);
}

std::string benchJson(const sim::SimulatedBench& bench) {
    json document = envelope("bench show", nullptr, true);
    document["folder"] = bench.folder();
    document["bench"] = json::parse(sim::benchToJson(bench.config()));
    return dump(document);
}

std::string updateJson(const app::MainWindow& window, const TerminalUserInterface& shown, bool ok) {
    json document = envelope("update", &shown, ok);
    json files = json::array();
    const update::UpdateFileList& list = window.fileList();
    for (int i = 0; i < list.count(); ++i) {
        const std::string path = list.pathAt(i);
        json file = {{"path", path}, {"type", fileTypeName(list.typeAt(i))}};
        if (list.typeAt(i) != update::PdaFile) {
            bool read = false;
            const json firmware = firmwareJson(path, read);
            for (const char* key :
                 {"primary", "station", "compatibility", "platforms", "ranges", "totalBytes"}) {
                if (firmware.contains(key)) {
                    file[key] = firmware[key];
                }
            }
        }
        files.push_back(file);
    }
    document["files"] = files;
    json images = json::array();
    for (const WrittenImage& image : shown.writtenImages()) {
        images.push_back({{"name", image.item.name},
                          {"number", image.item.number},
                          {"bytes", image.item.bytes},
                          {"blocks", image.blocks},
                          {"blocksWritten", image.blocksWritten},
                          {"succeeded", image.succeeded},
                          {"seconds", image.seconds}});
    }
    document["images"] = images;
    json changes = json::array();
    for (const update::PdaChange& change : window.lastPdaChanges()) {
        const char* kind = change.kind == update::PdaChange::Kind::Added     ? "added"
                           : change.kind == update::PdaChange::Kind::Removed ? "removed"
                                                                             : "changed";
        json entry = {
            {"code", change.code}, {"name", update::pdrName(change.code)}, {"change", kind}};
        entry["before"] = change.before;
        entry["after"] = change.after;
        changes.push_back(entry);
    }
    document["pdaChanges"] = changes;
    json report = json::array();
    bool offered = false;
    bool accepted = false;
    for (const auto& shownReport : shown.reports()) {
        if (shownReport.title != "Update Information") {
            continue;
        }
        offered = shownReport.acceptShown;
        accepted = shownReport.accepted;
        // One entry per line of the report, with the colour it is drawn in.
        std::string line;
        std::string colour = "black";
        for (const ui::ReportSegment& segment : ui::parseReportText(shownReport.text)) {
            for (char c : segment.text) {
                if (c == '\r') {
                    continue;
                }
                if (c == '\n') {
                    report.push_back({{"colour", colour}, {"text", line}});
                    line.clear();
                    colour = "black";
                    continue;
                }
                if (line.empty() && c != ' ') {
                    colour = segment.colourName;
                }
                line += c;
            }
        }
        if (!line.empty()) {
            report.push_back({{"colour", colour}, {"text", line}});
        }
    }
    document["report"] = report;
    document["verdict"] = {{"filesOk", offered}, {"updateAnswered", accepted}};
    return dump(document);
}

std::string failureJson(const std::string& command, const TerminalUserInterface* shown) {
    return dump(envelope(command, shown, false));
}

}  // namespace quillon::cli
