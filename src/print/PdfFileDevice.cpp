#include "print/PdfFileDevice.h"

#include "print/PdfPageSize.h"

#include <QPdfWriter>

PdfFileDevice::PdfFileDevice(QString path, int resolution)
    : m_path(std::move(path)), m_resolution(resolution),
      m_layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF())
{}

PdfFileDevice::~PdfFileDevice()
{
    if (m_painter.isActive())
        m_painter.end();
}

void PdfFileDevice::setPaper(const std::optional<QPageSize>& size,
                             QPageLayout::Orientation orientation)
{
    if (size)
        m_layout.setPageSize(*size);
    m_layout.setOrientation(orientation);
}

bool PdfFileDevice::beginDocument()
{
    m_error.clear();
    m_writer = std::make_unique<QPdfWriter>(m_path);
    m_writer->setCreator(QStringLiteral("Tayori"));
    m_writer->setResolution(m_resolution);
    m_writer->setPageLayout(m_layout);
    if (m_painter.begin(m_writer.get()))
        return true;
    m_error = QStringLiteral("%1 に書き込めません").arg(m_path);
    m_writer.reset();
    return false;
}

bool PdfFileDevice::newPage()
{
    if (m_writer && m_writer->newPage())
        return true;
    m_error = QStringLiteral("次の用紙に進めません");
    return false;
}

bool PdfFileDevice::endDocument()
{
    if (!m_painter.isActive())
        return true;
    const bool ended = m_painter.end();
    m_writer.reset();
    // The paper's exact size, not the writer's whole points.
    if (!ended || !PdfPageSize::setExact(m_path, PdfPageSize::exactPoints(m_layout))) {
        m_error = QStringLiteral("%1 に書き込めません").arg(m_path);
        return false;
    }
    return true;
}

QPaintDevice* PdfFileDevice::paintDevice()
{
    return m_writer.get();
}
