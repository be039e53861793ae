#pragma once

#include <array>
#include <cstdint>

// The 80-bit x87 extended-precision form of layout files: 64-bit significand with an explicit
// integer bit, 15-bit exponent biased by 16383, sign; little-endian. Done in integers so it
// behaves the same where `long double` is only 64 bits wide.
namespace ExtendedReal {

using Bytes = std::array<std::uint8_t, 10>;

// Every double has an exact extended form.
Bytes fromDouble(double value);

// The nearest double (ties to even); too large gives infinity, too small a signed zero.
// Unnormal forms (integer bit clear) are read by their value.
double toDouble(const std::uint8_t* bytes);

} // namespace ExtendedReal
