#include "card/adapter_session.h"

#include <cstdio>
#include <string>

#include "card/adapter_discovery.h"
#include "ui/message.h"

namespace quillon::card {
namespace {

constexpr std::uint32_t kSetupAddress3842 = 0x007FDE66;
constexpr std::uint32_t kSetupAddress3841 = 0x001FEE66;
constexpr std::uint8_t kSetupData[2] = {0x00, 0xE1};
// The card needs a moment after the setup write before it takes aux writes.
constexpr std::uint32_t kSetupPauseMs = 5;
// Preset in a read buffer so that a driver that returns nothing leaves a recognisable pattern.
constexpr std::uint8_t kReadFill[2] = {0xDE, 0xAD};
constexpr std::string_view kCheckName = "Check for VXD...";

void putWord(std::uint8_t* out, std::uint16_t value) {
    out[0] = static_cast<std::uint8_t>(value & 0xFF);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

void putLong(std::uint8_t* out, std::uint32_t value) {
    putWord(out, static_cast<std::uint16_t>(value & 0xFFFF));
    putWord(out + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint16_t getWord(const std::uint8_t* in) {
    return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}

std::uint32_t getLong(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(getWord(in)) |
           (static_cast<std::uint32_t>(getWord(in + 2)) << 16);
}

// The wire form of an aux block: header, then the used data.
using AuxWire = std::array<std::uint8_t, AuxBlock::kHeaderSize + AuxBlock::kMaxData>;

std::span<std::uint8_t> packAux(AuxWire& wire, std::uint32_t address, std::uint16_t length,
                                std::span<const std::uint8_t> data) {
    putLong(wire.data(), address);
    putWord(wire.data() + 4, length);
    std::copy(data.begin(), data.begin() + length, wire.begin() + AuxBlock::kHeaderSize);
    return std::span<std::uint8_t>(wire.data(), AuxBlock::kHeaderSize + length);
}

}  // namespace

AdapterSession::AdapterSession(AccessLibrary& library, Registry& registry, ui::UserInterface& ui)
    : library_(library), registry_(registry), ui_(ui) {}

AdapterSession::~AdapterSession() {
    closeAdapter();
}

bool AdapterSession::openAdapter(std::uint32_t index) {
    if (isOpen()) {
        return true;
    }
    const auto name = resolveAdapterName(library_, registry_, index);
    if (!name) {
        return false;
    }
    const AdapterHandle handle = library_.W32N_OpenAdapterA(*name);
    if (handle == kInvalidAdapterHandle) {
        library_.W32N_GetLastError();
        return false;
    }
    handle_ = handle;
    overlapped_ = Overlapped{};
    overlapped_.event = library_.createEvent();
    if (overlapped_.event == 0) {
        library_.W32N_CloseAdapter(handle_);
        handle_ = kInvalidAdapterHandle;
        ui::tellOwnerless(ui_, "Could not create Overlapped Event. Unable to access card.",
                          "Error");
        return false;
    }
    if (!enableAux()) {
        closeAdapter();
        return false;
    }
    return true;
}

void AdapterSession::closeAdapter() {
    if (!isOpen()) {
        return;
    }
    library_.W32N_CloseAdapter(handle_);
    handle_ = kInvalidAdapterHandle;
    // Each open makes a fresh event; the old one is of no further use.
    if (overlapped_.event != 0) {
        library_.closeEvent(overlapped_.event);
        overlapped_.event = 0;
    }
}

std::uint32_t AdapterSession::request(RequestType type, std::uint32_t oid,
                                      std::span<std::uint8_t> buffer) {
    AdapterRequest r;
    r.requestType = type;
    r.oid = oid;
    r.buffer = buffer.empty() ? nullptr : buffer.data();
    r.bufferLength = static_cast<std::uint32_t>(buffer.size());
    r.bytesDone = 0;
    r.bytesNeeded = 0;
    return library_.W32N_MakeNdisRequest(handle_, r, overlapped_, 1);
}

bool AdapterSession::readRid(RidRecord& record, std::uint16_t rid) {
    if (!isOpen()) {
        return false;
    }
    std::array<std::uint8_t, RidRecord::kWireSize> wire{};
    putWord(wire.data(), 0);
    putWord(wire.data() + 2, rid);
    const std::uint32_t status = request(kQueryInformation, OID_PRIV_READ_RID, wire);
    record.length = getWord(wire.data());
    record.code = getWord(wire.data() + 2);
    for (std::size_t i = 0; i < RidRecord::kMaxDataWords; ++i) {
        record.data[i] = getWord(wire.data() + 4 + 2 * i);
    }
    return status == kNdisStatusSuccess && record.length != 0;
}

bool AdapterSession::probeDriver(std::array<std::uint8_t, 8>& buffer) {
    if (!isOpen()) {
        return false;
    }
    const std::uint32_t status = request(kQueryInformation, OID_PRIV_PROBE, buffer);
    if (status == kNdisStatusInvalidOid) {
        ui::tellOwnerless(
            ui_,
            "Your current WLAN driver does not support this version of Quillonex. You may need "
            "to upgrade the driver.",
            "Incompatible Driver Error", ui::Icon::Warning);
        return false;
    }
    return status == kNdisStatusSuccess;
}

bool AdapterSession::enableAux() {
    if (!isOpen()) {
        return false;
    }
    return request(kSetInformation, OID_PRIV_ENABLE_AUX, {}) == kNdisStatusSuccess;
}

bool AdapterSession::auxRead(AuxBlock& block) {
    if (!isOpen()) {
        return false;
    }
    const std::uint32_t address =
        macType_ == kMacType3841 ? (block.address & k3841ReadMask) : block.address;
    enableAux();
    if (block.length > AuxBlock::kMaxData) {
        block.length = static_cast<std::uint16_t>(AuxBlock::kMaxData);
    }
    const std::uint16_t asked = block.length;
    block.data[0] = kReadFill[0];
    block.data[1] = kReadFill[1];

    AuxWire wire;
    const auto buffer = packAux(wire, address, asked, block.data);
    const std::uint32_t status = request(kQueryInformation, OID_PRIV_AUX_READ, buffer);
    // The reply is trusted only within the buffer that was offered: the length it reports
    // never grows past what was asked, and the address stays the caller's.
    const std::uint16_t returned = getWord(wire.data() + 4);
    block.length = std::min(returned, asked);
    std::copy(wire.begin() + AuxBlock::kHeaderSize, wire.begin() + AuxBlock::kHeaderSize + asked,
              block.data.begin());
    return status == kNdisStatusSuccess;
}

bool AdapterSession::auxWrite(const AuxBlock& block) {
    if (!isOpen() || block.length > AuxBlock::kMaxData) {
        return false;
    }
    AuxWire wire;
    const auto buffer = packAux(wire, block.address, block.length, block.data);
    return request(kSetInformation, OID_PRIV_AUX_WRITE, buffer) == kNdisStatusSuccess;
}

bool AdapterSession::setProtocolBlock(bool block) {
    if (!isOpen()) {
        return false;
    }
    const std::uint32_t oid = block ? OID_PRIV_BLOCK_PROTOCOLS : OID_PRIV_UNBLOCK_PROTOCOLS;
    return request(kSetInformation, oid, {}) == kNdisStatusSuccess;
}

bool AdapterSession::setupWrite() {
    if (!isOpen()) {
        return false;
    }
    enableAux();
    const AuxBlock empty;
    auxWrite(empty);
    std::array<std::uint8_t, 8> wire{};
    putLong(wire.data(), macType_ == kMacType3841 ? kSetupAddress3841 : kSetupAddress3842);
    putWord(wire.data() + 4, 2);
    wire[6] = kSetupData[0];
    wire[7] = kSetupData[1];
    const std::uint32_t status = request(kSetInformation, OID_PRIV_SETUP_WRITE, wire);
    library_.sleepMilliseconds(kSetupPauseMs);
    return status == kNdisStatusSuccess;
}

bool AdapterSession::finish() {
    if (!isOpen()) {
        return false;
    }
    return request(kSetInformation, OID_PRIV_FINISH, {}) == kNdisStatusSuccess;
}

bool AdapterSession::readPermanentAddress(std::array<std::uint8_t, 6>& address) {
    if (!isOpen()) {
        return false;
    }
    return request(kQueryInformation, OID_802_3_PERMANENT_ADDRESS, address) == kNdisStatusSuccess;
}

std::uint32_t AdapterSession::getDriverVersion() {
    std::uint32_t version = 0;
    readDriverVersion(version);
    return version;
}

bool AdapterSession::readDriverVersion(std::uint32_t& version) {
    version = 0;
    if (!isOpen()) {
        return false;
    }
    std::array<std::uint8_t, 4> wire{};
    if (request(kQueryInformation, OID_GEN_VENDOR_DRIVER_VERSION, wire) != kNdisStatusSuccess) {
        return false;
    }
    version = getLong(wire.data());
    return true;
}

void AdapterSession::resetEvent() {
    if (overlapped_.event != 0) {
        library_.resetEvent(overlapped_.event);
    }
}

void AdapterSession::setMacType(std::uint16_t reported) {
    switch (reported) {
        case kMacType3841:
            macType_ = kMacType3841;
            cisAddress_ = 0x003EFE00;
            pdaAddress_ = 0x003F0000;
            imageBase_ = 0x003E0000;
            break;
        case kMacType3842:
            macType_ = kMacType3842;
            cisAddress_ = 0x007EFE00;
            pdaAddress_ = 0x007F0000;
            imageBase_ = 0x007E0000;
            break;
        default:
            macType_ = kMacTypeUnknown;
            cisAddress_ = 0;
            pdaAddress_ = 0;
            imageBase_ = 0;
            break;
    }
}

bool checkAccessLibrary(AccessLibrary& library, ui::UserInterface& ui) {
    library.W32N_IsWindowsNT();
    // No adapter has this name: the open only shows whether the library and its driver load.
    const AdapterHandle handle = library.W32N_OpenAdapterA(kCheckName);
    const std::uint32_t code = library.W32N_GetLastError();
    if (handle != kInvalidAdapterHandle) {
        library.W32N_CloseAdapter(handle);
    }
    if (code == kErrorAccessDenied) {
        ui::tellOwnerless(
            ui,
            "The system reports that you have insufficient privileges to load the required "
            "driver. \r\n\r\n 1. You may need to log on as an administrator.\r\n\r\n 2. Ensure the "
            "system files are not being accessed from a network drive. (search for "
            "\"ISW32N50\" in the registry)",
            "Startup Error", ui::Icon::Error);
    } else if (code == kErrorFileNotFound) {
        ui::tellOwnerless(ui, "Error loading system files: File Not Found.", "Startup Error",
                          ui::Icon::Error);
    } else if ((code & 0xFF) == kErrorInvalidHandle) {
        // The library and its driver answered: all is well.
    } else {
        char text[32];
        std::snprintf(text, sizeof text, "W32N error code: %X", code);
        ui::tellOwnerless(ui, text, "Unable to load necessary system files.", ui::Icon::Error);
    }
    return true;
}

}  // namespace quillon::card
