#pragma once

#include <QList>
#include <QRect>

// Where the main window goes when the settings name a place: a stored geometry is kept only
// when it lies wholly on one screen's available area (a window from a larger monitor, or
// sizes made up in the file, would be unreachable or cost gigabytes of back buffer).
namespace WindowPlacement {

// `wanted` when it lies within one of `screens` (their available areas); otherwise
// `fallback`, shrunk to fit and moved onto the first screen. No screens: `fallback`.
QRect keepOnScreen(const QRect& wanted, const QRect& fallback, const QList<QRect>& screens);

} // namespace WindowPlacement
