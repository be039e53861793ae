#include "preview/TCardOverlay.h"

#include "common/SessionOptions.h"
#include "layout/CardGeometry.h"
#include "print/CardRenderer.h"

#include <QImage>
#include <QPainter>

TCardOverlay::TCardOverlay(const LayoutTable& layouts, LayoutKind kind, QWidget* face)
    : QWidget(face), m_kind(kind), m_layouts(layouts)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TCardOverlay::setOptions(const SessionOptions* options)
{
    m_options = options;
    update();
}

void TCardOverlay::setTexts(const CardTexts& texts)
{
    m_texts = texts;
    update();
}

void TCardOverlay::setZoom(double zoom)
{
    m_zoom = zoom;
    update();
}

void TCardOverlay::setInk(const QColor& ink)
{
    if (ink == m_ink)
        return;
    m_ink = ink;
    update();
}

void TCardOverlay::paintEvent(QPaintEvent*)
{
    if (!hasInk() || width() <= 0 || height() <= 0)
        return;
    // The renderer places and sizes by the device's resolution: it works at a printer's, as
    // the fields are laid out, and the picture shows that at the face's 96 dpi and zoom.
    // At 96 dpi its fonts would take whole screen pixels and the digits come out a pixel or
    // two shorter than they print.
    QImage picture(size(), QImage::Format_ARGB32_Premultiplied);
    picture.setDotsPerMeterX(qRound(CardGeometry::TypesetDpi / 0.0254));
    picture.setDotsPerMeterY(qRound(CardGeometry::TypesetDpi / 0.0254));
    picture.fill(Qt::transparent);
    {
        const SessionOptions defaults;
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        const double scale =
            m_zoom / 100.0 * CardRenderer::StandardScreenDpi / CardGeometry::TypesetDpi;
        painter.scale(scale, scale);
        draw(CardRenderer(m_layouts, m_options ? *m_options : defaults), painter);
        if (m_ink != QColor(Qt::black)) {
            painter.resetTransform();
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(picture.rect(), m_ink);
        }
    }
    QPainter(this).drawImage(0, 0, picture);
}
