// The main window's operations on its one chosen adapter. The adapter is held open only while a
// command runs; between commands only the choice (adapterSelected, selectedAdapterIndex) lasts.
#include <array>
#include <cstdio>

#include "app/main_window.h"
#include "card/adapter_detection.h"
#include "card/adapter_discovery.h"
#include "card/card_identity.h"
#include "card/card_memory.h"

namespace quillon::app {

using namespace quillon::ui;
namespace {

std::string macAddressText(const std::array<std::uint8_t, 6>& address) {
    std::array<char, 18> text{};
    std::snprintf(text.data(), text.size(), "%02X-%02X-%02X-%02X-%02X-%02X", address[0], address[1],
                  address[2], address[3], address[4], address[5]);
    return std::string(text.data());
}

constexpr const char* kPdaUnreadable =
    "The card's PDA could not be read: its serial number, MAC address and platform are "
    "unknown, and nothing will write its PDA. Versions, MAC type, driver version and CIS can "
    "still be read. Power-cycle the card and select it again to read its PDA once more.";

}  // namespace

void MainWindow::detectAdapters(bool autoSelect) {
    adapterSelected_ = false;
    selectedAdapterIndex_ = 0;
    session_.closeAdapter();

    view_.adapters.clear();
    adapterNames_.clear();
    view_.selectedAdapterRow = -1;
    for (const card::AdapterListEntry& entry :
         card::detectUsableAdapters(session_, library_, registry_)) {
        view_.adapters.push_back(AdapterListRow{entry.text, entry.itemData});
        adapterNames_.push_back(entry.text);
    }
    labelAdapters();

    if (autoSelect && view_.adapters.size() == 1) {
        view_.selectedAdapterRow = 0;
        selectAdapter();
    }
    if (view_.adapters.empty()) {
        view_.adapters.push_back(AdapterListRow{std::string(card::kNoAdaptersDetected), 0, true});
    }
    refreshControls();
}

void MainWindow::labelAdapters() {
    for (std::size_t i = 0; i < view_.adapters.size() && i < adapterNames_.size(); ++i) {
        AdapterListRow& row = view_.adapters[i];
        const std::string& name = adapterNames_[i];
        std::size_t sharing = 0;
        for (const std::string& other : adapterNames_) {
            sharing += other == name ? 1 : 0;
        }
        row.text = name;
        if (sharing > 1) {
            row.text += " (#" + std::to_string(row.itemData);
            if (const auto mac = adapterMacs_.find(row.itemData); mac != adapterMacs_.end()) {
                row.text += ", " + mac->second;
            }
            row.text += ")";
        }
    }
}

void MainWindow::onAdapterListSelection(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= view_.adapters.size() ||
        view_.adapters[static_cast<std::size_t>(row)].placeholder) {
        return;
    }
    view_.selectedAdapterRow = row;
    selectAdapter();
    releaseAdapter();
}

void MainWindow::selectAdapter() {
    const int row = view_.selectedAdapterRow;
    if (row < 0 || static_cast<std::size_t>(row) >= view_.adapters.size() ||
        view_.adapters[static_cast<std::size_t>(row)].placeholder) {
        return;
    }
    const AdapterListRow chosen = view_.adapters[static_cast<std::size_t>(row)];

    // A session still open keeps the MAC type it determined when it opened.
    const bool wasOpen = session_.isOpen();
    session_.openAdapter(chosen.itemData);
    if (!wasOpen && session_.isOpen()) {
        card::determineMacType(session_, ui_);
    }
    if (!session_.isOpen() || !session_.enableAux()) {
        session_.closeAdapter();
        setStatusText("Sorry, that adapter could not be opened.");
        return;
    }
    if (session_.macType() == card::kMacTypeUnknown) {
        ui_.messageBox(MessageBox{"This program is not compatible with the selected hardware.",
                                  std::nullopt, Owner::MainWindow, Buttons::Ok, Icon::None});
        session_.closeAdapter();
        return;
    }

    view_.statusText.clear();

    pda_.clear();
    // The adapter is there even when its PDA is not readable: it stays selected, so that what
    // needs no PDA still works, and nothing writes over a PDA it did not read.
    if (!card::readPda(session_, pda_, ui_)) {
        pda_.clear();
        ui_.messageBox(MessageBox{kPdaUnreadable, "PDA read error", Owner::MainWindow, Buttons::Ok,
                                  Icon::Warning});
    }

    // A driver that does not tell the adapter's address leaves the field empty rather than
    // showing bytes nobody read.
    std::array<std::uint8_t, 6> address{};
    view_.currentMacText =
        session_.readPermanentAddress(address) ? macAddressText(address) : std::string();
    if (!view_.currentMacText.empty()) {
        adapterMacs_[chosen.itemData] = view_.currentMacText;
        labelAdapters();
    }
    view_.adapterNameText = "Opened: " + view_.adapters[static_cast<std::size_t>(row)].text;

    adapterSelected_ = true;
    selectedAdapterIndex_ = chosen.itemData;

    // Tells the person now when the driver is too old to update the card; the choice stands.
    ensureAdapterOpen(true);

    session_.closeAdapter();
    refreshControls();
}

bool MainWindow::ensureAdapterOpen(bool checkDriver) {
    if (!adapterSelected_) {
        ui_.messageBox(MessageBox{"Cannot continue - No adapter selected.", "Error",
                                  Owner::MainWindow, Buttons::Ok, Icon::None});
        closeSelectedAdapter();
        return false;
    }
    if (!session_.openAdapter(selectedAdapterIndex_)) {
        ui_.messageBox(MessageBox{"Cannot open selected adapter. Was it removed?", "Error",
                                  Owner::MainWindow, Buttons::Ok, Icon::Error});
        closeSelectedAdapter();
        return false;
    }
    // Drivers too old to take part in an update report a version with the top bit set; one
    // that does not answer the query counts as new enough.
    if (checkDriver && static_cast<std::int32_t>(session_.getDriverVersion()) < 0) {
        ui_.messageBox(MessageBox{
            "This program requires a newer driver version to update cards. Updating is disabled.",
            std::nullopt, Owner::MainWindow, Buttons::Ok, Icon::None});
        return false;
    }
    return true;
}

void MainWindow::releaseAdapter() {
    session_.closeAdapter();
}

void MainWindow::closeSelectedAdapter() {
    session_.closeAdapter();
    pda_.clear();
    adapterSelected_ = false;
    selectedAdapterIndex_ = 0;
    refreshControls();
    setStatusText("No adapter selected.");
    detectAdapters(false);
}

}  // namespace quillon::app
