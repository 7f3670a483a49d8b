// The seam through which the program speaks to a person: message boxes, and the progress bar
// of long card operations. The terminal, the window and the tests' scripted face implement it.
// It depends on nothing, so that the lowest layers can tell the person about a failure where
// they find it.
#pragma once

#include <optional>
#include <string>

namespace quillon::ui {

enum class Buttons { Ok, OkCancel, YesNo };
enum class Icon { None, Error, Warning, Question, Information };
enum class Answer { Ok, Cancel, Yes, No };

// Which window a box belongs to. A box of the main window without a caption of its own shows
// the application's name; a box without an owner and without a caption shows the platform's
// default caption.
enum class Owner { None, MainWindow };

struct MessageBox {
    std::string text;
    std::optional<std::string> caption;  // none: the default caption for the owner
    Owner owner = Owner::None;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

// The bar of the progress window, as the programming of a card drives it.
class ProgressBar {
  public:
    virtual ~ProgressBar() = default;
    virtual void setRange(int low, int high) = 0;
    virtual void setPosition(int position) = 0;
};

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // Shows the box modally and returns the person's answer.
    virtual Answer messageBox(const MessageBox& box) = 0;
};

}  // namespace quillon::ui
