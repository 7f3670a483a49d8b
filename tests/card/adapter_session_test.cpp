#include "card/adapter_session.h"

#include <gtest/gtest.h>

#include "card_bench.h"

namespace quillon::card {
namespace {

using testing::aux;
using testing::CardBenchTest;
using testing::FakeUserInterface;
using testing::plain;
using Requests = std::vector<sim::RequestRecord>;

class AdapterSessionTest : public CardBenchTest {};

TEST_F(AdapterSessionTest, OpensWithTheAuxPortAndNotAgainWhileOpen) {
    EXPECT_FALSE(session.isOpen());
    ASSERT_TRUE(session.openAdapter(0));
    EXPECT_TRUE(session.isOpen());
    EXPECT_EQ(bench.requests(), Requests{plain(OID_PRIV_ENABLE_AUX)});
    bench.clearRequests();
    EXPECT_TRUE(session.openAdapter(0));
    EXPECT_TRUE(bench.requests().empty());

    session.closeAdapter();
    session.closeAdapter();
    EXPECT_FALSE(session.isOpen());
    EXPECT_EQ(bench.simulatedLibrary().openAdapterCount(), 0u);
    EXPECT_EQ(bench.simulatedLibrary().openEventCount(), 0u);
}

TEST_F(AdapterSessionTest, SendsNothingWhileClosed) {
    RidRecord rid;
    AuxBlock block;
    std::array<std::uint8_t, 8> probe{};
    std::array<std::uint8_t, 6> mac{};
    EXPECT_FALSE(session.readRid(rid, 0xFD02));
    EXPECT_FALSE(session.probeDriver(probe));
    EXPECT_FALSE(session.enableAux());
    EXPECT_FALSE(session.auxRead(block));
    EXPECT_FALSE(session.auxWrite(block));
    EXPECT_FALSE(session.setProtocolBlock(true));
    EXPECT_FALSE(session.setupWrite());
    EXPECT_FALSE(session.finish());
    EXPECT_FALSE(session.readPermanentAddress(mac));
    EXPECT_EQ(session.getDriverVersion(), 0u);
    EXPECT_TRUE(bench.requests().empty());
    EXPECT_TRUE(bench.pauses().empty());
}

TEST(AdapterSessionOpen, FailsForAdaptersThatAreNotUsable) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.adapters.push_back(testing::prismAdapter("0001"));
    config.adapters.push_back(testing::prismAdapter("0002"));
    config.adapters[0].card.reset();         // another chipset
    config.adapters[1].openError = 0x57;     // the library cannot open it
    config.adapters[2].describable = false;  // no name to open it by
    sim::SimulatedBench bench(config);
    FakeUserInterface ui;
    AdapterSession session(bench.library(), bench.registry(), ui);
    for (std::uint32_t index = 0; index < 4; ++index) {
        EXPECT_FALSE(session.openAdapter(index)) << index;
        EXPECT_FALSE(session.isOpen());
    }
    EXPECT_EQ(bench.requests(), Requests{plain(OID_PRIV_ENABLE_AUX, kNdisStatusInvalidOid)});
    EXPECT_EQ(bench.simulatedLibrary().openAdapterCount(), 0u);
    EXPECT_EQ(bench.simulatedLibrary().openEventCount(), 0u);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(AdapterSessionOpen, TellsWhenItCannotMakeTheOverlappedEvent) {
    sim::BenchConfig config = sim::defaultBenchConfig();
    config.createEventFails = true;
    sim::SimulatedBench bench(config);
    FakeUserInterface ui;
    AdapterSession session(bench.library(), bench.registry(), ui);
    EXPECT_FALSE(session.openAdapter(0));
    EXPECT_FALSE(session.isOpen());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Could not create Overlapped Event. Unable to access card.");
    EXPECT_EQ(ui.boxes[0].caption, "Error");
    EXPECT_EQ(ui.boxes[0].owner, ui::Owner::None);
    EXPECT_TRUE(bench.requests().empty());
    EXPECT_EQ(bench.simulatedLibrary().openAdapterCount(), 0u);
}

TEST_F(AdapterSessionTest, ReadsRidsAndCountsAnEmptyRecordAsAFailure) {
    open();
    RidRecord record;
    ASSERT_TRUE(session.readRid(record, 0xFD02));
    EXPECT_EQ(record.length, 5);
    EXPECT_EQ(record.code, 0xFD02);
    EXPECT_EQ(record.word(0), 21);
    EXPECT_EQ(record.word(3), 1);
    EXPECT_EQ(bench.requests(), Requests{plain(OID_PRIV_READ_RID)});

    bench.card(0).rids().station.reset();  // answered with length word 0
    EXPECT_FALSE(session.readRid(record, 0xFD20));
    bench.card(0).faults().unreadableRids.push_back(0xFD02);
    EXPECT_FALSE(session.readRid(record, 0xFD02));

    // A length word claiming more than the buffer holds is not believed past the buffer.
    bench.card(0).rids().raw.push_back({0x1234, {0xFFFF, 0x1234, 7}});
    ASSERT_TRUE(session.readRid(record, 0x1234));
    EXPECT_EQ(record.dataWordCount(), RidRecord::kMaxDataWords);
    EXPECT_EQ(record.word(0), 7);
    EXPECT_EQ(record.word(RidRecord::kMaxDataWords), 0);
}

TEST_F(AdapterSessionTest, CutsAuxReadsTo2042BytesAndPresetsTheBuffer) {
    open();
    const std::vector<std::uint8_t> content{1, 2, 3, 4};
    bench.card(0).writeFlash(0x1000, content);
    AuxBlock block;
    block.address = 0x1000;
    block.length = 3000;
    ASSERT_TRUE(session.auxRead(block));
    EXPECT_EQ(block.length, 2042);
    EXPECT_EQ(block.address, 0x1000u);
    EXPECT_TRUE(std::equal(content.begin(), content.end(), block.data.begin()));
    EXPECT_EQ(bench.requests(),
              (Requests{plain(OID_PRIV_ENABLE_AUX), aux(OID_PRIV_AUX_READ, 0x1000, 2042)}));

    // A read the driver refuses leaves the marker it was sent with.
    bench.card(0).faults().requests.push_back(
        sim::RequestFault::every(OID_PRIV_AUX_READ, sim::kStatusFailure));
    block.length = 4;
    EXPECT_FALSE(session.auxRead(block));
    EXPECT_EQ(block.data[0], 0xDE);
    EXPECT_EQ(block.data[1], 0xAD);
}

class AdapterSession3841Test : public CardBenchTest {
  protected:
    AdapterSession3841Test() : CardBenchTest(testing::oneCardBench(kMacType3841)) {}
};

TEST_F(AdapterSession3841Test, MasksReadAddressesButNotWriteAddresses) {
    open(kMacType3841);
    AuxBlock block;
    block.address = 0x003F0000;
    block.length = 2;
    ASSERT_TRUE(session.auxRead(block));
    EXPECT_EQ(block.address, 0x003F0000u);
    block.address = 0x803F0000;
    ASSERT_TRUE(session.auxRead(block));
    EXPECT_EQ(block.address, 0x803F0000u);
    block.address = 0x003F0000;
    session.auxWrite(block);
    EXPECT_EQ(bench.requests(),
              (Requests{plain(OID_PRIV_ENABLE_AUX), aux(OID_PRIV_AUX_READ, 0x00390000, 2),
                        plain(OID_PRIV_ENABLE_AUX), aux(OID_PRIV_AUX_READ, 0x80390000, 2),
                        aux(OID_PRIV_AUX_WRITE, 0x003F0000, 2, sim::kStatusFailure)}));
}

TEST_F(AdapterSession3841Test, SetupWriteUsesThe3841Address) {
    open(kMacType3841);
    EXPECT_TRUE(session.setupWrite());
    EXPECT_EQ(requestsOf(OID_PRIV_SETUP_WRITE), Requests{aux(OID_PRIV_SETUP_WRITE, 0x001FEE66, 2)});
}

TEST_F(AdapterSessionTest, SetupWriteReadiesTheCardAndPauses) {
    open();
    EXPECT_TRUE(session.setupWrite());
    // The empty aux write goes before the card is ready and fails; that is expected.
    EXPECT_EQ(bench.requests(), (Requests{plain(OID_PRIV_ENABLE_AUX),
                                          aux(OID_PRIV_AUX_WRITE, 0, 0, sim::kStatusFailure),
                                          aux(OID_PRIV_SETUP_WRITE, 0x007FDE66, 2)}));
    EXPECT_EQ(bench.pauses(), std::vector<std::uint32_t>{5});

    bench.card(0).faults().requests.push_back(
        sim::RequestFault::every(OID_PRIV_SETUP_WRITE, sim::kStatusFailure));
    EXPECT_FALSE(session.setupWrite());
}

TEST_F(AdapterSessionTest, WarnsWhenTheDriverDoesNotKnowTheProbe) {
    open();
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_TRUE(session.probeDriver(buffer));
    EXPECT_TRUE(ui.boxes.empty());
    bench.card(0).setKnowsProbeOid(false);
    EXPECT_FALSE(session.probeDriver(buffer));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "Your current WLAN driver does not support this version of Quillonex. You may need "
              "to upgrade the driver.");
    EXPECT_EQ(ui.boxes[0].caption, "Incompatible Driver Error");
    EXPECT_EQ(ui.boxes[0].icon, ui::Icon::Warning);
    EXPECT_EQ(ui.boxes[0].owner, ui::Owner::None);

