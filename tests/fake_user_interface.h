// The tests' scripted face: answers message boxes, file dialogs, the report window and the PDA
// settings dialog from scripts, and records every box, dialog, report, progress window, cursor
// change and main-window call, in order.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/job_progress.h"
#include "ui/main_window_view.h"
#include "ui/user_interface.h"

namespace quillon::testing {

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

// What one progress window went through; it outlives the window, so tests can look at it after
// the command destroyed the window.
struct ProgressRecord {
    // "centre", "show", "hide", "text:<text painted>", "destroy", in order.
    std::vector<std::string> events;
    FakeProgressBar bar;
    // The whole job as the window drew it each time it moved: its bar in thousandths and the
    // phase, when the window stands for a job.
    std::vector<std::pair<int, std::string>> job;

    // The texts painted by showText, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& e : events) {
            if (e.rfind("text:", 0) == 0) {
                out.push_back(e.substr(5));
            }
        }
        return out;
    }
};

class FakeProgressWindow : public ui::ProgressWindow {
  public:
    FakeProgressWindow(std::shared_ptr<ProgressRecord> record, std::vector<std::string>& calls)
        : record_(std::move(record)), calls_(calls) {}
    ~FakeProgressWindow() override {
        record_->events.push_back("destroy");
        calls_.push_back("progress:destroy");
    }
    FakeProgressWindow(const FakeProgressWindow&) = delete;
    FakeProgressWindow& operator=(const FakeProgressWindow&) = delete;

    void centre() override { note("centre"); }
    void show() override { note("show"); }
    void hide() override { note("hide"); }
    ui::ProgressBar& bar() override { return record_->bar; }
    void jobChanged() override {
        if (job() != nullptr) {
            record_->job.emplace_back(job()->permille(), job()->phaseText());
        }
    }

  protected:
    void paintText(const std::string& text) override { note("text:" + text); }

  private:
    void note(const std::string& event) {
        record_->events.push_back(event);
        calls_.push_back("progress:" + event);
    }

    std::shared_ptr<ProgressRecord> record_;
    std::vector<std::string>& calls_;
};

class FakeUserInterface : public ui::UserInterface {
  public:
    // Answers given in order to the boxes that ask a question; when the script runs out, a
    // box is answered with its first button (OK or Yes).
    std::deque<ui::Answer> answers;
    std::vector<ui::MessageBox> boxes;

    // Results given in order to file dialogs; none (or an empty script) is a cancelled dialog.
    std::deque<std::optional<ui::FileDialogResult>> fileDialogResults;
    std::vector<ui::FileDialogRequest> fileDialogs;

    // Answers given in order to report windows (true: the accept button). When the script runs
    // out the accept button is pressed. A report without its accept button can only be
    // cancelled, whatever the script says.
    std::deque<bool> reportAnswers;
    std::vector<ui::ReportRequest> reports;

    // Plays the person in the PDA settings dialog; without a script the dialog is cancelled.
    std::function<bool(pda::PdaSettingsDialog&, ui::UserInterface&)> pdaSettingsScript;
    int pdaSettingsDialogs = 0;

    // One record per progress window created, in order.
    std::vector<std::shared_ptr<ProgressRecord>> progressWindows;

    std::vector<ui::Cursor> cursors;
    // The notices, in order (not among the calls, so that sequences of boxes read as before).
    std::vector<std::string> notices;
    std::vector<bool> mainWindowShown;
    std::vector<bool> mainWindowEnabled;
    std::vector<ui::MainWindowView> pushes;

    // Every call in order: "box:<text>", "file-dialog", "report:<title>", "pda-dialog",
    // "progress:create" and the progress window's events, "cursor:wait", "cursor:arrow",
    // "main:show", "main:hide", "main:enable", "main:disable", "push".
    std::vector<std::string> calls;

    ui::Answer messageBox(const ui::MessageBox& box) override {
        boxes.push_back(box);
        calls.push_back("box:" + box.text);
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

    void notice(const std::string& text) override { notices.push_back(text); }

    // Each start (true) and end (false) of a card write that holds off interrupts.
    std::vector<bool> cardWrites;
    void cardWriting(bool writing) override { cardWrites.push_back(writing); }

    std::optional<ui::FileDialogResult> fileDialog(const ui::FileDialogRequest& request) override {
        fileDialogs.push_back(request);
        calls.push_back("file-dialog");
        if (fileDialogResults.empty()) {
            return std::nullopt;
        }
        auto result = fileDialogResults.front();
        fileDialogResults.pop_front();
        return result;
    }

    bool showReport(const ui::ReportRequest& request) override {
        reports.push_back(request);
        calls.push_back("report:" + request.title);
        bool accept = true;
        if (!reportAnswers.empty()) {
            accept = reportAnswers.front();
            reportAnswers.pop_front();
        }
        return accept && request.acceptShown;
    }

    std::unique_ptr<ui::ProgressWindow> createProgressWindow() override {
        auto record = std::make_shared<ProgressRecord>();
        progressWindows.push_back(record);
        calls.push_back("progress:create");
        return std::make_unique<FakeProgressWindow>(record, calls);
    }

    bool runPdaSettingsDialog(pda::PdaSettingsDialog& dialog) override {
        ++pdaSettingsDialogs;
        calls.push_back("pda-dialog");
        return pdaSettingsScript ? pdaSettingsScript(dialog, *this) : false;
    }

    void setCursor(ui::Cursor cursor) override {
        cursors.push_back(cursor);
        calls.push_back(cursor == ui::Cursor::Wait ? "cursor:wait" : "cursor:arrow");
    }

    void showMainWindow(bool shown) override {
        mainWindowShown.push_back(shown);
        calls.push_back(shown ? "main:show" : "main:hide");
    }

    void enableMainWindow(bool enabled) override {
        mainWindowEnabled.push_back(enabled);
        calls.push_back(enabled ? "main:enable" : "main:disable");
    }

    void pushMainWindow(const ui::MainWindowView& view) override {
        pushes.push_back(view);
        calls.push_back("push");
    }

    // The texts of the boxes shown, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& b : boxes) {
            out.push_back(b.text);
        }
        return out;
    }

    // The calls that start with prefix, in order.
    std::vector<std::string> callsStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : calls) {
            if (c.rfind(prefix, 0) == 0) {
                out.push_back(c);
            }
        }
        return out;
    }
};

}  // namespace quillon::testing
