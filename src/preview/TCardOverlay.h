#pragma once

#include "compose/CardTexts.h"
#include "layout/LayoutKind.h"

#include <QColor>
#include <QWidget>

class CardRenderer;
class LayoutTable;
class QPainter;
struct SessionOptions;

// Over a face: something of the card that the printer's own renderer draws (postal digits in
// their boxes, further joint names), at the zoom, so it stands where the printer puts it.
// Clicks pass through.
class TCardOverlay : public QWidget
{
    Q_OBJECT
public:
    TCardOverlay(const LayoutTable& layouts, LayoutKind kind, QWidget* face);

    void setOptions(const SessionOptions* options);
    void setTexts(const CardTexts& texts);
    void setZoom(double zoom);
    // The colour of what it draws: the printer's black, or grey for what will not print.
    void setInk(const QColor& ink);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Whether there is anything to draw, and the drawing with the card's corner at (0, 0).
    virtual bool hasInk() const = 0;
    virtual void draw(const CardRenderer& renderer, QPainter& painter) const = 0;

    const LayoutKind m_kind;
    const SessionOptions* m_options = nullptr;
    CardTexts m_texts;

private:
    const LayoutTable& m_layouts;
    double m_zoom = 100;
    QColor m_ink = Qt::black;
};
