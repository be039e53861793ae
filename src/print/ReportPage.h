#pragma once

#include "print/ReportTextItem.h"

#include <QImage>
#include <QPageLayout>
#include <QPageSize>

#include <functional>
#include <vector>

class PrinterDevice;

// A report page drawn with a QPainter: bands of text items at the top and the bottom and a
// body grid of rows between them, whose cells a callback fills before each row is drawn. The
// same drawing makes the preview picture and the printed pages. Positions are layout units
// (1/96 inch, a screen pixel) from the paper's corner.
class ReportPage
{
public:
    static constexpr double UnitsPerInch = 96;

    struct Band
    {
        double height = 0;
        std::vector<ReportTextItem> items; // boxes relative to the band's top-left corner
    };

    QPageSize pageSize{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
    double marginTop = 36;
    double marginBottom = 36;
    double marginLeft = 72;
    double marginRight = 72;
    std::vector<Band> topBands;
    std::vector<Band> bottomBands;

    // The body: gridRows rows of the cells below, each as high as the body / gridRows. A
    // cell's box gives its left and width within the row; its top and height are the row's.
    int gridRows = 32;
    std::vector<ReportTextItem> cells;
    // Called for each body row (0 to gridRows - 1) before it is drawn; sets the cells' texts.
    std::function<void(int row, std::vector<ReportTextItem>& cells)> fillRow;

    QSizeF paperSize() const;
    QRectF bodyRect() const;
    double rowHeight() const { return bodyRect().height() / gridRows; }

    // One page onto any painter; `scale` device pixels per layout unit.
    void paint(QPainter& painter, double scale);
    // One page as a white picture, `scale` pixels per layout unit.
    QImage render(double scale = 1);

    // Sets the device's paper, then draws `pages` pages: `beforePage(page)` (from 1) readies
    // each one. False with *error when the device refused.
    bool print(PrinterDevice& device, int pages, const std::function<void(int)>& beforePage,
               QString* error = nullptr);
};
