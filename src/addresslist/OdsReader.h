#pragma once

#include "addresslist/WorkbookReader.h"

#include <QDate>

class ZipArchive;
class ZipXmlStream;

// Reads an OpenDocument spreadsheet (.ods) with the cell-text rules of the .xls reader:
// numbers in the general form (a whole number shown zero-padded or with a hyphen, as a postal
// code, keeps the text the spreadsheet shows), dates and times as their serial numbers,
// TRUE/FALSE, strings from the cell's paragraphs (comments and ruby readings left out). Every
// table is a sheet. content.xml is parsed as it comes out of the zip; repeated rows and cells
// are expanded only where they hold a value, and only up to MaxRepeatedCells in all.
class OdsReader : public WorkbookReader
{
public:
    static constexpr qint64 MaxRepeatedCells = 1000000;

    // Throws XBiffError: the file cannot be read, is no zip, or holds no spreadsheet.
    void LoadFromFile(const QString& fileName) override;
    void LoadFromBytes(const QByteArray& bytes) override;

    static bool isOds(const ZipArchive& zip);

private:
    void run(const QByteArray& bytes);
    // One cell's text, or nothing when it holds no value; the reader stands on its start.
    std::optional<QString> cellText(ZipXmlStream& in);
    QString serial(QStringView date) const;

    QDate m_nullDate;
};
