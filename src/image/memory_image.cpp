#include "image/memory_image.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace quillon::image {
namespace {

constexpr std::uint64_t kAddressSpaceEnd = std::uint64_t{1} << 32;

}  // namespace

MemoryImage::MemoryImage(ImageContents contents) : contents_(contents) {}

MemoryImage::~MemoryImage() = default;

void MemoryImage::clear() {
    for (auto& chunk : chunks_) {
        chunk.reset();
    }
    currentChunk_ = 0;
    chunkFill_ = 0;
    rangeCount_ = 0;
    readChunk_ = 0;
    readOffset_ = 0;
    readRange_ = 1;
    readPosition_ = 0;
    // An image filled from a dump never gets an execution address; it must not inherit the
    // one of whatever file the image held before.
    executionAddress_ = 0;
    hasExecutionAddress_ = false;
}

bool MemoryImage::openChunk(std::uint16_t index) {
    if (index >= kChunkSlots) {
        return false;
    }
    if (!keepsBytes()) {
        return true;
    }
    // A failed allocation refuses the append instead of throwing out of the reader.
    chunks_[index].reset(new (std::nothrow) Chunk);
    return chunks_[index] != nullptr;
}

bool MemoryImage::append(std::span<const std::uint8_t> bytes, std::uint32_t address) {
    if (isFull() || bytes.empty() || bytes.size() > 0xFFFF) {
        return false;
    }
    // A range that wrapped past the top of the address space would hold addresses that no
    // lookup could find.
    if (std::uint64_t{address} + bytes.size() > kAddressSpaceEnd) {
        return false;
    }
    // Only the last range can grow; anything else opens a new range, never merging.
    const bool opensRange = rangeCount_ == 0 || std::uint64_t{address} != rangeEnd(rangeCount_);
    if (opensRange && rangeCount_ >= kMaxRanges) {
        return false;
    }
    if (rangeCount_ == 0) {
        if (!openChunk(0)) {
            return false;
        }
        currentChunk_ = 0;
        chunkFill_ = 0;
    }
    if (opensRange) {
        ++rangeCount_;
        ranges_[rangeCount_] = ImageRange{currentChunk_, chunkFill_, 0, address};
    }
    ImageRange& range = ranges_[rangeCount_];

    std::size_t done = 0;
    while (done < bytes.size()) {
        if (chunkFill_ >= kChunkSize) {
            const auto next = static_cast<std::uint16_t>(currentChunk_ + 1);
            if (!openChunk(next)) {
                // A range that received nothing would confuse the read cursor; drop it.
                if (range.length == 0) {
                    --rangeCount_;
                }
                return false;
            }
            currentChunk_ = next;
            chunkFill_ = 0;
        }
        const std::size_t piece =
            std::min<std::size_t>(bytes.size() - done, kChunkSize - chunkFill_);
        if (keepsBytes()) {
            std::memcpy(chunks_[currentChunk_]->data() + chunkFill_, bytes.data() + done, piece);
        }
        chunkFill_ += static_cast<std::uint32_t>(piece);
        range.length += static_cast<std::uint32_t>(piece);
        done += piece;
    }
    return true;
}

std::optional<Location> MemoryImage::locate(std::uint32_t address, std::uint16_t onlyRange) const {
    if (rangeCount_ == 0 || onlyRange > rangeCount_) {
        return std::nullopt;
    }
    const std::uint16_t first = onlyRange != 0 ? onlyRange : 1;
    const std::uint16_t last = onlyRange != 0 ? onlyRange : rangeCount_;
    for (std::uint16_t n = first; n <= last; ++n) {
        const ImageRange& r = ranges_[n];
        if (r.startAddress <= address && address < rangeEnd(n)) {
            const std::uint32_t offset = address - r.startAddress;
            const std::uint64_t streamOffset = std::uint64_t{r.firstOffset} + offset;
            return Location{n, offset,
                            static_cast<std::uint16_t>(r.firstChunk + streamOffset / kChunkSize),
                            static_cast<std::uint32_t>(streamOffset % kChunkSize)};
        }
    }
    return std::nullopt;
}

