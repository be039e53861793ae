#include "ScriptedPrompter.h"
#include "addresslist/AddressBook.h"
#include "addresslist/DelimitedList.h"
#include "addresslist/DelimitedText.h"
#include "addresslist/RowText.h"
#include "common/cp932.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using DelimitedText::Encoding;

Q_DECLARE_METATYPE(DelimitedText::Encoding)

namespace {

const QString CsvDir = QStringLiteral(TAYORI_TESTDATA "/csv/");

QList<QStringList> cellsOf(const AddressGrid& grid)
{
    QList<QStringList> rows;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < grid.columnCount(); ++c)
            row << grid.cell(c, r);
        rows << row;
    }
    return rows;
}

// The cells as the user sees them: an empty cell and a single space both show nothing, and
// the row text cannot tell them apart (an empty field reads back as " ").
QList<QStringList> shownCells(const AddressGrid& grid, int columns)
{
    QList<QStringList> rows;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c) {
            const QString cell = grid.cell(c, r);
            row << (cell.isEmpty() ? QStringLiteral(" ") : cell);
        }
        rows << row;
    }
    return rows;
}

QByteArray utf16le(const QString& text)
{
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : text)
        out += char(c.unicode() & 0xFF), out += char(c.unicode() >> 8);
    return out;
}

QByteArray utf16be(const QString& text)
{
    QByteArray out("\xFE\xFF", 2);
    for (QChar c : text)
        out += char(c.unicode() >> 8), out += char(c.unicode() & 0xFF);
    return out;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class tst_DelimitedList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void encodingsGiveSameGrid_data();
    void encodingsGiveSameGrid();
    void spreadsheetExportMatchesHandWritten();
    void detectEncoding_data();
    void detectEncoding();
    void readLines_data();
    void readLines();
    void lineEndsInEveryEncoding_data();
    void lineEndsInEveryEncoding();
    void rowCells_data();
    void rowCells();
    void headerMarker_data();
    void headerMarker();
    void savedListWithHeaderMarker();
    void loadReplacesWorkbookState();
    void columnWidths();
    void saveForm();
    void saveReopen_data();
    void saveReopen();
    void failedSaveKeepsOldFile();
    void fullDiskKeepsOldFile();
    void defaultSaveName_data();
    void defaultSaveName();
    void saveCommand();
    void lockedAndMissingFiles();
    void badInput_data();
    void badInput();
    void tooManyLines();
    void cutFileKeepsWholeLines();
    void strayQuoteKeepsRecords();
    void everyColumnKept_data();
    void everyColumnKept();
};

void tst_DelimitedList::encodingsGiveSameGrid_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("UTF-8 with mark") << "addresses_utf8_bom.csv";
    QTest::newRow("code page 932") << "addresses_cp932.csv";
    QTest::newRow("UTF-16BE, CR LF") << "addresses_utf16be_crlf.csv";
}

void tst_DelimitedList::encodingsGiveSameGrid()
{
    QFETCH(QString, file);
    ScriptedPrompter prompter;
    AddressBook reference;
    QCOMPARE(DelimitedList::LoadDelimitedList(reference, CsvDir + "addresses_excel_style_utf8.csv",
                                              prompter),
             DelimitedList::LoadStatus::Loaded);
    AddressBook book;
    QCOMPARE(DelimitedList::LoadDelimitedList(book, CsvDir + file, prompter),
             DelimitedList::LoadStatus::Loaded);
    QVERIFY(prompter.messages.isEmpty());
    QCOMPARE(cellsOf(book.grid()), cellsOf(reference.grid()));

    // No header marker: the header line is row 0. The list has no fixed column, so its
    // cells start at column 1 and the fixed column numbers the rows.
    const AddressGrid& g = book.grid();
    QCOMPARE(g.rowCount(), 10);
    QCOMPARE(g.columnCount(), 33);
    QCOMPARE(g.cell(1, 0), QStringLiteral("宛先"));
    QCOMPARE(g.cell(0, 1), QStringLiteral("1"));
    QCOMPARE(g.cell(1, 1), QStringLiteral("山田 太郎"));
    QCOMPARE(g.cell(5, 1), QStringLiteral(" "));
    QCOMPARE(g.cell(12, 1), QString());
    QCOMPARE(g.cell(1, 3), QStringLiteral("鈴木　次郎"));
    QCOMPARE(g.cell(8, 3), QStringLiteral("京子, 健太"));
    QCOMPARE(g.cell(1, 4), QStringLiteral("佐藤 \"サト\" 三郎"));
    for (int c = 1; c <= 11; ++c)
        QCOMPARE(g.cell(c, 6), QStringLiteral(" "));
    QCOMPARE(book.tabCaptions(), QStringList{QFileInfo(file).completeBaseName()});
    QCOMPARE(book.currentDataFile(), CsvDir + file);
}

