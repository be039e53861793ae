#include "layout/LayoutFile.h"
#include "layout/LayoutTable.h"
#include "layout/LayoutUnits.h"
#include "layout/PlainFace.h"
#include "layout/PlainFaceField.h"
#include "layout/TObjStreamV.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

constexpr double Dpi = 96.0;

LayoutTable editedTable()
{
    LayoutTable table;
    LayoutItemRecord atena = table.record(LayoutKind::TT, LayoutItem::Atena);
    atena.Lock = true;
    atena.NoView = false;
    atena.NoPrint = true;
    atena.FontSize = 10.5;
    table.StoreLayoutItem(int(LayoutKind::TT), int(LayoutItem::Atena), atena, false);
    return table;
}

// The bytes of the TT face of `table` saved at `zoom`, after `change` edits the face.
QByteArray savedFace(const LayoutTable& table, double zoom,
                     const std::function<void(PlainFace&)>& change = {})
{
    PlainFace face(table, LayoutKind::TT, zoom, Dpi);
    LayoutFile::prepareSave(&face, table, LayoutKind::TT, zoom);
    if (change)
        change(face);
    return TObjStreamV::write(&face);
}

// 1/10 mm shown at a zoom and read back, as a save and a load take it.
int throughPixels(int tenthMm, double zoom)
{
    const int shown = LayoutUnits::tenthMmToPixelsAtZoom(tenthMm, zoom, Dpi);
    return LayoutUnits::pixelsToTenthMm(qRound(shown * 100.0 / zoom), Dpi);
}

} // namespace

class tst_LayoutFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fileNames_data();
    void fileNames();
    void roundTripThroughFile();
    void hintWithoutFlags();
    void refusedLoadsChangeNothing_data();
    void refusedLoadsChangeNothing();
    void saveFailureKeepsOldFile();
};

void tst_LayoutFile::fileNames_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("kindRead"); // of the chosen name; -1: none, a load ignores it

    QTest::newRow("card.tyd as TT") << "/x/card.tyd" << 0 << "/x/cardTT.tyd" << -1;
    QTest::newRow("no extension") << "card" << 1 << "cardTY.tyd" << -1;
    QTest::newRow("tag in the folder only") << "/TT.b/card" << 2 << "/TT.b/cardYT.tyd" << -1;
    QTest::newRow("other extension") << "c.txt" << 3 << "cYY.tyd" << -1;
    QTest::newRow("lower case tag") << "cardyt.tyd" << 2 << "cardyt.tyd" << 2;
    QTest::newRow("other kind's file") << "cardTT.tyd" << 2 << "cardTTYT.tyd" << 0;
    QTest::newRow("tag not before a point") << "TTcard.tyd" << 0 << "TTcardTT.tyd" << -1;
    QTest::newRow("first tag in TT, TY, YT, YY order")
        << "a.YY.TY.tyd" << 0 << "a.YY.TYTT.tyd" << 1;
}

void tst_LayoutFile::fileNames()
{
    QFETCH(QString, chosen);
    QFETCH(int, kind);
    QFETCH(QString, saved);
    QFETCH(int, kindRead);
    QCOMPARE(LayoutFile::fileNameForKind(chosen, LayoutKind(kind)), saved);
    const auto read = LayoutFile::kindOfFileName(chosen);
    QCOMPARE(read ? int(*read) : -1, kindRead);
    QCOMPARE(LayoutFile::kindOfFileName(saved), std::optional<LayoutKind>(LayoutKind(kind)));
}

