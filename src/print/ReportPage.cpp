#include "print/ReportPage.h"

#include "print/PrinterDevice.h"

#include <QPaintDevice>
#include <QPainter>

#include <cmath>

QSizeF ReportPage::paperSize() const
{
    const QSizeF inches = pageSize.size(QPageSize::Inch) * UnitsPerInch;
    return orientation == QPageLayout::Landscape ? inches.transposed() : inches;
}

QRectF ReportPage::bodyRect() const
{
    const QSizeF paper = paperSize();
    double top = marginTop;
    for (const Band& band : topBands)
        top += band.height;
    double bottom = paper.height() - marginBottom;
    for (const Band& band : bottomBands)
        bottom -= band.height;
    return QRectF(marginLeft, top, paper.width() - marginLeft - marginRight,
                  std::max(0.0, bottom - top));
}

void ReportPage::paint(QPainter& painter, double scale)
{
    const QSizeF paper = paperSize();
    double y = marginTop;
    for (const Band& band : topBands) {
        for (const ReportTextItem& item : band.items)
            item.paint(painter, QPointF(marginLeft, y), scale);
        y += band.height;
    }

    const QRectF body = bodyRect();
    const double height = rowHeight();
    for (int row = 0; row < gridRows; ++row) {
        for (ReportTextItem& cell : cells)
            cell.box = QRectF(cell.box.left(), 0, cell.box.width(), height);
        if (fillRow)
            fillRow(row, cells);
        for (const ReportTextItem& cell : cells)
            cell.paint(painter, QPointF(body.left(), body.top() + row * height), scale);
    }

    y = paper.height() - marginBottom;
    for (const Band& band : bottomBands)
        y -= band.height;
    for (const Band& band : bottomBands) {
        for (const ReportTextItem& item : band.items)
            item.paint(painter, QPointF(marginLeft, y), scale);
        y += band.height;
    }
}

QImage ReportPage::render(double scale)
{
    const QSizeF paper = paperSize() * scale;
    QImage image(int(std::ceil(paper.width())), int(std::ceil(paper.height())),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    // The picture stands for the paper at `scale`: its fonts measure as the page's do.
    const int dotsPerMeter = int(std::lround(UnitsPerInch * scale / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paint(painter, scale);
    return image;
}

bool ReportPage::print(PrinterDevice& device, int pages, const std::function<void(int)>& beforePage,
                       QString* error)
{
    const auto failed = [&] {
        if (error)
            *error = device.errorText();
        return false;
    };
    if (!device.isPresent())
        return failed();
    device.setPaper(pageSize, orientation);
    if (!device.beginDocument())
        return failed();
    const QPaintDevice* surface = device.paintDevice();
    const double scale = surface->logicalDpiX() / UnitsPerInch;
    for (int page = 1; page <= pages; ++page) {
        if (beforePage)
            beforePage(page);
        paint(*device.painter(), scale);
        if (page < pages && !device.newPage()) {
            device.endDocument();
            return failed();
        }
    }
    if (!device.endDocument())
        return failed();
    return true;
}
