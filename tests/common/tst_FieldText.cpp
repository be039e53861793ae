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
    void quotedFieldsReadBack();
    void longTextStaysLinear();
    void leadingFields_data();
    void leadingFields();
};

void tst_FieldText::nthField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("status");
    const int found = NthFieldResult::Found;
    const int none = NthFieldResult::NoSuchField;
    const int empty = NthFieldResult::EmptyText;

    QTest::newRow("blanks around a field are trimmed") << "a, b ,c" << 2 << "b" << found;
    QTest::newRow("last field") << "a, b ,c" << 3 << "c" << found;
    QTest::newRow("past the last field") << "a,b" << 3 << "" << none;
    QTest::newRow("quoted field holds a comma") << "\"x,y\",z" << 1 << "x,y" << found;
    QTest::newRow("field after a quoted one") << "\"x,y\",z" << 2 << "z" << found;
    QTest::newRow("single-quoted field holds a comma") << "'x,y',z" << 1 << "x,y" << found;
    QTest::newRow("no comma: whole text, unchanged") << " \"ab\" " << 1 << " \"ab\" " << found;
    QTest::newRow("no comma: n = 0 is the whole text") << "abc" << 0 << "abc" << found;
    QTest::newRow("no comma: no second field") << "abc" << 2 << "" << none;
    QTest::newRow("empty text") << "" << 1 << "" << empty;
    QTest::newRow("only a pair of single quotes") << "''" << 1 << "" << empty;
    QTest::newRow("a pair of double quotes is a text") << "\"\"" << 1 << "\"\"" << found;
    QTest::newRow("two commas give an empty field") << "a,,c" << 2 << "" << found;
    QTest::newRow("field after an empty one") << "a,,c" << 3 << "c" << found;
    QTest::newRow("trailing comma: no field after it") << "a,b," << 3 << "" << none;
    QTest::newRow("lone comma after double quotes stays a field") << "\"a\"," << 2 << "" << found;
    QTest::newRow("lone comma after single quotes is consumed") << "'a'," << 2 << "" << none;
    QTest::newRow("doubled quotes end the field") << "\"a\"\"b\",c" << 1 << "a" << found;
    QTest::newRow("doubled quotes: next field") << "\"a\"\"b\",c" << 2 << "b" << found;
    QTest::newRow("unclosed quote gives an empty field") << "a,\"b,c,d" << 2 << "" << found;
    QTest::newRow("unclosed quote empties later fields") << "a,\"b,c,d" << 4 << "" << found;
    QTest::newRow("last field loses its quotes") << "a,\"'q'\"" << 2 << "q" << found;
    QTest::newRow("blanks inside quotes are trimmed") << "\" q \",x" << 1 << "q" << found;
    QTest::newRow("single quotes end at the next one") << "'it''s',x" << 2 << "s" << found;
    QTest::newRow("quoted single character as last field keeps its quotes")
        << "x,\"y\"" << 2 << "\"y\"" << found;
    QTest::newRow("quoted single character as first field loses them")
        << "\"y\",x" << 1 << "y" << found;
    QTest::newRow("n = 0 with commas finds nothing") << "a,\"b,c" << 0 << "" << none;
    QTest::newRow("ideographic space is not blank") << QString::fromUtf8("a,\u3000b\u3000,c") << 2
                                                    << QString::fromUtf8("\u3000b\u3000") << found;
    // 0x5C is the second byte of 表 and ソ: the search must not see it as anything.
    QTest::newRow("double-byte field with 0x5C bytes")
        << QString::fromUtf8("表示,ソフト,能力") << 2 << QString::fromUtf8("ソフト") << found;
    QTest::newRow("full-width comma does not split")
        << QString::fromUtf8("山田、太郎,x") << 1 << QString::fromUtf8("山田、太郎") << found;
    QTest::newRow("font name with a space")
        << QString::fromUtf8("ＭＳ 明朝,10.0,800") << 1 << QString::fromUtf8("ＭＳ 明朝") << found;
}

void tst_FieldText::nthField()
{
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, field);
    QFETCH(int, status);
    const NthFieldResult got = NthField(cp932::fromUnicode(text), n);
    QCOMPARE(cp932::toUnicode(got.field), field);
    QCOMPARE(got.status, status);
}

void tst_FieldText::stripFieldQuotes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("double quotes") << "\"abc\""
                                   << "abc";
    QTest::newRow("double then single quotes") << "\"'abc'\""
                                               << "abc";
    QTest::newRow("single quotes alone") << "'abc'"
                                         << "abc";
    QTest::newRow("only one pair of double quotes") << "\"\"abc\"\""
                                                    << "\"abc\"";
    QTest::newRow("quoted single character keeps its quotes") << "\"a\""
                                                              << "\"a\"";
    QTest::newRow("quoted double-byte character is two bytes")
        << QString::fromUtf8("\"漢\"") << QString::fromUtf8("漢");
    QTest::newRow("empty quotes stay") << "\"\""
                                       << "\"\"";
    QTest::newRow("quoted empty single quotes") << "\"''\""
                                                << "";
    QTest::newRow("unbalanced quote stays") << "\"abc"
                                            << "\"abc";
    QTest::newRow("blanks are not trimmed") << " \"abc\""
                                            << " \"abc\"";
}

