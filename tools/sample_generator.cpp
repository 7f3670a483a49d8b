#include "sample_generator.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "image/image_writer.h"

namespace quillon::tools {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Card addresses of a 3842-based card.
constexpr std::uint32_t kStationBase = 0x7E0000;  // station image; its identity block
constexpr std::uint32_t kPrimaryBase = 0x7F1800;  // primary image; its identity block
constexpr std::uint32_t kCisAddress = 0x7EFE00;

// Reserved addresses of the S-record format.
constexpr std::uint32_t kPlugRecord = 0xFF000000;
constexpr std::uint32_t kMarkerRecord = 0xFF100000;
constexpr std::uint32_t kInfoRecord = 0xFF200000;

constexpr std::uint32_t kFileNamePlug = 0xFFFFFFFF;

void putWord(Bytes& out, std::uint16_t w) {
    out.push_back(static_cast<std::uint8_t>(w & 0xFF));
    out.push_back(static_cast<std::uint8_t>(w >> 8));
}

void putLong(Bytes& out, std::uint32_t v) {
    putWord(out, static_cast<std::uint16_t>(v & 0xFFFF));
    putWord(out, static_cast<std::uint16_t>(v >> 16));
}

class SrecWriter {
  public:
    void header(const std::string& text) {
        Bytes data(text.begin(), text.end());
        record('0', 0, data);
    }
    // Data as S3 records of 16 bytes.
    void data(std::uint32_t address, const Bytes& bytes) {
        for (std::size_t i = 0; i < bytes.size(); i += 16) {
            const std::size_t n = bytes.size() - i < 16 ? bytes.size() - i : 16;
            record('3', address + static_cast<std::uint32_t>(i),
                   Bytes(bytes.begin() + static_cast<long>(i),
                         bytes.begin() + static_cast<long>(i + n)));
        }
    }
    void info(std::uint16_t type, const std::vector<std::uint16_t>& words) {
        Bytes data;
        putWord(data, static_cast<std::uint16_t>(words.size() + 1));
        putWord(data, type);
        for (std::uint16_t w : words) {
            putWord(data, w);
        }
        record('3', kInfoRecord, data);
    }
    void plug(std::uint32_t code, std::uint32_t target, std::uint32_t length) {
        Bytes data;
        putLong(data, code);
        putLong(data, target);
        putLong(data, length);
        record('3', kPlugRecord, data);
    }
    void marker(std::uint32_t address, std::uint32_t flag) {
        Bytes data;
        putLong(data, address);
        putLong(data, 0);
        putLong(data, flag);
        record('3', kMarkerRecord, data);
    }
    std::string finish(std::uint32_t executionAddress) {
        record('7', executionAddress, {});
        return text_;
    }

  private:
    void record(char type, std::uint32_t address, const Bytes& data) {
        image::appendSrecLine(text_, type, address, data);
        text_ += "\r\n";
    }

