#include "print/ListReport.h"

#include "common/numbers.h"

#include <QLocale>

namespace {

constexpr int DateBand = 0;
constexpr int HeaderBand = 1;
constexpr double CellFontPixels = 8.0 * ReportPage::UnitsPerInch / 72; // 8 points
constexpr double ThinRule = 0.25;
constexpr double OuterRule = 1.0;

ReportTextItem bandItem(const QString& family, Qt::Alignment alignment, double width, double height)
{
    ReportTextItem item;
    item.box = QRectF(0, 0, width, height);
    item.fontFamily = family;
    item.fontPixels = 11;
    item.alignment = alignment;
    return item;
}

} // namespace

std::optional<ListReport::Paper> ListReport::PaperOf(const QString& name)
{
    static const struct
    {
        const char16_t* name;
        QPageSize::PageSizeId size;
        QPageLayout::Orientation orientation;
    } table[] = {
        {u"A3-縦", QPageSize::A3, QPageLayout::Portrait},
        {u"A4-縦", QPageSize::A4, QPageLayout::Portrait},
        {u"A5-縦", QPageSize::A5, QPageLayout::Portrait},
        {u"B4-縦", QPageSize::JisB4, QPageLayout::Portrait},
        {u"B5-縦", QPageSize::JisB5, QPageLayout::Portrait},
        {u"A3-横", QPageSize::A3, QPageLayout::Landscape},
        {u"A4-横", QPageSize::A4, QPageLayout::Landscape},
        {u"A5-横", QPageSize::A5, QPageLayout::Landscape},
        {u"B4-横", QPageSize::JisB4, QPageLayout::Landscape},
        {u"B5-横", QPageSize::JisB5, QPageLayout::Landscape},
        {u"デフォルト", QPageSize::A4, QPageLayout::Landscape},
    };
    for (const auto& entry : table)
        if (name == QStringView(entry.name))
            return Paper{QPageSize(entry.size), entry.orientation};
    return std::nullopt;
}

QStringList ListReport::PaperNames()
{
    return {QStringLiteral("A3-縦"), QStringLiteral("A4-縦"),     QStringLiteral("A5-縦"),
            QStringLiteral("B4-縦"), QStringLiteral("B5-縦"),     QStringLiteral("A3-横"),
            QStringLiteral("A4-横"), QStringLiteral("A5-横"),     QStringLiteral("B4-横"),
            QStringLiteral("B5-横"), QStringLiteral("デフォルト")};
}

ListReport::ListReport()
{
    const double width = m_page.bodyRect().width();
    ReportPage::Band date{
        20, {bandItem(QStringLiteral("ＭＳ Ｐ明朝"), Qt::AlignRight | Qt::AlignBottom, width, 20)}};
    date.items[0].rules.bottom = 0.5;
    ReportPage::Band header{
        26, {bandItem(QStringLiteral("ＭＳ 明朝"), Qt::AlignLeft | Qt::AlignVCenter, width, 26)}};
    header.items[0].rules.bottom = 1.0;
    header.items[0].padding = 2;
    ReportPage::Band pageNumber{
        24, {bandItem(QStringLiteral("ＭＳ Ｐ明朝"), Qt::AlignCenter, width, 24)}};
    pageNumber.items[0].rules.top = 1.0;
    pageNumber.items[0].mask = QStringLiteral("- ### -");
    m_page.topBands = {date, header};
    m_page.bottomBands = {pageNumber};
    m_page.gridRows = RowsPerPage;
    m_page.fillRow = [this](int, std::vector<ReportTextItem>& cells) { printPanel(cells); };
}

void ListReport::setTable(const ListTable& table, const QDate& date)
{
    m_table = table;
    m_page.topBands[DateBand].items[0].text =
        QLocale::system().toString(date, QLocale::ShortFormat);
    m_page.topBands[HeaderBand].items[0].text = table.sheetName;
    layoutCells();
    showPage(1);
}

void ListReport::layoutCells()
{
    const double bodyWidth = m_page.bodyRect().width();
    for (auto* bands : {&m_page.topBands, &m_page.bottomBands})
        for (ReportPage::Band& band : *bands)
            for (ReportTextItem& item : band.items)
                item.box.setWidth(bodyWidth);

    // Widths of the first 17 columns, scaled into the body when wider in total. No column is
    // wider than the body: one very long text must not squeeze the others to nothing.
    QList<int> widths = m_table.widths.mid(0, MaxCells);
    double total = 0;
    for (int& w : widths) {
        w = qMin(w, int(bodyWidth));
        total += w;
    }
    if (total > bodyWidth)
        for (int& w : widths)
            w = numbers::roundHalfAway(w * bodyWidth / total);
    widths.resize(MaxCells, 0);

    // Cells run from the left; a narrow (blank) column, the body's right edge or the 17th
    // cell ends the row, and that cell carries the table's outer line.
    m_page.cells.clear();
    double left = 0;
    for (int i = 0; i < MaxCells; ++i) {
        ReportTextItem cell;
        cell.box = QRectF(left, 0, widths[i], m_page.rowHeight());
        cell.fontFamily = QStringLiteral("ＭＳ 明朝");
        cell.fontPixels = CellFontPixels;
        cell.alignment = Qt::AlignLeft | Qt::AlignVCenter;
        cell.padding = 2;
        cell.rules.bottom = ThinRule;
        cell.rules.right = ThinRule;
        if (i == 0)
            cell.rules.left = OuterRule;
        left += widths[i];
        const bool last = widths[i] < 2 || left >= bodyWidth || i == MaxCells - 1;
        if (last)
            cell.rules.right = OuterRule;
        m_page.cells.push_back(cell);
        if (last)
            break;
    }
}

bool ListReport::setPaper(const QString& name)
{
    const std::optional<Paper> paper = PaperOf(name);
    if (!paper)
        return false;
    m_page.pageSize = paper->size;
    m_page.orientation = paper->orientation;
    layoutCells();
    return true;
}

int ListReport::pageCount() const
{
    return (m_table.rowTotal + 1 + RowsPerPage - 1) / RowsPerPage;
}

bool ListReport::setCurrentPage(int page)
{
    if (page < 1 || page > pageCount())
        return false;
    showPage(page);
    return true;
}

void ListReport::showPage(int page)
{
    m_currentPage = page;
    m_rowCursor = (page - 1) * RowsPerPage;
    m_page.bottomBands[0].items[0].text = QString::number(page);
}

QString ListReport::pageIndicator() const
{
    return QString::asprintf("%.03d/%.03d", m_currentPage, pageCount());
}

QImage ListReport::render(double scale)
{
    // Every drawing of a page starts at its first row, also after a change of paper.
    showPage(m_currentPage);
    return m_page.render(scale);
}

bool ListReport::print(PrinterDevice& device, QString* error)
{
    const int shown = m_currentPage;
    const bool printed = m_page.print(
        device, pageCount(), [this](int page) { showPage(page); }, error);
    showPage(shown);
    return printed;
}

void ListReport::printPanel(std::vector<ReportTextItem>& cells)
{
    const int row = m_rowCursor++;
    const bool notSent =
        row <= m_table.rowTotal && row < m_table.notSent.size() && !m_table.notSent[row].isEmpty();
    for (size_t i = 0; i < cells.size(); ++i) {
        cells[i].struck = notSent;
        QString text;
        if (row <= m_table.rowTotal && row < m_table.rows.size() &&
            qsizetype(i) < m_table.rows[row].size()) {
            text = m_table.rows[row][qsizetype(i)];
            if (row == 0)
                text = ListTable::HeaderText(text);
        }
        cells[i].text = text;
    }
}
