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
    // Reports one cell; false once a handler asked to stop.
    bool cell(int sheetNo, int row, int col, const QString& text)
    {
        if (!OnReadCell || (OnWantCell && !OnWantCell(sheetNo, row, col)))
            return !m_cancel;
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
