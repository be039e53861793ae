#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <QtGlobal>

// The one mapping from the layout's 1/10 mm to device pixels, shared by the printer's page and
// the preview's face: a position v from the card's corner lies at round(v / 254 x dpi), half
// away from zero. The printer's dpi is its resolution; the face's is the screen's times the
// zoom, so a field, its text and the card picture land where the printer puts them.
class CardGeometry
{
public:
    static constexpr double ScreenDpi = 96.0;
    // The resolution a face lays its texts out at before it shows them at its own: a printer's.
    static constexpr double TypesetDpi = 1200.0;
    static constexpr qint64 CardShortSide = 1000; // 100 mm
    static constexpr qint64 CardLongSide = 1480;  // 148 mm

    explicit CardGeometry(double dotsPerInch) : m_dpi(dotsPerInch > 0 ? dotsPerInch : ScreenDpi) {}
    // The preview's face at `zoom` percent.
    static CardGeometry face(double zoom, double screenDpi = ScreenDpi)
    {
        return CardGeometry(screenDpi * (zoom > 0 ? zoom : 100.0) / 100.0);
    }

    double dotsPerInch() const { return m_dpi; }

    int toPixels(qint64 tenthMm) const;
    // The nearest 1/10 mm of a pixel position, at least 1: the layout never holds 0. Going
    // back with toPixels gives the same pixel whenever a pixel is coarser than 1/10 mm.
    int toTenthMm(int pixels) const;
    QPoint toPixels(QPoint tenthMm) const { return {toPixels(tenthMm.x()), toPixels(tenthMm.y())}; }
    // A box from its corner and size in 1/10 mm, corner and size mapped each on its own, as
    // the printer takes a field's position and its box length.
    QRect toPixels(qint64 x, qint64 y, qint64 width, qint64 height) const;
    // The card at its size; the long side is vertical for a portrait card.
    QSize cardSize(bool landscape) const;
    // The pixel size of a font of `points` whole points, as the printer makes it.
    int fontPixels(int points) const;
    // The smallest pixel length that maps back to at least `tenthMm`.
    int minimumPixels(int tenthMm) const;

private:
    double m_dpi;
};