void tst_DelimitedList::spreadsheetExportMatchesHandWritten()
{
    // Every text quoted by the exporting program; only the number lost its leading zero.
    ScriptedPrompter prompter;
    AddressBook reference;
    DelimitedList::LoadDelimitedList(reference, CsvDir + "addresses_excel_style_utf8.csv",
                                     prompter);
    AddressBook book;
    DelimitedList::LoadDelimitedList(book, CsvDir + "libreoffice_export_cp932.csv", prompter);
    QList<QStringList> expected = cellsOf(reference.grid());
    expected[5][2] = QStringLiteral("650006");
    QCOMPARE(cellsOf(book.grid()), expected);
}

void tst_DelimitedList::detectEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<int>("markLength");
    QTest::newRow("UTF-16LE mark") << QByteArray("\xFF\xFE"
                                                 "a\0",
                                                 4)
                                   << Encoding::Utf16LE << 2;
    QTest::newRow("UTF-16BE mark") << QByteArray("\xFE\xFF\0a", 4) << Encoding::Utf16BE << 2;
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF"
                                              "a")
                                << Encoding::Utf8WithMark << 3;
    QTest::newRow("lone UTF-16LE mark") << QByteArray("\xFF\xFE") << Encoding::Utf16LE << 2;
    QTest::newRow("lone UTF-8 mark") << QByteArray("\xEF\xBB\xBF") << Encoding::Utf8WithMark << 3;
    QTest::newRow("UTF-8 without mark") << QStringLiteral("宛先,x").toUtf8() << Encoding::Utf8 << 0;
    QTest::newRow("plain ASCII is code page 932") << QByteArray("a,b") << Encoding::Cp932 << 0;
    QTest::newRow("code page 932") << cp932::fromUnicode(u"宛先,ｱｲｳ") << Encoding::Cp932 << 0;
    QTest::newRow("invalid UTF-8 is code page 932")
        << QByteArray("\xE5\xAE,x") << Encoding::Cp932 << 0;
    QTest::newRow("empty") << QByteArray() << Encoding::Cp932 << 0;
}

void tst_DelimitedList::detectEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Encoding, encoding);
    QFETCH(int, markLength);
    qsizetype mark = -1;
    QCOMPARE(DelimitedText::DetectEncoding(bytes, &mark), encoding);
    QCOMPARE(mark, qsizetype(markLength));
    QCOMPARE(DelimitedText::ReadLines(bytes, 10).encoding, encoding);
}

void tst_DelimitedList::readLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("CR") << "a\rb" << QStringList{"a", "b"};
    QTest::newRow("LF") << "a\nb" << QStringList{"a", "b"};
    QTest::newRow("line separator") << QStringLiteral("a\u2028b") << QStringList{"a", "b"};
    QTest::newRow("mixed") << QStringLiteral("a\r\nb\rc\nd\u2028e")
                           << QStringList{"a", "b", "c", "d", "e"};
    QTest::newRow("break at the end adds no line") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("empty lines kept") << "a\n\n\nb" << QStringList{"a", "", "", "b"};
    QTest::newRow("LF CR is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("only a break") << "\r\n" << QStringList{""};
    QTest::newRow("nothing") << "" << QStringList{};
    QTest::newRow("break inside quotes belongs to the cell")
        << "1,\"a\nb\",c\n2" << QStringList{"1,\"a\nb\",c", "2"};
    QTest::newRow("CR LF inside quotes") << "\"a\r\nb\"\r\nx" << QStringList{"\"a\r\nb\"", "x"};
    QTest::newRow("doubled quote does not close")
        << "\"a\"\"\nb\",c\nd" << QStringList{"\"a\"\"\nb\",c", "d"};
    QTest::newRow("quote inside an unquoted cell opens nothing")
        << "5\" disk,a\nb,\"c\"" << QStringList{"5\" disk,a", "b,\"c\""};
    QTest::newRow("never closed quote ends at its line")
        << "\"abc,d\ne,f\ng" << QStringList{"\"abc,d", "e,f", "g"};
    QTest::newRow("quote inside a field after a closed one opens nothing")
        << "\"a\" \"b\nc\"\nd" << QStringList{"\"a\" \"b", "c\"", "d"};
    QTest::newRow("stray quote before a quoted field ends at its line")
        << "\"abc,d\ne,\"f\"\ng" << QStringList{"\"abc,d", "e,\"f\"", "g"};
    QTest::newRow("closing quote before blanks and a comma")
        << "\"a\nb\" \t,c\nd" << QStringList{"\"a\nb\" \t,c", "d"};
}

