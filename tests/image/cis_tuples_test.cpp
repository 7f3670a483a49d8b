#include "image/cis_tuples.h"

#include <gtest/gtest.h>

#include <vector>

#include "srec_lines.h"
#include "temp_dir.h"

namespace quillon::image {
namespace {

using namespace quillon::image::testing;

const std::vector<std::uint8_t> kProductCis = {0x15, 0x05, 1, 0, 0x41, 0, 0x42, 0xFF};

TEST(CisTupleList, ParsesTheChainUpToItsEndMarker) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool acceptWithoutEnd;
        bool result;
        std::size_t tuples;
    };
    std::vector<std::uint8_t> fiftyOne;
    for (int i = 0; i < 51; ++i) {
        fiftyOne.insert(fiftyOne.end(), {0x20, 0x01, 0x00});
    }
    fiftyOne.push_back(0xFF);
    const Case cases[] = {
        {"product tuple", kProductCis, false, true, 1},
        {"end marker first", {0xFF, 0x15, 0x01, 0x00}, false, false, 0},
        {"link of zero", {0x15, 0x00, 0xFF}, false, false, 0},
        {"tuple past the bytes", {0x15, 0x05, 1, 0}, false, false, 0},
        {"code without link", {0x15, 0x01, 0x00, 0x20}, true, false, 1},
        {"no end marker", {0x15, 0x01, 0x00}, false, false, 1},
        {"no end marker, accepted", {0x15, 0x01, 0x00}, true, true, 1},
        {"fifty-one tuples", fiftyOne, false, false, 50},
    };
    for (const Case& c : cases) {
        CisTupleList list;
        EXPECT_EQ(list.parseTuples(c.bytes, kCisAddress3842, c.acceptWithoutEnd), c.result)
            << c.name;
        EXPECT_EQ(list.count(), c.tuples) << c.name;
        if (c.result) {
            EXPECT_EQ(list.address(), kCisAddress3842) << c.name;
        }
    }
}

TEST(CisTupleList, ReadsTheProductStrings) {
    struct Case {
        int n;
        std::size_t size;
        bool result;
        const char* text;
    };
    const std::vector<std::uint8_t> cis = {0x20, 0x01, 0x00,  // another tuple first
                                           0x15, 0x0B, 5,    0,   'A', 'b', 0,
                                           'W',  'L',  'A',  'N', 0,   'x', 0xFF};
    const Case cases[] = {
        {0, 30, true, "Ab"}, {1, 30, true, "WLAN"}, {1, 4, false, "WLA"}, {1, 1, false, ""},
        {2, 30, false, "x"}, {3, 30, false, ""},    {4, 30, false, ""},   {-1, 30, false, ""},
    };
    CisTupleList list;
    ASSERT_TRUE(list.parseTuples(cis, kCisAddress3841, false));
    for (const Case& c : cases) {
        std::string text = "stale";
        EXPECT_EQ(list.versionString(c.n, text, c.size), c.result) << c.n << "/" << c.size;
        EXPECT_EQ(text, c.text) << c.n << "/" << c.size;
    }

    CisTupleList product;
    ASSERT_TRUE(product.parseTuples(kProductCis, kCisAddress3842, false));
    std::string text;
    EXPECT_TRUE(product.versionString(0, text, 30));
    EXPECT_EQ(text, "A");
    EXPECT_FALSE(product.versionString(1, text, 30));

    CisTupleList shortTuple;
    const std::vector<std::uint8_t> tooShort = {0x15, 0x04, 1, 0, 'A', 0, 0xFF};
    ASSERT_TRUE(shortTuple.parseTuples(tooShort, 0, false));
    EXPECT_FALSE(shortTuple.versionString(0, text, 30));
}

TEST(CisTupleList, FindsTuplesByCodeAndExtensionType) {
    const std::vector<std::uint8_t> cis = {0x22, 0x02, 0x04, 0x06, 0x21, 0x02, 0x06, 0x00, 0x22,
                                           0x02, 0x02, 0x01, 0x22, 0x02, 0x04, 0x07, 0xFF};
    CisTupleList list;
    ASSERT_TRUE(list.parseTuples(cis, 0, false));
    EXPECT_EQ(list.find(0x22, 0x04, 0), 0);
    EXPECT_EQ(list.find(0x22, 0x04, 1), 3);
    EXPECT_EQ(list.find(0x22, 0x02, 0), 2);
    EXPECT_EQ(list.find(0x22, 0x04, 2), -1);
    EXPECT_EQ(list.find(0x21, 0x99, 0), 1);  // the extension type matters only for 0x22
    ASSERT_NE(list.get(3), nullptr);
    EXPECT_EQ(*list.get(3), (std::vector<std::uint8_t>{0x22, 0x02, 0x04, 0x07}));
    EXPECT_EQ(list.get(4), nullptr);
    EXPECT_EQ(list.get(-1), nullptr);
    list.clear();
    EXPECT_EQ(list.count(), 0u);
}

TEST(CisTupleList, RecognisesCisImageFilesByTheirAddress) {
    struct Case {
        const char* name;
        std::uint32_t address;
        std::vector<std::uint8_t> bytes;
        bool withTermination;
        bool result;
    };
    const Case cases[] = {
        {"3842 CIS", kCisAddress3842, kProductCis, true, true},
        {"3841 CIS", kCisAddress3841, kProductCis, true, true},
        {"firmware address", 0x7E0000, kProductCis, true, false},
        {"end marker first", kCisAddress3841, {0xFF, 0x15}, true, false},
        {"not loadable", kCisAddress3842, kProductCis, false, false},
    };
    quillon::testing::TempDir dir;
    for (const Case& c : cases) {
        std::string text = srec('3', c.address, c.bytes) + "\n";
        if (c.withTermination) {
            text += kEnd + "\n";
        }
        CisTupleList list;
        EXPECT_EQ(list.readCisFile(dir.write("cis.hex", text)), c.result) << c.name;
    }
    CisTupleList list;
    EXPECT_FALSE(list.readCisFile(dir.file("absent.hex")));
}

}  // namespace
}  // namespace quillon::image
