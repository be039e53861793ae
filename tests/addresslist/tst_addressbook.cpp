#include "addresslist/AddressBook.h"
#include "addresslist/RowText.h"

#include <QTest>

class tst_AddressBook : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cellPlacement();
    void limits_data();
    void limits();
    void sheetNamesAndCount();
    void columnWidths();
    void showSheetHeaderAndRows();
    void showSheetShape_data();
    void showSheetShape();
    void lockedFile();
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
    QTest::newRow("last row and column") << 1 << 499 << 31 << true;
    QTest::newRow("row 500") << 1 << 500 << 0 << false;
    QTest::newRow("column 32") << 1 << 0 << 32 << false;
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
}

void tst_AddressBook::columnWidths()
{
    AddressBook book;
    book.XBiff1ReadColW(1, 2, 2048);
    book.XBiff1ReadColW(1, 32, 4096); // beyond the columns: ignored
    book.XBiff1ReadColW(17, 0, 4096); // beyond the slots: ignored
    QCOMPARE(book.sheet(1).columnWidths[2], 64);
    QCOMPARE(book.sheet(1).columnWidths[0], 64);
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
    // a header field with a space is split by the row-text reading
    QCOMPARE(g.cell(3, 0), QString("two"));
    QCOMPARE(g.cell(4, 0), QString("words"));
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
    QTest::newRow("full sheet") << 499 << 31 << 500 << 33;
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
}

void tst_AddressBook::lockedFile()
{
    QVERIFY(!AddressBook::IsLockedFile(QStringLiteral("/nonexistent/file.xls")));
    QVERIFY(!AddressBook::IsLockedFile(QStringLiteral(TAYORI_SOURCE_DIR "/README.md")));
}

QTEST_GUILESS_MAIN(tst_AddressBook)
#include "tst_addressbook.moc"
