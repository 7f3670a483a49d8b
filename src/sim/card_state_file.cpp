#include "sim/card_state_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "base/atomic_file.h"
#include "base/file_path.h"
#include "sim/pda_words.h"

namespace quillon::sim {

namespace {

// The second form of the file; the first ("QSIMCRD1", records without the header check) is
// still read, and rewritten in the second form when it is loaded.
constexpr std::string_view kMagic = "QSIMCRD2";
constexpr std::string_view kMagicV1 = "QSIMCRD1";
// Kind, length and the CRC-32 of those five bytes.
constexpr std::size_t kRecordHeader = 9;
constexpr std::size_t kRecordHeaderV1 = 5;
constexpr std::size_t kRecordTrailer = 4;
// Flash pages go into a snapshot as runs of at most this many bytes.
constexpr std::size_t kSnapshotRun = 64 * 1024;

enum RecordKind : std::uint8_t {
    kFlashWrite = 1,
    kRamPda = 2,
    kReset = 3,
    kIdentities = 4,
    kSnapshotEnd = 5,
};

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[i] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();

std::uint32_t crc32(std::uint32_t crc, std::string_view bytes) {
    crc = ~crc;
    for (const char c : bytes) {
        crc = kCrcTable[(crc ^ static_cast<std::uint8_t>(c)) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

void putU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void putU16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

std::uint32_t getU32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::uint16_t getU16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
}

// One record: kind, payload length, the CRC-32 of those two, payload, CRC-32 of all before.
void putRecord(std::string& out, std::uint8_t kind, std::string_view payload) {
    const std::size_t start = out.size();
    out.push_back(static_cast<char>(kind));
    putU32(out, static_cast<std::uint32_t>(payload.size()));
    putU32(out, crc32(0, std::string_view(out).substr(start)));
    out.append(payload);
    putU32(out, crc32(0, std::string_view(out).substr(start)));
}

std::string_view asChars(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string wordPayload(std::span<const std::uint16_t> words) {
    std::string payload;
    payload.reserve(words.size() * 2);
    for (const std::uint16_t word : words) {
        putU16(payload, word);
    }
    return payload;
}

std::string identitiesPayload(const CardRids& rids) {
    std::string payload;
    const auto identity = [&](const std::optional<RidIdentity>& id) {
        payload.push_back(id ? 1 : 0);
        const RidIdentity value = id.value_or(RidIdentity{});
        for (const std::uint16_t word :
             {value.componentId, value.variant, value.major, value.minor}) {
            putU16(payload, word);
        }
    };
    identity(rids.primary);
    identity(rids.station);
    payload.push_back(rids.primarySupplier ? 1 : 0);
    const RidRange range = rids.primarySupplier.value_or(RidRange{});
    for (const std::uint16_t word :
         {range.role, range.interfaceId, range.variant, range.bottom, range.top}) {
        putU16(payload, word);
    }
    return payload;
}

constexpr std::size_t kIdentitiesSize = 9 + 9 + 11;

// Applies one record whose CRC passed to card, when one is given; false when its payload does
// not fit its kind.
bool applyRecord(std::uint8_t kind, std::string_view payload, SimulatedCard* card) {
    switch (kind) {
        case kFlashWrite: {
            if (payload.size() < 4) {
                return false;
            }
            if (card != nullptr) {
                const auto* data = reinterpret_cast<const std::uint8_t*>(payload.data()) + 4;
                card->restoreFlash(getU32(payload, 0), std::span(data, payload.size() - 4));
            }
            return true;
        }
        case kRamPda: {
            if (payload.size() != kPdaWords * 2) {
                return false;
            }
            if (card != nullptr) {
                std::vector<std::uint16_t> words(kPdaWords);
                for (std::size_t i = 0; i < kPdaWords; ++i) {
                    words[i] = getU16(payload, 2 * i);
                }
                card->restoreRamPda(words);
            }
            return true;
        }
        case kReset:
            if (!payload.empty()) {
                return false;
            }
            if (card != nullptr) {
                card->restoreReset();
            }
            return true;
        case kIdentities: {
            if (payload.size() != kIdentitiesSize) {
                return false;
            }
            if (card == nullptr) {
                return true;
            }
            const auto identity = [&](std::size_t at) -> std::optional<RidIdentity> {
                if (payload[at] == 0) {
                    return std::nullopt;
                }
                return RidIdentity{getU16(payload, at + 1), getU16(payload, at + 3),
                                   getU16(payload, at + 5), getU16(payload, at + 7)};
            };
            std::optional<RidRange> range;
            if (payload[18] != 0) {
                range = RidRange{getU16(payload, 19), getU16(payload, 21), getU16(payload, 23),
                                 getU16(payload, 25), getU16(payload, 27)};
            }
            card->restoreIdentities(identity(0), identity(9), range);
            return true;
        }
        case kSnapshotEnd:
            return payload.empty();
        default:
            return false;
    }
}

// Windows's C runtime turns each \n written into \r\n unless the file is opened as binary.
#if defined(O_BINARY)
constexpr int kBinaryMode = O_BINARY;
#else
constexpr int kBinaryMode = 0;
#endif

bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Walks the records of a state file; applies each to card when one is given.
CardStateReplay walkCardState(std::string_view content, SimulatedCard* card) {
    CardStateReplay replay;
    if (content.size() < kMagic.size()) {
        // A file cut off while it was being created holds at most a piece of the magic.
        replay.valid = kMagic.substr(0, content.size()) == content ||
                       kMagicV1.substr(0, content.size()) == content;
        return replay;
    }
    const std::string_view magic = content.substr(0, kMagic.size());
    if (magic != kMagic && magic != kMagicV1) {
        return replay;
    }
    replay.valid = true;
    replay.version = magic == kMagic ? 2 : 1;
    // The first form had no check of its own on the record header.
    const std::size_t header = replay.version == 2 ? kRecordHeader : kRecordHeaderV1;
    std::size_t at = kMagic.size();
    replay.validLength = at;
    while (at < content.size()) {
        const std::size_t start = at;
        if (content.size() - at < header + kRecordTrailer) {
            break;  // the tail of a record cut short
        }
        const auto kind = static_cast<std::uint8_t>(content[at]);
        const std::uint32_t length = getU32(content, at + 1);
        if (replay.version == 2 && crc32(0, content.substr(at, 5)) != getU32(content, at + 5)) {
            replay.damagedAt = at;
            break;
        }
        if (length > content.size() - at - header - kRecordTrailer) {
            break;  // a whole header whose record was cut short
        }
        const std::size_t end = at + header + length;
        if (crc32(0, content.substr(at, end - at)) != getU32(content, end) ||
            !applyRecord(kind, content.substr(at + header, length), card)) {
            replay.damagedAt = at;
            break;
        }
        at = end + kRecordTrailer;
        replay.validLength = at;
        ++replay.records;
        replay.journalBytes = kind == kSnapshotEnd ? 0 : replay.journalBytes + (at - start);
    }
    return replay;
}

}  // namespace

CardStateReplay replayCardState(std::string_view content, SimulatedCard& card) {
    return walkCardState(content, &card);
}

CardStateReplay checkCardState(std::string_view content) {
    return walkCardState(content, nullptr);
}

std::string cardStateSnapshot(const SimulatedCard& card) {
    std::string out(kMagic);
    const auto& pages = card.flash().pages();
    auto page = pages.begin();
    while (page != pages.end()) {
        // Consecutive pages go out as one run.
        std::string payload;
        putU32(payload, page->first * SparseFlash::kPageSize);
        std::uint32_t next = page->first;
        while (page != pages.end() && page->first == next && payload.size() - 4 < kSnapshotRun) {
            payload.append(reinterpret_cast<const char*>(page->second.data()), page->second.size());
            ++next;
            ++page;
        }
        putRecord(out, kFlashWrite, payload);
    }
    putRecord(out, kRamPda, wordPayload(card.ramPda()));
    putRecord(out, kIdentities, identitiesPayload(card.rids()));
    putRecord(out, kSnapshotEnd, {});
    return out;
}

namespace {

enum class ReadResult { Read, Missing, Failed };

// The whole content of a state file; never through a symbolic link.
ReadResult readStateFile(const std::string& path, const std::string& displayName,
                         std::string& content, std::string& error) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::symlink_status(filePath(path), ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return ReadResult::Missing;  // nothing saved yet
    }
    if (ec) {
        error = displayName + ": cannot be read";
        return ReadResult::Failed;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        error = displayName + ": cannot be read (not a file)";
        return ReadResult::Failed;
    }
    std::ifstream in(filePath(path), std::ios::binary);
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        error = displayName + ": cannot be read";
        return ReadResult::Failed;
    }
    return ReadResult::Read;
}

}  // namespace

std::unique_ptr<CardStateFile> CardStateFile::open(const std::string& path,
                                                   const std::string& displayName,
                                                   SimulatedCard& card, std::string& error) {
    std::unique_ptr<CardStateFile> file(new CardStateFile(path));
    std::string content;
    const ReadResult read = readStateFile(path, displayName, content, error);
    if (read == ReadResult::Failed) {
        return nullptr;
    }
    if (read == ReadResult::Missing) {
        return file;
    }
    const CardStateReplay replay = replayCardState(content, card);
    if (!replay.valid) {
        error = displayName + ": not a card state file";
        return nullptr;
    }
    if (replay.damagedAt) {
        // What follows the damage cannot be trusted, and what precedes it is only part of the
        // card's story: the person decides, the file stays as it is.
        const std::string at = std::to_string(*replay.damagedAt);
        error = path + ": damaged at byte " + at +
                " (a saved change there fails its check); the file was left as it is. "
                "\"quillon-cli bench repair\" keeps the changes saved before byte " +
                at + " (the card as it was then) and drops the rest";
        return nullptr;
    }
    if (replay.version == 1 || replay.journalBytes > kCompactAbove) {
        if (!writeFileAtomically(path, cardStateSnapshot(card))) {
            error = displayName + ": cannot be written";
            return nullptr;
        }
    } else if (replay.validLength < content.size()) {
        // Drop the record a killed run left half written, so later records follow whole
        // ones.
        if (::truncate(path.c_str(), static_cast<off_t>(replay.validLength)) != 0) {
            error = displayName + ": cannot be written";
            return nullptr;
        }
    }
    return file;
}

std::optional<CardStateRepair> repairCardStateFile(const std::string& path, std::string& error) {
    std::string content;
    const ReadResult read = readStateFile(path, path, content, error);
    if (read != ReadResult::Read) {
        return std::nullopt;
    }
    const CardStateReplay replay = checkCardState(content);
    if (!replay.valid) {
        error = path + ": not a card state file";
        return std::nullopt;
    }
    if (!replay.damagedAt) {
        return std::nullopt;
    }
    CardStateRepair repair;
    repair.damagedAt = *replay.damagedAt;
    repair.dropped = content.size() - repair.damagedAt;
    repair.copy = path + ".damaged";
    std::error_code ec;
    const auto taken = [&ec](const std::string& name) {
        return std::filesystem::symlink_status(filePath(name), ec).type() !=
               std::filesystem::file_type::not_found;
    };
    for (int n = 2; taken(repair.copy) && n < 1000; ++n) {
        repair.copy = path + ".damaged-" + std::to_string(n);
    }
    if (taken(repair.copy) || !writeFileAtomically(repair.copy, content)) {
        error = repair.copy + ": cannot be written";
        return std::nullopt;
    }
    if (!writeFileAtomically(path, content.substr(0, repair.damagedAt))) {
        error = path + ": cannot be written";
        return std::nullopt;
    }
    return repair;
}

CardStateFile::~CardStateFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool CardStateFile::append(std::uint8_t kind, std::span<const std::uint8_t> payload) {
    if (fd_ < 0) {
        fd_ = openDescriptor(
            path_, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW | kBinaryMode, 0666);
        if (fd_ < 0) {
            return false;
        }
    }
    struct stat status {};
    if (::fstat(fd_, &status) != 0) {
        return false;
    }
    std::string bytes;
    if (status.st_size < static_cast<off_t>(kMagic.size())) {
        // A new file, or one that a killed run left with part of the magic: start afresh.
        if (status.st_size > 0 && ::ftruncate(fd_, 0) != 0) {
            return false;
        }
        bytes = kMagic;
    }
    bytes.reserve(bytes.size() + kRecordHeader + payload.size() + kRecordTrailer);
    putRecord(bytes, kind, asChars(payload));
    if (!writeAll(fd_, bytes)) {
        // Take back a partial record, so that the next one is not hidden behind it.
        if (::ftruncate(fd_, status.st_size) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
        return false;
    }
    return true;
}

bool CardStateFile::flashWritten(std::uint32_t storageAddress,
                                 std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> payload;
    payload.reserve(4 + bytes.size());
    for (int i = 0; i < 4; ++i) {
        payload.push_back(static_cast<std::uint8_t>(storageAddress >> (8 * i)));
    }
    payload.insert(payload.end(), bytes.begin(), bytes.end());
    return append(kFlashWrite, payload);
}

bool CardStateFile::ramPdaSet(std::span<const std::uint16_t> words) {
    const std::string payload = wordPayload(words);
    return append(kRamPda,
                  std::span(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()));
}

bool CardStateFile::cardReset() {
    return append(kReset, {});
}

}  // namespace quillon::sim
