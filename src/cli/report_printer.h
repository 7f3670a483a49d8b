// Reports on the terminal: the colour tags of a report become ANSI colours, or disappear when
// the output is not a terminal. Line ends become plain line feeds either way.
#pragma once

#include <string>
#include <string_view>

namespace quillon::cli {

// The ANSI escape that selects the colour of a report tag's long name ("red", "darkblue", ...).
// Black selects the terminal's own foreground, which is readable on dark terminals too.
std::string ansiColour(std::string_view colourName);

// The report as the terminal prints it: coloured with ANSI escapes when colour is set (ending
// with a reset), else plain text without tags.
std::string renderReport(std::string_view text, bool colour);

}  // namespace quillon::cli
