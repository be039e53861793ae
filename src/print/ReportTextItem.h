#pragma once

#include <QRectF>
#include <QString>

class QPainter;

// The lines drawn along the edges of a text item, each a width in layout units (0: none).
struct ReportRules
{
    double top = 0;
    double bottom = 0;
    double left = 0;
    double right = 0;
};

// One text of a report page: a box in layout units (1/96 inch) relative to its band or row,
// the text with its font, alignment, display mask and ruled edges.
class ReportTextItem
{
public:
    QRectF box;
    QString text;
    // "- ### -": the run of '#' stands for the text; empty shows the text as it is.
    QString mask;
    QString fontFamily;
    double fontPixels = 11; // in layout units
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // Space between a left- or right-aligned text and its edge.
    double padding = 0;
    ReportRules rules;
    // Crossed out on a grey ground: a row that is listed but not acted on.
    bool struck = false;

    QString shownText() const;

    // Draws the item with its box moved by `origin`, `scale` device pixels to a layout unit.
    void paint(QPainter& painter, QPointF origin, double scale) const;
};
