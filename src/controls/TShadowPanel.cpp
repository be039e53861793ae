#include "controls/TShadowPanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

TShadowPanel::TShadowPanel(QWidget* parent)
    : QWidget(parent), m_shadowColor(palette().color(QPalette::Shadow)),
      m_backColor(palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(185, 41);
    applyOffsets();
}

void TShadowPanel::setHorzOffset(int value)
{
    m_horzOffset = value;
    applyOffsets();
}

void TShadowPanel::setVertOffset(int value)
{
    m_vertOffset = value;
    applyOffsets();
}

void TShadowPanel::setShade(int value)
{
    if (value == m_shade)
        return;
    m_shade = value;
    update();
}

void TShadowPanel::setShadowColor(const QColor& value)
{
    if (value == m_shadowColor)
        return;
    m_shadowColor = value;
    update();
}

void TShadowPanel::setBackColor(const QColor& value)
{
    if (value == m_backColor)
        return;
    m_backColor = value;
    update();
}

void TShadowPanel::setShadowShow(bool value)
{
    if (value == m_shadowShow)
        return;
    m_shadowShow = value;
    if (value) {
        m_horzOffset = m_savedHorzOffset;
        m_vertOffset = m_savedVertOffset;
    } else {
        m_savedHorzOffset = m_horzOffset;
        m_savedVertOffset = m_vertOffset;
        m_horzOffset = 0;
        m_vertOffset = 0;
    }
    applyOffsets();
}

void TShadowPanel::setColor(const QColor& value)
{
    m_color = value;
    update();
}

void TShadowPanel::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    m_scaled = QPixmap();
    applyAutoSize();
    repaint();
}

void TShadowPanel::setAutoSize(bool value)
{
    m_autoSize = value;
    applyAutoSize();
    update();
}

QRect TShadowPanel::faceRect() const
{
    QRect r = rect();
    if (m_horzOffset > 0)
        r.setRight(r.right() - m_horzOffset);
    else
        r.setLeft(r.left() - m_horzOffset);
    if (m_vertOffset > 0)
        r.setBottom(r.bottom() - m_vertOffset);
    else
        r.setTop(r.top() - m_vertOffset);
    return r;
}

void TShadowPanel::applyOffsets()
{
    // Children that lay themselves out (layouts, contentsRect) keep to the face.
    setContentsMargins(qMax(0, -m_horzOffset), qMax(0, -m_vertOffset), qMax(0, m_horzOffset),
                       qMax(0, m_vertOffset));
    applyAutoSize();
    update();
}

// The panel follows its picture's size when asked. Done when the picture or the offsets
// change rather than while painting, where a resize would paint again.
void TShadowPanel::applyAutoSize()
{
    if (m_autoSize && !m_picture.isNull())
        resize(m_picture.width() + m_horzOffset, m_picture.height() + m_vertOffset);
}

void TShadowPanel::drawShadow(QPainter& painter)
{
    const QRect face = faceRect();
    QRect shadow = face.translated(m_horzOffset, m_vertOffset);
    const QRect wholeShadow = shadow;

    QRegion outside = QRegion(rect()).subtracted(face);
    painter.setClipRegion(outside);

    // The graded edge: rings from the back colour (outside) towards the shadow colour.
    for (int n = m_shade - 1; n >= 0 && !shadow.isEmpty(); --n) {
        const auto mix = [&](int s, int b) { return ((m_shade - n) * s + n * b) / m_shade; };
        const QColor ring(mix(m_shadowColor.red(), m_backColor.red()),
                          mix(m_shadowColor.green(), m_backColor.green()),
                          mix(m_shadowColor.blue(), m_backColor.blue()));
        painter.fillRect(shadow.left(), shadow.top(), shadow.width(), 1, ring);
        painter.fillRect(shadow.left(), shadow.bottom(), shadow.width(), 1, ring);
        painter.fillRect(shadow.left(), shadow.top(), 1, shadow.height(), ring);
        painter.fillRect(shadow.right(), shadow.top(), 1, shadow.height(), ring);
        shadow.adjust(1, 1, -1, -1);
    }
    if (!shadow.isEmpty())
        painter.fillRect(shadow, m_shadowColor);

    painter.setClipRegion(outside.subtracted(wholeShadow));
    painter.fillRect(rect(), m_backColor);
    painter.setClipping(false);
    painter.fillRect(face, m_color);
}

void TShadowPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_shadowShow || (m_horzOffset == 0 && m_vertOffset == 0))
        painter.fillRect(rect(), m_color);
    else
        drawShadow(painter);

    if (m_picture.isNull())
        return;
    if (m_autoSize) {
        painter.drawPixmap(0, 0, m_picture);
    } else {
        // Scaled once per size, not on every repaint while a field is dragged over it.
        const QSize target(width() - m_horzOffset, height() - m_vertOffset);
        if (target.isEmpty())
            return;
        if (m_scaled.size() != target)
            m_scaled = m_picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.drawPixmap(0, 0, m_scaled);
    }
}

void TShadowPanel::mousePressEvent(QMouseEvent* event)
{
    // Taken, so the release comes here too and makes the click.
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TShadowPanel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        Q_EMIT Click();
}

void TShadowPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    QWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT DblClick();
}
