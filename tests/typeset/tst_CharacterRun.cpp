#include "typeset/CharacterRun.h"

#include <QTest>

class tst_CharacterRun : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void arithmetic_data();
    void arithmetic();
    void spreadEndsAtSpreadLength_data();
    void spreadEndsAtSpreadLength();
    void squeezedEndsNearBoxLength_data();
    void squeezedEndsNearBoxLength();
    void storedModeNumbers();
    void narrowedGlyphs_data();
    void narrowedGlyphs();
};

using Ints = QList<int>;

void tst_CharacterRun::arithmetic_data()
{
    QTest::addColumn<Ints>("advances");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("spread");
    QTest::addColumn<int>("mode");
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("gap");
    QTest::addColumn<int>("remainder");
    QTest::addColumn<Ints>("boundaries");
    QTest::addColumn<int>("advanceSum");
    QTest::addColumn<int>("end");

    const Ints five12{12, 12, 12, 12, 12}; // W = 60 in a box of 141
    QTest::newRow("left, natural size from the start")
        << five12 << 141 << 0 << 0 << 1.0f << 0 << 0 << Ints{0, 12, 24, 36, 48, 60} << 60 << 60;
    QTest::newRow("centre, offset (L - M) div 2")
        << five12 << 141 << 0 << 1 << 1.0f << 0 << 0 << Ints{40, 52, 64, 76, 88, 100} << 60 << 100;
    QTest::newRow("right, offset L - M") << five12 << 141 << 0 << 2 << 1.0f << 0 << 0
                                         << Ints{81, 93, 105, 117, 129, 141} << 60 << 141;
    QTest::newRow("justify over L, first gap one pixel wider")
        << five12 << 141 << 0 << 3 << 1.0f << 20 << 1 << Ints{0, 33, 65, 97, 129, 161} << 60 << 141;
    QTest::newRow("justify, one character stays at the start")
        << Ints{12} << 141 << 0 << 3 << 1.0f << 0 << 0 << Ints{0, 12} << 12 << 12;
    QTest::newRow("spread over G")
        << five12 << 141 << 96 << 4 << 1.0f << 9 << 0 << Ints{0, 21, 42, 63, 84, 105} << 60 << 96;
    QTest::newRow("spread over G, first r gaps one pixel wider")
        << Ints{30, 30, 30, 30} << 200 << 130 << 4 << 1.0f << 3 << 1 << Ints{0, 34, 67, 100, 133}
        << 120 << 130;
    QTest::newRow("spread, G below 16 spreads over L")
        << five12 << 141 << 6 << 4 << 1.0f << 20 << 1 << Ints{0, 33, 65, 97, 129, 161} << 60 << 141;
    QTest::newRow("spread, unset G (0) spreads over L")
        << five12 << 141 << 0 << 4 << 1.0f << 20 << 1 << Ints{0, 33, 65, 97, 129, 161} << 60 << 141;
    QTest::newRow("spread, G of exactly 16 is kept")
        << Ints{4, 4} << 100 << 16 << 4 << 1.0f << 8 << 0 << Ints{0, 12, 24} << 8 << 16;
    QTest::newRow("spread, G past L spreads over L") << Ints{30, 30, 30} << 100 << 300 << 4 << 1.0f
                                                     << 5 << 0 << Ints{0, 35, 70, 105} << 90 << 100;
    QTest::newRow("spread, text as long as G: no gaps")
        << Ints{30, 30, 30} << 100 << 90 << 4 << 1.0f << 0 << 0 << Ints{0, 30, 60, 90} << 90 << 90;
    QTest::newRow("spread, past G but not past L: natural size")
        << Ints{30, 30, 30, 30} << 150 << 100 << 4 << 1.0f << 0 << 0 << Ints{0, 30, 60, 90, 120}
        << 120 << 120;
    QTest::newRow("spread, past L: squeezed to L") << Ints{30, 30, 30, 30} << 60 << 50 << 4 << 0.5f
                                                   << 0 << 0 << Ints{0, 15, 30, 45, 60} << 60 << 60;
    QTest::newRow("spread, one character at natural size at the start")
        << Ints{40} << 200 << 100 << 4 << 1.0f << 0 << 0 << Ints{0, 40} << 40 << 40;
    QTest::newRow("left, twice as long as L: every advance halved")
        << Ints{12, 12, 12, 12, 12, 12, 12, 12, 12, 12} << 60 << 0 << 0 << 0.5f << 0 << 0
        << Ints{0, 6, 12, 18, 24, 30, 36, 42, 48, 54, 60} << 60 << 60;
    // 2.5 becomes 3: a squeezed run may end a pixel or so past L.
    QTest::newRow("squeezed steps round halves away from zero")
        << Ints{5, 5} << 5 << 0 << 0 << 0.5f << 0 << 0 << Ints{0, 3, 6} << 6 << 6;
    // s = 70 / 100 held in single precision is just below 0.7, so 5 x s and 95 x s fall
    // below 3.5 and 66.5.
    QTest::newRow("squeeze scale is single precision")
        << Ints{5, 95} << 70 << 0 << 0 << 0.7f << 0 << 0 << Ints{0, 3, 69} << 69 << 69;
    QTest::newRow("box of length 0: nothing along the line")
        << Ints{10, 10} << 0 << 0 << 0 << 0.0f << 0 << 0 << Ints{0, 0, 0} << 0 << 0;
    QTest::newRow("negative box length counts as 0")
        << Ints{10} << -5 << 0 << 4 << 0.0f << 0 << 0 << Ints{0, 0} << 0 << 0;
    QTest::newRow("empty run") << Ints{} << 50 << 0 << 0 << 1.0f << 0 << 0 << Ints{0} << 0 << 0;
}

