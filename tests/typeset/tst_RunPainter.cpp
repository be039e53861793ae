#include "CiSkip.h"
#include "PdfText.h"
#include "typeset/FontSubstitutes.h"
#include "typeset/RunPainter.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

class tst_RunPainter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void measuresUnits();
    void inkStaysInCells_data();
    void inkStaysInCells();
    void halfWidthTurnedClockwise_data();
    void halfWidthTurnedClockwise();
    void verticalForms_data();
    void verticalForms();
    void commaMovesToTopRight();
    void storedVerticalFaceName();
    void emptyText();
    void pdfTextReadsBack();
};

namespace {

constexpr int Dpi = 300;
using Direction = RunPainter::Direction;

QImage page(int width = 700, int height = 1400)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(Dpi / 0.0254));
    image.setDotsPerMeterY(qRound(Dpi / 0.0254));
    image.fill(Qt::white);
    return image;
}

QFont mincho(double pointSize = 12.0)
{
    QFont font(u"ＭＳ 明朝"_qs); // stored layouts name it so; IPAMincho here
    font.setPointSizeF(pointSize);
    return font;
}

bool dark(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

// Dark pixels within `area` (the whole image when empty).
QRect inkRect(const QImage& image, QRect area = {})
{
    area = area.isEmpty() ? image.rect() : area & image.rect();
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (dark(image, x, y))
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

QImage paintedUnit(const QString& unit, Direction direction)
{
    QImage image = page(200, 200);
    QPainter painter(&image);
    RunPainter(mincho(), &image, direction)
        .draw(painter, QPoint(50, 50), unit, 100, 0, AlignMode::alLeft);
    return image;
}

} // namespace

void tst_RunPainter::initTestCase()
{
    FontSubstitutes::install();
    if (QFontInfo(mincho()).family() != u"IPAMincho"_qs)
        SKIP_OR_FAIL_UNDER_CI("IPA fonts missing: run scripts/install-deps");
}

void tst_RunPainter::measuresUnits()
{
    const QImage image = page(10, 10);
    const RunPainter run(mincho(), &image, Direction::Vertical);
    const QList<int> advances = run.advances(TextUnits(u"東A𠮷"_qs));
    QCOMPARE(advances.size(), 3); // the surrogate pair is one unit
    QCOMPARE(advances[0], 50);    // 12 pt at 300 dpi: a full-width unit is one em
    QVERIFY(advances[1] > 0 && advances[1] < 50);
    QVERIFY(advances[2] > 0);
    QVERIFY(run.cellHeight() >= 50);
}

// Each unit's ink lies in its own cell: along the line between its boundary and its step,
// across it within the cell height, and spreading leaves the gaps blank.
void tst_RunPainter::inkStaysInCells_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("spread");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("squeezed");

    const QString address = u"東京都千代田区霞が関"_qs;
    QTest::newRow("vertical, natural size") << true << address << 1200 << 0 << 0 << false;
    QTest::newRow("vertical, squeezed") << true << address << 300 << 0 << 0 << true;
    QTest::newRow("vertical, name spread to G")
        << true << u"山田太郎様"_qs << 1200 << 900 << 4 << false;
    QTest::newRow("vertical, centred") << true << u"山田"_qs << 600 << 0 << 1 << false;
    QTest::newRow("vertical, half-width and full-width")
        << true << u"ＡＢ12ｶﾅ－Ｚ"_qs << 1200 << 0 << 0 << false;
    QTest::newRow("vertical, half-width squeezed")
        << true << u"ABCDEFGH"_qs << 100 << 0 << 0 << true;
    // ☺ is not in the IPA faces; QPainter's fallback face draws it.
    QTest::newRow("vertical, a character from a fallback face")
        << true << u"東☺京"_qs << 1200 << 0 << 0 << false;
    QTest::newRow("horizontal, a character from a fallback face")
        << false << u"東☺京"_qs << 600 << 0 << 3 << false;
    // Devanagari, Hangul and Thai are in no installed face: a crossed box in each cell,
    // never the fallback engine's blocks running over the next cells.
    const QString faceless = u"東नमस्ते김ก京"_qs;
    QTest::newRow("vertical, characters no face has")
        << true << faceless << 1200 << 0 << 0 << false;
    QTest::newRow("vertical, characters no face has, squeezed")
        << true << faceless << 300 << 0 << 0 << true;
    QTest::newRow("horizontal, characters no face has")
        << false << faceless << 700 << 0 << 0 << false;
    QTest::newRow("horizontal, characters no face has, spread")
        << false << faceless << 750 << 740 << 4 << false;
    QTest::newRow("horizontal, natural size") << false << address << 650 << 0 << 0 << false;
    QTest::newRow("horizontal, squeezed") << false << address << 300 << 0 << 0 << true;
    QTest::newRow("horizontal, spread over L") << false << u"山田太郎"_qs << 600 << 0 << 3 << false;
    QTest::newRow("horizontal, right") << false << u"様ABC"_qs << 600 << 0 << 2 << false;
}

