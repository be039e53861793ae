#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

class CellTarget;

// Reads an Excel workbook (BIFF2 to BIFF8, bare or inside an OLE2 compound document) in one
// pass and reports what it finds through its events: each cell it understands as text, column
// widths, worksheet names and the progress. It keeps no cell data of its own.
//
// Events are raised only when assigned, synchronously and in file order. Per record: its own
// cell, width and name events, then OnProgress when the percentage read has changed. After the
// last record (or the one during which a handler set `cancel`): OnProgress(0). Failures leave
// as XBiffError.
class TXBiff
{
public:
    using TOnProgressEvent = std::function<void(int progress)>;
    using TOnReadCellEvent = std::function<void(int sheetNo, int row, int col, int rgbAttr,
                                                const QString& data, bool& cancel)>;
    using TOnReadColWEvent = std::function<void(int sheetNo, int col, int width)>;
    using TOnReadSheetNameEvent = std::function<void(const QString& sheetName)>;

    TOnProgressEvent OnProgress;
    TOnReadCellEvent OnReadCell;
    TOnReadColWEvent OnReadColW;
    TOnReadSheetNameEvent OnReadSheetName;

    // Optional: a reader that keeps only some cells says which before their text is made
    // (numbers are not formatted and OnReadCell is not raised for the others).
    std::function<bool(int sheetNo, int row, int col)> OnWantCell;
    // Optional: raised in place of OnReadCell for a cell whose text is entry `index` of the
    // shared-string table; within one read an index always brings the same text, so a
    // handler may convert each shared string once.
    using TOnReadSharedCellEvent = std::function<void(
        int sheetNo, int row, int col, qsizetype index, const QString& data, bool& cancel)>;
    TOnReadSharedCellEvent OnReadSharedCell;
    // Optional: raised at the start of a worksheet, before its cells, with the number of
    // worksheets the whole stream holds, when no sheet name and no string table come after
    // the first worksheet: the sheet names and count are then final. At the first worksheet
    // for a small stream; a big one is counted beside the read and told at the first sheet
    // start after the count is done, or not at all.
    std::function<void(int worksheets)> OnWorksheetsCounted;
    // Optional: every cell goes to `target` in place of OnWantCell, OnReadCell and
    // OnReadSharedCell. It must outlive the reads.
    void setCellTarget(CellTarget* target) { m_target = target; }

    // Reads the workbook stream of a compound document ("Workbook", else "Book"), or the file's
    // own bytes when it is not one. Throws XBiffError, also for a file in which no workbook
    // starts (text, zeros, an empty file or stream) unless it is a cut container.
    void LoadFromFile(const QString& fileName);

    // Reads bytes as the content of a plain (not compound) workbook file.
    void LoadFromBytes(QByteArrayView bytes);

    // The path given to the last LoadFromFile (empty after LoadFromBytes).
    QString fileName() const { return m_fileName; }
    // The last percentage reported, 0 to 100.
    int progress() const { return m_progress; }
    // The last read stopped at a cut or broken record or container: what came before it was
    // reported, the rest of the file could not be read.
    bool damaged() const { return m_damaged; }
    // The last read found the start of a workbook (a BOF record).
    bool foundWorkbook() const { return m_foundWorkbook; }

private:
    // How FORMULA, STRING and the 8-bit era texts are laid out.
    enum class Layout
    {
        Biff2,
        Biff3To7,
        Biff8
    };
    class Read;
    void run(QByteArrayView bytes, Layout layout);
    void refuseIfNoWorkbook(bool containerCut) const;

    QString m_fileName;
    int m_progress = 0;
    bool m_damaged = false;
    bool m_foundWorkbook = false;
    CellTarget* m_target = nullptr;
};