bool MemoryImage::overwrite(std::span<const std::uint8_t> bytes, std::uint32_t address) {
    if (bytes.empty()) {
        return true;
    }
    if (bytes.size() > 0xFFFF) {
        return false;
    }
    // First make sure every address is present, so that a refused overwrite changes nothing.
    std::uint64_t position = address;
    std::uint64_t remaining = bytes.size();
    while (remaining > 0) {
        if (position >= kAddressSpaceEnd) {
            return false;
        }
        const auto hit = locate(static_cast<std::uint32_t>(position), 0);
        if (!hit) {
            return false;
        }
        const std::uint64_t available = ranges_[hit->range].length - hit->offsetInRange;
        if (available >= remaining) {
            break;
        }
        remaining -= available;
        position += available;
    }

    // Repeated data holds the same address in several ranges; every copy gets the new bytes.
    const std::uint64_t areaEnd = std::uint64_t{address} + bytes.size();
    for (std::uint16_t n = 1; n <= rangeCount_; ++n) {
        const std::uint64_t low = std::max<std::uint64_t>(address, ranges_[n].startAddress);
        const std::uint64_t high = std::min(areaEnd, rangeEnd(n));
        if (low >= high) {
            continue;
        }
        const auto hit = locate(static_cast<std::uint32_t>(low), n);
        if (!hit) {
            continue;
        }
        std::uint16_t chunk = hit->chunk;
        std::uint32_t offset = hit->offsetInChunk;
        std::size_t from = static_cast<std::size_t>(low - address);
        std::size_t left = static_cast<std::size_t>(high - low);
        while (left > 0) {
            if (offset >= kChunkSize) {
                ++chunk;
                offset = 0;
            }
            const std::size_t piece = std::min<std::size_t>(left, kChunkSize - offset);
            if (keepsBytes()) {
                std::memcpy(chunks_[chunk]->data() + offset, bytes.data() + from, piece);
            }
            offset += static_cast<std::uint32_t>(piece);
            from += piece;
            left -= piece;
        }
    }
    return true;
}

std::uint16_t MemoryImage::rewind() {
    readChunk_ = 0;
    readOffset_ = 0;
    readRange_ = 1;
    readPosition_ = 0;
    if (rangeCount_ > 0) {
        readChunk_ = ranges_[1].firstChunk;
        readOffset_ = ranges_[1].firstOffset;
    }
    return rangeCount_;
}

bool MemoryImage::nextBlock(std::span<std::uint8_t> destination, std::uint32_t* blockAddress,
                            std::uint16_t* count, std::uint16_t maxCount, std::uint32_t alignment) {
    if (blockAddress != nullptr) {
        *blockAddress = 0;
    }
    if (count != nullptr) {
        *count = 0;
    }
    if (rangeCount_ == 0 || readRange_ < 1 || readRange_ > rangeCount_) {
        return false;
    }
    if (!destination.empty() && (destination.size() < maxCount || !keepsBytes())) {
        return false;
    }
    if (readPosition_ >= ranges_[readRange_].length) {
        if (readRange_ >= rangeCount_) {
            return false;
        }
        // Range n + 1 starts in the byte stream where range n ends, so the chunk cursor
        // simply carries on.
        ++readRange_;
        readPosition_ = 0;
    }
    const ImageRange& range = ranges_[readRange_];
    if (readPosition_ >= range.length) {
        return false;
    }
    const std::uint32_t address = range.startAddress + readPosition_;
    if (blockAddress != nullptr) {
        *blockAddress = address;
    }
    std::uint32_t limit = std::min<std::uint32_t>(maxCount, range.length - readPosition_);
    if (alignment != 0) {
        // The block ends on the first alignment boundary after its first byte.
        limit = std::min(limit, alignment - address % alignment);
    }
    std::uint32_t copied = 0;
    while (copied < limit) {
        if (readOffset_ >= kChunkSize) {
            ++readChunk_;
            readOffset_ = 0;
        }
        const std::uint32_t piece = std::min(limit - copied, kChunkSize - readOffset_);
        if (!destination.empty()) {
            std::memcpy(destination.data() + copied, chunks_[readChunk_]->data() + readOffset_,
                        piece);
        }
        copied += piece;
        readOffset_ += piece;
        readPosition_ += piece;
    }
    if (count != nullptr) {
        *count = static_cast<std::uint16_t>(copied);
    }
    return true;
}

std::uint16_t MemoryImage::countBlocks(std::uint16_t blockSize, std::uint32_t alignment) const {
    if (blockSize == 0) {
        return 0;
    }
    std::uint32_t blocks = 0;
    for (std::uint16_t n = 1; n <= rangeCount_; ++n) {
        std::uint64_t position = ranges_[n].startAddress;
        std::uint64_t remaining = ranges_[n].length;
        while (remaining > 0) {
            std::uint64_t take = blockSize;
            if (alignment != 0) {
                take = std::min<std::uint64_t>(take, alignment - position % alignment);
            }
            take = std::min(take, remaining);
            remaining -= take;
            position += take;
            ++blocks;
        }
    }
    return static_cast<std::uint16_t>(blocks);
}

std::uint32_t MemoryImage::totalBytes() const {
    std::uint32_t total = 0;
    for (std::uint16_t n = 1; n <= rangeCount_; ++n) {
        total += ranges_[n].length;
    }
    return total;
}

}  // namespace quillon::image
