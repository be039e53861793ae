#include "print/CardFacePicture.h"

#include "layout/PostalBoxes.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace CardFacePicture {

namespace {
const QColor CardColour(255, 253, 246);
const QColor PostRed(226, 64, 58);
const QColor PaleRed(236, 150, 140);

// A font whose em is `mm` units of the painter's current (millimetre) scale.
QFont fontOfMm(const QString& family, double mm, const QPainter& painter)
{
    QFont font(family);
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    font.setPointSizeF(mm * 72.0 / dpi);
    return font;
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
    painter.setFont(fontOfMm(QStringLiteral("IPAGothic"), 2.6, painter));
    painter.drawText(stamp, Qt::AlignCenter, QStringLiteral("切手"));

    QFont heading = fontOfMm(QStringLiteral("IPAMincho"), HeadingHeightMm, painter);
    heading.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    painter.setFont(heading);
    painter.setPen(PostRed);
    painter.drawText(QRectF(HeadingCentreXmm - 20, HeadingTopMm, 40, HeadingHeightMm * 1.6),
                     Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("郵便はがき"));
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
