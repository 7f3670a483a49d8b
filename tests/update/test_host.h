// A small main window for the update tests: it re-opens the selected adapter the way the
// window does before a card command, closes it again, and derives the PDA texts the update
// report shows.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "card/adapter_session.h"
#include "pda/pda_image.h"
#include "pda/pda_text.h"
#include "ui/command_host.h"
#include "ui/user_interface.h"

namespace quillon::testing {

class TestHost : public ui::CommandHost {
  public:
    TestHost(card::AdapterSession& session, pda::PdaImage& pda, ui::UserInterface& ui)
        : session_(session), pda_(pda), ui_(ui) {}

    bool adapterSelected = true;
    std::uint32_t adapterIndex = 0;
    std::string statusText;
    std::vector<std::string> statusHistory;
    int refreshes = 0;

    bool ensureAdapterOpen(bool checkDriver) override {
        if (!adapterSelected) {
            ui_.messageBox(box("Cannot continue - No adapter selected.", "Error"));
            forgetAdapter();
            return false;
        }
        if (!session_.openAdapter(adapterIndex)) {
            ui_.messageBox(
                box("Cannot open selected adapter. Was it removed?", "Error", ui::Icon::Error));
            forgetAdapter();
            return false;
        }
        if (checkDriver && static_cast<std::int32_t>(session_.getDriverVersion()) < 0) {
            ui_.messageBox(
                box("This program requires a newer driver version to update cards. Updating is "
                    "disabled.",
                    std::nullopt));
            return false;
        }
        return true;
    }

    void releaseAdapter() override { session_.closeAdapter(); }
    std::uint32_t selectedAdapterIndex() const override { return adapterIndex; }

    void refreshControls() override {
        ++refreshes;
        const pda::PdrRecord* mac = pda_.findRecord(pda::kPdrMacAddress);
        macText_.clear();
        if (mac != nullptr && mac->length() == 4) {
            const auto d = mac->data();
            macText_ = upper(pda::formatMac({d[0], d[1], d[2]}));
        }
        serialText_ = textOf(pda::kPdrSerialNumber);
        partNumberText_ = textOf(pda::kPdrPartNumber);
        const pda::PdrRecord* platform = pda_.findRecord(pda::kPdrPlatform);
        platformText_.clear();
        if (platform != nullptr && platform->length() > 2) {
            char text[8];
            std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(platform->data()[0]));
            platformText_ = text;
        }
    }

    void setStatusText(const std::string& text) override {
        statusText = text;
        statusHistory.push_back(text);
    }

    std::string pdaMacText() const override { return macText_; }
    std::string pdaSerialText() const override { return serialText_; }
    std::string partNumberText() const override { return partNumberText_; }
    std::string platformText() const override { return platformText_; }

  private:
    static ui::MessageBox box(std::string text, std::optional<std::string> caption,
                              ui::Icon icon = ui::Icon::None) {
        ui::MessageBox b;
        b.text = std::move(text);
        b.caption = std::move(caption);
        b.owner = ui::Owner::MainWindow;
        b.icon = icon;
        return b;
    }

    static std::string upper(std::string text) {
        for (char& c : text) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        return text;
    }

    std::string textOf(std::uint16_t code) const {
        const pda::PdrRecord* record = pda_.findRecord(code);
        return record != nullptr && record->length() > 2 ? pda::pdrText(*record) : std::string();
    }

    void forgetAdapter() {
        session_.closeAdapter();
        pda_.clear();
        adapterSelected = false;
        refreshControls();
        setStatusText("No adapter selected.");
    }

    card::AdapterSession& session_;
    pda::PdaImage& pda_;
    ui::UserInterface& ui_;
    std::string macText_;
    std::string serialText_;
    std::string partNumberText_;
    std::string platformText_;
};

}  // namespace quillon::testing
