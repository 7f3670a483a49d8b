// The routing of every command identifier of the main window, the states the window is left in
// and the rule that no adapter stays open between commands.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "commands/pda_settings_dialog.h"
#include "temp_dir.h"
#include "window_bench.h"

namespace quillon::testing {
namespace {

bool anyBoxCaptioned(const FakeUserInterface& ui, const std::string& caption) {
    for (const auto& box : ui.boxes) {
        if (box.caption == caption) {
            return true;
        }
    }
    return false;
}

bool anyBoxSaying(const FakeUserInterface& ui, const std::string& text) {
    for (const auto& box : ui.boxes) {
        if (box.text == text) {
            return true;
        }
    }
    return false;
}

struct RouteCase {
    const char* name;
    int command;
    std::function<void(WindowBench&)> script;
    std::function<void(WindowBench&)> check;
};

void none(WindowBench&) {}

// Each identifier reaches its command: what the person sees tells which command ran. The window
// is then still in its adapter-selected state and no adapter is open.
class Routing : public ::testing::TestWithParam<RouteCase> {};

TEST_P(Routing, ReachesItsCommandAndLeavesTheAdapterClosed) {
    const RouteCase& c = GetParam();
    WindowBench w;
    w.start();
    ASSERT_TRUE(w.window.adapterSelected());
    c.script(w);
    w.window.onCommand(c.command);
    c.check(w);
    EXPECT_TRUE(w.nothingOpen());
    EXPECT_TRUE(w.window.adapterSelected());
    const ui::MainWindowView& v = w.window.view();
    EXPECT_TRUE(v.continueEnabled);
    EXPECT_TRUE(v.closeAdapterShown);
    EXPECT_FALSE(v.adapterListShown);
    EXPECT_FALSE(w.window.closed());
}

const std::string kNoFiles = "There were no files in the list. Add a file and try again.";

INSTANTIATE_TEST_SUITE_P(
    Commands, Routing,
    ::testing::Values(
        RouteCase{"Continue", ui::kCmdContinue, none,
                  [](WindowBench& w) {
                      EXPECT_TRUE(
                          anyBoxSaying(w.ui, "You must select at least one file to update card"));
                  }},
        RouteCase{"ShowInfo", ui::kCmdShowInfo, none,
                  [](WindowBench& w) { EXPECT_TRUE(anyBoxSaying(w.ui, kNoFiles)); }},
        RouteCase{"TestCommandShowsInfo", ui::kCmdTestCommand, none,
                  [](WindowBench& w) { EXPECT_TRUE(anyBoxSaying(w.ui, kNoFiles)); }},
        RouteCase{"ExportFirmware", ui::kCmdExportFirmware,
                  [](WindowBench& w) { w.ui.answers = {ui::Answer::Cancel}; },
                  [](WindowBench& w) { EXPECT_TRUE(anyBoxCaptioned(w.ui, "Warning Notice")); }},
        RouteCase{"FirmwareVersions", ui::kCmdFirmwareVersions, none,
                  [](WindowBench& w) {
                      EXPECT_TRUE(anyBoxCaptioned(w.ui, "Current Firmware Versions"));
                  }},
        RouteCase{"About", ui::kCmdAbout, none,
                  [](WindowBench& w) {
                      ASSERT_EQ(w.ui.boxes.size(), 1u);
                      EXPECT_EQ(w.ui.boxes[0].text, "Firmware Update for Windows");
                      EXPECT_EQ(w.ui.boxes[0].caption, "About This Program");
                      EXPECT_EQ(w.ui.boxes[0].buttons, ui::Buttons::Ok);
                  }},
        RouteCase{"RidStressTest", ui::kCmdRidStressTest, none,
                  [](WindowBench& w) {
                      EXPECT_TRUE(anyBoxCaptioned(w.ui, "Completed sucessfully:"));
                      EXPECT_EQ(w.ui.progressWindows.size(), 1u);
                  }},
        RouteCase{"DisplayPda", ui::kCmdDisplayPda, none,
                  [](WindowBench& w) {
                      ASSERT_EQ(w.ui.reports.size(), 1u);
                      EXPECT_EQ(w.ui.reports[0].title, "PDA:");
                  }},
        RouteCase{"ClearPdaMenu", ui::kCmdClearPdaMenu,
                  [](WindowBench& w) { w.ui.answers = {ui::Answer::Cancel}; },
                  [](WindowBench& w) {
                      EXPECT_TRUE(anyBoxSaying(w.ui,
                                               "Are you sure you want to clear the PDA? The card "
                                               "loses its MAC address and calibration data."));
                      EXPECT_EQ(w.requestsOf(sim::kOidAuxWrite), 0u);
                  }},
        RouteCase{"ClearPda", ui::kCmdClearPda,
                  [](WindowBench& w) { w.ui.answers = {ui::Answer::Cancel}; },
                  [](WindowBench& w) {
                      EXPECT_TRUE(anyBoxSaying(w.ui,
                                               "Are you sure you want to clear the PDA? The card "
                                               "loses its MAC address and calibration data."));
                      EXPECT_EQ(w.requestsOf(sim::kOidAuxWrite), 0u);
                  }},
        RouteCase{"ModifyPda", ui::kCmdModifyPda, none,
                  [](WindowBench& w) { EXPECT_EQ(w.ui.pdaSettingsDialogs, 1); }},
        RouteCase{"SavePda", ui::kCmdSavePda, none,
                  [](WindowBench& w) {
                      ASSERT_EQ(w.ui.fileDialogs.size(), 1u);
                      EXPECT_EQ(w.ui.fileDialogs[0].kind, ui::FileDialogRequest::Kind::Save);
                      EXPECT_EQ(w.ui.fileDialogs[0].initialName, "SIM0001");
                  }},
        RouteCase{"ShowCis", ui::kCmdShowCis, none,
                  [](WindowBench& w) {
                      ASSERT_EQ(w.ui.reports.size(), 1u);
                      EXPECT_EQ(w.ui.reports[0].title, "CIS:");
                  }},
        RouteCase{"MacType", ui::kCmdMacType, none,
                  [](WindowBench& w) { EXPECT_TRUE(anyBoxCaptioned(w.ui, "MAC ID:")); }},
        RouteCase{"DriverVersion", ui::kCmdDriverVersion, none,
                  [](WindowBench& w) {
                      EXPECT_TRUE(anyBoxCaptioned(w.ui, "Driver Version for Selected Card"));
                  }},
        RouteCase{"ForceAllBlocks", ui::kCmdForceAllBlocks, none,
                  [](WindowBench& w) {
                      EXPECT_TRUE(w.ui.boxes.empty());
                      EXPECT_TRUE(w.window.options().forceAllBlocks);
                      EXPECT_TRUE(w.window.options().verifyDownloads);
                  }},
        RouteCase{"VerifyDownloads", ui::kCmdVerifyDownloads, none,
                  [](WindowBench& w) {
                      EXPECT_TRUE(w.ui.boxes.empty());
                      EXPECT_TRUE(w.window.options().forceAllBlocks);
                      EXPECT_TRUE(w.window.options().verifyDownloads);
                  }},
        RouteCase{"UnknownIdentifier", 4242, none,
                  [](WindowBench& w) {
                      EXPECT_TRUE(w.ui.calls.empty());
                      EXPECT_TRUE(w.bench.requests().empty());
                  }}),
    [](const ::testing::TestParamInfo<RouteCase>& info) { return info.param.name; });

TEST(WindowCommands, CardCommandsWithoutSelectionAskForAnAdapter) {
    for (const int command :
         {ui::kCmdFirmwareVersions, ui::kCmdDriverVersion, ui::kCmdMacType, ui::kCmdDisplayPda,
          ui::kCmdShowCis, ui::kCmdSavePda, ui::kCmdRidStressTest}) {
        WindowBench w(benchWith({prismAdapter("0000"), prismAdapter("0001")}));
        w.start();
        w.window.onCommand(command);
        EXPECT_EQ(w.ui.texts(), std::vector<std::string>{"Cannot continue - No adapter selected."})
            << command;
        EXPECT_EQ(w.window.view().statusText, "No adapter selected.") << command;
        EXPECT_FALSE(w.window.adapterSelected()) << command;
        EXPECT_TRUE(w.nothingOpen()) << command;
    }
}

TEST(WindowCommands, CloseAdapterReturnsToTheAdapterList) {
    WindowBench w;
    w.start();
    w.window.onCommand(ui::kCmdCloseAdapter);
    const ui::MainWindowView& v = w.window.view();
    EXPECT_FALSE(w.window.adapterSelected());
    EXPECT_FALSE(v.continueEnabled);
    EXPECT_TRUE(v.adapterListShown);
    EXPECT_TRUE(v.detectAdaptersShown);
    EXPECT_FALSE(v.closeAdapterShown);
    EXPECT_FALSE(v.adapterNameShown);
    EXPECT_FALSE(v.commandEnabled.at(ui::kCmdFirmwareVersions));
    EXPECT_FALSE(v.commandEnabled.at(ui::kCmdExportFirmware));
    EXPECT_EQ(v.statusText, "No adapter selected.");
    EXPECT_EQ(v.currentMacText, "");
    EXPECT_EQ(v.pdaMacText, "");
    EXPECT_EQ(v.pdaSerialText, "");
    EXPECT_TRUE(w.window.pda().isEmpty());
    // The lone adapter is listed again but not chosen without the person.
    ASSERT_EQ(v.adapters.size(), 1u);
    EXPECT_EQ(v.adapters[0].text, kDefaultAdapterName);
    EXPECT_EQ(v.selectedAdapterRow, -1);
    EXPECT_TRUE(w.ui.boxes.empty());
    EXPECT_TRUE(w.nothingOpen());
}

TEST(WindowCommands, DetectAdaptersRebuildsTheListTwice) {
    WindowBench w;
    w.start();
    w.window.onCommand(ui::kCmdDetectAdapters);
    EXPECT_FALSE(w.window.adapterSelected());
    EXPECT_EQ(w.window.view().adapters.size(), 1u);
    EXPECT_EQ(w.window.view().statusText, "No adapter selected.");
    EXPECT_EQ(w.requestsOf(sim::kOidEnableAux), 2u);
    EXPECT_TRUE(w.nothingOpen());

    // Choosing it again from the list selects it.
    w.window.onAdapterListSelection(0);
    EXPECT_TRUE(w.window.adapterSelected());
    EXPECT_EQ(w.window.view().statusText, "");
}

TEST(WindowCommands, OkAndCloseEndTheRun) {
    for (const int command : {ui::kCmdOk, ui::kCmdClose}) {
        WindowBench w;
        w.start();
        w.window.onCommand(command);
        EXPECT_TRUE(w.window.closed()) << command;
        EXPECT_TRUE(w.ui.boxes.empty()) << command;
        EXPECT_TRUE(w.nothingOpen()) << command;
    }
}

TEST(WindowCommands, SystemMenuAboutShowsTheAboutBox) {
    WindowBench w;
    w.start();
    w.window.onSystemCommand(ui::kSysAbout);
    EXPECT_EQ(w.ui.texts(), std::vector<std::string>{"Firmware Update for Windows"});
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_EQ(w.ui.boxes[0].caption, "About This Program");
}

TEST(WindowCommands, AddFileAsksForOneExistingFirmwareFile) {
    WindowBench w;
    w.start();
    w.window.onCommand(ui::kCmdAddFile);  // cancelled: nothing listed
    EXPECT_EQ(w.window.fileList().count(), 0);
    w.ui.fileDialogResults = {ui::FileDialogResult{"/nonexistent/station.hex", 1}};
    w.window.onCommand(ui::kCmdAddFile);

    ASSERT_EQ(w.ui.fileDialogs.size(), 2u);
    const ui::FileDialogRequest& r = w.ui.fileDialogs[1];
    EXPECT_EQ(r.kind, ui::FileDialogRequest::Kind::Open);
    EXPECT_EQ(r.defaultExtension, "hex");
    EXPECT_EQ(r.initialName, "");
    EXPECT_EQ(r.filter, "Firmware (*.hex, *.pda)|*.hex;*.pda|All Files (*.*)|*.*|");
    EXPECT_TRUE(r.fileMustExist);
    EXPECT_FALSE(r.confirmOverwrite);
    EXPECT_TRUE(r.hideReadOnly);
    ASSERT_EQ(w.window.view().files.size(), 1u);
    EXPECT_EQ(w.window.view().files[0].path, "/nonexistent/station.hex");
    EXPECT_EQ(w.ui.pushes.back().files.size(), 1u);
    EXPECT_TRUE(w.nothingOpen());
}

TEST(WindowCommands, RemoveTakesOutTheSelectedFiles) {
    WindowBench w;
    w.start();
    w.window.onDropFiles({"/nonexistent/a.pda", "/nonexistent/b.pda", "/nonexistent/c.pda"});
    w.window.setFileSelected(0, true);
    w.window.setFileSelected(2, true);
    w.window.onCommand(ui::kCmdRemoveFiles);
    ASSERT_EQ(w.window.view().files.size(), 1u);
    EXPECT_EQ(w.window.view().files[0].path, "/nonexistent/b.pda");
    EXPECT_EQ(w.ui.pushes.back().files.size(), 1u);
}

TEST(WindowCommands, FailedDriverCheckLeavesNoAdapterOpen) {
    WindowBench w(benchWithCard([](sim::CardConfig& card) { card.driverVersion = 0x80000000; }));
    w.start();
    ASSERT_TRUE(w.window.adapterSelected());
    const auto nvramBefore = w.bench.card(0).pdaWords(true);
    constexpr const char* kNewerDriver =
        "This program requires a newer driver version to update cards. Updating is disabled.";

    for (const int command :
         {ui::kCmdRidStressTest, ui::kCmdClearPdaMenu, ui::kCmdClearPda, ui::kCmdContinue}) {
        w.forget();
        if (command == ui::kCmdContinue) {
            w.window.onDropFiles({"/nonexistent/station.hex"});
            w.forget();
        }
        w.window.onCommand(command);
        EXPECT_TRUE(anyBoxSaying(w.ui, kNewerDriver)) << command;
        EXPECT_TRUE(w.nothingOpen()) << command;
        EXPECT_TRUE(w.ui.progressWindows.empty()) << command;
        EXPECT_EQ(w.requestsOf(sim::kOidAuxWrite), 0u) << command;
        EXPECT_TRUE(w.window.adapterSelected()) << command;
    }
    EXPECT_EQ(w.bench.card(0).pdaWords(true), nvramBefore);
    EXPECT_EQ(w.window.view().pdaSerialText, "SIM0001");
}

TEST(WindowCommands, ClearingThePdaEmptiesItsFields) {
    WindowBench w;
    w.start();
    w.window.onCommand(ui::kCmdClearPdaMenu);  // the question is answered OK
    EXPECT_TRUE(w.window.pda().isEmpty());
    EXPECT_EQ(w.window.view().pdaMacText, "");
    EXPECT_EQ(w.window.view().pdaSerialText, "");
    EXPECT_EQ(w.window.partNumberText(), "");
    EXPECT_EQ(w.window.platformText(), "");
    const auto nvram = w.bench.card(0).pdaWords(true);
    EXPECT_EQ(std::vector<std::uint16_t>(nvram.begin(), nvram.begin() + 3),
              (std::vector<std::uint16_t>{0x0002, 0x0000, 0xB801}));
    EXPECT_TRUE(w.window.adapterSelected());
    EXPECT_TRUE(w.nothingOpen());
}

TEST(WindowCommands, ModifyingThePdaShowsTheNewMacAddress) {
    WindowBench w;
    w.start();
    w.ui.pdaSettingsScript = [](pda::PdaSettingsDialog& dialog, ui::UserInterface& ui) {
        dialog.onMacTextChanged("00:11:22:33:44:55");
        return dialog.confirm(ui);
    };
    w.window.onCommand(ui::kCmdModifyPda);
    EXPECT_EQ(w.window.view().pdaMacText, "00-11-22-33-44-55");
    EXPECT_EQ(w.window.view().pdaSerialText, "SIM0001");
    EXPECT_TRUE(w.window.adapterSelected());
    EXPECT_TRUE(w.nothingOpen());
}

TEST(WindowCommands, ContinueWithAPdaFileWritesItAndKeepsTheChoice) {
    TempDir dir;
    const std::string pdaFile = dir.write("mac.pda", "4 101 1100 3322 5544\r\n");
    WindowBench w;
    w.start();
    w.window.onDropFiles({pdaFile});
    w.forget();
    w.ui.answers = {ui::Answer::Yes};  // go on although no station code is queued
    w.window.onCommand(ui::kCmdContinue);

    ASSERT_EQ(w.ui.reports.size(), 1u);
    EXPECT_EQ(w.ui.reports[0].title, "Update Information");
    EXPECT_TRUE(w.ui.reports[0].acceptShown);
    EXPECT_TRUE(anyBoxSaying(w.ui, "Update Successful!   "));
    const auto nvram = w.bench.card(0).pdaWords(true);
    bool macWritten = false;
    for (std::size_t i = 0; i + 4 < nvram.size(); ++i) {
        macWritten |= nvram[i] == 4 && nvram[i + 1] == 0x0101 && nvram[i + 2] == 0x1100 &&
                      nvram[i + 3] == 0x3322 && nvram[i + 4] == 0x5544;
    }
    EXPECT_TRUE(macWritten);
    EXPECT_EQ(w.window.view().pdaMacText, "00-11-22-33-44-55");
    EXPECT_EQ(w.window.fileList().count(), 1);
    EXPECT_TRUE(w.window.adapterSelected());
    EXPECT_TRUE(w.nothingOpen());
}

}  // namespace
}  // namespace quillon::testing
