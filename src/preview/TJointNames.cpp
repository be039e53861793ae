#include "preview/TJointNames.h"

#include "common/SessionOptions.h"
#include "print/CardRenderer.h"

#include <QImage>
#include <QPainter>

TJointNames::TJointNames(const LayoutTable& layouts, LayoutKind kind, QWidget* face)
    : QWidget(face), m_layouts(layouts), m_kind(kind)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TJointNames::setOptions(const SessionOptions* options)
{
    m_options = options;
    update();
}

void TJointNames::setTexts(const CardTexts& texts)
{
    m_texts = texts;
    update();
}

QString TJointNames::furtherLines() const
{
    const QStringList lines = m_texts.jointNameLines();
    return lines.size() > 1 ? lines.mid(1).join(QChar(CardTexts::NameBreak)) : QString();
}

void TJointNames::setZoom(double zoom)
{
    m_zoom = zoom;
    update();
}

void TJointNames::paintEvent(QPaintEvent*)
{
    if (m_texts.jointNameLines().size() < 2 || width() <= 0 || height() <= 0)
        return;
    // As the postal digits in their boxes: a picture at the face's 96 dpi, drawn at the zoom,
    // so the names stand where the printer puts them.
    QImage picture(size(), QImage::Format_ARGB32_Premultiplied);
    picture.setDotsPerMeterX(qRound(CardRenderer::StandardScreenDpi / 0.0254));
    picture.setDotsPerMeterY(qRound(CardRenderer::StandardScreenDpi / 0.0254));
    picture.fill(Qt::transparent);
    {
        const SessionOptions defaults;
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(m_zoom / 100.0, m_zoom / 100.0);
        CardRenderer(m_layouts, m_options ? *m_options : defaults)
            .DrawJointNames(m_kind, painter, m_texts, 0, 0, 1);
    }
    QPainter(this).drawImage(0, 0, picture);
}
