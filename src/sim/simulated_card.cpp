#include "sim/simulated_card.h"

#include <algorithm>

#include "base/log.h"
#include "sim/identity_block.h"
#include "sim/pda_words.h"

namespace quillon::sim {

namespace {

constexpr std::uint16_t kErasedWord = 0xFFFF;
constexpr std::size_t kPdaBytes = kPdaWords * 2;

std::vector<std::uint8_t> wordsToBytes(std::span<const std::uint16_t> words) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(words.size() * 2);
    for (const std::uint16_t word : words) {
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    return bytes;
}

// Exactly 512 words: fewer are padded as erased flash reads, more are cut.
std::array<std::uint16_t, kPdaWords> fullPda(std::span<const std::uint16_t> words) {
    std::array<std::uint16_t, kPdaWords> out;
    out.fill(kErasedWord);
    std::copy_n(words.begin(), std::min(words.size(), out.size()), out.begin());
    return out;
}

}  // namespace

SimulatedCard::SimulatedCard(const std::optional<CardConfig>& config)
    : prism_(config.has_value()), config_(config.value_or(CardConfig{})), rids_(config_.rids) {
    for (const FlashRun& run : config_.flash) {
        flash_.write(storageAddress(run.address), run.bytes);
    }
    if (config_.pdaWords) {
        flash_.write(storageAddress(pdaAddress()), wordsToBytes(fullPda(*config_.pdaWords)));
    } else if (!config_.pdaRecords.empty()) {
        flash_.write(storageAddress(pdaAddress()),
                     wordsToBytes(fullPda(buildPdaWords(config_.pdaRecords))));
    }
    if (config_.ramPdaWords) {
        ramPda_ = fullPda(*config_.ramPdaWords);
    } else {
        ramPda_ = fullPda(pdaWords(true));
    }
}

std::uint32_t SimulatedCard::pdaAddress() const {
    return config_.macType == 1 ? 0x003F0000 : 0x007F0000;
}

std::uint32_t SimulatedCard::imageBase() const {
    return config_.macType == 1 ? 0x003E0000 : 0x007E0000;
}

std::uint32_t SimulatedCard::setupWriteAddress() const {
    return config_.macType == 1 ? 0x001FEE66 : 0x007FDE66;
}

std::uint32_t SimulatedCard::storageAddress(std::uint32_t cardAddress) const {
    std::uint32_t address = cardAddress & ~kNvramBit;
    if (config_.macType == 1) {
        address &= k3841AddressMask;
    }
    return address;
}

std::vector<std::uint8_t> SimulatedCard::readFlash(std::uint32_t address,
                                                   std::size_t length) const {
    return flash_.read(storageAddress(address), length);
}

void SimulatedCard::writeFlash(std::uint32_t address, std::span<const std::uint8_t> bytes) {
    const std::uint32_t at = storageAddress(address);
    if (log_ != nullptr && !log_->flashWritten(at, bytes)) {
        writeLog("Simulated card: could not save a flash write at 0x%08X\n", at);
    }
    flash_.write(at, bytes);
}

std::vector<std::uint8_t> SimulatedCard::readAux(std::uint32_t address, std::size_t length) const {
    const std::uint32_t at = storageAddress(address);
    std::vector<std::uint8_t> bytes = flash_.read(at, length);
    if ((address & kNvramBit) != 0) {
        return bytes;
    }
    // Overlay the RAM copy of the PDA on the part of the read that falls in the PDA area.
    const std::uint64_t pdaStart = storageAddress(pdaAddress());
    const std::uint64_t pdaEnd = pdaStart + kPdaBytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint64_t byteAddress = (static_cast<std::uint64_t>(at) + i) & 0xFFFFFFFFu;
        if (byteAddress >= pdaStart && byteAddress < pdaEnd) {
            const std::size_t offset = static_cast<std::size_t>(byteAddress - pdaStart);
            const std::uint16_t word = ramPda_[offset / 2];
            bytes[i] = static_cast<std::uint8_t>(offset % 2 == 0 ? word & 0xFF : word >> 8);
        }
    }
    return bytes;
}

