#include "typeset/ScreenTextMeasure.h"

#include <QFontMetrics>

QFont MainWindowFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}

TextMeasure ScreenTextMeasure(const QFont& font, int dpi)
{
    TextMeasure m;
    const QFontMetrics metrics(font);
    m.widthPx = [metrics](const QString& text) { return metrics.horizontalAdvance(text); };
    m.dpi = dpi > 0 ? dpi : 96;
    m.fontPointSize = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / m.dpi;
    return m;
}
