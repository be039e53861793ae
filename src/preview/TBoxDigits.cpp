#include "preview/TBoxDigits.h"

#include "common/SessionOptions.h"
#include "compose/CardText.h"
#include "print/CardRenderer.h"

#include <QImage>
#include <QPainter>

TBoxDigits::TBoxDigits(const LayoutTable& layouts, LayoutKind kind, QWidget* face)
    : QWidget(face), m_layouts(layouts), m_kind(kind)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TBoxDigits::setOptions(const SessionOptions* options)
{
    m_options = options;
    update();
}

void TBoxDigits::setTexts(const CardTexts& texts)
{
    m_texts = texts;
    update();
}

void TBoxDigits::setZoom(double zoom)
{
    m_zoom = zoom;
    update();
}

bool TBoxDigits::active() const
{
    return m_options && ZipInBoxes(*m_options, m_kind) &&
           !BoxedPostalDigits(m_texts[LayoutItem::YubinNo1] + m_texts[LayoutItem::YubinNo2])
                .isEmpty();
}

void TBoxDigits::paintEvent(QPaintEvent*)
{
    if (!active() || width() <= 0 || height() <= 0)
        return;
    // The renderer places by the device's resolution: a picture at the face's 96 dpi, drawn
    // at the zoom, whatever the screen's own resolution.
    QImage picture(size(), QImage::Format_ARGB32_Premultiplied);
    picture.setDotsPerMeterX(qRound(CardRenderer::StandardScreenDpi / 0.0254));
    picture.setDotsPerMeterY(qRound(CardRenderer::StandardScreenDpi / 0.0254));
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(m_zoom / 100.0, m_zoom / 100.0);
        CardRenderer(m_layouts, *m_options).DrawDigitsInBoxes(m_kind, painter, m_texts, 0, 0);
    }
    QPainter(this).drawImage(0, 0, picture);
}
