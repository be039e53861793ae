#include "addresslist/AddressGrid.h"
#include "addresslist/HeaderMapping.h"

#include <QTest>

// Lists with other headers: what the guess takes from the header texts, and the grid it makes.

class tst_headermapping : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void guess_data();
    void guess();
    void apply_data();
    void apply();
};

void tst_headermapping::guess_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<int>("field");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<bool>("confident");

    const QStringList hand{"", "姓", "名", "〒", "都道府県", "市区町村", "番地", "建物名", "電話"};
    QTest::newRow("姓 + 名 → 宛先") << hand << 0 << QList<int>{1, 2} << true;
    QTest::newRow("都道府県 + 市区町村 + 番地 → 住所１")
        << hand << 2 << QList<int>{4, 5, 6} << true;
    QTest::newRow("建物名 → 住所２") << hand << 3 << QList<int>{7} << true;
    const QStringList web{"First Name",         "Last Name",
                          "Organization Name",  "Organization Title",
                          "Address 1 - Street", "Address 1 - City",
                          "Address 1 - Region", "Address 1 - Postal Code",
                          "Address 2 - Street", "Address 1 - Extended Address"};
    QTest::newRow("Last Name before First Name") << web << 0 << QList<int>{1, 0} << true;
    QTest::newRow("Region, City, Street of the first address")
        << web << 2 << QList<int>{6, 5, 4} << true;
    QTest::newRow("Organization Title → 肩書き") << web << 5 << QList<int>{3} << true;
    QTest::newRow("氏名 in full width, ＺＩＰ, 住所")
        << QStringList{"氏名", "ＺＩＰ", "住所", "会社"} << 0 << QList<int>{0} << true;
    QTest::newRow("a whole name column wins over its parts")
        << QStringList{"姓", "名", "お名前", "郵便番号", "住所"} << 0 << QList<int>{2} << true;
    QTest::newRow("no postal code: not sure enough")
        << QStringList{"氏名", "住所"} << 2 << QList<int>{1} << false;
    QTest::newRow("連名 and 連名2 → 連名")
        << QStringList{"氏名", "郵便番号", "住所", "連名", "連名2"} << 7 << QList<int>{3, 4}
        << true;
    QTest::newRow("nothing known") << QStringList{"品番", "数量"} << 0 << QList<int>{} << false;
}

void tst_headermapping::guess()
{
    QFETCH(QStringList, header);
    QFETCH(int, field);
    QFETCH(QList<int>, columns);
    QFETCH(bool, confident);
    const HeaderMapping m = HeaderMapping::Guess(header);
    QCOMPARE(m.columns[size_t(field)], columns);
    QCOMPARE(m.isConfident(), confident);
}

void tst_headermapping::apply_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QStringList>("expected"); // grid row 1 after the mapping
    QTest::newRow("parts joined, unused columns kept after the eleven")
        << QStringList{"1", "姓", "名", "〒", "都道府県", "市区町村", "番地", "建物名", "電話"}
        << QStringList{"1", "鈴木", "一郎", "060-0001", "北海道", "札幌市中央区", "北一条西2丁目",
                       "",  "011"}
        << QStringList{"1",  "鈴木 一郎", "060-0001", "北海道札幌市中央区北一条西2丁目",
                       " ",  " ",         " ",        " ",
                       " ",  " ",         " ",        " ",
                       "011"};
    QTest::newRow("Latin address parts keep a space between them")
        << QStringList{"1",
                       "Name",
                       "Address 1 - Postal Code",
                       "Address 1 - Region",
                       "Address 1 - City",
                       "Address 1 - Street"}
        << QStringList{"1", "Taro Yamada", "106-0032", "Tokyo", "Minato-ku", "1-2-3 Roppongi"}
        << QStringList{"1", "Taro Yamada", "106-0032", "Tokyo Minato-ku 1-2-3 Roppongi",
                       " ", " ",           " ",        " ",
                       " ", " ",           " ",        " "};
    // Each a person of its own: the joint-name splitter finds three names, not one.
    QTest::newRow("連名1 + 連名2 + 連名3 → 連名, one name each")
        << QStringList{"", "氏名", "郵便番号", "住所", "連名1", "連名2", "連名3"}
        << QStringList{"1", "佐藤 健", "100-0001", "東京都", "美香", "大翔", "結衣"}
        << QStringList{"1", "佐藤 健", "100-0001",         "東京都", " ", " ",
                       " ", " ",       "美香・大翔・結衣", " ",      " ", " "};
    QTest::newRow("an empty 連名2 leaves no empty name")
        << QStringList{"", "氏名", "郵便番号", "住所", "連名1", "連名2", "連名3"}
        << QStringList{"1", "佐藤 健", "100-0001", "東京都", "美香", "", "結衣"}
        << QStringList{"1", "佐藤 健", "100-0001",   "東京都", " ", " ",
                       " ", " ",       "美香・結衣", " ",      " ", " "};
    QTest::newRow("a list that has our header stays as it is")
        << QStringList{"", "宛先", "〒", "住所"} << QStringList{"1", "山田", "100-0001", "東京都"}
        << QStringList{"1", "山田", "100-0001", "東京都"};
}

void tst_headermapping::apply()
{
    QFETCH(QStringList, header);
    QFETCH(QStringList, row);
    QFETCH(QStringList, expected);
    AddressGrid grid;
    grid.setColumnCount(int(header.size()));
    grid.setRowCount(2);
    grid.setRowCells(0, header);
    grid.setRowCells(1, row);
    HeaderMapping::ApplyGuess(grid);
    QStringList got;
    for (int c = 0; c < grid.columnCount(); ++c)
        got << grid.cell(c, 1);
    QCOMPARE(got, expected);
}

QTEST_GUILESS_MAIN(tst_headermapping)
#include "tst_headermapping.moc"
