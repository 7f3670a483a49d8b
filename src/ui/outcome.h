// What a command did, as one small value: every face derives its words, its exit status and
// its JSON document from it, never from the text of the boxes the command showed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon::ui {

enum class Ending {
    Done,       // the command did its job
    Refused,    // it refused before the card was changed: a check, a file, the input
    Cancelled,  // the person answered no to its question
    Failed,     // the card, the driver or a file failed it on the way
    Stopped,    // the person stopped it while the card was being written
};

struct Outcome {
    Ending ending = Ending::Done;
    // Why, in one line, for every ending but Done; empty when the boxes said it all.
    std::string reason;

    bool done() const { return ending == Ending::Done; }

    static Outcome success() { return {}; }
    static Outcome refused(std::string why = {}) { return {Ending::Refused, std::move(why)}; }
    static Outcome cancelled(std::string why = {}) { return {Ending::Cancelled, std::move(why)}; }
    static Outcome failed(std::string why = {}) { return {Ending::Failed, std::move(why)}; }
    static Outcome stopped(std::string why = {}) { return {Ending::Stopped, std::move(why)}; }
};

// "done", "refused", "cancelled", "failed" or "stopped": the word JSON documents use.
constexpr std::string_view endingName(Ending ending) {
    switch (ending) {
        case Ending::Done:
            return "done";
        case Ending::Refused:
            return "refused";
        case Ending::Cancelled:
            return "cancelled";
        case Ending::Failed:
            return "failed";
        case Ending::Stopped:
            return "stopped";
    }
    return "failed";
}

// How much a line of a report weighs: the colour the report draws it in says it.
enum class Severity {
    Note,     // black, blue, dark blue, cyan: what the card and the files are
    Good,     // green: a check passed
    Warning,  // magenta: worth knowing, the update may go on
    Error,    // red: a check failed
};

constexpr std::string_view severityName(Severity severity) {
    switch (severity) {
        case Severity::Note:
            return "note";
        case Severity::Good:
            return "good";
        case Severity::Warning:
            return "warning";
        case Severity::Error:
            return "error";
    }
    return "note";
}

// One line of a report.
struct Finding {
    Severity severity = Severity::Note;
    std::string text;
    std::string colour;  // the colour the report draws it in ("red", "darkblue", ...)
    bool operator==(const Finding&) const = default;
};

}  // namespace quillon::ui
