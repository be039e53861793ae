#include "ScriptedPrompter.h"
#include "addresslist/AddressBook.h"
#include "addresslist/AddressRecord.h"
#include "addresslist/DelimitedList.h"
#include "addresslist/HeaderColumns.h"

#include <QTest>

namespace {

const QStringList Standard = {"宛先", "郵便番号", "住所１", "住所２", "会社名",    "肩書き",
                              "敬称", "連名",     "敬称2",  "コード", "印刷コード"};

QList<int> columnsOf(const HeaderColumns& h)
{
    return QList<int>(h.columns.begin(), h.columns.end());
}

} // namespace

class tst_HeaderColumns : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findHeaderColumns_data();
    void findHeaderColumns();
    void missingNameMessage();
    void isAddressList_data();
    void isAddressList();
    void realLists_data();
    void realLists();
    void record_data();
    void record();
};

void tst_HeaderColumns::findHeaderColumns_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<bool>("found");

    QTest::newRow("standard in columns 1 to 11")
        << QStringList{" "} + Standard << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11} << true;
    QTest::newRow("in the fixed column on")
        << Standard << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10} << true;

    QStringList swapped = QStringList{" "} + Standard;
    swapped.swapItemsAt(7, 9); // 敬称2 left of 敬称
    QTest::newRow("敬称2 left of 敬称 takes both")
        << swapped << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 7, 10, 11} << true;

    QStringList codes = QStringList{" "} + Standard;
    codes.swapItemsAt(10, 11); // 印刷コード left of コード
    QTest::newRow("印刷コード left of コード takes both")
        << codes << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10} << true;

    QStringList noted = QStringList{" "} + Standard;
    noted[1] = "宛先|氏名";
    noted[3] = "■住所１■";
    noted[5] = "会社名,部署";
    QTest::newRow("names with notes around them")
        << noted << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11} << true;

    QStringList noJoint = QStringList{" "} + Standard;
    noJoint[8] = "連絡先";
    QTest::newRow("no 連名") << noJoint << QList<int>{1, 2, 3, 4, 5, 6, 7, -1, 9, 10, 11} << false;

    QStringList digits = QStringList{" "} + Standard;
    digits[3] = "住所1";  // ASCII digit
    digits[9] = "敬称２"; // fullwidth digit
    QTest::newRow("digits of the other width")
        << digits << QList<int>{1, 2, -1, 4, 5, 6, 7, 8, -1, 10, 11} << false;

    QTest::newRow("empty header") << QStringList{}
                                  << QList<int>{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}
                                  << false;

    QStringList far = QStringList(31, " ");
    far << "宛先";
    QTest::newRow("name in the last column")
        << far << QList<int>{31, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1} << false;
}

void tst_HeaderColumns::findHeaderColumns()
{
    QFETCH(QStringList, header);
    QFETCH(QList<int>, columns);
    QFETCH(bool, found);
    AddressGrid grid;
    grid.setRowCells(0, header);
    HeaderColumns h;
    h.columns.fill(99);
    ScriptedPrompter prompter;
    QCOMPARE(h.FindHeaderColumns(grid, &prompter), found);
    QCOMPARE(columnsOf(h), columns);
    QCOMPARE(prompter.messages.size(), found ? 0 : 1);
    // Without a prompter nothing is shown, the result is the same.
    QCOMPARE(h.FindHeaderColumns(grid, nullptr), found);
}

void tst_HeaderColumns::missingNameMessage()
{
    AddressGrid grid;
    QStringList header = QStringList{" "} + Standard;
    header[8] = "連絡先";
    grid.setRowCells(0, header);
    HeaderColumns h;
    ScriptedPrompter prompter;
    QVERIFY(!h.FindHeaderColumns(grid, &prompter));
    QCOMPARE(prompter.messages, QStringList{"Headerを確認 1|2|3|4|5|6|7|-1|9|10|11|"});
}

