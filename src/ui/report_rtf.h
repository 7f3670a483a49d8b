// A report as Rich Text Format, so that a word processor or mail program that takes the report
// from the clipboard keeps its colours. Built from the same segments every face draws.
#pragma once

#include <string>
#include <string_view>

namespace quillon::ui {

// The report (UTF-8 with colour tags) as an RTF document: a colour table of the markup's
// colours, one \cf switch per coloured passage, \par per line, non-ASCII letters as \u escapes.
std::string reportRtf(std::string_view text);

}  // namespace quillon::ui
