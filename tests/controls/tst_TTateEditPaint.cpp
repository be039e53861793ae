#include "controls/TTateEdit.h"

#include "CiSkip.h"
#include "common/SessionOptions.h"
#include "compose/CardText.h"
#include "layout/LayoutTable.h"
#include "print/CardRenderer.h"
#include "typeset/FontSubstitutes.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QTest>

// A field painted into an image, as the screen shows it: the layout numbers of the worked
// examples, ink where the boundaries say, the printer's glyphs, borders, colours.
class tst_TTateEditPaint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void alignments_data();
    void alignments();
    void sameGlyphsAsPrinter_data();
    void sameGlyphsAsPrinter();
    void disabledTextColour_data();
    void disabledTextColour();
    void borders_data();
    void borders();
    void transparentShowsParent();
    void selectionAndCaret();
    void preeditDrawnAtCaret();
    void setterRules();
    void autoSize();
    void defaultsAreWhatANewFieldHas();
};

namespace {

// 12-pixel "ＭＳ ゴシック": a full-width unit advances 12 pixels.
QFont gothic12()
{
    QFont font(u"ＭＳ ゴシック"_qs);
    font.setPixelSize(12);
    return font;
}

// The worked example's field: 149 high (vertical) with BevelSize 2 and Offset 2, so L = 141.
void setUpField(TTateEdit& field, bool vertical, int length = 149)
{
    field.setFont(gothic12());
    field.setVertical(vertical);
    if (vertical)
        field.resize(24, length);
    else
        field.resize(length, 24);
    field.setBevelSize(2);
    field.setOffset(2);
    field.setColor(Qt::white);
    field.setFontColor(Qt::black);
    field.setBorderStyle(TTateEdit::bsNone);
}

QImage rendered(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

bool dark(QRgb pixel)
{
    return qGray(pixel) < 160;
}

// The first and last row (column) with ink along the writing direction, within [from, to).
QPair<int, int> inkSpan(const QImage& image, bool vertical, int from, int to)
{
    int first = -1;
    int last = -1;
    to = std::min(to, vertical ? image.height() : image.width());
    for (int along = from; along < to; ++along) {
        bool ink = false;
        const int across = vertical ? image.width() : image.height();
        for (int c = 0; c < across && !ink; ++c)
            ink = dark(vertical ? image.pixel(c, along) : image.pixel(along, c));
        if (ink) {
            if (first < 0)
                first = along;
            last = along;
        }
    }
    return {first, last};
}

} // namespace

void tst_TTateEditPaint::initTestCase()
{
    FontSubstitutes::install();
    if (QFontInfo(gothic12()).family() != u"IPAGothic"_qs)
        SKIP_OR_FAIL_UNDER_CI("IPA fonts missing: run scripts/install-deps");
}

void tst_TTateEditPaint::alignments_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("offsetEx");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("leading");
    QTest::addColumn<QList<int>>("boundaries");

    const QString five = u"山田太郎様"_qs;
    using B = QList<int>;
    QTest::newRow("alLeft starts at the inset, 12 each")
        << true << int(TTateEdit::alLeft) << 0 << five << 0 << B{4, 16, 28, 40, 52, 64};
    QTest::newRow("alCenter, p = 40")
        << true << int(TTateEdit::alCenter) << 0 << five << 40 << B{44, 56, 68, 80, 92, 104};
    QTest::newRow("alRight, p = 81")
        << true << int(TTateEdit::alRight) << 0 << five << 81 << B{85, 97, 109, 121, 133, 145};
    QTest::newRow("alJustify, first gap 33, then 32")
        << true << int(TTateEdit::alJustify) << 0 << five << 0 << B{4, 37, 69, 101, 133, 165};
    QTest::newRow("alJustifyEx, OffsetEx 10: J = 6 spreads over L")
        << true << int(TTateEdit::alJustifyEx) << 10 << five << 0 << B{4, 37, 69, 101, 133, 165};
    QTest::newRow("alJustifyEx, OffsetEx 100: over J = 96")
        << true << int(TTateEdit::alJustifyEx) << 100 << five << 0 << B{4, 25, 46, 67, 88, 109};
    QTest::newRow("horizontal alCenter")
        << false << int(TTateEdit::alCenter) << 0 << five << 40 << B{44, 56, 68, 80, 92, 104};
    // Twice as long as L = 120: every advance halved, no unit dropped.
    B halved;
    for (int i = 0; i <= 20; ++i)
        halved << 4 + 6 * i;
    QTest::newRow("twice as long, vertical")
        << true << int(TTateEdit::alLeft) << 0 << QString(20, QChar(u'東')) << 0 << halved;
    QTest::newRow("twice as long, horizontal")
        << false << int(TTateEdit::alLeft) << 0 << QString(20, QChar(u'東')) << 0 << halved;
}

