#include "typeset/TextUnits.h"

#include <QTest>

class tst_TextUnits : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void units_data();
    void units();
    void unitAt_data();
    void unitAt();
    void halfWidth_data();
    void halfWidth();
};

using Positions = QList<qsizetype>;

void tst_TextUnits::units_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("units");
    QTest::addColumn<Positions>("positions");
    QTest::newRow("empty") << QString() << QStringList{} << Positions{};
    QTest::newRow("one code unit each")
        << QStringLiteral(u"山田 A") << QStringList{u"山"_qs, u"田"_qs, u" "_qs, u"A"_qs}
        << Positions{0, 1, 2, 3};
    QTest::newRow("surrogate pair is one unit")
        << QStringLiteral(u"𠮷野家") << QStringList{u"𠮷"_qs, u"野"_qs, u"家"_qs}
        << Positions{0, 2, 3};
    QTest::newRow("lone high surrogate at the end stands alone")
        << (u"a"_qs + QChar(0xD842)) << QStringList{u"a"_qs, QString(QChar(0xD842))}
        << Positions{0, 1};
    QTest::newRow("low surrogate before a high one is not a pair")
        << (QString(QChar(0xDFB7)) + QChar(0xD842))
        << QStringList{QString(QChar(0xDFB7)), QString(QChar(0xD842))} << Positions{0, 1};
}

void tst_TextUnits::units()
{
    QFETCH(QString, text);
    QFETCH(QStringList, units);
    QFETCH(Positions, positions);
    const TextUnits split(text);
    QCOMPARE(split.count(), units.size());
    QCOMPARE(split.isEmpty(), units.isEmpty());
    for (int i = 0; i < split.count(); ++i) {
        QCOMPARE(split.at(i).toString(), units.at(i));
        QCOMPARE(split.position(i), positions.at(i));
    }
}

void tst_TextUnits::unitAt_data()
{
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<int>("unit");
    // "a𠮷b": units a (0), 𠮷 (1-2), b (3)
    QTest::newRow("start") << qsizetype(0) << 0;
    QTest::newRow("high surrogate") << qsizetype(1) << 1;
    QTest::newRow("inside the pair") << qsizetype(2) << 1;
    QTest::newRow("after the pair") << qsizetype(3) << 2;
    QTest::newRow("end of text") << qsizetype(4) << 3;
    QTest::newRow("past the end") << qsizetype(9) << 3;
}

void tst_TextUnits::unitAt()
{
    QFETCH(qsizetype, position);
    QFETCH(int, unit);
    QCOMPARE(TextUnits(QStringLiteral(u"a𠮷b")).unitAt(position), unit);
}

void tst_TextUnits::halfWidth_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("halfWidth");
    QTest::newRow("ASCII letter") << u"A"_qs << true;
    QTest::newRow("last Latin-1 character") << u"ÿ"_qs << true;
    QTest::newRow("first code point above Latin-1") << u"Ā"_qs << false;
    QTest::newRow("half-width katakana first") << u"｡"_qs << true;
    QTest::newRow("half-width katakana last") << u"ﾟ"_qs << true;
    QTest::newRow("just below the half-width katakana") << u"｠"_qs << false;
    QTest::newRow("half-width hangul is not") << u"ﾠ"_qs << false;
    QTest::newRow("full-width letter") << u"Ａ"_qs << false;
    QTest::newRow("character outside the BMP") << u"𠮷"_qs << false;
}

void tst_TextUnits::halfWidth()
{
    QFETCH(QString, unit);
    QFETCH(bool, halfWidth);
    QCOMPARE(TextUnits::isHalfWidth(unit), halfWidth);
}

QTEST_APPLESS_MAIN(tst_TextUnits)
#include "tst_TextUnits.moc"
