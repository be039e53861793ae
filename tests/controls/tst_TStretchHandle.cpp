#include "controls/EBadChild.h"
#include "controls/TStretchHandle.h"

#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

namespace {
// A field that counts the presses that reach it.
class Field : public QWidget
{
public:
    using QWidget::QWidget;
    int presses = 0;
    QPoint lastPress;

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        ++presses;
        lastPress = e->position().toPoint();
    }
};

struct Face
{
    QWidget window;
    Field* a;
    Field* b;
    Field* c;
    QPointer<TStretchHandle> handle;

    Face()
    {
        window.resize(400, 300);
        a = field("edtA", QRect(50, 60, 40, 100));
        b = field("edtB", QRect(120, 60, 30, 30));
        c = field("edtC", QRect(200, 60, 30, 30));
        handle = new TStretchHandle;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    ~Face()
    {
        if (handle && !handle->parent())
            delete handle;
    }
    Field* field(const char* name, QRect r)
    {
        auto* f = new Field(&window);
        f->setObjectName(name);
        f->setGeometry(r);
        return f;
    }
};
} // namespace

class tst_TStretchHandle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void attachGrowsOverTargets();
    void drag_data();
    void drag();
    void keys_data();
    void keys();
    void lockedDragsNothing();
    void attachingElsewhereDetachesFirst();
    void clickBesideTargetsReachesFieldBeneath();
    void windowsAreRefused();
};

void tst_TStretchHandle::attachGrowsOverTargets()
{
    Face face;
    face.handle->Attach(face.a);
    QCOMPARE(face.handle->parentWidget(), &face.window);
    QVERIFY(face.handle->isVisible() && face.handle->isEnabled());
    QCOMPARE(face.handle->geometry(), QRect(48, 58, 45, 105));
    face.handle->Attach(face.c);
    QCOMPARE(face.handle->geometry(), QRect(48, 58, 233 - 48, 163 - 58));
    face.handle->Attach(face.c);
    QCOMPARE(face.handle->TargetCount(), 2);
    QCOMPARE(face.a->geometry(), QRect(50, 60, 40, 100));

    face.handle->Detach();
    QVERIFY(!face.handle->parent());
    QVERIFY(!face.handle->isVisible());
    QCOMPARE(face.handle->size(), QSize(24, 24));
    QCOMPARE(face.handle->TargetAt(0), nullptr);
}

// A left-button drag on the handle of field A (handle at 48, 58, 45 x 105).
void tst_TStretchHandle::drag_data()
{
    QTest::addColumn<int>("grid");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("field");
    QTest::addColumn<QRect>("handle");
    QTest::addColumn<QSize>("minimum"); // the field's own minimum size

    QTest::newRow("body by 13, 7")
        << 1 << QPoint(20, 50) << QPoint(33, 57) << QRect(63, 67, 40, 100) << QRect(61, 65, 45, 105)
        << QSize(0, 0);
    QTest::newRow("body back to the parent's edge")
        << 1 << QPoint(20, 50) << QPoint(-300, 50) << QRect(-18, 60, 40, 100)
        << QRect(-20, 58, 45, 105) << QSize(0, 0);
    QTest::newRow("body on grid 8")
        << 8 << QPoint(20, 50) << QPoint(33, 50) << QRect(56, 56, 40, 100) << QRect(54, 54, 45, 105)
        << QSize(0, 0);
    QTest::newRow("right edge wider")
        << 1 << QPoint(42, 52) << QPoint(52, 52) << QRect(50, 60, 50, 100) << QRect(48, 58, 55, 105)
        << QSize(0, 0);
    QTest::newRow("bottom-right to width 3 gives 5")
        << 1 << QPoint(42, 102) << QPoint(0, 102) << QRect(50, 60, 0, 100) << QRect(48, 58, 5, 105)
        << QSize(0, 0);
    QTest::newRow("top-left keeps the bottom-right")
        << 1 << QPoint(1, 1) << QPoint(-9, 11) << QRect(40, 70, 50, 90) << QRect(38, 68, 55, 95)
        << QSize(0, 0);
    QTest::newRow("top middle") << 1 << QPoint(22, 1) << QPoint(22, -19) << QRect(50, 40, 40, 120)
                                << QRect(48, 38, 45, 125) << QSize(0, 0);
    QTest::newRow("press and release in place")
        << 1 << QPoint(20, 50) << QPoint(20, 50) << QRect(50, 60, 40, 100) << QRect(48, 58, 45, 105)
        << QSize(0, 0);
    QTest::newRow("bottom-right stops at the field's minimum")
        << 1 << QPoint(42, 102) << QPoint(1, 1) << QRect(50, 60, 12, 30) << QRect(48, 58, 17, 35)
        << QSize(12, 30);
    QTest::newRow("top-left past the minimum keeps the bottom-right")
        << 1 << QPoint(1, 1) << QPoint(60, 200) << QRect(78, 130, 12, 30) << QRect(76, 128, 17, 35)
        << QSize(12, 30);
}

void tst_TStretchHandle::drag()
{
    QFETCH(int, grid);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, field);
    QFETCH(QRect, handle);
    QFETCH(QSize, minimum);

    Face face;
    face.a->setMinimumSize(minimum);
    face.handle->setGridX(grid);
    face.handle->setGridY(grid);
    face.handle->Attach(face.a);
    QSignalSpy moved(face.handle, &TStretchHandle::Moved);

    QTest::mouseMove(face.handle, from);
    QTest::mousePress(face.handle, Qt::LeftButton, {}, from);
    QTest::mouseMove(face.handle, to);
    QTest::mouseRelease(face.handle, Qt::LeftButton, {}, to);

    QCOMPARE(face.a->geometry(), field);
    QCOMPARE(face.handle->geometry(), handle);
    QCOMPARE(moved.count(), from == to ? 1 : 2); // while moving, and after the release
}

