#include "print/WindowTextMeasure.h"

#include <QFontInfo>
#include <QFontMetrics>

TextMeasure WindowTextMeasure(const QFont& font, int dpi)
{
    TextMeasure measure;
    const QFontMetrics metrics(font);
    measure.widthPx = [metrics](const QString& text) { return metrics.horizontalAdvance(text); };
    measure.dpi = dpi > 0 ? dpi : 96;
    const double points = font.pointSizeF() > 0 ? font.pointSizeF()
                                                : QFontInfo(font).pixelSize() * 72.0 / measure.dpi;
    measure.fontPointSize = points > 0 ? points : 9.0;
    return measure;
}

TextMeasure WindowTextMeasure()
{
    return WindowTextMeasure(WindowFont(), 96);
}

QFont WindowFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}
