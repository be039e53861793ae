#include "PreviewWindow.h"
#include "controls/TShadowPanel.h"
#include "controls/TTateEdit.h"

#include <QInputMethodEvent>
#include <QTest>

// Enter wherever a user presses it on the preview: on every field of a face, chosen by a click
// or typed into in 編集 mode, after an input method's conversion, on the face and on the work
// area (after the code dialog: tests/app/tst_TForm1Preview). It ends the typing in a field,
// and never takes the window down.

namespace {

enum class Mode
{
    Selected, // clicked, read-only
    Editing,  // 編集 on, a character typed
    Committed // 編集 on, an input method's conversion committed
};

struct Keys : PreviewWindow
{
    Keys()
    {
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 3)); }
    void pressEnter(QWidget* w)
    {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(w, key);
    }
};

} // namespace

Q_DECLARE_METATYPE(LayoutItem)
Q_DECLARE_METATYPE(Mode)

class tst_PreviewKeys : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void enterOnAField_data();
    void enterOnAField();
    void enterOnTheFaceAndTheWorkArea();
};

void tst_PreviewKeys::enterOnAField_data()
{
    QTest::addColumn<LayoutItem>("item");
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<bool>("empty"); // no text: a sender's field with no sender looks like card
    for (int i = 0; i < LayoutItemCount; ++i) {
        const auto item = LayoutItem(i);
        const QByteArray name = layoutItemName(item).toLatin1();
        QTest::addRow("%s clicked", name.constData()) << item << Mode::Selected << false;
        QTest::addRow("%s in 編集", name.constData()) << item << Mode::Editing << false;
        if (i >= AddresseeItemCount)
            QTest::addRow("%s empty, clicked", name.constData()) << item << Mode::Selected << true;
    }
    QTest::newRow("Atena, conversion committed") << LayoutItem::Atena << Mode::Committed << false;
    QTest::newRow("Jyusho1, conversion committed")
        << LayoutItem::Jyusho1 << Mode::Committed << false;
}

void tst_PreviewKeys::enterOnAField()
{
    QFETCH(LayoutItem, item);
    QFETCH(Mode, mode);
    QFETCH(bool, empty);

    Keys k;
    if (empty)
        k.window.setCardTexts(LayoutKind::TT, CardTexts());
    if (mode != Mode::Selected)
        QTest::mouseClick(k.ui.chkEdit, Qt::LeftButton);
    TTateEdit* field = k.window.field(item, LayoutKind::TT);
    k.click(field);
    QCOMPARE(k.window.SelectedItem(), int(item));
    QTRY_VERIFY(field->hasFocus());
    const LayoutTable before = k.layouts;
    QString expected = field->Text();
    const bool editable = !field->ReadOnly();
    if (mode == Mode::Editing && editable) {
        QTest::keyClicks(field, u"X"_qs);
        expected = field->Text();
        QVERIFY(expected.contains(u'X'));
    }
    if (mode == Mode::Committed) {
        QVERIFY(editable);
        QInputMethodEvent composing(u"やまだ"_qs, {});
        QApplication::sendEvent(field, &composing);
        QInputMethodEvent commit;
        commit.setCommitString(u"山田"_qs);
        QApplication::sendEvent(field, &commit);
        // The input method took the Enter that committed; its release reaches the field.
        QTest::keyRelease(field, Qt::Key_Return);
        expected = field->Text();
        QVERIFY(expected.contains(u"山田"_qs));
        QVERIFY(field->hasFocus());
    }

    k.pressEnter(field);
    // The typing has ended, with its text; the layout is as it was.
    QCOMPARE(field->Text(), expected);
    QCOMPARE(field->hasFocus(), !editable);
    QCOMPARE(k.layouts, before);
    QVERIFY(k.prompter.errors.isEmpty());
    // The field is still selected, and Enter there changes nothing.
    k.click(field);
    k.pressEnter(field);
    QCOMPARE(k.window.SelectedItem(), int(item));
    QCOMPARE(k.layouts, before);
}

void tst_PreviewKeys::enterOnTheFaceAndTheWorkArea()
{
    Keys k;
    k.click(k.window.field(LayoutItem::Atena, LayoutKind::TT));
    const LayoutTable before = k.layouts;
    k.pressEnter(k.window.face(LayoutKind::TT));
    k.pressEnter(k.ui.Panel8);
    QCOMPARE(k.layouts, before);
    QCOMPARE(k.window.SelectedItem(), int(LayoutItem::Atena));
}

QTEST_MAIN(tst_PreviewKeys)
#include "tst_PreviewKeys.moc"
