#pragma once

#include "addresslist/WorkbookReader.h"

#include <QHash>
#include <QStringList>

class ZipArchive;

// Reads an Office Open XML workbook (.xlsx, .xlsm) with the cell-text rules of the .xls
// reader: numbers in the general form (or as an address-changing number format shows them),
// TRUE/FALSE, error texts, formulas' cached values, shared and inline strings (rich-text runs
// joined, phonetic runs left out). Worksheets only, in workbook order; every cell that holds a
// value, whatever the sheet's stated dimension. Sheets are parsed as they come out of the zip.
class XlsxReader : public WorkbookReader
{
public:
    // The shared-string table keeps at most this many UTF-16 units (each string counts 16
    // more); a larger table is cut there and the workbook reads as damaged.
    static constexpr qint64 MaxSharedStringUnits = qint64(64) << 20;

    // Throws XBiffError: the file cannot be read, is no zip, or holds no workbook.
    void LoadFromFile(const QString& fileName) override;
    void LoadFromBytes(const QByteArray& bytes) override;

    // A zip whose parts make a workbook of this kind.
    static bool isXlsx(const ZipArchive& zip);

private:
    class SheetParse;
    struct Sheet
    {
        QString name;
        QString part;
    };
    void run(const QByteArray& bytes);
    QHash<QString, std::pair<QString, QString>> relationships(const ZipArchive& zip,
                                                              const QString& part);
    void readStyles(const ZipArchive& zip, const QString& part);
    void readSharedStrings(const ZipArchive& zip, const QString& part);
    bool readSheet(const ZipArchive& zip, int sheetNo, const QString& part);
    QString numberText(const QString& value, int style) const;

    QStringList m_sharedStrings;
    QList<QString> m_styleFormats; // per cell style: its number format code
    qint64 m_total = 1;
    qint64 m_done = 0;
};
