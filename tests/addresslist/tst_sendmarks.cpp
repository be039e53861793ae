#include "addresslist/AddressGrid.h"
#include "addresslist/SendMarks.h"

#include <QTest>

class tst_SendMarks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reason_data();
    void reason();
};

void tst_SendMarks::reason_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("reason"); // empty: the row is sent

    // 印刷 and 送付: a no leaves the row out.
    QTest::newRow("送付 column says 不要") << u"送付"_qs << u"不要"_qs << u"送付「不要」"_qs;
    QTest::newRow("印刷 column says ×") << u"印刷"_qs << u"×"_qs << u"印刷「×」"_qs;
    QTest::newRow("印刷 column says 0") << u"印刷"_qs << u"0"_qs << u"印刷「0」"_qs;
    QTest::newRow("full-width zero") << u"印刷"_qs << u"０"_qs << u"印刷「０」"_qs;
    QTest::newRow("印刷 column says 無") << u"印刷"_qs << u"無"_qs << u"印刷「無」"_qs;
    QTest::newRow("しない, quoted with blanks")
        << u"送付"_qs << u"\" しない\u3000\""_qs << u"送付「しない」"_qs;
    QTest::newRow("印刷 column says 1") << u"印刷"_qs << u"1"_qs << QString();
    QTest::newRow("印刷 column says ○") << u"印刷"_qs << u"○"_qs << QString();
    QTest::newRow("a word that only contains 不要") << u"送付"_qs << u"不要かも"_qs << QString();
    // 喪中: a mark means the household is in mourning, so no card.
    QTest::newRow("喪中 says 喪中") << u"喪中"_qs << u"喪中"_qs << u"喪中「喪中」"_qs;
    QTest::newRow("喪中 says 1") << u"喪中"_qs << u"1"_qs << u"喪中「1」"_qs;
    QTest::newRow("喪中 says full-width 1") << u"喪中"_qs << u"１"_qs << u"喪中「１」"_qs;
    QTest::newRow("喪中 says ○") << u"喪中"_qs << u"○"_qs << u"喪中「○」"_qs;
    QTest::newRow("喪中 says ◯") << u"喪中"_qs << u"◯"_qs << u"喪中「◯」"_qs;
    QTest::newRow("喪中 says 〇") << u"喪中"_qs << u"〇"_qs << u"喪中「〇」"_qs;
    QTest::newRow("喪中 says ●") << u"喪中"_qs << u"●"_qs << u"喪中「●」"_qs;
    QTest::newRow("喪中 says ✓") << u"喪中"_qs << u"✓"_qs << u"喪中「✓」"_qs;
    QTest::newRow("喪中 says ✔") << u"喪中"_qs << u"✔"_qs << u"喪中「✔」"_qs;
    QTest::newRow("喪中 says 有") << u"喪中"_qs << u"有"_qs << u"喪中「有」"_qs;
    QTest::newRow("喪中 says あり") << u"喪中"_qs << u"あり"_qs << u"喪中「あり」"_qs;
    QTest::newRow("喪中 says はい") << u"喪中"_qs << u"はい"_qs << u"喪中「はい」"_qs;
    QTest::newRow("喪中 says TRUE (a spreadsheet's check box)")
        << u"喪中"_qs << u"TRUE"_qs << u"喪中「TRUE」"_qs;
    QTest::newRow("喪中 says Yes") << u"喪中"_qs << u"Yes"_qs << u"喪中「Yes」"_qs;
    QTest::newRow("喪中 holds a note") << u"喪中"_qs << u"祖父 逝去"_qs << u"喪中「祖父 逝去」"_qs;
    QTest::newRow("喪中 header with a note") << u"喪中|今年"_qs << u"○"_qs << u"喪中「○」"_qs;
    QTest::newRow("empty 喪中 cell") << u"喪中"_qs << QString() << QString();
    QTest::newRow("喪中 says 0") << u"喪中"_qs << u"0"_qs << QString();
    QTest::newRow("喪中 says ×") << u"喪中"_qs << u"×"_qs << QString();
    QTest::newRow("喪中 says 無") << u"喪中"_qs << u"無"_qs << QString();
    QTest::newRow("喪中 says なし") << u"喪中"_qs << u"なし"_qs << QString();
    QTest::newRow("喪中 says いいえ") << u"喪中"_qs << u"いいえ"_qs << QString();
    QTest::newRow("喪中 says FALSE") << u"喪中"_qs << u"FALSE"_qs << QString();
    QTest::newRow("喪中 says a dash") << u"喪中"_qs << u"－"_qs << QString();
    // The barcode's column holds "印刷" too; its cells are never a mark.
    QTest::newRow("印刷コード is not a marking column") << u"印刷コード"_qs << u"0"_qs << QString();
    QTest::newRow("other column") << u"備考"_qs << u"喪中"_qs << QString();
}

void tst_SendMarks::reason()
{
    QFETCH(QString, header);
    QFETCH(QString, cell);
    QFETCH(QString, reason);

    AddressGrid grid;
    grid.setRowCount(3);
    grid.setColumnCount(5);
    grid.setRowCells(0, {QString(), u"宛先"_qs, header});
    grid.setRowCells(1, {u"1"_qs, u"山田"_qs, cell});
    grid.setRowCells(2, {u"2"_qs, u"鈴木"_qs, QString()});
    const SendMarks marks(grid);
    const std::optional<SendMarks::Reason> found = marks.reason(1);
    QCOMPARE(found ? found->text() : QString(), reason);
    QVERIFY(!marks.reason(2));
    QVERIFY(!marks.reason(0)); // the header row itself is never left out
}

QTEST_GUILESS_MAIN(tst_SendMarks)
#include "tst_sendmarks.moc"
