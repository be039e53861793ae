#pragma once

#include "layout/BarcodeGeometry.h"

#include <QColor>
#include <QPointF>
#include <QSizeF>
#include <QStringView>

class QPainter;

// Draws the bars of a customer barcode text (see CustomerBarcode, BarcodePattern) at Japan
// Post's geometry for a point size, on any painter: screen, image, PDF or printer. The bars
// keep their published sizes whatever box they are placed in; a squeezed barcode cannot be
// read by the sorting machines.
class BarcodePainter
{
public:
    static constexpr double MinPointSize = 8.0;
    static constexpr double MaxPointSize = 11.5;

    // Sizes outside 8-11.5 points are brought to the nearest size the post accepts.
    explicit BarcodePainter(double pointSize = BarcodeGeometry::NaturalPointSize);

    double pointSize() const { return m_pointSize; }

    // From the left edge of the first bar to the right edge of the last, and the height of a
    // long bar; an empty size for a text without bars. Millimetres.
    QSizeF naturalSizeMm(QStringView barcodeText) const;

    // The sum of the symbols' advances (bar count x pitch), as a run of glyphs would advance.
    double advanceMm(QStringView barcodeText) const;

    // Draws the bars with the top of the first long bar at `topLeftMm`, in millimetres from
    // the painter's origin.
    void paintMm(QPainter& painter, QPointF topLeftMm, QStringView barcodeText) const;

    // The same with `topLeft` in device units of the painter's device, whose logical
    // resolution gives the millimetre scale; the bars in `ink` (a printer's are black).
    void paint(QPainter& painter, QPointF topLeft, QStringView barcodeText,
               const QColor& ink = Qt::black) const;

private:
    double m_pointSize;
};
