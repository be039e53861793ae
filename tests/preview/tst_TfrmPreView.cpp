#include "PreviewWindow.h"
#include "common/SessionOptions.h"
#include "compose/CardTexts.h"
#include "controls/TShadowPanel.h"
#include "controls/TStretchHandle.h"
#include "controls/TTateEdit.h"
#include "layout/CardGeometry.h"
#include "layout/LayoutTable.h"
#include "layout/LayoutUnits.h"
#include "layout/PostalBoxes.h"
#include "preview/TfrmPreView.h"
#include "ui_TfrmPreView.h"

#include <QAction>
#include <QCursor>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>

// The preview driven as a user drives it, offscreen, on its own layout table.

namespace {
struct Preview : PreviewWindow
{
    // The portrait vertical face these tests were written for (names of 12 points, the
    // name's column 6 x 60 mm at 50, 45 mm), not whatever the defaults hold.
    Preview()
    {
        struct Place
        {
            LayoutItem item;
            double size;
            int x, y, width, height, widthEx;
        };
        const Place places[] = {{LayoutItem::Jyusho1, 10, 800, 300, 60, 700, 0},
                                {LayoutItem::Jyusho2, 10, 750, 300, 60, 700, 0},
                                {LayoutItem::Kaishamei, 10, 600, 400, 60, 650, 0},
                                {LayoutItem::Katagaki, 10, 550, 400, 60, 650, 0},
                                {LayoutItem::Atena, 12, 500, 450, 60, 600, 400},
                                {LayoutItem::Renmei, 12, 450, 450, 60, 600, 400},
                                {LayoutItem::PostCode, 9, 200, 1150, 719, 33, 0}};
        for (const Place& place : places) {
            LayoutItemRecord r = layouts.record(LayoutKind::TT, place.item);
            r.FontSize = place.size;
            r.X = place.x;
            r.Y = place.y;
            r.Width = place.width;
            r.Height = place.height;
            r.WidthEx = place.widthEx;
            layouts.StoreLayoutItem(int(LayoutKind::TT), int(place.item), r, false);
        }
        window.ApplyLayoutKind(LayoutKind::TT, true);
    }
    TTateEdit* atena(LayoutKind kind = LayoutKind::TT)
    {
        return window.field(LayoutItem::Atena, kind);
    }
    const LayoutItemRecord& stored(LayoutItem item = LayoutItem::Atena)
    {
        return layouts.record(window.CurrentKind(), item);
    }
    void select(TTateEdit* field) { QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(3, 3)); }
    void enter(QLineEdit* box, const QString& text)
    {
        box->clear();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    // A left-button drag of the handle's body by (dx, dy).
    void drag(int dx, int dy)
    {
        TStretchHandle* handle = window.StretchHandle1();
        const QPoint from(handle->width() / 2, handle->height() / 2 + 7);
        QTest::mousePress(handle, Qt::LeftButton, {}, from);
        QTest::mouseMove(handle, from + QPoint(dx, dy));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, from + QPoint(dx, dy));
    }
    void zoom(const QString& text) { setZoom(text); }
};
} // namespace

class tst_TfrmPreView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void zoom_data();
    void zoom();
    void zoomAppliesWhenTheBoxIsLeft();
    void selectingShowsTheRecord();
    void enterInNumberBoxes_data();
    void enterInNumberBoxes();
    void notANumberStoresNothing();
    void fontChoice();
    void dragStoresPosition_data();
    void dragStoresPosition();
    void autoStoreOffWaitsForUpdate();
    void alignment_data();
    void alignment();
    void nudgeMovesOnePixel_data();
    void nudgeMovesOnePixel();
    void panelKeepsTheSelectedField();
    void smallestBox();
    void lockBlocksEditMode();
    void endingEditModeClicksBeneath();
    void noViewHidesWhileTransparent();
    void undecodablePictureKeepsTheFace();
    void pictureFromFile();
    void digitsInTheBoxes_data();
    void digitsInTheBoxes();
    void jointNamesOnTheFace_data();
    void jointNamesOnTheFace();
    void jointNamesFollowTheAddressee_data();
    void jointNamesFollowTheAddressee();
    void jointNamesDraggedWithTheAddressee();
    void toolbarWrapsAndWindowFits();
};

void tst_TfrmPreView::zoom_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("card");
    QTest::addColumn<int>("atenaLeft"); // where its text starts, 50 mm from the card's edge

    QTest::newRow("default 90") << QString() << QSize(340, 503) << 170;
    QTest::newRow("100") << u"100%"_qs << QSize(378, 559) << 189;
    QTest::newRow("50") << u" 50%"_qs << QSize(189, 280) << 94;
    QTest::newRow("typed 75%") << u"75%"_qs << QSize(283, 420) << 142;
    QTest::newRow("typed 80 without %") << u"80"_qs << QSize(302, 447) << 151;
    QTest::newRow("not a number") << u"abc%"_qs << QSize(378, 559) << 189;
}

