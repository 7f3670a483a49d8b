// The terminal face's pieces: reports in colour or plain, and the progress line.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/report_printer.h"
#include "cli/terminal_progress.h"

namespace quillon {
namespace {

using cli::renderReport;

TEST(ReportPrinter, ColoursOrPlainText) {
    struct Case {
        std::string text;
        std::string coloured;
        std::string plain;
    };
    const Case cases[] = {
        {"{+db}Header\n{+k}body\n", "\x1b[34mHeader\n\x1b[39mbody\n", "Header\nbody\n"},
        {"plain only", "plain only", "plain only"},
        {"{+R}red{+G}green{+m}magenta{+c}cyan{+b}blue{+k}",
         "\x1b[31mred\x1b[32mgreen\x1b[35mmagenta\x1b[36mcyan\x1b[34mblue\x1b[0m",
         "redgreenmagentacyanblue"},
        // A tag that does not count shows the rest literally, in the colour that was current.
        {"{+r}bad {+zz} and {+k}more", "\x1b[31mbad {+zz} and {+k}more\x1b[0m",
         "bad {+zz} and {+k}more"},
        // Reports made for the window end their lines with CR LF.
        {"a\r\nb\r\n", "a\nb\n", "a\nb\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(renderReport(c.text, true), c.coloured) << c.text;
        EXPECT_EQ(renderReport(c.text, false), c.plain) << c.text;
    }
}

TEST(TerminalProgress, DrawsABarInPlaceOnATerminal) {
    std::ostringstream err;
    cli::ProgressLine line(err);
    {
        cli::TerminalProgressWindow window(err, true, line);
        window.setText("Working");
        window.showText();
        window.bar().setRange(0, 4);
        window.bar().setPosition(1);
        window.bar().setPosition(4);
        window.hide();
    }
    EXPECT_EQ(err.str(),
              "\r\x1b[KWorking"
              "\r\x1b[KWorking [..............................] 0%"
              "\r\x1b[KWorking [#######.......................] 25%"
              "\r\x1b[KWorking [##############################] 100%\n");
}

TEST(TerminalProgress, SomethingPrintedMeanwhileGetsALineOfItsOwn) {
    std::ostringstream err;
    cli::ProgressLine line(err);
    cli::TerminalProgressWindow window(err, true, line);
    window.showText();
    window.bar().setRange(0, 2);
    line.breakLine();  // a question was asked
    window.bar().setPosition(2);
    window.hide();
    EXPECT_EQ(err.str(),
              "\r\x1b[K Please wait..."
              "\r\x1b[K Please wait... [..............................] 0%\n"
              "\r\x1b[K Please wait... [##############################] 100%\n");
}

TEST(TerminalProgress, PrintsAStartAndAnEndLineElsewhere) {
    std::ostringstream err;
    cli::ProgressLine line(err);
    {
        cli::TerminalProgressWindow window(err, false, line);
        window.setText("Pass 0");
        window.showText();
        window.bar().setRange(0, 10);
        for (int i = 1; i <= 5; ++i) {
            window.setText("Pass " + std::to_string(i));
            window.showText();
            window.bar().setPosition(i);
        }
    }
    EXPECT_EQ(err.str(), "Pass 0\nPass 5 50%\n");

    // Nothing at the end when the operation never set its bar.
    std::ostringstream quiet;
    cli::ProgressLine quietLine(quiet);
    {
        cli::TerminalProgressWindow window(quiet, false, quietLine);
        window.showText();
    }
    EXPECT_EQ(quiet.str(), " Please wait...\n");
}

TEST(TerminalProgress, BarText) {
    using W = cli::TerminalProgressWindow;
    EXPECT_EQ(W::barText(0, 0, 0, 4), "[....] 0%");
    EXPECT_EQ(W::barText(0, 8, 3, 4), "[#...] 37%");
    EXPECT_EQ(W::barText(10, 20, 30, 4), "[####] 100%");
    EXPECT_EQ(W::barText(10, 20, -5, 4), "[....] 0%");
}

}  // namespace
}  // namespace quillon
