#include "pda/pda_image.h"

#include <algorithm>

#include "base/log.h"

namespace quillon::pda {
namespace {

// The end record's first two words; the checksum of a PDA runs over them as well.
constexpr std::array<std::uint16_t, 2> kEndRecordHead = {0x0002, kPdrEnd};

bool isEndRecord(std::span<const std::uint16_t> words) {
    return words.size() >= 3 && words[0] == 2 && words[1] == kPdrEnd;
}

}  // namespace

std::span<const std::uint16_t> PdrRecord::data() const {
    if (words_.size() <= 2) {
        return {};
    }
    return std::span<const std::uint16_t>(words_).subspan(2);
}

void PdaImage::clear() {
    records_.clear();
    storedChecksum_ = 0;
    runningChecksum_ = 0;
    readFromCard_ = false;
}

std::size_t PdaImage::flatSize() const {
    std::size_t total = 3;  // the end record
    for (const PdrRecord& r : records_) {
        total += r.words().size();
    }
    return total;
}

bool PdaImage::insertRecord(std::span<const std::uint16_t> words) {
    if (words.empty()) {
        return false;
    }
    const std::size_t length = words[0];
    if (words.size() < length + 1) {
        return false;
    }
    if (length == 0) {
        // A lone zero word has no code, so it has no place in the list. It is still part of
        // the data the card's checksum was built over, so it counts towards the running one.
        const std::uint16_t start = records_.empty() ? 0 : runningChecksum_;
        runningChecksum_ = crc16ArcWords(start, words.first(1));
        return true;
    }
    if (length == 1) {
        return false;
    }
    if (isEndRecord(words)) {
        storedChecksum_ = words[2];
        return true;
    }

    PdrRecord record(std::vector<std::uint16_t>(words.begin(), words.begin() + length + 1));
    const std::uint16_t code = record.code();
    // The running checksum covers what was inserted since the list was last empty.
    const std::uint16_t start = records_.empty() ? 0 : runningChecksum_;
    runningChecksum_ = crc16ArcWords(start, record.words());

    auto at = std::lower_bound(records_.begin(), records_.end(), code,
                               [](const PdrRecord& r, std::uint16_t c) { return r.code() < c; });
    if (at != records_.end() && at->code() == code) {
        // The later record of a code wins.
        *at = std::move(record);
    } else {
        records_.insert(at, std::move(record));
    }
    return true;
}

bool PdaImage::removeRecord(std::uint16_t code) {
    auto at = std::find_if(records_.begin(), records_.end(),
                           [code](const PdrRecord& r) { return r.code() == code; });
    if (at == records_.end()) {
        return false;
    }
    records_.erase(at);
    return true;
}

int PdaImage::parseWords(std::span<const std::uint16_t> words) {
    const std::size_t count = words.size();
    std::size_t position = 0;
    int items = 0;
    while (position < count) {
        const std::size_t length = words[position];
        // An item is applied only when its last word lies within the run.
        if (position + length >= count) {
            break;
        }
        const auto item = words.subspan(position, length + 1);
        if (length == 1) {
            removeRecord(item[1]);
            ++items;
        } else if (length == 0) {
            insertRecord(item);
        } else {
            insertRecord(item);
            ++items;
            if (isEndRecord(item)) {
                break;
            }
        }
        position += length + 1;
    }
    return items;
}

const PdrRecord* PdaImage::findRecord(std::uint16_t code) const {
    for (const PdrRecord& r : records_) {
        if (r.code() == code) {
            return &r;
        }
    }
    return nullptr;
}

std::uint16_t PdaImage::nextCodeAfter(std::uint16_t code) const {
    for (const PdrRecord& r : records_) {
        if (r.code() > code) {
            return r.code();
        }
    }
    return 0;
}

std::uint16_t PdaImage::loadedChecksum() const {
    return crc16ArcWords(runningChecksum_, kEndRecordHead);
}

std::uint16_t PdaImage::listChecksum() const {
    std::uint16_t crc = 0;
    for (const PdrRecord& r : records_) {
        crc = crc16ArcWords(crc, r.words());
    }
    return crc16ArcWords(crc, kEndRecordHead);
}

std::size_t PdaImage::flatten(std::array<std::uint16_t, kFlatPdaWords>& out) const {
    // The limit is checked before anything is copied, so a list that is too large never
    // writes past the end record's room.
    std::size_t total = 0;
    for (const PdrRecord& r : records_) {
        total += r.words().size();
    }
    if (total >= kPdaWordLimit) {
        writeLog("PDA OVERFLOW. PDA EXCEEDS %u WORD LIMIT.\n",
                 static_cast<unsigned>(kPdaWordLimit));
        return 0;
    }
    std::size_t n = 0;
    for (const PdrRecord& r : records_) {
        std::copy(r.words().begin(), r.words().end(), out.begin() + static_cast<std::ptrdiff_t>(n));
        n += r.words().size();
    }
    out[n++] = kEndRecordHead[0];
    out[n++] = kEndRecordHead[1];
    out[n++] = listChecksum();
    return n;
}

}  // namespace quillon::pda