void tst_DelimitedList::readLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    const DelimitedText::Lines read = DelimitedText::ReadLines(utf16le(text), 100);
    QCOMPARE(read.lines, lines);
    QVERIFY(!read.truncated);
}

void tst_DelimitedList::lineEndsInEveryEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString text = QStringLiteral("宛先,a\r\nい,b\rう,c\nえ,d\u2028お,e");
    QTest::newRow("UTF-16LE") << utf16le(text);
    QTest::newRow("UTF-16BE") << utf16be(text);
    QTest::newRow("UTF-8 with mark") << "\xEF\xBB\xBF" + text.toUtf8();
    QTest::newRow("UTF-8") << text.toUtf8();
    // Code page 932 has no U+2028.
    QTest::newRow("code page 932")
        << cp932::fromUnicode(u"宛先,a\r\nい,b\rう,c\nえ,d") + "\n" + cp932::fromUnicode(u"お,e");
}

void tst_DelimitedList::lineEndsInEveryEncoding()
{
    QFETCH(QByteArray, bytes);
    const QStringList lines = DelimitedText::ReadLines(bytes, 100).lines;
    QCOMPARE(lines, (QStringList{"宛先,a", "い,b", "う,c", "え,d", "お,e"}));
}

void tst_DelimitedList::rowCells_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("cells");
    const QString sp = QStringLiteral(" ");
    QTest::newRow("ASCII space stays in the cell")
        << "x,山田 太郎,100-0001" << QStringList{"x", "山田 太郎", "100-0001"};
    QTest::newRow("ideographic space stays in the cell")
        << "x,山田　太郎,100-0001" << QStringList{"x", "山田　太郎", "100-0001"};
    QTest::newRow("blanks around cells dropped")
        << "  a \t,\t b  c ,d " << QStringList{"a", "b  c", "d"};
    QTest::newRow("two commas hold a space") << "a,,b" << QStringList{"a", sp, "b"};
    QTest::newRow("trailing comma adds a cell") << "a," << QStringList{"a", sp};
    QTest::newRow("leading comma") << ",a" << QStringList{sp, "a"};
    QTest::newRow("quoted comma") << "\"a,b\",c" << QStringList{"a,b", "c"};
    QTest::newRow("doubled quotes") << "\"say \"\"hi\"\"\",x" << QStringList{"say \"hi\"", "x"};
    QTest::newRow("quoted space") << "\" \",x" << QStringList{sp, "x"};
    QTest::newRow("quoted empty") << "\"\",x" << QStringList{sp, "x"};
    QTest::newRow("quoted blanks kept") << "\" a \",x" << QStringList{" a ", "x"};
    QTest::newRow("line break in a quoted cell") << "1,\"a\nb\"" << QStringList{"1", "a\nb"};
    QTest::newRow("quote not closed before a delimiter is text")
        << "\"Big\" Co,東京" << QStringList{"\"Big\" Co", "東京"};
    QTest::newRow("quote never closed is text") << "\"abc,d" << QStringList{"\"abc", "d"};
    QTest::newRow("NUL ends the row") << QString("a,b") + QChar(0) + ",c" << QStringList{"a", "b"};
}

void tst_DelimitedList::rowCells()
{
    QFETCH(QString, line);
    QFETCH(QStringList, cells);
    // A first line without marker, then the line under test as row 1.
    AddressBook book;
    ScriptedPrompter prompter;
    DelimitedList::LoadDelimitedBytes(book, utf16le(",h\r\n" + line + "\r\n"), "x.csvu", prompter);
    const AddressGrid& g = book.grid();
    QCOMPARE(g.rowCount(), 2);
    for (int c = 0; c < g.columnCount(); ++c)
        QCOMPARE(g.cell(c, 1), c < cells.size() ? cells[c] : QString());
}

void tst_DelimitedList::headerMarker_data()
{
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QStringList>("header");
    // A first header field that is not blank: no fixed column in the list, so its cells start
    // at grid column 1 and the fixed column numbers the rows.
    QTest::addColumn<bool>("shifted");
    QTest::newRow("marked, notes cut at the bar")
        << ",宛先|名前の列,郵便番号|〒" << QStringList{"", "宛先", "郵便番号"} << false;
    QTest::newRow("marked, quoted empty first field")
        << "\"\",宛先|x,住所１" << QStringList{"", "宛先", "住所１"} << false;
    QTest::newRow("marked, space kept in a field")
        << "宛先|x,会社 名" << QStringList{" ", "宛先", "会社 名"} << true;
    QTest::newRow("marked, bar after a fullwidth minus")
        << "宛先|,郵便－番号|note" << QStringList{" ", "宛先", "郵便－番号"} << true;
    QTest::newRow("marked, character without a code page 932 form")
        << "宛先|,𠮷野" << QStringList{" ", "宛先", "𠮷野"} << true;
    QTest::newRow("no marker: a plain row")
        << "宛先,郵便番号" << QStringList{" ", "宛先", "郵便番号"} << true;
    QTest::newRow("no marker, blank first field")
        << " ,宛先,郵便番号" << QStringList{" ", "宛先", "郵便番号"} << false;
    QTest::newRow("bar without the name")
        << "名前|x,郵便番号" << QStringList{" ", "名前|x", "郵便番号"} << true;
}

