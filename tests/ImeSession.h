#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include "controls/TTateEdit.h"

#include <functional>

// Typing through a real input method, for the tests that scripts/ime-session runs: the keys go
// to the X server, ibus hands them to Mozc, and what comes back is what a user sees.

// Keys as a user presses them, through the X server (XTEST), to the focused window.
inline void press(const QStringList& keys)
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
inline void switchToHiragana()
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

// Gives `window` the keyboard: no window manager runs under the session's display.
inline void focusWindow(QWidget& window)
{
    QProcess xdotool;
    xdotool.start(u"xdotool"_qs,
                  {u"windowfocus"_qs, u"--sync"_qs, QString::number(window.winId())});
    QVERIFY(xdotool.waitForFinished(10000));
    QTRY_VERIFY_WITH_TIMEOUT(window.isActiveWindow(), 5000);
}

// Turns Mozc's Japanese input on for `field`, which has the focus. The input context follows
// the focus over the bus, the engine is set for it and Mozc's server starts on the first key:
// each takes its time on a loaded machine. Input is on once a probe key composes; each try
// starts with `reset`, and a probe that went in unconverted or composed is taken out again.
inline bool turnJapaneseInputOn(TTateEdit& field, const std::function<void()>& reset)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        QTest::qWait(1000);
        reset();
        QProcess engine;
        engine.start(u"ibus"_qs, {u"engine"_qs, u"mozc-jp"_qs});
        if (!engine.waitForFinished(10000))
            return false;
        // Mozc starts in direct input; turn Japanese input on as the panel's menu does.
        switchToHiragana();
        if (QTest::currentTestFailed())
            return false;
        press({u"a"_qs});
        const bool composing =
            QTest::qWaitFor([&] { return field.preeditText() == u"あ"_qs; }, 5000);
        // Escape drops the probe, or a composition that began too late to count. (Without
        // one it would revert the field's edit.)
        if (!field.preeditText().isEmpty()) {
            press({u"Escape"_qs});
            if (!QTest::qWaitFor([&] { return field.preeditText().isEmpty(); }, 10000))
                return false;
        }
        if (composing)
            return true;
    }
    return false;
}
