// The adapter list: only the person's choice selects, the "<No adapters detected>" row is
// nothing to open, and adapters of one name are told apart.
#include <gtest/gtest.h>

#include "bench_adapters.h"
#include "window_bench.h"

namespace quillon::testing {
namespace {

TEST(WindowAdapters, AdaptersOfOneNameAreToldApartByNumberThenMac) {
    sim::AdapterConfig first = prismAdapter("0001");
    sim::AdapterConfig second = prismAdapter("0002");
    first.displayName = second.displayName = "PRISM card";
    WindowBench w(benchWith({first, second}));
    w.start();
    ASSERT_EQ(w.window.view().adapters.size(), 2u);
    EXPECT_EQ(w.window.view().adapters[0].text, "PRISM card (#0)");
    EXPECT_EQ(w.window.view().adapters[1].text, "PRISM card (#1)");
    EXPECT_FALSE(w.window.adapterSelected());

    w.window.onAdapterListSelection(1);
    ASSERT_TRUE(w.window.adapterSelected());
    EXPECT_EQ(w.window.selectedAdapterIndex(), 1u);
    const std::string named = "PRISM card (#1, " + w.window.view().currentMacText + ")";
    EXPECT_EQ(w.window.view().adapters[1].text, named);
    EXPECT_EQ(w.window.view().adapterNameText, "Opened: " + named);
}

TEST(WindowAdapters, TheNoAdaptersRowOpensNothing) {
    WindowBench w(benchWith({}));
    w.start();
    ASSERT_EQ(w.window.view().adapters.size(), 1u);
    EXPECT_TRUE(w.window.view().adapters[0].placeholder);
    w.window.onAdapterListSelection(0);
    EXPECT_TRUE(w.ui.boxes.empty());
    EXPECT_EQ(w.window.view().statusText, "");
    EXPECT_FALSE(w.window.adapterSelected());
}

}  // namespace
}  // namespace quillon::testing