void tst_TTateEditPaint::alignments()
{
    QFETCH(bool, vertical);
    QFETCH(int, alignment);
    QFETCH(int, offsetEx);
    QFETCH(QString, text);
    QFETCH(int, leading);
    QFETCH(QList<int>, boundaries);

    TTateEdit field;
    setUpField(field, vertical, text.size() == 20 ? 128 : 149);
    field.setAlignment(TTateEdit::TAlignment(alignment));
    field.setOffsetEx(offsetEx);
    field.setText(text);
    const QImage image = rendered(field);

    QCOMPARE(field.boundaries(), boundaries);
    QCOMPARE(field.leadingOffset(), leading);
    // Every unit's ink lies in its own cell; the spread gaps stay blank.
    const CharacterRun run = field.run();
    for (int i = 0; i < text.size(); ++i) {
        const int cellStart = boundaries[i];
        const int cellEnd = cellStart + run.step(i);
        const auto [first, last] = inkSpan(image, vertical, cellStart, cellEnd);
        QVERIFY2(first >= 0, qPrintable(QString::number(i)));
        if (run.isSqueezed())
            QVERIFY2(last - first < 6, "glyph not compressed");
        const auto gap = inkSpan(image, vertical, cellEnd + 1, boundaries[i + 1] - 1);
        QVERIFY2(gap.first < 0,
                 qPrintable(u"ink in the gap after %1 at %2"_qs.arg(i).arg(gap.first)));
    }
    const auto before = inkSpan(image, vertical, 0, boundaries.first() - 1);
    QCOMPARE(before.first, -1);
}

// A vertical field shows the forms the printer prints: the same glyphs at the same places,
// pixel for pixel, against the card renderer at 96 dpi (9 points print 12 pixels high).
void tst_TTateEditPaint::sameGlyphsAsPrinter_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("length");

    QTest::newRow("vertical forms: long vowel, comma, brackets")
        << true << u"ヨーク、（東）「京」"_qs << int(TTateEdit::alLeft) << 149;
    QTest::newRow("vertical, half-width turned")
        << true << u"東京AB12"_qs << int(TTateEdit::alLeft) << 149;
    // L = 80 for 13 units: average width x s has a fraction below one half, where the
    // screen's rounding and the printer's truncation give the same narrowed glyphs.
    QTest::newRow("vertical, squeezed")
        << true << u"東京都千代田区霞が関一丁目"_qs << int(TTateEdit::alLeft) << 88;
    QTest::newRow("vertical, spread") << true << u"山田様"_qs << int(TTateEdit::alJustify) << 149;
    QTest::newRow("horizontal") << false << u"港区（ABC）"_qs << int(TTateEdit::alLeft) << 149;
}

