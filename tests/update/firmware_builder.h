// Builds small S-record firmware files in code: information records (identities,
// compatibility ranges, platforms), plug records, data and the termination record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/image_writer.h"

namespace quillon::testing {

class FirmwareBuilder {
  public:
    using Bytes = std::vector<std::uint8_t>;

    FirmwareBuilder& primary(std::uint16_t major, std::uint16_t minor, std::uint16_t variant) {
        return info(1, {21, variant, major, minor});
    }
    FirmwareBuilder& station(std::uint16_t major, std::uint16_t minor, std::uint16_t variant) {
        return info(1, {31, variant, major, minor});
    }
    FirmwareBuilder& range(std::uint16_t role, std::uint16_t interfaceId, std::uint16_t bottom,
                           std::uint16_t top) {
        return info(2, {role, interfaceId, 1, bottom, top});
    }
    FirmwareBuilder& platform(std::uint16_t id) { return info(4, {id, 0, 0, 0}); }

    FirmwareBuilder& plug(std::uint32_t code, std::uint32_t target, std::uint32_t length) {
        Bytes data;
        putLong(data, code);
        putLong(data, target);
        putLong(data, length);
        record('3', 0xFF000000, data);
        return *this;
    }

    // Data as S3 records of 16 bytes.
    FirmwareBuilder& data(std::uint32_t address, const Bytes& bytes) {
        for (std::size_t i = 0; i < bytes.size(); i += 16) {
            const std::size_t n = bytes.size() - i < 16 ? bytes.size() - i : 16;
            record('3', address + static_cast<std::uint32_t>(i),
                   Bytes(bytes.begin() + static_cast<long>(i),
                         bytes.begin() + static_cast<long>(i + n)));
        }
        return *this;
    }

    std::string text(std::uint32_t executionAddress = 0) const {
        FirmwareBuilder copy = *this;
        copy.record('7', executionAddress, {});
        return copy.text_;
    }

    // Deterministic bytes that look like code.
    static Bytes filler(std::size_t size, std::uint32_t seed) {
        Bytes out(size);
        std::uint32_t x = seed;
        for (auto& b : out) {
            x = x * 1103515245u + 12345u;
            b = static_cast<std::uint8_t>(x >> 16);
        }
        return out;
    }

  private:
    static void putWord(Bytes& out, std::uint16_t w) {
        out.push_back(static_cast<std::uint8_t>(w & 0xFF));
        out.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    static void putLong(Bytes& out, std::uint32_t v) {
        putWord(out, static_cast<std::uint16_t>(v & 0xFFFF));
        putWord(out, static_cast<std::uint16_t>(v >> 16));
    }

    FirmwareBuilder& info(std::uint16_t type, const std::vector<std::uint16_t>& words) {
        Bytes data;
        putWord(data, static_cast<std::uint16_t>(words.size() + 1));
        putWord(data, type);
        for (std::uint16_t w : words) {
            putWord(data, w);
        }
        record('3', 0xFF200000, data);
        return *this;
    }

    void record(char type, std::uint32_t address, const Bytes& data) {
        image::appendSrecLine(text_, type, address, data);
        text_ += "\r\n";
    }

    std::string text_;
};

}  // namespace quillon::testing
