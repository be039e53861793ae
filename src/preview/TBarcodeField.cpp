#include "preview/TBarcodeField.h"

#include "layout/CardGeometry.h"
#include "print/CardRenderer.h"
#include "typeset/BarcodePainter.h"

#include <QPainter>

#include <cmath>

TBarcodeField::TBarcodeField(QWidget* parent) : TTateEdit(parent) {}

void TBarcodeField::setZoom(double zoom)
{
    m_zoom = zoom;
    update();
}

QSize TBarcodeField::barsSize() const
{
    const QSizeF mm = BarcodePainter(CardRenderer::BarcodePointSize).naturalSizeMm(Text());
    const double perMm = CardGeometry::face(m_zoom).dotsPerInch() / 25.4;
    return {int(std::ceil(mm.width() * perMm)), int(std::ceil(mm.height() * perMm))};
}

void TBarcodeField::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!TransParent())
        painter.fillRect(rect(), Color());
    painter.setRenderHint(QPainter::Antialiasing);
    // The painter measures millimetres by the widget's resolution; the face has its own.
    const double scale = CardGeometry::face(m_zoom).dotsPerInch() / logicalDpiX();
    painter.scale(scale, scale);
    // The printer's size: what the face shows is what the card gets.
    BarcodePainter(CardRenderer::BarcodePointSize)
        .paint(painter, QPointF(inset(), inset()) / scale, Text(), FontColor());
}
