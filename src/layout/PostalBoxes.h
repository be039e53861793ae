#pragma once

#include <QRectF>

#include <array>

// Japan Post's printed furniture of a postcard's address side, in millimetres from the
// top-left corner of the card held upright (portrait, 100 x 148 mm). The preview's card
// pictures and any proof print draw from these numbers.
namespace PostalBoxes {

inline constexpr double CardWidthMm = 100.0;
inline constexpr double CardHeightMm = 148.0;

// The seven postal-code boxes: three, a hyphen's gap, four.
inline constexpr double CodeBoxTopMm = 12.0;
inline constexpr double CodeBoxHeightMm = 8.0;
inline constexpr double CodeBoxWidthMm = 5.7;
inline constexpr std::array<double, 7> CodeBoxLeftMm{44.3, 51.3, 58.3, 65.8, 72.6, 79.4, 86.2};

// The stamp area at the top left.
inline constexpr double StampLeftMm = 8.0;
inline constexpr double StampTopMm = 8.0;
inline constexpr double StampWidthMm = 22.0;
inline constexpr double StampHeightMm = 26.0;

// The "郵便はがき" heading, centred between the stamp and the code boxes.
inline constexpr double HeadingCentreXmm = 37.0;
inline constexpr double HeadingTopMm = 3.0;
inline constexpr double HeadingHeightMm = 4.5;

// A rectangle of the upright card on the card as it is held: a landscape card is the upright
// one turned a quarter clockwise, its top edge on the right, the boxes down that edge.
inline QRectF onCard(bool landscape, const QRectF& upright)
{
    if (!landscape)
        return upright;
    return {CardHeightMm - upright.bottom(), upright.left(), upright.height(), upright.width()};
}

inline QRectF codeBox(bool landscape, int box)
{
    return onCard(landscape, QRectF(CodeBoxLeftMm[size_t(box)], CodeBoxTopMm, CodeBoxWidthMm,
                                    CodeBoxHeightMm));
}

inline QRectF stamp(bool landscape)
{
    return onCard(landscape, QRectF(StampLeftMm, StampTopMm, StampWidthMm, StampHeightMm));
}

} // namespace PostalBoxes