void tst_DelimitedList::headerMarker()
{
    QFETCH(QString, firstLine);
    QFETCH(QStringList, header);
    QFETCH(bool, shifted);
    AddressBook book;
    ScriptedPrompter prompter;
    DelimitedList::LoadDelimitedBytes(book, utf16le(firstLine + "\r\n1,a\r\n2,b"), "x.csvu",
                                      prompter);
    const AddressGrid& g = book.grid();
    QCOMPARE(g.rowCount(), 3);
    for (int c = 0; c < header.size(); ++c)
        QCOMPARE(g.cell(c, 0), header[c]);
    // Marked header cells that are missing stay empty; a row from a line holds " " there.
    QCOMPARE(g.cell(header.size(), 0), QString());
    const int row = 2; // the line "2,b"
    const int first = shifted ? 1 : 0;
    QCOMPARE(g.cell(first, row), QStringLiteral("2"));
    QCOMPARE(g.cell(first + 1, row), QStringLiteral("b"));
    if (shifted)
        QCOMPARE(g.cell(0, row), QString::number(row));
}

void tst_DelimitedList::savedListWithHeaderMarker()
{
    AddressBook book;
    ScriptedPrompter prompter;
    QCOMPARE(DelimitedList::LoadDelimitedList(book, CsvDir + "saved_list_utf16le.csvu", prompter),
             DelimitedList::LoadStatus::Loaded);
    const AddressGrid& g = book.grid();
    QCOMPARE(g.rowCount(), 10);
    QCOMPARE(g.cell(0, 0), QString());
    QCOMPARE(g.cell(1, 0), QStringLiteral("宛先"));
    QCOMPARE(g.cell(2, 0), QStringLiteral("郵便番号"));
    QCOMPARE(g.cell(11, 0), QStringLiteral("印刷コード"));
    QCOMPARE(g.cell(0, 1), QStringLiteral("1"));
    QCOMPARE(g.cell(1, 1), QStringLiteral("山田 太郎"));
    QCOMPARE(g.cell(1, 3), QStringLiteral("鈴木　次郎"));
    QCOMPARE(g.cell(8, 3), QStringLiteral("京子, 健太"));
    QCOMPARE(g.cell(5, 5), QStringLiteral("ｶﾌﾞｼｷｶﾞｲｼｬ ﾃｽﾄ"));
    QCOMPARE(g.cell(0, 9), QStringLiteral("9"));
    QCOMPARE(book.tabCaptions(), QStringList{"saved_list_utf16le"});
}

void tst_DelimitedList::loadReplacesWorkbookState()
{
    AddressBook book;
    book.setSheetCount(4);
    book.setTabCaptions({"A", "B", "C"});
    book.sheet(2).rows << "x";
    book.sheet(2).highestColumn = 5;
    book.grid().setColumnCount(33);
    book.grid().setCell(32, 400, "old");
    ScriptedPrompter prompter;
    DelimitedList::LoadDelimitedBytes(book, " ,b\r\nc,d", "/some/where/list.v2.csv", prompter);
    QCOMPARE(book.sheetCount(), 1);
    QCOMPARE(book.tabCaptions(), QStringList{"list.v2"});
    for (int slot = 1; slot <= AddressBook::SheetSlots; ++slot)
        QVERIFY(book.sheet(slot).rows.isEmpty());
    QCOMPARE(book.sheet(2).highestColumn, 0);
    QCOMPARE(book.grid().rowCount(), 2);
    QCOMPARE(book.grid().columnCount(), 32);
    QCOMPARE(book.currentDataFile(), QStringLiteral("/some/where/list.v2.csv"));
}

void tst_DelimitedList::columnWidths()
{
    AddressBook book;
    ScriptedPrompter prompter;
    DelimitedList::LoadDelimitedBytes(book, "a", "a.csv", prompter);
    const QList<int> expected = {20, 100, 60,  120, 100, 80, 60, 30, 50,
                                 30, 100, 100, 30,  30,  30, 30, 30, 30};
    for (int c = 0; c < expected.size(); ++c)
        QCOMPARE(book.grid().columnWidth(c), expected[c]);
    QCOMPARE(book.grid().columnWidth(31), int(AddressGrid::DefaultColumnWidth));
}

