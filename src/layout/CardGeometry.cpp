#include "layout/CardGeometry.h"

#include "common/numbers.h"

#include <algorithm>

int CardGeometry::toPixels(qint64 tenthMm) const
{
    return numbers::roundHalfAway(double(tenthMm) / 254.0 * m_dpi);
}

int CardGeometry::toTenthMm(int pixels) const
{
    return std::max(1, numbers::roundHalfAway(pixels * 254.0 / m_dpi));
}

QRect CardGeometry::toPixels(qint64 x, qint64 y, qint64 width, qint64 height) const
{
    return {toPixels(x), toPixels(y), toPixels(width), toPixels(height)};
}

QSize CardGeometry::cardSize(bool landscape) const
{
    const QSize upright(toPixels(CardShortSide), toPixels(CardLongSide));
    return landscape ? upright.transposed() : upright;
}

int CardGeometry::fontPixels(int points) const
{
    return std::max(1, numbers::roundHalfAway(points * m_dpi / 72.0));
}

int CardGeometry::minimumPixels(int tenthMm) const
{
    int pixels = std::max(1, toPixels(tenthMm));
    while (numbers::roundHalfAway(pixels * 254.0 / m_dpi) < tenthMm)
        ++pixels;
    return pixels;
}
