#pragma once

#include "addresslist/AddressGrid.h"
#include "addresslist/AddressSheet.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <functional>

class CellTarget;
// The loaded address list of a session: the sixteen sheet slots of a workbook, the tab
// captions, the grid that shows one sheet, and the current data file. No widgets: the main
// window shows it, tayori-cli prints it.
class AddressBook : public QObject
{
    Q_OBJECT
public:
    static constexpr int SheetSlots = 16;
    static constexpr int MaxSheets = 15; // slot 16 is never filled from a workbook
    // A sheet keeps every row and column that BIFF can address; the grid grows to fit.
    static constexpr int MaxColumns = AddressSheet::Columns;
    static constexpr int MinGridRows = 32;
    static constexpr int MinGridColumns = 16;

    // The longest text a spreadsheet cell holds, in UTF-16 units. A loaded cell beyond it is
    // cut there: a field of a million characters would stall drawing and printing.
    static constexpr qsizetype MaxCellLength = 32767;
    // Cuts `text` to MaxCellLength (one less when that would split a surrogate pair); true
    // when it was cut.
    static bool CutLongCell(QString& text);
    // What the status bar says after a load that cut `count` cells.
    static QString CutCellsMessage(int count);

    explicit AddressBook(QObject* parent = nullptr);

    AddressGrid& grid() { return m_grid; }
    const AddressGrid& grid() const { return m_grid; }
    // Slots are numbered 1 to 16.
    AddressSheet& sheet(int slot);
    const AddressSheet& sheet(int slot) const;
    int sheetCount() const { return m_sheetCount; }
    void setSheetCount(int count) { m_sheetCount = count; }
    QStringList tabCaptions() const { return m_tabs; }
    void setTabCaptions(const QStringList& tabs);
    QString currentDataFile() const { return m_currentDataFile; }
    void setCurrentDataFile(const QString& path) { m_currentDataFile = path; }

    // A file that exists but that this program cannot open for reading (held by another
    // program, no permission). Read-only files are loaded like any other.
    static bool IsLockedFile(const QString& path);
    // What the user is told about such a file.
    static QString LockedFileMessage();

    enum class LoadResult
    {
        Loaded,
        Locked,
        Damaged // loaded as far as the file could be read
    };
    // What the user is told when a workbook could be read only in part.
    static QString DamagedFileMessage();
    // What the user is told when a workbook has more sheets than the tabs hold.
    static QString SheetsLeftOutMessage();
    // Reads a workbook into the sheets and shows sheet 1. Throws XBiffError when the reader
    // fails; the sheets then keep what was read and the tabs keep the names read so far,
    // while the current data file stays as it was. A damaged or cut file loads the cells
    // before the damage and answers Damaged.
    LoadResult LoadWorkbook(const QString& path);

    // LoadWorkbook with each cell given to `cells` as it loads, cut as the sheets would keep
    // it, in place of the sheets: whoever only reads the cells once (tayori-cli) need not
    // build the rows. The tabs, the current data file and the result are as LoadWorkbook
    // leaves them; the sheets stay empty and the grid is not drawn.
    LoadResult LoadWorkbook(const QString& path, CellTarget& cells);

    // Cells cut by the last load (CutLongCell); a load that cut any emits cellsCut at its end.
    int cutCells() const { return m_cutCells; }
    void setCutCells(int count);
    // The last workbook had worksheets past MaxSheets; they were not loaded.
    bool sheetsLeftOut() const { return m_sheetsLeftOut; }

    // Draws sheet slot 1..16 into the grid.
    void ShowSheet(int slot);

    // The reader's events.
    void XBiff1ReadCell(int sheetNo, int row, int col, const QString& text);
    void XBiff1ReadColW(int sheetNo, int col, int width);
    void XBiff1ReadSheetName(const QString& name);

Q_SIGNALS:
    void progress(int percent);
    void tabsChanged();
    void cellsCut(int count);

private:
    LoadResult load(const QString& path, CellTarget* cells);
    void flushPendingRow();

    std::array<AddressSheet, SheetSlots> m_sheets;
    AddressGrid m_grid;
    QStringList m_tabs{QStringLiteral("Sheet1")};
    int m_sheetCount = 1;
    QString m_currentDataFile;
    int m_cutCells = 0;
    bool m_sheetsLeftOut = false;
    bool m_firstSheetHasCells = false;

    // Consecutive cells of one row are gathered before the row text is written again.
    int m_pendingSheet = 0;
    int m_pendingRow = -1;
    QStringList m_pendingCells;
};