void tst_DelimitedList::saveForm()
{
    AddressGrid grid;
    grid.setRowCount(3);
    grid.setColumnCount(3);
    grid.setRowCells(0, {" ", "宛先", "a b"});
    grid.setRowCells(1, {"1", "山田", ""});
    const QByteArray bytes = DelimitedList::CsvuBytes(grid);
    QVERIFY(bytes.startsWith("\xFF\xFE"));
    const QString text = QString::fromUtf16(
        reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    // Every row, the empty one and the last included, ends with CR LF; " " is quoted.
    QCOMPARE(text, QStringLiteral("\" \",宛先,\"a b\"\r\n1,山田,\" \"\r\n,,\r\n"));
}

void tst_DelimitedList::saveReopen_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("saved list") << CsvDir + "saved_list_utf16le.csvu";
    QTest::newRow("spreadsheet CSV") << CsvDir + "addresses_excel_style_utf8.csv";
    QTest::newRow("workbook-like grid") << QString();
    QTest::newRow("header below a title") << u"title"_qs;
}

void tst_DelimitedList::saveReopen()
{
    QFETCH(QString, source);
    AddressBook book;
    ScriptedPrompter prompter;
    if (source.isEmpty()) {
        // The grid of a shown sheet: 33 columns, row numbers, cells that need quoting.
        AddressGrid& g = book.grid();
        g.setColumnCount(33);
        g.setRowCount(40);
        g.setRowText(0, QStringLiteral(" ,宛先,郵便番号"));
        g.setRowCells(1, {"1", "山田 太郎", "\"引用\"", "a,b", " ", "複数\n行", "CR\r\nLF",
                          "行\u2028区切り", "　", "\t", "'x'", "\"", ",", "x\"\"y"});
        g.setCell(32, 1, QStringLiteral("last column"));
        g.setRowText(2, QStringLiteral("2,\"a\"\"b\",,c"));
    } else if (source == u"title") {
        // Saved, the header's first field is its row number, not a list column.
        DelimitedList::LoadDelimitedBytes(
            book,
            QStringLiteral(
                "2027年 年賀状リスト\r\n\r\n宛先,郵便番号,住所１\r\n山田 太郎,100-0013,東京都\r\n")
                .toUtf8(),
            "list.csv", prompter);
    } else {
        QCOMPARE(DelimitedList::LoadDelimitedList(book, source, prompter),
                 DelimitedList::LoadStatus::Loaded);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("list.csvu");
    QString error;
    QVERIFY(DelimitedList::SaveCsvu(book.grid(), path, &error));
    QVERIFY(error.isEmpty());

    AddressBook reopened;
    QCOMPARE(DelimitedList::LoadDelimitedList(reopened, path, prompter),
             DelimitedList::LoadStatus::Loaded);
    QVERIFY(prompter.messages.isEmpty());
    const int columns = qMax(book.grid().columnCount(), reopened.grid().columnCount());
    QCOMPARE(shownCells(reopened.grid(), columns), shownCells(book.grid(), columns));
    // Every cell with something in it comes back exactly, the row numbers included.
    QCOMPARE(reopened.grid().cell(0, 2), book.grid().cell(0, 2));
}

void tst_DelimitedList::failedSaveKeepsOldFile()
{
    AddressGrid grid;
    QString error;
    QVERIFY(!DelimitedList::SaveCsvu(grid, "/nonexistent-folder/list.csvu", &error));
    QVERIFY(!error.isEmpty());

    // A folder in place of the file: the old "file" stays.
    QTemporaryDir dir;
    const QString path = dir.filePath("taken.csvu");
    QVERIFY(QDir().mkdir(path));
    error.clear();
    QVERIFY(!DelimitedList::SaveCsvu(grid, path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

void tst_DelimitedList::fullDiskKeepsOldFile()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    const QString path = dir.filePath("list.csvu");
    AddressGrid small;
    small.setRowCount(2);
    small.setRowText(0, QStringLiteral("宛先"));
    QString error;
    QVERIFY(DelimitedList::SaveCsvu(small, path, &error));
    const QByteArray old = readFile(path);

    AddressGrid big;
    for (int r = 0; r < big.rowCount(); ++r)
        big.setRowText(r, QStringLiteral("%1,山田 太郎,東京都千代田区").arg(r));

    // The disk fills after 4 KiB: every write beyond that fails as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool saved_ok = DelimitedList::SaveCsvu(big, path, &error);
    setrlimit(RLIMIT_FSIZE, &saved);

    QVERIFY(!saved_ok);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.csvu"});
#else
    QSKIP("file size limits are a POSIX facility");
#endif
}

void tst_DelimitedList::defaultSaveName_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("name");
    QTest::newRow("no caption") << ""
                                << "Sheet1.txt";
    QTest::newRow("caption") << "住所録"
                             << "住所録.txt";
    QTest::newRow("character without code page 932 form") << "𠮷野"
                                                          << "𠮷野.txt";
}

void tst_DelimitedList::defaultSaveName()
{
    QFETCH(QString, caption);
    QFETCH(QString, name);
    QCOMPARE(DelimitedList::DefaultSaveName(caption), name);
}

void tst_DelimitedList::saveCommand()
{
    QTemporaryDir dir;
    AddressGrid grid;
    grid.setRowCount(3);
    grid.setRowText(1, QStringLiteral("1,山田"));
    ScriptedPrompter prompter;

    // Cancelled: nothing written.
    prompter.saveAnswers << QString();
    QVERIFY(!DelimitedList::SaveDelimitedList(grid, "住所録", prompter));
    QCOMPARE(prompter.saveQuestions.size(), 1);
    QCOMPARE(prompter.saveQuestions[0].defaultName, QStringLiteral("住所録.txt"));
    QCOMPARE(prompter.saveQuestions[0].defaultSuffix, QString());
    QCOMPARE(prompter.saveQuestions[0].filter,
             QStringLiteral("CSVU(*.csvu)|*.CSVU|テキスト(*.txt)|*.TXT|すべて(*.*)|*.*"));

    // Saved under exactly the chosen name, no extension added.
    const QString path = dir.filePath("out");
    prompter.saveAnswers << path;
    QVERIFY(DelimitedList::SaveDelimitedList(grid, QString(), prompter));
    QCOMPARE(prompter.saveQuestions.last().defaultName, QStringLiteral("Sheet1.txt"));
    QCOMPARE(readFile(path), DelimitedList::CsvuBytes(grid));

    // A failure reaches the error box, saying what was not saved and why.
    prompter.saveAnswers << dir.filePath("missing/out.csvu");
    QVERIFY(!DelimitedList::SaveDelimitedList(grid, QString(), prompter));
    QCOMPARE(prompter.errors, QStringList{QStringLiteral("住所録を保存できませんでした: ") +
                                          dir.filePath("missing/out.csvu") +
                                          QStringLiteral(": 保存先のフォルダーが見つかりません")});
}

void tst_DelimitedList::lockedAndMissingFiles()
{
    QTemporaryDir dir;
    // A folder cannot be opened for reading: it counts as held by another program.
    const QString folder = dir.filePath("folder.csv");
    QVERIFY(QDir().mkdir(folder));
    AddressBook book;
    book.setSheetCount(3);
    book.setTabCaptions({"A", "B"});
    book.grid().setCell(1, 1, "kept");
    ScriptedPrompter prompter;
    QCOMPARE(DelimitedList::LoadDelimitedList(book, folder, prompter),
             DelimitedList::LoadStatus::Locked);
    QCOMPARE(prompter.messages, QStringList{"他のアプリケーションで開かれています。"});
    QCOMPARE(book.tabCaptions(), (QStringList{"A", "B"}));
    QCOMPARE(book.grid().cell(1, 1), QStringLiteral("kept"));

    // A read-only file loads like any other.
    const QString readOnly = dir.filePath("ro.csv");
    QFile f(readOnly);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("a,b\n");
    f.close();
    QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QCOMPARE(DelimitedList::LoadDelimitedList(book, readOnly, prompter),
             DelimitedList::LoadStatus::Loaded);

    // A file that is not there: the error box, sheets already cleared, grid kept.
    book.setSheetCount(3);
    book.setTabCaptions({"A", "B"});
    book.grid().setCell(1, 0, "kept");
    QCOMPARE(DelimitedList::LoadDelimitedList(book, dir.filePath("gone.csv"), prompter),
             DelimitedList::LoadStatus::Failed);
    QCOMPARE(prompter.errors.size(), 1);
    QCOMPARE(book.tabCaptions(), QStringList{"A"});
    QCOMPARE(book.sheetCount(), 1);
    QCOMPARE(book.grid().cell(1, 0), QStringLiteral("kept"));
}

void tst_DelimitedList::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("firstCell");
    QTest::newRow("0-byte file") << QByteArray() << 1 << QString();
    QTest::newRow("lone UTF-16LE mark") << QByteArray("\xFF\xFE") << 1 << QString();
    QTest::newRow("lone UTF-16BE mark") << QByteArray("\xFE\xFF") << 1 << QString();
    QTest::newRow("lone UTF-8 mark") << QByteArray("\xEF\xBB\xBF") << 1 << QString();
    const QByteArray oddLength("\xFF\xFE"
                               "a\0,\0b\0\n\0c\0d",
                               13);
    QTest::newRow("odd-length UTF-16 loses its last byte") << oddLength << 2 << "a";
    QTest::newRow("unpaired surrogate kept")
        << QByteArray("\xFF\xFE\x00\xD8,\0x\0", 8) << 1 << QString(QChar(0xD800));
    QTest::newRow("broken quotes") << QByteArray("\"abc,\"d\"e\"\"\n\"x\ny") << 3 << "\"abc";
    QTest::newRow("invalid UTF-8 after a mark")
        << QByteArray("\xEF\xBB\xBF\xFF\xFEz,b") << 1 << QStringLiteral("\uFFFD\uFFFDz");
    QTest::newRow("NUL bytes") << QByteArray("\0\0\0,a\n\0b", 9) << 2 << QString();
    QTest::newRow("lone lead byte in code page 932") << QByteArray("\x88\nx") << 2 << QString();
}

void tst_DelimitedList::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rows);
    QFETCH(QString, firstCell);
    AddressBook book;
    ScriptedPrompter prompter;
    DelimitedList::LoadDelimitedBytes(book, bytes, "bad.csv", prompter);
    QCOMPARE(book.grid().rowCount(), rows);
    // A first field that is not blank: the cells start at column 1.
    if (!firstCell.isEmpty())
        QCOMPARE(book.grid().cell(1, 0), firstCell);

    // Garbage of every kind loads something and stays saveable.
    QRandomGenerator random(QTest::currentDataTag() ? qHash(QByteArray(QTest::currentDataTag()))
                                                    : 1);
    for (int round = 0; round < 50; ++round) {
        QByteArray garbage(random.bounded(1, 4000), Qt::Uninitialized);
        for (char& c : garbage)
            c = char(random.bounded(256));
        if (round % 4 == 1)
            garbage.prepend("\xFF\xFE");
        if (round % 4 == 2)
            garbage.prepend("\xFE\xFF");
        if (round % 4 == 3)
            garbage.prepend("\xEF\xBB\xBF");
        AddressBook other;
        DelimitedList::LoadDelimitedBytes(other, bytes + garbage, "garbage.csv", prompter);
        QVERIFY(other.grid().rowCount() >= 1);
        QVERIFY(other.grid().columnCount() >= DelimitedList::Columns);
        QVERIFY(DelimitedList::CsvuBytes(other.grid()).startsWith("\xFF\xFE"));
    }
}

