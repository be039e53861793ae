#pragma once

#include <QString>

#include <functional>

// What the workbook readers of the zip formats (.xlsx, .ods) and the contact reader (.vcf)
// share with TXBiff: the same events, raised in the same order (sheet names before the cells
// of their sheet, a progress event now and then, a last progress of 0), and the damaged flag
// for a file that could be read only in part. Failures to open leave as XBiffError.
class WorkbookReader
{
public:
    virtual ~WorkbookReader() = default;

    std::function<void(int progress)> OnProgress;
    std::function<void(int sheetNo, int row, int col, int rgbAttr, const QString& data,
                       bool& cancel)>
        OnReadCell;
    std::function<void(int sheetNo, int col, int width)> OnReadColW;
    std::function<void(const QString& sheetName)> OnReadSheetName;
    std::function<bool(int sheetNo, int row, int col)> OnWantCell;
    // As TXBiff's: in place of OnReadCell for a shared string's cell.
    std::function<void(int sheetNo, int row, int col, qsizetype index, const QString& data,
                       bool& cancel)>
        OnReadSharedCell;

    virtual void LoadFromFile(const QString& fileName) = 0;
    virtual void LoadFromBytes(const QByteArray& bytes) = 0;

    bool damaged() const { return m_damaged; }

protected:
    void progress(int percent)
    {
        if (percent != m_progress && OnProgress)
            OnProgress(percent);
        m_progress = percent;
    }
    // Reports one cell, `shared` the shared string it is or -1; false once a handler asked to
    // stop.
    bool cell(int sheetNo, int row, int col, const QString& text, qsizetype shared = -1)
    {
        const bool asShared = shared >= 0 && OnReadSharedCell;
        if ((!OnReadCell && !asShared) || (OnWantCell && !OnWantCell(sheetNo, row, col)))
            return !m_cancel;
        if (asShared)
            OnReadSharedCell(sheetNo, row, col, shared, text, m_cancel);
        else
            OnReadCell(sheetNo, row, col, 0, text, m_cancel);
        return !m_cancel;
    }
    void begin()
    {
        m_damaged = false;
        m_cancel = false;
        m_progress = -1;
    }
    void end()
    {
        m_progress = 0;
        if (OnProgress)
            OnProgress(0);
    }

    bool m_damaged = false;
    bool m_cancel = false;
    int m_progress = -1;
};
