#include "typeset/VerticalShaper.h"

#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QTest>

class tst_VerticalShaper : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void verticalForms_data();
    void verticalForms();
    void sharedFormNamesItsCharacter();
    void missingCharacter();
    void emBox_data();
    void emBox();
    void keptPerFontAndDevice();
};

namespace {

QImage device(int dpi)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

QFont ipaFont(const QString& family)
{
    QFont font(family);
    font.setPointSize(12);
    if (QFontInfo(font).family() != family)
        qWarning("%s is missing: run scripts/install-deps", qPrintable(family));
    return font;
}

} // namespace

void tst_VerticalShaper::verticalForms_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("turned");
    const QString turned = QStringLiteral(u"ー、。（）「」…─〜＝");
    const QString kana = QStringLiteral(u"カナかなうえ");
    for (const QString& family :
         {u"IPAMincho"_qs, u"IPAGothic"_qs, u"IPAPMincho"_qs, u"IPAPGothic"_qs}) {
        QTest::addRow("%s, punctuation turns", qPrintable(family)) << family << turned << true;
        QTest::addRow("%s, kanji stay", qPrintable(family))
            << family << QStringLiteral(u"東京都様") << false;
    }
    QTest::newRow("IPAMincho, kana stay") << u"IPAMincho"_qs << kana << false;
    QTest::newRow("IPAGothic, kana stay") << u"IPAGothic"_qs << kana << false;
    QTest::newRow("IPAPMincho, proportional kana take full-width forms")
        << u"IPAPMincho"_qs << kana << true;
    QTest::newRow("IPAPGothic, proportional letters take full-width forms")
        << u"IPAPGothic"_qs << QStringLiteral(u"ＡＢあ") << true;
    QTest::newRow("small kana move to the top right")
        << u"IPAMincho"_qs << QStringLiteral(u"ぁっゃァッ") << true;
}

// The font's own vert forms: a different glyph from the horizontal one, for exactly the
// characters a Japanese column turns or moves. Every upright form is one em long.
void tst_VerticalShaper::verticalForms()
{
    QFETCH(QString, family);
    QFETCH(QString, text);
    QFETCH(bool, turned);
    const QImage image = device(300);
    const auto shaper = VerticalShaper::forFont(ipaFont(family), &image);
    QVERIFY(shaper->isValid());
    QCOMPARE(shaper->rawFont().familyName(), family);
    for (QChar c : text) {
        const QString unit(c);
        const VerticalShaper::Glyph horizontal = shaper->horizontalGlyph(unit);
        const VerticalShaper::Glyph vertical = shaper->verticalGlyph(unit);
        const QByteArray where = unit.toUtf8();
        QCOMPARE(horizontal.index, shaper->rawFont().glyphIndexesForString(unit).value(0));
        QVERIFY2(horizontal.index != 0, where);
        QVERIFY2(vertical.substituted == turned, where);
        QVERIFY2((vertical.index != horizontal.index) == turned, where);
        QVERIFY2(qAbs(vertical.advance - shaper->emSize()) <= 0.5, where);
    }
}

// IPA draws the vertical "─" with the glyph of "│"; a PDF would name it "│" unless told.
void tst_VerticalShaper::sharedFormNamesItsCharacter()
{
    const QImage image = device(300);
    const auto shaper = VerticalShaper::forFont(ipaFont(u"IPAMincho"_qs), &image);
    const VerticalShaper::Glyph dash = shaper->verticalGlyph(u"─");
    QCOMPARE(dash.index, shaper->horizontalGlyph(u"│").index);
    QVERIFY(dash.namesCharacter);
    QVERIFY(!shaper->verticalGlyph(u"ー").namesCharacter);
}

void tst_VerticalShaper::missingCharacter()
{
    const QImage image = device(300);
    const auto shaper = VerticalShaper::forFont(ipaFont(u"IPAMincho"_qs), &image);
    const QString unit = QStringLiteral(u"\U0001F600"); // not in the IPA faces
    QCOMPARE(shaper->horizontalGlyph(unit).index, 0u);
    QCOMPARE(shaper->verticalGlyph(unit).index, 0u);
    QVERIFY(!shaper->verticalGlyph(unit).substituted);
}

// The IPA faces keep their em box from 0.12 em below the baseline to 0.88 em above it.
void tst_VerticalShaper::emBox_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pointSize");
    QTest::newRow("12 pt on a 300 dpi page") << 300 << 12;
    QTest::newRow("9 pt on screen") << 96 << 9;
    QTest::newRow("20 pt on a 600 dpi page") << 600 << 20;
}

void tst_VerticalShaper::emBox()
{
    QFETCH(int, dpi);
    QFETCH(int, pointSize);
    const QImage image = device(dpi);
    QFont font = ipaFont(u"IPAMincho"_qs);
    font.setPointSize(pointSize);
    const auto shaper = VerticalShaper::forFont(font, &image);
    const double em = pointSize * dpi / 72.0;
    QVERIFY2(qAbs(shaper->emSize() - em) <= 1.0, QByteArray::number(shaper->emSize()));
    QVERIFY2(qAbs(shaper->emBoxBottom() + 0.12 * em) <= 0.01 * em + 0.5,
             QByteArray::number(shaper->emBoxBottom()));
    QVERIFY2(qAbs(shaper->verticalGlyph(u"ー").advance - shaper->emSize()) <= 1.0,
             "full-width forms advance one em");
}

void tst_VerticalShaper::keptPerFontAndDevice()
{
    const QImage page = device(300), screen = device(96);
    const QFont mincho = ipaFont(u"IPAMincho"_qs);
    const auto first = VerticalShaper::forFont(mincho, &page);
    QCOMPARE(VerticalShaper::forFont(mincho, &page).get(), first.get());
    QVERIFY(VerticalShaper::forFont(mincho, &screen).get() != first.get());
    QVERIFY(VerticalShaper::forFont(ipaFont(u"IPAGothic"_qs), &page).get() != first.get());
    QVERIFY(VerticalShaper::forFont(mincho, &screen)->emSize() < first->emSize());
}

QTEST_MAIN(tst_VerticalShaper)
#include "tst_VerticalShaper.moc"
