#include "preview/TBarcodeField.h"

#include "print/CardRenderer.h"
#include "typeset/BarcodePainter.h"

#include <QPainter>

TBarcodeField::TBarcodeField(QWidget* parent) : TTateEdit(parent) {}

void TBarcodeField::setZoom(double zoom)
{
    m_zoom = zoom;
    update();
}

void TBarcodeField::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!TransParent())
        painter.fillRect(rect(), Color());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(m_zoom / 100.0, m_zoom / 100.0);
    // The printer's size: what the face shows is what the card gets.
    BarcodePainter(CardRenderer::BarcodePointSize).paint(painter, QPointF(0, 0), Text());
}
