#include "addresslist/AddressGrid.h"
#include "addresslist/RecordEditing.h"
#include "addresslist/RowText.h"

#include <QTest>

class tst_RecordEditing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sheetRowReadsBack_data();
    void sheetRowReadsBack();
    void sheetRowShape();
    void writeBackOrder_data();
    void writeBackOrder();
    void countDataRows_data();
    void countDataRows();
    void countStopsAtLastRow();
};

void tst_RecordEditing::sheetRowReadsBack_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("readBack"); // the cell as the sheet shows it again
    QTest::newRow("plain") << QStringLiteral("山田太郎") << QStringLiteral("山田太郎");
    QTest::newRow("space inside") << QStringLiteral("山田 太郎") << QStringLiteral("山田 太郎");
    QTest::newRow("ideographic space")
        << QStringLiteral("山田　太郎") << QStringLiteral("山田　太郎");
    QTest::newRow("comma") << QStringLiteral("1,2") << QStringLiteral("1,2");
    QTest::newRow("single quote") << QStringLiteral("it's") << QStringLiteral("it's");
    QTest::newRow("double quotes and space")
        << QStringLiteral("say \"hi\" now") << QStringLiteral("say \"hi\" now");
    QTest::newRow("double quote only") << QStringLiteral("a\"b") << QStringLiteral("a\"b");
    QTest::newRow("line break") << QStringLiteral("a\nb") << QStringLiteral("a\nb");
    QTest::newRow("tab") << QStringLiteral("a\tb") << QStringLiteral("a\tb");
    QTest::newRow("emptied keeps one space") << QString() << QStringLiteral(" ");
}

void tst_RecordEditing::sheetRowReadsBack()
{
    QFETCH(QString, cell);
    QFETCH(QString, readBack);
    AddressGrid grid;
    grid.setCell(1, 3, QStringLiteral("前"));
    grid.setCell(2, 3, cell);
    grid.setCell(3, 3, QStringLiteral("後"));

    const QStringList cells = RowText::read(RecordEditing::SheetRow(grid, 3));

    QCOMPARE(cells.size(), 12);
    QCOMPARE(cells[0], QStringLiteral("前"));
    QCOMPARE(cells[1], readBack);
    QCOMPARE(cells[2], QStringLiteral("後"));
}

void tst_RecordEditing::sheetRowShape()
{
    AddressGrid grid;
    for (int c = 0; c < 14; ++c)
        grid.setCell(c, 1, QStringLiteral("c%1").arg(c));
    grid.setCell(1, 2, QStringLiteral("a"));

    // Every column up to the last one used, then a closing cell; the fixed column is gone.
    // A short row still covers the eleven record columns.
    QCOMPARE(RecordEditing::SheetRow(grid, 1),
             QStringLiteral("c1,c2,c3,c4,c5,c6,c7,c8,c9,c10,c11,c12,c13,\" \""));
    QCOMPARE(RecordEditing::SheetRow(grid, 2),
             QStringLiteral("a,\" \",\" \",\" \",\" \",\" \",\" \",\" \",\" \",\" \",\" \",\" \""));
}

void tst_RecordEditing::writeBackOrder_data()
{
    QTest::addColumn<int>("honorificColumn");
    QTest::addColumn<int>("jointHonorificColumn");
    QTest::addColumn<QString>("shared"); // what the column of 敬称2 holds afterwards
    QTest::newRow("own columns") << 7 << 9 << QStringLiteral("殿");
    // "敬称" is found inside "敬称2" when that stands further left; 敬称2 is written later.
    QTest::newRow("one column, 敬称2 wins") << 9 << 9 << QStringLiteral("殿");
}

void tst_RecordEditing::writeBackOrder()
{
    QFETCH(int, honorificColumn);
    QFETCH(int, jointHonorificColumn);
    QFETCH(QString, shared);
    HeaderColumns columns;
    for (int f = 0; f < HeaderColumns::Count; ++f)
        columns.columns[size_t(f)] = f + 1;
    columns.columns[HeaderColumns::Honorific] = honorificColumn;
    columns.columns[HeaderColumns::JointHonorific] = jointHonorificColumn;
    AddressGrid grid;
    for (int c = 1; c <= 11; ++c)
        grid.setCell(c, 2, QStringLiteral("old"));

    AddressRecord edited;
    for (int f = 0; f < HeaderColumns::Count; ++f)
        edited.fields[size_t(f)] = QStringLiteral("f%1").arg(f);
    edited.fields[HeaderColumns::Honorific] = QStringLiteral("様");
    edited.fields[HeaderColumns::JointHonorific] = QStringLiteral("殿");
    edited.fields[HeaderColumns::JointName] = QString();
    RecordEditing::WriteBack(grid, columns, 2, edited);

    QCOMPARE(grid.cell(jointHonorificColumn, 2), shared);
    QCOMPARE(grid.cell(1, 2), QStringLiteral("f0"));
    QCOMPARE(grid.cell(8, 2), QString()); // emptied 連名: an empty cell
    // 印刷コード is not edited.
    QCOMPARE(grid.cell(11, 2), QStringLiteral("old"));
}

void tst_RecordEditing::countDataRows_data()
{
    QTest::addColumn<QStringList>("column1"); // rows 1, 2, ...
    QTest::addColumn<int>("count");
    QTest::newRow("five then blank") << QStringList{"a", "b", "c", "d", "e", " ", "g"} << 5;
    QTest::newRow("third row blank") << QStringList{"a", "b", "", "d"} << 2;
    QTest::newRow("spaces and tabs are blank") << QStringList{"a", " \t ", "c"} << 1;
    QTest::newRow("ideographic space is data") << QStringList{"a", "\u3000", "c"} << 3;
    QTest::newRow("first row blank") << QStringList{" ", "b"} << 0;
}

void tst_RecordEditing::countDataRows()
{
    QFETCH(QStringList, column1);
    QFETCH(int, count);
    AddressGrid grid;
    for (int r = 0; r < column1.size(); ++r)
        grid.setCell(1, r + 1, column1[r]);
    grid.setCell(2, column1.size() + 1, QStringLiteral("only column 2"));
    QCOMPARE(RecordEditing::CountDataRows(grid), count);
}

void tst_RecordEditing::countStopsAtLastRow()
{
    AddressGrid grid;
    grid.setRowCount(6);
    for (int r = 0; r < grid.rowCount(); ++r)
        grid.setCell(1, r, QStringLiteral("x"));
    QCOMPARE(RecordEditing::CountDataRows(grid), 5);
}

QTEST_GUILESS_MAIN(tst_RecordEditing)
#include "tst_RecordEditing.moc"
