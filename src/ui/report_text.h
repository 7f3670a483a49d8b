// ReportText: plain text in which inline tags such as "{+r}" and "{+k}" switch the colour of
// the text after them. Every face (the window, the terminal) draws reports from the segments
// this parser makes, so the markup is read the same way everywhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/outcome.h"

namespace quillon::ui {

struct Colour {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    bool operator==(const Colour&) const = default;
};

// One run of text in one colour, with the tags taken out.
struct ReportSegment {
    std::string text;
    Colour colour;
    std::string colourName;  // the long name: "black", "red", "green", "blue", "darkblue", ...
};

// The colour of a tag name ("r", "RED", "db", ...); false for a name outside the table.
bool colourOfName(std::string_view name, Colour& colour, std::string& longName);

// Splits a report into coloured segments. Text before the first tag is black. After the first
// tag that does not count (no "}" within reach, or an unknown name) the rest is one literal
// segment in the colour that was current. Empty segments are left out.
std::vector<ReportSegment> parseReportText(std::string_view text);

// The report without its tags, as the clipboard receives it.
std::string plainReportText(std::string_view text);

// The report line by line (CR dropped), each with the colour its first non-blank character is
// drawn in and the severity that colour stands for; blank lines included.
std::vector<Finding> reportLines(std::string_view text);

// The findings of a report: its lines without the blank ones.
std::vector<Finding> reportFindings(std::string_view text);

}  // namespace quillon::ui
