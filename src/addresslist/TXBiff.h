#pragma once

#include <QString>

#include <functional>

// Placeholder of the workbook reader's interface; the reader itself lands separately.
class TXBiff
{
public:
    std::function<void(int progress)> OnProgress;
    std::function<void(int sheetNo, int row, int col, int rgbAttr, const QString& data,
                       bool& cancel)>
        OnReadCell;
    std::function<void(int sheetNo, int col, int width)> OnReadColW;
    std::function<void(const QString& sheetName)> OnReadSheetName;

    void LoadFromFile(const QString& fileName);
    QString fileName() const { return m_fileName; }

private:
    QString m_fileName;
};
