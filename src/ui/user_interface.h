// The seam through which the program speaks to a person: message boxes, file dialogs, the
// report window, the progress window, the PDA settings dialog, the cursor, and the main
// window's visibility, enabled state and bound fields. The terminal, the window and the tests'
// scripted face implement it. It depends on nothing, so that the lowest layers can tell the
// person about a failure where they find it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace quillon::pda {
class PdaSettingsDialog;
}

namespace quillon::ui {

struct MainWindowView;
class JobProgress;

enum class Buttons { Ok, OkCancel, YesNo };
enum class Icon { None, Error, Warning, Question, Information };
enum class Answer { Ok, Cancel, Yes, No };

// Which window a box belongs to. A box of the main window without a caption of its own shows
// the application's name; a box without an owner and without a caption shows the platform's
// default caption.
enum class Owner { None, MainWindow };

// Why a box with more than one button asks. A confirmation lets the person go ahead with what
// they asked for (the update, clearing the PDA); a question after a failure asks whether to go
// on in spite of it, and a face that answers for the person takes the safe answer there unless
// told to force its way on.
enum class Question { Confirmation, AfterFailure };

struct MessageBox {
    std::string text;
    std::optional<std::string> caption;  // none: the default caption for the owner
    Owner owner = Owner::None;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    Question question = Question::AfterFailure;
    // The box is what the command was asked for (a version, a MAC type), not a remark on the
    // way: a face that leaves out the chatter still shows it.
    bool isResult = false;
    // A confirmation of something that cannot be undone (clearing the PDA) is also offered with
    // the answer that stops as its default; a question after a failure always is.
    bool stopsByDefault = false;

    // Whether the button the Enter key presses is the one that stops (No or Cancel).
    bool defaultStops() const {
        return buttons != Buttons::Ok && (question == Question::AfterFailure || stopsByDefault);
    }
};

// An open or save dialog over the main window. The filter is written as the pairs of a
// description and a pattern list, each part ended by "|", e.g.
// "Hex File (*.hex)|*.hex|Text Dump (*.dmp)|*.dmp|".
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    std::string defaultExtension;  // without the dot, added to a typed name that has none
    std::string initialName;       // proposed file name
    std::string filter;
    bool fileMustExist = false;
    bool confirmOverwrite = false;  // ask before an existing file is replaced
    bool hideReadOnly = true;       // no read-only check box
};

struct FileDialogResult {
    std::string path;     // the chosen full path
    int filterIndex = 1;  // the filter the person picked, counted from 1
};

// The report window: a scrolling text with colour markup, an accept button, a cancel button
// and a button that copies the text.
struct ReportRequest {
    std::string text;  // ReportText: plain text with colour tags such as "{+r}" and "{+k}"
    std::string acceptCaption = "OK";
    std::string cancelCaption = "CANCEL";
    std::string title = "Update Information";
    bool acceptShown = true;  // when false, the accept button is neither shown nor enabled
};

enum class Cursor { Arrow, Wait };

// The bar of the progress window, as the programming of a card drives it.
class ProgressBar {
  public:
    virtual ~ProgressBar() = default;
    virtual void setRange(int low, int high) = 0;
    virtual void setPosition(int position) = 0;
};

// What a progress window is working on, for faces that name it: the file, its place among the
// files of the run (counted from 1) and its size. Empty when the operation is not one of several.
struct ProgressItem {
    std::string name;
    int number = 0;
    int count = 0;
    std::uint64_t bytes = 0;
    bool verifying = false;  // each block is read back and compared after it is written
};

// The small window that stands alone on the screen while a long card operation runs: a line
// of large text and a progress bar. It is created hidden with an empty text and destroyed with
// its object. The operation runs on the caller's thread, so showText paints at once.
class ProgressWindow {
  public:
    virtual ~ProgressWindow() = default;

    virtual void centre() = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual ProgressBar& bar() = 0;

