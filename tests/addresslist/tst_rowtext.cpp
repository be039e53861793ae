#include "addresslist/RowText.h"

#include <QTest>

class tst_RowText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void write_data();
    void write();
    void read_data();
    void read();
    void roundTrip_data();
    void roundTrip();
};

void tst_RowText::write_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QStringList{"a", "b"} << "a,b";
    QTest::newRow("space quoted") << QStringList{"a b", "c"} << "\"a b\",c";
    QTest::newRow("comma quoted") << QStringList{"a,b"} << "\"a,b\"";
    QTest::newRow("quote doubled") << QStringList{"say \"hi\""} << "\"say \"\"hi\"\"\"";
    QTest::newRow("tab quoted") << QStringList{"a\tb"} << "\"a\tb\"";
    QTest::newRow("single space quoted") << QStringList{" ", "x", " "} << "\" \",x,\" \"";
    QTest::newRow("empty cells are nothing") << QStringList{"", "x", ""} << ",x,";
    QTest::newRow("one empty cell") << QStringList{""} << "\"\"";
    QTest::newRow("ideographic space not quoted")
        << QStringList{QString::fromUtf8("山田　太郎")} << QString::fromUtf8("山田　太郎");
    QTest::newRow("no cells") << QStringList{} << "";
}

void tst_RowText::write()
{
    QFETCH(QStringList, cells);
    QFETCH(QString, text);
    QCOMPARE(RowText::write(cells), text);
}

void tst_RowText::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("spaceSplits");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("plain") << "a,b,c" << true << QStringList{"a", "b", "c"};
    QTest::newRow("unquoted space splits") << "a b,c" << true << QStringList{"a", "b", "c"};
    QTest::newRow("unquoted space kept when asked") << "a b,c" << false << QStringList{"a b", "c"};
    QTest::newRow("blanks around cells dropped") << "  a  ,\tb " << false << QStringList{"a", "b"};
    QTest::newRow("quoted comma") << "\"a,b\",c" << true << QStringList{"a,b", "c"};
    QTest::newRow("doubled quote") << "\"x\"\"y\"" << true << QStringList{"x\"y"};
    QTest::newRow("two commas give an empty cell") << "a,,b" << true << QStringList{"a", "", "b"};
    QTest::newRow("trailing comma adds one cell") << "a," << true << QStringList{"a", ""};
    QTest::newRow("comma then blank at end adds nothing") << "a, " << true << QStringList{"a"};
    QTest::newRow("leading comma") << ",a" << true << QStringList{"", "a"};
    QTest::newRow("quoted single space") << "\" \",x" << true << QStringList{" ", "x"};
    QTest::newRow("only blanks") << "   " << true << QStringList{};
    QTest::newRow("unclosed quote runs to the end") << "\"abc,d" << true << QStringList{"abc,d"};
    QTest::newRow("text after a closing quote is a new cell")
        << "\"ab\"cd,e" << true << QStringList{"ab", "cd", "e"};
    QTest::newRow("ideographic space does not split")
        << QString::fromUtf8("山田　太郎,x") << true
        << QStringList{QString::fromUtf8("山田　太郎"), "x"};
}

void tst_RowText::read()
{
    QFETCH(QString, text);
    QFETCH(bool, spaceSplits);
    QFETCH(QStringList, cells);
    QCOMPARE(RowText::read(text, spaceSplits), cells);
}

void tst_RowText::roundTrip_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("mixed") << QStringList{"1", " ", "a b", "\"q\"", "x,y", "", "end"};
    QTest::newRow("all empty") << QStringList{"", "", ""};
    QTest::newRow("one empty") << QStringList{""};
    QTest::newRow("japanese") << QStringList{QString::fromUtf8("宛先"), QString::fromUtf8("〒100")};
    QTest::newRow("control characters") << QStringList{QString("a\nb"), QString("\r")};
}

void tst_RowText::roundTrip()
{
    QFETCH(QStringList, cells);
    QCOMPARE(RowText::read(RowText::write(cells)), cells);
}

QTEST_GUILESS_MAIN(tst_RowText)
#include "tst_rowtext.moc"