void tst_DelimitedList::tooManyLines()
{
    QByteArray bytes;
    for (int i = 0; i < DelimitedList::MaxLines + 10; ++i)
        bytes += QByteArray::number(i) + ",x\n";
    AddressBook book;
    ScriptedPrompter prompter;
    DelimitedList::LoadDelimitedBytes(book, bytes, "big.csv", prompter);
    QCOMPARE(book.grid().rowCount(), DelimitedList::MaxLines);
    QCOMPARE(book.grid().cell(0, DelimitedList::MaxLines - 1),
             QString::number(DelimitedList::MaxLines - 1));
    QCOMPARE(prompter.messages.size(), 1);
    QVERIFY(prompter.messages.front().contains(QString::number(DelimitedList::MaxLines)));

    // Exactly the limit is no cut.
    bytes.truncate(bytes.indexOf("65536,"));
    ScriptedPrompter quiet;
    DelimitedList::LoadDelimitedBytes(book, bytes, "big.csv", quiet);
    QCOMPARE(book.grid().rowCount(), DelimitedList::MaxLines);
    QVERIFY(quiet.messages.isEmpty());
}

void tst_DelimitedList::cutFileKeepsWholeLines()
{
    // The start of a longer UTF-8 file, cut inside a character of its third line.
    const QByteArray start = QStringLiteral("宛先,a\n山田,b\n鈴木").toUtf8().chopped(1);
    const DelimitedText::Lines read = DelimitedText::ReadLines(start, 100, false);
    QCOMPARE(read.encoding, Encoding::Utf8);
    QCOMPARE(read.lines, (QStringList{"宛先,a", "山田,b"}));
    QVERIFY(read.truncated);

    const QByteArray wide = utf16le("宛先,a\r\n山田,b\r\n鈴").chopped(1);
    const DelimitedText::Lines readWide = DelimitedText::ReadLines(wide, 100, false);
    QCOMPARE(readWide.lines, (QStringList{"宛先,a", "山田,b"}));
    QVERIFY(readWide.truncated);
}

