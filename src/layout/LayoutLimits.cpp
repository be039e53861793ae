#include "layout/LayoutLimits.h"

#include <algorithm>
#include <cmath>

namespace LayoutLimits {

bool isFontSizeInRange(double points)
{
    // NaN fails both comparisons.
    return points >= MinFontSize && points <= MaxFontSize;
}

bool isLengthInRange(qint64 tenthMm)
{
    return tenthMm >= -MaxLength && tenthMm <= MaxLength;
}

bool clamp(LayoutItemRecord& record, const LayoutItemRecord& fallback)
{
    bool kept = true;
    if (!isFontSizeInRange(record.FontSize)) {
        record.FontSize = fallback.FontSize;
        kept = false;
    }
    const auto length = [&kept](int& value, int fallbackValue) {
        if (!isLengthInRange(value)) {
            value = fallbackValue;
            kept = false;
        }
    };
    length(record.X, fallback.X);
    length(record.Y, fallback.Y);
    length(record.Width, fallback.Width);
    length(record.Height, fallback.Height);
    length(record.WidthEx, fallback.WidthEx);
    return kept;
}

double boundedFontSize(double points)
{
    if (std::isnan(points))
        return MinFontSize;
    return std::clamp(points, MinFontSize, MaxFontSize);
}

} // namespace LayoutLimits