void tst_FieldText::stripFieldQuotes()
{
    QFETCH(QString, text);
    QFETCH(QString, stripped);
    QCOMPARE(cp932::toUnicode(StripFieldQuotes(cp932::fromUnicode(text))), stripped);
}

void tst_FieldText::fieldCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("blanks only") << " \t " << 0;
    QTest::newRow("one field without comma") << "a" << 0;
    QTest::newRow("three fields") << "a,b,c" << 2;
    QTest::newRow("three fields each ended by a comma") << "a,b,c," << 3;
    QTest::newRow("empty middle field") << "a,,c" << 2;
    QTest::newRow("quoted comma is inside a field") << "\"a,b\",c," << 2;
    QTest::newRow("unclosed quote ends") << "a,\"b,c" << 2;
    QTest::newRow("two fields count one") << "a,b" << 1;
    QTest::newRow("one field ended by a comma") << "a," << 1;
    QTest::newRow("doubled quotes give more fields than commas") << "\"a\"\"b\",c" << 2;
    QTest::newRow("empty single quotes count minus one") << "''" << -1;
    QTest::newRow("unclosed single quote") << "';a\",\"" << 1;
}

void tst_FieldText::fieldCount()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QCOMPARE(FieldCount(cp932::fromUnicode(text)), count);
}

void tst_FieldText::quoteField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("empty is a quoted space") << ""
                                             << "\" \"";
    QTest::newRow("plain text unchanged") << "abc"
                                          << "abc";
    QTest::newRow("space") << "a b"
                           << "\"a b\"";
    QTest::newRow("comma") << "a,b"
                           << "\"a,b\"";
    QTest::newRow("tab") << "a\tb"
                         << "\"a\tb\"";
    QTest::newRow("single quote") << "it's"
                                  << "\"it's\"";
    QTest::newRow("double quote before a space") << "a\"b c"
                                                 << "'a\"b c'";
    QTest::newRow("double quote after a space") << "a b\"c"
                                                << "\"a b\"c\"";
    QTest::newRow("ideographic space needs no quotes")
        << QString::fromUtf8("山田\u3000太郎") << QString::fromUtf8("山田\u3000太郎");
}

void tst_FieldText::quoteField()
{
    QFETCH(QString, text);
    QFETCH(QString, quoted);
    QCOMPARE(QuoteField(text), quoted);
}

void tst_FieldText::quotedFieldsReadBack()
{
    // What QuoteField writes, NthField reads back (the record edit relies on it).
    const QStringList cells = {QString::fromUtf8("東京都 千代田区"), "a,b", "x\"y z", "plain"};
    QString row;
    for (const QString& c : cells)
        row += QuoteField(c) + u',';
    for (qsizetype i = 0; i < cells.size(); ++i)
        QCOMPARE(cp932::toUnicode(NthField(cp932::fromUnicode(row), int(i) + 1).field), cells[i]);
}

void tst_FieldText::longTextStaysLinear()
{
    // The header line of a large garbage file: many fields, one unclosed quote near the end.
    QByteArray text;
    for (int i = 0; i < 200000; ++i)
        text += "ab,";
    text += "\"unclosed,x";
    QCOMPARE(NthField(text, 200000).field, QByteArray("ab"));
    QCOMPARE(NthField(text, 200001).status, int(NthFieldResult::Found));
    QCOMPARE(NthField(text, 2000000).field, QByteArray());
    QCOMPARE(FieldCount(text), 200001);
}

// The header of a list is read in one pass: the fields must be those NthField gives one by one.
void tst_FieldText::leadingFields_data()
{
    nthField_data();
    QTest::newRow("unclosed quote after three fields") << "a,b,c,\"d,e" << 0 << "" << 0;
    QTest::newRow("blank last field") << "a,b, " << 0 << "" << 0;
}

void tst_FieldText::leadingFields()
{
    QFETCH(QString, text);
    const QByteArray bytes = cp932::fromUnicode(text);
    const QList<QByteArray> fields = LeadingFields(bytes, 100);
    for (int n = 1; n <= fields.size(); ++n) {
        const NthFieldResult one = NthField(bytes, n);
        QCOMPARE(one.status, int(NthFieldResult::Found));
        QCOMPARE(fields[n - 1], one.field);
    }
    // Past them NthField finds nothing, or the empty fields after an unclosed quote.
    const NthFieldResult next = NthField(bytes, int(fields.size()) + 1);
    QVERIFY(next.status != NthFieldResult::Found || next.field.isEmpty());
    QCOMPARE(NthField(bytes, 100).field, QByteArray());
    if (!fields.isEmpty())
        QCOMPARE(LeadingFields(bytes, 1), fields.first(1));
}

QTEST_GUILESS_MAIN(tst_FieldText)
#include "tst_FieldText.moc"
