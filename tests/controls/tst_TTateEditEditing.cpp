#include "controls/TTateEdit.h"

#include "ScriptedPrompter.h"
#include "typeset/FontSubstitutes.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

// Editing a field from the keyboard, the mouse and the input method: the text, the caret,
// the anchor and whether OnChange came.
class tst_TTateEditEditing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void keyScripts_data();
    void keyScripts();
    void changeIsQueued();
    void pasteFallsBackToShiftJis();
    void focusMovesByDirection_data();
    void focusMovesByDirection();
    void mouseSelects_data();
    void mouseSelects();
    void jitterIsNoSelection();
    void codeEntryKeepsTheCaret();
    void inputMethodCommits_data();
    void inputMethodCommits();
};

namespace {

QFont gothic12()
{
    QFont font(u"ＭＳ ゴシック"_qs);
    font.setPixelSize(12);
    return font;
}

// Keys separated by spaces: "S+" Shift, "C+" Ctrl, "K+" a keypad key; named keys, a letter, or one
// character typed. "BS*" holds Backspace down (the press, then three auto-repeats).
void play(QWidget* widget, const QString& script)
{
    static const QHash<QString, Qt::Key> named{
        {u"Left"_qs, Qt::Key_Left},    {u"Right"_qs, Qt::Key_Right}, {u"Up"_qs, Qt::Key_Up},
        {u"Down"_qs, Qt::Key_Down},    {u"Del"_qs, Qt::Key_Delete},  {u"Ins"_qs, Qt::Key_Insert},
        {u"BS"_qs, Qt::Key_Backspace}, {u"Esc"_qs, Qt::Key_Escape},  {u"Enter"_qs, Qt::Key_Return},
        {u"Home"_qs, Qt::Key_Home},    {u"Tab"_qs, Qt::Key_Tab},
    };
    for (QString token : script.split(u' ', Qt::SkipEmptyParts)) {
        Qt::KeyboardModifiers mods;
        while (token.size() > 2 && token[1] == u'+') {
            mods |= token[0] == u'S'   ? Qt::ShiftModifier
                    : token[0] == u'K' ? Qt::KeypadModifier
                                       : Qt::ControlModifier;
            token = token.mid(2);
        }
        const bool held = token.endsWith(u'*');
        if (held)
            token.chop(1);
        if (named.contains(token)) {
            const Qt::Key key = named[token];
            if (!held) {
                QTest::keyClick(widget, key, mods);
                continue;
            }
            for (int i = 0; i < 4; ++i) {
                QKeyEvent press(QEvent::KeyPress, key, mods, QString(), i > 0);
                QApplication::sendEvent(widget, &press);
            }
            QTest::keyRelease(widget, key, mods);
        } else if (mods.testFlag(Qt::ControlModifier)) {
            // Qt's key codes of the ASCII characters are their upper-case codes.
            QTest::keyClick(widget, Qt::Key(token[0].toUpper().unicode()), mods);
        } else {
            QTest::keyClicks(widget, token, mods);
        }
    }
}

} // namespace

void tst_TTateEditEditing::initTestCase()
{
    FontSubstitutes::install();
}