void tst_TfrmPreView::zoom()
{
    QFETCH(QString, text);
    QFETCH(QSize, card);
    QFETCH(int, atenaLeft);

    Preview p;
    if (!text.isNull())
        p.zoom(text);
    // The card at the printer's scale, its shadow beside it.
    TShadowPanel* face = p.window.face(LayoutKind::TT);
    QCOMPARE(face->contentsRect().size(), card);
    QCOMPARE(face->size(), card + QSize(face->HorzOffset(), face->VertOffset()));
    QCOMPARE(p.window.fieldBox(int(LayoutItem::Atena), 0).x(), atenaLeft);
    QVERIFY(p.window.face(LayoutKind::TT)->isVisible());
    QVERIFY(!p.window.face(LayoutKind::YY)->isVisible());
    // The font follows the zoom: 12 points are 16 pixels at 100 %.
    QCOMPARE(p.atena()->font().pixelSize(), qRound(16 * card.width() / 378.0));
}

// A typed zoom waits for Enter or for the box to lose the focus: "8" on the way to "80" is
// never shown.
void tst_TfrmPreView::zoomAppliesWhenTheBoxIsLeft()
{
    Preview p;
    p.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    QLineEdit* box = p.ui.ComboBox1->lineEdit();
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    QTest::keyClicks(box, u"80"_qs);
    QCOMPARE(p.window.Zoom(), 90.0);
    QCOMPARE(p.window.face(LayoutKind::TT)->contentsRect().size(), QSize(340, 503));

    p.ui.edtY->setFocus();
    QTRY_COMPARE(p.window.Zoom(), 80.0);
    QCOMPARE(p.window.face(LayoutKind::TT)->contentsRect().size(), QSize(302, 447));
}

void tst_TfrmPreView::selectingShowsTheRecord()
{
    Preview p;
    p.select(p.atena());
    QCOMPARE(p.window.windowTitle(), u"プレビュー - [宛名] X=500 Y=450 W=60 H=600 True"_qs);
    QCOMPARE(p.ui.edtWidth->text(), u"60"_qs);
    QCOMPARE(p.ui.edtSize->text(), u"12.0"_qs);
    QCOMPARE(p.ui.cbFontName->currentText(), u"ＭＳ 明朝"_qs);
    QCOMPARE(p.window.SelectedItem(), int(LayoutItem::Atena));

    // Another face clears the panel and the caption.
    p.window.setCurrentKind(LayoutKind::TY);
    p.window.ApplyLayoutKind(LayoutKind::TY, true);
    QCOMPARE(p.window.windowTitle(), u"プレビュー"_qs);
    QVERIFY(p.ui.edtWidth->text().isEmpty());
    QVERIFY(p.ui.chkAutoUpdate->isChecked());
    QVERIFY(!p.ui.Button4->isEnabled());
}

// Enter in a box of the property panel with the TT Atena selected (auto-store on).
void tst_TfrmPreView::enterInNumberBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("y");
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("widthEx");

    QTest::newRow("幅 15 refused")
        << u"edtWidth"_qs << u"15"_qs << u"60"_qs << 60 << 450 << 12.0 << 400;
    QTest::newRow("幅 20 stored") << u"edtWidth"_qs << u"20"_qs << u"20"_qs << 20 << 450 << 12.0
                                  << 400;
    QTest::newRow("幅 not a number refused")
        << u"edtWidth"_qs << u"abc"_qs << u"60"_qs << 60 << 450 << 12.0 << 400;
    QTest::newRow("ｻｲｽﾞ 4.5 becomes 10")
        << u"edtSize"_qs << u"4.5"_qs << u"10.0"_qs << 60 << 450 << 10.0 << 400;
    QTest::newRow("ｻｲｽﾞ 10.5 stored")
        << u"edtSize"_qs << u"10.5"_qs << u"10.5"_qs << 60 << 450 << 10.5 << 400;
    QTest::newRow("Ex 9 means none")
        << u"edtWidthEx"_qs << u"9"_qs << u"0"_qs << 60 << 450 << 12.0 << 0;
    QTest::newRow("上 below 0 refused")
        << u"edtY"_qs << u"-5"_qs << u"450"_qs << 60 << 450 << 12.0 << 400;
    QTest::newRow("上 30 stored") << u"edtY"_qs << u"30"_qs << u"30"_qs << 60 << 30 << 12.0 << 400;
}

void tst_TfrmPreView::enterInNumberBoxes()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, width);
    QFETCH(int, y);
    QFETCH(double, size);
    QFETCH(int, widthEx);

    Preview p;
    p.select(p.atena());
    auto* edit = p.window.findChild<QLineEdit*>(box);
    p.enter(edit, typed);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(p.stored().Width, width);
    QCOMPARE(p.stored().Y, y);
    QCOMPARE(p.stored().FontSize, size);
    QCOMPARE(p.stored().WidthEx, widthEx);
    // The field shows what is stored.
    QCOMPARE(p.window.fieldBox(int(LayoutItem::Atena), 0).width(),
             p.window.faceGeometry().toPixels(width));
    QVERIFY(p.prompter.errors.isEmpty());
}

