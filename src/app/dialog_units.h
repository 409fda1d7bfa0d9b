// Dialog units: the dialog's layout is given in units of the dialog font, so
// that it grows with the font. A horizontal unit is a quarter of the font's
// average character width, a vertical unit an eighth of its height.
#pragma once

#include <QRect>

class QFont;

namespace kes::editor {

class DialogUnits {
public:
    // baseX: the average character width in pixels; baseY: the character
    // height in pixels.
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    // The units of `font`: the average width of the 52 Latin letters and the
    // font's line height.
    static DialogUnits forFont(const QFont& font);

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

    // Pixels of a horizontal and of a vertical distance, rounded to the nearest.
    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    // Pixel rectangle of a rectangle in dialog units.
    QRect toPixels(int x, int y, int width, int height) const;

private:
    int baseX_;
    int baseY_;
};

} // namespace kes::editor
