// The program's one connection to a WLAN card: the open adapter, the overlapped record every
// request carries, and the card's MAC type with the card addresses that follow from it.
//
// Every request travels through W32N_MakeNdisRequest as an NDIS query or set; most use the
// driver's private OIDs. Requests complete before the call returns. The adapter is held open
// only while a command runs; the MAC type and addresses survive closing and re-opening.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "card/access_library.h"
#include "card/registry.h"
#include "ui/user_interface.h"

namespace quillon::card {

// The driver's private OIDs and the two public NDIS OIDs the program sends.
inline constexpr std::uint32_t OID_PRIV_READ_RID = 0xFF010181;
inline constexpr std::uint32_t OID_PRIV_PROBE = 0xFF010183;
inline constexpr std::uint32_t OID_PRIV_ENABLE_AUX = 0xFF010184;
inline constexpr std::uint32_t OID_PRIV_AUX_READ = 0xFF010186;
inline constexpr std::uint32_t OID_PRIV_BLOCK_PROTOCOLS = 0xFF010187;
inline constexpr std::uint32_t OID_PRIV_UNBLOCK_PROTOCOLS = 0xFF010188;
inline constexpr std::uint32_t OID_PRIV_SETUP_WRITE = 0xFF01018B;
inline constexpr std::uint32_t OID_PRIV_AUX_WRITE = 0xFF01018C;
inline constexpr std::uint32_t OID_PRIV_FINISH = 0xFF020198;
inline constexpr std::uint32_t OID_802_3_PERMANENT_ADDRESS = 0x01010101;
inline constexpr std::uint32_t OID_GEN_VENDOR_DRIVER_VERSION = 0x00010116;

// MAC types as the card reports them in RID 0xFD04.
inline constexpr std::uint16_t kMacTypeNone = 0;  // not determined yet
inline constexpr std::uint16_t kMacType3841 = 1;
inline constexpr std::uint16_t kMacType3842 = 2;
inline constexpr std::uint16_t kMacTypeUnknown = 0xFFFF;

// Bit 31 of an aux-read address selects the card's NVRAM copy.
inline constexpr std::uint32_t kNvramBit = 0x80000000;
// A 3841 MAC ignores address bits 17 and 18; reads are sent with them cleared.
inline constexpr std::uint32_t k3841ReadMask = 0xFFF9FFFF;

// A RID read: length word (counting the code word and the data words; 0 means no record), RID
// code, up to 250 data words. The driver fills it in place: 504 bytes on the wire.
struct RidRecord {
    static constexpr std::size_t kWireSize = 504;
    static constexpr std::size_t kMaxDataWords = 250;

    std::uint16_t length = 0;
    std::uint16_t code = 0;
    std::array<std::uint16_t, kMaxDataWords> data{};

    // The data words the length word claims, bounded by the buffer: a driver that reports a
    // longer record than fits is not believed past the buffer's end.
    std::size_t dataWordCount() const {
        return length == 0 ? 0 : std::min<std::size_t>(length - 1u, kMaxDataWords);
    }
    // Data word i, or 0 when i lies beyond the buffer.
    std::uint16_t word(std::size_t i) const { return i < kMaxDataWords ? data[i] : 0; }
};

// One aux-port transfer: card address (on reads bit 31 selects the NVRAM copy), length in
// bytes (at most 2042) and data. A request carries the 6-byte header and the used data only.
struct AuxBlock {
    static constexpr std::size_t kMaxData = 2042;
    static constexpr std::size_t kHeaderSize = 6;

    std::uint32_t address = 0;
    std::uint16_t length = 0;
    std::array<std::uint8_t, kMaxData> data{};
};

class AdapterSession {
  public:
    AdapterSession(AccessLibrary& library, Registry& registry, ui::UserInterface& ui);
    // Closes the adapter when it is open.
    ~AdapterSession();
    AdapterSession(const AdapterSession&) = delete;
    AdapterSession& operator=(const AdapterSession&) = delete;

    // Opens the adapter at index (its position in the network class key) and enables its aux
    // port; succeeds at once, sending nothing, when an adapter is open already. An adapter
    // whose driver refuses the aux port is not a PRISM card and is closed again.
    bool openAdapter(std::uint32_t index);
    // Does nothing when closed.
    void closeAdapter();
    bool isOpen() const { return handle_ != kInvalidAdapterHandle; }

    // Every request fails at once, sending nothing, while the adapter is closed.

    // Succeeds when the driver answered with a record (length word not 0).
    bool readRid(RidRecord& record, std::uint16_t rid);
    // The caller sets the buffer's first word to 0; the reply is not examined. A driver that
    // does not know the probe gets a warning box, and the probe fails.
    bool probeDriver(std::array<std::uint8_t, 8>& buffer);
    bool enableAux();
    // Reads block.length bytes (cut to 2042) at block.address; afterwards block.length holds
    // the number of bytes the driver returned (never more than asked).
    bool auxRead(AuxBlock& block);
    // Fails, sending nothing, for a block longer than 2042 bytes.
    bool auxWrite(const AuxBlock& block);
    bool setProtocolBlock(bool block);
    // Readies the card's flash for aux writes; pauses 5 ms for the card to settle.
    bool setupWrite();
    // Resets the card: it reloads its PDA and reports the versions of the firmware now held.
    bool finish();
    bool readPermanentAddress(std::array<std::uint8_t, 6>& address);
    // The driver's version, or 0 when the query fails.
    std::uint32_t getDriverVersion();
    // The driver's version; false when the driver does not answer (a value of 0 is no answer).
    bool readDriverVersion(std::uint32_t& version);

    // Before a programming run.
    void resetEvent();

    std::uint16_t macType() const { return macType_; }
    std::uint32_t cisAddress() const { return cisAddress_; }
    std::uint32_t pdaAddress() const { return pdaAddress_; }
    std::uint32_t imageBase() const { return imageBase_; }
    // Where the card keeps the data sent to address: bit 31 only picks the copy a read
    // returns, and a 3841 ignores bits 17 and 18, so several addresses reach one place.
    std::uint32_t decodedAddress(std::uint32_t address) const {
        address &= ~kNvramBit;
        return macType_ == kMacType3841 ? (address & k3841ReadMask) : address;
    }
    // Takes the MAC type the card reported and the card addresses that follow from it; any
    // type other than 1 or 2 becomes 0xFFFF with all addresses 0.
    void setMacType(std::uint16_t reported);

  private:
    std::uint32_t request(RequestType type, std::uint32_t oid, std::span<std::uint8_t> buffer);

    AccessLibrary& library_;
    Registry& registry_;
    ui::UserInterface& ui_;
    AdapterHandle handle_ = kInvalidAdapterHandle;
    Overlapped overlapped_{};
    std::uint16_t macType_ = kMacTypeNone;
    std::uint32_t cisAddress_ = 0;
    std::uint32_t pdaAddress_ = 0;
    std::uint32_t imageBase_ = 0;
};

// The start-up check: opens a name no adapter has and tells the user when the library or its
// driver could not be loaded. Always true.
bool checkAccessLibrary(AccessLibrary& library, ui::UserInterface& ui);

}  // namespace quillon::card
