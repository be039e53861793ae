#include "addresslist/AddressBook.h"

#include "addresslist/CellTarget.h"
#include "addresslist/RowText.h"
#include "addresslist/TXBiff.h"
#include "addresslist/WorkbookFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <vector>

namespace {
const QString OneSpace = QStringLiteral(" ");

// The checks of XBiff1ReadCell without the rows, between a reader and a cell target: cells
// outside the sheets and columns kept are left out, long texts cut.
class CheckedCells final : public CellTarget
{
public:
    struct Counts
    {
        int& sheetCount;
        bool& firstSheetHasCells;
        bool& sheetsLeftOut;
        int& cutCells;
    };
    CheckedCells(CellTarget& out, Counts counts) : m_out(out), m_counts(counts) {}

    void text(int sheetNo, int row, int col, QStringView text) override
    {
        if (!keep(sheetNo, row, col))
            return;
        if (text.size() <= AddressBook::MaxCellLength) {
            m_out.text(sheetNo, row, col, text);
            return;
        }
        m_out.text(sheetNo, row, col, cut(text));
    }
    bool shared(int sheetNo, int row, int col, qsizetype index) override
    {
        if (!keep(sheetNo, row, col))
            return true;
        if (!m_out.shared(sheetNo, row, col, index))
            return false;
        if (!m_cutShared.empty() &&
            std::binary_search(m_cutShared.begin(), m_cutShared.end(), index))
            ++m_counts.cutCells;
        return true;
    }
    void sharedText(int sheetNo, int row, int col, qsizetype index, QStringView text) override
    {
        if (!keep(sheetNo, row, col))
            return;
        if (text.size() <= AddressBook::MaxCellLength) {
            m_out.sharedText(sheetNo, row, col, index, text);
            return;
        }
        // Each cell with this string counts as cut, as the sheets count them.
        const auto at = std::lower_bound(m_cutShared.begin(), m_cutShared.end(), index);
        if (at == m_cutShared.end() || *at != index)
            m_cutShared.insert(at, index);
        m_out.sharedText(sheetNo, row, col, index, cut(text));
    }
    void number(int sheetNo, int row, int col, double value) override
    {
        if (keep(sheetNo, row, col))
            m_out.number(sheetNo, row, col, value);
    }

private:
    bool keep(int sheetNo, int row, int col)
    {
        // The next cell of a sheet already counted: its place is all there is to check.
        if (sheetNo == m_countedSheet) [[likely]]
            return unsigned(col) < unsigned(AddressBook::MaxColumns) && row >= 0;
        if (sheetNo > AddressBook::MaxSheets)
            m_counts.sheetsLeftOut = true;
        if (col > AddressBook::MaxColumns - 1 || sheetNo > AddressBook::MaxSheets || sheetNo < 1 ||
            row < 0 || col < 0)
            return false;
        m_counts.sheetCount = qMax(m_counts.sheetCount, sheetNo);
        m_counts.firstSheetHasCells |= sheetNo == 1;
        m_countedSheet = sheetNo;
        return true;
    }
    QString cut(QStringView text)
    {
        QString kept = text.toString();
        AddressBook::CutLongCell(kept);
        ++m_counts.cutCells;
        return kept;
    }

    CellTarget& m_out;
    Counts m_counts;
    std::vector<qsizetype> m_cutShared; // shared strings that were cut, in order
    int m_countedSheet = -1;            // a sheet kept cells of, its counts taken (none yet)
};
} // namespace

AddressBook::AddressBook(QObject* parent) : QObject(parent) {}

bool AddressBook::CutLongCell(QString& text)
{
    if (text.size() <= MaxCellLength)
        return false;
    qsizetype keep = MaxCellLength;
    if (text[keep - 1].isHighSurrogate() && text[keep].isLowSurrogate())
        --keep;
    text.truncate(keep);
    return true;
}

QString AddressBook::CutCellsMessage(int count)
{
    return QStringLiteral("%1 文字を超えるセルを切り詰めました（%2 件）")
        .arg(MaxCellLength)
        .arg(count);
}

void AddressBook::setCutCells(int count)
{
    m_cutCells = count;
    if (count > 0)
        Q_EMIT cellsCut(count);
}

AddressSheet& AddressBook::sheet(int slot)
{
    return m_sheets[size_t(qBound(1, slot, SheetSlots) - 1)];
}

