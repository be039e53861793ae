#pragma once

#include "addresslist/AddressRecord.h"
#include "addresslist/HeaderColumns.h"

#include <QString>

#include <array>

class AddressGrid;
struct AddressSheet;

// Record editing without the dialog: what a field opens with, the write-back into the grid
// and the workbook sheet, and the count of data rows.
namespace RecordEditing {

// The ten edited record fields ("印刷コード" is not edited), in the order in which their cells
// are written back.
inline constexpr std::array<int, 10> WriteOrder = {
    HeaderColumns::PostalCode, HeaderColumns::Address1,  HeaderColumns::Address2,
    HeaderColumns::Company,    HeaderColumns::Title,     HeaderColumns::Honorific,
    HeaderColumns::Name,       HeaderColumns::JointName, HeaderColumns::JointHonorific,
    HeaderColumns::BarcodeData};

// The text an edit field opens with: the record's text, or nothing when it is blank (only
// spaces, tabs and characters up to U+0020; an ideographic space is kept).
QString OpeningText(const QString& value);

// Writes the edited fields into row `row`, one cell at a time in WriteOrder: an empty text
// leaves an empty cell, and of two names found in one column the later one wins.
void WriteBack(AddressGrid& grid, const HeaderColumns& columns, int row,
               const AddressRecord& edited);

// The workbook sheet row that grid row `row` shows, rebuilt from grid column 1 to the last
// one holding something (at least column 11) and a closing cell holding one space. An empty
// cell becomes one space. Every cell reads back as it was.
QString SheetRow(const AddressGrid& grid, int row);
// Puts `text` at `row` of `sheet`, adding blank rows before it when the sheet is shorter.
void ReplaceSheetRow(AddressSheet& sheet, int row, const QString& text);

// The rows from row 1 on whose column 1 is not blank, up to the first blank one.
int CountDataRows(const AddressGrid& grid);

} // namespace RecordEditing