void tst_TTateEditPaint::sameGlyphsAsPrinter()
{
    QFETCH(bool, vertical);
    QFETCH(QString, text);
    QFETCH(int, alignment);
    QFETCH(int, length);

    // The preview shows the texts composed for a vertical card.
    if (vertical)
        text = ToVerticalText(text, SessionOptions().useNonUnicodeFont);
    TTateEdit field;
    setUpField(field, vertical, length);
    field.setAlignment(TTateEdit::TAlignment(alignment));
    field.setText(text);
    const QImage screen = rendered(field);

    QImage paper(field.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QCOMPARE(paper.logicalDpiX(), 96);
    {
        const LayoutTable layouts;
        const SessionOptions options;
        const CardRenderer renderer(layouts, options);
        QPainter painter(&paper);
        // 11/10 mm is 4 pixels (the inset); the box length converts back to L.
        const int tenthMm = qRound((length - 8) * 254.0 / 96.0);
        QCOMPARE(CardRenderer::toDevice(tenthMm, 96), field.availableLength());
        renderer.DrawFieldText(painter, 11, 11, alignModeFromInt(alignment), vertical, 0, tenthMm,
                               u"ＭＳ ゴシック"_qs, 9.0, text);
    }
    int inked = 0;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            QCOMPARE(screen.pixel(x, y), paper.pixel(x, y));
            inked += dark(screen.pixel(x, y)) ? 1 : 0;
        }
    }
    QVERIFY(inked > 0);
}

void tst_TTateEditPaint::disabledTextColour_data()
{
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QColor>("text");
    QTest::newRow("white, disabled") << QColor(255, 255, 255) << false << QColor(191, 191, 191);
    QTest::newRow("dark grey, disabled: black, not below 0")
        << QColor(40, 40, 40) << false << QColor(0, 0, 0);
    QTest::newRow("mixed, disabled") << QColor(200, 100, 30) << false << QColor(136, 36, 0);
    QTest::newRow("enabled: the font colour") << QColor(255, 255, 255) << true << QColor(0, 0, 255);
}

void tst_TTateEditPaint::disabledTextColour()
{
    QFETCH(QColor, background);
    QFETCH(bool, enabled);
    QFETCH(QColor, text);

    TTateEdit field;
    setUpField(field, true);
    field.setColor(background);
    field.setFontColor(Qt::blue);
    field.setEnabled(enabled);
    field.setText(u"■■"_qs); // solid glyphs: their inner pixels are the text colour itself
    const QImage image = rendered(field);
    const QRect cell = QRect(4, field.boundaries()[0], 12, 12).adjusted(3, 3, -3, -3);
    QCOMPARE(QColor(image.pixel(cell.center())), text);
}

void tst_TTateEditPaint::borders_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("bevel");
    // Pixels from the top-left and bottom-right corner inwards; -1: the field's colour.
    QTest::addColumn<QList<int>>("topLeft");
    QTest::addColumn<QList<int>>("bottomRight");

    using R = QList<int>;
    const int window = -1;
    QTest::newRow("bsSingle, sunken")
        << int(TTateEdit::bsSingle) << 2 << R{QPalette::Dark, QPalette::Shadow, window}
        << R{QPalette::Light, QPalette::Midlight, window};
    QTest::newRow("bsRaised") << int(TTateEdit::bsRaised) << 3
                              << R{QPalette::Light, QPalette::Midlight, QPalette::Midlight, window}
                              << R{QPalette::Dark, QPalette::Shadow, QPalette::Shadow, window};
    QTest::newRow("bsNone") << int(TTateEdit::bsNone) << 2 << R{window} << R{window};
    QTest::newRow("bsXpStyle: one pixel")
        << int(TTateEdit::bsXpStyle) << 2 << R{-2, window} << R{-2, window};
}

void tst_TTateEditPaint::borders()
{
    QFETCH(int, style);
    QFETCH(int, bevel);
    QFETCH(QList<int>, topLeft);
    QFETCH(QList<int>, bottomRight);

    TTateEdit field;
    setUpField(field, false, 60);
    field.setColor(QColor(250, 250, 210));
    field.setBorderStyle(TTateEdit::TEditBevel(style));
    field.setBevelSize(bevel);
    const QImage image = rendered(field);
    const auto expected = [&](int role) {
        if (role == -1)
            return field.Color();
        if (role == -2)
            return QColor(127, 157, 185);
        return field.palette().color(QPalette::ColorRole(role));
    };
    for (int k = 0; k < topLeft.size(); ++k) {
        QCOMPARE(image.pixel(k, k), expected(topLeft[k]).rgb());
        QCOMPARE(image.pixel(k, image.height() / 2), expected(topLeft[k]).rgb());
    }
    const int r = image.width() - 1;
    const int b = image.height() - 1;
    for (int k = 0; k < bottomRight.size(); ++k) {
        QCOMPARE(image.pixel(r - k, b - k), expected(bottomRight[k]).rgb());
        QCOMPARE(image.pixel(image.width() / 2, b - k), expected(bottomRight[k]).rgb());
    }
}