void tst_CharacterRun::arithmetic()
{
    QFETCH(Ints, advances);
    QFETCH(int, box);
    QFETCH(int, spread);
    QFETCH(int, mode);
    QFETCH(float, scale);
    QFETCH(int, gap);
    QFETCH(int, remainder);
    QFETCH(Ints, boundaries);
    QFETCH(int, advanceSum);
    QFETCH(int, end);

    const CharacterRun run(advances, box, spread, alignModeFromInt(mode));
    QCOMPARE(run.count(), advances.size());
    QCOMPARE(run.scale(), scale);
    QCOMPARE(run.isSqueezed(), scale < 1.0f);
    QCOMPARE(run.offset(), boundaries.front());
    QCOMPARE(run.gap(), gap);
    QCOMPARE(run.remainder(), remainder);
    QCOMPARE(run.boundaries(), boundaries);
    QCOMPARE(run.advanceSum(), advanceSum);
    QCOMPARE(run.end(), end);
}

// Whatever the advances, a spread run's last character ends exactly at G.
void tst_CharacterRun::spreadEndsAtSpreadLength_data()
{
    QTest::addColumn<Ints>("advances");
    QTest::addColumn<int>("spread");
    QTest::newRow("two") << Ints{50, 50} << 101;
    QTest::newRow("name with spaces") << Ints{50, 50, 50, 50, 50, 50, 50} << 999;
    QTest::newRow("mixed widths, remainder 5") << Ints{50, 25, 50, 25, 50, 25, 50} << 500;
    QTest::newRow("remainder one short of the gaps") << Ints{10, 10, 10, 10} << 52;
}

void tst_CharacterRun::spreadEndsAtSpreadLength()
{
    QFETCH(Ints, advances);
    QFETCH(int, spread);
    const CharacterRun run(advances, 1000, spread, AlignMode::alJustifyEx);
    QCOMPARE(run.end(), spread);
    QCOMPARE(run.spreadLength(), spread);
    // Gaps differ by at most one pixel, the wider ones first.
    for (int i = 1; i < run.count(); ++i) {
        const int gapBefore = run.boundary(i) - run.boundary(i - 1) - run.step(i - 1);
        QCOMPARE(gapBefore, run.gap() + (i <= run.remainder() ? 1 : 0));
    }
}

// Rounding each squeezed step may move the end by half a pixel per unit, never more.
void tst_CharacterRun::squeezedEndsNearBoxLength_data()
{
    QTest::addColumn<Ints>("advances");
    QTest::addColumn<int>("box");
    QTest::newRow("address line") << Ints{83, 83, 83, 83, 83, 83, 83, 83, 83, 83, 42, 42} << 700;
    QTest::newRow("odd widths") << Ints{37, 41, 43, 47, 53, 59, 61} << 97;
    QTest::newRow("one long character") << Ints{1000} << 333;
}

void tst_CharacterRun::squeezedEndsNearBoxLength()
{
    QFETCH(Ints, advances);
    QFETCH(int, box);
    for (int mode = 0; mode <= 4; ++mode) {
        const CharacterRun run(advances, box, 0, alignModeFromInt(mode));
        QVERIFY(run.isSqueezed());
        QCOMPARE(run.offset(), 0);
        QVERIFY2(qAbs(run.end() - box) * 2 <= run.count(), qPrintable(QString::number(mode)));
        QCOMPARE(run.end(), run.advanceSum());
    }
}

void tst_CharacterRun::storedModeNumbers()
{
    QCOMPARE(alignModeFromInt(0), AlignMode::alLeft);
    QCOMPARE(alignModeFromInt(4), AlignMode::alJustifyEx);
    QCOMPARE(alignModeFromInt(5), AlignMode::alLeft);
    QCOMPARE(alignModeFromInt(-1), AlignMode::alLeft);
}

// A squeezed run's glyphs are drawn with a font whose average width is |average x s|:
// rounded on screen and in a printed line, truncated in a printed column. Placement is the
// same under both rules.
void tst_CharacterRun::narrowedGlyphs_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<bool>("screen");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("width");

    // 13 units of 12 in a box of 80 or 92, average width 7: 7 x s is 3.59 or 4.13.
    QTest::newRow("printer, column: 3.59 truncated") << 80 << false << true << 3;
    QTest::newRow("printer, line: 3.59 rounded") << 80 << false << false << 4;
    QTest::newRow("screen, column: 3.59 rounded") << 80 << true << true << 4;
    QTest::newRow("screen, line: 3.59 rounded") << 80 << true << false << 4;
    QTest::newRow("printer, column: 4.13 truncated") << 92 << false << true << 4;
    QTest::newRow("not squeezed: the font's own width") << 200 << false << true << 7;
}

void tst_CharacterRun::narrowedGlyphs()
{
    QFETCH(int, box);
    QFETCH(bool, screen);
    QFETCH(bool, vertical);
    QFETCH(int, width);

    const Ints advances(13, 12);
    const auto rule = screen ? CharacterRun::Rule::Screen : CharacterRun::Rule::Printer;
    const CharacterRun run(advances, box, 0, AlignMode::alLeft, rule);
    QCOMPARE(run.glyphWidth(7, vertical), width);
    QCOMPARE(run.glyphScale(7, vertical), run.isSqueezed() ? width / 7.0f : 1.0f);
    const CharacterRun other(advances, box, 0, AlignMode::alLeft,
                             screen ? CharacterRun::Rule::Printer : CharacterRun::Rule::Screen);
    QCOMPARE(run.boundaries(), other.boundaries());
}

QTEST_APPLESS_MAIN(tst_CharacterRun)
#include "tst_CharacterRun.moc"
