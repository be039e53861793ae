#include "PreviewWindow.h"
#include "cli/CliRun.h"
#include "controls/TShadowPanel.h"
#include "controls/TTateEdit.h"
#include "layout/LayoutTable.h"
#include "layout/LayoutUnits.h"
#include "layout/TObjStreamV.h"
#include "preview/TfrmPreView.h"
#include "ui_TfrmPreView.h"

#include <QAction>
#include <QBuffer>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

// The preview's layout-file commands driven as a user drives them: the menu items, the
// dialogs answered by the scripted prompter, files in a temporary folder.

namespace {

struct Preview : PreviewWindow
{
    void show(LayoutKind kind)
    {
        window.setKindButtons(kind);
        window.setCurrentKind(kind);
        window.reshow();
    }
    void run(QMenu* menu, const char* item)
    {
        QAction* action = menu->findChild<QAction*>(QLatin1String(item));
        QVERIFY(action);
        action->trigger();
    }
    void save(const QString& chosen)
    {
        prompter.saveAnswers.enqueue(chosen);
        run(window.PopupMenu1(), "A1");
    }
    void load(const QString& path)
    {
        prompter.openAnswers.enqueue(path);
        run(window.PopupMenu2(), "R1");
    }
    LayoutItemRecord record(LayoutKind kind, LayoutItem item = LayoutItem::Atena)
    {
        return layouts.record(kind, item);
    }
    // The Atena record as a load reads it back from a file: 1/10 mm through whole pixels at
    // the zoom.
    LayoutItemRecord asOnFace(LayoutKind kind)
    {
        LayoutItemRecord r = record(kind);
        const double zoom = window.Zoom();
        const auto back = [zoom](int tenthMm) {
            const int pixels = LayoutUnits::tenthMmToPixelsAtZoom(tenthMm, zoom, 96.0);
            return LayoutUnits::pixelsToTenthMm(qRound(pixels * 100.0 / zoom), 96.0);
        };
        r.X = back(r.X);
        r.Y = back(r.Y);
        r.Width = back(r.Width);
        r.Height = back(r.Height);
        r.WidthEx = back(r.WidthEx);
        return r;
    }
    void moveAtena(LayoutKind kind, int dx)
    {
        LayoutItemRecord r = record(kind);
        r.X += dx;
        r.Lock = false;
        r.FontSize = 20;
        window.StoreLayoutItem(int(kind), int(LayoutItem::Atena), r, false);
    }
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class tst_PreviewLayoutFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void saveMoveLoad();
    void fileOfAnotherFace();
    void nameWithoutKindIsIgnored();
    void brokenFileChangesNothing();
    void pictureTravels();
    void hostileFilesRefused_data();
    void hostileFilesRefused();
    void farValueReplacedAndTold();
};

// Saved, moved, loaded: the field is back where it was saved, flags and size with it.
void tst_PreviewLayoutFile::saveMoveLoad()
{
    Preview p;
    LayoutItemRecord atena = p.record(LayoutKind::TT);
    atena.Lock = true;
    atena.NoView = false;
    atena.NoPrint = true;
    atena.FontSize = 10.5;
    p.window.StoreLayoutItem(0, int(LayoutItem::Atena), atena, false);
    const LayoutItemRecord savedFace = p.asOnFace(LayoutKind::TT);

    QTemporaryDir dir;
    p.save(dir.filePath("card.tyd"));
    QVERIFY2(p.prompter.errors.isEmpty(), qPrintable(p.prompter.errors.join('\n')));
    const QString file = dir.filePath("cardTT.tyd");
    QVERIFY(QFile::exists(file));
    QCOMPARE(p.window.field(LayoutItem::Atena, LayoutKind::TT)->Text(), QStringLiteral("[宛先]"));
    QCOMPARE(p.window.field(LayoutItem::Atena, LayoutKind::TT)->Hint(), QStringLiteral("10110.50"));
    QCOMPARE(p.window.face(LayoutKind::TT)->Hint(), QStringLiteral("90.00"));

    p.moveAtena(LayoutKind::TT, 100);
    const int movedLeft = p.window.field(LayoutItem::Atena, LayoutKind::TT)->x();
    p.load(file);
    QVERIFY2(p.prompter.errors.isEmpty(), qPrintable(p.prompter.errors.join('\n')));
    QCOMPARE(p.record(LayoutKind::TT), savedFace);
    QVERIFY(p.window.field(LayoutItem::Atena, LayoutKind::TT)->x() < movedLeft);

    // Saving over the file asks first when the name written is not the one chosen.
    p.prompter.confirmAnswers.enqueue(false);
    p.moveAtena(LayoutKind::TT, 50);
    const QByteArray before = readAll(file);
    p.save(dir.filePath("card"));
    QCOMPARE(p.prompter.questions.size(), 1);
    QCOMPARE(readAll(file), before);
}

// A YT file loads into the YT face while TT is shown, at the zoom it was saved at.
void tst_PreviewLayoutFile::fileOfAnotherFace()
{
    Preview p;
    p.show(LayoutKind::YT);
    const LayoutItemRecord saved = p.asOnFace(LayoutKind::YT);
    QTemporaryDir dir;
    p.save(dir.filePath("yoko"));
    const QString file = dir.filePath("yokoYT.tyd");
    QVERIFY(QFile::exists(file));

    p.show(LayoutKind::TT);
    p.setZoom("100%");
    QCOMPARE(p.window.Zoom(), 100.0);
    p.moveAtena(LayoutKind::YT, -200);
    const LayoutItemRecord tt = p.record(LayoutKind::TT);
    p.load(file);
    QCOMPARE(p.window.CurrentKind(), LayoutKind::YT);
    QCOMPARE(p.window.Zoom(), 90.0);
    QCOMPARE(p.ui.ComboBox1->currentText(), QStringLiteral(" 90%"));
    QVERIFY(p.ui.RadioButton1->isChecked() && p.ui.RadioButton5->isChecked());
    const LayoutItemRecord loaded = p.record(LayoutKind::YT);
    QCOMPARE(loaded.X, saved.X);
    QCOMPARE(loaded.Y, saved.Y);
    QCOMPARE(loaded.Width, saved.Width);
    QCOMPARE(loaded.Height, saved.Height);
    QCOMPARE(loaded.WidthEx, saved.WidthEx);
    QCOMPARE(loaded, saved);
    QCOMPARE(p.record(LayoutKind::TT), tt);
    QCOMPARE(p.window.face(LayoutKind::YT)->contentsRect().size(), QSize(503, 340));
}

void tst_PreviewLayoutFile::nameWithoutKindIsIgnored()
{
    Preview p;
    QTemporaryDir dir;
    p.save(dir.filePath("card"));
    QVERIFY(QFile::copy(dir.filePath("cardTT.tyd"), dir.filePath("card.tyd")));
    p.moveAtena(LayoutKind::TT, 30);
    const LayoutTable before = p.layouts;
    p.load(dir.filePath("card.tyd"));
    QVERIFY(p.prompter.errors.isEmpty());
    QVERIFY(p.layouts == before);
}

// A file cut short: the message, and the face and the layout exactly as they were.
void tst_PreviewLayoutFile::brokenFileChangesNothing()
{
    Preview p;
    QTemporaryDir dir;
    p.save(dir.filePath("card"));
    const QByteArray good = readAll(dir.filePath("cardTT.tyd"));
    const QString broken = dir.filePath("brokenTT.tyd");
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(good.left(good.size() - 40));
    f.close();

    p.moveAtena(LayoutKind::TT, 30);
    const LayoutTable before = p.layouts;
    TTateEdit* atena = p.window.field(LayoutItem::Atena, LayoutKind::TT);
    const QRect geometry = atena->geometry();
    p.load(broken);
    QCOMPARE(p.prompter.errors, QStringList{QStringLiteral("不正なストリーム フォーマット")});
    QVERIFY(p.layouts == before);
    QCOMPARE(atena->geometry(), geometry);
}

// The face's background picture goes into the file and comes back with it; a JPEG as it was.
void tst_PreviewLayoutFile::pictureTravels()
{
    Preview p;
    QTemporaryDir dir;
    const QString picture = dir.filePath("design.jpg");
    QImage design(100, 148, QImage::Format_RGB32);
    design.fill(QColor(10, 200, 30));
    QVERIFY(design.save(picture, "jpeg"));
    p.prompter.openAnswers.enqueue(picture);
    p.ui.Button2->click();
    TShadowPanel* face = p.window.face(LayoutKind::TT);
    QCOMPARE(face->pictureFile(), readAll(picture));

    p.save(dir.filePath("card"));
    p.ui.Button3->click();
    QVERIFY(face->Picture().isNull());
    p.load(dir.filePath("cardTT.tyd"));
    QCOMPARE(face->Picture().size(), QSize(100, 148));
    QCOMPARE(face->pictureFile(), readAll(picture));
}

// Files that would break the layout, each refused by the window and by tayori-cli alike with
// the stream-format message: nothing of them applied, the user's layout and zoom kept, and a
// drag afterwards stores into the dragged field's own record.
void tst_PreviewLayoutFile::hostileFilesRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    Preview maker;
    QTemporaryDir dir;
    maker.save(dir.filePath("card"));
    TShadowPanel* face = maker.window.face(LayoutKind::TT);
    TTateEdit* atena = maker.window.field(LayoutItem::Atena, LayoutKind::TT);
    TTateEdit* renmei = maker.window.field(LayoutItem::Renmei, LayoutKind::TT);
    // The face's stream while `change` holds; the face is put back after.
    const auto stream = [&](const std::function<void()>& change) {
        const QByteArray good = TObjStreamV::write(face);
        const QPixmap picture = face->Picture();
        const QByteArray pictureFile = face->pictureFile();
        change();
        const QByteArray bytes = TObjStreamV::write(face);
        TObjStreamV::read(good, face);
        face->setPicture(picture);
        face->setPictureFile(pictureFile);
        return bytes;
    };
    QTest::newRow("tag 1000000") << stream([&] { atena->setTag(1000000); });
    QTest::newRow("repeated tag") << stream([&] { renmei->setTag(int(LayoutItem::Atena)); });
    QTest::newRow("tags swapped") << stream([&] {
        atena->setTag(int(LayoutItem::Renmei));
        renmei->setTag(int(LayoutItem::Atena));
    });
    QImage design(300, 444, QImage::Format_RGB32);
    design.fill(QColor(200, 30, 30));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    design.save(&buffer, "jpeg");
    QTest::newRow("picture cut to a third") << stream([&] {
        face->setPicture(QPixmap::fromImage(design));
        face->setPictureFile(jpeg.left(jpeg.size() / 3));
    });
    QTest::newRow("zoom 5000") << stream([&] { face->setHint("5000.00"); });
    QTest::newRow("zoom 1e300") << stream([&] { face->setHint("1e300"); });
    QTest::newRow("zoom 99999999999") << stream([&] { face->setHint("99999999999"); });
    QTest::newRow("zoom 5") << stream([&] { face->setHint("5.00"); });
    QByteArray unknownAlignment = stream([] {});
    QVERIFY(unknownAlignment.contains("alJustifyEx"));
    QTest::newRow("unknown alignment") << unknownAlignment.replace("alJustifyEx", "alJustifyXX");
    QByteArray unknownBorder = stream([&] { atena->setBorderStyle(TTateEdit::bsNone); });
    QVERIFY(unknownBorder.contains("bsNone"));
    QTest::newRow("unknown border style") << unknownBorder.replace("bsNone", "bsXone");
}

