#include "controls/TTateEdit.h"
#include "typeset/FontSubstitutes.h"

#include "CiSkip.h"
#include "ImeSession.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTest>

// Typing through a real input method into a vertical field: the keys go to the X server, ibus
// hands them to Mozc, and what comes back is what a user sees. Run by scripts/ime-session,
// which gives the program its display, its session bus and the daemon with Mozc.

namespace {

// Whether the column's right edge is dark along `from`..`to` (the pre-edit's underline).
bool underlined(const QImage& image, int x, int from, int to)
{
    int dark = 0;
    for (int y = from; y < to; ++y)
        dark += qGray(image.pixel(x, y)) < 128;
    return dark >= (to - from) * 3 / 4;
}

} // namespace

class ime_TTateEdit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void composeCommitUndo();
};

void ime_TTateEdit::initTestCase()
{
    if (QGuiApplication::platformName() != u"xcb"_qs ||
        qEnvironmentVariable("QT_IM_MODULE") != u"ibus"_qs)
        SKIP_OR_FAIL_UNDER_CI("runs under scripts/ime-session (X display, ibus with Mozc)");
    FontSubstitutes::install();
}

void ime_TTateEdit::composeCommitUndo()
{
    QWidget window;
    window.resize(200, 400);
    TTateEdit field(&window);
    QFont font(u"ＭＳ 明朝"_qs);
    font.setPixelSize(24);
    field.setFont(font);
    field.setVertical(true);
    field.setGeometry(40, 20, 40, 340);
    field.setText(u"東京"_qs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    focusWindow(window);
    if (QTest::currentTestFailed())
        return;
    field.setFocus();
    QTRY_VERIFY(field.hasFocus());
    const bool composing = turnJapaneseInputOn(field, [&] {
        field.setText(u"東京"_qs);
        field.setCaret(1);
    });
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(composing,
             qPrintable(u"Japanese input never came on: text \"%1\""_qs.arg(field.Text())));
    QCOMPARE(field.Text(), u"東京"_qs);
    QCOMPARE(field.caret(), 1);

    press({u"n"_qs, u"i"_qs, u"h"_qs, u"o"_qs, u"n"_qs, u"n"_qs});
    QTRY_VERIFY2_WITH_TIMEOUT(
        field.preeditText() == u"にほん"_qs,
        qPrintable(u"composing \"%1\", text \"%2\""_qs.arg(field.preeditText(), field.Text())),
        15000);
    QCOMPARE(field.Text(), u"東京"_qs);

    // Drawn at the caret: after 東, before 京, underlined on the column's right.
    const QList<int> cells = field.boundaries();
    QCOMPARE(cells.size(), 6); // 東 に ほ ん 京
    const QImage shown = field.grab().toImage();
    const int underline = field.inset() + field.cellHeight() - 1;
    QVERIFY(underlined(shown, underline, cells[1], cells[4]));
    QVERIFY(!underlined(shown, underline, cells[0], cells[1]));
    QVERIFY(!underlined(shown, underline, cells[4], cells[5]));
    // The candidate window goes beside the caret's cell.
    const QRect cursor = field.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QVERIFY2(cursor.top() >= cells[1] - 1 && cursor.top() <= cells[4],
             qPrintable(u"cursor at %1"_qs.arg(cursor.top())));

    // Space converts, Enter commits into the text at the caret.
    press({u"space"_qs});
    QTRY_VERIFY_WITH_TIMEOUT(field.preeditText() != u"にほん"_qs, 10000);
    press({u"Return"_qs});
    QTRY_VERIFY_WITH_TIMEOUT(field.preeditText().isEmpty(), 10000);
    QCOMPARE(field.Text(), u"東日本京"_qs);
    QCOMPARE(field.caret(), 3);

    // Undo takes the conversion back.
    press({u"ctrl+z"_qs});
    QTRY_COMPARE_WITH_TIMEOUT(field.Text(), u"東京"_qs, 10000);
}

QTEST_MAIN(ime_TTateEdit)
#include "ime_TTateEdit.moc"
