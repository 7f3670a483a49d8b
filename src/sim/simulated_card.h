// A simulated PRISM card: its flash, the two copies of its production data area (PDA), the
// RIDs it reports and the rules its driver follows when answering requests.
//
// The PDA lives in flash at pdaAddress (the NVRAM copy, which aux writes change and reads
// with address bit 31 return); the card also keeps a RAM copy, which plain reads return and
// which a reset (OID_PRIV_FINISH) reloads from NVRAM. At reset the card also learns its
// firmware versions from the identity blocks now in flash. A 3841 card (MAC type 1) ignores
// address bits 17 and 18, so it stores and reads every address with them cleared.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "card/access_library.h"
#include "sim/bench_config.h"
#include "sim/sparse_flash.h"

namespace quillon::sim {

inline constexpr std::uint32_t kNvramBit = 0x80000000;
inline constexpr std::uint32_t k3841AddressMask = 0xFFF9FFFF;
inline constexpr std::size_t kMaxAuxLength = 2042;
inline constexpr std::size_t kAuxHeaderSize = 6;
inline constexpr std::size_t kRidBufferSize = 504;

// Where each change to a card goes to be saved. A change the log refuses is not made, so the
// card in memory never runs ahead of what was saved.
class CardStateLog {
  public:
    virtual ~CardStateLog() = default;
    virtual bool flashWritten(std::uint32_t storageAddress,
                              std::span<const std::uint8_t> bytes) = 0;
    virtual bool ramPdaSet(std::span<const std::uint16_t> words) = 0;
    virtual bool cardReset() = 0;
};

// What one open adapter handle has done since it was opened: aux writes are taken only once
// protocols are blocked, the aux port is enabled and the setup write was made.
struct CardSessionState {
    bool protocolsBlocked = false;
    bool auxEnabled = false;
    bool setupWritten = false;
};

class SimulatedCard {
  public:
    // No config: a card of another chipset, whose driver knows none of the private requests.
    explicit SimulatedCard(const std::optional<CardConfig>& config);

    bool isPrism() const { return prism_; }
    const CardConfig& config() const { return config_; }

    std::uint16_t macType() const { return config_.macType; }
    void setMacType(std::uint16_t macType) { config_.macType = macType; }
    // The card addresses of its MAC type (the 3842 layout for an unknown type).
    std::uint32_t pdaAddress() const;
    std::uint32_t imageBase() const;
    std::uint32_t setupWriteAddress() const;
    // Where the card keeps a card address: bit 31 dropped, and bits 17 and 18 on a 3841.
    std::uint32_t storageAddress(std::uint32_t cardAddress) const;

    // Flash as the card holds it (NVRAM; the RAM copy of the PDA is not overlaid).
    std::vector<std::uint8_t> readFlash(std::uint32_t address, std::size_t length) const;
    void writeFlash(std::uint32_t address, std::span<const std::uint8_t> bytes);
    // What an aux read at this address returns: with bit 31 the NVRAM, else the RAM copy of
    // the PDA where it overlaps the PDA area and flash elsewhere. No faults applied.
    std::vector<std::uint8_t> readAux(std::uint32_t address, std::size_t length) const;

    // 512 words of the PDA copy; fewer words given are padded with 0xFFFF, more are cut.
    std::vector<std::uint16_t> pdaWords(bool nvram) const;
    void setPdaWords(std::span<const std::uint16_t> words, bool nvram);

    // What OID_PRIV_FINISH does: RAM PDA from NVRAM, versions from the identity blocks.
    void reset();

    // The RIDs as the card reports them now; tests may change them. Reset changes the primary
    // and station identities and the primary supplier range.
    CardRids& rids() { return rids_; }
    const CardRids& rids() const { return rids_; }
    // The whole reply to a RID read (length word first; {0, rid} when there is no record), or
    // none when the RID is unreadable.
    std::optional<std::vector<std::uint16_t>> ridReply(std::uint16_t rid) const;

    FaultConfig& faults() { return config_.faults; }
    const FaultConfig& faults() const { return config_.faults; }
    void setDriverVersion(std::uint32_t version, bool answers = true);
    void setKnowsProbeOid(bool knows) { config_.knowsProbeOid = knows; }

    // Answers one request of an open adapter and returns the NDIS status.
    std::uint32_t answer(card::AdapterRequest& request, CardSessionState& session);

    // Saving: every later change goes to the log first. Null stops saving.
    void setStateLog(CardStateLog* log) { log_ = log; }
    // Restoring saved state: these change the card without saving the change again.
    void restoreFlash(std::uint32_t storageAddress, std::span<const std::uint8_t> bytes);
    void restoreRamPda(std::span<const std::uint16_t> words);
    void restoreReset();
    void restoreIdentities(std::optional<RidIdentity> primary, std::optional<RidIdentity> station,
                           std::optional<RidRange> primarySupplier);

    const SparseFlash& flash() const { return flash_; }
    const std::array<std::uint16_t, 512>& ramPda() const { return ramPda_; }

  private:
    std::uint32_t answerPrivate(card::AdapterRequest& request, CardSessionState& session);
    std::uint32_t readRid(card::AdapterRequest& request);
    std::uint32_t auxRead(card::AdapterRequest& request, const CardSessionState& session);
    std::uint32_t auxWrite(card::AdapterRequest& request, const CardSessionState& session);
    std::uint32_t setupWrite(card::AdapterRequest& request, CardSessionState& session);
    std::uint32_t finish(CardSessionState& session);
    std::optional<std::uint32_t> injectedFault(std::uint32_t oid);
    bool flakyRead();

    bool prism_;
    CardConfig config_;
    CardRids rids_;
    SparseFlash flash_;
    std::array<std::uint16_t, 512> ramPda_{};
    CardStateLog* log_ = nullptr;
};

}  // namespace quillon::sim