void tst_TfrmPreView::notANumberStoresNothing()
{
    Preview p;
    p.select(p.atena());
    const LayoutItemRecord before = p.stored();
    p.ui.edtHeight->setText(u"6O0"_qs);
    p.ui.Button4->setEnabled(true);
    p.window.ApplyPropertyPanel();
    QCOMPARE(p.prompter.errors.size(), 1);
    QVERIFY(p.prompter.errors.first().contains(u"6O0"_qs));
    QCOMPARE(p.stored(), before);
    QCOMPARE(p.ui.edtHeight->text(), u"6O0"_qs);
}

// Choosing a face in "書体" restyles the selected field and, with auto-store, stores it at
// the panel's size.
void tst_TfrmPreView::fontChoice()
{
    Preview p;
    p.select(p.atena());
    p.ui.edtSize->setText(u"14.0"_qs);
    p.ui.cbFontName->setEditText(u"IPAGothic"_qs);
    QCOMPARE(p.stored().FontName, u"IPAGothic"_qs);
    QCOMPARE(p.stored().FontSize, 14.0);
    QCOMPARE(p.atena()->font().family(), u"IPAGothic"_qs);
    QCOMPARE(p.atena()->font().pixelSize(), p.window.faceGeometry().fontPixels(14));

    // Filling the panel from another field changes nothing.
    const LayoutTable before = p.layouts;
    p.select(p.window.field(LayoutItem::Jyusho1, LayoutKind::TT));
    QCOMPARE(p.layouts, before);
}

// Edit mode on the TT Atena, then a drag of the handle by (dx, dy) pixels at a zoom.
void tst_TfrmPreView::dragStoresPosition_data()
{
    QTest::addColumn<QString>("zoom");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");

    QTest::newRow("90 %") << u" 90%"_qs << 17 << -9;
    QTest::newRow("100 %") << u"100%"_qs << -30 << 40;
    QTest::newRow("50 %") << u" 50%"_qs << 5 << 5;
}

void tst_TfrmPreView::dragStoresPosition()
{
    QFETCH(QString, zoom);
    QFETCH(int, dx);
    QFETCH(int, dy);

    Preview p;
    p.zoom(zoom);
    const double z = p.window.Zoom();
    const QRect before = p.atena()->geometry();
    p.select(p.atena());
    p.window.editField(p.atena(), false);
    TStretchHandle* handle = p.window.StretchHandle1();
    QVERIFY(handle->Attached());
    // Mid-drag, while the outline follows the pointer, every size stays as it was.
    const QPoint from(handle->width() / 2, handle->height() / 2 + 7);
    QTest::mousePress(handle, Qt::LeftButton, {}, from);
    QTest::mouseMove(handle, from + QPoint(dx / 2, dy / 2));
    QCOMPARE(p.atena()->size(), before.size());
    QCOMPARE(p.stored().Width, 60);
    QCOMPARE(p.stored().Height, 600);
    QCOMPARE(p.ui.edtWidth->text(), u"60"_qs);
    QTest::mouseMove(handle, from + QPoint(dx, dy));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, from + QPoint(dx, dy));

    const QRect after = p.atena()->geometry();
    QCOMPARE(after, before.translated(dx, dy));
    const QRect box = p.window.fieldBox(int(LayoutItem::Atena), 0);
    const CardGeometry g = CardGeometry::face(z);
    QCOMPARE(g.toPixels(p.stored().X), box.x());
    QCOMPARE(g.toPixels(p.stored().Y), box.y());
    QCOMPARE(p.ui.edtX->text(), QString::number(p.stored().X));
    // A move changes the position only.
    QCOMPARE(p.stored().Width, 60);
    QCOMPARE(p.stored().Height, 600);
    QCOMPARE(p.stored().WidthEx, 400);
    // Moving keeps the font and the flags.
    QCOMPARE(p.stored().FontSize, 12.0);
    QCOMPARE(p.stored().FontName, u"ＭＳ 明朝"_qs);
}

void tst_TfrmPreView::autoStoreOffWaitsForUpdate()
{
    Preview p;
    p.select(p.atena());
    QTest::mouseClick(p.ui.chkAutoUpdate, Qt::LeftButton);
    QVERIFY(p.ui.Button4->isEnabled());
    const LayoutTable before = p.layouts;

    p.window.editField(p.atena(), false);
    p.drag(20, 0);
    QCOMPARE(p.layouts, before);
    QCOMPARE(p.ui.edtX->text(), QString::number(p.window.faceGeometry().toTenthMm(
                                    p.window.fieldBox(int(LayoutItem::Atena), 0).x())));

    QTest::mouseClick(p.ui.Button4, Qt::LeftButton);
    QCOMPARE(p.stored().X, p.ui.edtX->text().toInt());
    LayoutTable expected = before;
    LayoutItemRecord atena = before.record(LayoutKind::TT, LayoutItem::Atena);
    // The panel's values, rounded through pixels at 90 %.
    atena.X = p.ui.edtX->text().toInt();
    atena.Y = p.ui.edtY->text().toInt();
    atena.Width = p.ui.edtWidth->text().toInt();
    atena.Height = p.ui.edtHeight->text().toInt();
    atena.WidthEx = p.ui.edtWidthEx->text().toInt();
    expected.StoreLayoutItem(0, int(LayoutItem::Atena), atena, false);
    // The selected item, and the joint names that follow it.
    expected.FollowAddressee(LayoutKind::TT, before.record(LayoutKind::TT, LayoutItem::Atena));
    QCOMPARE(p.layouts, expected);
}