// A stray quote in a list costs no record: its line stays one row and the quote stays in the
// text, while a quoted cell further down still keeps its line break.
void tst_DelimitedList::strayQuoteKeepsRecords()
{
    const QByteArray list = "宛先,郵便番号,住所１\n"
                            "\"山田 太郎,1000001,東京都\n"
                            "鈴木 花子,\"2000002\",\"横浜市\n中区\"\n"
                            "佐藤 一郎,3000003,大阪市\n";
    AddressBook book;
    ScriptedPrompter prompter;
    DelimitedList::LoadDelimitedBytes(book, list, "list.csv", prompter);
    const AddressGrid& g = book.grid();
    QCOMPARE(g.rowCount(), 4);
    const QStringList expected[] = {{"\"山田 太郎", "1000001", "東京都"},
                                    {"鈴木 花子", "2000002", "横浜市\n中区"},
                                    {"佐藤 一郎", "3000003", "大阪市"}};
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            QCOMPARE(g.cell(c, r), expected[r - 1][c - 1]);
}

QTEST_GUILESS_MAIN(tst_DelimitedList)
#include "tst_delimitedlist.moc"

namespace {
// A line of `count` cells named prefix1, prefix2, ...; `first` comes before them when given.
QString NumberedLine(const QString& prefix, int count, const QString& first = QString())
{
    QStringList cells;
    if (!first.isNull())
        cells << first;
    for (int i = 1; i <= count; ++i)
        cells << prefix + QString::number(i);
    return cells.join(u',');
}
} // namespace

