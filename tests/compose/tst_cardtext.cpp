#include "compose/CardText.h"

#include <QTest>

namespace {
// Every character 6 px wide: the reference text measures exactly 120 px.
TextMeasure fixedMeasure(int perChar, double pointSize = 9.0)
{
    TextMeasure m;
    m.widthPx = [perChar](const QString& t) { return int(t.size()) * perChar; };
    m.fontPointSize = pointSize;
    m.dpi = 96;
    return m;
}
} // namespace

class tst_CardText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fullWidth_data();
    void fullWidth();
    void vertical_data();
    void vertical();
    void verticalIsStable();
    void postalCode_data();
    void postalCode();
    void spreadMeasured_data();
    void spreadMeasured();
};

void tst_CardText::fullWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digits and letters") << "09Az" << QString::fromUtf8("０９Ａｚ");
    QTest::newRow("space") << "a b" << QString::fromUtf8("ａ　ｂ");
    QTest::newRow("quotes") << "\"'`" << QString::fromUtf8("”’‘");
    QTest::newRow("backslash and tilde") << "\\~" << QString::fromUtf8("￥￣");
    QTest::newRow("symbols") << "!#-./@[]{|}" << QString::fromUtf8("！＃－．／＠［］｛｜｝");
    QTest::newRow("kana and kanji unchanged")
        << QString::fromUtf8("ｱイ山") << QString::fromUtf8("ｱイ山");
    QTest::newRow("control kept") << QString("a\tb") << QString::fromUtf8("ａ\tｂ");
    QTest::newRow("Latin-1 letters kept")
        << QString::fromUtf8("José Müller") << QString::fromUtf8("Ｊｏｓé　Ｍüｌｌｅｒ");
    QTest::newRow("Latin-1 symbols through the code page")
        << QString::fromUtf8("×±") << QString::fromUtf8("×±");
}

void tst_CardText::fullWidth()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ToFullWidth(text), expected);
}

void tst_CardText::vertical_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("nonUnicode");
    QTest::addColumn<QString>("expected");
    QTest::newRow("address numbers, box drawing")
        << "3-12-5" << true << QString::fromUtf8("三─一二─五");
    QTest::newRow("address numbers, light bar")
        << "3-12-5" << false << QString::fromUtf8("三❘一二❘五");
    QTest::newRow("full-width input")
        << QString::fromUtf8("１０－２") << true << QString::fromUtf8("一〇─二");
    QTest::newRow("letters") << "ABC" << true << QString::fromUtf8("ＡＢＣ");
    QTest::newRow("long vowel mark untouched")
        << QString::fromUtf8("ビール") << true << QString::fromUtf8("ビール");
    QTest::newRow("half-width space")
        << QString::fromUtf8("山田 様") << true << QString::fromUtf8("山田　様");
    QTest::newRow("empty") << "" << true << "";
    QTest::newRow("minus and hyphens")
        << QString::fromUtf8("1−2‐3‑4‒5–6") << true << QString::fromUtf8("一─二─三─四─五─六");
    QTest::newRow("half-width katakana, marks joined")
        << QString::fromUtf8("ｶﾞｰﾃﾞﾝﾊﾟﾚｽ ｳﾞｨ") << false
        << QString::fromUtf8("ガーデンパレス　ヴィ");
    QTest::newRow("marks that join nothing")
        << QString::fromUtf8("ｱﾞﾞｨﾟ｡") << false << QString::fromUtf8("ア゛゛ィ゜。");
}

void tst_CardText::vertical()
{
    QFETCH(QString, text);
    QFETCH(bool, nonUnicode);
    QFETCH(QString, expected);
    QCOMPARE(ToVerticalText(text, nonUnicode), expected);
}

void tst_CardText::verticalIsStable()
{
    const QString once =
        ToVerticalText(QString::fromUtf8("東京都1-2−3 ABC \"x\" ｶﾞｰﾃﾞﾝ José"), true);
    QCOMPARE(ToVerticalText(once, true), once);
}

void tst_CardText::postalCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("boxes");
    QTest::addColumn<bool>("hyphen");
    QTest::addColumn<QString>("part1");
    QTest::addColumn<QString>("part2");
    QTest::newRow("hyphen") << "123-4567" << false << false << "123"
                            << "4567";
    QTest::newRow("hyphen, boxes") << "123-4567" << true << false << "1 2 3"
                                   << "4 5 6 7";
    QTest::newRow("hyphen option") << "123-4567" << false << true << "123-"
                                   << "4567";
    QTest::newRow("no hyphen") << "1234567" << false << false << "123"
                               << "4567";
    QTest::newRow("no hyphen, boxes") << "1234567" << true << false << "1 2 3"
                                      << "4 5 6 7";
    QTest::newRow("short, never spread") << "12" << true << true << "12"
                                         << "";
    QTest::newRow("leading hyphen") << "-4567" << false << true << ""
                                    << "4567";
    QTest::newRow("empty") << "" << false << true << ""
                           << "";
    QTest::newRow("full width") << QString::fromUtf8("１２３－４５６７") << false << false << "123"
                                << "4567";
    QTest::newRow("typed with its mark and a break after")
        << QString::fromUtf8("〒 060-0001\n") << false << true << "060-"
        << "0001";
    QTest::newRow("long vowel mark for the hyphen, boxes")
        << QString::fromUtf8("060ー0001") << true << false << "0 6 0"
        << "0 0 0 1";
    QTest::newRow("ideographic space in boxes")
        << QString::fromUtf8("1　3-45") << true << false << "1   3"
        << "4 5";
}

void tst_CardText::postalCode()
{
    QFETCH(QString, code);
    QFETCH(bool, boxes);
    QFETCH(bool, hyphen);
    QFETCH(QString, part1);
    QFETCH(QString, part2);
    const PostalCodeParts p = SplitPostalCode(code, boxes, hyphen, 14.0, fixedMeasure(6));
    QCOMPARE(p.part1, part1);
    QCOMPARE(p.part2, part2);
}

void tst_CardText::spreadMeasured_data()
{
    QTest::addColumn<int>("perChar");
    QTest::addColumn<double>("fontSize");
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("expected");
    // 7 px per char: reference 140, limit 60 (1/10 mm). "1 2 3" = 35 px at 9 pt -> 93 -> too
    // long at 9 pt; at 4 pt 16 px -> 42 fits and each pair of spaces becomes one.
    QTest::newRow("too long keeps the part") << 7 << 9.0 << "123"
                                             << "123";
    QTest::newRow("fits") << 7 << 4.0 << "123"
                          << "1 2 3";
    QTest::newRow("fits, double spaces collapse")
        << 7 << 4.0 << QString::fromUtf8("1　3") << "1  3";
    QTest::newRow("too long keeps ideographic space")
        << 7 << 9.0 << QString::fromUtf8("1　3") << QString::fromUtf8("1　3");
}

void tst_CardText::spreadMeasured()
{
    QFETCH(int, perChar);
    QFETCH(double, fontSize);
    QFETCH(QString, part);
    QFETCH(QString, expected);
    QCOMPARE(SpreadDigits(part, fontSize, fixedMeasure(perChar)), expected);
}

QTEST_GUILESS_MAIN(tst_CardText)
#include "tst_cardtext.moc"
