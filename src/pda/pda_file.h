// ".pda" files: production data records as hexadecimal text. A file is not a whole PDA: it
// carries no end record and no checksum, and loading one merges its records (and deletion
// items) into a PDA that is already held.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "pda/pda_image.h"
#include "pda/pda_text_reader.h"
#include "ui/user_interface.h"

namespace quillon::pda {

// Reads the file's words into the buffer; the number of words, or 0 when the file cannot be
// opened, holds no word, is malformed, or does not end on a record boundary. A file of more
// than 512 words, or with words after its end record, is refused, never cut. reason (when
// given) receives why a file was refused, naming its line, when that is known.
std::size_t readPdaFile(const std::string& path, std::array<std::uint16_t, 512>& words,
                        std::string* reason = nullptr);

// The file text for the list: one line per record, every word in lower-case hexadecimal
// followed by a blank, lines ending in CR LF.
std::string formatPdaFile(const PdaImage& pda);

// Writes formatPdaFile's text to the path atomically; false when it cannot be written, and
// an existing file is then left as it was.
bool writePdaFile(const PdaImage& pda, const std::string& path);

// Reads the file and merges its items into pda. False, after telling the person (and why,
// with the line, when the reader knows), when nothing could be read or no item was applied.
bool loadPdaFile(PdaImage& pda, const std::string& path, ui::UserInterface& ui);

}  // namespace quillon::pda