void tst_RunPainter::inkStaysInCells()
{
    QFETCH(bool, vertical);
    QFETCH(QString, text);
    QFETCH(int, box);
    QFETCH(int, spread);
    QFETCH(int, mode);
    QFETCH(bool, squeezed);

    QImage image = vertical ? page(200, 1400) : page(800, 200);
    const QPoint pen(40, 60);
    const RunPainter painterRun(mincho(), &image,
                                vertical ? Direction::Vertical : Direction::Horizontal);
    const TextUnits units(text);
    const CharacterRun run = painterRun.layOut(units, box, spread, alignModeFromInt(mode));
    QCOMPARE(run.isSqueezed(), squeezed);
    {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        QCOMPARE(painterRun.paint(painter, pen, units, run), run.advanceSum());
    }

    const int along = vertical ? pen.y() : pen.x();
    const int h = painterRun.cellHeight();
    const auto band = [&](int from, int to) { // pixels along the line, whole cell across
        return vertical ? QRect(pen.x() - 20, along + from, h + 40, to - from)
                        : QRect(along + from, pen.y() - 20, to - from, h + 40);
    };
    const QRect all = inkRect(image);
    QVERIFY(!all.isEmpty());
    const QRect cellRow = vertical ? QRect(pen.x() - 1, 0, h + 2, image.height())
                                   : QRect(0, pen.y() - 1, image.width(), h + 2);
    QVERIFY2(cellRow.contains(all), "ink outside the cell height");
    const int first = vertical ? all.top() : all.left();
    const int last = vertical ? all.bottom() : all.right();
    QVERIFY2(first >= along + run.offset() - 1, QByteArray::number(first - along));
    QVERIFY2(last <= along + run.end() + 1, QByteArray::number(last - along));

    for (int i = 0; i < run.count(); ++i) {
        const QByteArray where = QByteArray::number(i);
        QVERIFY2(
            !inkRect(image, band(run.boundary(i) + 1, run.boundary(i) + run.step(i) - 1)).isEmpty(),
            where);
        const int gapStart = run.boundary(i) + run.step(i) + 2;
        if (i + 1 < run.count() && run.boundary(i + 1) - 2 > gapStart) {
            QVERIFY2(inkRect(image, band(gapStart, run.boundary(i + 1) - 2)).isEmpty(),
                     "ink in a gap after " + where);
        }
    }
}

void tst_RunPainter::halfWidthTurnedClockwise_data()
{
    QTest::addColumn<QString>("unit");
    QTest::newRow("letter") << u"A"_qs;
    QTest::newRow("digit") << u"1"_qs;
    QTest::newRow("half-width katakana") << u"ｱ"_qs;
    QTest::newRow("L") << u"L"_qs;
}

