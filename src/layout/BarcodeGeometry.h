#pragma once

#include <cmath>

// Japan Post customer barcode geometry. Every size scales with the point size a
// (8 <= a <= 11.5): the published figures are for a = 10.
namespace BarcodeGeometry {

constexpr double NaturalPointSize = 9.0; // the size the barcode is always drawn at
constexpr int BarsInBarcode = 67;        // start 2 + 21 symbols x 3 + stop 2

constexpr double pitchMm(double pt)
{
    return 1.2 * pt / 10.0;
}
constexpr double barWidthMm(double pt)
{
    return 0.6 * pt / 10.0;
}
constexpr double longBarMm(double pt)
{
    return 3.6 * pt / 10.0;
}
constexpr double semiLongBarMm(double pt)
{
    return 2.4 * pt / 10.0;
}
constexpr double timingBarMm(double pt)
{
    return 1.2 * pt / 10.0;
}

// Vertical extent of one bar, measured from the top of a long bar. Bars are named by the
// letters of BarcodePattern: F long, A upper semi-long, D lower semi-long, T timing (centred).
constexpr double barTopMm(char bar, double pt)
{
    if (bar == 'D')
        return longBarMm(pt) - semiLongBarMm(pt);
    if (bar == 'T')
        return (longBarMm(pt) - timingBarMm(pt)) / 2.0;
    return 0.0;
}
constexpr double barHeightMm(char bar, double pt)
{
    return bar == 'F' ? longBarMm(pt) : bar == 'T' ? timingBarMm(pt) : semiLongBarMm(pt);
}

// From the left edge of the first bar to the right edge of the last one.
constexpr double lengthMm(int bars, double pt)
{
    return bars <= 0 ? 0.0 : (bars - 1) * pitchMm(pt) + barWidthMm(pt);
}

// Size of a whole barcode at its natural size, in tenths of a millimetre, rounded up: the
// default PostCode field box (71.8 mm x 3.24 mm -> 719 x 33).
inline int naturalWidthTenthMm()
{
    return int(std::ceil(lengthMm(BarsInBarcode, NaturalPointSize) * 10.0 - 1e-9));
}
inline int naturalHeightTenthMm()
{
    return int(std::ceil(longBarMm(NaturalPointSize) * 10.0 - 1e-9));
}

} // namespace BarcodeGeometry
