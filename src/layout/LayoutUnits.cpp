#include "layout/LayoutUnits.h"

#include "common/numbers.h"

#include <algorithm>

namespace LayoutUnits {

namespace {
int atLeastOne(int v)
{
    return std::max(v, 1);
}
} // namespace

int tenthMmToPixels(int tenthMm, double dpi)
{
    if (tenthMm == 1)
        return 1;
    return atLeastOne(numbers::roundHalfAway(dpi / 254.0 * tenthMm));
}

int pixelsToTenthMm(int pixels, double dpi)
{
    if (pixels == 1 || dpi <= 0.0)
        return 1;
    return atLeastOne(numbers::roundHalfAway(pixels / dpi * 254.0));
}

int pointsToPixels(double points, double dpi)
{
    if (points == 1.0)
        return 1;
    return atLeastOne(numbers::roundHalfAway(points * dpi / 72.0));
}

int pointsToTenthMm(double points)
{
    if (points == 1.0)
        return 1;
    return atLeastOne(numbers::roundHalfAway(points * 254.0 / 72.0));
}

int tenthMmToPixelsAtZoom(int tenthMm, double zoom, double dpi)
{
    return numbers::roundHalfAway(zoom * tenthMmToPixels(tenthMm, dpi) / 100.0);
}

int pointsToFontPixelsAtZoom(double points, double zoom, double dpi)
{
    return numbers::roundHalfAway(zoom * pointsToPixels(points, dpi) / 100.0);
}

int pixelsAtZoomToTenthMm(int pixels, double zoom, double dpi)
{
    if (pixels == 1 || zoom <= 0.0 || dpi <= 0.0)
        return 1;
    return atLeastOne(numbers::roundHalfAway(pixels * 25400.0 / zoom / dpi));
}

} // namespace LayoutUnits