void tst_RunPainter::halfWidthTurnedClockwise()
{
    QFETCH(QString, unit);
    const QRect upright = inkRect(paintedUnit(unit, Direction::Horizontal));
    const QImage column = paintedUnit(unit, Direction::Vertical);
    const QRect turned = inkRect(column);
    QVERIFY2(upright.height() > upright.width(), "upright glyph is tall");
    QVERIFY2(turned.width() > turned.height(), "turned glyph lies on its side");
    QVERIFY(qAbs(turned.width() - upright.height()) <= 2);

    if (unit == u"L"_qs) {
        // Clockwise: the stem becomes a bar along the top, the foot a leg on the left.
        const QRect topRow(turned.left(), turned.top(), turned.width(), 2);
        const QRect bottomRow(turned.left(), turned.bottom() - 1, turned.width(), 2);
        QVERIFY(inkRect(column, topRow).width() > turned.width() * 0.9);
        QVERIFY(inkRect(column, bottomRow).right() < turned.left() + turned.width() / 3);
    }
}

void tst_RunPainter::verticalForms_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("tallInColumn");
    QTest::newRow("long vowel mark becomes a vertical bar") << u"ー"_qs << true;
    QTest::newRow("dash becomes a vertical bar") << u"─"_qs << true;
    QTest::newRow("opening bracket turns") << u"（"_qs << false;
    QTest::newRow("closing corner bracket turns") << u"」"_qs << false;
    QTest::newRow("ellipsis runs down") << u"…"_qs << true;
}

void tst_RunPainter::verticalForms()
{
    QFETCH(QString, unit);
    QFETCH(bool, tallInColumn);
    const QRect horizontal = inkRect(paintedUnit(unit, Direction::Horizontal));
    const QRect vertical = inkRect(paintedUnit(unit, Direction::Vertical));
    QCOMPARE(horizontal.height() > horizontal.width(), !tallInColumn);
    QCOMPARE(vertical.height() > vertical.width(), tallInColumn);
}

// "、" and "。" sit at the bottom left of a horizontal cell and at the top right of a
// vertical one.
void tst_RunPainter::commaMovesToTopRight()
{
    for (const QString& unit : {u"、"_qs, u"。"_qs}) {
        const QImage image = paintedUnit(unit, Direction::Vertical);
        const RunPainter run(mincho(), &image, Direction::Vertical);
        const QPointF cellCentre(50 + run.cellHeight() / 2.0, 50 + 25);
        const QPointF inkCentre = QRectF(inkRect(image)).center();
        QVERIFY2(inkCentre.x() > cellCentre.x() && inkCentre.y() < cellCentre.y(), unit.toUtf8());
        const QPointF flat = QRectF(inkRect(paintedUnit(unit, Direction::Horizontal))).center();
        QVERIFY2(flat.x() < 50 + 25 && flat.y() > 50 + run.ascent() / 2.0, unit.toUtf8());
    }
}

// A family that still carries the "@" of a stored vertical face draws the same face.
void tst_RunPainter::storedVerticalFaceName()
{
    const QImage image = page(10, 10);
    QFont stored = mincho();
    stored.setFamily(u"@ＭＳ 明朝"_qs);
    const RunPainter withAt(stored, &image, Direction::Vertical);
    const RunPainter without(mincho(), &image, Direction::Vertical);
    QCOMPARE(QFontInfo(withAt.font()).family(), u"IPAMincho"_qs);
    QCOMPARE(withAt.cellHeight(), without.cellHeight());
}

void tst_RunPainter::emptyText()
{
    QImage image = page(100, 100);
    QPainter painter(&image);
    const RunPainter run(mincho(), &image, Direction::Vertical);
    QCOMPARE(run.draw(painter, QPoint(10, 10), QString(), 50, 0, AlignMode::alCenter), 0);
    painter.end();
    QVERIFY(inkRect(image).isEmpty());
}

