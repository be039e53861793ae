#include "preview/TCardOverlay.h"

#include "common/SessionOptions.h"
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

void TCardOverlay::paintEvent(QPaintEvent*)
{
    if (!hasInk() || width() <= 0 || height() <= 0)
        return;
    // The renderer places by the device's resolution: a picture at the face's 96 dpi, drawn
    // at the zoom, whatever the screen's own resolution.
    QImage picture(size(), QImage::Format_ARGB32_Premultiplied);
    picture.setDotsPerMeterX(qRound(CardRenderer::StandardScreenDpi / 0.0254));
    picture.setDotsPerMeterY(qRound(CardRenderer::StandardScreenDpi / 0.0254));
    picture.fill(Qt::transparent);
    {
        const SessionOptions defaults;
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(m_zoom / 100.0, m_zoom / 100.0);
        draw(CardRenderer(m_layouts, m_options ? *m_options : defaults), painter);
    }
    QPainter(this).drawImage(0, 0, picture);
}
