#include "ui/report_text.h"

#include <array>

namespace quillon::ui {
namespace {

struct NamedColour {
    std::string_view longName;
    std::string_view shortName;
    Colour colour;
};

constexpr std::array<NamedColour, 7> kColours{{
    {"black", "k", {0, 0, 0}},
    {"red", "r", {170, 0, 0}},
    {"green", "g", {0, 170, 0}},
    {"blue", "b", {0, 0, 170}},
    {"darkblue", "db", {0, 0, 85}},
    {"magenta", "m", {170, 0, 170}},
    {"cyan", "c", {0, 170, 170}},
}};

// A tag's name ends at most this far after its "{": "{+" and a name of 21 characters.
constexpr std::size_t kTagReach = 23;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (x != b[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool colourOfName(std::string_view name, Colour& colour, std::string& longName) {
    for (const NamedColour& entry : kColours) {
        if (equalsIgnoringCase(name, entry.longName) || equalsIgnoringCase(name, entry.shortName)) {
            colour = entry.colour;
            longName = std::string(entry.longName);
            return true;
        }
    }
    return false;
}

std::vector<ReportSegment> parseReportText(std::string_view text) {
    std::vector<ReportSegment> segments;
    Colour current = kColours[0].colour;
    std::string currentName(kColours[0].longName);
    std::size_t p = 0;
    while (p < text.size()) {
        std::string_view segment;
        bool tagCounts = false;
        Colour next;
        std::string nextName;
        std::size_t e = std::string_view::npos;
        const std::size_t c = text.find("{+", p);
        if (c != std::string_view::npos) {
            e = text.find('}', c + 2);
            tagCounts = e != std::string_view::npos && e <= c + kTagReach &&
                        colourOfName(text.substr(c + 2, e - (c + 2)), next, nextName);
        }
        // Markup that does not parse is shown as it stands, tags and all, and ends the reading:
        // a report stays readable even when a file name or card text holds a stray "{+".
        segment = tagCounts ? text.substr(p, c - p) : text.substr(p);
        if (!segment.empty()) {
            segments.push_back(ReportSegment{std::string(segment), current, currentName});
        }
        if (tagCounts) {
            current = next;
            currentName = std::move(nextName);
            p = e + 1;
        } else {
            p = text.size();
        }
    }
    return segments;
}

std::string plainReportText(std::string_view text) {
    std::string plain;
    for (const ReportSegment& segment : parseReportText(text)) {
        plain += segment.text;
    }
    return plain;
}

namespace {

Severity severityOfColour(std::string_view colour) {
    if (colour == "red") {
        return Severity::Error;
    }
    if (colour == "magenta") {
        return Severity::Warning;
    }
    if (colour == "green") {
        return Severity::Good;
    }
    return Severity::Note;
}

}  // namespace

std::vector<Finding> reportLines(std::string_view text) {
    std::vector<Finding> lines;
    std::string line;
    std::string colour = "black";
    const auto endLine = [&]() {
        lines.push_back({severityOfColour(colour), line, colour});
        line.clear();
        colour = "black";
    };
    for (const ReportSegment& segment : parseReportText(text)) {
        for (const char c : segment.text) {
            if (c == '\r') {
                continue;
            }
            if (c == '\n') {
                endLine();
                continue;
            }
            if (line.find_first_not_of(' ') == std::string::npos && c != ' ') {
                colour = segment.colourName;
            }
            line += c;
        }
    }
    if (!line.empty()) {
        endLine();
    }
    return lines;
}

std::vector<Finding> reportFindings(std::string_view text) {
    std::vector<Finding> findings;
    for (Finding& line : reportLines(text)) {
        if (line.text.find_first_not_of(' ') != std::string::npos) {
            findings.push_back(std::move(line));
        }
    }
    return findings;
}

}  // namespace quillon::ui