void tst_TfrmPreView::alignment_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("storedBy"); // empty: at once, with 自動更新
    QTest::newRow("上を合わせる") << u"MenuItem5"_qs << QString();
    QTest::newRow("左を合わせる") << u"MenuItem4"_qs << QString();
    QTest::newRow("幅を合わせる") << u"MenuItem6"_qs << QString();
    QTest::newRow("高さを合わせる") << u"MenuItem7"_qs << QString();
    QTest::newRow("上を合わせる, 自動更新 off, 更新") << u"MenuItem5"_qs << u"Button4"_qs;
    QTest::newRow("上を合わせる, 自動更新 off, 編集モード解除")
        << u"MenuItem5"_qs << u"MenuItem1"_qs;
}

// An alignment lines the boxes up on the screen and stores exactly that, at once or at 更新 /
// 編集モード解除 like a drag; the caption follows, and a zoom there and back keeps it.
void tst_TfrmPreView::alignment()
{
    QFETCH(QString, command);
    QFETCH(QString, storedBy);
    // The aligned quantity of a box on the screen and of a stored record.
    const int which =
        QStringList{u"MenuItem4"_qs, u"MenuItem5"_qs, u"MenuItem6"_qs, u"MenuItem7"_qs}.indexOf(
            command);
    const auto ofBox = [which](const QRect& b) {
        return std::array{b.x(), b.y(), b.width(), b.height()}[size_t(which)];
    };
    const auto ofRecord = [which](const LayoutItemRecord& r) {
        return std::array{r.X, r.Y, r.Width, r.Height}[size_t(which)];
    };

    Preview p;
    p.select(p.atena());
    if (!storedBy.isEmpty())
        QTest::mouseClick(p.ui.chkAutoUpdate, Qt::LeftButton);
    const LayoutTable before = p.layouts;
    QAction* align = p.window.PopupMenu2()->findChild<QAction*>(command);
    const LayoutItem items[] = {LayoutItem::Atena, LayoutItem::Jyusho1, LayoutItem::Kaishamei};
    const int count = 3;
    for (int i = 0; i < count; ++i) {
        TTateEdit* f = p.window.field(items[i], LayoutKind::TT);
        // Each field a little off the others, in place and in size.
        f->setGeometry(f->geometry().adjusted(7 * i, 5 - 4 * i, 7 * i + 3 * i, 5 - 4 * i + 6 * i));
        p.window.editField(f, i > 0);
    }
    QList<int> shifted;
    for (int i = 0; i < count; ++i)
        shifted << ofBox(p.window.fieldBox(int(items[i]), 0));
    align->trigger();

    const int least = *std::min_element(shifted.begin(), shifted.end());
    QList<QRect> aligned;
    for (int i = 0; i < count; ++i) {
        aligned << p.window.fieldBox(int(items[i]), 0);
        QCOMPARE(ofBox(aligned[i]), least);
    }
    if (storedBy == u"Button4"_qs) {
        QCOMPARE(p.layouts, before);
        QTest::mouseClick(p.ui.Button4, Qt::LeftButton);
    } else if (!storedBy.isEmpty()) {
        QCOMPARE(p.layouts, before);
        // Its click goes beneath the pointer: nowhere here.
        QCursor::setPos(QPoint(5000, 5000));
        p.window.PopupMenu2()->findChild<QAction*>(storedBy)->trigger();
    }
    const CardGeometry g = p.window.faceGeometry();
    for (int i = 0; i < count; ++i) {
        const LayoutItemRecord& r = p.stored(items[i]);
        QCOMPARE(g.toPixels(r.X, r.Y, r.Width, r.Height), aligned[i]);
    }
    const LayoutItemRecord& atena = p.stored();
    QVERIFY2(
        p.window.windowTitle().contains(
            u"X=%1 Y=%2 W=%3 H=%4"_qs.arg(atena.X).arg(atena.Y).arg(atena.Width).arg(atena.Height)),
        qPrintable(p.window.windowTitle()));
    QCOMPARE(ofRecord(p.stored(items[count - 1])), ofRecord(atena));

    p.window.ReleaseSelection(false);
    p.zoom(u"100%"_qs);
    p.zoom(u" 90%"_qs);
    for (int i = 0; i < count; ++i)
        QCOMPARE(p.window.fieldBox(int(items[i]), 0), aligned[i]);

    // Left alone with fewer than two fields.
    p.window.editField(p.atena(), false);
    p.atena()->move(p.atena()->x() + 9, 77);
    const QRect alone = p.atena()->geometry();
    align->trigger();
    QCOMPARE(p.atena()->geometry(), alone);
}