void tst_HeaderColumns::isAddressList_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QStringList>("row1");
    QTest::addColumn<bool>("isList");
    QTest::newRow("header and a record") << Standard << QStringList{"1", "山田"} << true;
    QTest::newRow("only the row number") << Standard << QStringList{"1"} << false;
    QTest::newRow("two characters") << Standard << QStringList{"12"} << false;
    QTest::newRow("three characters") << Standard << QStringList{"123"} << true;
    QTest::newRow("one kanji counts two bytes") << Standard << QStringList{"1", "山"} << true;
    QTest::newRow("empty row 1") << Standard << QStringList{} << false;
    QTest::newRow("no 宛先 in the header")
        << QStringList{"名前", "郵便番号"} << QStringList{"1", "山田"} << false;
    QTest::newRow("宛先 inside a longer header cell")
        << QStringList{" ", "送付宛先"} << QStringList{"1", "山田"} << true;
}

void tst_HeaderColumns::isAddressList()
{
    QFETCH(QStringList, header);
    QFETCH(QStringList, row1);
    QFETCH(bool, isList);
    AddressGrid grid;
    grid.setRowCells(0, header);
    if (!row1.isEmpty())
        grid.setRowCells(1, row1);
    QCOMPARE(HeaderColumns::IsAddressList(grid), isList);

    AddressGrid single;
    single.setRowCount(1);
    single.setRowCells(0, header);
    QVERIFY(!HeaderColumns::IsAddressList(single));
}

void tst_HeaderColumns::realLists_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("firstColumn");
    QTest::addColumn<QString>("postalCodeOfRow5");
    // Every list starts at grid column 1: the saved one after its fixed column, the others
    // because their first header field is a name.
    QTest::newRow("UTF-8 spreadsheet CSV") << "addresses_excel_style_utf8.csv" << 1 << "0650006";
    QTest::newRow("UTF-8 with mark") << "addresses_utf8_bom.csv" << 1 << "0650006";
    QTest::newRow("code page 932") << "addresses_cp932.csv" << 1 << "0650006";
    QTest::newRow("UTF-16BE") << "addresses_utf16be_crlf.csv" << 1 << "0650006";
    QTest::newRow("spreadsheet export, all quoted")
        << "libreoffice_export_cp932.csv" << 1 << "065-0006"; // the zero the export lost
    QTest::newRow("saved list with marked header") << "saved_list_utf16le.csvu" << 1 << "0650006";
}

void tst_HeaderColumns::realLists()
{
    QFETCH(QString, file);
    QFETCH(int, firstColumn);
    QFETCH(QString, postalCodeOfRow5);
    AddressBook book;
    ScriptedPrompter prompter;
    QCOMPARE(DelimitedList::LoadDelimitedList(book, QStringLiteral(TAYORI_TESTDATA "/csv/") + file,
                                              prompter),
             DelimitedList::LoadStatus::Loaded);
    const AddressGrid& grid = book.grid();
    QVERIFY(HeaderColumns::IsAddressList(grid));
    HeaderColumns h;
    QVERIFY(h.FindHeaderColumns(grid, &prompter));
    for (int i = 0; i < HeaderColumns::Count; ++i)
        QCOMPARE(h[i], firstColumn + i);

    const std::optional<AddressRecord> first = ReadAddressRecord(grid, h, 1);
    QVERIFY(first);
    QCOMPARE(first->row, 1);
    QCOMPARE((*first)[HeaderColumns::Name], QStringLiteral("山田 太郎"));
    QCOMPARE((*first)[HeaderColumns::PostalCode], QStringLiteral("263-0023"));
    QCOMPARE((*first)[HeaderColumns::Address1], QStringLiteral("千葉県千葉市稲毛区緑町3丁目30-8"));
    QCOMPARE((*first)[HeaderColumns::Company], QStringLiteral(" "));
    QCOMPARE((*first)[HeaderColumns::JointName], QStringLiteral("花子"));
    QCOMPARE((*first)[HeaderColumns::BarcodeData], QStringLiteral("26300233-30-8-403"));
    QCOMPARE((*first)[HeaderColumns::PrintedBarcode], QStringLiteral("1"));

    const std::optional<AddressRecord> third = ReadAddressRecord(grid, h, 3);
    QVERIFY(third);
    QCOMPARE((*third)[HeaderColumns::Name], QStringLiteral("鈴木　次郎"));
    QCOMPARE((*third)[HeaderColumns::JointName], QStringLiteral("京子, 健太"));

    const std::optional<AddressRecord> fourth = ReadAddressRecord(grid, h, 4);
    QVERIFY(fourth);
    QCOMPARE((*fourth)[HeaderColumns::Name], QStringLiteral("佐藤 \"サト\" 三郎"));

    const std::optional<AddressRecord> fifth = ReadAddressRecord(grid, h, 5);
    QVERIFY(fifth);
    QCOMPARE((*fifth)[HeaderColumns::PostalCode], postalCodeOfRow5);

    // The row of commas only has no name, so no record.
    QVERIFY(!ReadAddressRecord(grid, h, 6));
    QVERIFY(ReadAddressRecord(grid, h, 9));
    QVERIFY(!ReadAddressRecord(grid, h, 10));
}