const AddressSheet& AddressBook::sheet(int slot) const
{
    return m_sheets[size_t(qBound(1, slot, SheetSlots) - 1)];
}

void AddressBook::setTabCaptions(const QStringList& tabs)
{
    m_tabs = tabs;
    Q_EMIT tabsChanged();
}

bool AddressBook::IsLockedFile(const QString& path)
{
    if (!QFileInfo::exists(path))
        return false;
    QFile file(path);
    return !file.open(QIODevice::ReadOnly);
}

QString AddressBook::LockedFileMessage()
{
    return QStringLiteral("他のアプリケーションで開かれています。");
}

QString AddressBook::DamagedFileMessage()
{
    return QStringLiteral("ファイルの一部が読めませんでした（破損している可能性があります）");
}

QString AddressBook::SheetsLeftOutMessage()
{
    return QStringLiteral("%1枚目以降のシートは読み込んでいません").arg(MaxSheets + 1);
}

AddressBook::LoadResult AddressBook::LoadWorkbook(const QString& path)
{
    return load(path, nullptr);
}

AddressBook::LoadResult AddressBook::LoadWorkbook(const QString& path, CellTarget& cells)
{
    return load(path, &cells);
}

AddressBook::LoadResult AddressBook::load(const QString& path, CellTarget* cells)
{
    if (IsLockedFile(path))
        return LoadResult::Locked;

    m_sheetCount = 1;
    QStringList tabs;
    for (int i = 1; i <= SheetSlots; ++i)
        tabs << QStringLiteral("Sheet%1").arg(i);
    setTabCaptions(tabs);

    m_grid.beginUpdate();
    for (int r = 0; r < 32; ++r)
        m_grid.clearRow(r);
    m_grid.endUpdate();
    for (AddressSheet& s : m_sheets)
        s.clear();

    m_cutCells = 0;
    m_sheetsLeftOut = false;
    m_firstSheetHasCells = false;
    TXBiff reader;
    int lastPercent = -1;
    reader.OnProgress = [this, &lastPercent](int percent) {
        if (percent != lastPercent)
            Q_EMIT progress(percent);
        lastPercent = percent;
    };
    std::optional<CheckedCells> checked;
    if (cells) {
        checked.emplace(*cells, CheckedCells::Counts{m_sheetCount, m_firstSheetHasCells,
                                                     m_sheetsLeftOut, m_cutCells});
        reader.setCellTarget(&*checked);
        // The zip and contact readers raise the events.
        reader.OnReadCell = [&checked](int sheetNo, int row, int col, int, const QString& data,
                                       bool&) { checked->text(sheetNo, row, col, data); };
        reader.OnReadSharedCell = [&checked](int sheetNo, int row, int col, qsizetype index,
                                             const QString& data, bool&) {
            if (!checked->shared(sheetNo, row, col, index))
                checked->sharedText(sheetNo, row, col, index, data);
        };
        // With every name read and no worksheet past the one after the named ones (whose
        // cells would add a tab), the tabs are what the end of the load leaves.
        reader.OnWorksheetsCounted = [this, cells](int worksheets) {
            if (m_sheetCount >= 2 && qMin(worksheets, int(MaxSheets)) <= m_sheetCount)
                cells->sheetsKnown(m_tabs.mid(0, m_sheetCount - 1));
        };
    } else {
        reader.OnWantCell = [this](int sheetNo, int row, int col) {
            if (sheetNo > MaxSheets)
                m_sheetsLeftOut = true;
            return sheetNo >= 1 && sheetNo <= MaxSheets && row >= 0 && col >= 0 && col < MaxColumns;
        };
        reader.OnReadCell = [this](int sheetNo, int row, int col, int, const QString& data, bool&) {
            XBiff1ReadCell(sheetNo, row, col, data);
        };
    }
    reader.OnReadColW = [this](int sheetNo, int col, int width) {
        XBiff1ReadColW(sheetNo, col, width);
    };
    reader.OnReadSheetName = [this](const QString& name) { XBiff1ReadSheetName(name); };
    bool damaged = false;
    try {
        damaged = WorkbookFile::Load(reader, path);
    } catch (...) {
        flushPendingRow();
        Q_EMIT tabsChanged();
        setCutCells(m_cutCells);
        throw;
    }
    flushPendingRow();

    m_currentDataFile = path;
    if (!cells)
        ShowSheet(1);

    // A workbook without sheet names (a bare BIFF2-4 worksheet) still has its one sheet.
    int keep = m_sheetCount - 1;
    if (keep == 0 && m_firstSheetHasCells)
        keep = 1;
    if (m_sheetCount <= SheetSlots)
        m_tabs = m_tabs.mid(0, keep);
    Q_EMIT tabsChanged();
    setCutCells(m_cutCells);
    return damaged ? LoadResult::Damaged : LoadResult::Loaded;
}

