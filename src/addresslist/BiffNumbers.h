#pragma once

#include <QString>

#include <cstdint>

// Number cells of a workbook: the compressed RK form and the texts the grid shows.
namespace biffnumbers {

// An RK value: bit 1 set means a signed 30-bit integer in the upper bits, else the upper
// 32 bits of a double; bit 0 set means the number is a hundredth of that.
double decodeRk(std::uint32_t rk);

// General format: 15 significant digits, no trailing zeros; fixed notation when
// 0.0001 <= |value| < 1E15 after rounding, else "1.5E20" / "5E-5". The decimal separator is
// always "." so that a list reads the same whatever the desktop's language.
QString formatGeneral(double value);
// The same text in ASCII, written to `text` (room for MaxGeneralLength); returns its length.
constexpr int MaxGeneralLength = 48;
int formatGeneral(double value, char* text);

} // namespace biffnumbers
