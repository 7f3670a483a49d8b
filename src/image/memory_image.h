// The bytes of one firmware image by target address, in the order in which they arrived.
//
// The image is a log of appended bytes cut into ranges of consecutive addresses: it is never
// sorted, merged or de-duplicated, because the order of arrival is the order in which data is
// written to files and to flash. Bytes live in fixed 2048-byte chunks so that loading never
// moves data already stored. Range n + 1 begins in the byte stream exactly where range n ends.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace quillon::image {

inline constexpr std::uint32_t kChunkSize = 2048;
// An append is refused once the image holds this many full chunks (204,800 bytes).
inline constexpr std::uint16_t kChunkLimit = 100;
inline constexpr std::uint16_t kChunkSlots = 256;
// Range numbers run from 1; entry 0 of the range table is never used.
inline constexpr std::uint16_t kMaxRanges = 255;

struct ImageRange {
    std::uint16_t firstChunk = 0;
    std::uint32_t firstOffset = 0;  // 0 to 2048 (2048 when the range opened on a full chunk)
    std::uint32_t length = 0;
    std::uint32_t startAddress = 0;
};

// Where an address lies: its range, its offset in that range, and its chunk position.
struct Location {
    std::uint16_t range = 0;
    std::uint32_t offsetInRange = 0;
    std::uint16_t chunk = 0;
    std::uint32_t offsetInChunk = 0;
};

// What an image keeps of the bytes appended to it. An image of addresses only has the same
// ranges, counts, limits and refusals as one that keeps the bytes, but stores none (and so
// touches no memory for them): for describing or classifying a file, never for writing it.
enum class ImageContents { Bytes, AddressesOnly };

class MemoryImage {
  public:
    explicit MemoryImage(ImageContents contents = ImageContents::Bytes);
    ~MemoryImage();
    MemoryImage(const MemoryImage&) = delete;
    MemoryImage& operator=(const MemoryImage&) = delete;

    // Frees the chunks and empties the image; the execution address is forgotten (and reads
    // as 0 until one is set again).
    void clear();

    // Adds the bytes, the first of which belongs at address. Refused (false, nothing stored)
    // when the image is full (see isFull), when bytes is empty or longer than 65,535
    // bytes, when a new range would be the 256th, or when the bytes would run past address
    // 0xFFFFFFFF. Returns false part-way, keeping what was stored, when no chunk can be had.
    bool append(std::span<const std::uint8_t> bytes, std::uint32_t address);

    // True once 100 chunks' worth of bytes (204,800) are stored: every later append is
    // refused. An append that starts below that mark runs to its end, even into chunk 100
    // and beyond.
    bool isFull() const {
        return currentChunk_ >= kChunkLimit ||
               (currentChunk_ == kChunkLimit - 1 && chunkFill_ >= kChunkSize);
    }

    // Replaces the bytes at address .. address + size - 1, all of which must already be
    // present (possibly across ranges that continue each other). Every copy of a repeated
    // address gets the new byte. False, with nothing changed, when any address is missing.
    bool overwrite(std::span<const std::uint8_t> bytes, std::uint32_t address);

    // The first range (in arrival order) holding the address, or only range onlyRange when it
    // is nonzero.
    std::optional<Location> locate(std::uint32_t address, std::uint16_t onlyRange = 0) const;

    // Moves the read cursor to the first byte of range 1; returns the number of ranges.
    std::uint16_t rewind();

    // Hands out the next block at the read cursor: at most maxCount bytes, never spanning two
    // ranges, and ending where (block address + copied) is a multiple of alignment (0: none).
    // The destination, when given, must hold maxCount bytes (else the call fails); an image of
    // addresses only refuses any destination. With
    // maxCount 0 it reports the address of the next byte and a count of 0 without moving.
    // False at the end of the data (outputs then 0).
    bool nextBlock(std::span<std::uint8_t> destination, std::uint32_t* blockAddress,
                   std::uint16_t* count, std::uint16_t maxCount, std::uint32_t alignment);

    // The number of blocks nextBlock would hand out from a rewound image.
    std::uint16_t countBlocks(std::uint16_t blockSize, std::uint32_t alignment) const;

    bool keepsBytes() const { return contents_ == ImageContents::Bytes; }
    std::uint16_t rangeCount() const { return rangeCount_; }
    // Range n, numbered from 1 to rangeCount(); an empty entry for any other n.
    const ImageRange& range(std::uint16_t n) const {
        return ranges_[n >= 1 && n <= rangeCount_ ? n : 0];
    }
    // Total bytes stored in all ranges.
    std::uint32_t totalBytes() const;

    std::uint32_t executionAddress() const { return executionAddress_; }
    bool hasExecutionAddress() const { return hasExecutionAddress_; }
    void setExecutionAddress(std::uint32_t address) {
        executionAddress_ = address;
        hasExecutionAddress_ = true;
    }
    void clearExecutionAddress() { hasExecutionAddress_ = false; }

  private:
    using Chunk = std::array<std::uint8_t, kChunkSize>;

    bool openChunk(std::uint16_t index);
    std::uint64_t rangeEnd(std::uint16_t n) const {
        return std::uint64_t{ranges_[n].startAddress} + ranges_[n].length;
    }

    ImageContents contents_;
    std::uint16_t currentChunk_ = 0;
    std::uint32_t chunkFill_ = 0;
    std::uint16_t rangeCount_ = 0;
    std::uint16_t readChunk_ = 0;
    std::uint32_t readOffset_ = 0;
    std::uint16_t readRange_ = 1;
    std::uint32_t readPosition_ = 0;
    std::array<std::unique_ptr<Chunk>, kChunkSlots> chunks_;
    std::array<ImageRange, kMaxRanges + 1> ranges_{};
    std::uint32_t executionAddress_ = 0;
    bool hasExecutionAddress_ = false;
};

}  // namespace quillon::image
