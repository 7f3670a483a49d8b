// A small stand-in for the main window's side of a command: the adapter choice with
// ensureAdapterOpen and releaseAdapter as the window does them, the PDA-derived texts, and a
// record of what the command asked for. Commands and the update run on it end to end against a
// simulated bench.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "card/adapter_session.h"
#include "card/card_identity.h"
#include "card/card_memory.h"
#include "pda/pda_image.h"
#include "pda/pda_text.h"
#include "ui/command_host.h"
#include "ui/user_interface.h"

namespace quillon::testing {

class TestHost : public ui::CommandHost {
  public:
    TestHost(card::AdapterSession& session, pda::PdaImage& pda, ui::UserInterface& ui)
        : session_(session), pda_(pda), ui_(ui) {}

    // What selecting the adapter in the list does, without its questions: open it, learn its
    // MAC type, read its PDA, remember the choice and close it again.
    bool select(std::uint32_t index) {
        if (!session_.openAdapter(index)) {
            return false;
        }
        card::determineMacType(session_, ui_);
        pda_.clear();
        card::readPda(session_, pda_, ui_);
        adapterSelected = true;
        selectedIndex = index;
        session_.closeAdapter();
        refreshControls();
        return true;
    }

    bool ensureAdapterOpen(bool checkDriver) override {
        ++opens;
        if (!adapterSelected) {
            tell("Cannot continue - No adapter selected.", "Error", ui::Icon::None);
            closeSelectedAdapter();
            return false;
        }
        if (!session_.openAdapter(selectedIndex)) {
            tell("Cannot open selected adapter. Was it removed?", "Error", ui::Icon::Error);
            closeSelectedAdapter();
            return false;
        }
        if (checkDriver && static_cast<std::int32_t>(session_.getDriverVersion()) < 0) {
            ui::MessageBox box;
            box.text =
                "This program requires a newer driver version to update cards. Updating is "
                "disabled.";
            box.owner = ui::Owner::MainWindow;
            ui_.messageBox(box);
            return false;  // the adapter stays open: the command must release it
        }
        return true;
    }

    void releaseAdapter() override {
        ++releases;
        session_.closeAdapter();
    }

    std::uint32_t selectedAdapterIndex() const override { return selectedIndex; }

    void refreshControls() override {
        ++refreshes;
        macText_.clear();
        serialText_.clear();
        partNumberText_.clear();
        platformText_.clear();
        if (const auto* mac = pda_.findRecord(pda::kPdrMacAddress); mac && mac->length() == 4) {
            const auto data = mac->data();
            macText_ = upper(pda::formatMac({data[0], data[1], data[2]}));
        }
        if (const auto* serial = pda_.findRecord(pda::kPdrSerialNumber);
            serial && serial->length() > 2) {
            serialText_ = pda::pdrText(*serial);
        }
        if (const auto* part = pda_.findRecord(pda::kPdrPartNumber); part && part->length() > 2) {
            partNumberText_ = pda::pdrText(*part);
        }
        if (const auto* platform = pda_.findRecord(pda::kPdrPlatform);
            platform && platform->length() > 2) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(platform->data()[0]));
            platformText_ = hex;
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

    bool adapterSelected = false;
    std::uint32_t selectedIndex = 0;
    std::string statusText;
    std::vector<std::string> statusHistory;
    int opens = 0;
    int releases = 0;
    int refreshes = 0;

  private:
    static std::string upper(std::string text) {
        for (char& c : text) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        return text;
    }

    void tell(const char* text, const char* caption, ui::Icon icon) {
        ui::MessageBox box;
        box.text = text;
        box.caption = caption;
        box.owner = ui::Owner::MainWindow;
        box.icon = icon;
        ui_.messageBox(box);
    }

    // Forgets the choice; the window would also rebuild its adapter list here.
    void closeSelectedAdapter() {
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
