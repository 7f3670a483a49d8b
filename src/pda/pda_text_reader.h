// The reader of ".pda" text: hexadecimal words, one flat run, whose record structure comes
// from the length words alone. Bytes are fed in as they are read from a file, so a file of
// any size is read in bounded memory. A file is refused, never cut, when it holds more than
// 512 words, words after its end record, or a token that does not fit 16 bits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "pda/pda_image.h"

namespace quillon::pda {

using PdaWords = std::array<std::uint16_t, kPdaWordLimit>;

class PdaTextReader {
  public:
    explicit PdaTextReader(PdaWords& words) : words_(words) {}

    // Takes the next bytes of the file. False once no more input is wanted: the file was
    // rejected.
    bool feed(std::string_view bytes);

    // Why the file was rejected, naming its line ("line 7: ..."); empty when no reason is
    // known.
    const std::string& reason() const { return reason_; }

    // Ends the input (closing a last token) and returns the number of words read, or 0 when
    // the file was rejected, held no word, or did not end on a record boundary.
    std::size_t finish();

  private:
    bool take(char c);
    bool closeToken();
    bool reject(const char* why);

    PdaWords& words_;
    std::size_t stored_ = 0;
    // Where the next length word is due; the file must end exactly there.
    std::size_t nextLengthAt_ = 0;
    std::size_t lengthAt_ = 0;  // where the length word of the record under way stands
    std::uint16_t value_ = 0;
    unsigned digits_ = 0;
    bool tokenOpen_ = false;
    bool prefixSeen_ = false;
    bool inComment_ = false;
    bool rejected_ = false;
    bool finished_ = false;
    bool overflow_ = false;   // the open token lost digits off its top
    bool endRecord_ = false;  // the record under way is the end record
    std::size_t line_ = 1;
    std::size_t lengthLine_ = 1;  // the line of the length word of the record under way
    std::size_t markSeen_ = 0;    // bytes of a leading byte-order mark taken so far
    std::string reason_;
};

// Reads the text of a whole ".pda" file held in memory; reason (when given) receives why it
// was refused.
std::size_t readPdaText(std::string_view text, PdaWords& words, std::string* reason = nullptr);

}  // namespace quillon::pda