void AddressBook::XBiff1ReadSheetName(const QString& name)
{
    if (m_sheetCount <= MaxSheets) {
        if (m_sheetCount - 1 < m_tabs.size())
            m_tabs[m_sheetCount - 1] = name;
        ++m_sheetCount;
    } else {
        m_sheetsLeftOut = true;
    }
}

void AddressBook::XBiff1ReadCell(int sheetNo, int row, int col, const QString& text)
{
    if (col > MaxColumns - 1 || sheetNo > MaxSheets || sheetNo < 1 || row < 0 || col < 0)
        return;
    if (m_sheetCount < sheetNo)
        m_sheetCount = sheetNo;
    m_firstSheetHasCells |= sheetNo == 1;
    AddressSheet& s = m_sheets[size_t(sheetNo - 1)];
    s.highestColumn = qMax(s.highestColumn, col);

    const qsizetype n = s.rows.size();
    if (row >= n - 1)
        for (qsizetype i = 0; i < row - n + 2; ++i)
            s.rows.append(OneSpace);

    if (sheetNo != m_pendingSheet || row != m_pendingRow) {
        flushPendingRow();
        m_pendingSheet = sheetNo;
        m_pendingRow = row;
        // A row not written yet holds one space: no cells, and the list keeps its room.
        if (s.rows[row] == OneSpace)
            m_pendingCells.clear();
        else
            m_pendingCells = RowText::read(s.rows[row]);
    }
    const qsizetype m = m_pendingCells.size();
    if (col >= m - 1)
        for (qsizetype i = 0; i < col - m + 2; ++i)
            m_pendingCells.append(OneSpace);
    m_pendingCells[col] = text;
    if (CutLongCell(m_pendingCells[col]))
        ++m_cutCells;
}

void AddressBook::flushPendingRow()
{
    if (m_pendingRow >= 0) {
        m_sheets[size_t(m_pendingSheet - 1)].rows[m_pendingRow] = RowText::write(m_pendingCells);
        m_pendingRow = -1;
        m_pendingSheet = 0;
        m_pendingCells.clear();
    }
}

void AddressBook::XBiff1ReadColW(int sheetNo, int col, int width)
{
    if (sheetNo >= 1 && sheetNo <= SheetSlots && col >= 0 && col < MaxColumns)
        m_sheets[size_t(sheetNo - 1)].columnWidths[size_t(col)] = width / 32;
}

void AddressBook::ShowSheet(int slot)
{
    flushPendingRow();
    const AddressSheet& s = sheet(slot);
    const int rows = qMax(MinGridRows, int(s.rows.size()));
    m_grid.beginUpdate();
    m_grid.setColumnCount(qMax(s.highestColumn + 2, MinGridColumns));
    m_grid.setRowCount(rows);
    for (int r = 0; r < rows; ++r)
        m_grid.clearRow(r);
    m_grid.setColumnWidth(0, 30);
    for (int c = 0; c + 1 < m_grid.columnCount(); ++c)
        m_grid.setColumnWidth(c + 1, s.columnWidths[size_t(c)]);

    for (int r = 0; r < s.rows.size(); ++r) {
        if (r == 0) {
            // Header cells one for one above their columns, each showing the name before a
            // "|" note: a header such as "管理 番号" must not push the later names aside.
            QStringList header = RowText::read(s.rows[0], true, MaxColumns);
            for (QString& cell : header) {
                const qsizetype bar = cell.indexOf(u'|');
                if (bar >= 0)
                    cell.truncate(bar);
            }
            m_grid.setRowCells(0, QStringList{QStringLiteral(" ")} + header);
        } else {
            m_grid.setRowText(r, QString::number(r) + u',' + s.rows[r]);
        }
    }
    m_grid.endUpdate();
}