void tst_TTateEditEditing::keyScripts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("start");           // caret (and anchor) before the script
    QTest::addColumn<QString>("clip");        // clipboard before; null: left alone
    QTest::addColumn<QStringList>("answers"); // code-entry dialog answers
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("changes");
    QTest::addColumn<QString>("clipAfter"); // null: not checked

    const QString abcd = u"ABCD"_qs;
    const QString none;
    const QStringList no;
    // clang-format off
    QTest::newRow("typing inserts")
        << abcd << false << 1 << none << no << u"X"_qs << u"AXBCD"_qs << 2 << 2 << 1 << none;
    QTest::newRow("overwrite at 1")
        << abcd << false << 1 << none << no << u"Ins X"_qs << u"AXCD"_qs << 2 << 2 << 1 << none;
    QTest::newRow("overwrite at 2")
        << abcd << false << 2 << none << no << u"Ins X"_qs << u"ABXD"_qs << 3 << 3 << 1 << none;
    QTest::newRow("overwrite at the end appends")
        << abcd << false << 4 << none << no << u"Ins X"_qs << u"ABCDX"_qs << 5 << 5 << 1 << none;
    QTest::newRow("typing replaces a Shift selection")
        << abcd << false << 1 << none << no << u"S+Right S+Right X"_qs << u"AXD"_qs << 2 << 2 << 1
        << none;
    QTest::newRow("paste into ABCD at 2, the caret stays")
        << abcd << false << 2 << u"xy"_qs << no << u"C+V"_qs << u"ABxyCD"_qs << 2 << 2 << 1
        << none;
    QTest::newRow("paste over a selection, undo brings the whole text back")
        << abcd << false << 1 << u"xy"_qs << no << u"S+Right S+Right C+V Esc"_qs << abcd << 1 << 1
        << 1 << none;
    QTest::newRow("paste in overwrite drops as many units")
        << abcd << false << 1 << u"xy"_qs << no << u"Ins C+V"_qs << u"AxyD"_qs << 1 << 1 << 1
        << none;
    QTest::newRow("paste drops a spreadsheet's line break")
        << abcd << false << 0 << u"xy\r\n"_qs << no << u"C+V"_qs << u"xyABCD"_qs << 0 << 0 << 1
        << none;
    QTest::newRow("paste of an empty clipboard")
        << abcd << false << 0 << u""_qs << no << u"C+V"_qs << abcd << 0 << 0 << 1 << none;
    QTest::newRow("Delete after the caret")
        << abcd << false << 1 << none << no << u"Del"_qs << u"ACD"_qs << 1 << 1 << 1 << none;
    QTest::newRow("Delete with a selection")
        << abcd << false << 0 << none << no << u"S+Right S+Right Del"_qs << u"CD"_qs << 0 << 0 << 1
        << none;
    QTest::newRow("Delete with a selection up to the last unit")
        << abcd << false << 1 << none << no << u"S+Right S+Right Del"_qs << u"AD"_qs << 1 << 1 << 1
        << none;
    QTest::newRow("Delete with a selection made backwards")
        << abcd << false << 3 << none << no << u"S+Left S+Left Del"_qs << u"AD"_qs << 1 << 1 << 1
        << none;
    QTest::newRow("Delete at the end does nothing")
        << abcd << false << 4 << none << no << u"Del"_qs << abcd << 4 << 4 << 0 << none;
    QTest::newRow("Ctrl+P deletes")
        << abcd << false << 0 << none << no << u"C+P"_qs << u"BCD"_qs << 0 << 0 << 1 << none;
    QTest::newRow("Shift+Delete empties, Esc restores")
        << abcd << false << 2 << none << no << u"S+Del Esc"_qs << abcd << 0 << 0 << 1 << none;
    QTest::newRow("Esc twice brings the edit back")
        << abcd << false << 4 << none << no << u"X Esc Esc"_qs << u"ABCDX"_qs << 4 << 4 << 1
        << none;
    QTest::newRow("Ctrl+Z undoes like Esc")
        << abcd << false << 4 << none << no << u"X C+Z"_qs << abcd << 4 << 4 << 1 << none;
    QTest::newRow("Backspace")
        << abcd << false << 2 << none << no << u"BS"_qs << u"ACD"_qs << 1 << 1 << 1 << none;
    QTest::newRow("Backspace at the start does nothing")
        << abcd << false << 0 << none << no << u"BS"_qs << abcd << 0 << 0 << 0 << none;
    QTest::newRow("Backspace held down deletes one unit")
        << abcd << false << 3 << none << no << u"BS*"_qs << u"ABD"_qs << 2 << 2 << 1 << none;
    QTest::newRow("Backspace deletes a selection with the caret at its start")
        << abcd << false << 2 << none << no << u"S+Left S+Left BS"_qs << u"CD"_qs << 0 << 0 << 1
        << none;
    QTest::newRow("a surrogate pair is one unit")
        << u"A𠮷B"_qs << false << 4 << none << no << u"Left BS"_qs << u"AB"_qs << 1 << 1 << 1
        << none;
    QTest::newRow("Ctrl+A selects all, typing replaces it")
        << abcd << false << 2 << none << no << u"C+A X"_qs << u"X"_qs << 1 << 1 << 1 << none;
    QTest::newRow("Ctrl+C copies the whole text without a selection")
        << abcd << false << 2 << u"old"_qs << no << u"C+C"_qs << abcd << 2 << 2 << 0 << abcd;
    QTest::newRow("Ctrl+X cuts the selection")
        << abcd << false << 1 << u"old"_qs << no << u"S+Right S+Right C+X"_qs << u"AD"_qs << 1 << 1
        << 1 << u"BC"_qs;
    QTest::newRow("Ctrl+X without a selection does nothing")
        << abcd << false << 1 << u"old"_qs << no << u"C+X"_qs << abcd << 1 << 1 << 0 << u"old"_qs;
    QTest::newRow("Ctrl+J preset 81ac: the geta mark")
        << abcd << false << 1 << none << QStringList{u"81ac"_qs} << u"C+J"_qs << u"A〓BCD"_qs << 2
        << 2 << 1 << none;
    QTest::newRow("Ctrl+J 8000 refused")
        << abcd << false << 1 << none << QStringList{u"8000"_qs} << u"C+J"_qs << abcd << 1 << 1
        << 0 << none;
    QTest::newRow("Ctrl+J above FC4B refused")
        << abcd << false << 1 << none << QStringList{u"fc4c"_qs} << u"C+J"_qs << abcd << 1 << 1
        << 0 << none;
    QTest::newRow("Ctrl+J modulo 65536")
        << abcd << false << 0 << none << QStringList{u"182a0"_qs} << u"C+J"_qs << u"あABCD"_qs
        << 1 << 1 << 1 << none;
    QTest::newRow("Ctrl+J a code without a character refused")
        << abcd << false << 0 << none << QStringList{u"85a0"_qs} << u"C+J"_qs << abcd << 0 << 0
        << 0 << none;
    QTest::newRow("Ctrl+Enter is Shift-JIS entry, not a selection replacement")
        << abcd << false << 0 << none << QStringList{u"81ac"_qs} << u"C+A C+Enter"_qs
        << u"〓ABCD"_qs << 1 << 1 << 1 << none;
    QTest::newRow("Ctrl+U 3013")
        << abcd << false << 4 << none << QStringList{u"3013"_qs} << u"C+U"_qs << u"ABCD〓"_qs << 5
        << 5 << 1 << none;
    QTest::newRow("Ctrl+U 100 refused")
        << abcd << false << 4 << none << QStringList{u"100"_qs} << u"C+U"_qs << abcd << 4 << 4 << 0
        << none;
    QTest::newRow("Ctrl+U 101 inserted")
        << abcd << false << 4 << none << QStringList{u"101"_qs} << u"C+U"_qs << u"ABCDā"_qs << 5
        << 5 << 1 << none;
    QTest::newRow("Ctrl+U not a number counts as 0")
        << abcd << false << 4 << none << QStringList{u"zz"_qs} << u"C+U"_qs << abcd << 4 << 4 << 0
        << none;
    QTest::newRow("Ctrl+U a lone surrogate refused")
        << abcd << false << 4 << none << QStringList{u"d800"_qs} << u"C+U"_qs << abcd << 4 << 4
        << 0 << none;
    QTest::newRow("Ctrl+U cancelled")
        << abcd << false << 4 << none << no << u"C+U"_qs << abcd << 4 << 4 << 0 << none;
    QTest::newRow("Ctrl+U ignores overwrite")
        << abcd << false << 0 << none << QStringList{u"3013"_qs} << u"Ins C+U"_qs << u"〓ABCD"_qs
        << 1 << 1 << 1 << none;
    QTest::newRow("horizontal: Left, Right")
        << abcd << false << 2 << none << no << u"Left Left Left Right"_qs << abcd << 1 << 1 << 0
        << none;
    QTest::newRow("horizontal: Shift+Left selects back")
        << abcd << false << 3 << none << no << u"S+Left S+Left"_qs << abcd << 1 << 3 << 0 << none;
    QTest::newRow("horizontal: Ctrl+Left to the start")
        << abcd << false << 3 << none << no << u"C+Left"_qs << abcd << 0 << 0 << 0 << none;
    QTest::newRow("horizontal: Ctrl+Right to the end")
        << abcd << false << 1 << none << no << u"C+Right"_qs << abcd << 4 << 4 << 0 << none;
    QTest::newRow("vertical: Up and Down move the caret")
        << abcd << true << 2 << none << no << u"Up Up Down"_qs << abcd << 1 << 1 << 0 << none;
    QTest::newRow("vertical: Shift+Down selects on")
        << abcd << true << 1 << none << no << u"S+Down S+Down"_qs << abcd << 3 << 1 << 0 << none;
    QTest::newRow("vertical: Ctrl+Up selects the whole text")
        << abcd << true << 2 << none << no << u"C+Up"_qs << abcd << 4 << 0 << 0 << none;
    // The control characters keep Ctrl held: Ctrl+_ is Ctrl+Down, Ctrl+^ Ctrl+Up.
    QTest::newRow("vertical: Ctrl+_ to the end")
        << abcd << true << 1 << none << no << u"C+_"_qs << abcd << 4 << 4 << 0 << none;
    QTest::newRow("vertical: Ctrl+^ selects the whole text")
        << abcd << true << 1 << none << no << u"C+^"_qs << abcd << 4 << 0 << 0 << none;
    QTest::newRow("control characters without a command are not typed")
        << abcd << false << 0 << none << no << u"C+B C+E C+Tab"_qs << abcd << 0 << 0 << 0 << none;
    QTest::newRow("keypad with Num Lock off: Num 4, Num Del, Num 0")
        << abcd << false << 2 << none << no << u"K+Left K+Del K+Ins X"_qs << u"AXD"_qs << 2 << 2
        << 2 << none;
    QTest::newRow("Home and End do nothing")
        << abcd << false << 2 << none << no << u"Home"_qs << abcd << 2 << 2 << 0 << none;
    QTest::newRow("Ctrl+R makes it read-only: no more typing")
        << abcd << false << 0 << none << no << u"C+R X C+R"_qs << abcd << 0 << 0 << 0 << none;
    // clang-format on
}

