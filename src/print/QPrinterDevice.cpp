#include "print/QPrinterDevice.h"

#include <QPrinter>
#include <QPrinterInfo>

QPrinterDevice::~QPrinterDevice()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool QPrinterDevice::PrinterInstalled()
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool QPrinterDevice::isPresent() const
{
    // Without printers a QPrinter falls back to PDF output with no file: that is no printer.
    const bool toFile =
        m_printer.outputFormat() == QPrinter::PdfFormat && !m_printer.outputFileName().isEmpty();
    return toFile || PrinterInstalled();
}

void QPrinterDevice::setPaper(const std::optional<QPageSize>& size,
                              QPageLayout::Orientation orientation)
{
    if (size)
        m_printer.setPageSize(*size);
    m_printer.setPageOrientation(orientation);
}

QPageLayout QPrinterDevice::pageLayout() const
{
    return m_printer.pageLayout();
}

bool QPrinterDevice::beginDocument()
{
    m_error.clear();
    // Positions are measured from the paper's corner, not from the printable area.
    m_printer.setFullPage(true);
    // The name the queue (or the PDF) shows.
    if (m_printer.docName().isEmpty())
        m_printer.setDocName(QStringLiteral("Tayori"));
    if (m_printer.creator().isEmpty())
        m_printer.setCreator(QStringLiteral("Tayori"));
    if (m_painter.begin(&m_printer))
        return true;
    m_error = m_printer.outputFormat() == QPrinter::PdfFormat
                  ? QStringLiteral("%1 に書き込めません").arg(m_printer.outputFileName())
                  : QStringLiteral("%1 に印刷できません").arg(m_printer.printerName());
    return false;
}

bool QPrinterDevice::newPage()
{
    if (m_printer.newPage())
        return true;
    m_error = QStringLiteral("次の用紙に進めません");
    return false;
}

bool QPrinterDevice::endDocument()
{
    if (!m_painter.isActive())
        return true;
    if (m_painter.end())
        return true;
    m_error = QStringLiteral("印刷を終えられません");
    return false;
}

QPaintDevice* QPrinterDevice::paintDevice()
{
    return &m_printer;
}
