#include "ui/report_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon::ui {
namespace {

// A segment as "name:text", so that a whole parse reads as one line of expectations.
std::vector<std::string> render(std::string_view text) {
    std::vector<std::string> out;
    for (const ReportSegment& s : parseReportText(text)) {
        out.push_back(s.colourName + ":" + s.text);
    }
    return out;
}

struct MarkupCase {
    const char* name;
    std::string text;
    std::vector<std::string> segments;
};

class ReportTextMarkup : public ::testing::TestWithParam<MarkupCase> {};

TEST_P(ReportTextMarkup, SplitsIntoColouredSegments) {
    EXPECT_EQ(render(GetParam().text), GetParam().segments);
}

const std::string kLongName(22, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportTextMarkup,
    ::testing::Values(
        MarkupCase{"Empty", "", {}},
        MarkupCase{"PlainTextIsBlack", "hello\r\n", {"black:hello\r\n"}},
        MarkupCase{
            "HeaderThenBlackAgain", "{+db}Card\n{+k}rest", {"darkblue:Card\n", "black:rest"}},
        MarkupCase{"CapitalsColourLikeLowerCase",
                   "a{+R}b{+Green}c{+DB}d",
                   {"black:a", "red:b", "green:c", "darkblue:d"}},
        MarkupCase{"EveryShortForm",
                   "{+k}1{+r}2{+g}3{+b}4{+db}5{+m}6{+c}7",
                   {"black:1", "red:2", "green:3", "blue:4", "darkblue:5", "magenta:6", "cyan:7"}},
        MarkupCase{"EveryLongName",
                   "{+black}1{+red}2{+green}3{+blue}4{+darkblue}5{+magenta}6{+cyan}7",
                   {"black:1", "red:2", "green:3", "blue:4", "darkblue:5", "magenta:6", "cyan:7"}},
        // The text before a tag that does not count belongs to the literal rest.
        MarkupCase{
            "UnknownNameShowsTheRestLiterally", "{+g}ok {+pink}x{+r}y", {"green:ok {+pink}x{+r}y"}},
        MarkupCase{"EmptyNameIsLiteral", "a{+r}b{+}c{+k}", {"black:a", "red:b{+}c{+k}"}},
        MarkupCase{"NoClosingBraceIsLiteral", "{+r}a{+r", {"red:a{+r"}},
        // A "}" 24 characters after its "{" is out of reach: the rest is literal.
        MarkupCase{"BraceOutOfReach",
                   "{+g}a{+" + kLongName + "}b{+r}c",
                   {"green:a{+" + kLongName + "}b{+r}c"}},
        // The first "}" after the tag decides, even when a later one would close a known name.
        MarkupCase{"FarBraceHidesNothing",
                   "{+r" + std::string(30, ' ') + "}",
                   {"black:{+r" + std::string(30, ' ') + "}"}},
        MarkupCase{"TextEndingInATagDropsTheLastColour", "{+r}err{+k}", {"red:err"}},
        MarkupCase{"AdjacentTagsMakeNoEmptySegment", "{+r}{+g}{+m}w", {"magenta:w"}},
        MarkupCase{"LoneBraceInTextIsText", "a}b{c", {"black:a}b{c"}}),
    [](const ::testing::TestParamInfo<MarkupCase>& info) { return info.param.name; });

TEST(ReportText, ColoursMatchTheirNames) {
    struct Expected {
        const char* name;
        Colour colour;
    };
    const Expected table[] = {
        {"k", {0, 0, 0}},     {"r", {170, 0, 0}},   {"g", {0, 170, 0}},
        {"b", {0, 0, 170}},   {"db", {0, 0, 85}},   {"m", {170, 0, 170}},
        {"c", {0, 170, 170}}, {"BLACK", {0, 0, 0}}, {"dArKbLuE", {0, 0, 85}},
    };
    for (const Expected& e : table) {
        Colour colour{1, 2, 3};
        std::string longName;
        ASSERT_TRUE(colourOfName(e.name, colour, longName)) << e.name;
        EXPECT_EQ(colour, e.colour) << e.name;
    }
    Colour untouched{1, 2, 3};
    std::string longName = "before";
    for (const char* bad : {"", "d", "bk", "darkblu", "redd", "grey"}) {
        EXPECT_FALSE(colourOfName(bad, untouched, longName)) << bad;
    }
    EXPECT_EQ(untouched, (Colour{1, 2, 3}));
    EXPECT_EQ(longName, "before");
}

TEST(ReportText, SegmentsCarryRgb) {
    const auto segments = parseReportText("{+m}warn{+k}");
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].colour, (Colour{170, 0, 170}));
}

TEST(ReportText, PlainTextDropsTagsOnly) {
    EXPECT_EQ(plainReportText("{+db}Part: X\n{+k}{+g}good{+k}\n{+bad}{+r}"),
              "Part: X\ngood\n{+bad}{+r}");
}

}  // namespace
}  // namespace quillon::ui