void tst_TTateEditEditing::keyScripts()
{
    QFETCH(QString, text);
    QFETCH(bool, vertical);
    QFETCH(int, start);
    QFETCH(QString, clip);
    QFETCH(QStringList, answers);
    QFETCH(QString, script);
    QFETCH(QString, result);
    QFETCH(int, caret);
    QFETCH(int, anchor);
    QFETCH(int, changes);
    QFETCH(QString, clipAfter);

    ScriptedPrompter prompter;
    for (const QString& answer : answers)
        prompter.textAnswers.enqueue(answer);
    TTateEdit field;
    field.setFont(gothic12());
    field.setVertical(vertical);
    field.setPrompter(&prompter);
    field.setText(text);
    field.setCaret(start);
    if (!clip.isNull())
        QGuiApplication::clipboard()->setText(clip);
    QCoreApplication::processEvents();

    QSignalSpy changed(&field, &TTateEdit::OnChange);
    play(&field, script);
    QCoreApplication::processEvents();

    QCOMPARE(field.Text(), result);
    QCOMPARE(field.caret(), caret);
    QCOMPARE(field.anchor(), anchor);
    QCOMPARE(changed.count(), changes);
    if (!clipAfter.isNull())
        QCOMPARE(QGuiApplication::clipboard()->text(), clipAfter);
    QVERIFY(prompter.textAnswers.isEmpty());
    const QStringList keys = script.split(u' ');
    if (keys.contains(u"C+J"_qs) || keys.contains(u"C+Enter"_qs)) {
        QCOMPARE(prompter.textQuestions.value(0).caption, u"文字コード入力"_qs);
        QCOMPARE(prompter.textQuestions.value(0).text, u"全角シフトJIS文字(16進数４桁)"_qs);
        QCOMPARE(prompter.textPresets.value(0), u"81ac"_qs);
    } else if (keys.contains(u"C+U"_qs)) {
        QCOMPARE(prompter.textQuestions.value(0).text, u"全角ユニコード文字(16進数４桁)"_qs);
        QCOMPARE(prompter.textPresets.value(0), u"3013"_qs);
    }
    if (keys.contains(u"C+R"_qs))
        QVERIFY(field.ReadOnly());
}

