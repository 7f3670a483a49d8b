// The saved state of one simulated card, beside bench.json as "card-<position>.state".
//
// The file is a journal: the magic "QSIMCRD1", then records, each a kind byte, a 32-bit
// payload length, the payload and a CRC-32 over the three. Every change to the card (a flash
// write, the RAM copy of the PDA set, a reset) is appended as one record with one write call
// as it happens, without waiting for the disk: a killed process has handed every finished
// change to the system, and a record cut short by the kill fails its CRC and is dropped when
// the card is loaded again, as a block whose programming was cut off would be.
//
// Loading replays the records over the card that bench.json describes. A journal that has
// grown large is compacted at load into a snapshot (the card's flash pages, the RAM copy and
// the reported versions), written to a temporary file and renamed over the journal.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "sim/simulated_card.h"

namespace quillon::sim {

// What a replay found.
struct CardStateReplay {
    bool valid = false;            // the magic was there (or the file was empty)
    std::size_t validLength = 0;   // bytes up to the end of the last whole record
    std::size_t records = 0;       // records applied
    std::size_t journalBytes = 0;  // bytes of records after the last snapshot
};

// Applies the records of a state file's content to the card; stops at the first record that
// is cut short or fails its CRC.
CardStateReplay replayCardState(std::string_view content, SimulatedCard& card);

// The content of a compacted state file for the card as it stands.
std::string cardStateSnapshot(const SimulatedCard& card);

class CardStateFile : public CardStateLog {
  public:
    // Journals beyond this many bytes after their snapshot are compacted at load.
    static constexpr std::size_t kCompactAbove = 1 << 20;

    // Loads the saved state at path (none is fine) into the card and makes the file ready for
    // appending. Null with error naming the file when it cannot be read or is no state file.
    static std::unique_ptr<CardStateFile> open(const std::string& path,
                                               const std::string& displayName, SimulatedCard& card,
                                               std::string& error);
    ~CardStateFile() override;
    CardStateFile(const CardStateFile&) = delete;
    CardStateFile& operator=(const CardStateFile&) = delete;

    bool flashWritten(std::uint32_t storageAddress, std::span<const std::uint8_t> bytes) override;
    bool ramPdaSet(std::span<const std::uint16_t> words) override;
    bool cardReset() override;

  private:
    explicit CardStateFile(std::string path) : path_(std::move(path)) {}
    bool append(std::uint8_t kind, std::span<const std::uint8_t> payload);

    std::string path_;
    int fd_ = -1;
};

}  // namespace quillon::sim
