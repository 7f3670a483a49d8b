#include "cli/json_output.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/main_window.h"
#include "base/regular_file.h"
#include "card/adapter_discovery.h"
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
#include "update/update_card.h"
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

json envelope(const std::string& command, const TerminalUserInterface* shown,
              const ui::Outcome& outcome) {
    json messages = json::array();
    if (shown != nullptr) {
        for (const auto& box : shown->boxes()) {
            messages.push_back({{"caption", box.caption}, {"text", box.text}});
        }
    }
    return {{"command", command},
            {"ok", outcome.done()},
            {"outcome", std::string(ui::endingName(outcome.ending))},
            {"reason", outcome.reason.empty() ? json(nullptr) : json(outcome.reason)},
            {"messages", messages}};
}

json envelope(const std::string& command, const TerminalUserInterface* shown, bool ok) {
    return envelope(command, shown, ok ? ui::Outcome::success() : ui::Outcome::failed());
}

std::string dump(const json& document) {
    return document.dump(2) + '\n';
}

// A file that could not be read, with the reader's reason and, when it names one, the line.
json unreadableJson(const std::string& path, const std::string& reason) {
    json out = {{"path", path}, {"kind", "unreadable"}};
    std::string why = reason;
    if (why.empty()) {
        why = whyNotAFile(path);
    }
    if (why.empty()) {
        why = "Not a file this program reads.";
    }
    out["reason"] = why;
    out["line"] = nullptr;
    // "Line 12: ..." from the S-record and PDA readers, "Line 0x1a: ..." from the dump reader.
    if (why.rfind("Line ", 0) == 0) {
        char* end = nullptr;
        const unsigned long line = std::strtoul(why.c_str() + 5, &end, 0);
        if (end != why.c_str() + 5) {
            out["line"] = line;
        }
    }
    return out;
}

std::string readerWhy(const CollectingUserInterface& reader) {
    return reader.readerReason().empty() ? reader.firstText() : reader.readerReason();
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
json firmwareJson(const std::string& path, bool& read) {
    image::FirmwareInfo info;
    image::MemoryImage memory;
    image::PlugList plugs;
    CollectingUserInterface quiet;
    read = info.readFile(path, &memory, &plugs, quiet) != 0;
    if (!read) {
        return unreadableJson(path, readerWhy(quiet));
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
        return unreadableJson(path, readerWhy(quiet));
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
        return unreadableJson(path, !why.empty()   ? why
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
    if (!allRead) {
        document["ok"] = false;
        document["outcome"] = std::string(ui::endingName(ui::Ending::Failed));
        document["reason"] = "A file could not be read.";
    }
    document["files"] = files;
    return dump(document);
}

std::string cardReportJson(const std::string& command, app::MainWindow& window,
                           const TerminalUserInterface& shown, ui::Outcome& outcome) {
    bool ok = outcome.done();
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
        if (!ok) {
            outcome = ui::Outcome::failed("The card could not be read again for the fields.");
        }
    }
    json document = envelope(command, &shown, outcome);
    if (ok) {
        document.update(fields);
    }
    return dump(document);
}

std::string adaptersJson(const app::MainWindow& window, const TerminalUserInterface& shown,
                         bool& listed) {
    json adapters = json::array();
    for (const ui::AdapterListRow& row : window.view().adapters) {
        // The window's placeholder row stands for no adapter.
        if (row.text != card::kNoAdaptersDetected) {
            adapters.push_back({{"number", row.itemData}, {"name", row.text}});
        }
    }
    listed = !adapters.empty();
    json document =
        envelope("adapters", &shown,
                 listed ? ui::Outcome::success() : ui::Outcome::failed("No adapters detected."));
    document["adapters"] = adapters;
    return dump(document);
}

std::string benchInitJson(const std::string& folder, bool written) {
    json document = envelope(
        "bench init", nullptr,
        written ? ui::Outcome::success() : ui::Outcome::failed("The bench was not written."));
    document["folder"] = folder.empty() ? json(nullptr) : json(folder);
    return dump(document);
}

std::string benchJson(const sim::SimulatedBench& bench) {
    json document = envelope("bench show", nullptr, true);
    document["folder"] = bench.folder();
    document["bench"] = json::parse(sim::benchToJson(bench.config()));
    return dump(document);
}

std::string updateJson(const app::MainWindow& window, const TerminalUserInterface& shown,
                       const ui::Outcome& outcome) {
    json document = envelope("update", &shown, outcome);
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
    const std::optional<update::UpdateOutcome>& update = window.lastUpdate();
    json report = json::array();
    json findings = json::array();
    if (update) {
        // One entry per line of the report, with the colour it is drawn in.
        for (const ui::Finding& line : ui::reportLines(update->report)) {
            report.push_back({{"colour", line.colour}, {"text", line.text}});
        }
        for (const ui::Finding& finding : update->findings) {
            findings.push_back({{"severity", std::string(ui::severityName(finding.severity))},
                                {"text", finding.text}});
        }
    }
    document["report"] = report;
    document["findings"] = findings;
    document["verdict"] = {{"filesOk", update && update->filesOk},
                           {"updateAnswered", update && update->accepted}};
    document["ending"] =
        update ? json(std::string(update::updateEndingName(update->ending))) : json(nullptr);
    document["imagesWritten"] = update ? update->imagesWritten : std::vector<std::string>{};
    document["filesWritten"] = update ? update->filesWritten : std::vector<std::string>{};
    return dump(document);
}

std::string outcomeJson(const std::string& command, const TerminalUserInterface& shown,
                        const ui::Outcome& outcome) {
    return dump(envelope(command, &shown, outcome));
}

}  // namespace quillon::cli
