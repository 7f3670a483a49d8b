// The reader of ".pda" text: hexadecimal words, one flat run, whose record structure comes
// from the length words alone. Bytes are fed in as they are read from a file, so a file of
// any size is read in bounded memory; reading stops at 512 words.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "pda/pda_image.h"

namespace quillon::pda {

using PdaWords = std::array<std::uint16_t, kPdaWordLimit>;

class PdaTextReader {
  public:
    explicit PdaTextReader(PdaWords& words) : words_(words) {}

    // Takes the next bytes of the file. False once no more input is wanted: the file was
    // rejected, or 512 words are stored.
    bool feed(std::string_view bytes);

    // Ends the input (closing a last token) and returns the number of words read, or 0 when
    // the file was rejected, held no word, or did not end on a record boundary.
    std::size_t finish();

  private:
    bool take(char c);
    bool closeToken();

    PdaWords& words_;
    std::size_t stored_ = 0;
    // Where the next length word is due; the file must end exactly there.
    std::size_t nextLengthAt_ = 0;
    std::uint16_t value_ = 0;
    unsigned digits_ = 0;
    bool tokenOpen_ = false;
    bool prefixSeen_ = false;
    bool inComment_ = false;
    bool rejected_ = false;
    bool finished_ = false;
};

// Reads the text of a whole ".pda" file held in memory.
std::size_t readPdaText(std::string_view text, PdaWords& words);

}  // namespace quillon::pda
