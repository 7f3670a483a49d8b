// Drivers that return fewer bytes than asked, or claim more than the buffer holds.
#include <gtest/gtest.h>

#include <functional>

#include "card/card_memory.h"
#include "card/flash_programming.h"
#include "card_bench.h"

namespace quillon::card {
namespace {

using testing::FakeUserInterface;

// Passes every call on to the bench's library and lets the test rewrite aux-read replies.
class ReplyEditingLibrary : public AccessLibrary {
  public:
    explicit ReplyEditingLibrary(AccessLibrary& inner) : inner_(inner) {}

    // The byte count the driver reports in an aux-read reply; none leaves replies alone.
    std::optional<std::uint16_t> replyLength;

    bool W32N_IsWindowsNT() override { return inner_.W32N_IsWindowsNT(); }
    bool W32N_IsWindows95() override { return inner_.W32N_IsWindows95(); }
    std::uint32_t W32N_OSGetPlatformVersion(std::uint32_t s) override {
        return inner_.W32N_OSGetPlatformVersion(s);
    }
    std::uint32_t W32N_GetAdapterRegistryInfo(AdapterRegistryInfo& info,
                                              std::string_view name) override {
        return inner_.W32N_GetAdapterRegistryInfo(info, name);
    }
    AdapterHandle W32N_OpenAdapterA(std::string_view name) override {
        return inner_.W32N_OpenAdapterA(name);
    }
    void W32N_CloseAdapter(AdapterHandle h) override { inner_.W32N_CloseAdapter(h); }
    std::uint32_t W32N_GetLastError() override { return inner_.W32N_GetLastError(); }
    std::uint32_t W32N_MakeNdisRequest(AdapterHandle h, AdapterRequest& request, Overlapped& o,
                                       std::uint32_t wait) override {
        const std::uint32_t status = inner_.W32N_MakeNdisRequest(h, request, o, wait);
        if (replyLength && request.oid == OID_PRIV_AUX_READ) {
            request.buffer[4] = static_cast<std::uint8_t>(*replyLength & 0xFF);
            request.buffer[5] = static_cast<std::uint8_t>(*replyLength >> 8);
        }
        return status;
    }
    EventHandle createEvent() override { return inner_.createEvent(); }
    void resetEvent(EventHandle e) override { inner_.resetEvent(e); }
    void closeEvent(EventHandle e) override { inner_.closeEvent(e); }
    void sleepMilliseconds(std::uint32_t ms) override { inner_.sleepMilliseconds(ms); }

  private:
    AccessLibrary& inner_;
};

class ShortReplyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(session.openAdapter(0));
        session.setMacType(kMacType3842);
        // Ready the card for writes, as a programming run does.
        ASSERT_TRUE(session.setProtocolBlock(true));
        ASSERT_TRUE(session.setupWrite());
        bench.card(0).writeFlash(0x1000, content);
        block.address = 0x1000;
        block.length = 4;
        std::copy(content.begin(), content.end(), block.data.begin());
        bench.clearRequests();
    }

    std::size_t auxWrites() const {
        std::size_t n = 0;
        for (const auto& r : bench.requests()) {
            n += r.oid == OID_PRIV_AUX_WRITE ? 1 : 0;
        }
        return n;
    }

    sim::SimulatedBench bench{sim::defaultBenchConfig()};
    ReplyEditingLibrary library{bench.library()};
    FakeUserInterface ui;
    AdapterSession session{library, bench.registry(), ui};
    const std::vector<std::uint8_t> content{1, 2, 3, 4};
    AuxBlock block;
};

TEST_F(ShortReplyTest, AShortCompareReadDoesNotPassForTheSameContent) {
    EXPECT_TRUE(writeBlock(session, block, false, false));
    EXPECT_EQ(auxWrites(), 0u);
    library.replyLength = 2;
    EXPECT_TRUE(writeBlock(session, block, false, false));
    EXPECT_EQ(auxWrites(), 1u);
    // Nor does a short read-back verify the block.
    EXPECT_FALSE(writeBlock(session, block, true, true));
}

TEST_F(ShortReplyTest, AReplyNeverGrowsTheBlockPastWhatWasAsked) {
    library.replyLength = 4000;
    AuxBlock read;
    read.address = 0x1000;
    read.length = 4;
    EXPECT_TRUE(session.auxRead(read));
    EXPECT_EQ(read.length, 4);
    EXPECT_TRUE(writeBlock(session, block, false, true));
}

TEST_F(ShortReplyTest, AShortAuxPortReadIsToldAsAFailure) {
    library.replyLength = 3;
    std::array<std::uint8_t, 4> out{};
    EXPECT_FALSE(readAuxPort(session, out, 0x1000, 4, ui));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Could not read from Aux Port"});
}

}  // namespace
}  // namespace quillon::card