// OnChange follows an edit once the edit has been painted, not inside the key press; setting
// Text raises it at once.
void tst_TTateEditEditing::changeIsQueued()
{
    TTateEdit field;
    QSignalSpy changed(&field, &TTateEdit::OnChange);
    field.setText(u"AB"_qs);
    QCOMPARE(changed.count(), 1);
    field.setText(u"AB"_qs);
    QCOMPARE(changed.count(), 1);

    field.setCaret(2);
    QTest::keyClick(&field, Qt::Key_C);
    QCOMPARE(field.Text(), u"ABc"_qs);
    QCOMPARE(changed.count(), 1);
    QTRY_COMPARE(changed.count(), 2);
}

void tst_TTateEditEditing::pasteFallsBackToShiftJis()
{
    auto* data = new QMimeData;
    data->setData(u"text/plain;charset=Shift_JIS"_qs, QByteArray("\x93\x8c\x8b\x9e", 4));
    QGuiApplication::clipboard()->setMimeData(data);
    TTateEdit field;
    field.setText(u"都"_qs);
    QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field.Text(), u"東京都"_qs);
}

void tst_TTateEditEditing::focusMovesByDirection_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<bool>("nextByEnter");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("focused");

    QTest::newRow("vertical: Left to the previous") << true << false << u"Left"_qs << u"a"_qs;
    QTest::newRow("vertical: Right to the next") << true << false << u"Right"_qs << u"c"_qs;
    QTest::newRow("vertical: Up stays") << true << false << u"Up"_qs << u"b"_qs;
    QTest::newRow("horizontal: Up to the previous") << false << false << u"Up"_qs << u"a"_qs;
    QTest::newRow("horizontal: Down to the next") << false << false << u"Down"_qs << u"c"_qs;
    QTest::newRow("horizontal: Left stays") << false << false << u"Left"_qs << u"b"_qs;
    QTest::newRow("Ctrl+] is Left") << true << false << u"C+]"_qs << u"a"_qs;
    QTest::newRow("Enter with NextFocusByEnter") << false << true << u"Enter"_qs << u"c"_qs;
    QTest::newRow("Shift+Enter goes back") << false << true << u"S+Enter"_qs << u"a"_qs;
    QTest::newRow("Enter without it stays") << false << false << u"Enter"_qs << u"b"_qs;
}

