// The program's texts are UTF-8 (paths as the system gives them, file names handed over by
// another copy, the messages that quote them); the window shows them as such.
#pragma once

#include <QString>
#include <string>

namespace quillon::gui {

inline QString qText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace quillon::gui
