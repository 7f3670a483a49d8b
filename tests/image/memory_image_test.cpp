#include "image/memory_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

namespace quillon::image {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t size, std::uint8_t seed = 0) {
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return out;
}

struct Block {
    std::uint32_t address;
    Bytes data;
    bool operator==(const Block&) const = default;
};

std::vector<Block> readBlocks(MemoryImage& image, std::uint16_t maxCount, std::uint32_t alignment) {
    image.rewind();
    std::vector<Block> blocks;
    Bytes buffer(maxCount);
    std::uint32_t address = 0;
    std::uint16_t count = 0;
    while (image.nextBlock(buffer, &address, &count, maxCount, alignment)) {
        blocks.push_back({address, Bytes(buffer.begin(), buffer.begin() + count)});
    }
    return blocks;
}

// The bytes at consecutive addresses, as the first range holding each address has them.
Bytes bytesAt(MemoryImage& image, std::uint32_t address, std::size_t size) {
    std::map<std::uint32_t, std::uint8_t> first;
    for (const Block& b : readBlocks(image, 0xFFFF, 0)) {
        for (std::size_t i = 0; i < b.data.size(); ++i) {
            first.emplace(static_cast<std::uint32_t>(b.address + i), b.data[i]);
        }
    }
    Bytes out;
    for (std::size_t i = 0; i < size; ++i) {
        const auto at = first.find(static_cast<std::uint32_t>(address + i));
        if (at == first.end()) {
            break;
        }
        out.push_back(at->second);
    }
    return out;
}

TEST(MemoryImage, ContinuingTheLastRangeGrowsItAndAnythingElseOpensARange) {
    MemoryImage image;
    ASSERT_TRUE(image.append(pattern(16), 0x1000));
    ASSERT_TRUE(image.append(pattern(16, 16), 0x1010));
    EXPECT_EQ(image.rangeCount(), 1);
    EXPECT_EQ(image.range(1).length, 32u);

    ASSERT_TRUE(image.append(pattern(4), 0x1000));
    EXPECT_EQ(image.rangeCount(), 2);
    EXPECT_EQ(image.locate(0x1000)->range, 1);
    EXPECT_EQ(image.locate(0x1000, 2)->range, 2);
    EXPECT_FALSE(image.locate(0x1010, 2).has_value());

    // Continues range 1 in address, but range 2 is the last one: never merged.
    ASSERT_TRUE(image.append(pattern(4), 0x1020));
    EXPECT_EQ(image.rangeCount(), 3);
    EXPECT_EQ(image.range(3).startAddress, 0x1020u);
    EXPECT_EQ(image.totalBytes(), 40u);
    EXPECT_FALSE(image.locate(0x1024).has_value());
    EXPECT_FALSE(image.locate(0x1000, 9).has_value());
}

TEST(MemoryImage, RefusedAppendsStoreNothing) {
    MemoryImage image;
    EXPECT_FALSE(image.append({}, 0x1000));
    EXPECT_FALSE(image.append(pattern(0x10000), 0x1000));
    // Bytes running past the top of the address space.
    EXPECT_FALSE(image.append(pattern(4), 0xFFFFFFFE));
    EXPECT_EQ(image.rangeCount(), 0);
    EXPECT_TRUE(image.append(pattern(2), 0xFFFFFFFE));
    EXPECT_EQ(image.rangeCount(), 1);
}

TEST(MemoryImage, TheRangeTableHoldsAtMost255Ranges) {
    MemoryImage image;
    for (std::uint32_t n = 0; n < kMaxRanges; ++n) {
        ASSERT_TRUE(image.append(pattern(1), n * 0x10)) << n;
    }
    EXPECT_FALSE(image.append(pattern(1), 0x5000));
    EXPECT_EQ(image.rangeCount(), kMaxRanges);
    EXPECT_EQ(image.totalBytes(), kMaxRanges);
    // Growing the last range needs no new entry.
    EXPECT_TRUE(image.append(pattern(1), (kMaxRanges - 1) * 0x10 + 1));
    EXPECT_EQ(image.range(kMaxRanges).length, 2u);
}

TEST(MemoryImage, StopsAcceptingAfterOneHundredChunks) {
    MemoryImage image;
    for (std::uint32_t k = 0; k < 99; ++k) {
        ASSERT_TRUE(image.append(pattern(kChunkSize), k * kChunkSize));
    }
    // This append begins while chunk 99 is current and runs to its end into chunk 101.
    ASSERT_TRUE(image.append(pattern(4096), 99 * kChunkSize));
    EXPECT_EQ(image.totalBytes(), 101 * kChunkSize);
    EXPECT_TRUE(image.isFull());
    EXPECT_FALSE(image.append(pattern(1), 101 * kChunkSize));
    EXPECT_EQ(image.totalBytes(), 101 * kChunkSize);
}