void tst_TTateEditEditing::focusMovesByDirection()
{
    QFETCH(bool, vertical);
    QFETCH(bool, nextByEnter);
    QFETCH(QString, script);
    QFETCH(QString, focused);

    QWidget window;
    auto* row = new QHBoxLayout(&window);
    for (const char* name : {"a", "b", "c"}) {
        auto* field = new TTateEdit;
        field->setObjectName(QString::fromLatin1(name));
        field->setVertical(vertical);
        field->setNextFocusByEnter(nextByEnter);
        field->setText(u"AB"_qs);
        row->addWidget(field);
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* b = window.findChild<TTateEdit*>(u"b"_qs);
    b->setFocus();
    QTRY_VERIFY(b->hasFocus());

    play(b, script);
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), focused);
}

void tst_TTateEditEditing::mouseSelects_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("press"); // along the writing direction
    QTest::addColumn<int>("release");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("anchor");

    // Five units of 12 from 4: boundaries 4, 16, 28, 40, 52, 64.
    QTest::newRow("click inside a unit: before it") << true << 38 << 38 << 2 << 2;
    QTest::newRow("click on a boundary: after it") << true << 28 << 28 << 2 << 2;
    QTest::newRow("click past the text: the end") << true << 120 << 120 << 5 << 5;
    QTest::newRow("click on the inset: the start") << true << 1 << 1 << 0 << 0;
    QTest::newRow("drag down selects") << true << 20 << 55 << 4 << 1;
    QTest::newRow("drag up selects back") << true << 55 << 20 << 1 << 4;
    QTest::newRow("horizontal drag") << false << 5 << 30 << 2 << 0;
}

void tst_TTateEditEditing::mouseSelects()
{
    QFETCH(bool, vertical);
    QFETCH(int, press);
    QFETCH(int, release);
    QFETCH(int, caret);
    QFETCH(int, anchor);

    QWidget window;
    TTateEdit field(&window);
    field.setFont(gothic12());
    field.setVertical(vertical);
    field.resize(vertical ? QSize(24, 149) : QSize(149, 24));
    field.setText(u"山田太郎様"_qs);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy clicked(&field, &TTateEdit::OnClick);

    const auto at = [&](int along) { return vertical ? QPoint(8, along) : QPoint(along, 8); };
    QTest::mousePress(&field, Qt::LeftButton, {}, at(press));
    QTest::mouseMove(&field, at(release));
    QTest::mouseRelease(&field, Qt::LeftButton, {}, at(release));

    QVERIFY(field.hasFocus());
    QCOMPARE(field.caret(), caret);
    QCOMPARE(field.anchor(), anchor);
    QCOMPARE(clicked.count(), 1);
    QVERIFY(!field.caretRect().isEmpty());
}

// A click whose mouse shook by a pixel selects nothing: Delete takes the unit after the caret
// and Ctrl+X leaves the clipboard alone.
void tst_TTateEditEditing::jitterIsNoSelection()
{
    QWidget window;
    TTateEdit field(&window);
    field.setFont(gothic12());
    field.setVertical(true);
    field.resize(24, 149);
    field.setText(u"山田太郎様"_qs);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QGuiApplication::clipboard()->setText(u"old"_qs);

    QTest::mousePress(&field, Qt::LeftButton, {}, QPoint(8, 30));
    QTest::mouseMove(&field, QPoint(8, 31));
    QTest::mouseRelease(&field, Qt::LeftButton, {}, QPoint(8, 31));
    QCOMPARE(field.selectionLength(), 0);
    play(&field, u"C+X"_qs);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"old"_qs);
    play(&field, u"Del"_qs);
    QCOMPARE(field.Text(), u"山田郎様"_qs);
}