// Saved at 90 %, loaded into a face showing another layout at 100 %: the zoom and every
// record come back, the flags and the font size through the field's hint.
void tst_LayoutFile::roundTripThroughFile()
{
    const LayoutTable table = editedTable();
    PlainFace face(table, LayoutKind::TT, 90.0, Dpi);
    LayoutFile::prepareSave(&face, table, LayoutKind::TT, 90.0);
    QCOMPARE(face.Hint, QStringLiteral("90.00"));
    QCOMPARE(face.field(int(LayoutItem::Atena))->Hint, QStringLiteral("10110.50"));
    QCOMPARE(face.field(int(LayoutItem::Atena))->Text, QStringLiteral("[宛先]"));

    QTemporaryDir dir;
    const QString path = dir.filePath(LayoutFile::fileNameForKind("card.tyd", LayoutKind::TT));
    QString error;
    QVERIFY2(LayoutFile::save(&face, path, &error), qPrintable(error));

    PlainFace other(LayoutTable(), LayoutKind::TT, 100.0, Dpi);
    LayoutFile::Loaded loaded;
    QVERIFY2(LayoutFile::loadFile(path, &other, Dpi, &loaded, &error), qPrintable(error));
    QCOMPARE(loaded.zoom, 90.0);
    QCOMPARE(LayoutFile::zoomBoxText(loaded.zoom), QStringLiteral(" 90%"));
    QCOMPARE(loaded.fields.size(), LayoutItemCount);
    for (const LayoutFile::FieldRecord& f : loaded.fields) {
        const LayoutItemRecord& want = table.record(LayoutKind::TT, LayoutItem(f.item));
        const LayoutItemRecord& got = f.record;
        QCOMPARE(got.FontName, want.FontName);
        QCOMPARE(got.FontSize, want.FontSize);
        QCOMPARE(got.Lock, want.Lock);
        QCOMPARE(got.NoView, want.NoView);
        QCOMPARE(got.NoPrint, want.NoPrint);
        QCOMPARE(got.X, throughPixels(want.X, 90.0));
        QCOMPARE(got.Y, throughPixels(want.Y, 90.0));
        QCOMPARE(got.Width, throughPixels(want.Width, 90.0));
        QCOMPARE(got.Height, throughPixels(want.Height, 90.0));
        if (LayoutItem(f.item) != LayoutItem::PostCode)
            QCOMPARE(got.WidthEx, throughPixels(want.WidthEx, 90.0));
    }
    const LayoutItemRecord& atena = loaded.fields[int(LayoutItem::Atena)].record;
    QCOMPARE(atena.FontSize, 10.5);
    QVERIFY(atena.Lock && !atena.NoView && atena.NoPrint);
}

// A field hint shorter than four characters: no flags, the size from the font at the zoom.
void tst_LayoutFile::hintWithoutFlags()
{
    const LayoutTable table;
    const QByteArray bytes = savedFace(table, 90.0, [](PlainFace& face) {
        face.field(0)->Hint = "x";
        face.field(0)->Font.setPixelSize(15); // 11.25 points, 11 whole, 12.2 at 100 %
        face.field(1)->Hint = "010" + QStringLiteral("12,5");
    });
    PlainFace face(table, LayoutKind::TT, 100.0, Dpi);
    LayoutFile::Loaded loaded;
    QString error;
    QVERIFY2(LayoutFile::load(bytes, &face, Dpi, &loaded, &error), qPrintable(error));
    QCOMPARE(loaded.fields[0].record.FontSize, 12.0);
    QVERIFY(!loaded.fields[0].record.Lock && !loaded.fields[0].record.NoPrint);
    QCOMPARE(loaded.fields[1].record.FontSize, 12.5);
    QVERIFY(loaded.fields[1].record.NoView);
}

