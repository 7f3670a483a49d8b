#include "card/card_identity.h"

#include <gtest/gtest.h>

#include "card_bench.h"

namespace quillon::card {
namespace {

using testing::CardBenchTest;

class CardIdentityTest : public CardBenchTest {};

TEST_F(CardIdentityTest, TakesTheMacTypeTheCardReports) {
    struct Case {
        std::uint16_t reported, macType;
        std::uint32_t pda;
    };
    for (const Case& c : {Case{1, 1, 0x003F0000}, Case{2, 2, 0x007F0000}, Case{3, 0xFFFF, 0}}) {
        SCOPED_TRACE(c.reported);
        bench.card(0).setMacType(c.reported);
        open();
        determineMacType(session, ui);
        EXPECT_EQ(session.macType(), c.macType);
        EXPECT_EQ(session.pdaAddress(), c.pda);
        session.closeAdapter();
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(CardIdentityTest, AssumesA3842CardWhenTheMacTypeCannotBeRead) {
    bench.card(0).setMacType(1);
    bench.card(0).faults().unreadableRids.push_back(kRidMacIdentity);
    open();
    session.setMacType(kMacType3841);
    determineMacType(session, ui);
    EXPECT_EQ(session.macType(), kMacType3842);
    EXPECT_EQ(session.imageBase(), 0x007E0000u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "getRid failure! Quillon will continue, assuming a 3842-based card.");
    EXPECT_EQ(ui.boxes[0].caption, "DEBUG OPTION - unable to determine card type");
    EXPECT_EQ(ui.boxes[0].icon, ui::Icon::Warning);
    EXPECT_EQ(ui.boxes[0].owner, ui::Owner::None);
}

TEST_F(CardIdentityTest, DescribesTheFirmwareVersionsOrTheRidThatFailed) {
    bench.card(0).rids().primary = sim::RidIdentity{21, 1, 1, 0};
    bench.card(0).rids().station = sim::RidIdentity{31, 4, 1, 3};
    std::string text;
    EXPECT_TRUE(readCardVersions(session, 0, text));
    EXPECT_EQ(text, "Primary: 1.0.1   Station: 1.3.4");
    EXPECT_FALSE(session.isOpen());  // it opened the adapter, so it closes it again

    open();
    EXPECT_TRUE(readCardVersions(session, 0, text));
    EXPECT_TRUE(session.isOpen());

    bench.card(0).faults().unreadableRids = {kRidStationIdentity};
    EXPECT_FALSE(readCardVersions(session, 0, text));
    EXPECT_EQ(text, "Primary: 1.0.1 (Station RID read failure)");
    bench.card(0).faults().unreadableRids = {kRidPrimaryIdentity};
    EXPECT_FALSE(readCardVersions(session, 0, text));
    EXPECT_EQ(text, "(Primary RID read failure)");

    session.closeAdapter();
    bench.adapter(0).openError = 2;
    EXPECT_FALSE(readCardVersions(session, 0, text));
    EXPECT_EQ(text, "");
}

TEST_F(CardIdentityTest, KeepsPrintableIdentBytesWithinTheRecord) {
    open();
    // "ABCDEFGHIJKLMNOPQRSTUVWXYZ" packed two to a word, low byte first.
    std::vector<std::uint16_t> reply{0, kRidIdentText};
    for (char c = 'A'; c <= 'Z'; c += 2) {
        reply.push_back(static_cast<std::uint16_t>(c | ((c + 1) << 8)));
    }
    struct Case {
        std::uint16_t length;
        std::string expected;
    };
    for (const Case& c :
         {Case{5, "ABCDEF" + std::string(20, ' ')}, Case{1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
          Case{2, std::string(26, ' ')}, Case{15, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"}}) {
        SCOPED_TRACE(c.length);
        reply[0] = c.length;
        bench.card(0).rids().raw = {{kRidIdentText, reply}};
        std::string text;
        EXPECT_TRUE(readIdentText(session, text));
        EXPECT_EQ(text, c.expected);
    }
    reply[0] = 15;
    reply[4] = 0x7F1F;  // neither byte of "EF" printable
    bench.card(0).rids().raw = {{kRidIdentText, reply}};
    std::string text;
    EXPECT_TRUE(readIdentText(session, text));
    EXPECT_EQ(text, "ABCD  GHIJKLMNOPQRSTUVWXYZ");

    bench.card(0).faults().unreadableRids = {kRidIdentText};
    EXPECT_FALSE(readIdentText(session, text));
    EXPECT_EQ(text, "");
}

TEST_F(CardIdentityTest, ReadsEverythingTheCardReports) {
    open();
    CardInfo info;
    EXPECT_TRUE(readCardInfo(session, info));
    EXPECT_EQ(image::formatVersion(info.primary), "1.1.0");
    EXPECT_EQ(image::formatVersion(info.station), "1.7.4");
    EXPECT_EQ(info.macType, 2);
    EXPECT_TRUE(info.primarySupplier.present);
    EXPECT_EQ(info.primarySupplier.bottom, 1);
    EXPECT_EQ(info.primarySupplier.top, 2);
    EXPECT_EQ(info.identText, "PRISM 3842 SIMULATED CARD ");
    EXPECT_EQ(info.driverVersion, 0x00010203u);

    bench.card(0).rids().modemActor.reset();
    CardInfo partial;
    EXPECT_FALSE(readCardInfo(session, partial));
    EXPECT_FALSE(partial.modemActor.present);
    EXPECT_TRUE(partial.controllerActor.present);
}

}  // namespace
}  // namespace quillon::card