void tst_TStretchHandle::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("fieldWidth");
    QTest::addColumn<QRect>("field");
    QTest::addColumn<int>("moved");
    QTest::addColumn<QSize>("minimum"); // the field's own minimum size

    const Qt::KeyboardModifiers none;
    const QRect r(50, 60, 16, 100);
    QTest::newRow("left") << int(Qt::Key_Left) << none << 16 << r.translated(-1, 0) << 1
                          << QSize(0, 0);
    QTest::newRow("ctrl+right") << int(Qt::Key_Right) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                << 16 << r.translated(1, 0) << 1 << QSize(0, 0);
    QTest::newRow("up alone does nothing")
        << int(Qt::Key_Up) << none << 16 << r << 0 << QSize(0, 0);
    QTest::newRow("ctrl+up") << int(Qt::Key_Up) << Qt::KeyboardModifiers(Qt::ControlModifier) << 16
                             << r.translated(0, -1) << 1 << QSize(0, 0);
    QTest::newRow("shift+down taller")
        << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 16
        << r.adjusted(0, 0, 0, 1) << 1 << QSize(0, 0);
    QTest::newRow("shift+left on 21 wide still reports")
        << int(Qt::Key_Left) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 16 << r << 1
        << QSize(0, 0);
    QTest::newRow("shift+left on 22 wide narrower")
        << int(Qt::Key_Left) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 17
        << QRect(50, 60, 16, 100) << 1 << QSize(0, 0);
    QTest::newRow("shift+ctrl+up is shift's")
        << int(Qt::Key_Up) << (Qt::ShiftModifier | Qt::ControlModifier) << 16
        << r.adjusted(0, 0, 0, -1) << 1 << QSize(0, 0);
    QTest::newRow("shift+left at the field's minimum")
        << int(Qt::Key_Left) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 30
        << QRect(50, 60, 30, 100) << 1 << QSize(30, 10);
    QTest::newRow("shift+left down to a minimum below 20 pixels")
        << int(Qt::Key_Left) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 12
        << QRect(50, 60, 11, 100) << 1 << QSize(10, 10);
}

void tst_TStretchHandle::keys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, fieldWidth);
    QFETCH(QRect, field);
    QFETCH(int, moved);
    QFETCH(QSize, minimum);

    Face face;
    face.a->setMinimumSize(minimum);
    face.a->resize(fieldWidth, 100);
    face.handle->Attach(face.a);
    QSignalSpy spy(face.handle, &TStretchHandle::Moved);
    QTest::keyClick(face.handle, Qt::Key(key), modifiers);
    QCOMPARE(face.a->geometry(), field);
    QCOMPARE(spy.count(), moved);
}

void tst_TStretchHandle::lockedDragsNothing()
{
    Face face;
    face.handle->Attach(face.a);
    face.handle->setLocked(true);
    QSignalSpy moved(face.handle, &TStretchHandle::Moved);
    QTest::mousePress(face.handle, Qt::LeftButton, {}, QPoint(20, 50));
    QTest::mouseMove(face.handle, QPoint(40, 70));
    QTest::mouseRelease(face.handle, Qt::LeftButton, {}, QPoint(40, 70));
    QTest::keyClick(face.handle, Qt::Key_Right);
    QCOMPARE(face.a->geometry(), QRect(50, 60, 40, 100));
    QCOMPARE(moved.count(), 1); // the key still reports
    QCOMPARE(face.handle->cursor().shape(), Qt::ForbiddenCursor);
}

void tst_TStretchHandle::attachingElsewhereDetachesFirst()
{
    Face face;
    QWidget otherFace(&face.window);
    otherFace.setGeometry(0, 200, 300, 100);
    auto* elsewhere = new QWidget(&otherFace);
    elsewhere->setGeometry(10, 10, 30, 30);
    otherFace.show();

    face.handle->Attach(face.a);
    face.handle->Attach(face.b);
    face.handle->Attach(elsewhere);
    QCOMPARE(face.handle->TargetCount(), 1);
    QCOMPARE(face.handle->TargetAt(0), elsewhere);
    QCOMPARE(face.handle->parentWidget(), &otherFace);
    QCOMPARE(face.handle->geometry(), QRect(8, 8, 35, 35));
}

// Fields A and C under the handle, B between them: a click on B goes through to B.
void tst_TStretchHandle::clickBesideTargetsReachesFieldBeneath()
{
    Face face;
    face.handle->Attach(face.a);
    face.handle->Attach(face.c);
    QVERIFY(face.handle->geometry().contains(QPoint(130, 70)));
    QTest::mouseMove(face.handle, QPoint(10, 10));
    QTest::mouseClick(face.handle, Qt::LeftButton, {}, QPoint(130, 70) - face.handle->pos());
    QCOMPARE(face.b->presses, 1);
    QCOMPARE(face.b->lastPress, QPoint(10, 10));
    QCOMPARE(face.a->geometry(), QRect(50, 60, 40, 100));
}

void tst_TStretchHandle::windowsAreRefused()
{
    Face face;
    QWidget window;
    QVERIFY_THROWS_EXCEPTION(EBadChild, face.handle->Attach(&window));
    QVERIFY(!face.handle->Attached());
    QVERIFY(!face.handle->isVisible());
}

QTEST_MAIN(tst_TStretchHandle)
#include "tst_TStretchHandle.moc"
