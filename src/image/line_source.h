// Line-by-line reading of the text formats (S-records, dumps) from a file or from memory,
// with a bound on line length, so that a crafted file never makes a reader hold more than
// one block of it. A line ends at a line feed; a carriage return right before the line feed
// is not part of the line.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace quillon::image {

// One line, at most maxLine characters; a longer line comes out as pieces of maxLine
// characters, the first of them marked tooLong.
struct LineSlice {
    std::string_view text;
    bool tooLong = false;
};

class TextLineSource {
  public:
    TextLineSource(std::string_view text, std::size_t maxLine) : rest_(text), maxLine_(maxLine) {}

    // False at the end of the input.
    bool next(LineSlice& line);
    // Text in memory cannot fail to read.
    bool failed() const { return false; }

  private:
    std::string_view rest_;
    std::size_t maxLine_;
};

// Reads the file in large blocks; only the unread tail of a block is ever moved.
class FileLineSource {
  public:
    FileLineSource(std::FILE* file, std::size_t maxLine);

    bool next(LineSlice& line);
    // True when reading stopped on a read error rather than the end of the file.
    bool failed() const { return failed_; }

  private:
    void refill();

    std::FILE* file_;
    std::size_t maxLine_;
    // Left uninitialised: only what fread filled is ever read, and clearing the block would
    // touch every page of it.
    std::size_t size_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    bool failed_ = false;
};

}  // namespace quillon::image
