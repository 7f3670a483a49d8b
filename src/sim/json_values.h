// The value readers behind bench.json: each checks the type and range of one JSON value and,
// on a problem, ends the read with a BenchError that names the value's path.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon::sim::json {

using Json = nlohmann::json;

// Thrown inside the bench.json reader only; parseBenchJson turns it into its error text.
struct BenchError {
    std::string message;
};

[[noreturn]] void fail(const std::string& path, const std::string& problem);

std::string child(const std::string& path, std::string_view key);
std::string item(const std::string& path, std::size_t index);

// An object whose keys are checked against the ones the reader asks for.
class Object {
  public:
    Object(const Json& json, std::string path) : json_(json), path_(std::move(path)) {
        if (!json_.is_object()) {
            fail(path_.empty() ? "(top level)" : path_, "expected an object");
        }
    }

    const std::string& path() const { return path_; }
    std::string pathOf(std::string_view key) const { return child(path_, key); }

    const Json* find(std::string_view key) {
        known_.insert(std::string(key));
        const auto it = json_.find(key);
        return it == json_.end() ? nullptr : &*it;
    }

    const Json& require(std::string_view key) {
        const Json* value = find(key);
        if (value == nullptr) {
            fail(pathOf(key), "missing");
        }
        return *value;
    }

    // Call after every key was asked for.
    void rejectUnknownKeys() const {
        for (const auto& entry : json_.items()) {
            if (known_.count(entry.key()) == 0) {
                fail(pathOf(entry.key()), "unknown key");
            }
        }
    }

  private:
    const Json& json_;
    std::string path_;
    std::set<std::string> known_;
};

std::uint64_t toNumber(const Json& json, const std::string& path, std::uint64_t max);
std::uint16_t toU16(const Json& json, const std::string& path);
std::uint32_t toU32(const Json& json, const std::string& path);
bool toBool(const Json& json, const std::string& path);
std::string toString(const Json& json, const std::string& path);
const Json& toArray(const Json& json, const std::string& path);
std::vector<std::uint16_t> toWords(const Json& json, const std::string& path, std::size_t maxWords);
// Hexadecimal bytes; blanks and line breaks between pairs of digits are ignored.
std::vector<std::uint8_t> toHexBytes(const Json& json, const std::string& path);
// "00-02-B3-12-34-56".
std::array<std::uint8_t, 6> toMacAddress(const Json& json, const std::string& path);

}  // namespace quillon::sim::json
