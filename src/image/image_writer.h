// Writing a MemoryImage to disk as S-records (".hex") or as a text dump (".dmp"). Both files
// are built in memory and written atomically, so a failed write never destroys an existing
// file. Both writers read the image from its read cursor without rewinding it: they are
// meant for freshly filled images; rewind first to write an image that was read before.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "image/memory_image.h"
#include "image/plug_list.h"

namespace quillon::image {

// S3 data records of at most 16 bytes, the plug list's records (when given) at the plug
// address, and an S7 record with the execution address (0 when the image has none). Returns
// the number of data records plus one for the termination record; 0 when the file cannot be
// written.
std::uint16_t writeHexFile(const std::string& path, MemoryImage& image, PlugList* plugs);

// One line per block of at most 16 bytes: the address, then 16-bit little-endian words.
// Returns the number of lines; 0, writing nothing, when the file cannot be written or the
// image is empty.
std::uint16_t writeDumpFile(const std::string& path, MemoryImage& image);

// Appends one S-record line without its line end: "S", the type, the count, the address in as
// many bytes as the type takes (S0, S1, S5, S9: 2; S2, S8: 3; S3, S7: 4), the data and the
// checksum, the ones' complement of the sum of the count, the address and the data bytes.
// data holds at most 250 bytes.
void appendSrecLine(std::string& out, char type, std::uint32_t address,
                    std::span<const std::uint8_t> data);

// The texts the two writers would write, for callers that keep them in memory.
std::string hexFileText(MemoryImage& image, PlugList* plugs, std::uint32_t* records = nullptr);
std::string dumpFileText(MemoryImage& image, std::uint32_t* lines = nullptr);

}  // namespace quillon::image
