#include "ScriptedPrompter.h"
#include "controls/TTateEdit.h"
#include "layout/LayoutTable.h"
#include "preview/TfrmPreView.h"
#include "typeset/FontSubstitutes.h"

#include "CiSkip.h"
#include "ImeSession.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QTest>

// The name typed on the preview as a Japanese user types it: in 編集 mode, through Mozc, the
// conversion committed with Enter, then Enter again to end the typing. Run by
// scripts/ime-session, as tests/controls/ime_TTateEdit is.

class ime_PreviewEnter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void nameTypedAndEntered();
};

void ime_PreviewEnter::initTestCase()
{
    if (QGuiApplication::platformName() != u"xcb"_qs ||
        qEnvironmentVariable("QT_IM_MODULE") != u"ibus"_qs)
        SKIP_OR_FAIL_UNDER_CI("runs under scripts/ime-session (X display, ibus with Mozc)");
    FontSubstitutes::install();
}

void ime_PreviewEnter::nameTypedAndEntered()
{
    LayoutTable layouts;
    ScriptedPrompter prompter;
    TfrmPreView window(&layouts, &prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    focusWindow(window);
    if (QTest::currentTestFailed())
        return;
    QTest::mouseClick(window.findChild<QCheckBox*>(u"chkEdit"_qs), Qt::LeftButton);
    TTateEdit* atena = window.field(LayoutItem::Atena, LayoutKind::TT);
    // Clicked, the field is the selected one too.
    QTest::mouseClick(atena, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(window.SelectedItem(), int(LayoutItem::Atena));
    QTRY_VERIFY(atena->hasFocus());
    const bool composing = turnJapaneseInputOn(*atena, [&] {
        atena->setText(QString());
        atena->setCaret(0);
    });
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(composing, "Japanese input never came on");

    press({u"y"_qs, u"a"_qs, u"m"_qs, u"a"_qs, u"d"_qs, u"a"_qs});
    QTRY_COMPARE_WITH_TIMEOUT(atena->preeditText(), u"やまだ"_qs, 15000);
    press({u"space"_qs});
    QTRY_VERIFY_WITH_TIMEOUT(atena->preeditText() != u"やまだ"_qs, 10000);
    // The conversion's Enter: Mozc takes it, the field gets the text (and the key's release).
    press({u"Return"_qs});
    QTRY_VERIFY_WITH_TIMEOUT(atena->preeditText().isEmpty(), 10000);
    QVERIFY2(!atena->Text().isEmpty() && !atena->Text().contains(u'y'), qPrintable(atena->Text()));
    const QString typed = atena->Text();
    QVERIFY(atena->hasFocus());

    // Enter again ends the typing; the name stays.
    press({u"Return"_qs});
    QTRY_VERIFY_WITH_TIMEOUT(!atena->hasFocus(), 10000);
    QCOMPARE(atena->Text(), typed);
    QCOMPARE(window.SelectedItem(), int(LayoutItem::Atena));
}

QTEST_MAIN(ime_PreviewEnter)
#include "ime_PreviewEnter.moc"