void tst_HeaderColumns::record_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("postalCode");
    QTest::addColumn<bool>("hasRecord");
    QTest::addColumn<QString>("recordName");
    QTest::addColumn<QString>("recordPostalCode");
    QTest::newRow("plain") << "山田"
                           << "100-0001" << true << "山田"
                           << "100-0001";
    QTest::newRow("spaces only") << "   "
                                 << "1" << false << ""
                                 << "";
    QTest::newRow("tab and space") << " \t "
                                   << "1" << false << ""
                                   << "";
    QTest::newRow("empty") << ""
                           << "1" << false << ""
                           << "";
    QTest::newRow("ideographic space is a name") << "　"
                                                 << "1" << true << "　"
                                                 << "1";
    QTest::newRow("enclosing double quotes removed") << "\"山田\""
                                                     << "\"100\"" << true << "山田"
                                                     << "100";
    QTest::newRow("single quotes inside double removed") << "\"'山田'\""
                                                         << "'1'" << true << "山田"
                                                         << "1";
    QTest::newRow("minus sign becomes the Windows look-alike") << "山田"
                                                               << "100−0001" << true << "山田"
                                                               << "100－0001";
    QTest::newRow("character without a code page 932 form") << "𠮷野"
                                                            << "𠮷1" << true << "𠮷野"
                                                            << "?1";
}

void tst_HeaderColumns::record()
{
    QFETCH(QString, name);
    QFETCH(QString, postalCode);
    QFETCH(bool, hasRecord);
    QFETCH(QString, recordName);
    QFETCH(QString, recordPostalCode);
    AddressGrid grid;
    grid.setRowCells(0, QStringList{" "} + Standard);
    grid.setRowCells(2, {"2", name, postalCode, "東京都", "", "", "", "様", "", "", "", "1"});
    grid.setCell(1, 2, name); // one by one: kept as given, even when empty
    grid.setCell(2, 2, postalCode);
    HeaderColumns h;
    QVERIFY(h.FindHeaderColumns(grid, nullptr));
    const std::optional<AddressRecord> record = ReadAddressRecord(grid, h, 2);
    QCOMPARE(bool(record), hasRecord);
    if (!record)
        return;
    QCOMPARE(record->row, 2);
    QCOMPARE((*record)[HeaderColumns::Name], recordName);
    QCOMPARE((*record)[HeaderColumns::PostalCode], recordPostalCode);
    QCOMPARE((*record)[HeaderColumns::Address1], QStringLiteral("東京都"));
    QCOMPARE((*record)[HeaderColumns::Company], QStringLiteral(" "));
    QCOMPARE((*record)[HeaderColumns::Honorific], QStringLiteral("様"));
    QCOMPARE((*record)[HeaderColumns::PrintedBarcode], QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(tst_HeaderColumns)
#include "tst_headercolumns.moc"
