#include "card/adapter_discovery.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/log.h"
#include "card/adapter_detection.h"
#include "card_bench.h"

namespace quillon::card {
namespace {

using testing::benchWith;
using testing::FakeUserInterface;
using testing::prismAdapter;

sim::AdapterConfig disabledAdapter(const std::string& subkey) {
    sim::AdapterConfig adapter = prismAdapter(subkey);
    adapter.deviceKeys.at(0).instances.at(0).csConfigFlags = 1;
    return adapter;
}

sim::AdapterConfig otherChipset(const std::string& subkey) {
    sim::AdapterConfig adapter = prismAdapter(subkey);
    adapter.card.reset();
    return adapter;
}

std::vector<AdapterListEntry> listed(sim::SimulatedBench& bench) {
    std::vector<AdapterListEntry> list{{"stale", 9}};
    listAdapters(bench.library(), bench.registry(), list);
    return list;
}

TEST(AdapterDiscovery, ListsTheDefaultAdapterAndNamesItForOpening) {
    sim::SimulatedBench bench(sim::defaultBenchConfig());
    const auto& adapter = bench.config().adapters.at(0);
    EXPECT_EQ(listed(bench), (std::vector<AdapterListEntry>{{adapter.displayName, 0}}));

    LogCapture log;
    EXPECT_EQ(resolveAdapterName(bench.library(), bench.registry(), 0),
              "\\Device\\" + adapter.deviceName);
    EXPECT_EQ(log.text(), "Adapter Names : " + adapter.displayName + "\n");
    EXPECT_EQ(resolveAdapterName(bench.library(), bench.registry(), 1), std::nullopt);
    EXPECT_EQ(bench.virtualRegistry().openKeyCount(), 0u);
}

TEST(AdapterDiscovery, KeepsOnlyAdaptersThatAreEnabledAndOpen) {
    sim::SimulatedBench bench(benchWith({prismAdapter("0000"), disabledAdapter("0001"),
                                         otherChipset("0002"), prismAdapter("0003")}));
    EXPECT_EQ(listed(bench).size(), 4u);
    EXPECT_EQ(resolveAdapterName(bench.library(), bench.registry(), 1), std::nullopt);

    FakeUserInterface ui;
    EXPECT_EQ(detectUsableAdapters(bench.library(), bench.registry(), ui),
              (std::vector<AdapterListEntry>{{"Adapter 0000", 0}, {"Adapter 0003", 3}}));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(bench.simulatedLibrary().openAdapterCount(), 0u);
    EXPECT_EQ(bench.simulatedLibrary().openEventCount(), 0u);
    EXPECT_EQ(bench.virtualRegistry().openKeyCount(), 0u);
}

TEST(AdapterDiscovery, StopsAtTheFirstSubkeyItCannotReadOrDescribe) {
    struct Case {
        const char* name;
        std::vector<sim::AdapterConfig> adapters;
        std::vector<std::string> expected;
    };
    sim::AdapterConfig undescribable = prismAdapter("0001");
    undescribable.describable = false;
    sim::AdapterConfig firstUndescribable = prismAdapter("0000");
    firstUndescribable.describable = false;
    const std::vector<Case> cases = {
        {"undescribable",
         {prismAdapter("0000"), undescribable, prismAdapter("0002")},
         {"Adapter 0000"}},
        {"first undescribable", {firstUndescribable, prismAdapter("0001")}, {}},
        // The name buffer holds 15 characters and the terminator.
        {"long name",
         {prismAdapter("0000"), prismAdapter("ABCDEFGHIJKLMNOP"), prismAdapter("0002")},
         {"Adapter 0000"}},
        {"15 characters", {prismAdapter("ABCDEFGHIJKLMNO")}, {"Adapter ABCDEFGHIJKLMNO"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimulatedBench bench(benchWith(c.adapters));
        std::vector<std::string> texts;
        for (const auto& entry : listed(bench)) {
            texts.push_back(entry.text);
        }
        EXPECT_EQ(texts, c.expected);
        FakeUserInterface ui;
        EXPECT_EQ(detectUsableAdapters(bench.library(), bench.registry(), ui).size(),
                  c.expected.size());
    }
}

TEST(AdapterDiscovery, TellsEnabledFromDisabledByTheInstanceWalk) {
    using Flags = std::optional<std::uint32_t>;
    struct Case {
        const char* name;
        std::vector<Flags> instances;
        bool enabled;
    };
    const std::vector<Case> cases = {
        {"one enabled", {0}, true},
        {"one disabled", {1}, false},
        {"only bit 0 counts", {0xFE}, true},
        {"disabled after enabled", {0, 3}, false},
        {"a missing value ends the walk", {0, std::nullopt, 1}, true},
        {"disabled before a missing value", {1, std::nullopt}, false},
        {"no instances", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::AdapterConfig adapter = prismAdapter("0000");
        adapter.deviceKeys.at(0).instances.clear();
        for (std::size_t i = 0; i < c.instances.size(); ++i) {
            adapter.deviceKeys.at(0).instances.push_back(
                {"inst" + std::to_string(i), c.instances[i]});
        }
        sim::SimulatedBench bench(benchWith({adapter}));
        EXPECT_EQ(resolveAdapterName(bench.library(), bench.registry(), 0).has_value(), c.enabled);
    }
}

TEST(AdapterDiscovery, CountsAdaptersWithoutDeviceInformationAsEnabled) {
    sim::AdapterConfig noId = disabledAdapter("0000");
    noId.matchingDeviceId.reset();
    sim::AdapterConfig noDeviceKey = prismAdapter("0001");
    noDeviceKey.deviceKeys.clear();
    sim::AdapterConfig bareBus = disabledAdapter("0002");
    bareBus.matchingDeviceId = "pci\\";
    sim::SimulatedBench bench(benchWith({noId, noDeviceKey, bareBus}));
    for (std::uint32_t index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(resolveAdapterName(bench.library(), bench.registry(), index).has_value());
    }
}

TEST(AdapterDiscovery, ChoosesTheGreatestMatchingPciDeviceKeyWithoutRegardToCase) {
    // Which variant is chosen decides the answer: only the chosen one is disabled.
    for (const bool upperDisabled : {false, true}) {
        SCOPED_TRACE(upperDisabled);
        sim::AdapterConfig adapter = prismAdapter("0000");
        adapter.matchingDeviceId = "PCI\\VEN_1111&DEV_2222";
        adapter.deviceKeys = {
            {"VEN_1111&DEV_2222&SUBSYS_00000000", {{"a", upperDisabled ? 1u : 0u}}},
            {"ven_1111&dev_2222&subsys_00000001", {{"a", upperDisabled ? 0u : 1u}}},
            {"VEN_1111&DEV_3333&SUBSYS_00000009", {{"a", 0u}}},
        };
        sim::SimulatedBench bench(benchWith({adapter}));

        const auto key =
            findPciDeviceKey(bench.library(), bench.registry(), *adapter.matchingDeviceId);
        ASSERT_TRUE(key.has_value());
        std::array<char, 8> name{};
        ASSERT_TRUE(bench.registry().enumKey(*key, 0, name));
        EXPECT_STREQ(name.data(), "a");
        bench.registry().closeKey(*key);
        EXPECT_EQ(resolveAdapterName(bench.library(), bench.registry(), 0).has_value(),
                  upperDisabled);
        EXPECT_EQ(bench.virtualRegistry().openKeyCount(), 0u);
    }
    sim::SimulatedBench bench(sim::defaultBenchConfig());
    EXPECT_EQ(findPciDeviceKey(bench.library(), bench.registry(), "pci\\VEN_9999"), std::nullopt);
}

TEST(AdapterDiscovery, FollowsTheOperatingSystemsKeysAndNameForms) {
    const std::string longDevice(100, 'd');
    struct Case {
        const char* name;
        sim::OsFamily family;
        std::uint32_t major;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"NT 5", sim::OsFamily::Nt, 5, ("\\Device\\" + longDevice).substr(0, 80)},
        {"NT 4", sim::OsFamily::Nt, 4, ("\\Device\\" + longDevice).substr(0, 80)},
        {"95", sim::OsFamily::Windows95, 4, "0000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::AdapterConfig adapter = prismAdapter("0000");
        adapter.deviceName = longDevice;
        // A disabled non-PCI device proves the device key is looked up where the OS keeps it.
        sim::AdapterConfig isa = disabledAdapter("0001");
        isa.pci = false;
        isa.matchingDeviceId = "ISAPNP\\PRISM";
        isa.deviceKeys.at(0).name = "ISAPNP\\PRISM";
        sim::BenchConfig config = benchWith({adapter, isa});
        config.osFamily = c.family;
        config.osMajorVersion = c.major;
        sim::SimulatedBench bench(config);

        const auto name = resolveAdapterName(bench.library(), bench.registry(), 0);
        EXPECT_EQ(name, c.expected);
        EXPECT_EQ(resolveAdapterName(bench.library(), bench.registry(), 1), std::nullopt);
        FakeUserInterface ui;
        EXPECT_EQ(detectUsableAdapters(bench.library(), bench.registry(), ui),
                  (std::vector<AdapterListEntry>{{"Adapter 0000", 0}}));
    }
}

TEST(AdapterRegistryInfo, ReadsNamesWithoutRunningPastTheirPart) {
    AdapterRegistryInfo info;
    std::fill(info.bytes.begin(), info.bytes.end(), 'x');
    EXPECT_EQ(info.displayName(), std::string(520, 'x'));
    EXPECT_EQ(info.deviceName(), std::string(260, 'x'));
    info.bytes[3] = '\0';
    info.bytes[525] = '\0';
    EXPECT_EQ(info.displayName(), "xxx");
    EXPECT_EQ(info.deviceName(), "xxxxx");
}

}  // namespace
}  // namespace quillon::card
