// The production data area (PDA) in memory: production data records (PDRs) in strictly
// ascending order of their 16-bit codes, with the checksums needed to validate data read from
// a card and to build a fresh end record when the list is written back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace quillon::pda {

// The card stores at most 512 words of PDA; the records may take 511 of them, and the
// flattened form adds the three words of the end record.
inline constexpr std::size_t kPdaWordLimit = 512;
inline constexpr std::size_t kFlatPdaWords = 514;

// Record codes that several parts of the program use.
inline constexpr std::uint16_t kPdrEnd = 0x0000;
inline constexpr std::uint16_t kPdrPartNumber = 0x0001;
inline constexpr std::uint16_t kPdrVersionWord = 0x0002;
inline constexpr std::uint16_t kPdrSerialNumber = 0x0003;
inline constexpr std::uint16_t kPdrPlatform = 0x0008;
inline constexpr std::uint16_t kPdrMacAddress = 0x0101;
inline constexpr std::uint16_t kPdrRegulatoryDomain = 0x0103;
inline constexpr std::uint16_t kPdrSetPoint = 0x0300;
inline constexpr std::uint16_t kPdrIntegrator = 0x0301;
inline constexpr std::uint16_t kPdrSetPointSource = 0x0900;
inline constexpr std::uint16_t kPdrIntegratorSource = 0x0901;

// CRC-16/ARC (polynomial 0x8005 reflected, initial 0, no final xor), continued from crc.
std::uint16_t crc16Arc(std::uint16_t crc, std::span<const std::uint8_t> bytes);
// The same over 16-bit words taken low byte first.
std::uint16_t crc16ArcWords(std::uint16_t crc, std::span<const std::uint16_t> words);

// One record: its length word, its code word and length - 1 data words.
class PdrRecord {
  public:
    explicit PdrRecord(std::vector<std::uint16_t> words) : words_(std::move(words)) {}

    std::uint16_t length() const { return words_.empty() ? 0 : words_[0]; }
    std::uint16_t code() const { return words_.size() > 1 ? words_[1] : 0; }
    // length - 1 data words (none for a record of length 1 or 0).
    std::span<const std::uint16_t> data() const;
    // All length + 1 words, length word first.
    std::span<const std::uint16_t> words() const { return words_; }

  private:
    std::vector<std::uint16_t> words_;
};

class PdaImage {
  public:
    // Empties the list; what it then holds did not come from a card.
    void clear();
    bool isEmpty() const { return records_.empty(); }

    // Whether the records are the card's own, read with a valid checksum (files merged into
    // them since included). A PDA that was not read must never be written back: the card's
    // production data exists nowhere else.
    bool readFromCard() const { return readFromCard_; }
    void setReadFromCard(bool read) { readFromCard_ = read; }

    // The number of words the records and a fresh end record take on the card.
    std::size_t flatSize() const;
    // Whether the card can hold the list: the card keeps and reads back 512 words of PDA.
    bool fitsOnCard() const { return flatSize() <= kPdaWordLimit; }

    // Takes a run that begins with a length word and holds length + 1 words. An end record
    // (2, 0x0000, checksum) sets the stored checksum only; any other run is stored as one
    // record in code order (replacing a record of the same code) and folded into the running
    // checksum. A run of length 0 (a lone zero word, with no code) is not kept, but its word
    // is folded into the running checksum as a kept record's would be, so that data holding
    // one still validates. False, with nothing changed, when the run is empty, shorter than
    // its length word says, or a deletion item (length 1), which is never a record.
    bool insertRecord(std::span<const std::uint16_t> words);
    bool removeRecord(std::uint16_t code);

    // Applies a run of words item by item (records, deletion items, the end record, which
    // stops the walk); returns the number of items applied, the end record included. Merges
    // into what the list holds. The walk ends at the first item that would run past the end
    // of the run. A length-0 item is folded into the running checksum but not counted.
    int parseWords(std::span<const std::uint16_t> words);

    const PdrRecord* findRecord(std::uint16_t code) const;
    // The smallest code above the given one, or 0 when there is none.
    std::uint16_t nextCodeAfter(std::uint16_t code) const;

    std::uint16_t storedChecksum() const { return storedChecksum_; }
    std::uint16_t runningChecksum() const { return runningChecksum_; }
    // The running checksum continued over the end record's words 0x0002, 0x0000. Data that
    // was read is valid when this equals the stored checksum.
    std::uint16_t loadedChecksum() const;
    // The checksum of the list as it stands, as a fresh end record would carry it.
    std::uint16_t listChecksum() const;

    // Writes the records and a fresh end record into out; returns the number of words, or 0
    // (logging the overflow) when the records take 512 words or more.
    std::size_t flatten(std::array<std::uint16_t, kFlatPdaWords>& out) const;

    const std::vector<PdrRecord>& records() const { return records_; }

  private:
    std::vector<PdrRecord> records_;
    std::uint16_t storedChecksum_ = 0;
    std::uint16_t runningChecksum_ = 0;
    bool readFromCard_ = false;
};

}  // namespace quillon::pda
