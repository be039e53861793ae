#include "addresslist/AddressGrid.h"
#include "addresslist/HeaderMapping.h"
#include "addresslist/RememberedMappings.h"

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
    void headerRow_data();
    void headerRow();
    void outcome_data();
    void outcome();
};

namespace {
const QStringList OwnHeader{"",       "宛先", "郵便番号", "住所１", "住所２", "会社名",
                            "肩書き", "敬称", "連名",     "敬称2",  "コード", "印刷コード"};

// A grid of the rows, each row's fixed column numbering it as a sheet shows it.
void fill(AddressGrid& grid, const QList<QStringList>& rows)
{
    int width = 1;
    for (const QStringList& row : rows)
        width = qMax(width, int(row.size()) + 1);
    grid.setColumnCount(width);
    grid.setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        grid.setRowCells(r, QStringList{r ? QString::number(r) : u" "_qs} + rows[r]);
}

QStringList rowCells(const AddressGrid& grid, int row)
{
    QStringList cells;
    for (int c = 0; c < grid.columnCount(); ++c)
        cells << grid.cell(c, row).trimmed();
    while (!cells.isEmpty() && cells.last().isEmpty())
        cells.removeLast();
    return cells;
}
} // namespace

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
    QTest::newRow("a list in our own format stays as it is")
        << OwnHeader << QStringList{"1", "山田", "100-0001", "東京都"}
        << QStringList{"1", "山田", "100-0001", "東京都"} + QStringList(8);
    QTest::newRow("宛先 (自宅/会社) is not our header: mapped")
        << QStringList{"", "氏名", "〒", "住所", "宛先 (自宅/会社)"}
        << QStringList{"1", "山田", "100-0001", "東京都", "自宅"}
        << QStringList{"1", "山田", "100-0001", "東京都", " ", " ",   " ",
                       " ", " ",    " ",        " ",      " ", "自宅"};
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

void tst_headermapping::headerRow_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<int>("above");         // rows taken out above the header
    QTest::addColumn<QStringList>("first"); // grid row 1 afterwards

    const QStringList data{"山田 太郎", "100-0013", "東京都千代田区霞が関1-3-2"};
    QTest::newRow("title and a blank row above our header")
        << QList<QStringList>{{"2027年 年賀状リスト"}, {}, OwnHeader.mid(1), data} << 2
        << QStringList{"1"} + data;
    QTest::newRow("blank rows, then other headers")
        << QList<QStringList>{{}, {}, {}, {"氏名", "〒", "住所"}, data} << 3
        << QStringList{"1"} + data;
    QTest::newRow("title in the second column")
        << QList<QStringList>{{"", "年賀状 2027"}, {"First Name", "Zip", "Address"}, data} << 1
        << QStringList{"1"} + data;
    QTest::newRow("header on top stays")
        << QList<QStringList>{OwnHeader.mid(1), data} << 0 << QStringList{"1"} + data;
    QTest::newRow("a company holding 会社名 is no header")
        << QList<QStringList>{{"宛先", "会社"}, {"山田", "株式会社名古屋商事"}} << 0
        << QStringList{"1", "山田", "株式会社名古屋商事"};
    QTest::newRow("no header anywhere: nothing taken out")
        << QList<QStringList>{{"品番", "数量"}, {"A-1", "3"}} << 0 << QStringList{"1", "A-1", "3"};
}

// The header row is found where it stands; the rows above it leave the grid, the fixed column
// numbers the data rows from 1 again.
void tst_headermapping::headerRow()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(int, above);
    QFETCH(QStringList, first);
    AddressGrid grid;
    fill(grid, rows);
    QCOMPARE(HeaderMapping::TakeHeaderRow(grid), above);
    QCOMPARE(grid.rowsAbove(), above);
    QCOMPARE(rowCells(grid, 1), first);
    QCOMPARE(grid.cell(0, 0).trimmed(), QString());
}

void tst_headermapping::outcome_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<int>("outcome");  // RememberedMappings::Outcome
    QTest::addColumn<QString>("name"); // row 1's 宛先 afterwards; "-": no 宛先 column

    const QStringList data{"山田 太郎", "100-0013", "東京都千代田区霞が関1-3-2"};
    QTest::newRow("our own format opens with no question")
        << QList<QStringList>{OwnHeader.mid(1), data} << int(RememberedMappings::Outcome::OwnNames)
        << u"山田 太郎"_qs;
    QTest::newRow("our own format under a title")
        << QList<QStringList>{{"2027年 年賀状リスト"}, {}, OwnHeader.mid(1), data}
        << int(RememberedMappings::Outcome::OwnNames) << u"山田 太郎"_qs;
    QTest::newRow("other headers under a title and a blank row")
        << QList<QStringList>{{"2027年 年賀状リスト"}, {}, {"氏名", "〒", "住所"}, data}
        << int(RememberedMappings::Outcome::Guessed) << u"山田 太郎"_qs;
    // A greeting-card program's export: "宛先 (自宅/会社)" says which address to use.
    QTest::newRow("宛先 (自宅/会社) goes to the question")
        << QList<QStringList>{{"姓", "名", "敬称", "自宅〒", "自宅住所1", "会社名", "連名1",
                               "宛先 (自宅/会社)"},
                              {"山田", "太郎", "様", "100-0013", "東京都", "", "花子", "自宅"}}
        << int(RememberedMappings::Outcome::Unsure) << u"-"_qs;
}

// What opening a list does with its header row, and what 宛先 then reads.
void tst_headermapping::outcome()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(int, outcome);
    QFETCH(QString, name);
    AddressGrid grid;
    fill(grid, rows);
    QCOMPARE(int(RememberedMappings().MapColumns(grid)), outcome);
    HeaderColumns columns;
    QCOMPARE(columns.FindHeaderColumns(grid, nullptr), name != u"-");
    if (name != u"-")
        QCOMPARE(grid.cell(columns[HeaderColumns::Name], 1), name);
}

QTEST_GUILESS_MAIN(tst_headermapping)
#include "tst_headermapping.moc"
