#pragma once

#include "print/ListTable.h"
#include "print/ReportPage.h"

#include <QDate>

#include <optional>

class PrinterDevice;

// The list printout: the sheet as a ruled table, 32 rows a page, the date and the sheet's
// name at the top, the page number at the bottom. Holds the table, the row cursor and the
// current page; draws pages for the preview and prints them all.
class ListReport
{
public:
    static constexpr int RowsPerPage = 32;
    static constexpr int MaxCells = 17;

    struct Paper
    {
        QPageSize size;
        QPageLayout::Orientation orientation;
    };
    // The paper of a choice of the paper box ("A4-横", "B5-縦", "デフォルト"…); B4 and B5 are
    // JIS sizes. Nothing for any other text.
    static std::optional<Paper> PaperOf(const QString& name);
    static QStringList PaperNames();

    ListReport();

    // A new table: cell items from its widths (scaled into the body when wider), today's
    // date, the sheet's name, page 1.
    void setTable(const ListTable& table, const QDate& date = QDate::currentDate());
    const ListTable& table() const { return m_table; }

    // False for a text that is not a paper; the cells are laid out again for the new width.
    bool setPaper(const QString& name);

    int pageCount() const;
    int currentPage() const { return m_currentPage; }
    // Moves to a page from 1 to pageCount(); false (and no change) outside.
    bool setCurrentPage(int page);
    // "001/003".
    QString pageIndicator() const;

    // The current page as the preview shows it.
    QImage render(double scale = 1);
    // Every page; the current page stays as it was.
    bool print(PrinterDevice& device, QString* error = nullptr);

    // Sets the cells' texts of the body row at the row cursor, then advances it.
    void printPanel(std::vector<ReportTextItem>& cells);

    ReportPage& page() { return m_page; }
    const ReportPage& page() const { return m_page; }

private:
    void layoutCells();
    void showPage(int page);

    ListTable m_table;
    ReportPage m_page;
    int m_rowCursor = 0;
    int m_currentPage = 1;
};
