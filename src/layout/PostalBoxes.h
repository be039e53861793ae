#pragma once

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

} // namespace PostalBoxes
