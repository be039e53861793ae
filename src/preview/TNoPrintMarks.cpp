#include "preview/TNoPrintMarks.h"

#include <QPainter>

TNoPrintMarks::TNoPrintMarks(Boxes boxes, QWidget* face) : QWidget(face), m_boxes(std::move(boxes))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TNoPrintMarks::paintEvent(QPaintEvent*)
{
    if (!m_boxes)
        return;
    QPainter painter(this);
    const QColor mark = QColor::fromRgb(MarkColour);
    // The hatch faint, so the grey text stays readable under it; the frame plain.
    QColor hatch = mark;
    hatch.setAlpha(110);
    for (const QRect& box : m_boxes()) {
        painter.fillRect(box, QBrush(hatch, Qt::BDiagPattern));
        painter.setPen(QPen(mark, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    }
}
