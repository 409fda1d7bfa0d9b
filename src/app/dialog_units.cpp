#include "app/dialog_units.h"

#include <QFont>
#include <QFontMetrics>

namespace kes::editor {
namespace {

// value * numerator / denominator, rounded half away from zero.
int scaleRounded(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

} // namespace

DialogUnits DialogUnits::forFont(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The average of 52 letters, rounded: (letters / 26 + 1) / 2.
    const int averageWidth = (letters / 26 + 1) / 2;
    return DialogUnits(averageWidth > 0 ? averageWidth : 1, metrics.height() > 0 ? metrics.height() : 1);
}

int DialogUnits::toPixelsX(int units) const
{
    return scaleRounded(units, baseX_, 4);
}

int DialogUnits::toPixelsY(int units) const
{
    return scaleRounded(units, baseY_, 8);
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const
{
    return QRect(toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height));
}

} // namespace kes::editor
