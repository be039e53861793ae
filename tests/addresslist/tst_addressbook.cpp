#include "addresslist/AddressBook.h"
#include "addresslist/ExpectedWorkbook.h"
#include "addresslist/RowText.h"
#include "addresslist/XBiffError.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>

#include <QTemporaryDir>
#include <QTest>

class tst_AddressBook : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cellPlacement();
    void limits_data();
    void limits();
    void longCellsCut_data();
    void longCellsCut();
    void sheetNamesAndCount();
    void columnWidths();
    void showSheetHeaderAndRows();
    void showSheetShape_data();
    void showSheetShape();
    void lockedFile();
    void corpus_data();
    void corpus();
    void failedLoadKeepsState();
};

void tst_AddressBook::cellPlacement()
{
    AddressBook book;
    book.XBiff1ReadCell(1, 0, 0, QString::fromUtf8("宛先"));
    book.XBiff1ReadCell(1, 2, 0, "a");
    book.XBiff1ReadCell(1, 2, 3, "d e");
    book.XBiff1ReadCell(1, 1, 1, "x,y");
    book.ShowSheet(1); // flushes and draws
    const AddressSheet& s = book.sheet(1);
    // one spare row after the highest row read, one spare cell after the highest column
    QCOMPARE(s.rows.size(), 4);
    QCOMPARE(RowText::read(s.rows[2]), (QStringList{"a", " ", " ", "d e", " "}));
    QCOMPARE(RowText::read(s.rows[1]), (QStringList{" ", "x,y", " "}));
    QCOMPARE(s.rows[3], QString(" "));
    QCOMPARE(s.highestColumn, 3);
    QCOMPARE(book.grid().cell(4, 2), QString("d e"));
    QCOMPARE(book.grid().cell(2, 2), QString(" "));
    QCOMPARE(book.grid().cell(0, 2), QString("2"));
}

void tst_AddressBook::limits_data()
{
    QTest::addColumn<int>("sheet");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("kept");
    QTest::newRow("row 700, column 40") << 1 << 700 << 40 << true;
    QTest::newRow("last row and column") << 1 << 65535 << 255 << true;
    QTest::newRow("column 256, past BIFF's last") << 1 << 0 << 256 << false;
    QTest::newRow("sheet 15") << 15 << 0 << 0 << true;
    QTest::newRow("sheet 16") << 16 << 0 << 0 << false;
}

void tst_AddressBook::limits()
{
    QFETCH(int, sheet);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, kept);
    AddressBook book;
    book.XBiff1ReadCell(sheet, row, column, "v");
    book.ShowSheet(qMin(sheet, 16));
    const AddressSheet& s = book.sheet(qMin(sheet, 16));
    QCOMPARE(!s.rows.isEmpty(), kept);
    if (kept)
        QCOMPARE(RowText::read(s.rows[row]).value(column), QString("v"));
}

void tst_AddressBook::longCellsCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kept");
    QTest::newRow("40,000 characters") << QString(40000, u'a') << 32767;
    QTest::newRow("exactly the limit") << QString(32767, u'a') << 32767;
    // A character outside the BMP is never split into a lone half.
    QTest::newRow("pair across the limit")
        << QString(32766, u'a') + QStringLiteral("𠮷𠮷") << 32766;
}

void tst_AddressBook::longCellsCut()
{
    QFETCH(QString, text);
    QFETCH(int, kept);
    AddressBook book;
    book.XBiff1ReadCell(1, 1, 0, text);
    book.ShowSheet(1);
    QCOMPARE(book.grid().cell(1, 1), text.left(kept));
    QCOMPARE(book.cutCells(), text.size() > kept ? 1 : 0);
}

void tst_AddressBook::sheetNamesAndCount()
{
    AddressBook book;
    QStringList tabs;
    for (int i = 1; i <= 16; ++i)
        tabs << QStringLiteral("Sheet%1").arg(i);
    book.setTabCaptions(tabs);
    for (int i = 1; i <= 20; ++i)
        book.XBiff1ReadSheetName(QStringLiteral("S%1").arg(i));
    QCOMPARE(book.sheetCount(), 16);
    QCOMPARE(book.tabCaptions().value(14), QString("S15"));
    QCOMPARE(book.tabCaptions().value(15), QString("Sheet16"));
    QVERIFY(book.sheetsLeftOut());
}