    std::string text_;
};

// Deterministic filler that looks like code rather than a pattern.
Bytes filler(std::size_t size, std::uint32_t seed) {
    Bytes out(size);
    std::uint32_t x = seed;
    for (auto& b : out) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    return out;
}

struct Identity {
    std::uint16_t id, variant, major, minor;
};
struct Range {
    std::uint16_t role, interfaceId, variant, bottom, top;
};

// The identity block the simulated card reads at reset to learn which firmware its flash holds.
Bytes identityBlock(Identity id, Range range) {
    Bytes out{'Q', 'I', 'D', 'B'};
    for (std::uint16_t w : {id.id, id.variant, id.major, id.minor, range.role, range.interfaceId,
                            range.variant, range.bottom, range.top, std::uint16_t{0}}) {
        putWord(out, w);
    }
    return out;
}

constexpr Identity kPrimary{21, 1, 1, 1};  // 1.1.1
constexpr Identity kStation{31, 0, 1, 8};  // 1.8.0
constexpr Range kPrimarySupplies{0, 3, 1, 1, 2};
constexpr Range kStationActs{1, 3, 1, 1, 2};

Bytes primaryImage() {
    Bytes image = filler(0x2000, 0x21);
    const Bytes block = identityBlock(kPrimary, kPrimarySupplies);
    std::copy(block.begin(), block.end(), image.begin());
    return image;
}

Bytes stationLow() {
    Bytes image = filler(0x4000, 0x31);
    const Bytes block = identityBlock(kStation, kStationActs);
    std::copy(block.begin(), block.end(), image.begin());
    return image;
}

Bytes stationHigh() {
    return filler(0x2000, 0x32);
}

void primaryRecords(SrecWriter& w) {
    w.info(1, {kPrimary.id, kPrimary.variant, kPrimary.major, kPrimary.minor});
    w.info(2, {kPrimarySupplies.role, kPrimarySupplies.interfaceId, kPrimarySupplies.variant,
               kPrimarySupplies.bottom, kPrimarySupplies.top});
    w.info(2, {1, 1, 1, 1, 1});  // acts on the modem firmware interface
    w.info(2, {1, 2, 1, 1, 1});  // acts on the controller firmware interface
    w.info(3, {42});
    w.plug(0x0001, kPrimaryBase + 0x20, 12);  // part number text
    w.plug(0x0008, kPrimaryBase + 0x30, 8);   // platform
    w.plug(kFileNamePlug, kPrimaryBase + 0x40, 20);
}

void stationRecords(SrecWriter& w) {
    w.info(1, {kStation.id, kStation.variant, kStation.major, kStation.minor});
    w.info(2, {kStationActs.role, kStationActs.interfaceId, kStationActs.variant,
               kStationActs.bottom, kStationActs.top});
    w.info(2, {0, 4, 1, 1, 1});  // supplies the station firmware-driver interface
    w.info(3, {87});
    w.plug(0x0101, kStationBase + 0x40, 6);   // MAC address
    w.plug(0x0003, kStationBase + 0x50, 12);  // serial number
    w.plug(0x0300, kStationBase + 0x60, 28);  // set point
    w.plug(0x0301, kStationBase + 0x80, 34);  // integrator
    w.plug(kFileNamePlug, kStationBase + 0xB0, 20);
}

void platforms(SrecWriter& w) {
    w.info(4, {0x8002, 0, 0, 0});
    w.info(4, {0x8003, 0, 0, 0});
}

std::string primaryFile() {
    SrecWriter w;
    w.header("Quillon sample primary firmware 1.1.1");
    primaryRecords(w);
    platforms(w);
    w.data(kPrimaryBase, primaryImage());
    // The marker word closes the image: the card's boot code looks for 0xC0DE there.
    w.marker(kPrimaryBase + 0x2000, 1);
    return w.finish(0);
}

std::string stationFile() {
    SrecWriter w;
    w.header("Quillon sample station firmware 1.8.0");
    stationRecords(w);
    platforms(w);
    w.data(kStationBase, stationLow());
    w.data(kStationBase + 0x8000, stationHigh());
    w.marker(kStationBase + 0x4000, 1);
    return w.finish(0);
}

std::string combinedFile() {
    SrecWriter w;
    w.header("Quillon sample primary 1.1.1 and station 1.8.0");
    primaryRecords(w);
    stationRecords(w);
    platforms(w);
    w.data(kStationBase, stationLow());
    w.data(kStationBase + 0x8000, stationHigh());
    w.data(kPrimaryBase, primaryImage());
    w.marker(kStationBase + 0x4000, 1);
    w.marker(kPrimaryBase + 0x2000, 1);
    return w.finish(0);
}

std::string cisFile() {
    Bytes cis;
    // Device tuple: one 2 MB flash device.
    for (int b : {0x01, 0x03, 0xD9, 0x01, 0xFF}) {
        cis.push_back(static_cast<std::uint8_t>(b));
    }
    // Product information: version 5.0, then manufacturer, product, version and an empty string.
    Bytes vers{0x05, 0x00};
    for (const char* s : {"QUILLON", "WLAN 11Mbps PC Card", "Version 01.02", ""}) {
        for (const char* p = s; *p != '\0'; ++p) {
            vers.push_back(static_cast<std::uint8_t>(*p));
        }
        vers.push_back(0);
    }
    vers.push_back(0xFF);
    cis.push_back(0x15);
    cis.push_back(static_cast<std::uint8_t>(vers.size()));
    cis.insert(cis.end(), vers.begin(), vers.end());
    // Manufacturer id 0x0156, card id 0x0002.
    for (int b : {0x20, 0x04, 0x56, 0x01, 0x02, 0x00}) {
        cis.push_back(static_cast<std::uint8_t>(b));
    }
    cis.push_back(0xFF);  // end of the chain
    SrecWriter w;
    w.header("Quillon sample CIS for a 3842-based card");
    w.data(kCisAddress, cis);
    return w.finish(0);
}

std::string hexWords(const std::vector<std::uint16_t>& words) {
    std::string out;
    char buf[8];
    for (std::uint16_t w : words) {
        std::snprintf(buf, sizeof buf, "%x ", w);
        out += buf;
    }
    return out;
}

std::vector<std::uint16_t> textWords(const std::string& text, std::size_t words) {
    std::vector<std::uint16_t> out(words, 0);
    for (std::size_t i = 0; i < text.size() && i < words * 2; ++i) {
        const auto c = static_cast<std::uint16_t>(static_cast<unsigned char>(text[i]));
        out[i / 2] = static_cast<std::uint16_t>(out[i / 2] | (i % 2 == 0 ? c : c << 8));
    }
    return out;
}

std::string macSerialPda() {
    std::string out;
    out += "; Quillon sample production data: a new MAC address and serial number\r\n";
    out += "; MAC address 00-02-B3-AB-CD-EF, two bytes per word, low byte first\r\n";
    out += "4 101 " + hexWords({0x0200, 0xABB3, 0xEFCD}) + "\r\n";
    out += "; serial number QSN-000042\r\n";
    out += "7 3 " + hexWords(textWords("QSN-000042", 6)) + "\r\n";
    return out;
}

std::string setPointPda() {
    std::vector<std::uint16_t> setPoint;  // two sets of 14 and two replacement words
    for (std::uint16_t i = 0; i < 30; ++i) {
        setPoint.push_back(static_cast<std::uint16_t>(0x1100 + i));
    }
    std::vector<std::uint16_t> integrator;  // two sets of 14, two replacements, three shared
    for (std::uint16_t i = 0; i < 33; ++i) {
        integrator.push_back(static_cast<std::uint16_t>(0x2200 + i));
    }
    std::string out;
    out += "# Quillon sample production data: set-point and integrator sources\r\n";
    out += "# for every regulatory domain; the card's own domain picks its values\r\n";
    out += "1f 900 " + hexWords(setPoint) + "\r\n";
    out += "22 901 " + hexWords(integrator) + "\r\n";
    return out;
}

}  // namespace

std::map<std::string, std::string> makeSamples() {
    return {
        {"primary-1.1.1.hex", primaryFile()},         {"station-1.8.0.hex", stationFile()},
        {"combined-1.1.1-1.8.0.hex", combinedFile()}, {"cis-3842.hex", cisFile()},
        {"mac-serial.pda", macSerialPda()},           {"set-point.pda", setPointPda()},
    };
}

}  // namespace quillon::tools