// A list keeps every column of its lines, as many as a worksheet has; a longer line is cut
// there and the user is told.
void tst_DelimitedList::everyColumnKept_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("columns"); // of the grid
    QTest::addColumn<bool>("told");
    const int max = DelimitedList::MaxColumns;
    const auto list = [](const QString& header, const QString& data) {
        return header + QStringLiteral("\r\n") + data + QStringLiteral("\r\n");
    };
    QTest::newRow("contact list of 40 columns")
        << list(NumberedLine("h", 40), NumberedLine("v", 40)) << 41 << false;
    QTest::newRow("saved list of 40 columns, marked header")
        << list(NumberedLine("h", 39, " ,宛先|x"), NumberedLine("v", 40, "1")) << 41 << false;
    QTest::newRow("marked header of 40 columns without a fixed column")
        << list(NumberedLine("h", 39, "宛先|x"), NumberedLine("v", 40)) << 41 << false;
    QTest::newRow("only the data run past the header")
        << list(NumberedLine("h", 3), NumberedLine("v", 40)) << 41 << false;
    QTest::newRow("as many columns as a worksheet")
        << list(NumberedLine("h", max), NumberedLine("v", max)) << max + 1 << false;
    QTest::newRow("more columns than a worksheet: cut and told")
        << list(NumberedLine("h", max), NumberedLine("v", max + 50)) << max + 1 << true;
    QTest::newRow("a marked header past a worksheet: cut and told")
        << list(NumberedLine("h", max + 1, " ,宛先|x"), NumberedLine("v", 3, "1")) << max + 1
        << true;
}

void tst_DelimitedList::everyColumnKept()
{
    QFETCH(QString, text);
    QFETCH(int, columns);
    QFETCH(bool, told);
    AddressBook book;
    ScriptedPrompter prompter;
    DelimitedList::LoadDelimitedBytes(book, text.toUtf8(), "wide.csv", prompter);
    const AddressGrid& g = book.grid();
    QCOMPARE(g.columnCount(), columns);
    // Each line's cells stand in their columns up to the grid's last one.
    const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    // A list without a fixed column of its own: the grid adds it.
    const bool shifted = !lines.front().startsWith(u' ');
    for (int r = 0; r < lines.size(); ++r) {
        QStringList cells = lines[r].split(u',');
        if (shifted)
            cells.prepend(QString());
        for (int c = 1; c < columns; ++c)
            QCOMPARE(g.cell(c, r), cells.value(c).section(u'|', 0, 0));
    }
    QCOMPARE(prompter.messages,
             told ? QStringList{DelimitedList::ColumnsCutMessage()} : QStringList());

    // Saved and read back, every column is still there.
    QTemporaryDir dir;
    const QString path = dir.filePath("wide.csvu");
    QString error;
    QVERIFY(DelimitedList::SaveCsvu(g, path, &error));
    AddressBook reopened;
    ScriptedPrompter quiet;
    QCOMPARE(DelimitedList::LoadDelimitedList(reopened, path, quiet),
             DelimitedList::LoadStatus::Loaded);
    QVERIFY(quiet.messages.isEmpty());
    QCOMPARE(shownCells(reopened.grid(), columns), shownCells(g, columns));
}