void tst_TfrmPreView::nudgeMovesOnePixel_data()
{
    QTest::addColumn<QString>("zoom");
    QTest::newRow("90 %") << u" 90%"_qs;
    QTest::newRow("70 %") << u" 70%"_qs;
    QTest::newRow("100 %") << u"100%"_qs;
}

// Every arrow key moves the field by a pixel and stores a new position; the way back gives the
// numbers it started with, and the size never changes.
void tst_TfrmPreView::nudgeMovesOnePixel()
{
    QFETCH(QString, zoom);
    Preview p;
    p.zoom(zoom);
    p.select(p.atena());
    p.window.editField(p.atena(), false);
    TStretchHandle* handle = p.window.StretchHandle1();
    const LayoutItemRecord start = p.stored();
    const QRect box = p.window.fieldBox(int(LayoutItem::Atena), 0);

    int lastX = start.X;
    for (int n = 1; n <= 40; ++n) {
        QTest::keyClick(handle, Qt::Key_Left);
        QCOMPARE(p.window.fieldBox(int(LayoutItem::Atena), 0), box.translated(-n, 0));
        QVERIFY2(p.stored().X < lastX, qPrintable(u"stuck at press %1"_qs.arg(n)));
        lastX = p.stored().X;
        QCOMPARE(p.window.faceGeometry().toPixels(lastX), box.x() - n);
    }
    for (int n = 1; n <= 3; ++n)
        QTest::keyClick(handle, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(p.window.fieldBox(int(LayoutItem::Atena), 0), box.translated(-40, 3));
    for (int n = 0; n < 40; ++n)
        QTest::keyClick(handle, Qt::Key_Right);
    for (int n = 0; n < 3; ++n)
        QTest::keyClick(handle, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(p.stored(), start);
    QCOMPARE(p.ui.edtX->text(), QString::number(start.X));
    QVERIFY(p.window.windowTitle().contains(u"X=%1 Y=%2 W=60 H=600"_qs.arg(start.X).arg(start.Y)));
}

// A click into the property panel stores the panel into the selected field, whatever field the
// handle holds; the panel shows the selected field's own values throughout.
void tst_TfrmPreView::panelKeepsTheSelectedField()
{
    Preview p;
    TTateEdit* jyusho1 = p.window.field(LayoutItem::Jyusho1, LayoutKind::TT);
    p.select(jyusho1);
    const LayoutItemRecord jyusho = p.stored(LayoutItem::Jyusho1);
    const LayoutItemRecord atena = p.stored();
    p.window.editField(p.atena(), false);
    p.drag(12, 9);
    QCOMPARE(p.ui.edtX->text(), QString::number(jyusho.X));
    QCOMPARE(p.ui.edtY->text(), QString::number(jyusho.Y));

    QTest::mouseClick(p.ui.edtX, Qt::LeftButton);
    QCOMPARE(p.stored(LayoutItem::Jyusho1), jyusho);
    QVERIFY(p.stored().X > atena.X);
    QCOMPARE(jyusho1->geometry().topLeft(),
             p.window.fieldBox(int(LayoutItem::Jyusho1), 0).topLeft() -
                 QPoint(jyusho1->inset(), jyusho1->inset()));
}

// Neither a corner dragged past the field nor Shift+arrows make a box under 2 mm, the least
// the property panel takes.
void tst_TfrmPreView::smallestBox()
{
    Preview p;
    p.window.editField(p.atena(), false);
    TStretchHandle* handle = p.window.StretchHandle1();
    const QPoint corner(handle->width() - 2, handle->height() - 2);
    QTest::mouseMove(handle, corner);
    QTest::mousePress(handle, Qt::LeftButton, {}, corner);
    QTest::mouseMove(handle, QPoint(1, 1));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(1, 1));
    // The smallest whole pixel at 90 % that is 2 mm or more.
    QCOMPARE(p.stored().Width, 21);
    QCOMPARE(p.stored().Height, 21);
    for (int n = 0; n < 10; ++n) {
        QTest::keyClick(handle, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(handle, Qt::Key_Up, Qt::ShiftModifier);
    }
    QVERIFY(p.stored().Width >= 20 && p.stored().Height >= 20);
    // Still there to be found and grown again.
    QVERIFY(p.atena()->width() > 2 * p.atena()->inset());
    QTest::keyClick(handle, Qt::Key_Right, Qt::ShiftModifier);
    QVERIFY(p.stored().Width > 20);
}

void tst_TfrmPreView::lockBlocksEditMode()
{
    Preview p;
    TTateEdit* barcode = p.window.field(LayoutItem::PostCode, LayoutKind::TT);
    p.select(barcode); // the barcode's record is locked
    QVERIFY(p.ui.chkLock->isChecked());
    p.window.editField(barcode, false);
    QVERIFY(!p.window.StretchHandle1()->Attached());
    // Nor added to another field with Shift, whatever field the panel shows.
    p.window.editField(p.atena(), false);
    p.window.editField(barcode, true);
    QCOMPARE(p.window.StretchHandle1()->TargetCount(), 1);
    QTest::keyClick(p.window.StretchHandle1(), Qt::Key_Right);
    QCOMPARE(p.window.fieldBox(int(LayoutItem::PostCode), 0).topLeft(),
             p.window.faceGeometry().toPixels(
                 QPoint(p.stored(LayoutItem::PostCode).X, p.stored(LayoutItem::PostCode).Y)));
    p.window.ReleaseSelection(false);

    p.select(p.atena());
    QVERIFY(!p.ui.chkLock->isChecked());
    p.window.editField(p.atena(), false);
    QVERIFY(p.window.StretchHandle1()->Attached());
    // A click on the face ends edit mode.
    QTest::mouseClick(p.window.face(LayoutKind::TT), Qt::LeftButton, {}, QPoint(5, 300));
    QVERIFY(!p.window.StretchHandle1()->Attached());
}

// "編集モード解除(&E)" lets go of the fields and clicks what lies under the pointer.
void tst_TfrmPreView::endingEditModeClicksBeneath()
{
    Preview p;
    TTateEdit* kaishamei = p.window.field(LayoutItem::Kaishamei, LayoutKind::TT);
    p.window.editField(p.atena(), false);
    QCursor::setPos(kaishamei->mapToGlobal(QPoint(10, 30)));
    if (QCursor::pos() != kaishamei->mapToGlobal(QPoint(10, 30)))
        QSKIP("this platform has no pointer to move");
    p.window.PopupMenu2()->findChild<QAction*>(u"MenuItem1"_qs)->trigger();
    QVERIFY(!p.window.StretchHandle1()->Attached());
    QVERIFY2(p.window.windowTitle().contains(u"[会社名]"_qs), qPrintable(p.window.windowTitle()));
}

void tst_TfrmPreView::noViewHidesWhileTransparent()
{
    Preview p;
    LayoutItemRecord r = p.stored(LayoutItem::Jyusho2);
    r.NoView = true;
    p.layouts.StoreLayoutItem(0, int(LayoutItem::Jyusho2), r, false);
    p.window.ApplyLayoutKind(LayoutKind::TT, true);
    TTateEdit* field = p.window.field(LayoutItem::Jyusho2, LayoutKind::TT);
    QVERIFY(!field->isVisible());
    QTest::mouseClick(p.ui.CheckBox2, Qt::LeftButton);
    QVERIFY(field->isVisible());
    QCOMPARE(field->BorderStyle(), TTateEdit::bsSingle);
    QVERIFY(!field->TransParent());
}

void tst_TfrmPreView::undecodablePictureKeepsTheFace()
{
    Preview p;
    QTemporaryDir dir;
    const QString bad = dir.filePath(u"壊れた.png"_qs);
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("\x89PNG\r\n\x1a\nnot really a picture");
    f.close();

    const qint64 before = p.window.face(LayoutKind::TT)->Picture().cacheKey();
    p.prompter.openAnswers << bad;
    QTest::mouseClick(p.ui.Button2, Qt::LeftButton);
    QCOMPARE(p.prompter.errors.size(), 1);
    QVERIFY(p.prompter.errors.first().contains(u"壊れた.png"_qs));
    QCOMPARE(p.window.face(LayoutKind::TT)->Picture().cacheKey(), before);
    QVERIFY(p.window.BackImageNames()[0].isEmpty());
    QVERIFY(p.prompter.openQuestions.first().filter.contains(u"*.PNG"_qs));
}

void tst_TfrmPreView::pictureFromFile()
{
    Preview p;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"design.png"_qs);
    QImage design(100, 148, QImage::Format_RGB32);
    design.fill(QColor(10, 200, 30));
    QVERIFY(design.save(path));

    p.prompter.openAnswers << path;
    QTest::mouseClick(p.ui.Button2, Qt::LeftButton);
    QVERIFY(p.prompter.errors.isEmpty());
    QCOMPARE(p.window.BackImageNames()[0], path);
    QCOMPARE(p.ui.edtBackImageName->text(), u"design.png"_qs);
    const QImage face = p.window.face(LayoutKind::TT)->grab().toImage();
    QCOMPARE(face.pixelColor(5, 5), QColor(10, 200, 30));

    QTest::mouseClick(p.ui.Button3, Qt::LeftButton);
    QVERIFY(p.window.face(LayoutKind::TT)->Picture().isNull());
    QCOMPARE(p.window.BackImageNames()[0], path);
}

void tst_TfrmPreView::digitsInTheBoxes_data()
{
    QTest::addColumn<bool>("option");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("boxed");
    QTest::newRow("on") << true << u"100-0013"_qs << true;
    QTest::newRow("on, full width") << true << u"１００－００１３"_qs << true;
    QTest::newRow("on, six digits") << true << u"100-001"_qs << false;
    QTest::newRow("off") << false << u"100-0013"_qs << false;
}

// With "郵便番号を枠に合わせる" the face shows each digit in its printed box, as the card
// gets it, and the two postal fields step aside.
void tst_TfrmPreView::digitsInTheBoxes()
{
    QFETCH(bool, option);
    QFETCH(QString, code);
    QFETCH(bool, boxed);
    Preview p;
    SessionOptions options;
    options.zipInBoxes[0] = option;
    p.window.setSessionOptions(&options);
    p.window.ApplyLayoutKind(LayoutKind::TT, true);
    CardTexts texts;
    texts[LayoutItem::YubinNo1] = code.left(3);
    texts[LayoutItem::YubinNo2] = code.mid(4);
    p.window.setCardTexts(LayoutKind::TT, texts);

    QCOMPARE(p.window.field(LayoutItem::YubinNo1, LayoutKind::TT)->isVisible(), !boxed);
    QCOMPARE(p.window.field(LayoutItem::YubinNo2, LayoutKind::TT)->isVisible(), !boxed);
    const QImage face = p.window.face(LayoutKind::TT)->grab().toImage();
    const double pixelsPerMm = 96 / 25.4 * p.window.Zoom() / 100;
    int inked = 0;
    for (double left : PostalBoxes::CodeBoxLeftMm) {
        bool ink = false;
        for (double y = 0.8; y < PostalBoxes::CodeBoxHeightMm - 0.8; y += 0.2)
            for (double x = 0.8; x < PostalBoxes::CodeBoxWidthMm - 0.8; x += 0.2)
                ink = ink || qGray(face.pixel(QPointF((left + x) * pixelsPerMm,
                                                      (PostalBoxes::CodeBoxTopMm + y) * pixelsPerMm)
                                                  .toPoint())) < 100;
        inked += ink;
    }
    QCOMPARE(inked == 7, boxed);
}

// A household: the joint-name field shows the first name, the second stands in the column to
// its left as the card gets it, and printing from the preview takes both; the sender's alike.
void tst_TfrmPreView::jointNamesOnTheFace_data()
{
    QTest::addColumn<LayoutItem>("item");
    QTest::addColumn<LayoutItem>("name");
    QTest::newRow("addressee") << LayoutItem::Renmei << LayoutItem::Atena;
    QTest::newRow("sender") << LayoutItem::SenderRenmei << LayoutItem::SenderName;
}

void tst_TfrmPreView::jointNamesOnTheFace()
{
    QFETCH(LayoutItem, item);
    QFETCH(LayoutItem, name);
    Preview p;
    p.window.ApplyLayoutKind(LayoutKind::TT, true);
    const LayoutItemRecord& r = p.layouts.record(LayoutKind::TT, item);
    const double pixelsPerMm = 96 / 25.4 * p.window.Zoom() / 100;
    // Ink in the column one field's width left of the field.
    const auto secondColumnInked = [&] {
        const QImage face = p.window.face(LayoutKind::TT)->grab().toImage();
        for (double y = r.Y / 10.0; y < (r.Y + r.Height) / 10.0; y += 0.2)
            for (double x = (r.X - r.Width) / 10.0 + 0.3; x < r.X / 10.0 - 0.3; x += 0.2)
                if (qGray(face.pixel(QPointF(x * pixelsPerMm, y * pixelsPerMm).toPoint())) < 100)
                    return true;
        return false;
    };
    CardTexts texts;
    texts[name] = u"山田　太郎　様"_qs;
    texts[item] = u"　　　花子　様"_qs;
    p.window.setCardTexts(LayoutKind::TT, texts);
    QVERIFY(!secondColumnInked());

    texts[item] = u"　　　花子　様\n　　　秀樹　様"_qs;
    p.window.setCardTexts(LayoutKind::TT, texts);
    QCOMPARE(p.window.field(item, LayoutKind::TT)->Text(), u"　　　花子　様"_qs);
    QVERIFY(secondColumnInked());
    QCOMPARE(p.window.cardTexts(LayoutKind::TT)[item], texts[item]);
}

// The user changes 宛名 in the property panel: 連名 beside it takes its size and its start
// along the writing, on the face as in the table; 連名 the user has set apart stays.
void tst_TfrmPreView::jointNamesFollowTheAddressee_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<bool>("apart");  // 連名 stored at a size of its own
    QTest::addColumn<double>("grow"); // points added to 宛名's size
    QTest::addColumn<int>("shift");   // 宛名 moved along the writing, 1/10 mm

    QTest::newRow("TT enlarged") << LayoutKind::TT << false << 6.0 << 0;
    QTest::newRow("TT moved down") << LayoutKind::TT << false << 0.0 << 50;
    QTest::newRow("TY enlarged") << LayoutKind::TY << false << 6.0 << 0;
    QTest::newRow("YT enlarged") << LayoutKind::YT << false << 6.0 << 0;
    QTest::newRow("TT set apart stays") << LayoutKind::TT << true << 6.0 << 0;
    QTest::newRow("TY set apart stays") << LayoutKind::TY << true << 0.0 << 50;
}