void tst_TTateEditPaint::transparentShowsParent()
{
    QWidget card;
    card.resize(80, 200);
    card.setAutoFillBackground(true);
    QPalette palette = card.palette();
    palette.setColor(QPalette::Window, QColor(255, 0, 0));
    card.setPalette(palette);
    TTateEdit field(&card);
    setUpField(field, true);
    field.move(10, 10);
    field.setBorderStyle(TTateEdit::bsXpStyle);
    field.setText(u"東京"_qs);
    field.setSelection(0, 2); // a selection is not shown on a transparent field
    field.setTransParent(true);

    QImage image(card.size(), QImage::Format_RGB32);
    card.render(&image);
    const QPoint origin = field.pos();
    QCOMPARE(QColor(image.pixel(origin)), QColor(255, 0, 0));                // no border
    QCOMPARE(QColor(image.pixel(origin + QPoint(2, 2))), QColor(255, 0, 0)); // no background
    const QColor highlight = field.palette().color(QPalette::Highlight);
    bool ink = false;
    for (int y = 0; y < field.height(); ++y) {
        for (int x = 0; x < field.width(); ++x) {
            const QColor c(image.pixel(origin + QPoint(x, y)));
            QVERIFY(c != highlight);
            ink = ink || c.red() < 100; // black text over the red picture
        }
    }
    QVERIFY(ink);
}

// The selected units in the palette's highlight; the caret a bar as wide as the font's cell
// across the column at the caret's boundary.
void tst_TTateEditPaint::selectionAndCaret()
{
    QWidget window;
    window.resize(100, 200);
    TTateEdit field(&window);
    setUpField(field, true);
    field.setText(u"東京都"_qs);
    window.show();
    field.setFocus();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(field.hasFocus());

    field.setReadOnly(true); // no caret
    const QImage plain = rendered(field);
    field.setReadOnly(false);
    field.setSelection(1, 2);
    QImage image = rendered(field);
    const QColor highlight = field.palette().color(QPalette::Highlight);
    QCOMPARE(QColor(image.pixel(5, 16 + 1)), highlight); // unit 1: rows 16-27
    QVERIFY(QColor(image.pixel(5, 4 + 1)) != highlight);
    QVERIFY(QColor(image.pixel(5, 28 + 6)) != highlight);
    // The units around the selection stay as they were, glyph for glyph (the caret stands
    // on row 28).
    QCOMPARE(image.copy(0, 0, 24, 16), plain.copy(0, 0, 24, 16));
    QCOMPARE(image.copy(0, 29, 24, 20), plain.copy(0, 29, 24, 20));
    QVERIFY(image.copy(0, 16, 24, 12) != plain.copy(0, 16, 24, 12));

    field.setCaret(2);
    image = rendered(field);
    const QRect caret = field.caretRect();
    QCOMPARE(caret.topLeft(), QPoint(3, 28));
    QCOMPARE(caret.height(), 1);
    QVERIFY(caret.width() >= 12);
    QVERIFY(dark(image.pixel(3, 28)));  // inverted white
    QVERIFY(!dark(image.pixel(3, 27))); // one pixel high
    QVERIFY(!dark(image.pixel(3, 29)));

    field.setReadOnly(true);
    QVERIFY(field.caretRect().isEmpty());
}