void tst_AddressBook::columnWidths()
{
    AddressBook book;
    book.XBiff1ReadColW(1, 2, 2048);
    book.XBiff1ReadColW(1, 40, 4096);
    book.XBiff1ReadColW(1, 256, 4096); // beyond the columns: ignored
    book.XBiff1ReadColW(17, 0, 4096);  // beyond the slots: ignored
    QCOMPARE(book.sheet(1).columnWidths[2], 64);
    QCOMPARE(book.sheet(1).columnWidths[0], 64);
    QCOMPARE(book.sheet(1).columnWidths[40], 128);
    book.XBiff1ReadColW(1, 0, 3000);
    book.ShowSheet(1);
    QCOMPARE(book.grid().columnWidth(0), 30);
    QCOMPARE(book.grid().columnWidth(1), 3000 / 32);
}

void tst_AddressBook::showSheetHeaderAndRows()
{
    AddressBook book;
    book.XBiff1ReadCell(1, 0, 0, QString::fromUtf8("宛先|ここに名前"));
    book.XBiff1ReadCell(1, 0, 1, QString::fromUtf8("郵便番号"));
    book.XBiff1ReadCell(1, 0, 2, "two words");
    book.XBiff1ReadCell(1, 40, 0, "last");
    book.ShowSheet(1);
    const AddressGrid& g = book.grid();
    QCOMPARE(g.cell(0, 0), QString(" "));
    QCOMPARE(g.cell(1, 0), QString::fromUtf8("宛先"));
    QCOMPARE(g.cell(2, 0), QString::fromUtf8("郵便番号"));
    // one header cell above its column, spaces and all
    QCOMPARE(g.cell(3, 0), QString("two words"));
    QCOMPARE(g.cell(4, 0), QString(" "));
    QCOMPARE(g.rowCount(), 42);
    QCOMPARE(g.cell(0, 41), QString("41"));
    QCOMPARE(g.cell(1, 41), QString());
    QCOMPARE(g.cell(1, 40), QString("last"));
}

void tst_AddressBook::showSheetShape_data()
{
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<int>("lastColumn");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::newRow("small sheet") << 3 << 2 << 32 << 16;
    QTest::newRow("wide sheet") << 3 << 20 << 32 << 22;
    QTest::newRow("long sheet") << 100 << 0 << 102 << 16;
    QTest::newRow("500 rows, 32 columns") << 499 << 31 << 501 << 33;
    QTest::newRow("700 rows, 40 columns") << 699 << 39 << 701 << 41;
    QTest::newRow("BIFF's last row and column") << 65535 << 255 << 65537 << 257;
}

void tst_AddressBook::showSheetShape()
{
    QFETCH(int, lastRow);
    QFETCH(int, lastColumn);
    QFETCH(int, rows);
    QFETCH(int, columns);
    AddressBook book;
    book.XBiff1ReadCell(1, lastRow, lastColumn, "x");
    book.ShowSheet(1);
    QCOMPARE(book.grid().rowCount(), rows);
    QCOMPARE(book.grid().columnCount(), columns);
    // The cell in its place, the rest of its row and column empty up to the grid's edge.
    const AddressGrid& grid = book.grid();
    QCOMPARE(grid.cell(lastColumn + 1, lastRow), QString("x"));
    QCOMPARE(grid.cell(lastColumn + 1, lastRow - 1).trimmed(), QString());
    QCOMPARE(grid.cell(columns - 1, 0).trimmed(), QString());
    QCOMPARE(RowText::read(grid.rowText(lastRow)).size(), columns);
}

void tst_AddressBook::lockedFile()
{
    QVERIFY(!AddressBook::IsLockedFile(QStringLiteral("/nonexistent/file.xls")));
    QVERIFY(!AddressBook::IsLockedFile(QStringLiteral(TAYORI_SOURCE_DIR "/README.md")));
}

