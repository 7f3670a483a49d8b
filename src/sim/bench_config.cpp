#include "sim/bench_config.h"

#include "sim/identity_block.h"
#include "sim/pda_words.h"

namespace quillon::sim {

RequestFault RequestFault::nth(std::uint32_t oid, std::uint32_t n, std::uint32_t status) {
    return range(oid, n, n, status);
}

RequestFault RequestFault::every(std::uint32_t oid, std::uint32_t status) {
    return range(oid, 1, kNoEnd, status);
}

RequestFault RequestFault::range(std::uint32_t oid, std::uint32_t first, std::uint32_t last,
                                 std::uint32_t status) {
    RequestFault fault;
    fault.oid = oid;
    fault.first = first;
    fault.last = last;
    fault.status = status;
    return fault;
}

std::string pciDeviceKeyName(const std::string& matchingDeviceId) {
    return matchingDeviceId.size() > 4 ? matchingDeviceId.substr(4) : std::string();
}

namespace {

constexpr std::array<std::uint8_t, 6> kDefaultAddress{0x00, 0x02, 0xB3, 0x12, 0x34, 0x56};

FlashRun identityRun(std::uint32_t address, const IdentityBlock& block) {
    const auto bytes = encodeIdentityBlock(block);
    return FlashRun{address, {bytes.begin(), bytes.end()}};
}

CardConfig defaultCard() {
    CardConfig card;
    card.macType = 2;
    card.permanentAddress = kDefaultAddress;
    card.driverVersion = 0x00010203;
    card.answersDriverVersion = true;
    card.knowsProbeOid = true;

    card.rids.primary = RidIdentity{kPrimaryComponentId, 0, 1, 1};
    card.rids.station = RidIdentity{kStationComponentId, 4, 1, 7};
    card.rids.primarySupplier = RidRange{0, 3, 1, 1, 2};
    card.rids.modemSupplier = RidRange{0, 1, 1, 1, 1};
    card.rids.controllerSupplier = RidRange{0, 2, 1, 1, 1};
    card.rids.stationSupplier = RidRange{0, 4, 1, 1, 1};
    card.rids.modemActor = RidRange{1, 1, 1, 1, 1};
    card.rids.controllerActor = RidRange{1, 2, 1, 1, 1};
    card.rids.identText = "PRISM 3842 SIMULATED CARD";
    card.rids.fc01Data = std::vector<std::uint16_t>{0x0001};

    std::vector<std::uint16_t> setPointSource(30);
    std::vector<std::uint16_t> integratorSource(33);
    for (std::size_t i = 0; i < setPointSource.size(); ++i) {
        setPointSource[i] = static_cast<std::uint16_t>(0x0100 + i);
    }
    for (std::size_t i = 0; i < integratorSource.size(); ++i) {
        integratorSource[i] = static_cast<std::uint16_t>(0x0200 + i);
    }
    card.pdaRecords = {
        {0x0001, textWords("QN-3842-01", 6)},
        {0x0003, textWords("SIM0001", 6)},
        {0x0008, {0x8003, 0, 0, 0}},
        {0x0101, {0x0200, 0x12B3, 0x5634}},
        {0x0103, {0x0001, 0x0010, 0, 0, 0, 0}},
        {0x0900, setPointSource},
        {0x0901, integratorSource},
    };

    // The firmware the card runs says who it is in flash, as the sample images do.
    card.flash = {
        identityRun(0x007E0000 + kStationBlockOffset,
                    IdentityBlock{kStationComponentId, 4, 1, 7, 1, 3, 1, 1, 2}),
        identityRun(0x007E0000 + kPrimaryBlockOffset,
                    IdentityBlock{kPrimaryComponentId, 0, 1, 1, 0, 3, 1, 1, 2}),
    };
    return card;
}

}  // namespace

BenchConfig defaultBenchConfig() {
    BenchConfig config;
    config.osFamily = OsFamily::Nt;
    config.osMajorVersion = 5;
    config.unknownAdapterError = 6;
    config.createEventFails = false;
    // About 2 seconds for an update of the sample files (25 KiB in 20 blocks), so that the
    // progress can be followed; reads are cheap, programming flash is not.
    config.latency = LatencyModel{true, 200, 2000, 60000};

    AdapterConfig adapter;
    adapter.subkey = "0000";
    adapter.describable = true;
    adapter.displayName = "PRISM 802.11b Wireless LAN PCI Adapter (simulated)";
    adapter.deviceName = "{5C8A5E3D-2F1B-4C6E-9A0D-3B7E1F204A51}";
    adapter.matchingDeviceId = "pci\\ven_1260&dev_3873";
    adapter.pci = true;
    adapter.deviceKeys = {DeviceKey{"VEN_1260&DEV_3873&SUBSYS_37001260&REV_01",
                                    {DeviceInstance{"3&61AAA01&0&58", 0}}}};
    adapter.card = defaultCard();
    config.adapters.push_back(adapter);
    return config;
}

}  // namespace quillon::sim
