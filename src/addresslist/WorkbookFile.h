#pragma once

#include <QString>

class TXBiff;

// The kinds of workbook a list can come in, told apart by their bytes: .xls (BIFF, bare or in
// a compound document), .xlsx and .ods (zip containers), and the contacts of a .vcf file as
// one sheet. Each is read with the events of the
// given TXBiff, so every kind fills the sheets the same way.
namespace WorkbookFile {

// A name the open command takes for a workbook: .xls, .xlsx, .xlsm, .ods, .vcf (any letter
// case).
bool IsWorkbookFile(const QString& path);

// Reads `path` with the reader its bytes call for, raising `events`' events. Returns true when
// the workbook could be read only in part. Throws XBiffError when it cannot be read at all.
bool Load(TXBiff& events, const QString& path);

} // namespace WorkbookFile
