#include "image/line_source.h"

#include <algorithm>
#include <cstring>

namespace quillon::image {
namespace {

// Small enough that the block's pages, each faulted in on first use, cost less than the reads
// saved by a larger one: a 600 KB firmware file read through 256 KiB blocks spent more time
// faulting in the block than parsing.
constexpr std::size_t kBlockSize = 32 * 1024;

// Splits the next line off the front of window, which holds either the rest of the input or
// at least maxLine + 2 characters (room for the line, a carriage return and the line feed).
// Returns the number of characters consumed.
std::size_t splitLine(std::string_view window, std::size_t maxLine, LineSlice& line) {
    const std::size_t reach = std::min(window.size(), maxLine + 2);
    const void* feed = std::memchr(window.data(), '\n', reach);
    if (feed != nullptr) {
        const auto end = static_cast<std::size_t>(static_cast<const char*>(feed) - window.data());
        line.text = window.substr(0, end);
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.remove_suffix(1);
        }
        line.tooLong = line.text.size() > maxLine;
        if (line.tooLong) {
            line.text = line.text.substr(0, maxLine);
        }
        return end + 1;
    }
    line.tooLong = window.size() > maxLine;
    if (line.tooLong) {
        line.text = window.substr(0, maxLine);
        return maxLine;
    }
    line.text = window;
    return window.size();
}

}  // namespace

bool TextLineSource::next(LineSlice& line) {
    if (rest_.empty()) {
        return false;
    }
    rest_.remove_prefix(splitLine(rest_, maxLine_, line));
    return true;
}

FileLineSource::FileLineSource(std::FILE* file, std::size_t maxLine)
    : file_(file),
      maxLine_(maxLine),
      size_(std::max(kBlockSize, 2 * maxLine + 4)),
      buffer_(std::make_unique_for_overwrite<char[]>(size_)) {}

bool FileLineSource::next(LineSlice& line) {
    if (end_ - begin_ < maxLine_ + 2 && !atEnd_) {
        refill();
    }
    if (begin_ == end_) {
        return false;
    }
    begin_ += splitLine(std::string_view(buffer_.get() + begin_, end_ - begin_), maxLine_, line);
    return true;
}

void FileLineSource::refill() {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    while (end_ < size_ && !atEnd_) {
        const std::size_t got = std::fread(buffer_.get() + end_, 1, size_ - end_, file_);
        end_ += got;
        if (got == 0) {
            atEnd_ = true;
            failed_ = std::ferror(file_) != 0;
        }
    }
}

}  // namespace quillon::image
