#include "ui/report_rtf.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon::ui {
namespace {

const std::string kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss MS Sans Serif;}}{\\colortbl;"
    "\\red0\\green0\\blue0;\\red170\\green0\\blue0;\\red0\\green170\\blue0;"
    "\\red0\\green0\\blue170;\\red0\\green0\\blue85;\\red170\\green0\\blue170;"
    "\\red0\\green170\\blue170;}\\f0\\fs16";

struct RtfCase {
    const char* name;
    std::string report;
    std::string body;  // what follows the header, up to the closing brace
};

class ReportRtf : public ::testing::TestWithParam<RtfCase> {};

TEST_P(ReportRtf, KeepsTheColoursAndTheText) {
    EXPECT_EQ(reportRtf(GetParam().report), kHeader + GetParam().body + "}");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportRtf,
    ::testing::Values(
        RtfCase{"Empty", "", ""},
        RtfCase{"HeaderLineThenBlack", "{+db}Card\r\n{+k}Serial", "\\cf5 Card\\par\n\\cf1 Serial"},
        RtfCase{"SameColourTwiceSwitchesOnce", "a{+k}b", "\\cf1 ab"},
        RtfCase{"EveryColour", "{+r}1{+g}2{+b}3{+m}4{+c}5", "\\cf2 1\\cf3 2\\cf4 3\\cf6 4\\cf7 5"},
        // A path may hold what RTF reserves; it comes through as written.
        RtfCase{"ReservedCharacters", "C:\\{x}\tend", "\\cf1 C:\\\\\\{x\\}\\tab end"},
        // A stray tag is text, like everywhere else.
        RtfCase{"LiteralRest", "{+r}ok {+pink}x", "\\cf2 ok \\{+pink\\}x"},
        RtfCase{"NonAsciiLetters",
                "Stra\xC3\x9F"
                "e \xE2\x82\xAC",
                "\\cf1 Stra\\u223?e \\u8364?"},
        RtfCase{"OutsideTheBasicPlane", "\xF0\x9F\x93\xB6", "\\cf1 \\u-10179?\\u-8970?"},
        // Bytes that are not UTF-8 (a card's text) still give a readable document.
        RtfCase{"InvalidBytes",
                "a\xFF"
                "b\xC3",
                "\\cf1 a\\u-3?b\\u-3?"},
        RtfCase{"ControlCharactersBecomeBlanks",
                "a\x01"
                "b",
                "\\cf1 a b"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon::ui