void tst_TfrmPreView::jointNamesFollowTheAddressee()
{
    QFETCH(LayoutKind, kind);
    QFETCH(bool, apart);
    QFETCH(double, grow);
    QFETCH(int, shift);

    Preview p;
    LayoutItemRecord joint = p.layouts.record(kind, LayoutItem::Renmei);
    if (apart) {
        joint.FontSize -= 2;
        p.layouts.StoreLayoutItem(int(kind), int(LayoutItem::Renmei), joint, false);
    }
    p.window.setCurrentKind(kind);
    p.window.ApplyLayoutKind(kind, true);
    p.select(p.atena(kind));
    const LayoutItemRecord before = p.stored();
    if (grow > 0)
        p.ui.edtSize->setText(QString::number(before.FontSize + grow, 'f', 1));
    const bool vertical = !isHorizontalWriting(kind);
    QLineEdit* along = vertical ? p.ui.edtY : p.ui.edtX;
    along->setText(QString::number((vertical ? before.Y : before.X) + shift));
    p.ui.Button4->setEnabled(true);
    p.window.ApplyPropertyPanel();
    const LayoutItemRecord& atena = p.stored();
    QVERIFY(atena != before);

    const LayoutItemRecord& renmei = p.stored(LayoutItem::Renmei);
    if (apart) {
        QCOMPARE(renmei, joint);
        return;
    }
    QCOMPARE(renmei.FontSize, atena.FontSize);
    QVERIFY(LayoutTable::FollowsAddressee(kind, atena, renmei));
    // Clear of the name at its new size: a column's breadth left of it, a line's below it.
    const int breadth = LayoutUnits::pointsToTenthMm(atena.FontSize);
    QCOMPARE_GE(vertical ? atena.X - renmei.X : renmei.Y - atena.Y, breadth);
    QCOMPARE(p.window.fieldBox(int(LayoutItem::Renmei), int(kind)).topLeft(),
             QPoint(p.window.faceGeometry().toPixels(renmei.X),
                    p.window.faceGeometry().toPixels(renmei.Y)));
}

