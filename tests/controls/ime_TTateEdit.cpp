#include "controls/TTateEdit.h"
#include "typeset/FontSubstitutes.h"

#include "CiSkip.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

// Typing through a real input method into a vertical field: the keys go to the X server, ibus
// hands them to Mozc, and what comes back is what a user sees. Run by scripts/ime-session,
// which gives the program its display, its session bus and the daemon with Mozc.

namespace {

// Keys as a user presses them, through the X server (XTEST), to the focused window.
void press(const QStringList& keys)
{
    QProcess xdotool;
    xdotool.start(u"xdotool"_qs, QStringList{u"key"_qs, u"--delay"_qs, u"60"_qs} + keys);
    QVERIFY(xdotool.waitForFinished(20000));
    QCOMPARE(xdotool.exitCode(), 0);
}

// Turns Mozc's hiragana input on for the focused field the way a user does with the ibus
// panel's input-mode menu: this connection takes the panel's name on the ibus bus and sends
// the panel's PropertyActivate, which the daemon hands to the engine of the focused context.
// The Hankaku/Zenkaku key would do the same, but xdotool's key reaches Qt under Xvfb with no
// key symbol.
void switchToHiragana()
{
    const QString address = qEnvironmentVariable("IBUS_ADDRESS");
    QVERIFY2(!address.isEmpty(), "IBUS_ADDRESS is not set (scripts/ime-session sets it)");
    QDBusConnection panel = QDBusConnection::connectToBus(address, u"ibus-panel"_qs);
    QVERIFY2(panel.isConnected(), qPrintable(panel.lastError().message()));
    const QString name = u"org.freedesktop.IBus.Panel"_qs;
    // The daemon sets the panel up (focused on the field's context) before it answers.
    QVERIFY2(panel.registerService(name), qPrintable(panel.lastError().message()));
    QDBusMessage activate =
        QDBusMessage::createSignal(u"/org/freedesktop/IBus/Panel"_qs, name, u"PropertyActivate"_qs);
    activate << u"InputMode.Hiragana"_qs << 1u; // PROP_STATE_CHECKED
    QVERIFY(panel.send(activate));
    // A round trip on the same connection: the daemon has passed the signal on to the engine
    // before any key typed after this.
    QVERIFY(panel.interface()->serviceOwner(name).isValid());
    panel.unregisterService(name);
    QDBusConnection::disconnectFromBus(u"ibus-panel"_qs);
}

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
    // No window manager runs here: the X server gives the window the keyboard directly.
    QProcess xdotool;
    xdotool.start(u"xdotool"_qs,
                  {u"windowfocus"_qs, u"--sync"_qs, QString::number(window.winId())});
    QVERIFY(xdotool.waitForFinished(10000));
    QTRY_VERIFY_WITH_TIMEOUT(window.isActiveWindow(), 5000);
    field.setFocus();
    QTRY_VERIFY(field.hasFocus());
    // The input context follows the focus over the bus, the engine is set for it and Mozc's
    // server starts on the first key: each takes its time on a loaded machine. Japanese input
    // is on once a probe key composes; a key that went in unconverted is taken out again.
    bool composing = false;
    for (int attempt = 0; attempt < 5 && !composing; ++attempt) {
        QTest::qWait(1000);
        field.setText(u"東京"_qs);
        field.setCaret(1);
        QProcess engine;
        engine.start(u"ibus"_qs, {u"engine"_qs, u"mozc-jp"_qs});
        QVERIFY(engine.waitForFinished(10000));
        // Mozc starts in direct input; turn Japanese input on as the panel's menu does.
        switchToHiragana();
        if (QTest::currentTestFailed())
            return;
        press({u"a"_qs});
        composing = QTest::qWaitFor([&] { return field.preeditText() == u"あ"_qs; }, 5000);
        // Escape drops the probe, or a composition that began too late to count. (Without
        // one it would revert the field's edit.)
        if (!field.preeditText().isEmpty()) {
            press({u"Escape"_qs});
            QTRY_VERIFY_WITH_TIMEOUT(field.preeditText().isEmpty(), 10000);
        }
    }
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