// Each refusal names its cause, and the face keeps every value it had.
void tst_LayoutFile::refusedLoadsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const LayoutTable table;
    const QString format = QStringLiteral("不正なストリーム フォーマット");
    QTest::newRow("zoom not a number")
        << savedFace(table, 90.0, [](PlainFace& f) { f.Hint = "abc"; })
        << QStringLiteral("'abc' は浮動小数点数ではありません");
    QTest::newRow("font size not a number")
        << savedFace(table, 90.0, [](PlainFace& f) { f.field(3)->Hint = "00012pt"; })
        << QStringLiteral("'12pt' は浮動小数点数ではありません");
    QTest::newRow("zero width") << savedFace(table, 90.0, [](PlainFace& f) {
        f.field(4)->Width = 0;
    }) << format;
    QTest::newRow("negative height")
        << savedFace(table, 90.0, [](PlainFace& f) { f.field(4)->Height = -3; }) << format;
    QTest::newRow("font size above 500")
        << savedFace(table, 90.0, [](PlainFace& f) { f.field(5)->Hint = "000500.01"; }) << format;
    QTest::newRow("font size below 1")
        << savedFace(table, 90.0, [](PlainFace& f) { f.field(5)->Hint = "0000.5"; }) << format;
    QTest::newRow("zoom zero") << savedFace(table, 90.0, [](PlainFace& f) { f.Hint = "0"; })
                               << format;
    QTest::newRow("position beyond any card")
        << savedFace(table, 90.0, [](PlainFace& f) { f.field(2)->Left = 2000000000; }) << format;
    QTest::newRow("not a stream") << QByteArray("TPF1") << format;

    // A field's Tag is its item: out of range, another field's, or not its name's.
    QTest::newRow("tag 1000000") << savedFace(table, 90.0, [](PlainFace& f) {
        f.field(6)->Tag = 1000000;
    }) << format;
    QTest::newRow("tag -1") << savedFace(table, 90.0, [](PlainFace& f) { f.field(0)->Tag = -1; })
                            << format;
    QTest::newRow("repeated tag") << savedFace(table, 90.0, [](PlainFace& f) {
        f.field(7)->Tag = 6;
    }) << format;
    QTest::newRow("tags swapped") << savedFace(table, 90.0, [](PlainFace& f) {
        std::swap(f.field(6)->Tag, f.field(7)->Tag);
    }) << format;
    // The sender's fields follow the same rule with their own tags.
    constexpr int senderName = int(LayoutItem::SenderName);
    QTest::newRow("tag 15, past the sender's") << savedFace(table, 90.0, [](PlainFace& f) {
        f.field(int(LayoutItem::SenderRenmei))->Tag = LayoutItemCount;
    }) << format;
    QTest::newRow("sender's name tagged as the addressee's")
        << savedFace(table, 90.0,
                     [](PlainFace& f) { f.field(senderName)->Tag = int(LayoutItem::Atena); })
        << format;
    QTest::newRow("sender tags swapped") << savedFace(table, 90.0, [](PlainFace& f) {
        std::swap(f.field(senderName)->Tag, f.field(senderName + 1)->Tag);
    }) << format;

    // The zoom box's range: a face of 5000 % or an overflowing one is no layout.
    for (const char* zoom : {"5000.00", "1e300", "99999999999", "9.99", "400.01"})
        QTest::addRow("zoom %s", zoom)
            << savedFace(table, 90.0, [zoom](PlainFace& f) { f.Hint = zoom; }) << format;

    // A long value is quoted by its first 40 characters only.
    const QString digits = QStringLiteral("1234567890").repeated(4);
    QTest::newRow("long zoom text")
        << savedFace(table, 90.0, [&](PlainFace& f) { f.Hint = digits + QString(5000, u'x'); })
        << QStringLiteral("'%1…' は浮動小数点数ではありません").arg(digits);
    // Longer than any value of a face: refused before it is taken.
    QTest::newRow("hint of 1 MB") << savedFace(table, 90.0, [](PlainFace& f) {
        f.field(2)->Hint = QString(1 << 20, u'x');
    }) << format;
}

void tst_LayoutFile::refusedLoadsChangeNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    LayoutTable shown = editedTable();
    PlainFace face(shown, LayoutKind::TT, 70.0, Dpi);
    face.Hint = "70.00";
    const QByteArray before = TObjStreamV::write(&face);
    LayoutFile::Loaded loaded;
    loaded.zoom = 33.0;
    QString error;
    QVERIFY(!LayoutFile::load(bytes, &face, Dpi, &loaded, &error));
    QCOMPARE(error, message);
    QCOMPARE(TObjStreamV::write(&face), before);
    QCOMPARE(loaded.zoom, 33.0);
}

void tst_LayoutFile::saveFailureKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cardTT.tyd");
    PlainFace face(LayoutTable(), LayoutKind::TT, 90.0, Dpi);
    QString error;
    QVERIFY(!LayoutFile::save(&face, dir.filePath("missing/cardTT.tyd"), &error));
    QCOMPARE(error, QStringLiteral("ファイル %1 を作成できません")
                        .arg(QDir::toNativeSeparators(dir.filePath("missing/cardTT.tyd"))));
    LayoutFile::Loaded loaded;
    QVERIFY(!LayoutFile::loadFile(path, &face, Dpi, &loaded, &error));
    QCOMPARE(error, QStringLiteral("ファイル %1 は開けません").arg(QDir::toNativeSeparators(path)));
}

QTEST_MAIN(tst_LayoutFile)
#include "tst_LayoutFile.moc"
