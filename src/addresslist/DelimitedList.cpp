#include "addresslist/DelimitedList.h"

#include "addresslist/AddressBook.h"
#include "addresslist/AddressGrid.h"
#include "addresslist/DelimitedText.h"
#include "addresslist/RowText.h"
#include "common/AtomicFile.h"
#include "common/FieldText.h"
#include "common/Prompter.h"
#include "common/cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <vector>

namespace DelimitedList {

namespace {

constexpr std::array<int, 17> ListColumnWidths = {100, 60,  120, 100, 80, 60, 30, 50, 30,
                                                  100, 100, 30,  30,  30, 30, 30, 30};
constexpr int FixedColumnWidth = 20;
// A list keeps what a worksheet keeps.
static_assert(MaxColumns == AddressBook::MaxColumns);
// A list's widest grid row: the fixed column and MaxColumns.
constexpr int WidestRow = MaxColumns + 1;

// The grid becomes the only copy of the list: one tab, no sheets.
void dropSheets(AddressBook& book)
{
    QStringList tabs = book.tabCaptions().mid(0, 1);
    if (tabs.isEmpty())
        tabs << QStringLiteral("Sheet1");
    for (int slot = 1; slot <= AddressBook::SheetSlots; ++slot)
        book.sheet(slot).clear();
    book.setSheetCount(1);
    book.setTabCaptions(tabs);
}

QString upperSuffix(const QString& path)
{
    return QFileInfo(path).suffix().toUpper();
}

} // namespace

QString OpenFilter()
{
    return QStringLiteral(
        "CSV;CSVU;テキスト(*.csv;*.csvu;*.txt)|*.CSV;*.CSVU;*.TXT|すべて(*.*)|*.*");
}

QString SaveFilter()
{
    // The CSVU entry matches ".csvu" files.
    return QStringLiteral("CSVU(*.csvu)|*.CSVU|テキスト(*.txt)|*.TXT|すべて(*.*)|*.*");
}

bool IsDelimitedListFile(const QString& path)
{
    const QString suffix = upperSuffix(path);
    return suffix == u"CSV" || suffix == u"CSVU" || suffix == u"TXT";
}

QStringList HeaderCells(const QString& line)
{
    // The fields are cut on the code page 932 form. A line holding characters without a code
    // there is cut on its UTF-8 form instead: commas, quotes and blanks are single bytes in
    // both, and the characters survive.
    QByteArray bytes = cp932::fromUnicode(line);
    const bool inCp932 = cp932::toUnicode(bytes) == line;
    if (!inCp932)
        bytes = line.toUtf8();
    // One field more than a row keeps tells the caller that the line was cut.
    const QList<QByteArray> fields = LeadingFields(bytes, WidestRow + 1);
    QStringList cells;
    cells.reserve(qMax(int(fields.size()), Columns));
    for (const QByteArray& field : fields) {
        QString cell = inCp932 ? cp932::toUnicode(field) : QString::fromUtf8(field);
        // Cut on characters: 0x7C is also the second byte of some double-byte characters.
        const qsizetype bar = cell.indexOf(u'|');
        if (bar >= 0)
            cell.truncate(bar);
        cells << cell;
    }
    while (cells.size() < Columns)
        cells << QString();
    return cells;
}

QString ColumnsCutMessage()
{
    return QStringLiteral("列が多すぎるため、各行の先頭の %1 列だけを読み込みました。")
        .arg(MaxColumns);
}

int SetGridFromLines(AddressGrid& grid, const QStringList& lines, bool* columnsCut)
{
    int cut = 0;
    bool wide = false;
    const bool marked = !lines.isEmpty() && lines.front().contains(u"宛先|");
    const int first = marked ? 1 : 0;
    QStringList header = marked ? HeaderCells(lines.front()) : QStringList();
    for (QString& cell : header)
        cut += AddressBook::CutLongCell(cell) ? 1 : 0;
    // An unquoted space stays inside its cell: lists written by spreadsheet programs do not
    // quote "山田 太郎".
    std::vector<QStringList> rows;
    rows.reserve(size_t(lines.size()));
    for (qsizetype k = first; k < lines.size(); ++k) {
        // One cell more than a row keeps tells that the line was cut.
        rows.push_back(RowText::read(lines[k], false, WidestRow + 1));
        for (QString& cell : rows.back())
            cut += AddressBook::CutLongCell(cell) ? 1 : 0;
    }
    // Lists saved here start with the fixed column, whose header field is blank. A list from
    // elsewhere ("宛先,郵便番号,…") has no such column: its cells go from column 1 on, and the
    // fixed column numbers the rows as it does for a workbook.
    // Judged on the first line, as saved lists have it: their header's first field is blank and
    // every other line's is its row number, wherever the header is found later.
    const QString firstField = marked                                   ? header.front()
                               : rows.empty() || rows.front().isEmpty() ? QString()
                                                                        : rows.front().front();
    const bool blank = std::all_of(firstField.cbegin(), firstField.cend(),
                                   [](QChar c) { return c.unicode() <= 0x20; });
    const int shift = blank ? 0 : 1;
    // Without a fixed column of its own a line keeps one cell less: the grid adds that column.
    const int kept = WidestRow - shift;
    const auto keep = [&](QStringList& cells) {
        if (cells.size() > kept) {
            wide = true;
            cells.resize(kept);
        }
    };
    keep(header);
    int columns = qMax(Columns + shift, int(header.size()) + shift);
    for (QStringList& cells : rows) {
        keep(cells);
        if (shift)
            cells.prepend(QString());
        columns = qMax(columns, int(cells.size()));
    }

    grid.beginUpdate();
    // The grid is as wide as the list's widest line: every column is mapped and saved.
    grid.setColumnCount(columns);
    // An empty file still has its (empty) header row.
    grid.setRowCount(qMax(int(lines.size()), 1));
    for (int r = 0; r < grid.rowCount(); ++r)
        grid.clearRow(r);
    if (marked) {
        for (int i = 0; i < header.size(); ++i)
            grid.setCell(i + shift, 0, header[i]);
    }
    for (size_t k = 0; k < rows.size(); ++k) {
        const int row = int(k) + first;
        if (shift)
            rows[k][0] = row == 0 ? QStringLiteral(" ") : QString::number(row);
        grid.setRowCells(row, rows[k]);
    }
    if (marked && shift)
        grid.setCell(0, 0, QStringLiteral(" "));

    grid.setColumnWidth(0, FixedColumnWidth);
    for (int c = 1; c < columns; ++c)
        grid.setColumnWidth(c, c <= int(ListColumnWidths.size()) ? ListColumnWidths[size_t(c - 1)]
                                                                 : AddressGrid::DefaultColumnWidth);
    grid.endUpdate();
    if (columnsCut)
        *columnsCut = wide;
    return cut;
}

void LoadDelimitedBytes(AddressBook& book, QByteArrayView bytes, const QString& path,
                        Prompter& prompter, bool complete)
{
    dropSheets(book);
    const DelimitedText::Lines read = DelimitedText::ReadLines(bytes, MaxLines, complete);
    bool columnsCut = false;
    const int cut = SetGridFromLines(book.grid(), read.lines, &columnsCut);
    book.setCurrentDataFile(path);
    book.setTabCaptions({QFileInfo(path).completeBaseName()});
    book.setCutCells(cut);
    if (read.truncated)
        prompter.showMessage(
            QStringLiteral("ファイルが大きすぎるため、先頭の %1 行だけを読み込みました。")
                .arg(read.lines.size()));
    if (columnsCut)
        prompter.showMessage(ColumnsCutMessage());
}

LoadStatus LoadDelimitedList(AddressBook& book, const QString& path, Prompter& prompter)
{
    if (AddressBook::IsLockedFile(path)) {
        prompter.showMessage(AddressBook::LockedFileMessage());
        return LoadStatus::Locked;
    }
    dropSheets(book);
    QFile file(path);
    QByteArray bytes;
    bool failed = !file.open(QIODevice::ReadOnly);
    if (!failed) {
        bytes = file.read(MaxFileBytes + 1);
        failed = file.error() != QFileDevice::NoError;
    }
    if (failed) {
        prompter.showError(QStringLiteral("%1 を読み込めません。\n%2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
        return LoadStatus::Failed;
    }
    const bool complete = bytes.size() <= MaxFileBytes;
    if (!complete)
        bytes.truncate(MaxFileBytes);
    LoadDelimitedBytes(book, bytes, path, prompter, complete);
    return LoadStatus::Loaded;
}

QByteArray CsvuBytes(const AddressGrid& grid)
{
    QByteArray out("\xFF\xFE", 2);
    for (int r = 0; r < grid.rowCount(); ++r) {
        const QString line = grid.rowText(r) + QStringLiteral("\r\n");
        const qsizetype at = out.size();
        out.resize(at + line.size() * 2);
        qToLittleEndian<char16_t>(line.utf16(), line.size(), out.data() + at);
    }
    return out;
}

bool SaveCsvu(const AddressGrid& grid, const QString& path, QString* error)
{
    return AtomicFile::write(path, CsvuBytes(grid), error);
}

QString DefaultSaveName(const QString& tabCaption)
{
    // The caption keeps characters that code page 932 lacks: a file name with "?" in it
    // would help nobody.
    return (tabCaption.isEmpty() ? QStringLiteral("Sheet1") : tabCaption) + QStringLiteral(".txt");
}

bool SaveDelimitedList(const AddressGrid& grid, const QString& tabCaption, Prompter& prompter)
{
    const QString path =
        prompter.saveFileName(SaveFilter(), QString(), QString(), DefaultSaveName(tabCaption));
    if (path.isEmpty())
        return false;
    QString error;
    if (!SaveCsvu(grid, path, &error)) {
        prompter.showError(QStringLiteral("住所録を保存できませんでした: ") + error);
        return false;
    }
    return true;
}

} // namespace DelimitedList