void tst_PreviewLayoutFile::hostileFilesRefused()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString file = dir.filePath("hostileTT.tyd");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    const QString format = QStringLiteral("不正なストリーム フォーマット");

    Preview p;
    p.moveAtena(LayoutKind::TT, 30);
    const LayoutTable before = p.layouts;
    TShadowPanel* face = p.window.face(LayoutKind::TT);
    TTateEdit* atena = p.window.field(LayoutItem::Atena, LayoutKind::TT);
    const QByteArray shown = TObjStreamV::write(face);
    const QSize faceSize = face->size();
    p.load(file);
    QCOMPARE(p.prompter.errors, QStringList{format});
    QVERIFY(p.layouts == before);
    QCOMPARE(TObjStreamV::write(face), shown);
    QCOMPARE(p.window.Zoom(), 90.0);
    QCOMPARE(face->size(), faceSize);

    // A drag of the addressee stores into its own record, and the joint names beside it
    // keep their distance.
    p.ui.chkAutoUpdate->setChecked(true);
    p.window.editField(atena, false);
    atena->move(atena->x() + 10, atena->y());
    p.window.StretchHandle1Moved();
    const int moved =
        p.record(LayoutKind::TT).X - before.record(LayoutKind::TT, LayoutItem::Atena).X;
    QCOMPARE_GT(moved, 0);
    QCOMPARE(p.record(LayoutKind::TT, LayoutItem::Renmei).X,
             before.record(LayoutKind::TT, LayoutItem::Renmei).X + moved);

    const QString ini = dir.filePath("tayori.ini");
    const QByteArray settings = "[ITEMFONT]\r\nitem17=\"X,9.0,1,1,1,1,1,False,False,False\"\r\n";
    {
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(settings);
    }
    const CliRun run = RunCli({"layout", file, "--into", ini});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains(format), qPrintable(run.errors));
    QCOMPARE(run.out, QString());
    QCOMPARE(readAll(ini), settings);
}

