#include "print/CalibrationSheet.h"

#include "common/numbers.h"
#include "layout/PostalBoxes.h"
#include "print/CardRenderer.h"
#include "print/PrinterDevice.h"

#include <QFont>
#include <QPaintDevice>
#include <QPainter>

#include <limits>

namespace CalibrationSheet {

namespace {

constexpr double CornerMm = 8.0;
constexpr double CrossHairMm = 4.0;

// A point of the upright card (mm) on the card as it lies in `kind` (mm from its corner).
QPointF onCard(LayoutKind kind, QPointF upright)
{
    if (isLandscape(kind))
        return {PostalBoxes::CardHeightMm - upright.y(), upright.x()};
    return upright;
}

QSizeF cardSizeMm(LayoutKind kind)
{
    using namespace PostalBoxes;
    return isLandscape(kind) ? QSizeF(CardHeightMm, CardWidthMm)
                             : QSizeF(CardWidthMm, CardHeightMm);
}

int clampedInt(qint64 v)
{
    return int(
        std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

QPointF crossHairTenthMm(LayoutKind kind, int cardsPerSheet, int position, int which,
                         QPoint correction)
{
    const int box = which == 0 ? 0 : 6;
    const QPointF centre = onCard(kind, CardRenderer::PostalBoxCentreMm(box)) * 10.0;
    return centre + QPointF(CardRenderer::SlotOffset(kind, cardsPerSheet, position)) +
           QPointF(correction);
}

void paint(QPainter& painter, LayoutKind kind, int cardsPerSheet, QPoint correction,
           CardPrint onEveryCard)
{
    const QPaintDevice* device = painter.device();
    if (!device)
        return;
    const double pxPerMmX = device->logicalDpiX() / 25.4;
    const double pxPerMmY = device->logicalDpiY() / 25.4;
    const auto px = [&](QPointF tenthMm) {
        return QPointF(tenthMm.x() / 10.0 * pxPerMmX, tenthMm.y() / 10.0 * pxPerMmY);
    };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(Qt::black);
    pen.setWidthF(0.15 * pxPerMmX);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    QFont numbers(QStringLiteral("IPAGothic"));
    numbers.setPixelSize(qMax(1, qRound(2.2 * pxPerMmY)));
    painter.setFont(numbers);

    const QSizeF card = cardSizeMm(kind);
    for (int position = 1; position <= cardsPerSheet; ++position) {
        const QPointF origin =
            QPointF(CardRenderer::SlotOffset(kind, cardsPerSheet, position)) + QPointF(correction);
        const auto at = [&](double xMm, double yMm) {
            return px(origin + QPointF(xMm * 10.0, yMm * 10.0));
        };
        const double w = card.width();
        const double h = card.height();

        // The card's corners.
        for (const QPointF corner : {QPointF(0, 0), QPointF(w, 0), QPointF(0, h), QPointF(w, h)}) {
            const double dx = corner.x() == 0 ? CornerMm : -CornerMm;
            const double dy = corner.y() == 0 ? CornerMm : -CornerMm;
            painter.drawLine(at(corner.x(), corner.y()), at(corner.x() + dx, corner.y()));
            painter.drawLine(at(corner.x(), corner.y()), at(corner.x(), corner.y() + dy));
        }

        // Rulers inward from the top and the left edge: a tick every millimetre, longer every
        // five, numbered every ten.
        for (int mm = 1; mm < int(w); ++mm) {
            const double tick = mm % 10 == 0 ? 4.0 : mm % 5 == 0 ? 3.0 : 1.5;
            painter.drawLine(at(mm, 0), at(mm, tick));
            if (mm % 10 == 0)
                painter.drawText(QRectF(at(mm - 3, 4.3), at(mm + 3, 7.0)),
                                 Qt::AlignHCenter | Qt::AlignTop, QString::number(mm));
        }
        for (int mm = 1; mm < int(h); ++mm) {
            const double tick = mm % 10 == 0 ? 4.0 : mm % 5 == 0 ? 3.0 : 1.5;
            painter.drawLine(at(0, mm), at(tick, mm));
            if (mm % 10 == 0)
                painter.drawText(QRectF(at(4.5, mm - 1.5), at(12, mm + 1.5)),
                                 Qt::AlignLeft | Qt::AlignVCenter, QString::number(mm));
        }

        // Cross-hairs on the centres of the first and the last postal box.
        for (int which = 0; which < 2; ++which) {
            const QPointF c = crossHairTenthMm(kind, cardsPerSheet, position, which, correction);
            const auto point = [&](double dxMm, double dyMm) {
                return px(c + QPointF(dxMm * 10.0, dyMm * 10.0));
            };
            painter.drawLine(point(-CrossHairMm, 0), point(CrossHairMm, 0));
            painter.drawLine(point(0, -CrossHairMm), point(0, CrossHairMm));
            painter.drawEllipse(px(c), 1.0 * pxPerMmX, 1.0 * pxPerMmY);
        }

        // Where neither the addressee's nor the sender's fields lie by default: above the
        // middle of a portrait card, right of the middle of a landscape one.
        const QRectF note =
            isLandscape(kind) ? QRectF(at(72, 38), at(124, 62)) : QRectF(at(15, 34), at(w - 5, 58));
        painter.drawText(note, Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("十字線の中心と郵便番号枠の中心のずれ（右・下を＋）を"
                                        "mm で測り、位置合わせの画面に入力してください"));
        if (onEveryCard.renderer && onEveryCard.texts)
            onEveryCard.renderer->DrawCard(kind, painter, *onEveryCard.texts,
                                           CardPlacement{cardsPerSheet, position,
                                                         QString::number(correction.x()),
                                                         QString::number(correction.y())});
    }
    painter.restore();
}

bool print(PrinterDevice& device, PaperKind paper, LayoutKind kind, const QString& hoseiX,
           const QString& hoseiY, CardPrint onEveryCard)
{
    SetPrinterPaper(device, PrintJob::paperName(paper), PrintJob::landscapePaper(paper, kind));
    if (!device.beginDocument())
        return false;
    const QPoint correction(numbers::lenientInt(hoseiX), numbers::lenientInt(hoseiY));
    paint(*device.painter(), kind, PrintJob::cardsPerSheet(paper), correction, onEveryCard);
    return device.endDocument();
}

QPoint correctedHosei(const QString& hoseiX, const QString& hoseiY, double rightMm, double downMm)
{
    const qint64 x = qint64(numbers::lenientInt(hoseiX)) - numbers::roundHalfAway(rightMm * 10.0);
    const qint64 y = qint64(numbers::lenientInt(hoseiY)) - numbers::roundHalfAway(downMm * 10.0);
    return {clampedInt(x), clampedInt(y)};
}

} // namespace CalibrationSheet
