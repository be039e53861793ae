#include "print/QPrinterDevice.h"

#include "print/PdfPageSize.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

QPrinterDevice::~QPrinterDevice()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool QPrinterDevice::PrinterInstalled()
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool QPrinterDevice::toFile() const
{
    return m_printer.outputFormat() == QPrinter::PdfFormat && !m_printer.outputFileName().isEmpty();
}

bool QPrinterDevice::isPresent() const
{
    if (toFile())
        return true;
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty())
        return false;
    // Without printers a QPrinter falls back to PDF output with no file, and a printer that
    // went away leaves a name nothing answers to: take the default printer or the first.
    if (m_printer.outputFormat() != QPrinter::NativeFormat ||
        !names.contains(m_printer.printerName())) {
        const QString fallback = QPrinterInfo::defaultPrinterName();
        m_printer.setOutputFormat(QPrinter::NativeFormat);
        m_printer.setPrinterName(names.contains(fallback) ? fallback : names.first());
    }
    return m_printer.outputFormat() == QPrinter::NativeFormat && m_printer.isValid();
}

std::optional<QPageSize> QPrinterDevice::MatchingPageSize(const QList<QPageSize>& sizes,
                                                          const QPageSize& wanted)
{
    constexpr double Tolerance = 0.5; // mm
    const QSizeF want = wanted.size(QPageSize::Millimeter);
    std::optional<QPageSize> best;
    double bestOff = Tolerance;
    for (const QPageSize& size : sizes) {
        QSizeF have = size.size(QPageSize::Millimeter);
        if (have.width() > have.height())
            have.transpose();
        const double off = std::max(std::abs(have.width() - want.width()),
                                    std::abs(have.height() - want.height()));
        if (off <= bestOff) {
            // The same size under the name that says so wins over a lookalike's.
            if (best && off == bestOff && size.id() != wanted.id())
                continue;
            best = size;
            bestOff = off;
        }
    }
    return best;
}

void QPrinterDevice::setPaper(const std::optional<QPageSize>& size,
                              QPageLayout::Orientation orientation)
{
    if (toFile()) {
        if (size)
            m_printer.setPageSize(*size);
    } else {
        const QPrinterInfo info(m_printer);
        if (!size) {
            // The printer's own setting, not the paper of the program's last run.
            const QPageSize own = info.defaultPageSize();
            if (own.isValid())
                m_printer.setPageSize(own);
        } else if (const auto driver = MatchingPageSize(info.supportedPageSizes(), *size)) {
            m_printer.setPageSize(*driver);
        } else {
            m_printer.setPageSize(*size);
        }
    }
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
    if (!m_painter.end()) {
        m_error = QStringLiteral("印刷を終えられません");
        return false;
    }
    // A file gets the paper's exact size, not the PDF writer's whole points.
    if (toFile() && !PdfPageSize::setExact(m_printer.outputFileName(),
                                           PdfPageSize::exactPoints(m_printer.pageLayout()))) {
        m_error = QStringLiteral("%1 に書き込めません").arg(m_printer.outputFileName());
        return false;
    }
    return true;
}

QPaintDevice* QPrinterDevice::paintDevice()
{
    return &m_printer;
}

QString QPrinterDevice::name() const
{
    return toFile() ? m_printer.outputFileName() : m_printer.printerName();
}

QString QPrinterDevice::outputFile() const
{
    return toFile() ? m_printer.outputFileName() : QString();
}