// While the input method composes, its text shows at the caret, underlined, without being
// part of the field's text; the candidate window goes to the right of a column.
void tst_TTateEditPaint::preeditDrawnAtCaret()
{
    TTateEdit field;
    setUpField(field, true);
    field.setText(u"東京"_qs);
    field.setCaret(1);
    QInputMethodEvent compose(u"かな"_qs, {});
    QCoreApplication::sendEvent(&field, &compose);
    QCOMPARE(field.Text(), u"東京"_qs);
    QCOMPARE(field.preeditText(), u"かな"_qs);

    const QImage image = rendered(field);
    // 東 | か な (underlined on the right) | 京
    QCOMPARE(field.boundaries(), (QList<int>{4, 16, 28, 40, 52}));
    const int underline = 4 + field.caretRectAt(0).width() - 1; // the column's right edge
    for (int y = 16; y < 40; ++y)
        QVERIFY2(dark(image.pixel(underline, y)), qPrintable(QString::number(y)));
    QVERIFY(!dark(image.pixel(underline, 10)));
    QVERIFY(inkSpan(image, true, 41, 52).first >= 0); // 京 pushed on

    const QRect candidate = field.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QVERIFY(candidate.left() >= 4 + 12);
    QCOMPARE(candidate.top(), 16 + 1);
}

void tst_TTateEditPaint::setterRules()
{
    TTateEdit field;
    field.setBevelSize(0);
    QCOMPARE(field.BevelSize(), 1);
    field.setOffset(-3);
    QCOMPARE(field.Offset(), 0);
    field.setOffsetEx(-1);
    QCOMPARE(field.OffsetEx(), 0);
    field.setComment(u"memo"_qs);
    QCOMPARE(field.Comment(), QString());

    field.resize(200, 20);
    field.setVertical(true);
    QCOMPARE(field.size(), QSize(20, 200));
    field.setVertical(false);
    QCOMPARE(field.size(), QSize(200, 20));
    field.resize(30, 40); // already lying the right way: kept
    field.setVertical(true);
    QCOMPARE(field.size(), QSize(30, 40));

    field.setMaximumSize(100, 100);
    field.setProperty("Width", 500);
    QCOMPARE(field.Width(), 100);
}

// AutoSize fits the field around its one line: inset on one side plus 4 (a column lies the
// other way), 20 x 12 when empty; only a field on a face is resized.
void tst_TTateEditPaint::autoSize()
{
    TTateEdit alone;
    alone.setText(u"ABC"_qs);
    alone.setAutoSize(true);
    QCOMPARE(alone.size(), QSize(20, 121));

    QWidget face;
    TTateEdit field(&face);
    field.setFont(gothic12());
    field.setAutoSize(true);
    QCOMPARE(field.size(), QSize(20, 12));
    field.setText(u"東京都"_qs);
    const int cell = field.caretRectAt(0).height();
    QCOMPARE(field.size(), QSize(4 + 36 + 4, 4 + cell + 4));
    field.setVertical(true);
    field.setText(u"東京都港区"_qs);
    QCOMPARE(field.size(), QSize(4 + cell + 4, 4 + 60 + 4));
    field.setText(QString());
    QCOMPARE(field.size(), QSize(12, 20));

    field.BeginLoading();
    field.setText(u"東京"_qs);
    QCOMPARE(field.size(), QSize(12, 20));
    field.Loaded();
    QCOMPARE(field.size(), QSize(4 + cell + 4, 4 + 24 + 4));
}

// The table a layout file compares with is the state of a new field.
void tst_TTateEditPaint::defaultsAreWhatANewFieldHas()
{
    QWidget face;
    const TTateEdit field(&face);
    QCOMPARE(field.size(), QSize(20, 121));
    QCOMPARE(field.font().family(), u"ＭＳ ゴシック"_qs);
    QVERIFY(field.TabStop());
    const QMetaObject* meta = field.metaObject();
    int withDefault = 0;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        QVariant declared;
        QVERIFY(QMetaObject::invokeMethod(const_cast<TTateEdit*>(&field), "declaredDefault",
                                          Q_RETURN_ARG(QVariant, declared),
                                          Q_ARG(QString, QString::fromLatin1(property.name()))));
        if (!declared.isValid())
            continue;
        ++withDefault;
        QCOMPARE(property.read(&field), declared);
    }
    QVERIFY(withDefault >= 14);
}

QTEST_MAIN(tst_TTateEditPaint)
#include "tst_TTateEditPaint.moc"
