#include "image/plug_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillon::image {
namespace {

std::vector<std::uint32_t> addresses(PlugList& list) {
    std::vector<std::uint32_t> out;
    list.rewind();
    while (PlugRecord* r = list.next()) {
        out.push_back(r->targetAddress);
    }
    return out;
}

TEST(PlugList, KeepsRecordsInAddressOrderAndTheLaterOfTwoForOneAddress) {
    PlugList list;
    EXPECT_EQ(list.insert(0x0101, 0x1200, 6), 1);              // empty list
    EXPECT_EQ(list.insert(0x0002, 0x1100, 2), 1);              // before a greater address
    EXPECT_EQ(list.insert(0x0003, 0x1200, 12), 0);             // replaces
    EXPECT_EQ(list.insert(kFileNamePlug, 0x80000000, 40), 2);  // unsigned order: the end
    EXPECT_EQ(addresses(list), (std::vector<std::uint32_t>{0x1100, 0x1200, 0x80000000}));
    EXPECT_EQ(list.records()[1].pdrCode, 0x0003u);
    EXPECT_EQ(list.records()[1].length, 12);
    EXPECT_EQ(list.count(), 3u);
}

TEST(PlugList, StatusesStartPendingAndCanBeReset) {
    PlugList list;
    list.insert(1, 0x10, 2);
    list.insert(2, 0x20, 2);
    list.rewind();
    PlugRecord* first = list.next();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->status, kPlugPending);
    EXPECT_EQ(list.setStatus(*first, kPlugApplied), kPlugPending);
    EXPECT_EQ(list.setStatus(*first, kPlugNoTarget), kPlugApplied);
    list.resetStatuses();
    EXPECT_EQ(list.records()[0].status, kPlugPending);

    list.clear();
    EXPECT_EQ(list.count(), 0u);
    list.rewind();
    EXPECT_EQ(list.next(), nullptr);
}

}  // namespace
}  // namespace quillon::image
