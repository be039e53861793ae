#include "common/cp932.h"

#include <QTest>

class tst_cp932 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void lookAlikes_data();
    void lookAlikes();
    void unmapped();
    void otherCodePages_data();
    void otherCodePages();
};

void tst_cp932::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("backslash is 0x5C") << QByteArray("\x5C") << QString(QChar(0x005C));
    QTest::newRow("tilde is 0x7E") << QByteArray("\x7E") << QString(QChar(0x007E));
    QTest::newRow("fullwidth reverse solidus") << QByteArray("\x81\x5F") << QString(QChar(0xFF3C));
    QTest::newRow("fullwidth tilde") << QByteArray("\x81\x60") << QString(QChar(0xFF5E));
    QTest::newRow("parallel to") << QByteArray("\x81\x61") << QString(QChar(0x2225));
    QTest::newRow("fullwidth hyphen-minus") << QByteArray("\x81\x7C") << QString(QChar(0xFF0D));
    QTest::newRow("fullwidth not sign") << QByteArray("\x81\xCA") << QString(QChar(0xFFE2));
    QTest::newRow("NEC row 13 circled one") << QByteArray("\x87\x40") << QString(QChar(0x2460));
    QTest::newRow("IBM extension small roman one")
        << QByteArray("\xFA\x40") << QString(QChar(0x2170));
    QTest::newRow("halfwidth katakana") << QByteArray("\xB1") << QString(QChar(0xFF71));
    QTest::newRow("kanji and ascii") << QByteArray("\x88\xB6\x90\xE6"
                                                   "A1")
                                     << QString::fromUtf8("宛先A1");
    QTest::newRow("ideographic space") << QByteArray("\x81\x40") << QString(QChar(0x3000));
}

void tst_cp932::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(cp932::toUnicode(bytes), text);
    QCOMPARE(cp932::fromUnicode(text), bytes);
}

void tst_cp932::lookAlikes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("wave dash") << QString(QChar(0x301C)) << QByteArray("\x81\x60");
    QTest::newRow("em dash") << QString(QChar(0x2014)) << QByteArray("\x81\x5C");
    QTest::newRow("double vertical line") << QString(QChar(0x2016)) << QByteArray("\x81\x61");
    QTest::newRow("minus sign") << QString(QChar(0x2212)) << QByteArray("\x81\x7C");
    QTest::newRow("cent sign") << QString(QChar(0x00A2)) << QByteArray("\x81\x91");
    QTest::newRow("pound sign") << QString(QChar(0x00A3)) << QByteArray("\x81\x92");
    QTest::newRow("not sign") << QString(QChar(0x00AC)) << QByteArray("\x81\xCA");
}

void tst_cp932::lookAlikes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(cp932::fromUnicode(text), bytes);
}

void tst_cp932::unmapped()
{
    // No code in code page 932: one "?" each, never 0xFCFC or a best fit.
    QCOMPARE(cp932::fromUnicode(QString::fromUtf8("a\u00E9b")), QByteArray("a?b"));
    QCOMPARE(cp932::fromUnicode(QString::fromUtf8("\u4E02")), QByteArray("?"));
    QCOMPARE(cp932::byteLength(QString::fromUtf8("山田a")), 5);
}

void tst_cp932::otherCodePages_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("1252 e acute") << 1252 << QByteArray("caf\xE9") << QString::fromUtf8("café");
    QTest::newRow("1252 euro") << 1252 << QByteArray("\x80") << QString::fromUtf8("€");
    QTest::newRow("1251 cyrillic") << 1251 << QByteArray("\xC0") << QString::fromUtf8("А");
    QTest::newRow("932") << 932 << QByteArray("\x88\xB6") << QString::fromUtf8("宛");
    QTest::newRow("unknown falls back to 932")
        << 4242 << QByteArray("\x88\xB6") << QString::fromUtf8("宛");
}

void tst_cp932::otherCodePages()
{
    QFETCH(int, codePage);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(cp932::decodeCodePage(bytes, codePage), text);
}

QTEST_GUILESS_MAIN(tst_cp932)
#include "tst_cp932.moc"
