// DialogUnits: dialog units to pixels, rounded half away from zero like the dialog manager.
#include "gui/DialogUnits.h"

#include <cstdlib>

namespace zel {

namespace {

int mulDivRounded(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    const long long q = (std::llabs(product) + half) / denominator;
    return static_cast<int>(product < 0 ? -q : q);
}

} // namespace

int dluToPixelsX(int dlu) {
    return mulDivRounded(dlu, DialogBaseUnitX, 4);
}

int dluToPixelsY(int dlu) {
    return mulDivRounded(dlu, DialogBaseUnitY, 8);
}

QRect dialogRect(int x, int y, int width, int height) {
    const int left = dluToPixelsX(x);
    const int top = dluToPixelsY(y);
    return QRect(left, top, dluToPixelsX(x + width) - left, dluToPixelsY(y + height) - top);
}

} // namespace zel