namespace {

using PdfText::Word;

// The words whose boxes lie across [from, to] mm, in reading order down or across.
QList<Word> wordsWithin(const QList<Word>& words, double from, double to, bool column)
{
    QList<Word> found;
    for (const Word& w : words) {
        const double lo = column ? w.box.left() : w.box.top();
        const double hi = column ? w.box.right() : w.box.bottom();
        if (lo >= from - 0.2 && hi <= to + 0.2)
            found.append(w);
    }
    std::sort(found.begin(), found.end(), [&](const Word& a, const Word& b) {
        return column ? a.box.top() < b.box.top() : a.box.left() < b.box.left();
    });
    return found;
}

} // namespace

// A PDF keeps the run as text: the vertical forms and the turned half-width letters read
// back as their characters, in order, with boxes running down the column.
void tst_RunPainter::pdfTextReadsBack()
{
    if (!PdfText::Available())
        SKIP_OR_FAIL_UNDER_CI("pdftotext missing: run scripts/install-deps");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"run.pdf"_qs);
    constexpr int PdfDpi = 600;
    const auto mm = [](int px) { return px * 25.4 / PdfDpi; };

    const QStringList columns{u"東京都千代田区霞が関一─三─二"_qs, u"（株）サンプル、ビル…ー"_qs,
                              u"「ヤマダ」〜様"_qs};
    const QString turned = u"ABC123"_qs;
    const QString line = u"山田太郎様 ABC"_qs;
    QList<int> columnX;
    int columnWidth = 0;
    const int top = 300;
    {
        QPdfWriter writer(file);
        writer.setPageSize(QPageSize(QPageSize::Postcard));
        writer.setPageMargins(QMarginsF());
        writer.setResolution(PdfDpi);
        QPainter painter(&writer);
        const RunPainter vertical(mincho(14), &writer, Direction::Vertical);
        columnWidth = vertical.cellHeight();
        int x = 2000;
        for (const QString& text : columns + QStringList{turned}) {
            columnX.append(x);
            vertical.draw(painter, QPoint(x, top), text, 2500, 0, AlignMode::alLeft);
            x -= columnWidth + 60;
        }
        const RunPainter horizontal(mincho(14), &writer, Direction::Horizontal);
        horizontal.draw(painter, QPoint(200, 3000), line, 1500, 0, AlignMode::alLeft);
    }

    const QList<PdfText::Page> pages = PdfText::ReadPages(file);
    QCOMPARE(pages.size(), 1);
    const QList<Word>& words = pages[0].words;
    QVERIFY(!words.isEmpty());
    for (int c = 0; c < columns.size(); ++c) {
        const QList<Word> found =
            wordsWithin(words, mm(columnX[c]), mm(columnX[c] + columnWidth), true);
        QString read;
        for (qsizetype i = 0; i < found.size(); ++i) {
            read += found[i].text;
            if (i > 0) // one character per cell, each below the one before
                QVERIFY(found[i].box.top() >= found[i - 1].box.bottom() - 0.2);
        }
        QCOMPARE(read, columns[c]);
        QVERIFY2(qAbs(found.front().box.top() - mm(top)) <= 0.3,
                 QByteArray::number(found.front().box.top() - mm(top)));
    }

    const QList<Word> letters =
        wordsWithin(words, mm(columnX.back()), mm(columnX.back() + columnWidth), true);
    QCOMPARE(letters.size(), 1);
    QCOMPARE(letters.front().text, turned);
    QVERIFY2(letters.front().box.height() > 2 * letters.front().box.width(), "runs down");

    QString across;
    for (const Word& w : wordsWithin(words, mm(3000), mm(3000 + columnWidth), false))
        across += (across.isEmpty() ? u""_qs : u" "_qs) + w.text;
    QCOMPARE(across, line);
}

QTEST_MAIN(tst_RunPainter)
#include "tst_RunPainter.moc"