TEST(MemoryImage, OneHundredFullChunksRefuseTheNextAppend) {
    MemoryImage image;
    for (std::uint32_t k = 0; k < 100; ++k) {
        ASSERT_TRUE(image.append(pattern(kChunkSize), k * kChunkSize)) << k;
    }
    EXPECT_TRUE(image.isFull());
    EXPECT_FALSE(image.append(pattern(1), 100 * kChunkSize));
    EXPECT_EQ(image.totalBytes(), 100 * kChunkSize);
    EXPECT_EQ(image.rangeCount(), 1);
}

// Describing a file keeps its addresses only: every answer but the bytes must be the same.
TEST(MemoryImage, AnImageOfAddressesOnlyAnswersAsOneThatKeepsTheBytes) {
    MemoryImage bytes;
    MemoryImage addresses(ImageContents::AddressesOnly);
    const auto both = [&](auto&& step) { return std::pair{step(bytes), step(addresses)}; };
    using Result = std::pair<bool, bool>;
    for (std::uint32_t k = 0; k < 260; ++k) {  // past the range table and the chunk limit
        const auto appended =
            both([&](MemoryImage& m) { return m.append(pattern(900), k * 1000 + (k % 3)); });
        EXPECT_EQ(appended.first, appended.second) << k;
    }
    EXPECT_EQ(both([](MemoryImage& m) { return m.overwrite(pattern(4), 1001); }),
              Result(true, true));
    EXPECT_EQ(both([](MemoryImage& m) { return m.overwrite(pattern(4), 998); }),
              Result(false, false));
    EXPECT_EQ(bytes.rangeCount(), addresses.rangeCount());
    EXPECT_EQ(bytes.totalBytes(), addresses.totalBytes());
    EXPECT_EQ(bytes.isFull(), addresses.isFull());
    EXPECT_EQ(bytes.countBlocks(512, 256), addresses.countBlocks(512, 256));

    std::vector<std::pair<std::uint32_t, std::uint16_t>> kept;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> counted;
    std::uint32_t address = 0;
    std::uint16_t count = 0;
    bytes.rewind();
    while (bytes.nextBlock({}, &address, &count, 512, 256)) {
        kept.emplace_back(address, count);
    }
    addresses.rewind();
    while (addresses.nextBlock({}, &address, &count, 512, 256)) {
        counted.emplace_back(address, count);
    }
    EXPECT_EQ(kept, counted);
    // It has no bytes to hand out.
    Bytes buffer(512);
    addresses.rewind();
    EXPECT_FALSE(addresses.nextBlock(buffer, &address, &count, 512, 0));
}

TEST(MemoryImage, OverwriteChecksEveryAddressBeforeWriting) {
    MemoryImage image;
    ASSERT_TRUE(image.append(pattern(8), 0x2000));       // range 1: 0x2000..0x2007
    ASSERT_TRUE(image.append(pattern(8, 50), 0x3000));   // range 2
    ASSERT_TRUE(image.append(pattern(8, 100), 0x2008));  // range 3 continues range 1
    const Bytes plug{0xA1, 0xA2, 0xA3, 0xA4};

    EXPECT_TRUE(image.overwrite(plug, 0x2006));
    EXPECT_EQ(bytesAt(image, 0x2006, 4), plug);

    const Bytes before = bytesAt(image, 0x3000, 8);
    EXPECT_FALSE(image.overwrite(plug, 0x3006));  // 0x3008 and 0x3009 are missing
    EXPECT_EQ(bytesAt(image, 0x3000, 8), before);

    EXPECT_TRUE(image.overwrite({}, 0x9999));
    EXPECT_FALSE(image.overwrite(plug, 0xFFFFFFFE));
}

TEST(MemoryImage, OverwriteChangesEveryCopyOfARepeatedAddress) {
    MemoryImage image;
    ASSERT_TRUE(image.append(Bytes{1, 2}, 0x500));
    ASSERT_TRUE(image.append(Bytes{1, 2}, 0x500));
    ASSERT_TRUE(image.overwrite(Bytes{0xDE, 0xC0}, 0x500));
    const std::vector<Block> expected{{0x500, {0xDE, 0xC0}}, {0x500, {0xDE, 0xC0}}};
    EXPECT_EQ(readBlocks(image, 16, 0), expected);
}

TEST(MemoryImage, OverwriteAcrossAChunkBoundary) {
    MemoryImage image;
    ASSERT_TRUE(image.append(pattern(100), 0));
    ASSERT_TRUE(image.append(pattern(4000, 3), 0x10000));
    Bytes plug(300, 0xEE);
    const std::uint32_t at = 0x10000 + (kChunkSize - 100) - 150;  // straddles chunks 0 and 1
    ASSERT_TRUE(image.overwrite(plug, at));
    EXPECT_EQ(bytesAt(image, at, plug.size()), plug);
}

