// The virtual registry: the keys adapter discovery reads, for each operating system.
#include "sim/virtual_registry.h"

#include <gtest/gtest.h>

#include "sim/simulated_bench.h"

namespace quillon::sim {
namespace {

std::vector<std::string> subkeys(card::Registry& registry, card::RegistryKey key,
                                 std::size_t room = 200) {
    std::vector<std::string> names;
    std::vector<char> name(room);
    for (std::uint32_t i = 0; registry.enumKey(key, i, name); ++i) {
        names.emplace_back(name.data());
    }
    return names;
}

std::optional<std::string> text(card::Registry& registry, card::RegistryKey key,
                                std::string_view value) {
    std::vector<std::uint8_t> data(200);
    std::size_t size = 0;
    if (!registry.queryValue(key, value, data, size)) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(data.data()));
}

BenchConfig twoAdapters(OsFamily family, std::uint32_t major) {
    BenchConfig config = defaultBenchConfig();
    config.osFamily = family;
    config.osMajorVersion = major;
    AdapterConfig isa = config.adapters[0];
    isa.subkey = "0001";
    isa.matchingDeviceId = "PCMCIA\\INTERSIL-PRISM";
    isa.pci = false;
    isa.deviceKeys = {DeviceKey{"PCMCIA\\INTERSIL-PRISM",
                                {DeviceInstance{"1", 0x00000001}, DeviceInstance{"2", {}}}}};
    config.adapters.push_back(isa);
    return config;
}

TEST(VirtualRegistry, NetworkClassKeyFollowsTheOperatingSystem) {
    const struct {
        OsFamily family;
        std::uint32_t major;
        const char* path;
    } cases[] = {
        {OsFamily::Windows95, 4, "System\\CurrentControlSet\\Services\\Class\\Net"},
        {OsFamily::Nt, 4, "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards"},
        {OsFamily::Nt, 5,
         "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}"},
    };
    for (const auto& c : cases) {
        SimulatedBench bench(twoAdapters(c.family, c.major));
        card::Registry& registry = bench.registry();
        const auto key = registry.openKey(card::kLocalMachine, c.path);
        ASSERT_TRUE(key) << c.path;
        EXPECT_EQ(subkeys(registry, *key), (std::vector<std::string>{"0000", "0001"}));
        const auto adapter = registry.openKey(*key, "0001");
        ASSERT_TRUE(adapter);
        EXPECT_EQ(text(registry, *adapter, "matchingdeviceid"), "PCMCIA\\INTERSIL-PRISM");
        registry.closeKey(*adapter);
        registry.closeKey(*key);
        EXPECT_EQ(bench.virtualRegistry().openKeyCount(), 0u);
    }
}

TEST(VirtualRegistry, DeviceKeysSitUnderTheHardwareProfileOfTheFamily) {
    const std::string ntEnum =
        "system\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Enum";
    const struct {
        OsFamily family;
        card::RegistryKey root;
        std::string enumPath;
    } cases[] = {
        {OsFamily::Windows95, card::kCurrentConfig, "Enum"},
        {OsFamily::Nt, card::kLocalMachine, ntEnum},
    };
    for (const auto& c : cases) {
        SimulatedBench bench(twoAdapters(c.family, 5));
        card::Registry& registry = bench.registry();
        const auto pci = registry.openKey(c.root, c.enumPath + "\\pci");
        ASSERT_TRUE(pci);
        EXPECT_EQ(subkeys(registry, *pci),
                  (std::vector<std::string>{"VEN_1260&DEV_3873&SUBSYS_37001260&REV_01"}));
        const auto device =
            registry.openKey(*pci, "ven_1260&dev_3873&subsys_37001260&rev_01\\3&61AAA01&0&58");
        ASSERT_TRUE(device);
        std::vector<std::uint8_t> flags(200);
        std::size_t size = 0;
        ASSERT_TRUE(registry.queryValue(*device, "CSConfigFlags", flags, size));
        EXPECT_EQ(size, 4u);
        EXPECT_EQ(flags[0], 0);

        const auto isa = registry.openKey(c.root, c.enumPath + "\\PCMCIA\\INTERSIL-PRISM");
        ASSERT_TRUE(isa);
        EXPECT_EQ(subkeys(registry, *isa), (std::vector<std::string>{"1", "2"}));
        const auto first = registry.openKey(*isa, "1");
        const auto second = registry.openKey(*isa, "2");
        ASSERT_TRUE(first && second);
        ASSERT_TRUE(registry.queryValue(*first, "CSConfigFlags", flags, size));
        EXPECT_EQ(flags[0], 1);
        EXPECT_FALSE(registry.queryValue(*second, "CSConfigFlags", flags, size));
    }
}

TEST(VirtualRegistry, NamesAndValuesMustFitTheirBuffers) {
    BenchConfig config = defaultBenchConfig();
    config.adapters[0].subkey = "0123456789ABCDEF";  // 16 characters
    SimulatedBench bench(config);
    card::Registry& registry = bench.registry();
    const auto key = registry.openKey(
        card::kLocalMachine,
        "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}");
    ASSERT_TRUE(key);
    EXPECT_TRUE(subkeys(registry, *key, 16).empty());
    EXPECT_EQ(subkeys(registry, *key, 17).size(), 1u);

    const auto adapter = registry.openKey(*key, "0123456789abcdef");
    ASSERT_TRUE(adapter);
    std::vector<std::uint8_t> small(5);
    std::size_t size = 0;
    EXPECT_FALSE(registry.queryValue(*adapter, "MatchingDeviceId", small, size));
    EXPECT_EQ(size, std::string("pci\\ven_1260&dev_3873").size() + 1);
    EXPECT_FALSE(registry.openKey(*adapter, "missing"));
    registry.closeKey(*adapter);
    EXPECT_FALSE(registry.enumKey(*adapter, 0, std::span<char>()));
}

TEST(VirtualRegistry, MissingMatchingDeviceIdLeavesTheValueOut) {
    BenchConfig config = defaultBenchConfig();
    config.adapters[0].matchingDeviceId.reset();
    SimulatedBench bench(config);
    const auto key = bench.registry().openKey(
        card::kLocalMachine,
        "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0000");
    ASSERT_TRUE(key);
    EXPECT_FALSE(text(bench.registry(), *key, "MatchingDeviceId"));
}

TEST(SimulatedLibrary, DescribesAdaptersAndOpensThemByTheirFamilysName) {
    BenchConfig config = defaultBenchConfig();
    config.adapters[0].deviceName = std::string(100, 'D');
    config.adapters.push_back(config.adapters[0]);
    config.adapters[1].subkey = "0001";
    config.adapters[1].describable = false;
    config.adapters[1].deviceName = "other";
    SimulatedBench bench(config);
    card::AccessLibrary& library = bench.library();

    card::AdapterRegistryInfo info;
    ASSERT_EQ(library.W32N_GetAdapterRegistryInfo(info, "0000"), 0u);
    EXPECT_EQ(std::string(info.bytes.data()), config.adapters[0].displayName);
    EXPECT_EQ(std::string(info.bytes.data() + 520), std::string(100, 'D'));
    EXPECT_NE(library.W32N_GetAdapterRegistryInfo(info, "0001"), 0u);
    EXPECT_NE(library.W32N_GetAdapterRegistryInfo(info, "0002"), 0u);

    // NT: "\Device\" and the device name, cut to 80 characters.
    const std::string cut = ("\\Device\\" + std::string(100, 'D')).substr(0, 80);
    const card::AdapterHandle handle = library.W32N_OpenAdapterA(cut);
    ASSERT_NE(handle, card::kInvalidAdapterHandle);
    EXPECT_EQ(bench.simulatedLibrary().adapterOf(handle), 0u);
    EXPECT_NE(library.W32N_OpenAdapterA("\\DEVICE\\OTHER"), card::kInvalidAdapterHandle);
    EXPECT_TRUE(library.W32N_IsWindowsNT());
    EXPECT_FALSE(library.W32N_IsWindows95());
    EXPECT_EQ(library.W32N_OSGetPlatformVersion(2), 5u);

    config.osFamily = OsFamily::Windows95;
    SimulatedBench win95(config);
    EXPECT_NE(win95.library().W32N_OpenAdapterA("0001"), card::kInvalidAdapterHandle);
    EXPECT_EQ(win95.library().W32N_OpenAdapterA(cut), card::kInvalidAdapterHandle);
    EXPECT_TRUE(win95.library().W32N_IsWindows95());
}

}  // namespace
}  // namespace quillon::sim
