#pragma once

// Builds .xlsx and .ods containers for tests with libzip.

#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <utility>

#include <zip.h>

namespace WorkbookZip {

using Parts = QList<std::pair<QString, QByteArray>>;

// A zip of the given parts, compressed as libzip does by default.
inline QByteArray makeZip(const Parts& parts)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("z.zip")));
    int error = 0;
    zip_t* z = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        return {};
    for (const auto& [name, bytes] : parts) {
        zip_source_t* s = zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        zip_file_add(z, name.toUtf8().constData(), s, ZIP_FL_ENC_UTF_8);
    }
    if (zip_close(z) != 0)
        return {};
    QFile f(QString::fromLocal8Bit(path));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// The smallest workbook of one sheet, with the sheet's XML and shared strings given.
inline Parts xlsxParts(const QByteArray& sheet, const QByteArray& strings = {},
                       const QByteArray& sheetTarget = "worksheets/sheet1.xml")
{
    Parts parts = {
        {QStringLiteral("[Content_Types].xml"), "<Types/>"},
        {QStringLiteral("_rels/.rels"),
         "<Relationships><Relationship Id=\"r1\" Type=\"http://x/officeDocument\" "
         "Target=\"xl/workbook.xml\"/></Relationships>"},
        {QStringLiteral("xl/workbook.xml"),
         "<workbook xmlns:r=\"urn:r\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/>"
         "</sheets></workbook>"},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         "<Relationships><Relationship Id=\"rId1\" Type=\"http://x/worksheet\" Target=\"" +
             sheetTarget +
             "\"/><Relationship Id=\"rId2\" Type=\"http://x/sharedStrings\" "
             "Target=\"sharedStrings.xml\"/></Relationships>"},
        {QStringLiteral("xl/worksheets/sheet1.xml"),
         "<worksheet><sheetData>" + sheet + "</sheetData></worksheet>"}};
    if (!strings.isEmpty())
        parts.append({QStringLiteral("xl/sharedStrings.xml"), "<sst>" + strings + "</sst>"});
    return parts;
}

} // namespace WorkbookZip
