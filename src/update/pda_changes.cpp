#include "update/pda_changes.h"

#include <cstdio>
#include <set>

#include "pda/pda_text.h"

namespace quillon::update {
namespace {

std::string hexWord(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
    return text;
}

bool sameRecord(const pda::PdrRecord& a, const pda::PdrRecord& b) {
    const auto x = a.words();
    const auto y = b.words();
    return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

// The MAC address and the serial number are the card's identity: they get a line that says
// what they were and what they become, whatever else changes.
bool isIdentity(std::uint16_t code) {
    return code == pda::kPdrMacAddress || code == pda::kPdrSerialNumber ||
           code == pda::kPdrPartNumber;
}

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

}  // namespace

std::string pdrName(std::uint16_t code) {
    switch (code) {
        case pda::kPdrPartNumber:
            return "part number";
        case pda::kPdrSerialNumber:
            return "serial number";
        case pda::kPdrPlatform:
            return "platform";
        case pda::kPdrMacAddress:
            return "MAC address";
        case pda::kPdrRegulatoryDomain:
            return "regulatory domain";
        case pda::kPdrSetPoint:
            return "set-point values";
        case pda::kPdrIntegrator:
            return "integrator values";
        case pda::kPdrSetPointSource:
            return "set-point sources";
        case pda::kPdrIntegratorSource:
            return "integrator sources";
        default:
            return {};
    }
}

std::string pdrValueText(const pda::PdrRecord& record) {
    const auto data = record.data();
    if (record.code() == pda::kPdrMacAddress && record.length() == 4 && data.size() >= 3) {
        return upper(pda::formatMac({data[0], data[1], data[2]}));
    }
    if ((record.code() == pda::kPdrSerialNumber || record.code() == pda::kPdrPartNumber) &&
        record.length() > 2) {
        return pda::pdrText(record);
    }
    std::string text;
    for (const std::uint16_t word : data) {
        text += (text.empty() ? "" : " ") + hexWord(word);
    }
    return text;
}

std::vector<PdaChange> pdaChanges(const pda::PdaImage& before, const pda::PdaImage& after) {
    std::set<std::uint16_t> codes;
    for (const pda::PdrRecord& r : before.records()) {
        codes.insert(r.code());
    }
    for (const pda::PdrRecord& r : after.records()) {
        codes.insert(r.code());
    }
    std::vector<PdaChange> changes;
    for (const std::uint16_t code : codes) {
        const pda::PdrRecord* was = before.findRecord(code);
        const pda::PdrRecord* becomes = after.findRecord(code);
        if (was != nullptr && becomes != nullptr && sameRecord(*was, *becomes)) {
            continue;
        }
        PdaChange change;
        change.code = code;
        change.kind = was == nullptr       ? PdaChange::Kind::Added
                      : becomes == nullptr ? PdaChange::Kind::Removed
                                           : PdaChange::Kind::Changed;
        change.before = was != nullptr ? pdrValueText(*was) : std::string();
        change.after = becomes != nullptr ? pdrValueText(*becomes) : std::string();
        changes.push_back(std::move(change));
    }
    return changes;
}

std::string pdaChangesReport(const std::vector<PdaChange>& changes) {
    if (changes.empty()) {
        return {};
    }
    std::string r = "{+m}The update changes the card's PDA:\n";
    for (const PdaChange& change : changes) {
        const std::string name = pdrName(change.code);
        if (isIdentity(change.code)) {
            std::string title = name;
            if (title[0] >= 'a' && title[0] <= 'z') {
                title[0] = static_cast<char>(title[0] - 'a' + 'A');
            }
            r += "  " + title + ": " + (change.before.empty() ? "(none)" : change.before) +
                 " becomes " + (change.after.empty() ? "(none)" : change.after) + "\n";
            continue;
        }
        r += "  Record " + hexWord(change.code) + (name.empty() ? "" : " (" + name + ")") + ": ";
        r += change.kind == PdaChange::Kind::Added     ? "added\n"
             : change.kind == PdaChange::Kind::Removed ? "removed\n"
                                                       : "changed\n";
    }
    return r + "{+k}";
}

}  // namespace quillon::update
