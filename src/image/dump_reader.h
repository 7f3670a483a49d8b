// Reading text dumps (".dmp") into a MemoryImage. The reader accepts more than the dump
// writer produces, so that dumps can be written by hand:
//
//   ; a comment            # also a comment (blank lines are skipped too)
//   7e0000: 1234 5678      16-bit values, stored low byte first from the address on
//   1000-101f: 1234        the values repeated to fill the addresses 1000 to 101f
//
// Values have 1 to 4 hex digits and are separated by spaces or commas, at most 32 on a line;
// a ';' or '#' after a value starts a comment.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "image/memory_image.h"

namespace quillon::image {

// Longer lines fail the whole read.
inline constexpr std::size_t kDumpLineLimit = 255;
inline constexpr std::size_t kDumpValueLimit = 32;

// Appends the dump's data to the image (data the image refuses is dropped). Returns the
// number of lines read (at most 65,535), or 0 when the file cannot be read, a line is too
// long, or a line holds no readable values. For the last case "\nERROR reading line %x" is
// written to the log and, when given, to errors.
std::uint16_t readDumpFile(const std::string& path, MemoryImage& image,
                           std::ostream* errors = nullptr);

// The same over dump text held in memory.
std::uint16_t readDumpText(std::string_view text, MemoryImage& image,
                           std::ostream* errors = nullptr);

}  // namespace quillon::image
