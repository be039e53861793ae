#include "typeset/BarcodePainter.h"

#include "compose/BarcodePattern.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

namespace {

constexpr double MmPerInch = 25.4;

} // namespace

BarcodePainter::BarcodePainter(double pointSize)
    : m_pointSize(std::clamp(pointSize, MinPointSize, MaxPointSize))
{}

QSizeF BarcodePainter::naturalSizeMm(QStringView barcodeText) const
{
    const int bars = int(BarcodePattern::bars(barcodeText).size());
    if (bars == 0)
        return {};
    return {BarcodeGeometry::lengthMm(bars, m_pointSize), BarcodeGeometry::longBarMm(m_pointSize)};
}

double BarcodePainter::advanceMm(QStringView barcodeText) const
{
    return BarcodePattern::bars(barcodeText).size() * BarcodeGeometry::pitchMm(m_pointSize);
}

void BarcodePainter::paintMm(QPainter& painter, QPointF topLeftMm, QStringView barcodeText) const
{
    const QPaintDevice* device = painter.device();
    if (!device)
        return;
    const QPointF topLeft(topLeftMm.x() / MmPerInch * device->logicalDpiX(),
                          topLeftMm.y() / MmPerInch * device->logicalDpiY());
    paint(painter, topLeft, barcodeText);
}

void BarcodePainter::paint(QPainter& painter, QPointF topLeft, QStringView barcodeText,
                           const QColor& ink) const
{
    const QPaintDevice* device = painter.device();
    if (!device)
        return;
    const double dotsPerMmX = device->logicalDpiX() / MmPerInch;
    const double dotsPerMmY = device->logicalDpiY() / MmPerInch;
    const double pitch = BarcodeGeometry::pitchMm(m_pointSize) * dotsPerMmX;
    const double width = BarcodeGeometry::barWidthMm(m_pointSize) * dotsPerMmX;

    // Every bar is placed from the origin, not from its neighbour, so nothing drifts.
    const QString bars = BarcodePattern::bars(barcodeText);
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const char bar = bars.at(i).toLatin1();
        const QRectF rect(topLeft.x() + double(i) * pitch,
                          topLeft.y() + BarcodeGeometry::barTopMm(bar, m_pointSize) * dotsPerMmY,
                          width, BarcodeGeometry::barHeightMm(bar, m_pointSize) * dotsPerMmY);
        painter.fillRect(rect, ink);
    }
}