    // Stores the text; it is shown by the next showText.
    void setText(std::string text) { text_ = std::move(text); }
    const std::string& text() const { return text_; }
    // What the window works on; the window's own face shows only its text. A window that shows
    // one item after another ends the one before (its outcome set) when the next is set.
    void setItem(ProgressItem item) {
        itemEnding();
        item_ = std::move(item);
        outcome_ = Outcome::Unknown;
    }
    const ProgressItem& item() const { return item_; }
    // The whole job the window stands for, when it is one of several phases (an update's
    // images, its PDA, the card's reset); none for a job of one step. It outlives the window.
    void setJob(const JobProgress* job) {
        job_ = job;
        jobChanged();
    }
    const JobProgress* job() const { return job_; }
    // The job moved on: a window that shows the whole job draws it now, before returning.
    virtual void jobChanged() {}
    // How the operation ended, set before the window is hidden; unknown until then.
    enum class Outcome { Unknown, Succeeded, Failed };
    void setOutcome(Outcome outcome) { outcome_ = outcome; }
    Outcome outcome() const { return outcome_; }
    // Shows the stored text, " Please wait..." when none was set, and paints before returning.
    void showText() {
        if (text_.empty()) {
            text_ = " Please wait...";
        }
        paintText(text_);
    }

  protected:
    virtual void paintText(const std::string& text) = 0;
    // The item shown so far is over (its outcome set), just before the next replaces it.
    virtual void itemEnding() {}

  private:
    std::string text_;
    ProgressItem item_;
    const JobProgress* job_ = nullptr;
    Outcome outcome_ = Outcome::Unknown;
};

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // Shows the box modally and returns the person's answer.
    virtual Answer messageBox(const MessageBox& box) = 0;

    // The chosen file, or none when the person cancelled.
    virtual std::optional<FileDialogResult> fileDialog(const FileDialogRequest& request) {
        (void)request;
        return std::nullopt;
    }

    // Shows the report modally; true when the person pressed the accept button.
    virtual bool showReport(const ReportRequest& request) {
        (void)request;
        return false;
    }

    // A new progress window, hidden, with an empty text.
    virtual std::unique_ptr<ProgressWindow> createProgressWindow();

    // Runs the "View / Modify PDA Settings" dialog over the dialog's state; true when the
    // person confirmed with "Write to Card Now" (the dialog's confirm() accepted), false when
    // cancelled.
    virtual bool runPdaSettingsDialog(pda::PdaSettingsDialog& dialog) {
        (void)dialog;
        return false;
    }

    virtual void setCursor(Cursor cursor) { (void)cursor; }

    // A line that tells the person something worth keeping without asking anything, such as
    // where a copy of the card's PDA was saved. The window shows it in its status area, the
    // terminal prints it.
    virtual void notice(const std::string& text) { (void)text; }

    // The card's flash is being written (true) or no longer (false). Cut short, such writes
    // leave the card with half an image, so a face may hold interrupts back meanwhile and turn
    // them into a request to stop.
    virtual void cardWriting(bool writing) { (void)writing; }
    // The person asked to stop the card writes now running: they stop after the current block.
    virtual bool stopRequested() { return false; }
    // A reader could not read the file, for the reason given ("Line 200: Checksum failed.").
    // The boxes that follow say only that the file did not load.
    virtual void fileNotRead(const std::string& path, const std::string& reason) {
        (void)path;
        (void)reason;
    }

    // The About box: a picture, the text "Firmware Update for Windows" and an OK button. A face
    // without a picture shows it as a plain box.
    virtual void showAbout() {
        messageBox(MessageBox{"Firmware Update for Windows", "About This Program",
                              Owner::MainWindow, Buttons::Ok, Icon::None});
    }

    virtual void showMainWindow(bool shown) { (void)shown; }
    virtual void enableMainWindow(bool enabled) { (void)enabled; }
    // Writes the main window's bound fields and control states into its controls.
    virtual void pushMainWindow(const MainWindowView& view) { (void)view; }
};

// A progress window that shows nothing, for faces without one.
class SilentProgressWindow : public ProgressWindow {
  public:
    void centre() override {}
    void show() override {}
    void hide() override {}
    ProgressBar& bar() override { return bar_; }

  protected:
    void paintText(const std::string&) override {}

  private:
    class NullBar : public ProgressBar {
      public:
        void setRange(int, int) override {}
        void setPosition(int) override {}
    };
    NullBar bar_;
};

inline std::unique_ptr<ProgressWindow> UserInterface::createProgressWindow() {
    return std::make_unique<SilentProgressWindow>();
}

}  // namespace quillon::ui
