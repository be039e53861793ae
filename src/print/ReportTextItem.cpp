#include "print/ReportTextItem.h"

#include <QFont>
#include <QPainter>
#include <QPen>

#include <cmath>

QString ReportTextItem::shownText() const
{
    const qsizetype first = mask.indexOf(u'#');
    if (first < 0)
        return text;
    qsizetype last = first;
    while (last + 1 < mask.size() && mask[last + 1] == u'#')
        ++last;
    return mask.left(first) + text + mask.mid(last + 1);
}

namespace {

void rule(QPainter& painter, double width, double scale, QPointF from, QPointF to)
{
    if (width <= 0)
        return;
    // A hairline of the device at least: a 0.25 line must not vanish in the preview.
    painter.setPen(QPen(Qt::black, std::max(1.0, width * scale), Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(from, to);
}

} // namespace

void ReportTextItem::paint(QPainter& painter, QPointF origin, double scale) const
{
    const QRectF r((box.left() + origin.x()) * scale, (box.top() + origin.y()) * scale,
                   box.width() * scale, box.height() * scale);
    const QString shown = shownText();
    if (struck)
        painter.fillRect(r, QColor(215, 215, 215));
    if (!shown.isEmpty()) {
        QFont font(fontFamily);
        font.setPixelSize(std::max(1, int(std::lround(fontPixels * scale))));
        font.setStrikeOut(struck);
        painter.save();
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.setClipRect(r);
        const double pad = padding * scale;
        painter.drawText(r.adjusted(pad, 0, -pad, 0), int(alignment) | Qt::TextSingleLine, shown);
        painter.restore();
    }
    rule(painter, rules.top, scale, r.topLeft(), r.topRight());
    rule(painter, rules.bottom, scale, r.bottomLeft(), r.bottomRight());
    rule(painter, rules.left, scale, r.topLeft(), r.bottomLeft());
    rule(painter, rules.right, scale, r.topRight(), r.bottomRight());
}