TEST(MemoryImage, BlocksNeverCrossTheAlignmentOrARange) {
    struct Case {
        const char* name;
        std::uint16_t maxCount;
        std::uint32_t alignment;
        std::vector<std::pair<std::uint32_t, std::size_t>> expected;  // address, size
    };
    const Case cases[] = {
        {"64 KiB alignment", 2042, 0x10000, {{0xFF00, 256}, {0x10000, 256}, {0x20000, 16}}},
        {"16-byte blocks", 16, 0, {{0xFF00, 16}}},
        {"large blocks", 0xF000, 0, {{0xFF00, 512}, {0x20000, 16}}},
    };
    for (const Case& c : cases) {
        MemoryImage image;
        ASSERT_TRUE(image.append(pattern(512), 0xFF00));
        ASSERT_TRUE(image.append(pattern(16), 0x20000));
        const auto blocks = readBlocks(image, c.maxCount, c.alignment);
        ASSERT_GE(blocks.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(blocks[i].address, c.expected[i].first) << c.name << " block " << i;
            EXPECT_EQ(blocks[i].data.size(), c.expected[i].second) << c.name << " block " << i;
        }
        EXPECT_EQ(image.countBlocks(c.maxCount, c.alignment), blocks.size()) << c.name;
    }
}

TEST(MemoryImage, PeekingWithMaxCountZeroDoesNotMove) {
    MemoryImage image;
    std::uint32_t address = 0xDEAD;
    std::uint16_t count = 7;
    EXPECT_FALSE(image.nextBlock({}, &address, &count, 0, 0));
    EXPECT_EQ(address, 0u);
    EXPECT_EQ(count, 0);

    ASSERT_TRUE(image.append(pattern(3), 0x7EFE00));
    image.rewind();
    EXPECT_TRUE(image.nextBlock({}, &address, &count, 0, 0));
    EXPECT_EQ(address, 0x7EFE00u);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(image.nextBlock({}, &address, &count, 0xF000, 0));
    EXPECT_EQ(count, 3);
    EXPECT_FALSE(image.nextBlock({}, &address, &count, 0xF000, 0));
    EXPECT_FALSE(image.nextBlock({}, &address, &count, 0xF000, 0));
    EXPECT_EQ(image.countBlocks(0, 0), 0);
}

TEST(MemoryImage, ADestinationSmallerThanTheBlockIsRefused) {
    MemoryImage image;
    ASSERT_TRUE(image.append(pattern(32), 0));
    image.rewind();
    Bytes small(8);
    EXPECT_FALSE(image.nextBlock(small, nullptr, nullptr, 16, 0));
}

TEST(MemoryImage, LongRangesReadBackAcrossChunks) {
    MemoryImage image;
    const Bytes data = pattern(2049, 5);
    const Bytes more = pattern(3000, 9);
    ASSERT_TRUE(image.append(data, 0x400000));
    ASSERT_TRUE(image.append(more, 0x100));
    const auto blocks = readBlocks(image, 0xFFFF, 0);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0], (Block{0x400000, data}));
    EXPECT_EQ(blocks[1], (Block{0x100, more}));
}

TEST(MemoryImage, ReadingContinuesIntoDataAppendedLater) {
    MemoryImage image;
    ASSERT_TRUE(image.append(Bytes{1, 2}, 0x10));
    image.rewind();
    Bytes buffer(16);
    std::uint16_t count = 0;
    std::uint32_t address = 0;
    ASSERT_TRUE(image.nextBlock(buffer, &address, &count, 16, 0));
    EXPECT_FALSE(image.nextBlock(buffer, &address, &count, 16, 0));
    ASSERT_TRUE(image.append(Bytes{3}, 0x12));
    ASSERT_TRUE(image.append(Bytes{4}, 0x40));
    ASSERT_TRUE(image.nextBlock(buffer, &address, &count, 16, 0));
    EXPECT_EQ(address, 0x12u);
    EXPECT_EQ(buffer[0], 3);
    ASSERT_TRUE(image.nextBlock(buffer, &address, &count, 16, 0));
    EXPECT_EQ(address, 0x40u);
    EXPECT_EQ(buffer[0], 4);
}

TEST(MemoryImage, ClearEmptiesTheImageAndForgetsTheExecutionAddress) {
    MemoryImage image;
    ASSERT_TRUE(image.append(pattern(5000), 0x1000));
    image.setExecutionAddress(0x1234);
    image.clear();
    EXPECT_EQ(image.rangeCount(), 0);
    EXPECT_EQ(image.totalBytes(), 0u);
    EXPECT_FALSE(image.hasExecutionAddress());
    EXPECT_EQ(image.executionAddress(), 0u);
    EXPECT_EQ(image.rewind(), 0);
    ASSERT_TRUE(image.append(pattern(3), 0x20));
    EXPECT_EQ(readBlocks(image, 16, 0), (std::vector<Block>{{0x20, pattern(3)}}));
}

}  // namespace
}  // namespace quillon::image
