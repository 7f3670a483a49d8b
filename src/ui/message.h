// The few shapes of message box the program shows, in one place: a box of the main window, or a
// box of no window (the card layer's, which knows no window), with its text, caption, icon and
// buttons.
#pragma once

#include <optional>
#include <string>

#include "ui/user_interface.h"

namespace quillon::ui {

// A box of the main window. Without a caption it shows the application's name.
inline MessageBox windowBox(std::string text, std::optional<std::string> caption = std::nullopt,
                            Icon icon = Icon::None, Buttons buttons = Buttons::Ok,
                            Question question = Question::AfterFailure) {
    MessageBox box;
    box.text = std::move(text);
    box.caption = std::move(caption);
    box.owner = Owner::MainWindow;
    box.buttons = buttons;
    box.icon = icon;
    box.question = question;
    return box;
}

// A box of no owner window, as the card layer shows them. Without a caption it shows the
// platform's default caption.
inline MessageBox ownerlessBox(std::string text, std::optional<std::string> caption = std::nullopt,
                               Icon icon = Icon::None, Buttons buttons = Buttons::Ok) {
    MessageBox box;
    box.text = std::move(text);
    box.caption = std::move(caption);
    box.owner = Owner::None;
    box.buttons = buttons;
    box.icon = icon;
    box.question = Question::AfterFailure;
    return box;
}

// Tells the person something in a box of no owner window with an OK button.
inline void tellOwnerless(UserInterface& ui, std::string text,
                          std::optional<std::string> caption = std::nullopt,
                          Icon icon = Icon::None) {
    ui.messageBox(ownerlessBox(std::move(text), std::move(caption), icon));
}

// Shows what a report command was asked for in a box of the main window.
inline void showResult(UserInterface& ui, std::string text, std::string caption,
                       Icon icon = Icon::None) {
    MessageBox box = windowBox(std::move(text), std::move(caption), icon);
    box.isResult = true;
    ui.messageBox(box);
}

// Tells the person something in a box of the main window with an OK button.
inline void tell(UserInterface& ui, std::string text,
                 std::optional<std::string> caption = std::nullopt, Icon icon = Icon::None) {
    ui.messageBox(windowBox(std::move(text), std::move(caption), icon));
}

// A confirmation of the main window: the person goes ahead with what they asked for.
inline bool confirm(UserInterface& ui, std::string text, std::string caption,
                    Icon icon = Icon::None) {
    return ui.messageBox(windowBox(std::move(text), std::move(caption), icon, Buttons::OkCancel,
                                   Question::Confirmation)) == Answer::Ok;
}

}  // namespace quillon::ui
