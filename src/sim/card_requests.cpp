// How the simulated driver answers each request: the request's shape is checked as strictly as
// a driver would (query or set, buffer length), injected faults come first, and the aux port
// keeps its rules on order.
#include <algorithm>
#include <cstring>
#include <vector>

#include "sim/simulated_card.h"

namespace quillon::sim {

namespace {

std::uint32_t readU32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::uint16_t readU16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

void writeU16(std::uint8_t* bytes, std::uint16_t value) {
    bytes[0] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

struct Shape {
    std::uint32_t type;
    std::int64_t length;  // -1: an aux block, whose length follows from its header
};

std::optional<Shape> shapeOf(std::uint32_t oid) {
    switch (oid) {
        case kOidReadRid:
            return Shape{card::kQueryInformation, static_cast<std::int64_t>(kRidBufferSize)};
        case kOidProbe:
            return Shape{card::kQueryInformation, 8};
        case kOidEnableAux:
        case kOidBlockProtocols:
        case kOidUnblockProtocols:
        case kOidFinish:
            return Shape{card::kSetInformation, 0};
        case kOidAuxRead:
            return Shape{card::kQueryInformation, -1};
        case kOidSetupWrite:
            return Shape{card::kSetInformation, 8};
        case kOidAuxWrite:
            return Shape{card::kSetInformation, -1};
        case kOidPermanentAddress:
            return Shape{card::kQueryInformation, 6};
        case kOidDriverVersion:
            return Shape{card::kQueryInformation, 4};
        default:
            return std::nullopt;
    }
}

}  // namespace

std::uint32_t SimulatedCard::answer(card::AdapterRequest& request, CardSessionState& session) {
    request.bytesDone = 0;
    request.bytesNeeded = 0;
    const std::optional<Shape> shape = shapeOf(request.oid);
    if (!shape || !prism_) {
        // Another chipset's driver knows none of the private requests; the public ones it
        // would answer are never asked of it, because such an adapter never gets through the
        // enable-aux request that opening ends with.
        return kStatusInvalidOid;
    }
    if (request.requestType != shape->type) {
        return kStatusNotSupported;
    }
    if (shape->length >= 0) {
        if (request.bufferLength != static_cast<std::uint32_t>(shape->length) ||
            (shape->length > 0 && request.buffer == nullptr)) {
            request.bytesNeeded = static_cast<std::uint32_t>(shape->length);
            return kStatusInvalidLength;
        }
    } else {
        if (request.buffer == nullptr || request.bufferLength < kAuxHeaderSize) {
            request.bytesNeeded = kAuxHeaderSize;
            return kStatusInvalidLength;
        }
        const std::uint16_t length = readU16(request.buffer + 4);
        if (length > kMaxAuxLength || request.bufferLength != length + kAuxHeaderSize) {
            return kStatusInvalidLength;
        }
    }
    if (const auto status = injectedFault(request.oid)) {
        return *status;
    }
    return answerPrivate(request, session);
}

std::uint32_t SimulatedCard::answerPrivate(card::AdapterRequest& request,
                                           CardSessionState& session) {
    switch (request.oid) {
        case kOidReadRid:
            return readRid(request);
        case kOidProbe:
            if (!config_.knowsProbeOid) {
                return kStatusInvalidOid;
            }
            // The reply is a word the program never looks at.
            writeU16(request.buffer, 1);
            request.bytesDone = 8;
            return kStatusSuccess;
        case kOidEnableAux:
            session.auxEnabled = true;
            return kStatusSuccess;
        case kOidBlockProtocols:
            session.protocolsBlocked = true;
            return kStatusSuccess;
        case kOidUnblockProtocols:
            session.protocolsBlocked = false;
            return kStatusSuccess;
        case kOidAuxRead:
            return auxRead(request, session);
        case kOidSetupWrite:
            return setupWrite(request, session);
        case kOidAuxWrite:
            return auxWrite(request, session);
        case kOidFinish:
            return finish(session);
        case kOidPermanentAddress:
            std::copy(config_.permanentAddress.begin(), config_.permanentAddress.end(),
                      request.buffer);
            request.bytesDone = 6;
            return kStatusSuccess;
        case kOidDriverVersion:
            if (!config_.answersDriverVersion) {
                return kStatusInvalidOid;
            }
            for (int i = 0; i < 4; ++i) {
                request.buffer[i] = static_cast<std::uint8_t>(config_.driverVersion >> (8 * i));
            }
            request.bytesDone = 4;
            return kStatusSuccess;
        default:
            return kStatusInvalidOid;
    }
}

std::uint32_t SimulatedCard::readRid(card::AdapterRequest& request) {
    const std::uint16_t rid = readU16(request.buffer + 2);
    const std::optional<std::vector<std::uint16_t>> reply = ridReply(rid);
    if (!reply) {
        return kStatusFailure;
    }
    std::memset(request.buffer, 0, kRidBufferSize);
    const std::size_t words = std::min(reply->size(), kRidBufferSize / 2);
    for (std::size_t i = 0; i < words; ++i) {
        writeU16(request.buffer + 2 * i, (*reply)[i]);
    }
    request.bytesDone = static_cast<std::uint32_t>(words * 2);
    return kStatusSuccess;
}

std::uint32_t SimulatedCard::auxRead(card::AdapterRequest& request,
                                     const CardSessionState& session) {
    if (!session.auxEnabled) {
        return kStatusFailure;
    }
    const std::uint32_t address = readU32(request.buffer);
    const std::uint16_t length = readU16(request.buffer + 4);
    std::vector<std::uint8_t> data = readAux(address, length);
    if (flakyRead() && !data.empty()) {
        // A different byte each time, so that two corrupted reads differ as well.
        data[(config_.faults.flakyReads.seen - 1) % data.size()] ^= 0xFF;
    }
    std::copy(data.begin(), data.end(), request.buffer + kAuxHeaderSize);
    request.bytesDone = static_cast<std::uint32_t>(kAuxHeaderSize + data.size());
    return kStatusSuccess;
}

std::uint32_t SimulatedCard::setupWrite(card::AdapterRequest& request, CardSessionState& session) {
    const std::uint32_t address = readU32(request.buffer);
    const std::uint16_t length = readU16(request.buffer + 4);
    if (address != setupWriteAddress() || length != 2 || request.buffer[6] != 0x00 ||
        request.buffer[7] != 0xE1) {
        return kStatusFailure;
    }
    session.setupWritten = true;
    request.bytesDone = 8;
    return kStatusSuccess;
}

std::uint32_t SimulatedCard::auxWrite(card::AdapterRequest& request,
                                      const CardSessionState& session) {
    if (!session.protocolsBlocked || !session.auxEnabled || !session.setupWritten) {
        return kStatusFailure;
    }
    const std::uint32_t address = readU32(request.buffer);
    const std::uint16_t length = readU16(request.buffer + 4);
    for (const WriteFault& fault : config_.faults.writes) {
        if (fault.address - address < length) {
            return fault.status;
        }
    }
    std::span<const std::uint8_t> data(request.buffer + kAuxHeaderSize, length);
    // A silent fault changes the stored byte, not the request: the driver still says success.
    std::vector<std::uint8_t> stored;
    for (const std::uint32_t silent : config_.faults.silentWrites) {
        if (silent - address < length) {
            if (stored.empty()) {
                stored.assign(data.begin(), data.end());
            }
            stored[silent - address] = static_cast<std::uint8_t>(~stored[silent - address]);
        }
    }
    if (!stored.empty()) {
        data = stored;
    }
    const std::uint32_t at = storageAddress(address);
    if (log_ != nullptr && !log_->flashWritten(at, data)) {
        return kStatusFailure;
    }
    flash_.write(at, data);
    request.bytesDone = static_cast<std::uint32_t>(kAuxHeaderSize + length);
    return kStatusSuccess;
}

std::uint32_t SimulatedCard::finish(CardSessionState& session) {
    if (log_ != nullptr && !log_->cardReset()) {
        return kStatusFailure;
    }
    restoreReset();
    // A reset card starts over: protocols run again and the aux port is closed.
    session = CardSessionState{};
    return kStatusSuccess;
}

std::optional<std::uint32_t> SimulatedCard::injectedFault(std::uint32_t oid) {
    std::optional<std::uint32_t> status;
    for (RequestFault& rule : config_.faults.requests) {
        if (rule.oid != oid) {
            continue;
        }
        if (rule.seen < kNoEnd) {
            ++rule.seen;
        }
        if (!status && rule.seen >= rule.first && rule.seen <= rule.last) {
            status = rule.status;
        }
    }
    return status;
}

bool SimulatedCard::flakyRead() {
    FlakyReads& flaky = config_.faults.flakyReads;
    if (flaky.every == 0 && flaky.first == 0) {
        return false;
    }
    if (flaky.seen < kNoEnd) {
        ++flaky.seen;
    }
    return (flaky.every != 0 && flaky.seen % flaky.every == 0) ||
           (flaky.first != 0 && flaky.seen >= flaky.first && flaky.seen <= flaky.last);
}

}  // namespace quillon::sim
