#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <optional>

class QPainter;
class QPaintDevice;

// What printing needs of a printer: whether there is one, its paper, a document of pages and
// a painter on them. Painting uses full-page coordinates: (0, 0) is the corner of the paper,
// so there is no physical offset to subtract.
class PrinterDevice
{
public:
    virtual ~PrinterDevice() = default;

    // A printer (or a file standing in for one) to print on.
    virtual bool isPresent() const = 0;

    // Paper for the next document: `size` nothing keeps the paper the printer has.
    virtual void setPaper(const std::optional<QPageSize>& size,
                          QPageLayout::Orientation orientation) = 0;
    virtual QPageLayout pageLayout() const = 0;

    // The document: begin opens the first page and the painter; end sends every page drawn so
    // far. Each returns false when the printer refused (errorText() then says why).
    virtual bool beginDocument() = 0;
    virtual bool newPage() = 0;
    virtual bool endDocument() = 0;
    virtual bool isPrinting() const = 0;

    // While a document is open.
    virtual QPainter* painter() = 0;
    virtual QPaintDevice* paintDevice() = 0;
    virtual QString errorText() const { return {}; }

    // What the confirmation names: the printer queue, or the file printed into.
    virtual QString name() const { return {}; }
    // The file a document goes into; empty for a printer.
    virtual QString outputFile() const { return {}; }
};

// The paper of a paper name, by the first test that matches the upper-cased name: contains
// "A3", "B4" (JIS), "B5" (JIS), "POST" (Japanese postcard, 100 x 148 mm), "A4". Nothing for
// any other name: the printer keeps its paper.
std::optional<QPageSize> PrinterPaperSize(const QString& name);

// Sets the paper of `name` (see PrinterPaperSize) and always the orientation.
void SetPrinterPaper(PrinterDevice& device, const QString& name, bool landscape);
