#pragma once

// Conversions between the layout's units (1/10 mm, points) and screen pixels at a screen
// resolution `dpi` (pixels per inch) and a zoom in percent. Every result is rounded half away
// from zero. The conversions marked "at least 1" give 1 when the rounded result is below 1,
// and give 1 at once for an input of exactly 1: the layout never holds a 0 position, so a
// field dragged to the card's edge is stored at 1.
namespace LayoutUnits {

// round(dpi / 254 x v), at least 1.
int tenthMmToPixels(int tenthMm, double dpi);
// round(v / dpi x 254), at least 1.
int pixelsToTenthMm(int pixels, double dpi);
// round(v x dpi / 72), at least 1.
int pointsToPixels(double points, double dpi);
// round(v x 254 / 72), at least 1.
int pointsToTenthMm(double points);

// round(zoom x tenthMmToPixels(v) / 100).
int tenthMmToPixelsAtZoom(int tenthMm, double zoom, double dpi);
// round(zoom x pointsToPixels(v) / 100): the character height of a font at that zoom (fonts
// take it as a negative height).
int pointsToFontPixelsAtZoom(double points, double zoom, double dpi);
// round(v x 25400 / zoom / dpi), at least 1. A zoom or dpi that is not positive gives 1.
int pixelsAtZoomToTenthMm(int pixels, double zoom, double dpi);

} // namespace LayoutUnits
