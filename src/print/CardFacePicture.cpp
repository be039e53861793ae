#include "print/CardFacePicture.h"

#include "layout/PostalBoxes.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <QPainterPath>
#include <cmath>

namespace CardFacePicture {

namespace {
const QColor CardColour(255, 253, 246);
const QColor PostRed(226, 64, 58);
const QColor PaleRed(236, 150, 140);

// Draws `text` in `box` (millimetres of the painter's current scale) with an em of `emMm`
// and `spacingMm` between letters (centred across the box when spaced). The font is made at the
// device's own size and the millimetre scale is taken off while drawing: a font of a few units
// under a large scale loses letters and spacing in the PDF engine.
void drawTextMm(QPainter& painter, const QRectF& box, int flags, const QString& text,
                const QString& family, double emMm, double spacingMm = 0)
{
    const QTransform& t = painter.transform();
    const double k = std::hypot(t.m11(), t.m12()); // device units per millimetre
    if (!(k > 0))
        return;
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    QFont font(family);
    font.setPointSizeF(emMm * k * 72.0 / dpi);
    painter.save();
    painter.scale(1.0 / k, 1.0 / k);
    painter.setFont(font);
    const QRectF deviceBox(box.topLeft() * k, box.size() * k);
    if (spacingMm == 0) {
        painter.drawText(deviceBox, flags, text);
    } else {
        // Letter by letter: the PDF engine drops letters of a font with letter spacing.
        const QFontMetricsF metrics(font, painter.device());
        const double gap = spacingMm * k;
        double width = gap * (text.size() - 1);
        for (const QChar c : text)
            width += metrics.horizontalAdvance(c);
        double x = deviceBox.center().x() - width / 2;
        for (const QChar c : text) {
            const double advance = metrics.horizontalAdvance(c);
            painter.drawText(QRectF(x, deviceBox.top(), advance, deviceBox.height()),
                             (flags & ~Qt::AlignHorizontal_Mask) | Qt::AlignHCenter, QString(c));
            x += advance + gap;
        }
    }
    painter.restore();
}
} // namespace

void paint(QPainter& painter, LayoutKind kind, const QRectF& target)
{
    using namespace PostalBoxes;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(target, CardColour);

    // From here on one unit is a millimetre of the upright card.
    painter.translate(target.topLeft());
    if (isLandscape(kind)) {
        painter.scale(target.width() / CardHeightMm, target.height() / CardWidthMm);
        painter.translate(CardHeightMm, 0);
        painter.rotate(90);
    } else {
        painter.scale(target.width() / CardWidthMm, target.height() / CardHeightMm);
    }

    QPen pen(PostRed, 0.3);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (double left : CodeBoxLeftMm)
        painter.drawRect(QRectF(left, CodeBoxTopMm, CodeBoxWidthMm, CodeBoxHeightMm));
    // The hyphen between the third and the fourth box.
    const double gapLeft = CodeBoxLeftMm[2] + CodeBoxWidthMm;
    const double midY = CodeBoxTopMm + CodeBoxHeightMm / 2;
    painter.drawLine(QPointF(gapLeft + 0.3, midY), QPointF(CodeBoxLeftMm[3] - 0.3, midY));

    pen.setColor(PaleRed);
    pen.setWidthF(0.25);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    const QRectF stamp(StampLeftMm, StampTopMm, StampWidthMm, StampHeightMm);
    painter.drawRect(stamp);
    drawTextMm(painter, stamp, Qt::AlignCenter, QStringLiteral("切手"), QStringLiteral("IPAGothic"),
               2.6);

    painter.setPen(PostRed);
    drawTextMm(painter, QRectF(HeadingCentreXmm - 20, HeadingTopMm, 40, HeadingHeightMm * 1.6),
               Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("郵便はがき"),
               QStringLiteral("IPAMincho"), HeadingHeightMm, 1.2);
    painter.restore();
}

QImage image(LayoutKind kind, QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(CardColour);
    QPainter painter(&picture);
    paint(painter, kind, QRectF(QPointF(0, 0), QSizeF(size)));
    return picture;
}

} // namespace CardFacePicture
