#pragma once

#include <QLocale>
#include <QString>

#include <functional>

// The facts that the data-information dialog shows about an address-list file.
namespace DataFileInfo {

// Size in bytes; -1 when the file is not there.
qint64 FileSize(const QString& path);

// The last-write time in local time: the locale's short date, " ", its time with seconds
// and without a zone ("2026/12/07 9:35:33"). Read from
// the file's attributes, so a read-only file shows its time too; empty only when the file
// is not there.
QString LastWriteText(const QString& path, const QLocale& locale = QLocale());

// Only workbooks (".xls", ".xlsx", ".ods" in any letter case) count their sheets.
bool IsWorkbookFile(const QString& path);

// The path shortened until `fits` accepts it, keeping the drive (or the root "/") and the
// file name: leading folders give way to ".../" one at a time ("/.../docs/list.xls"), then
// the drive or root goes (".../list.xls"), and last the file name stands alone. Native
// separators in the result.
QString ShortenPath(const QString& path, const std::function<bool(const QString&)>& fits);

} // namespace DataFileInfo
