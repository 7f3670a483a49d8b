// The saved state of one simulated card, beside bench.json as "card-<position>.state".
//
// The file is a journal: the magic "QSIMCRD2", then records, each a kind byte, a 32-bit
// payload length, the CRC-32 of those five bytes, the payload and a CRC-32 over all before.
// Every change to the card (a flash write, the RAM copy of the PDA set, a reset) is appended
// as one record with one write call as it happens, without waiting for the disk: a killed
// process has handed every finished change to the system, and a record cut short by the kill
// (its header checks, but the file ends before its end) is dropped when the card is loaded
// again, as a block whose programming was cut off would be.
//
// A whole record that fails a check was damaged after it was written: the journal is then
// refused as it is, with the offset of that record, and only repairCardStateFile, on the
// person's word, cuts it there.
//
// Loading replays the records over the card that bench.json describes. A journal that has
// grown large is compacted at load into a snapshot (the card's flash pages, the RAM copy and
// the reported versions), written to a temporary file and renamed over the journal; so is a
// journal of the first form ("QSIMCRD1", records without the header's CRC).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sim/simulated_card.h"

namespace quillon::sim {

// What a replay found.
struct CardStateReplay {
    bool valid = false;            // the magic was there (or the file was empty)
    int version = 0;               // the form of the file: 1 or 2; 0 when empty
    std::size_t validLength = 0;   // bytes up to the end of the last whole record
    std::size_t records = 0;       // records applied
    std::size_t journalBytes = 0;  // bytes of records after the last snapshot
    // The offset of the first record that is whole but fails a check (or that holds what no
    // record of its kind holds): the file was damaged there.
    std::optional<std::size_t> damagedAt;
};

// Applies the records of a state file's content to the card; stops at the first record that
// is cut short or damaged.
CardStateReplay replayCardState(std::string_view content, SimulatedCard& card);
// The same walk without a card: what a replay would find.
CardStateReplay checkCardState(std::string_view content);

// What repairCardStateFile did to a damaged file.
struct CardStateRepair {
    std::size_t damagedAt = 0;  // where the file was cut
    std::size_t dropped = 0;    // the bytes dropped from there on
    std::string copy;           // the path of the copy of the whole damaged file
};

// Cuts a damaged state file at its first damaged record, after saving the whole file beside
// it as "<path>.damaged" (or "<path>.damaged-2", ...). None when the file is whole (or
// missing); error is set when it cannot be read, is no state file, or cannot be written.
std::optional<CardStateRepair> repairCardStateFile(const std::string& path, std::string& error);

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
