#include "commands/card_reports.h"

#include <array>
#include <cstdio>
#include <memory>
#include <utility>

#include "card/card_identity.h"
#include "card/card_memory.h"
#include "ui/message.h"

namespace quillon::card {
namespace {

constexpr std::uint16_t kCisBytes = 512;
constexpr std::uint8_t kCisEndOfChain = 0xFF;
constexpr int kStressPasses = 100000;
constexpr int kStressBarEnd = kStressPasses / 4;

using ui::tell;

constexpr const char* kNotOpened = "The card could not be opened.";

// Opens the selected adapter for a report. A failed open has told the person why; the adapter
// is released all the same, since a failed driver check leaves it open.
bool openForReport(ui::CommandHost& host, bool checkDriver) {
    if (host.ensureAdapterOpen(checkDriver)) {
        return true;
    }
    host.releaseAdapter();
    return false;
}

// A range line; one the card does not answer says so instead of showing numbers it never gave.
std::string rangeLine(AdapterSession& session, std::uint16_t rid, const char* format, bool& read) {
    image::ComponentRange range;
    if (!readRange(session, rid, range)) {
        read = false;
        std::string line = format;
        line.replace(line.find("%d..%d"), 6, "(read failure)");
        return line;
    }
    char line[96];
    std::snprintf(line, sizeof line, format, static_cast<int>(range.bottom),
                  static_cast<int>(range.top));
    return line;
}

}  // namespace

ui::Outcome showFirmwareVersions(ui::CommandHost& host, AdapterSession& session,
                                 ui::UserInterface& ui) {
    if (!openForReport(host, false)) {
        return ui::Outcome::failed(kNotOpened);
    }
    std::string versions;
    bool read = readCardVersions(session, host.selectedAdapterIndex(), versions);
    std::string ident;
    read = readIdentText(session, ident) && read;
    std::string text = versions + "\n\n" + ident;
    text +=
        rangeLine(session, kRidPrimarySupplierRange, "\n\nPrimary Supplier Range=%d..%d\n", read);
    text += rangeLine(session, kRidModemSupplierRange, "Modem Supplier Range=%d..%d\n", read);
    text +=
        rangeLine(session, kRidControllerSupplierRange, "Controller Supplier Range=%d..%d\n", read);
    text += rangeLine(session, kRidStationSupplierRange, "Station Supplier Range=%d..%d\n", read);
    text += rangeLine(session, kRidModemActorRange, "Modem Actor Range=%d..%d\n", read);
    text += rangeLine(session, kRidControllerActorRange, "Controller Actor Range=%d..%d\n", read);
    host.releaseAdapter();
    ui::showResult(ui, std::move(text), "Current Firmware Versions");
    return read ? ui::Outcome::success()
                : ui::Outcome::failed("The card did not answer every version request.");
}

ui::Outcome showMacType(ui::CommandHost& host, AdapterSession& session, ui::UserInterface& ui) {
    // The MAC type was determined when the adapter was selected; opening only proves the card
    // is still there.
    if (!openForReport(host, false)) {
        return ui::Outcome::failed(kNotOpened);
    }
    host.releaseAdapter();
    std::string text;
    switch (session.macType()) {
        case kMacType3841:
            text = "MAC ID: 0\n\n(Indicates 3841 MAC)";
            break;
        case kMacType3842:
            text = "MAC ID: 2\n\n(Indicates 3842-based MAC)";
            break;
        default:
            text = std::to_string(session.macType()) +
                   "\n\n(Unknown MAC type. This tool is incompatible with this card and/or "
                   "driver.)";
            break;
    }
    ui::showResult(ui, std::move(text), "MAC ID:");
    return ui::Outcome::success();
}

ui::Outcome showDriverVersion(ui::CommandHost& host, AdapterSession& session,
                              ui::UserInterface& ui) {
    if (!openForReport(host, false)) {
        return ui::Outcome::failed(kNotOpened);
    }
    std::uint32_t version = 0;
    const bool answered = session.readDriverVersion(version);
    host.releaseAdapter();
    if (!answered) {
        // A version of 0.0.0 would be a value the driver never gave.
        const std::string why = "The driver did not answer the version request.";
        tell(ui, why, "Driver Version for Selected Card", ui::Icon::Error);
        return ui::Outcome::failed(why);
    }
    char text[48];
    std::snprintf(text, sizeof text, "Version: %d.%2d.%2d", static_cast<int>(version >> 16),
                  static_cast<int>((version >> 8) & 0xFF), static_cast<int>(version & 0xFF));
    ui::showResult(ui, text, "Driver Version for Selected Card");
    return ui::Outcome::success();
}

std::string cisListing(std::span<const std::uint8_t> cis) {
    std::string text =
        "; Attempt to read CIS from flash\r\n; This may not be valid data\r\n; "
        "-------------------------";
    std::size_t nextTuple = 0;
    for (std::size_t i = 0; i < cis.size(); ++i) {
        bool end = false;
        if (i == nextTuple) {
            end = cis[i] == kCisEndOfChain;
            text += "\r\n";
            // A tuple starting on the last byte has no link byte to read; the listing ends
            // with that byte anyway.
            if (i + 1 < cis.size()) {
                nextTuple += cis[i + 1] + 2u;
            }
        }
        char hex[4];
        std::snprintf(hex, sizeof hex, "%x ", static_cast<unsigned>(cis[i]));
        text += hex;
        if (end) {
            break;
        }
    }
    return text;
}

ui::Outcome showCis(ui::CommandHost& host, AdapterSession& session, ui::UserInterface& ui) {
    if (!openForReport(host, false)) {
        return ui::Outcome::failed(kNotOpened);
    }
    std::array<std::uint8_t, kCisBytes> cis{};
    if (!readAuxPort(session, cis, session.cisAddress(), kCisBytes, ui)) {
        host.releaseAdapter();
        return ui::Outcome::failed("The card's CIS could not be read.");
    }
    ui::ReportRequest report;
    report.text = cisListing(cis);
    report.acceptCaption = "Close";
    report.cancelCaption = "Close";
    report.title = "CIS:";
    report.acceptShown = true;
    host.releaseAdapter();
    ui.showReport(report);
    return ui::Outcome::success();
}

ui::Outcome ridStressTest(ui::CommandHost& host, AdapterSession& session, ui::UserInterface& ui) {
    if (!openForReport(host, true)) {
        return ui::Outcome::failed(kNotOpened);
    }
    ui.showMainWindow(false);
    std::unique_ptr<ui::ProgressWindow> progress = ui.createProgressWindow();
    progress->centre();
    progress->show();
    progress->bar().setRange(0, kStressBarEnd);
    const std::string prefix = "Get RID 0xfc01 Pass ";
    const std::string suffix = "/" + std::to_string(kStressPasses);
    RidRecord record;
    for (int pass = 0; pass <= kStressPasses; ++pass) {
        session.readRid(record, kRidStressTest);
        progress->setText(prefix + std::to_string(pass) + suffix);
        progress->showText();
        progress->bar().setPosition(pass / 4);
    }
    tell(ui, progress->text(), "Completed sucessfully:");
    session.finish();
    host.releaseAdapter();
    ui.showMainWindow(true);
    progress->hide();
    progress.reset();
    return ui::Outcome::success();
}

}  // namespace quillon::card
