#include "sim/simulated_library.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "sim/text_compare.h"

namespace quillon::sim {

namespace {

// The NT family opens "\Device\" and the device name, cut as the program cuts it.
constexpr std::size_t kOpenNameLimit = 80;
constexpr std::uint32_t kErrorNoAdapterInfo = 2;

void copyName(card::AdapterRegistryInfo& info, std::size_t offset, std::size_t room,
              const std::string& name) {
    const std::size_t count = std::min(name.size(), room - 1);
    std::memcpy(info.bytes.data() + offset, name.data(), count);
    info.bytes[offset + count] = '\0';
}

std::uint16_t headerLength(const card::AdapterRequest& request) {
    if (request.buffer == nullptr || request.bufferLength < kAuxHeaderSize) {
        return 0;
    }
    return static_cast<std::uint16_t>(request.buffer[4] | (request.buffer[5] << 8));
}

std::uint32_t headerAddress(const card::AdapterRequest& request) {
    if (request.buffer == nullptr || request.bufferLength < kAuxHeaderSize) {
        return 0;
    }
    std::uint32_t address = 0;
    for (int i = 3; i >= 0; --i) {
        address = (address << 8) | request.buffer[i];
    }
    return address;
}

bool carriesAuxBlock(std::uint32_t oid) {
    return oid == kOidAuxRead || oid == kOidAuxWrite || oid == kOidSetupWrite;
}

}  // namespace

SimulatedLibrary::SimulatedLibrary(const BenchConfig& config,
                                   const std::vector<std::unique_ptr<SimulatedCard>>& cards)
    : config_(config), cards_(cards) {
    indexNames();
}

void SimulatedLibrary::indexNames() {
    bySubkey_.clear();
    byNtOpenName_.clear();
    for (std::size_t i = 0; i < config_.adapters.size(); ++i) {
        const AdapterConfig& adapter = config_.adapters[i];
        bySubkey_.emplace(toLowerAscii(adapter.subkey), i);
        byNtOpenName_.emplace(
            toLowerAscii(("\\Device\\" + adapter.deviceName).substr(0, kOpenNameLimit)), i);
    }
}

std::optional<std::size_t> SimulatedLibrary::findAdapterBySubkey(std::string_view subkey) const {
    const auto found = bySubkey_.find(toLowerAscii(subkey));
    if (found == bySubkey_.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool SimulatedLibrary::W32N_IsWindowsNT() {
    return config_.osFamily == OsFamily::Nt;
}

bool SimulatedLibrary::W32N_IsWindows95() {
    return config_.osFamily == OsFamily::Windows95;
}

std::uint32_t SimulatedLibrary::W32N_OSGetPlatformVersion(std::uint32_t selector) {
    return selector == 2 ? config_.osMajorVersion : 0;
}

std::uint32_t SimulatedLibrary::W32N_GetAdapterRegistryInfo(card::AdapterRegistryInfo& info,
                                                            std::string_view subkeyName) {
    const std::optional<std::size_t> position = findAdapterBySubkey(subkeyName);
    if (!position || *position >= config_.adapters.size()) {
        return kErrorNoAdapterInfo;
    }
    const AdapterConfig& adapter = config_.adapters[*position];
    if (!adapter.describable) {
        return kErrorNoAdapterInfo;
    }
    info.bytes.fill('\0');
    copyName(info, 0, card::AdapterRegistryInfo::kDeviceNameOffset, adapter.displayName);
    copyName(info, card::AdapterRegistryInfo::kDeviceNameOffset,
             card::AdapterRegistryInfo::kSize - card::AdapterRegistryInfo::kDeviceNameOffset,
             adapter.deviceName);
    return 0;
}

std::optional<std::size_t> SimulatedLibrary::findAdapterByName(std::string_view name) const {
    if (config_.osFamily != OsFamily::Nt) {
        return findAdapterBySubkey(name);
    }
    const auto found = byNtOpenName_.find(toLowerAscii(name));
    if (found == byNtOpenName_.end() || found->second >= config_.adapters.size()) {
        return std::nullopt;
    }
    return found->second;
}

card::AdapterHandle SimulatedLibrary::W32N_OpenAdapterA(std::string_view adapterName) {
    const std::optional<std::size_t> position = findAdapterByName(adapterName);
    if (!position) {
        lastError_ = config_.unknownAdapterError;
        return card::kInvalidAdapterHandle;
    }
    if (const auto& error = config_.adapters[*position].openError) {
        lastError_ = *error;
        return card::kInvalidAdapterHandle;
    }
    if (nextHandle_ == std::numeric_limits<card::AdapterHandle>::max()) {
        nextHandle_ = 0x100;
    }
    const card::AdapterHandle handle = nextHandle_++;
    open_[handle] = OpenAdapter{*position, CardSessionState{}};
    lastError_ = 0;
    return handle;
}

void SimulatedLibrary::W32N_CloseAdapter(card::AdapterHandle handle) {
    open_.erase(handle);
}

std::uint32_t SimulatedLibrary::W32N_GetLastError() {
    return lastError_;
}

std::uint32_t SimulatedLibrary::W32N_MakeNdisRequest(card::AdapterHandle handle,
                                                     card::AdapterRequest& request,
                                                     card::Overlapped& overlapped,
                                                     std::uint32_t /*wait*/) {
    RequestRecord record{request.requestType, request.oid, 0, 0, 0};
    std::uint16_t auxLength = 0;
    if (carriesAuxBlock(request.oid)) {
        record.address = headerAddress(request);
        auxLength = headerLength(request);
        record.length = auxLength;
    }
    const auto open = open_.find(handle);
    if (open == open_.end() || open->second.position >= cards_.size()) {
        record.status = kStatusFailure;
    } else {
        record.status = cards_[open->second.position]->answer(request, open->second.session);
    }
    overlapped.internal = record.status;
    overlapped.internalHigh = request.bytesDone;
    requests_.push_back(record);

    if (latency_.enabled) {
        std::uint64_t micros = latency_.perRequestMicros;
        if (request.oid == kOidAuxRead) {
            micros += std::uint64_t{auxLength} * latency_.perKiBReadMicros / 1024;
        } else if (request.oid == kOidAuxWrite) {
            micros += std::uint64_t{auxLength} * latency_.perKiBWrittenMicros / 1024;
        }
        spend(micros);
    }
    return record.status;
}

card::EventHandle SimulatedLibrary::createEvent() {
    if (config_.createEventFails) {
        return 0;
    }
    if (nextEvent_ == 0) {
        nextEvent_ = 1;
    }
    const card::EventHandle event = nextEvent_++;
    events_.insert(event);
    return event;
}

void SimulatedLibrary::resetEvent(card::EventHandle /*event*/) {}

void SimulatedLibrary::closeEvent(card::EventHandle event) {
    events_.erase(event);
}

void SimulatedLibrary::sleepMilliseconds(std::uint32_t milliseconds) {
    pauses_.push_back(milliseconds);
    if (latency_.enabled) {
        spend(std::uint64_t{milliseconds} * 1000);
    }
}

void SimulatedLibrary::setLatency(const LatencyModel& model, Sleeper* sleeper) {
    latency_ = model;
    sleeper_ = sleeper;
}

void SimulatedLibrary::spend(std::uint64_t micros) {
    latencyMicros_ += micros;
    if (sleeper_ != nullptr && micros > 0) {
        sleeper_->sleepMicroseconds(micros);
    }
}

std::optional<std::size_t> SimulatedLibrary::adapterOf(card::AdapterHandle handle) const {
    const auto open = open_.find(handle);
    if (open == open_.end()) {
        return std::nullopt;
    }
    return open->second.position;
}

}  // namespace quillon::sim
