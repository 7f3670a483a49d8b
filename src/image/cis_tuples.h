// The card information structure (CIS) of a PC Card, as a CIS image file carries it: a chain
// of tuples (code byte, link byte, link bytes of body) ended by a 0xFF byte. The file list
// reads it to tell a CIS image from firmware and to show its product name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quillon::image {

// Where a 3841-based and a 3842-based card keep their CIS.
inline constexpr std::uint32_t kCisAddress3841 = 0x3EFE00;
inline constexpr std::uint32_t kCisAddress3842 = 0x7EFE00;

inline constexpr std::uint8_t kTupleProductInfo = 0x15;
inline constexpr std::uint8_t kTupleFunctionExtension = 0x22;
inline constexpr std::uint8_t kTupleEnd = 0xFF;
inline constexpr std::size_t kMaxTuples = 50;

class CisTupleList {
  public:
    // Reads an S-record CIS image. False, showing nothing, for any file that is not one.
    bool readCisFile(const std::string& path);

    // Reads the tuples in bytes, which were read from address. False when a tuple runs past
    // the bytes, has a link of 0, or is the 51st, when the chain is empty, or when the bytes
    // end without the end marker and acceptWithoutEnd is false.
    bool parseTuples(std::span<const std::uint8_t> bytes, std::uint32_t address,
                     bool acceptWithoutEnd);

    // The index of the n-th tuple (from 0) with this code, or -1. For the function
    // extension tuple (0x22) the first body byte must also equal extensionType.
    int find(std::uint8_t code, std::uint8_t extensionType, int n) const;

    // The tuple's bytes (code, link, body), or nullptr for an index out of range.
    const std::vector<std::uint8_t>* get(int index) const;

    // String n (0 to 3) of the product information tuple, in text. False when there is none;
    // also false when the string does not fit in size - 1 characters, with text holding
    // what fitted.
    bool versionString(int n, std::string& text, std::size_t size) const;

    void clear();

    std::size_t count() const { return tuples_.size(); }
    std::uint32_t address() const { return address_; }

  private:
    std::vector<std::vector<std::uint8_t>> tuples_;
    std::uint32_t address_ = 0;
};

}  // namespace quillon::image