std::vector<std::uint16_t> SimulatedCard::pdaWords(bool nvram) const {
    if (!nvram) {
        return {ramPda_.begin(), ramPda_.end()};
    }
    const std::vector<std::uint8_t> bytes = flash_.read(storageAddress(pdaAddress()), kPdaBytes);
    std::vector<std::uint16_t> words(kPdaWords);
    for (std::size_t i = 0; i < kPdaWords; ++i) {
        words[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return words;
}

void SimulatedCard::setPdaWords(std::span<const std::uint16_t> words, bool nvram) {
    const std::array<std::uint16_t, kPdaWords> full = fullPda(words);
    if (nvram) {
        writeFlash(pdaAddress(), wordsToBytes(full));
        return;
    }
    if (log_ != nullptr && !log_->ramPdaSet(full)) {
        writeLog("Simulated card: could not save the RAM copy of the PDA\n");
    }
    ramPda_ = full;
}

void SimulatedCard::reset() {
    if (log_ != nullptr && !log_->cardReset()) {
        writeLog("Simulated card: could not save a reset\n");
    }
    restoreReset();
}

void SimulatedCard::restoreFlash(std::uint32_t storageAddress,
                                 std::span<const std::uint8_t> bytes) {
    flash_.write(storageAddress, bytes);
}

void SimulatedCard::restoreRamPda(std::span<const std::uint16_t> words) {
    ramPda_ = fullPda(words);
}

void SimulatedCard::restoreReset() {
    ramPda_ = fullPda(pdaWords(true));
    const std::vector<std::uint8_t> station =
        flash_.read(storageAddress(imageBase() + kStationBlockOffset), kIdentityBlockSize);
    if (const auto block = decodeIdentityBlock(station);
        block && block->componentId == kStationComponentId) {
        rids_.station = RidIdentity{block->componentId, block->variant, block->major, block->minor};
    }
    const std::vector<std::uint8_t> primary =
        flash_.read(storageAddress(imageBase() + kPrimaryBlockOffset), kIdentityBlockSize);
    if (const auto block = decodeIdentityBlock(primary);
        block && block->componentId == kPrimaryComponentId) {
        rids_.primary = RidIdentity{block->componentId, block->variant, block->major, block->minor};
        // Only a primary that supplies the primary interface (role 0, interface 3) says what
        // the primary supplier range now is.
        if (block->rangeRole == 0 && block->rangeInterface == 3) {
            rids_.primarySupplier =
                RidRange{block->rangeRole, block->rangeInterface, block->rangeVariant,
                         block->rangeBottom, block->rangeTop};
        }
    }
}

void SimulatedCard::restoreIdentities(std::optional<RidIdentity> primary,
                                      std::optional<RidIdentity> station,
                                      std::optional<RidRange> primarySupplier) {
    rids_.primary = primary;
    rids_.station = station;
    rids_.primarySupplier = primarySupplier;
}

void SimulatedCard::setDriverVersion(std::uint32_t version, bool answers) {
    config_.driverVersion = version;
    config_.answersDriverVersion = answers;
}

std::optional<std::vector<std::uint16_t>> SimulatedCard::ridReply(std::uint16_t rid) const {
    if (std::find(config_.faults.unreadableRids.begin(), config_.faults.unreadableRids.end(),
                  rid) != config_.faults.unreadableRids.end()) {
        return std::nullopt;
    }
    for (const auto& [code, words] : rids_.raw) {
        if (code == rid) {
            return words;
        }
    }
    const auto record = [rid](std::vector<std::uint16_t> data) {
        std::vector<std::uint16_t> words{static_cast<std::uint16_t>(data.size() + 1), rid};
        words.insert(words.end(), data.begin(), data.end());
        return words;
    };
    const auto identity = [&](const std::optional<RidIdentity>& id) {
        return id ? record({id->componentId, id->variant, id->major, id->minor})
                  : std::vector<std::uint16_t>{0, rid};
    };
    const auto range = [&](const std::optional<RidRange>& r) {
        return r ? record({r->role, r->interfaceId, r->variant, r->bottom, r->top})
                 : std::vector<std::uint16_t>{0, rid};
    };
    switch (rid) {
        case 0xFD02:
            return identity(rids_.primary);
        case 0xFD20:
            return identity(rids_.station);
        case 0xFD04:
            return record({0, 0, config_.macType, 0});
        case 0xFD03:
            return range(rids_.primarySupplier);
        case 0xFD0C:
            return range(rids_.modemSupplier);
        case 0xFD0D:
            return range(rids_.controllerSupplier);
        case 0xFD21:
            return range(rids_.stationSupplier);
        case 0xFD22:
            return range(rids_.modemActor);
        case 0xFD23:
            return range(rids_.controllerActor);
        case 0xFFFF:
            // 14 data words: the text padded with zero bytes, with a length word that lets a
            // reader take all 26 characters.
            return rids_.identText ? record(textWords(*rids_.identText, 14))
                                   : std::vector<std::uint16_t>{0, rid};
        case 0xFC01:
            return rids_.fc01Data ? record(*rids_.fc01Data) : std::vector<std::uint16_t>{0, rid};
        default:
            return std::vector<std::uint16_t>{0, rid};
    }
}

}  // namespace quillon::sim
