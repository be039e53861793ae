#pragma once

#include "layout/LayoutItemRecord.h"

#include <QtGlobal>

// The values a layout record may hold. Settings and layout files come from outside: a font
// size of 5000 points or a position at the integer limit cannot be drawn, so every reader
// puts what it read through clamp() before the record reaches the table.
namespace LayoutLimits {

inline constexpr double MinFontSize = 1.0;   // points
inline constexpr double MaxFontSize = 500.0; // points
// Positions and sizes, 1/10 mm either way: a metre, far beyond any sheet.
inline constexpr int MaxLength = 10000;

// The zoom of the preview, percent: the zoom box's range, and a layout file's.
inline constexpr double MinZoom = 10.0;
inline constexpr double MaxZoom = 400.0;

bool isFontSizeInRange(double points);
bool isLengthInRange(qint64 tenthMm);

// Every value of `record` outside its range is replaced by the value of `fallback` (the
// default record of the same kind and item). True when nothing had to be replaced.
bool clamp(LayoutItemRecord& record, const LayoutItemRecord& fallback);

// A font size a painter can always be given: within the range, a value that is not a number
// being the smallest size.
double boundedFontSize(double points);

} // namespace LayoutLimits