// A field placed beyond any card loads at its default place, and the window says so as
// tayori-cli does.
void tst_PreviewLayoutFile::farValueReplacedAndTold()
{
    Preview p;
    QTemporaryDir dir;
    p.save(dir.filePath("card"));
    TShadowPanel* face = p.window.face(LayoutKind::TT);
    const QByteArray good = TObjStreamV::write(face);
    TTateEdit* atena = p.window.field(LayoutItem::Atena, LayoutKind::TT);
    atena->setLeft(100000);
    const QByteArray far = TObjStreamV::write(face);
    TObjStreamV::read(good, face);
    const QString file = dir.filePath("farTT.tyd");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(far);
    }
    p.moveAtena(LayoutKind::TT, 30);
    p.load(file);
    QVERIFY2(p.prompter.errors.isEmpty(), qPrintable(p.prompter.errors.join('\n')));
    const int atenaDefault = LayoutTable::defaultRecord(LayoutKind::TT, LayoutItem::Atena).X;
    QCOMPARE(p.record(LayoutKind::TT).X, atenaDefault);
    QCOMPARE(p.prompter.messages.size(), 1);
    const QRegularExpression note(
        QStringLiteral("^宛名 の X \\d{6} は範囲外のため %1 にしました$").arg(atenaDefault));
    QVERIFY2(note.match(p.prompter.messages[0]).hasMatch(), qPrintable(p.prompter.messages[0]));
}

QTEST_MAIN(tst_PreviewLayoutFile)
#include "tst_PreviewLayoutFile.moc"
