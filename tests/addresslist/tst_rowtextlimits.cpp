#include "addresslist/RowText.h"

#include <QTest>

// The row reader on text from outside: NULs, very long rows, line separators.
class tst_RowTextLimits : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nulEndsTheRow_data();
    void nulEndsTheRow();
    void maxCells();
    void lineSeparatorQuoted();
};

void tst_RowTextLimits::nulEndsTheRow_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("spaceSplits");
    QTest::addColumn<QStringList>("cells");
    const QChar nul(0);
    QTest::newRow("NUL first, splitting") << QString(nul) + "a" << true << QStringList{};
    QTest::newRow("NUL first, keeping spaces") << QString(nul) + "a" << false << QStringList{};
    QTest::newRow("NUL inside a cell, splitting")
        << "ab" + QString(nul) + "c,d" << true << QStringList{"ab"};
    QTest::newRow("NUL inside a cell, keeping spaces")
        << "a b" + QString(nul) + "c,d" << false << QStringList{"a b"};
    QTest::newRow("comma then NUL adds one empty cell")
        << "a," + QString(nul) + "b" << true << QStringList{"a", ""};
    QTest::newRow("NUL inside quotes is kept")
        << "\"a" + QString(nul) + "b\",c" << true << QStringList{"a" + QString(nul) + "b", "c"};
}

void tst_RowTextLimits::nulEndsTheRow()
{
    QFETCH(QString, text);
    QFETCH(bool, spaceSplits);
    QFETCH(QStringList, cells);
    QCOMPARE(RowText::read(text, spaceSplits), cells);
}

void tst_RowTextLimits::maxCells()
{
    const QString row = QStringLiteral("a,b,,\"c,d\",e,");
    QCOMPARE(RowText::read(row, true, 3), (QStringList{"a", "b", ""}));
    QCOMPARE(RowText::read(row, false, 4), (QStringList{"a", "b", "", "c,d"}));
    QCOMPARE(RowText::read(row, true, 6), (QStringList{"a", "b", "", "c,d", "e", ""}));
    QCOMPARE(RowText::read(row, true, 0), QStringList{});
    // A million commas are not split further than asked.
    QCOMPARE(RowText::read(QString(1000000, u','), true, 33).size(), 33);
}

void tst_RowTextLimits::lineSeparatorQuoted()
{
    const QStringList cells = {"行\u2028区切り", "x"};
    QCOMPARE(RowText::write(cells), QStringLiteral("\"行\u2028区切り\",x"));
    QCOMPARE(RowText::read(RowText::write(cells)), cells);
}

QTEST_GUILESS_MAIN(tst_RowTextLimits)
#include "tst_rowtextlimits.moc"
