#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

class AddressBook;
class AddressGrid;
class Prompter;

// Delimited text lists (".csv", ".csvu"): loading one straight into the grid, saving the grid
// as CSVU, and the two menu commands that the main window wires to them.
namespace DelimitedList {

// The grid holds at most this many lines of a list, each with at most MaxColumns columns
// besides the fixed one (as many as a worksheet has); a file is read up to MaxFileBytes. The
// user is told when a list was cut. A list's grid is at least Columns wide.
inline constexpr int MaxLines = 65536;
inline constexpr qsizetype MaxFileBytes = qsizetype(64) << 20;
inline constexpr int MaxColumns = 256;
inline constexpr int Columns = 32;

// "住所録を開く(&J)" and "住所録を保存(&H)".
QString OpenFilter();
QString SaveFilter();

enum class LoadStatus
{
    Loaded,
    Locked,   // the file cannot be opened for reading: the user was told, nothing changed
    Failed,   // reading failed: the user saw the error; sheets and tabs are already cleared
    NotChosen // the dialog was cancelled or the file is not a delimited list
};

// True for ".CSV", ".CSVU" and ".TXT" (the list saved as text) in any letter case.
bool IsDelimitedListFile(const QString& path);

// Loads a delimited text file into the grid: the tabs are reduced to one and the sheets
// cleared, the lines fill the grid (the header line marked with "宛先|" cut at its "|"
// notes), the column widths are set, the path becomes the current data file and the file's
// base name the tab caption. On Loaded the window sets its caption to path + " -" + title.
LoadStatus LoadDelimitedList(AddressBook& book, const QString& path, Prompter& prompter);

// The same from bytes already read; `path` names the list. `complete` is false when the
// bytes are only the start of a longer file.
void LoadDelimitedBytes(AddressBook& book, QByteArrayView bytes, const QString& path,
                        Prompter& prompter, bool complete = true);

// Fills the grid from the lines of a list: one grid row per line, as many columns as its
// longest line has (at least Columns, at most MaxColumns and the fixed column), the header,
// the data rows with unquoted spaces kept inside their cells, and the column widths. Cells
// longer than AddressBook::MaxCellLength are cut there; returns how many. `*columnsCut` says
// whether a line had more columns than the grid keeps.
int SetGridFromLines(AddressGrid& grid, const QStringList& lines, bool* columnsCut = nullptr);

// The header cells of a line holding "宛先|", every field up to MaxColumns and the fixed
// column and one more, each cut at its first "|"; at least Columns (empty past the line's
// fields).
QStringList HeaderCells(const QString& line);

// What the user is told when a list had lines longer than MaxColumns columns.
QString ColumnsCutMessage();

// The CSVU form of the whole grid: FF FE, then the row text of every row in UTF-16LE, each
// followed by CR LF.
QByteArray CsvuBytes(const AddressGrid& grid);

// Writes the CSVU form atomically under exactly `path`. On failure returns false with the
// message in *error, and any old file of that name is left as it was.
bool SaveCsvu(const AddressGrid& grid, const QString& path, QString* error);

// The name proposed when saving: the tab caption, or "Sheet1" without one, + ".txt".
QString DefaultSaveName(const QString& tabCaption);

// "住所録を保存(&H)": asks for a name (the dialog asks before replacing a file) and saves
// the grid; a failure is shown in the error box. True when the file was written.
bool SaveDelimitedList(const AddressGrid& grid, const QString& tabCaption, Prompter& prompter);

} // namespace DelimitedList
