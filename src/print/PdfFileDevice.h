#pragma once

#include "print/PrinterDevice.h"

#include <QPainter>

#include <memory>

class QPdfWriter;

// Prints into a PDF file: pages of the paper set, no margins, at a fixed resolution. Its
// paper before any setPaper is A4 portrait.
class PdfFileDevice : public PrinterDevice
{
public:
    explicit PdfFileDevice(QString path, int resolution = 1200);
    ~PdfFileDevice() override;

    QString path() const { return m_path; }
    int resolution() const { return m_resolution; }

    bool isPresent() const override { return true; }
    void setPaper(const std::optional<QPageSize>& size,
                  QPageLayout::Orientation orientation) override;
    QPageLayout pageLayout() const override { return m_layout; }
    bool beginDocument() override;
    bool newPage() override;
    bool endDocument() override;
    bool isPrinting() const override { return m_painter.isActive(); }
    QPainter* painter() override { return &m_painter; }
    QPaintDevice* paintDevice() override;
    QString errorText() const override { return m_error; }
    QString name() const override { return m_path; }
    QString outputFile() const override { return m_path; }

private:
    QString m_path;
    int m_resolution;
    QPageLayout m_layout;
    std::unique_ptr<QPdfWriter> m_writer;
    QPainter m_painter;
    QString m_error;
};
