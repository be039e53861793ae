#pragma once

#include <QString>

namespace numbers {

// Rounds half away from zero (2.5 -> 3, -2.5 -> -3), the rule for every unit conversion.
int roundHalfAway(double value);

// Whole number of a field the user typed: commas and spaces are removed first; anything that
// is then not a whole number (empty, "1.5", "abc", out of range) counts as `fallback`.
int lenientInt(const QString& text, int fallback = 0);

// Strict whole number: optional sign and decimal digits (or "$"/"0x" hex), nothing else.
// Returns false when the text is not one.
bool parseInt(const QString& text, int* value);

} // namespace numbers
