#include "cli/report_printer.h"

#include "ui/report_text.h"

namespace quillon::cli {

namespace {

constexpr std::string_view kReset = "\x1b[0m";

// Reports written for the window end their lines with CR LF; a terminal wants LF.
std::string withLineFeeds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace

std::string ansiColour(std::string_view colourName) {
    // The report's colours are the classic sixteen-colour palette's dark ones, which the ANSI
    // base colours name; dark blue has no colour of its own there and shows as blue.
    if (colourName == "red")
        return "\x1b[31m";
    if (colourName == "green")
        return "\x1b[32m";
    if (colourName == "blue" || colourName == "darkblue")
        return "\x1b[34m";
    if (colourName == "magenta")
        return "\x1b[35m";
    if (colourName == "cyan")
        return "\x1b[36m";
    return "\x1b[39m";
}

std::string renderReport(std::string_view text, bool colour) {
    if (!colour) {
        return withLineFeeds(ui::plainReportText(text));
    }
    std::string out;
    std::string current = "black";
    for (const ui::ReportSegment& segment : ui::parseReportText(text)) {
        if (segment.colourName != current) {
            out += ansiColour(segment.colourName);
            current = segment.colourName;
        }
        out += withLineFeeds(segment.text);
    }
    if (current != "black") {
        out += kReset;
    }
    return out;
}

}  // namespace quillon::cli