// 連名 and 宛名 under the handle together move once, by the drag, whichever was taken first.
void tst_TfrmPreView::jointNamesDraggedWithTheAddressee()
{
    Preview p;
    const LayoutTable before = p.layouts;
    p.window.editField(p.window.field(LayoutItem::Renmei, LayoutKind::TT), false);
    p.window.editField(p.atena(), true);
    p.drag(20, 0);
    const int moved = p.stored().X - before.record(LayoutKind::TT, LayoutItem::Atena).X;
    QCOMPARE_GT(moved, 0);
    QCOMPARE(p.stored(LayoutItem::Renmei).X,
             before.record(LayoutKind::TT, LayoutItem::Renmei).X + moved);
}

// Narrower than its toolbar, the window shows every control in two rows; it opens with its
// frame inside the screen's free area.
void tst_TfrmPreView::toolbarWrapsAndWindowFits()
{
    Preview p;
    for (const int width : {p.window.minimumWidth(), 700, 1300}) {
        p.window.resize(width, 700);
        QCoreApplication::processEvents();
        for (QWidget* control : p.ui.Panel1->findChildren<QWidget*>()) {
            if (!control->isVisible() || control->window() != &p.window)
                continue;
            const QRect r(control->mapTo(&p.window, QPoint()), control->size());
            QVERIFY2(p.window.rect().contains(r),
                     qPrintable(u"%1 %2 at %3,%4 at %5 wide"_qs
                                    .arg(QString::fromLatin1(control->metaObject()->className()),
                                         control->objectName())
                                    .arg(r.x())
                                    .arg(r.right())
                                    .arg(width)));
        }
        // Below the toolbar, the whole face.
        const QRect face(p.window.face(LayoutKind::TT)->mapTo(&p.window, QPoint()),
                         p.window.face(LayoutKind::TT)->size());
        QVERIFY(face.top() >= p.ui.PageScroller1->geometry().bottom());
    }

    const QRect available(50, 20, 700, 560);
    p.window.placeOnScreen(available, -40);
    QTRY_VERIFY2(available.contains(p.window.frameGeometry()),
                 qPrintable(u"%1,%2 %3x%4"_qs.arg(p.window.frameGeometry().x())
                                .arg(p.window.frameGeometry().y())
                                .arg(p.window.frameGeometry().width())
                                .arg(p.window.frameGeometry().height())));
    QTRY_COMPARE(p.window.frameGeometry().right(), available.right());
}

QTEST_MAIN(tst_TfrmPreView)
#include "tst_TfrmPreView.moc"
