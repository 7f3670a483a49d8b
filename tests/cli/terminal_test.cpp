// The terminal face's pieces: reports in colour or plain, the progress line, file dialogs and
// questions.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/report_printer.h"
#include "cli/terminal_progress.h"
#include "cli/terminal_ui.h"
#include "temp_dir.h"

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

struct Face {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    cli::CliIo io{in, out, err};

    explicit Face(const std::string& input = {}, bool terminal = false) : in(input) {
        io.inIsTerminal = terminal;
    }
};

TEST(TerminalDialogs, FileDialogAnswersWithTheFileAndTheFilterOfItsExtension) {
    Face face;
    cli::TerminalOptions options;
    struct Case {
        std::string file;
        std::string filter;
        std::string path;
        int filterIndex;
    };
    const std::string exportFilter = "Hex File (*.hex)|*.hex|Text Dump (*.dmp)|*.dmp|";
    const std::string pdaFilter = "PDA file (*.pda)|*.pda|All Files (*.*)|*.*|";
    const Case cases[] = {
        {"out.hex", exportFilter, "out.hex", 1},         {"out.DMP", exportFilter, "out.DMP", 2},
        {"dir.x/out", exportFilter, "dir.x/out.hex", 1}, {"out.bin", exportFilter, "out.bin", 0},
        {"card.pda", pdaFilter, "card.pda", 1},          {"card.txt", pdaFilter, "card.txt", 2},
    };
    for (const Case& c : cases) {
        options.dialogFile = c.file;
        cli::TerminalUserInterface ui(face.io, options);
        ui::FileDialogRequest request;
        request.kind = ui::FileDialogRequest::Kind::Save;
        request.defaultExtension = "hex";
        request.filter = c.filter;
        const auto result = ui.fileDialog(request);
        ASSERT_TRUE(result) << c.file;
        EXPECT_EQ(result->path, c.path);
        EXPECT_EQ(result->filterIndex, c.filterIndex) << c.file;
        EXPECT_EQ(ui.boxesBeforeFileChosen(), 0u);
    }
    // Without a file named, the dialog is cancelled.
    cli::TerminalUserInterface none(face.io, cli::TerminalOptions{});
    EXPECT_FALSE(none.fileDialog({}));
    EXPECT_FALSE(none.boxesBeforeFileChosen());
}

TEST(TerminalDialogs, QuestionsOnATerminalAskUntilAnswered) {
    Face face("maybe\nYES\n", true);
    cli::TerminalUserInterface ui(face.io, cli::TerminalOptions{});
    const ui::Answer answer = ui.messageBox(
        {"Continue?", "Warning", ui::Owner::MainWindow, ui::Buttons::YesNo, ui::Icon::Warning});
    EXPECT_EQ(answer, ui::Answer::Yes);
    // Standard output is no terminal: the question is put on the terminal, the output keeps
    // the question and its answer.
    EXPECT_EQ(face.out.str(), "Warning: Continue?\n(yes)\n");
    EXPECT_EQ(face.err.str(),
              "Warning: Continue?\n[y]es or [n]o? Please answer y, yes, n or no (an empty "
              "answer is no).\n[y]es or [n]o? ");

    // An empty answer and the end of the input are the safe answer.
    for (const std::string& input : {std::string(), std::string("\n")}) {
        Face ended(input, true);
        ended.io.outIsTerminal = true;
        cli::TerminalUserInterface endedUi(ended.io, cli::TerminalOptions{});
        EXPECT_EQ(endedUi.messageBox({"Go?", std::nullopt, ui::Owner::None, ui::Buttons::OkCancel,
                                      ui::Icon::Question}),
                  ui::Answer::Cancel);
        EXPECT_EQ(ended.out.str(), input.empty() ? "Error: Go?\n[o]k or [c]ancel? \n"
                                                 : "Error: Go?\n[o]k or [c]ancel? ");
        EXPECT_EQ(ended.err.str(), "");
    }
}

TEST(TerminalDialogs, ReportsWithOneWayOutAskNothing) {
    Face face;
    cli::TerminalUserInterface ui(face.io, cli::TerminalOptions{});
    ui::ReportRequest request;
    request.text = "1 2 \r\n3 ";
    request.acceptCaption = "Close";
    request.cancelCaption = "Close";
    request.title = "PDA:";
    EXPECT_TRUE(ui.showReport(request));
    request.acceptCaption = "UPDATE";
    request.cancelCaption = "CANCEL";
    request.acceptShown = false;
    EXPECT_FALSE(ui.showReport(request));
    EXPECT_EQ(face.out.str(), "1 2 \n3 \n1 2 \n3 \n");
    ASSERT_EQ(ui.reports().size(), 2u);
    EXPECT_TRUE(ui.reports()[0].accepted);
    EXPECT_FALSE(ui.reports()[1].accepted);
}

}  // namespace
}  // namespace quillon
