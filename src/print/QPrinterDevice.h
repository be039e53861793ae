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

    bool isPresent() const override;
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

private:
    QPrinter& m_printer;
    QPainter m_painter;
    QString m_error;
};
