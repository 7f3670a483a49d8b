#include "bench_client.h"

namespace quillon::sim::testing {

std::string openName(const SimulatedBench& bench, std::size_t position) {
    const AdapterConfig& adapter = bench.config().adapters.at(position);
    if (bench.config().osFamily == OsFamily::Nt) {
        return ("\\Device\\" + adapter.deviceName).substr(0, 80);
    }
    return adapter.subkey;
}

std::vector<std::uint8_t> pattern(std::size_t length, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

BenchClient::BenchClient(SimulatedBench& bench, std::size_t position)
    : bench_(bench),
      position_(position),
      handle_(bench.library().W32N_OpenAdapterA(openName(bench, position))) {}

BenchClient::~BenchClient() {
    if (isOpen()) {
        bench_.library().W32N_CloseAdapter(handle_);
    }
}

std::uint32_t BenchClient::request(std::uint32_t type, std::uint32_t oid,
                                   std::vector<std::uint8_t>& buffer) {
    card::AdapterRequest request;
    request.requestType = type;
    request.oid = oid;
    request.buffer = buffer.empty() ? nullptr : buffer.data();
    request.bufferLength = static_cast<std::uint32_t>(buffer.size());
    card::Overlapped overlapped;
    return bench_.library().W32N_MakeNdisRequest(handle_, request, overlapped, 1);
}

std::uint32_t BenchClient::set(std::uint32_t oid) {
    std::vector<std::uint8_t> none;
    return request(card::kSetInformation, oid, none);
}

std::uint32_t BenchClient::readRid(std::uint16_t rid, std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> buffer(504, 0);
    buffer[2] = static_cast<std::uint8_t>(rid & 0xFF);
    buffer[3] = static_cast<std::uint8_t>(rid >> 8);
    const std::uint32_t status = request(card::kQueryInformation, kOidReadRid, buffer);
    words.assign(252, 0);
    for (std::size_t i = 0; i < 252; ++i) {
        words[i] = static_cast<std::uint16_t>(buffer[2 * i] | (buffer[2 * i + 1] << 8));
    }
    words.resize(std::min<std::size_t>(words[0] + 1u, 252));
    return status;
}

namespace {

std::vector<std::uint8_t> auxBlock(std::uint32_t address, std::uint16_t length) {
    std::vector<std::uint8_t> buffer(6 + length, 0);
    for (int i = 0; i < 4; ++i) {
        buffer[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(address >> (8 * i));
    }
    buffer[4] = static_cast<std::uint8_t>(length & 0xFF);
    buffer[5] = static_cast<std::uint8_t>(length >> 8);
    return buffer;
}

}  // namespace

std::uint32_t BenchClient::auxRead(std::uint32_t address, std::uint16_t length,
                                   std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> buffer = auxBlock(address, length);
    if (length >= 2) {
        buffer[6] = 0xDE;
        buffer[7] = 0xAD;
    }
    const std::uint32_t status = request(card::kQueryInformation, kOidAuxRead, buffer);
    data.assign(buffer.begin() + 6, buffer.end());
    return status;
}

std::uint32_t BenchClient::auxWrite(std::uint32_t address, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> buffer = auxBlock(address, static_cast<std::uint16_t>(data.size()));
    std::copy(data.begin(), data.end(), buffer.begin() + 6);
    return request(card::kSetInformation, kOidAuxWrite, buffer);
}

std::uint32_t BenchClient::setupWrite(std::uint32_t address) {
    std::vector<std::uint8_t> buffer = auxBlock(address, 2);
    buffer[6] = 0x00;
    buffer[7] = 0xE1;
    return request(card::kSetInformation, kOidSetupWrite, buffer);
}

void BenchClient::prepareWrites() {
    set(kOidBlockProtocols);
    set(kOidEnableAux);
    setupWrite(bench_.card(position_).setupWriteAddress());
}

}  // namespace quillon::sim::testing
