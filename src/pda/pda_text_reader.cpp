#include "pda/pda_text_reader.h"

#include "base/hex_digits.h"

namespace quillon::pda {
namespace {

// A token may carry leading zeros before an "x" (as in 0x0012), so up to six digits are
// allowed with the prefix and four without.
constexpr unsigned kMaxDigitsWithPrefix = 6;
constexpr unsigned kMaxDigitsPlain = 4;

char toLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == ',';
}

bool isCommentStart(char c) {
    return c == ';' || c == '#';
}

}  // namespace

bool PdaTextReader::feed(std::string_view bytes) {
    // A UTF-8 byte-order mark (which some editors write first) is not part of the text; it
    // may arrive split over several feeds.
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    while (markSeen_ < kByteOrderMark.size() && !bytes.empty()) {
        if (bytes.front() != kByteOrderMark[markSeen_]) {
            // Not a mark after all: what was held back is text.
            const std::size_t held = markSeen_;
            markSeen_ = kByteOrderMark.size();
            for (std::size_t i = 0; i < held; ++i) {
                if (!take(kByteOrderMark[i])) {
                    return false;
                }
            }
            break;
        }
        ++markSeen_;
        bytes.remove_prefix(1);
    }
    for (const char c : bytes) {
        if (!take(c)) {
            return false;
        }
    }
    return !rejected_;
}

std::size_t PdaTextReader::finish() {
    if (!finished_) {
        finished_ = true;
        // A file that is only the start of a mark holds those bytes as text.
        if (markSeen_ < 3) {
            const std::size_t held = markSeen_;
            markSeen_ = 3;
            for (std::size_t i = 0; i < held && !rejected_; ++i) {
                take("\xEF\xBB\xBF"[i]);
            }
        }
        // The end of the file closes a last token as a line end would.
        take('\n');
        if (!rejected_ && stored_ != nextLengthAt_) {
            // take('\n') counted one line more than the file has when it ends in a line feed.
            reason_ = "line " + std::to_string(lengthLine_) + ": the record's length word says " +
                      std::to_string(nextLengthAt_ - lengthAt_ - 1) +
                      " words follow, but the file " + "ends after " +
                      std::to_string(stored_ - lengthAt_ - 1);
        }
    }
    if (rejected_ || stored_ != nextLengthAt_) {
        return 0;
    }
    return stored_;
}

bool PdaTextReader::take(char raw) {
    if (rejected_) {
        return false;
    }
    const char c = toLowerAscii(raw);

    if (inComment_) {
        if (c == '\n') {
            inComment_ = false;
            ++line_;
        }
        return true;
    }

    if (isSeparator(c) || isCommentStart(c)) {
        if (tokenOpen_ && !closeToken()) {
            return false;
        }
        if (c == '\n') {
            ++line_;
        }
        if (isCommentStart(c)) {
            inComment_ = true;
        }
        return true;
    }

    const int digit = hexDigitValue(c);
    if (digit >= 0) {
        if (!tokenOpen_) {
            tokenOpen_ = true;
            prefixSeen_ = false;
            value_ = 0;
            digits_ = 0;
            overflow_ = false;
        }
        // Leading zeros may be many; a significant digit pushed off the top may not.
        overflow_ = overflow_ || (value_ & 0xF000) != 0;
        value_ = static_cast<std::uint16_t>((value_ << 4) | static_cast<unsigned>(digit));
        // Counting stops past the limit; the token is rejected when it closes.
        if (digits_ <= kMaxDigitsWithPrefix) {
            ++digits_;
        }
        return true;
    }

    if (c == 'x') {
        // The prefix belongs after a zero value (0x1f, 00x1f); an "x" that opens a token has
        // no digit before it, and a lone "x" must not pass for a word, so both are refused.
        if (!tokenOpen_ || value_ != 0) {
            return reject("an \"x\" that does not follow a leading 0 (as in 0x1f)");
        }
        prefixSeen_ = true;
        return true;
    }

    // Any other byte opens a comment between tokens (so a line that starts with a word such as
    // MAC is a remark) but spoils a token it touches.
    if (tokenOpen_) {
        std::string why = "a word holds a character that is not a hex digit";
        if (raw >= 0x21 && raw <= 0x7E) {
            why += std::string(" ('") + raw + "')";
        }
        rejected_ = true;
        reason_ = "line " + std::to_string(line_) + ": " + why;
        return false;
    }
    inComment_ = true;
    return true;
}

bool PdaTextReader::reject(const char* why) {
    rejected_ = true;
    reason_ = "line " + std::to_string(line_) + ": " + why;
    return false;
}

bool PdaTextReader::closeToken() {
    tokenOpen_ = false;
    if (overflow_) {
        return reject("a word does not fit 16 bits");
    }
    const unsigned limit = prefixSeen_ ? kMaxDigitsWithPrefix : kMaxDigitsPlain;
    if (digits_ > limit) {
        return reject("a word has more than 4 hex digits (6 with 0x)");
    }
    if (stored_ >= words_.size()) {
        return reject("the file holds more than 512 words");
    }
    if (stored_ == nextLengthAt_) {
        // Whatever stands after the end record would be dropped without a word.
        if (endRecord_) {
            return reject("words follow the end record");
        }
        lengthAt_ = stored_;
        lengthLine_ = line_;
        nextLengthAt_ = stored_ + value_ + 1;
    } else if (stored_ == lengthAt_ + 1 && value_ == kPdrEnd && words_[lengthAt_] == 2) {
        endRecord_ = true;
    }
    words_[stored_++] = value_;
    return true;
}

std::size_t readPdaText(std::string_view text, PdaWords& words, std::string* reason) {
    PdaTextReader reader(words);
    reader.feed(text);
    const std::size_t count = reader.finish();
    if (reason != nullptr) {
        *reason = reader.reason();
    }
    return count;
}

}  // namespace quillon::pda
