#include "gui/dialog_units.h"

#include <QApplication>
#include <QFontMetricsF>
#include <cmath>

namespace quillon::gui {

namespace {

QFont dialogFont() {
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

}  // namespace

DialogUnits::DialogUnits() : DialogUnits(dialogFont()) {}

DialogUnits::DialogUnits(const QFont& font) : font_(font) {
    const QFontMetricsF metrics(font_);
    // The average width of the Latin letters, as the platform measures its dialog font.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    charWidth_ = metrics.horizontalAdvance(letters) / letters.size();
    charHeight_ = metrics.height();
}

int DialogUnits::x(int units) const {
    return static_cast<int>(std::lround(units * charWidth_ / 4.0));
}

int DialogUnits::y(int units) const {
    return static_cast<int>(std::lround(units * charHeight_ / 8.0));
}

QRect DialogUnits::rect(int left, int top, int width, int height) const {
    return {x(left), y(top), x(width), y(height)};
}

QSize DialogUnits::size(int width, int height) const {
    return {x(width), y(height)};
}

}  // namespace quillon::gui
