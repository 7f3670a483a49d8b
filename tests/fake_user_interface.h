// The tests' scripted face: answers message boxes from a script and records every box.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/user_interface.h"

namespace quillon::testing {

class FakeUserInterface : public ui::UserInterface {
  public:
    // Answers given in order to the boxes that ask a question; when the script runs out, a
    // box is answered with its first button (OK or Yes).
    std::deque<ui::Answer> answers;
    std::vector<ui::MessageBox> boxes;

    ui::Answer messageBox(const ui::MessageBox& box) override {
        boxes.push_back(box);
        if (box.buttons == ui::Buttons::Ok) {
            return ui::Answer::Ok;
        }
        if (!answers.empty()) {
            const ui::Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return box.buttons == ui::Buttons::YesNo ? ui::Answer::Yes : ui::Answer::Ok;
    }

    // The texts of the boxes shown, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& b : boxes) {
            out.push_back(b.text);
        }
        return out;
    }
};

class FakeProgressBar : public ui::ProgressBar {
  public:
    int low = 0;
    int high = 0;
    std::vector<int> positions;
    void setRange(int l, int h) override {
        low = l;
        high = h;
    }
    void setPosition(int p) override { positions.push_back(p); }
};

}  // namespace quillon::testing