    // Any other failure is silent.
    bench.card(0).setKnowsProbeOid(true);
    bench.card(0).faults().requests.push_back(
        sim::RequestFault::every(OID_PRIV_PROBE, sim::kStatusFailure));
    EXPECT_FALSE(session.probeDriver(buffer));
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(requestsOf(OID_PRIV_PROBE).size(), 3u);
}

TEST_F(AdapterSessionTest, ReadsTheAdaptersAddressAndDriverVersion) {
    open();
    std::array<std::uint8_t, 6> mac{};
    EXPECT_TRUE(session.readPermanentAddress(mac));
    EXPECT_EQ(mac, bench.config().adapters[0].card->permanentAddress);
    EXPECT_EQ(session.getDriverVersion(), 0x00010203u);
    bench.card(0).setDriverVersion(0x80000001);
    EXPECT_EQ(session.getDriverVersion(), 0x80000001u);
    bench.card(0).setDriverVersion(0x00010203, false);
    EXPECT_EQ(session.getDriverVersion(), 0u);
    EXPECT_TRUE(session.setProtocolBlock(true));
    EXPECT_TRUE(session.setProtocolBlock(false));
    EXPECT_TRUE(session.finish());
    EXPECT_EQ(bench.requests(),
              (Requests{plain(OID_802_3_PERMANENT_ADDRESS), plain(OID_GEN_VENDOR_DRIVER_VERSION),
                        plain(OID_GEN_VENDOR_DRIVER_VERSION),
                        plain(OID_GEN_VENDOR_DRIVER_VERSION, sim::kStatusInvalidOid),
                        plain(OID_PRIV_BLOCK_PROTOCOLS), plain(OID_PRIV_UNBLOCK_PROTOCOLS),
                        plain(OID_PRIV_FINISH)}));
}

TEST(CheckAccessLibrary, TellsTheStartUpErrorByItsCode) {
    const std::string privileges =
        "The system reports that you have insufficient privileges to load the required driver. "
        "\r\n\r\n 1. You may need to log on as an administrator.\r\n\r\n 2. Ensure the system "
        "files are not being accessed from a network drive. (search for \"ISW32N50\" in the "
        "registry)";
    struct Case {
        std::uint32_t code;
        std::vector<std::pair<std::string, std::string>> boxes;
    };
    const std::vector<Case> cases = {
        {5, {{privileges, "Startup Error"}}},
        {2, {{"Error loading system files: File Not Found.", "Startup Error"}}},
        {6, {}},
        {0x106, {}},
        {0x7E, {{"W32N error code: 7E", "Unable to load necessary system files."}}},
        {0xC0DE0005, {{"W32N error code: C0DE0005", "Unable to load necessary system files."}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        sim::BenchConfig config = sim::defaultBenchConfig();
        config.unknownAdapterError = c.code;
        sim::SimulatedBench bench(config);
        FakeUserInterface ui;
        EXPECT_TRUE(checkAccessLibrary(bench.library(), ui));
        std::vector<std::pair<std::string, std::string>> shown;
        for (const auto& box : ui.boxes) {
            shown.push_back({box.text, box.caption.value_or("(none)")});
            EXPECT_EQ(box.icon, ui::Icon::Error);
            EXPECT_EQ(box.owner, ui::Owner::None);
        }
        EXPECT_EQ(shown, c.boxes);
        EXPECT_EQ(bench.simulatedLibrary().openAdapterCount(), 0u);
    }
}

}  // namespace
}  // namespace quillon::card
