#include "typeset/ScreenTextMeasure.h"

#include "common/numbers.h"

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
    // Our measure stands for the standard screen, where the reference text measures 120 px;
    // our font measures it wider (151 px), so every width is scaled to that standard.
    const int reference = metrics.horizontalAdvance(ReferenceText);
    const double toStandard = reference > 0 ? double(StandardReferenceWidth) / reference : 1.0;
    m.widthPx = [metrics, toStandard](const QString& text) {
        return numbers::roundHalfAway(metrics.horizontalAdvance(text) * toStandard);
    };
    m.dpi = dpi > 0 ? dpi : 96;
    m.fontPointSize = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / m.dpi;
    return m;
}
