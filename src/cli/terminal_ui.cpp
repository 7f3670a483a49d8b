#include "cli/terminal_ui.h"

#include <istream>
#include <ostream>

namespace quillon::cli {

namespace {

constexpr const char* kApplicationName = "quillon";
// What a system message box shows when it is given no caption and no owner.
constexpr const char* kDefaultCaption = "Error";

bool isQuestion(const ui::MessageBox& box) {
    return box.buttons != ui::Buttons::Ok;
}

ui::Answer safeAnswer(const ui::MessageBox& box) {
    return box.buttons == ui::Buttons::YesNo ? ui::Answer::No : ui::Answer::Cancel;
}

ui::Answer positiveAnswer(const ui::MessageBox& box) {
    return box.buttons == ui::Buttons::YesNo ? ui::Answer::Yes : ui::Answer::Ok;
}

}  // namespace

std::string boxCaption(const ui::MessageBox& box) {
    if (box.caption) {
        return *box.caption;
    }
    return box.owner == ui::Owner::MainWindow ? kApplicationName : kDefaultCaption;
}

ui::Answer TerminalUserInterface::messageBox(const ui::MessageBox& box) {
    io_.out << boxCaption(box) << ": " << box.text << '\n';
    if (!isQuestion(box)) {
        return ui::Answer::Ok;
    }
    if (assumeYes_) {
        io_.out << (box.buttons == ui::Buttons::YesNo ? "(yes)" : "(ok)") << '\n';
        return positiveAnswer(box);
    }
    if (!io_.inIsTerminal) {
        io_.out << (box.buttons == ui::Buttons::YesNo ? "(no)" : "(cancel)") << '\n';
        return safeAnswer(box);
    }
    const bool yesNo = box.buttons == ui::Buttons::YesNo;
    for (;;) {
        io_.out << (yesNo ? "[y]es or [n]o? " : "[o]k or [c]ancel? ") << std::flush;
        std::string line;
        if (!std::getline(io_.in, line)) {
            io_.out << '\n';
            return safeAnswer(box);
        }
        const char c = line.empty() ? '\0' : static_cast<char>(line[0] | 0x20);
        if (yesNo && c == 'y')
            return ui::Answer::Yes;
        if (yesNo && c == 'n')
            return ui::Answer::No;
        if (!yesNo && c == 'o')
            return ui::Answer::Ok;
        if (!yesNo && c == 'c')
            return ui::Answer::Cancel;
    }
}

ui::Answer CollectingUserInterface::messageBox(const ui::MessageBox& box) {
    if (firstText_.empty()) {
        firstText_ = box.text;
    }
    return isQuestion(box) ? safeAnswer(box) : ui::Answer::Ok;
}

}  // namespace quillon::cli
