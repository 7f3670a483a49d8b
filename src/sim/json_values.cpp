#include "sim/json_values.h"

#include "base/hex_digits.h"

namespace quillon::sim::json {

void fail(const std::string& path, const std::string& problem) {
    throw BenchError{"bench.json: " + path + ": " + problem};
}

std::string child(const std::string& path, std::string_view key) {
    return path.empty() ? std::string(key) : path + "." + std::string(key);
}

std::string item(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

std::uint64_t toNumber(const Json& json, const std::string& path, std::uint64_t max) {
    std::uint64_t value = 0;
    if (json.is_number_unsigned()) {
        value = json.get<std::uint64_t>();
    } else if (json.is_number_integer()) {
        fail(path, "number out of range (0 to " + std::to_string(max) + ")");
    } else if (json.is_string()) {
        // Hexadecimal text such as "0xFF010186", easier to read for OIDs and addresses.
        const std::string& text = json.get_ref<const std::string&>();
        if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
            fail(path, "expected a number");
        }
        for (std::size_t i = 2; i < text.size(); ++i) {
            const int digit = hexDigitValue(text[i]);
            if (digit < 0) {
                fail(path, "expected a number");
            }
            if (value > (max >> 4)) {
                fail(path, "number out of range (0 to " + std::to_string(max) + ")");
            }
            value = (value << 4) | static_cast<std::uint64_t>(digit);
        }
    } else {
        fail(path, "expected a number");
    }
    if (value > max) {
        fail(path, "number out of range (0 to " + std::to_string(max) + ")");
    }
    return value;
}

std::uint16_t toU16(const Json& json, const std::string& path) {
    return static_cast<std::uint16_t>(toNumber(json, path, 0xFFFF));
}

std::uint32_t toU32(const Json& json, const std::string& path) {
    return static_cast<std::uint32_t>(toNumber(json, path, 0xFFFFFFFF));
}

bool toBool(const Json& json, const std::string& path) {
    if (!json.is_boolean()) {
        fail(path, "expected true or false");
    }
    return json.get<bool>();
}

std::string toString(const Json& json, const std::string& path) {
    if (!json.is_string()) {
        fail(path, "expected a string");
    }
    return json.get<std::string>();
}

const Json& toArray(const Json& json, const std::string& path) {
    if (!json.is_array()) {
        fail(path, "expected an array");
    }
    return json;
}

std::vector<std::uint16_t> toWords(const Json& json, const std::string& path,
                                   std::size_t maxWords) {
    const Json& array = toArray(json, path);
    if (array.size() > maxWords) {
        fail(path, "more than " + std::to_string(maxWords) + " words");
    }
    std::vector<std::uint16_t> words;
    words.reserve(array.size());
    for (std::size_t i = 0; i < array.size(); ++i) {
        words.push_back(toU16(array[i], item(path, i)));
    }
    return words;
}

std::vector<std::uint8_t> toHexBytes(const Json& json, const std::string& path) {
    const std::string text = toString(json, path);
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (high >= 0) {
                fail(path, "expected pairs of hexadecimal digits");
            }
            continue;
        }
        const int digit = hexDigitValue(c);
        if (digit < 0) {
            fail(path, "expected pairs of hexadecimal digits");
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0) {
        fail(path, "expected pairs of hexadecimal digits");
    }
    return bytes;
}

std::array<std::uint8_t, 6> toMacAddress(const Json& json, const std::string& path) {
    const std::string text = toString(json, path);
    std::array<std::uint8_t, 6> address{};
    bool ok = text.size() == 17;
    for (std::size_t i = 0; ok && i < 6; ++i) {
        const int high = hexDigitValue(text[3 * i]);
        const int low = hexDigitValue(text[3 * i + 1]);
        ok = high >= 0 && low >= 0 && (i == 5 || text[3 * i + 2] == '-');
        address[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    if (!ok) {
        fail(path, "expected six bytes like \"00-02-B3-12-34-56\"");
    }
    return address;
}

}  // namespace quillon::sim::json
