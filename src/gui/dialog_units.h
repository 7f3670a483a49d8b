// Dialog units, the measure the window templates are drawn in: one horizontal unit is a quarter
// of the dialog font's average character width, one vertical unit an eighth of its height. The
// system's interface font at 8 points is the dialog font.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace quillon::gui {

class DialogUnits {
  public:
    // The units of the application's font at 8 points.
    DialogUnits();
    explicit DialogUnits(const QFont& font);

    const QFont& font() const { return font_; }
    int x(int units) const;
    int y(int units) const;
    QRect rect(int left, int top, int width, int height) const;
    QSize size(int width, int height) const;

  private:
    QFont font_;
    double charWidth_ = 6;
    double charHeight_ = 13;
};

}  // namespace quillon::gui
