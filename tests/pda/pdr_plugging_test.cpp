#include "pda/pdr_plugging.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/log.h"

namespace quillon::pda {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kBase = 0x1000;
constexpr std::uint8_t kFill = 0xEE;

// An image of 64 bytes of kFill at 0x1000, a gap, and 16 more at 0x1080.
struct Bench {
    image::MemoryImage image;
    image::PlugList plugs;
    PdaImage pda;

    Bench() {
        image.append(Bytes(64, kFill), kBase);
        image.append(Bytes(16, kFill), kBase + 0x80);
        pda.insertRecord(std::vector<std::uint16_t>{4, kPdrMacAddress, 0x1100, 0x3322, 0x5544});
        pda.insertRecord(std::vector<std::uint16_t>{3, kPdrPlatform, 0xBBAA, 0xDDCC});
    }

    // The bytes at address .. address + count - 1, read back the way the programmer reads them.
    Bytes bytesAt(std::uint32_t address, std::size_t count) {
        Bytes all(0x100, 0);
        image.rewind();
        std::array<std::uint8_t, 0x100> block{};
        std::uint32_t at = 0;
        std::uint16_t n = 0;
        while (image.nextBlock(block, &at, &n, 0x100, 0)) {
            for (std::uint16_t i = 0; i < n; ++i) {
                all[at - kBase + i] = block[i];
            }
        }
        const auto first = all.begin() + (address - kBase);
        return Bytes(first, first + static_cast<std::ptrdiff_t>(count));
    }
};

TEST(PdrPlugging, ImageWithoutPlugsIsLeftAlone) {
    Bench bench;
    LogCapture log;
    EXPECT_EQ(plugImage(bench.image, bench.plugs, bench.pda, "station.hex"), 0);
    EXPECT_EQ(log.text(), "Plugging:  All Entries Plugged!\n");
    EXPECT_EQ(bench.bytesAt(kBase, 64), Bytes(64, kFill));
}

TEST(PdrPlugging, FileNamePlugTakesTheUpperCaseNameAfterTheLastSeparator) {
    struct Case {
        std::string path;
        std::uint16_t length;
        Bytes written;  // the 32 bytes at the plug after plugging
    };
    auto field = [](std::string_view text, std::size_t zeros, std::size_t untouched) {
        // Sized once and filled in place: gcc 12 at -O3 misjudges the bounds of a vector that
        // grows by inserts here.
        Bytes b(text.size() + zeros + untouched, kFill);
        std::copy(text.begin(), text.end(), b.begin());
        std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(text.size()), zeros, 0);
        return b;
    };
    const Case cases[] = {
        {"C:\\images\\station.hex", 12, field("STATION.HEX", 1, 20)},
        {"/home/tech/firmware/station.hex", 12, field("STATION.HEX", 1, 20)},
        {"a:pri.hex", 12, field("PRI.HEX", 5, 20)},
        {"plain.hex", 4, field("PLAI", 0, 28)},
        {"dir/station-firmware-1.hex", 32, field("STATION-FIRMWARE-1.H", 0, 12)},
        {"x.hex", 32, field("X.HEX", 15, 12)},
    };
    for (const Case& c : cases) {
        Bench bench;
        bench.plugs.insert(image::kFileNamePlug, kBase + 8, c.length);
        LogCapture log;
        EXPECT_EQ(plugImage(bench.image, bench.plugs, bench.pda, c.path), 0) << c.path;
        EXPECT_EQ(log.text(), "Plugging:  [filename]  All Entries Plugged!\n") << c.path;
        EXPECT_EQ(bench.bytesAt(kBase + 8, 32), c.written) << c.path;
        EXPECT_EQ(bench.plugs.records()[0].status, image::kPlugApplied) << c.path;
    }
}

TEST(PdrPlugging, EachPlugReportsItsOutcome) {
    struct Case {
        const char* name;
        std::uint32_t code;
        std::uint32_t address;
        std::uint16_t length;
        std::uint32_t status;
        int plugged;
        std::string log;
    };
    const Case cases[] = {
        {"record fits", kPdrMacAddress, kBase, 6, image::kPlugApplied, 1,
         "Plugging:  (101 ok) All Entries Plugged!\n"},
        {"only the low 16 bits name the record", 0x00020008, kBase, 4, image::kPlugApplied, 1,
         "Plugging:  (20008 ok) All Entries Plugged!\n"},
        {"record not in the PDA", 0x0300, kBase, 28, image::kPlugPdrMissing, 0,
         "Plugging:  (Warning: PDR 300 NOT in PDA)\n\n"},
        {"record of another size", kPdrPlatform, kBase, 6, image::kPlugLengthDiffers, 0,
         "Plugging:  (Warning: Length mismatch on PDR 8)\n"},
        {"target runs into a gap", kPdrMacAddress, kBase + 60, 6, image::kPlugNoTarget, 0,
         "Plugging:  Warning: Invalid plug record 0x101. Target area does not exist.\n\n"},
        {"file name outside the image", image::kFileNamePlug, kBase + 0x40, 8, image::kPlugNoTarget,
         0, "Plugging:  Warning: file name plug does not fit!\nAll Entries Plugged!\n"},
    };
    for (const Case& c : cases) {
        Bench bench;
        bench.plugs.insert(c.code, c.address, c.length);
        LogCapture log;
        EXPECT_EQ(plugImage(bench.image, bench.plugs, bench.pda, "f.hex"), c.plugged) << c.name;
        EXPECT_EQ(log.text(), c.log) << c.name;
        EXPECT_EQ(bench.plugs.records()[0].status, c.status) << c.name;
        if (c.plugged == 0) {
            EXPECT_EQ(bench.bytesAt(kBase, 64), Bytes(64, kFill)) << c.name;
        }
    }
}

TEST(PdrPlugging, RecordDataGoesInLowByteFirstAndPluggingAgainWritesTheSame) {
    Bench bench;
    bench.plugs.insert(kPdrMacAddress, kBase + 2, 6);
    bench.plugs.insert(kPdrPlatform, kBase + 0x80, 4);
    LogCapture log;
    EXPECT_EQ(plugImage(bench.image, bench.plugs, bench.pda, "f.hex"), 2);
    EXPECT_EQ(log.text(), "Plugging:  (101 ok) (8 ok) All Entries Plugged!\n");
    EXPECT_EQ(bench.bytesAt(kBase, 10),
              (Bytes{kFill, kFill, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, kFill, kFill}));
    EXPECT_EQ(bench.bytesAt(kBase + 0x80, 4), (Bytes{0xAA, 0xBB, 0xCC, 0xDD}));
    EXPECT_EQ(plugImage(bench.image, bench.plugs, bench.pda, "f.hex"), 2);
    EXPECT_EQ(bench.bytesAt(kBase + 0x80, 4), (Bytes{0xAA, 0xBB, 0xCC, 0xDD}));
}

}  // namespace
}  // namespace quillon::pda
