#include "sim/simulated_card.h"

#include <gtest/gtest.h>

#include "sim/simulated_bench.h"

namespace quillon::sim {
namespace {

TEST(SimulatedBenchSmoke, DefaultCardAnswersItsIdentity) {
    SimulatedBench bench(defaultBenchConfig());
    card::AccessLibrary& library = bench.library();
    const card::AdapterHandle handle =
        library.W32N_OpenAdapterA("\\Device\\{5C8A5E3D-2F1B-4C6E-9A0D-3B7E1F204A51}");
    ASSERT_NE(handle, card::kInvalidAdapterHandle);
    std::array<std::uint8_t, 504> rid{};
    rid[2] = 0x02;
    rid[3] = 0xFD;
    card::AdapterRequest request;
    request.requestType = card::kQueryInformation;
    request.oid = kOidReadRid;
    request.buffer = rid.data();
    request.bufferLength = 504;
    card::Overlapped overlapped;
    EXPECT_EQ(library.W32N_MakeNdisRequest(handle, request, overlapped, 1), 0u);
    EXPECT_EQ(rid[0], 5);
    EXPECT_EQ(rid[8], 1);   // major
    EXPECT_EQ(rid[10], 1);  // minor
    ASSERT_EQ(bench.requests().size(), 1u);
    EXPECT_EQ(bench.requests()[0], (RequestRecord{0, kOidReadRid, 0, 0, 0}));
}

}  // namespace
}  // namespace quillon::sim
