#pragma once

#include "print/PrinterDevice.h"

#include <QPainter>

class QPrinter;

// A printer of the platform (CUPS on Linux) through a QPrinter that the caller owns. A
// QPrinter set to write a PDF file counts as present: printing into the file the user chose
// in the print dialog needs no installed printer.
class QPrinterDevice : public PrinterDevice
{
public:
    explicit QPrinterDevice(QPrinter& printer) : m_printer(printer) {}
    ~QPrinterDevice() override;

    // At least one printer is installed.
    static bool PrinterInstalled();

    // Looks the printer up again: a QPrinter made while no printer was installed writes a PDF
    // with no file name; once a printer has appeared (the scheduler started late, a printer
    // plugged in), it prints there, on the default printer or else the first.
    bool isPresent() const override;
    // Paper: of the printer's own sizes, the one within 0.5 mm of `size` (drivers define their
    // own "Postcard" of another size beside the card's). Nothing: the printer's default paper.
    void setPaper(const std::optional<QPageSize>& size,
                  QPageLayout::Orientation orientation) override;
    QPageLayout pageLayout() const override;
    bool beginDocument() override;
    bool newPage() override;
    bool endDocument() override;
    bool isPrinting() const override { return m_painter.isActive(); }
    QPainter* painter() override { return &m_painter; }
    QPaintDevice* paintDevice() override;
    QString errorText() const override { return m_error; }
    QString name() const override;
    QString outputFile() const override;

    // Of `sizes` (a printer's), the one whose portrait size is within 0.5 mm of `wanted`'s,
    // the closest first; nothing when none is.
    static std::optional<QPageSize> MatchingPageSize(const QList<QPageSize>& sizes,
                                                     const QPageSize& wanted);

private:
    bool toFile() const;

    QPrinter& m_printer;
    QPainter m_painter;
    QString m_error;
};