// Every corpus workbook loaded as the open command loads it: the sheets hold every cell of
// the first 15 worksheets, and the tabs carry their names.
void tst_AddressBook::corpus_data()
{
    QTest::addColumn<QString>("base");
    const QDir dir(QStringLiteral(TAYORI_TESTDATA "/xls"));
    const QStringList files = dir.entryList({QStringLiteral("*.xls")}, QDir::Files, QDir::Name);
    QVERIFY(!files.isEmpty());
    for (const QString& file : files)
        QTest::newRow(qPrintable(file.chopped(4))) << file.chopped(4);
}

void tst_AddressBook::corpus()
{
    QFETCH(QString, base);
    const QString dir = QStringLiteral(TAYORI_TESTDATA "/xls/");
    AddressBook book;
    QCOMPARE(book.LoadWorkbook(dir + base + ".xls"), AddressBook::LoadResult::Loaded);
    QCOMPARE(book.currentDataFile(), dir + base + ".xls");

    QMap<std::tuple<int, int, int>, QString> cells;
    for (int s = 1; s <= AddressBook::MaxSheets; ++s) {
        const QStringList& rows = book.sheet(s).rows;
        for (int r = 0; r < rows.size(); ++r) {
            const QStringList row = RowText::read(rows[r]);
            for (int c = 0; c < row.size(); ++c)
                if (!row[c].trimmed().isEmpty())
                    cells[{s, r, c}] = row[c];
        }
    }
    for (const QString& line : readLines(dir + base + ".expected.tsv")) {
        const QStringList f = line.split(u'\t');
        if (line.startsWith(u'#') || f.size() < 5)
            continue;
        const int sheet = f[0].toInt(), row = f[1].toInt(), col = f[2].toInt();
        if (sheet > 15 || f[3] == u"b" || f[3] == u"e")
            continue;
        const QString want = unescape(f[4]);
        const QString have = cells.take({sheet, row, col});
        if (want.trimmed().isEmpty() || base == u"writeexcel_quirk_utf16be_string")
            continue;
        const QString where = QStringLiteral("%1 %2 %3: ").arg(sheet).arg(row).arg(col);
        if (f[3] == u"n" || f[3] == u"d")
            QVERIFY2(sameNumber(have, want), qPrintable(where + have + " != " + want));
        else
            QVERIFY2(have == want, qPrintable(where + have + " != " + want));
    }
    // booleans and errors of formulas are the only cells xlrd lists differently
    static const QStringList formulaOnly = {"TRUE",  "FALSE",  "#NULL!", "#DIV/0!", "#VALUE!",
                                            "#REF!", "#NAME?", "#NUM!",  "#N/A"};
    for (auto it = cells.cbegin(); it != cells.cend(); ++it)
        QVERIFY2(formulaOnly.contains(it.value()), qPrintable("extra cell: " + it.value()));

    // A bare worksheet stream has no sheet list: its one tab keeps the default caption.
    QFile info(dir + base + ".biffinfo.json");
    QVERIFY(info.open(QIODevice::ReadOnly));
    const QJsonArray sheets = QJsonDocument::fromJson(info.readAll())[u"boundsheets"].toArray();
    const bool bare = std::none_of(sheets.begin(), sheets.end(), [](const QJsonValue& v) {
        return v[u"type"].toString() == u"worksheet";
    });
    const QStringList names =
        bare ? QStringList{QStringLiteral("Sheet1")}
             : readLines(dir + base + ".sheets.txt").mid(0, AddressBook::MaxSheets);
    QCOMPARE(book.tabCaptions(), names);
    QCOMPARE(book.grid().cell(0, 1), QStringLiteral("1"));
}

void tst_AddressBook::failedLoadKeepsState()
{
    AddressBook book;
    book.setCurrentDataFile(QStringLiteral("/previous/list.xls"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing-dir/none.xls"));
    QVERIFY_THROWS_EXCEPTION(XBiffError, book.LoadWorkbook(path));
    QCOMPARE(book.currentDataFile(), QStringLiteral("/previous/list.xls"));
    QCOMPARE(book.tabCaptions().size(), 16);
}

QTEST_GUILESS_MAIN(tst_AddressBook)
#include "tst_addressbook.moc"
