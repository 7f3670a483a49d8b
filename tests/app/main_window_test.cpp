// The main window's start-up, adapter choice and control states on a simulated bench.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/application.h"
#include "sim/pda_words.h"
#include "temp_dir.h"
#include "window_bench.h"

namespace quillon::testing {
namespace {

using ui::Owner;

constexpr int kCardCommands[] = {
    ui::kCmdFirmwareVersions, ui::kCmdDriverVersion, ui::kCmdMacType,
    ui::kCmdDisplayPda,       ui::kCmdModifyPda,     ui::kCmdClearPda,
    ui::kCmdShowCis,          ui::kCmdSavePda,       ui::kCmdExportFirmware,
};

void expectNoAdapterState(const ui::MainWindowView& v) {
    EXPECT_FALSE(v.continueEnabled);
    EXPECT_FALSE(v.closeAdapterShown);
    EXPECT_TRUE(v.adapterListShown);
    EXPECT_FALSE(v.adapterNameShown);
    EXPECT_TRUE(v.detectAdaptersShown);
    for (const int command : kCardCommands) {
        EXPECT_FALSE(v.commandEnabled.at(command)) << command;
    }
    EXPECT_EQ(v.currentMacText, "");
}

void expectSelectedState(const ui::MainWindowView& v) {
    EXPECT_TRUE(v.continueEnabled);
    EXPECT_TRUE(v.closeAdapterShown);
    EXPECT_FALSE(v.adapterListShown);
    EXPECT_TRUE(v.adapterNameShown);
    EXPECT_FALSE(v.detectAdaptersShown);
    for (const int command : kCardCommands) {
        EXPECT_TRUE(v.commandEnabled.at(command)) << command;
    }
}

const ui::MessageBox& lastBox(const FakeUserInterface& ui) {
    static const ui::MessageBox none;
    return ui.boxes.empty() ? none : ui.boxes.back();
}

TEST(MainWindowStart, WithoutAdaptersShowsThePlaceholder) {
    WindowBench w(benchWith({}));
    w.window.initialise({});
    const ui::MainWindowView& v = w.window.view();

    ASSERT_EQ(v.adapters.size(), 1u);
    EXPECT_EQ(v.adapters[0].text, "<No adapters detected>");
    EXPECT_EQ(v.adapters[0].itemData, 0u);
    EXPECT_FALSE(w.window.adapterSelected());
    expectNoAdapterState(v);

    EXPECT_EQ(v.title, "Quillonex");
    EXPECT_EQ(v.versionText, "Ver. 0.1.0  (Dec 07 2026)");
    EXPECT_EQ(v.statusText, "");
    EXPECT_TRUE(v.forceAllBlocks);
    // Written blocks are read back unless a face turns it off.
    EXPECT_TRUE(v.verifyDownloads);
    EXPECT_TRUE(w.window.options().forceAllBlocks);
    EXPECT_TRUE(w.window.options().verifyDownloads);
    EXPECT_EQ(w.window.cursor(), ui::Cursor::Arrow);
    EXPECT_EQ(w.ui.cursors, std::vector<ui::Cursor>{ui::Cursor::Arrow});
    EXPECT_TRUE(w.ui.boxes.empty());
    // On the NT family the file types are registered for the person alone.
    EXPECT_EQ(v.systemMenu,
              (std::vector<ui::MenuEntry>{{0, ""},
                                          {ui::kSysRegisterHex, "Register .&hex files to this app"},
                                          {ui::kSysRegisterPda, "Register .&pda files to this app"},
                                          {0, ""},
                                          {ui::kSysAbout, "&About quillon..."}}));
    EXPECT_TRUE(v.registersPerUser);
    // The face drew what the window holds.
    ASSERT_FALSE(w.ui.pushes.empty());
    EXPECT_EQ(w.ui.pushes.back().adapters.size(), 1u);
    EXPECT_FALSE(w.ui.pushes.back().commandEnabled.at(ui::kCmdFirmwareVersions));
}

TEST(MainWindowStart, Windows95RegistersForTheWholeMachine) {
    sim::BenchConfig config = benchWith({});
    config.osFamily = sim::OsFamily::Windows95;
    WindowBench w(config);
    w.window.initialise({});
    EXPECT_EQ(w.window.view().systemMenu,
              (std::vector<ui::MenuEntry>{{0, ""},
                                          {ui::kSysRegisterHex, "Register .&hex files to this app"},
                                          {ui::kSysRegisterPda, "Register .&pda files to this app"},
                                          {0, ""},
                                          {ui::kSysAbout, "&About quillon..."}}));
    EXPECT_FALSE(w.window.view().registersPerUser);
}

TEST(MainWindowStart, LoneAdapterIsSelectedAtOnce) {
    WindowBench w;
    w.window.initialise({});
    const ui::MainWindowView& v = w.window.view();

    ASSERT_EQ(v.adapters.size(), 1u);
    EXPECT_EQ(v.adapters[0].text, kDefaultAdapterName);
    EXPECT_EQ(v.selectedAdapterRow, 0);
    EXPECT_TRUE(w.window.adapterSelected());
    EXPECT_EQ(w.window.selectedAdapterIndex(), 0u);
    expectSelectedState(v);
    EXPECT_EQ(v.adapterNameText, std::string("Opened: ") + kDefaultAdapterName);
    EXPECT_EQ(v.currentMacText, "00-02-B3-12-34-56");
    EXPECT_EQ(v.pdaMacText, "00-02-B3-12-34-56");
    EXPECT_EQ(v.pdaSerialText, "SIM0001");
    EXPECT_EQ(w.window.partNumberText(), "QN-3842-01");
    EXPECT_EQ(w.window.platformText(), "8003");
    EXPECT_EQ(v.statusText, "");
    EXPECT_EQ(w.window.session().macType(), card::kMacType3842);
    EXPECT_TRUE(w.ui.boxes.empty());
    // Selecting checked the driver once and left the adapter closed.
    EXPECT_EQ(w.requestsOf(sim::kOidDriverVersion), 1u);
    EXPECT_TRUE(w.nothingOpen());
    EXPECT_EQ(w.ui.pushes.back().adapterNameText, v.adapterNameText);
}

class MiddleAdapterFails : public ::testing::TestWithParam<bool> {};

TEST_P(MiddleAdapterFails, ListKeepsTheOthersWithTheirIndices) {
    sim::AdapterConfig middle = prismAdapter("0001");
    if (GetParam()) {
        middle.openError = 31;
    } else {
        middle.card.reset();  // another chipset: it refuses the aux port
    }
    WindowBench w(benchWith({prismAdapter("0000"), middle, prismAdapter("0002")}));
    w.start();
    const ui::MainWindowView& v = w.window.view();

    ASSERT_EQ(v.adapters.size(), 2u);
    EXPECT_EQ(v.adapters[0].text, "Adapter 0000");
    EXPECT_EQ(v.adapters[0].itemData, 0u);
    EXPECT_EQ(v.adapters[1].text, "Adapter 0002");
    EXPECT_EQ(v.adapters[1].itemData, 2u);
    EXPECT_FALSE(w.window.adapterSelected());
    EXPECT_EQ(v.selectedAdapterRow, -1);
    expectNoAdapterState(v);

    w.window.onAdapterListSelection(1);
    EXPECT_TRUE(w.window.adapterSelected());
    EXPECT_EQ(w.window.selectedAdapterIndex(), 2u);
    EXPECT_EQ(w.window.view().adapterNameText, "Opened: Adapter 0002");
    expectSelectedState(w.window.view());
    EXPECT_TRUE(w.nothingOpen());
}

INSTANTIATE_TEST_SUITE_P(OpenErrorOrOtherChipset, MiddleAdapterFails, ::testing::Bool());

TEST(SelectAdapter, UnknownMacTypeKeepsTheEarlierSelection) {
    sim::AdapterConfig odd = prismAdapter("0001");
    odd.card->macType = 3;
    WindowBench w(benchWith({prismAdapter("0000"), odd}));
    w.start();

    // Nothing chosen yet: the odd card is refused and nothing is selected.
    w.window.onAdapterListSelection(1);
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_EQ(lastBox(w.ui).text, "This program is not compatible with the selected hardware.");
    EXPECT_EQ(lastBox(w.ui).caption, std::nullopt);
    EXPECT_EQ(lastBox(w.ui).owner, Owner::MainWindow);
    EXPECT_EQ(lastBox(w.ui).buttons, ui::Buttons::Ok);
    EXPECT_FALSE(w.window.adapterSelected());
    EXPECT_TRUE(w.nothingOpen());

    w.window.onAdapterListSelection(0);
    ASSERT_TRUE(w.window.adapterSelected());
    w.forget();
    w.window.onAdapterListSelection(1);
    EXPECT_EQ(w.ui.texts(), std::vector<std::string>{
                                "This program is not compatible with the selected hardware."});
    EXPECT_TRUE(w.window.adapterSelected());
    EXPECT_EQ(w.window.selectedAdapterIndex(), 0u);
    EXPECT_EQ(w.window.view().adapterNameText, "Opened: Adapter 0000");
    EXPECT_EQ(w.window.view().pdaSerialText, "SIM0001");
    EXPECT_TRUE(w.nothingOpen());
}

TEST(SelectAdapter, AdapterThatNoLongerOpensSaysSoInTheStatusLine) {
    WindowBench w(benchWith({prismAdapter("0000"), prismAdapter("0001")}));
    w.start();
    w.bench.adapter(1).openError = 2;
    w.window.onAdapterListSelection(1);
    EXPECT_TRUE(w.ui.boxes.empty());
    EXPECT_EQ(w.window.view().statusText, "Sorry, that adapter could not be opened.");
    ASSERT_FALSE(w.ui.pushes.empty());
    EXPECT_EQ(w.ui.pushes.back().statusText, "Sorry, that adapter could not be opened.");
    EXPECT_FALSE(w.window.adapterSelected());
    EXPECT_TRUE(w.nothingOpen());
}

TEST(SelectAdapter, RowsOutsideTheListAreIgnored) {
    WindowBench w(benchWith({prismAdapter("0000"), prismAdapter("0001")}));
    w.start();
    w.window.onAdapterListSelection(2);
    w.window.onAdapterListSelection(-1);
    EXPECT_TRUE(w.ui.calls.empty());
    EXPECT_TRUE(w.bench.requests().empty());
    EXPECT_FALSE(w.window.adapterSelected());
}

sim::BenchConfig invalidPdaBench() {
    return benchWithCard([](sim::CardConfig& card) {
        // A record and an end record whose checksum does not match.
        card.pdaWords = std::vector<std::uint16_t>{3, 0x0001, 0x4141, 0x4141, 2, 0, 0xDEAD};
    });
}

TEST(SelectAdapter, AnInvalidPdaLeavesTheAdapterSelectedWithAnEmptyPda) {
    WindowBench w(invalidPdaBench());
    // Whatever the person would answer, nothing is asked: the adapter is there.
    w.ui.answers = {ui::Answer::Cancel};
    w.window.initialise({});
    EXPECT_EQ(lastBox(w.ui).text,
              "The card's PDA could not be read: its serial number, MAC address and platform are "
              "unknown, and nothing will write its PDA. Versions, MAC type, driver version and "
              "CIS can still be read. Power-cycle the card and select it again to read its PDA "
              "once more.");
    EXPECT_EQ(lastBox(w.ui).caption, "PDA read error");
    EXPECT_EQ(lastBox(w.ui).buttons, ui::Buttons::Ok);
    EXPECT_TRUE(w.window.adapterSelected());
    EXPECT_TRUE(w.window.pda().isEmpty());
    EXPECT_EQ(w.window.view().pdaMacText, "");
    EXPECT_EQ(w.window.view().pdaSerialText, "");
    EXPECT_EQ(w.window.view().currentMacText, "00-02-B3-12-34-56");
    expectSelectedState(w.window.view());
    EXPECT_TRUE(w.nothingOpen());
}

TEST(SelectAdapter, UnreadableMacAddressLeavesItsFieldEmpty) {
    WindowBench w(benchWithCard([](sim::CardConfig& card) {
        card.faults.requests.push_back(
            sim::RequestFault::every(sim::kOidPermanentAddress, sim::kStatusFailure));
    }));
    w.window.initialise({});
    EXPECT_TRUE(w.window.adapterSelected());
    EXPECT_EQ(w.window.view().currentMacText, "");
    EXPECT_EQ(w.window.view().pdaMacText, "00-02-B3-12-34-56");
}

TEST(SelectAdapter, OpenSessionKeepsTheMacTypeItDetermined) {
    WindowBench w(benchWith({prismAdapter("0000"), prismAdapter("0001")}));
    w.start();
    ASSERT_TRUE(w.window.session().openAdapter(0));
    w.window.session().setMacType(card::kMacType3841);
    w.bench.clearRequests();
    w.window.onAdapterListSelection(0);
    EXPECT_EQ(w.window.session().macType(), card::kMacType3841);
    for (const auto& r : w.bench.requests()) {
        if (r.oid == sim::kOidReadRid) {
            ADD_FAILURE() << "the MAC type was read again";
        }
    }
    EXPECT_TRUE(w.window.adapterSelected());
    EXPECT_TRUE(w.nothingOpen());
}

TEST(EnsureAdapterOpen, WithoutSelectionSaysSoAndRedetects) {
    WindowBench w(benchWith({prismAdapter("0000"), prismAdapter("0001")}));
    w.start();
    EXPECT_FALSE(w.window.ensureAdapterOpen(false));
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_EQ(w.ui.boxes[0].text, "Cannot continue - No adapter selected.");
    EXPECT_EQ(w.ui.boxes[0].caption, "Error");
    EXPECT_EQ(w.ui.boxes[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(w.window.view().statusText, "No adapter selected.");
    EXPECT_EQ(w.window.view().adapters.size(), 2u);
    EXPECT_EQ(w.requestsOf(sim::kOidEnableAux), 2u);  // both candidates opened again
    EXPECT_TRUE(w.nothingOpen());
}

TEST(EnsureAdapterOpen, RemovedAdapterIsForgotten) {
    WindowBench w;
    w.start();
    ASSERT_TRUE(w.window.adapterSelected());
    w.bench.adapter(0).openError = 2;
    EXPECT_FALSE(w.window.ensureAdapterOpen(true));
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_EQ(w.ui.boxes[0].text, "Cannot open selected adapter. Was it removed?");
    EXPECT_EQ(w.ui.boxes[0].caption, "Error");
    EXPECT_EQ(w.ui.boxes[0].icon, ui::Icon::Error);
    EXPECT_FALSE(w.window.adapterSelected());
    EXPECT_TRUE(w.window.pda().isEmpty());
    const ui::MainWindowView& v = w.window.view();
    expectNoAdapterState(v);
    EXPECT_EQ(v.pdaMacText, "");
    EXPECT_EQ(v.pdaSerialText, "");
    EXPECT_EQ(v.statusText, "No adapter selected.");
    ASSERT_EQ(v.adapters.size(), 1u);
    EXPECT_EQ(v.adapters[0].text, "<No adapters detected>");
    EXPECT_TRUE(w.nothingOpen());
}

struct DriverCase {
    const char* name;
    std::uint32_t version;
    bool answers;
    bool passes;
};

class DriverCheck : public ::testing::TestWithParam<DriverCase> {};

constexpr const char* kNewerDriver =
    "This program requires a newer driver version to update cards. Updating is disabled.";

TEST_P(DriverCheck, NegativeVersionsFail) {
    const DriverCase& c = GetParam();
    WindowBench w(benchWithCard([&](sim::CardConfig& card) {
        card.driverVersion = c.version;
        card.answersDriverVersion = c.answers;
    }));
    w.window.initialise({});
    // Selecting tells the person at once, and the choice still stands.
    EXPECT_TRUE(w.window.adapterSelected());
    EXPECT_EQ(w.ui.texts(),
              c.passes ? std::vector<std::string>{} : std::vector<std::string>{kNewerDriver});
    if (!c.passes) {
        EXPECT_EQ(w.ui.boxes[0].caption, std::nullopt);
        EXPECT_EQ(w.ui.boxes[0].owner, Owner::MainWindow);
    }
    EXPECT_TRUE(w.nothingOpen());

    w.forget();
    EXPECT_EQ(w.window.ensureAdapterOpen(true), c.passes);
    // A failed check leaves the adapter open for its caller to release.
    EXPECT_TRUE(w.window.session().isOpen());
    w.window.releaseAdapter();
    EXPECT_TRUE(w.nothingOpen());
    EXPECT_TRUE(w.window.ensureAdapterOpen(false));
    w.window.releaseAdapter();
}

INSTANTIATE_TEST_SUITE_P(Versions, DriverCheck,
                         ::testing::Values(DriverCase{"Zero", 0, true, true},
                                           DriverCase{"LargestPositive", 0x7FFFFFFF, true, true},
                                           DriverCase{"TopBit", 0x80000000, true, false},
                                           DriverCase{"AllOnes", 0xFFFFFFFF, true, false},
                                           DriverCase{"NoAnswer", 0x80000000, false, true}),
                         [](const ::testing::TestParamInfo<DriverCase>& info) {
                             return info.param.name;
                         });

struct PdaFieldsCase {
    const char* name;
    std::vector<sim::PdrConfig> records;
    std::string mac;
    std::string serial;
    std::string partNumber;
    std::string platform;
};

class PdaFields : public ::testing::TestWithParam<PdaFieldsCase> {};

TEST_P(PdaFields, FollowTheRecordsOfTheCard) {
    const PdaFieldsCase& c = GetParam();
    WindowBench w(benchWithCard([&](sim::CardConfig& card) { card.pdaRecords = c.records; }));
    w.window.initialise({});
    ASSERT_TRUE(w.window.adapterSelected());
    EXPECT_EQ(w.window.view().pdaMacText, c.mac);
    EXPECT_EQ(w.window.view().pdaSerialText, c.serial);
    EXPECT_EQ(w.window.partNumberText(), c.partNumber);
    EXPECT_EQ(w.window.platformText(), c.platform);
    EXPECT_EQ(w.window.pdaMacText(), c.mac);
    EXPECT_EQ(w.window.pdaSerialText(), c.serial);
}

INSTANTIATE_TEST_SUITE_P(
    Records, PdaFields,
    ::testing::Values(PdaFieldsCase{"Whole",
                                    {{0x0001, sim::textWords("PN-1", 3)},
                                     {0x0003, sim::textWords("ab12", 6)},
                                     {0x0008, {0x00ab, 0}},
                                     {0x0101, {0xBBAA, 0xDDCC, 0x0FEE}}},
                                    "AA-BB-CC-DD-EE-0F",
                                    "ab12",
                                    "PN-1",
                                    "AB"},
                      PdaFieldsCase{"MacOfFourDataWords", {{0x0101, {1, 2, 3, 4}}}, "", "", "", ""},
                      PdaFieldsCase{"MacOfTwoDataWords", {{0x0101, {1, 2}}}, "", "", "", ""},
                      PdaFieldsCase{"OneDataWordIsNoText",
                                    {{0x0001, {0x4241}}, {0x0003, {0x4241}}, {0x0008, {0x8003}}},
                                    "",
                                    "",
                                    "",
                                    ""},
                      PdaFieldsCase{"TextStopsAtZeroAndBlanksControls",
                                    {{0x0003, {0x4109, 0x0043, 0x4444}}, {0x0008, {0, 7}}},
                                    "",
                                    " AC",
                                    "",
                                    "0"}),
    [](const ::testing::TestParamInfo<PdaFieldsCase>& info) { return info.param.name; });

TEST(MainWindowMenus, ShowInfoFollowsTheFileSelection) {
    WindowBench w;
    w.start();
    w.window.onDropFiles({"/nonexistent/a.hex", "/nonexistent/b.hex"});
    ASSERT_EQ(w.window.view().files.size(), 2u);

    w.window.onMenuAboutToOpen();
    EXPECT_FALSE(w.window.view().commandEnabled.at(ui::kCmdShowInfo));
    EXPECT_FALSE(w.ui.pushes.back().commandEnabled.at(ui::kCmdShowInfo));

    w.window.setFileSelected(1, true);
    EXPECT_TRUE(w.window.view().files[1].selected);
    w.window.onMenuAboutToOpen();
    EXPECT_TRUE(w.window.view().commandEnabled.at(ui::kCmdShowInfo));
    EXPECT_TRUE(w.ui.pushes.back().commandEnabled.at(ui::kCmdShowInfo));

    w.window.setFileSelected(1, false);
    w.window.onListRightClick();
    EXPECT_FALSE(w.window.view().commandEnabled.at(ui::kCmdShowInfo));
    EXPECT_FALSE(w.window.view().commandEnabled.at(ui::kCmdRemoveFiles));
    w.window.setFileSelected(0, true);
    w.window.onListRightClick();
    EXPECT_TRUE(w.window.view().commandEnabled.at(ui::kCmdShowInfo));
    EXPECT_TRUE(w.window.view().commandEnabled.at(ui::kCmdRemoveFiles));
}

TEST(MainWindowFiles, DropsAndHandOversAreQueued) {
    TempDir dir;
    WindowBench w;
    w.start();
    const std::string longName = "/nonexistent/" + std::string(300, 'n') + ".pda";
    w.window.onDropFiles({dir.path().string(), dir.file("a.pda"), longName});
    w.window.onCopyData(dir.file("b.pda"));
    const auto& files = w.window.view().files;
    ASSERT_EQ(files.size(), 3u);
    // A dropped name is kept whole, however long: it stays the ".pda" file it names.
    EXPECT_EQ(files[0].path, dir.file("a.pda"));
    EXPECT_EQ(files[1].path, longName);
    EXPECT_EQ(files[2].path, dir.file("b.pda"));
    EXPECT_EQ(files[1].type, 0);
    EXPECT_EQ(w.ui.pushes.back().files.size(), 3u);
}

TEST(MainWindowStart, CommandLineFilesAreListedBeforeTheAdaptersAreDetected) {
    TempDir dir;
    WindowBench w;
    const std::vector<std::string> arguments{"quillon", dir.file("one.pda"), dir.file("two.pda")};
    auto window = app::startApplication(w.bench.library(), w.bench.registry(), w.ui, arguments);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->fileList().count(), 2);
    EXPECT_EQ(window->fileList().pathAt(0), arguments[1]);
    EXPECT_EQ(window->fileList().pathAt(1), arguments[2]);
    EXPECT_TRUE(window->adapterSelected());
    bool listedFirst = false;
    for (const auto& pushed : w.ui.pushes) {
        if (pushed.files.size() == 2) {
            listedFirst = pushed.adapters.empty();
            break;
        }
    }
    EXPECT_TRUE(listedFirst);
    EXPECT_FALSE(window->closed());
}

TEST(MainWindowStart, ProgramNameAloneQueuesNothing) {
    WindowBench w;
    const std::vector<std::string> arguments{"quillon"};
    auto window = app::startApplication(w.bench.library(), w.bench.registry(), w.ui, arguments);
    EXPECT_EQ(window->fileList().count(), 0);
    EXPECT_TRUE(window->adapterSelected());
}

TEST(MainWindowMisc, TooltipsByControl) {
    EXPECT_EQ(app::MainWindow::tooltip(1011), "Update the selected card");
    EXPECT_EQ(app::MainWindow::tooltip(1014), "Quit the program");
    EXPECT_EQ(app::MainWindow::tooltip(1051), "");
}

TEST(MainWindowMisc, CursorIsKept) {
    WindowBench w;
    w.start();
    w.window.setCursor(ui::Cursor::Wait);
    EXPECT_EQ(w.window.cursor(), ui::Cursor::Wait);
    EXPECT_EQ(w.ui.cursors, std::vector<ui::Cursor>{ui::Cursor::Wait});
    w.window.setCursor(ui::Cursor::Arrow);
    EXPECT_EQ(w.window.cursor(), ui::Cursor::Arrow);
}

TEST(MainWindowMisc, StatusLineTooLongForItsControlKeepsTheWindowOpen) {
    WindowBench w;
    w.start();
    w.window.setStatusText(std::string(181, 's'));
    EXPECT_EQ(w.ui.pushes.back().statusText, std::string(181, 's'));
    w.window.onCommand(ui::kCmdOk);
    EXPECT_EQ(w.ui.texts(), std::vector<std::string>{"Please enter no more than 180 characters."});
    EXPECT_FALSE(w.window.closed());
    w.window.setStatusText(std::string(180, 's'));
    w.window.onCommand(ui::kCmdOk);
    EXPECT_TRUE(w.window.closed());
}

}  // namespace
}  // namespace quillon::testing
