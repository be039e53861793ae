#pragma once

// Shared by the print tests: an address grid built in code, a window stand-in, a printer that
// paints pages into images, and the words of a PDF as poppler reads them back.

#include "PdfText.h"
#include "addresslist/AddressGrid.h"
#include "addresslist/HeaderColumns.h"
#include "print/PrintHost.h"
#include "print/PrinterDevice.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <functional>
#include <stdexcept>

namespace PrintTest {

using PdfText::PointsPerMm;

// One row of a list, in HeaderNames order: 宛先 郵便番号 住所１ 住所２ 会社名 肩書き 敬称 連名
// 敬称2 コード 印刷コード.
using Row = QStringList;

inline Row person(const QString& name)
{
    return {name,      u"100-0013"_qs, u"東京都千代田区霞が関一丁目"_qs,
            QString(), QString(),      QString(),
            u"様"_qs,  QString(),      QString(),
            QString(), QString()};
}

// Row 0 the header, then the rows from grid row 1; column 0 is the fixed column.
inline void fillGrid(AddressGrid& grid, const QList<Row>& rows, int extraRows = 0)
{
    grid.setRowCount(int(rows.size()) + 1 + extraRows);
    grid.setColumnCount(16);
    QStringList header{QString()};
    for (QStringView name : HeaderColumns::HeaderNames)
        header << name.toString();
    grid.setRowCells(0, header);
    for (int r = 0; r < rows.size(); ++r)
        grid.setRowCells(r + 1, QStringList{QString::number(r + 1)} + rows[r]);
}

// The main window as the print run sees it.
class FakeHost : public PrintHost
{
public:
    QString startLine = u"1"_qs, endLine = u"1"_qs, startOfPaper = u"0"_qs;
    QString hoseiX = u"0"_qs, hoseiY = u"0"_qs;
    QString edit1;
    QStringList statuses;
    QStringList rowTexts;
    QList<bool> printingStates;
    QList<LayoutKind> previewKinds;
    QList<CardTexts> shownCards;
    std::optional<CardTexts> previewTexts;
    bool abort = false;
    int eventRounds = 0;
    // Called at every event round with its number (1 for the first card).
    std::function<void(int)> onEvents;
    std::function<void(int)> onRowText;

    void showStatus(const QString& text) override { statuses << text; }
    void showRowText(const QString& text) override
    {
        rowTexts << text;
        if (onRowText)
            onRowText(int(rowTexts.size()));
    }
    QString startLineText() const override { return startLine; }
    void setStartLineText(const QString& text) override { startLine = text; }
    QString endLineText() const override { return endLine; }
    void setEndLineText(const QString& text) override { endLine = text; }
    QString startOfPaperText() const override { return startOfPaper; }
    void setStartOfPaperText(const QString& text) override { startOfPaper = text; }
    QString hoseiXText() const override { return hoseiX; }
    QString hoseiYText() const override { return hoseiY; }
    void setPrinting(bool printing) override { printingStates << printing; }
    void processEvents() override
    {
        ++eventRounds;
        if (onEvents)
            onEvents(eventRounds);
    }
    bool abortRequested() const override { return abort; }
    void setAbortRequested(bool requested) override { abort = requested; }
    QString edit1Text() const override { return edit1; }
    void setPreviewKind(LayoutKind kind) override { previewKinds << kind; }
    void showCardOnPreview(LayoutKind, const CardTexts& texts) override { shownCards << texts; }
    std::optional<CardTexts> previewCardTexts(LayoutKind) const override { return previewTexts; }
};

// A printer whose pages are images at a low resolution, kept for inspection.
class ImageDevice : public PrinterDevice
{
public:
    explicit ImageDevice(int dpi = 50) : m_dpi(dpi) {}

    bool present = true;
    bool refuseBegin = false;
    int refuseNewPageAfter = -1; // pages, or -1 for never
    QPageLayout layout{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()};
    QList<QImage> pages;
    int setPaperCalls = 0;
    int documentsBegun = 0;
    int documentsEnded = 0;
    QString deviceName = QStringLiteral("ImagePrinter");

    bool isPresent() const override { return present; }
    void setPaper(const std::optional<QPageSize>& size,
                  QPageLayout::Orientation orientation) override
    {
        ++setPaperCalls;
        if (size)
            layout.setPageSize(*size);
        layout.setOrientation(orientation);
    }
    QPageLayout pageLayout() const override { return layout; }
    QString name() const override { return deviceName; }
    bool beginDocument() override
    {
        if (refuseBegin)
            return false;
        ++documentsBegun;
        pages.clear();
        addPage();
        return true;
    }
    bool newPage() override
    {
        if (refuseNewPageAfter >= 0 && pages.size() >= refuseNewPageAfter)
            return false;
        m_painter.end();
        addPage();
        return true;
    }
    bool endDocument() override
    {
        ++documentsEnded;
        if (m_painter.isActive())
            m_painter.end();
        return true;
    }
    bool isPrinting() const override { return m_painter.isActive(); }
    QPainter* painter() override { return &m_painter; }
    QPaintDevice* paintDevice() override { return pages.isEmpty() ? nullptr : &pages.last(); }
    QString errorText() const override { return u"refused"_qs; }

    // Whether anything is drawn inside `rectMm` of page `page`.
    bool inked(int page, const QRectF& rectMm) const
    {
        const QImage& image = pages.at(page);
        const double s = m_dpi / 25.4;
        const QRect area =
            QRect(QPoint(int(rectMm.left() * s), int(rectMm.top() * s)),
                  QPoint(int(rectMm.right() * s) - 1, int(rectMm.bottom() * s) - 1)) &
            image.rect();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(image.pixel(x, y)) < 160)
                    return true;
        return false;
    }

private:
    void addPage()
    {
        const QSizeF mm = layout.fullRectPoints().size() / PointsPerMm;
        QImage image(qRound(mm.width() / 25.4 * m_dpi), qRound(mm.height() / 25.4 * m_dpi),
                     QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(m_dpi / 0.0254));
        image.setDotsPerMeterY(qRound(m_dpi / 0.0254));
        image.fill(Qt::white);
        pages.append(image);
        m_painter.begin(&pages.last());
    }

    int m_dpi;
    QPainter m_painter;
};

using PdfText::Word;

// The words of every page.
inline QList<QList<Word>> pdfWords(const QString& pdf)
{
    QList<QList<Word>> pages;
    for (const PdfText::Page& page : PdfText::ReadPages(pdf))
        pages.append(page.words);
    return pages;
}

inline bool havePoppler()
{
    return PdfText::Available() && !QStandardPaths::findExecutable(u"pdftoppm"_qs).isEmpty();
}

} // namespace PrintTest