// The code-entry dialog takes the focus; the character still goes where the caret was, and
// the field and its window have the focus back afterwards.
void tst_TTateEditEditing::codeEntryKeepsTheCaret()
{
    struct DialogPrompter : ScriptedPrompter
    {
        std::optional<QString> askText(const QString& caption, const QString& prompt,
                                       const QString& preset) override
        {
            QLineEdit dialog;
            dialog.show();
            dialog.activateWindow();
            dialog.setFocus();
            for (int i = 0; i < 100 && !dialog.hasFocus(); ++i)
                QTest::qWait(20);
            focusLeft = QApplication::focusWidget() == &dialog;
            return ScriptedPrompter::askText(caption, prompt, preset);
        }
        bool focusLeft = false;
    } prompter;
    prompter.textAnswers.enqueue(u"3013"_qs);
    QWidget window;
    TTateEdit field(&window);
    field.setFont(gothic12());
    field.setPrompter(&prompter);
    field.setText(u"ABCD"_qs);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field.setFocus();
    QTRY_VERIFY(field.hasFocus());
    field.setCaret(2);

    play(&field, u"C+U"_qs);
    QCOMPARE(field.Text(), u"AB〓CD"_qs);
    QVERIFY(prompter.focusLeft); // the dialog really had the focus
    QCOMPARE(field.caret(), 3);
    QTRY_VERIFY(field.hasFocus());
    QVERIFY(window.isActiveWindow());
}

void tst_TTateEditEditing::inputMethodCommits_data()
{
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QStringList>("compositions");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("caret");

    const QStringList converted{u"かんじ"_qs, u"漢字"_qs};
    QTest::newRow("insert") << false << false << converted << u"漢字"_qs << u"A漢字BCD"_qs << 3;
    QTest::newRow("overwrite drops as many units as the composition had")
        << true << false << converted << u"漢字"_qs << u"A漢字D"_qs << 3;
    QTest::newRow("overwrite, committed unconverted")
        << true << false << QStringList{u"か"_qs} << u"か"_qs << u"AかCD"_qs << 2;
    QTest::newRow("overwrite, a commit without composing replaces its length")
        << true << false << QStringList{} << u"、"_qs << u"A、CD"_qs << 2;
    QTest::newRow("ideographic space")
        << false << false << QStringList{} << u"　"_qs << u"A　BCD"_qs << 2;
    QTest::newRow("read-only ignores it")
        << false << true << converted << u"漢字"_qs << u"ABCD"_qs << 1;
}

void tst_TTateEditEditing::inputMethodCommits()
{
    QFETCH(bool, overwrite);
    QFETCH(bool, readOnly);
    QFETCH(QStringList, compositions);
    QFETCH(QString, commit);
    QFETCH(QString, result);
    QFETCH(int, caret);

    TTateEdit field;
    field.setVertical(true);
    field.setText(u"ABCD"_qs);
    field.setCaret(1);
    if (overwrite)
        QTest::keyClick(&field, Qt::Key_Insert);
    field.setReadOnly(readOnly);
    QCoreApplication::processEvents();
    QSignalSpy changed(&field, &TTateEdit::OnChange);

    for (const QString& composition : compositions) {
        QInputMethodEvent compose(composition, {});
        QCoreApplication::sendEvent(&field, &compose);
        QCOMPARE(field.Text(), u"ABCD"_qs); // not part of the text while composing
    }
    QInputMethodEvent done;
    done.setCommitString(commit);
    QCoreApplication::sendEvent(&field, &done);
    QCoreApplication::processEvents();

    QCOMPARE(field.Text(), result);
    QCOMPARE(field.caret(), caret);
    QCOMPARE(field.preeditText(), QString());
    QCOMPARE(changed.count(), readOnly ? 0 : 1);
    QCOMPARE(field.inputMethodQuery(Qt::ImEnabled).toBool(), !readOnly);
    QCOMPARE(field.inputMethodQuery(Qt::ImSurroundingText).toString(), result);
    QCOMPARE(field.inputMethodQuery(Qt::ImCursorPosition).toInt(), caret);
}

QTEST_MAIN(tst_TTateEditEditing)
#include "tst_TTateEditEditing.moc"
