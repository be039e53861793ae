#include "common/FieldText.h"
#include "common/cp932.h"

#include <QTest>

class tst_FieldText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nthField_data();
    void nthField();
    void stripFieldQuotes_data();
    void stripFieldQuotes();
    void fieldCount_data();
    void fieldCount();
    void quoteField_data();
    void quoteField();
    void longTextStaysLinear();
};

void tst_FieldText::nthField_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("status");

    const int found = NthFieldResult::Found;
    const int none = NthFieldResult::NoSuchField;
    const int empty = NthFieldResult::EmptyText;
    QTest::newRow("blanks around a field dropped")
        << QByteArray("a, b ,c") << 2 << QByteArray("b") << found;
    QTest::newRow("quoted comma, first")
        << QByteArray("\"x,y\",z") << 1 << QByteArray("x,y") << found;
    QTest::newRow("quoted comma, second")
        << QByteArray("\"x,y\",z") << 2 << QByteArray("z") << found;
    QTest::newRow("blanks inside quotes trimmed")
        << QByteArray("\" q \",x") << 1 << QByteArray("q") << found;
    QTest::newRow("no comma, first is the whole text")
        << QByteArray(" abc ") << 1 << QByteArray(" abc ") << found;
    QTest::newRow("no comma, second missing") << QByteArray("abc") << 2 << QByteArray("") << none;
    QTest::newRow("empty text") << QByteArray("") << 1 << QByteArray("") << empty;
    QTest::newRow("empty single quotes") << QByteArray("''") << 1 << QByteArray("") << empty;
    QTest::newRow("two double quotes keep them")
        << QByteArray("\"\"") << 1 << QByteArray("\"\"") << found;
    QTest::newRow("past the last field") << QByteArray("a,b") << 3 << QByteArray("") << none;
    QTest::newRow("last field") << QByteArray("a,b") << 2 << QByteArray("b") << found;
    QTest::newRow("after a trailing comma") << QByteArray("a,b,") << 3 << QByteArray("") << none;
    QTest::newRow("two commas give an empty field")
        << QByteArray("a,,c") << 2 << QByteArray("") << found;
    QTest::newRow("field after the empty one")
        << QByteArray("a,,c") << 3 << QByteArray("c") << found;
    QTest::newRow("doubled quotes end the field")
        << QByteArray("\"a\"\"b\",c") << 2 << QByteArray("b") << found;
    QTest::newRow("field after doubled quotes")
        << QByteArray("\"a\"\"b\",c") << 3 << QByteArray("c") << found;
    QTest::newRow("single quotes") << QByteArray("'it''s',x") << 2 << QByteArray("s") << found;
    QTest::newRow("lone comma after double quotes is a field")
        << QByteArray("\"a\",") << 2 << QByteArray("") << found;
    QTest::newRow("lone comma after single quotes is dropped")
        << QByteArray("'a',") << 2 << QByteArray("") << none;
    QTest::newRow("unclosed quote, its field")
        << QByteArray("a,\"b,c") << 2 << QByteArray("") << found;
    QTest::newRow("unclosed quote, every later field")
        << QByteArray("a,\"b,c") << 9 << QByteArray("") << found;
    QTest::newRow("quoted last field")
        << QByteArray("x,\"y z\"") << 2 << QByteArray("y z") << found;
    QTest::newRow("quoted single character as last field keeps quotes")
        << QByteArray("x,\"y\"") << 2 << QByteArray("\"y\"") << found;
    QTest::newRow("quoted single character as first field")
        << QByteArray("\"y\",x") << 1 << QByteArray("y") << found;
    QTest::newRow("double then single quotes stripped")
        << QByteArray("x,\"'y'\"") << 2 << QByteArray("y") << found;
    QTest::newRow("zero asks for nothing") << QByteArray("a,b") << 0 << QByteArray("") << none;
    QTest::newRow("code page 932 field with a bar")
        << cp932::fromUnicode(u"\"\",宛先|メモ,郵便番号") << 2 << cp932::fromUnicode(u"宛先|メモ")
        << found;
    QTest::newRow("code page 932 ideographic space kept")
        << cp932::fromUnicode(u"a,　山田　,b") << 2 << cp932::fromUnicode(u"　山田　") << found;
}

void tst_FieldText::nthField()
{
    QFETCH(QByteArray, text);
    QFETCH(int, n);
    QFETCH(QByteArray, field);
    QFETCH(int, status);
    const NthFieldResult result = NthField(text, n);
    QCOMPARE(result.field, field);
    QCOMPARE(result.status, status);
}

void tst_FieldText::stripFieldQuotes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("stripped");
    QTest::newRow("double quotes") << QByteArray("\"ab\"") << QByteArray("ab");
    QTest::newRow("single quotes") << QByteArray("'ab'") << QByteArray("ab");
    QTest::newRow("single inside double") << QByteArray("\"'ab'\"") << QByteArray("ab");
    QTest::newRow("one quoted character kept") << QByteArray("\"a\"") << QByteArray("\"a\"");
    QTest::newRow("two double quotes kept") << QByteArray("\"\"") << QByteArray("\"\"");
    QTest::newRow("two single quotes inside double") << QByteArray("\"''\"") << QByteArray("");
    QTest::newRow("unbalanced") << QByteArray("\"ab") << QByteArray("\"ab");
    QTest::newRow("single quote alone") << QByteArray("'") << QByteArray("'");
    QTest::newRow("only one pair of doubles") << QByteArray("\"\"a\"\"") << QByteArray("\"a\"");
}

void tst_FieldText::stripFieldQuotes()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, stripped);
    QCOMPARE(StripFieldQuotes(text), stripped);
}

void tst_FieldText::fieldCount_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("blanks") << QByteArray("  \t ") << 0;
    QTest::newRow("one field") << QByteArray("a") << 0;
    QTest::newRow("one field and a comma") << QByteArray("a,") << 1;
    QTest::newRow("two fields") << QByteArray("a,b") << 1;
    QTest::newRow("two fields and a comma") << QByteArray("a,b,") << 2;
    QTest::newRow("three fields") << QByteArray("a,b,c") << 2;
    QTest::newRow("quoted comma") << QByteArray("\"a,b\",c") << 1;
    QTest::newRow("doubled quotes give more fields than commas") << QByteArray("\"a\"\"b\",c") << 2;
    QTest::newRow("empty quotes") << QByteArray("''") << -1;
    QTest::newRow("unclosed quote ends the count") << QByteArray("a,\"b,c") << 1;
}

void tst_FieldText::fieldCount()
{
    QFETCH(QByteArray, text);
    QFETCH(int, count);
    QCOMPARE(FieldCount(text), count);
}

void tst_FieldText::quoteField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("empty") << ""
                           << "\" \"";
    QTest::newRow("plain") << "abc"
                           << "abc";
    QTest::newRow("space") << "a b"
                           << "\"a b\"";
    QTest::newRow("comma") << "a,b"
                           << "\"a,b\"";
    QTest::newRow("tab") << "a\tb"
                         << "\"a\tb\"";
    QTest::newRow("single quote") << "it's"
                                  << "\"it's\"";
    QTest::newRow("double quote first") << "x\"y z"
                                        << "'x\"y z'";
    QTest::newRow("space before the double quote") << "say \"hi\""
                                                   << "\"say \"hi\"\"";
    QTest::newRow("ideographic space")
        << QString::fromUtf8("山田　太郎") << QString::fromUtf8("山田　太郎");
}

void tst_FieldText::quoteField()
{
    QFETCH(QString, text);
    QFETCH(QString, quoted);
    QCOMPARE(QuoteField(text), quoted);
}

void tst_FieldText::longTextStaysLinear()
{
    // A header line of a large garbage file: many fields, one unclosed quote near the end.
    QByteArray text;
    for (int i = 0; i < 200000; ++i)
        text += "ab,";
    text += "\"unclosed,x";
    QCOMPARE(NthField(text, 200000).field, QByteArray("ab"));
    QCOMPARE(NthField(text, 200001).status, int(NthFieldResult::Found));
    QCOMPARE(NthField(text, 2000000).field, QByteArray());
    QCOMPARE(FieldCount(text), 200000);
}

QTEST_GUILESS_MAIN(tst_FieldText)
#include "tst_fieldtext.moc"
