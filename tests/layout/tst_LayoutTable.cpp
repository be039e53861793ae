#include "common/IniFile.h"
#include "common/cp932.h"
#include "layout/LayoutTable.h"
#include "layout/PostalBoxes.h"

#include <QFile>
#include <QRect>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(LayoutItemRecord)

namespace {

LayoutItemRecord rec(const char* font, double size, int x, int y, int w, int h, int ex,
                     bool lock = false, bool noView = false, bool noPrint = false)
{
    LayoutItemRecord r;
    r.FontName = QString::fromUtf8(font);
    r.FontSize = size;
    r.X = x;
    r.Y = y;
    r.Width = w;
    r.Height = h;
    r.WidthEx = ex;
    r.Lock = lock;
    r.NoView = noView;
    r.NoPrint = noPrint;
    return r;
}

// What a record out of range falls back to.
LayoutItemRecord ttAtena()
{
    return LayoutTable::defaultRecord(LayoutKind::TT, LayoutItem::Atena);
}

LayoutTable loadFrom(const QByteArray& bytes)
{
    IniFile ini;
    ini.parse(bytes);
    LayoutTable table;
    table.LoadLayoutTable(ini);
    return table;
}

} // namespace

class tst_LayoutTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void kinds_data();
    void kinds();
    void defaults_data();
    void defaults();
    void readLayoutItemOutOfRange_data();
    void readLayoutItemOutOfRange();
    void storeLayoutItem();
    void recordText_data();
    void recordText();
    void itemFontReading_data();
    void itemFontReading();
    void storeKeepsValuesInRange();
    void oneBadRecordLeavesTheOthers();
    void emptyFileGivesDefaults();
    void writtenFileForm();
    void saveReloadReproducesAllRecords();
    void senderDefaultsStayClear_data();
    void senderDefaultsStayClear();
    void addresseeDefaultsStayClear_data();
    void addresseeDefaultsStayClear();
    void addresseeDefaultsReadInOrder_data();
    void addresseeDefaultsReadInOrder();
    void barcodeWhereJapanPostAsks_data();
    void barcodeWhereJapanPostAsks();
    void storedRecordsKeepTheirValues();
    void settingsFromBeforeTheSender();
};

void tst_LayoutTable::kinds_data()
{
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::newRow("portrait, vertical") << false << false << 0 << "TT";
    QTest::newRow("portrait, horizontal") << false << true << 1 << "TY";
    QTest::newRow("landscape, vertical") << true << false << 2 << "YT";
    QTest::newRow("landscape, horizontal") << true << true << 3 << "YY";
}

void tst_LayoutTable::kinds()
{
    QFETCH(bool, landscape);
    QFETCH(bool, horizontal);
    QFETCH(int, number);
    QFETCH(QString, name);
    const LayoutKind kind = layoutKindOf(landscape, horizontal);
    QCOMPARE(int(kind), number);
    QCOMPARE(isLandscape(kind), landscape);
    QCOMPARE(isHorizontalWriting(kind), horizontal);
    QCOMPARE(layoutKindName(kind), name);
    QCOMPARE(layoutKindFromName(name.toLower()), std::optional<LayoutKind>(kind));
}

void tst_LayoutTable::defaults_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<LayoutItemRecord>("expected");
    const char* m = "ＭＳ 明朝";
    const char* g = "ＭＳ ゴシック";
    const char* b = "i-JapanPost";
    // The barcode box is the barcode's natural size at 9 points: 71.8 mm x 3.24 mm, rounded up.
    const LayoutItemRecord table[4][9] = {
        {rec(g, 13, 420, 130, 200, 70, 0), rec(g, 13, 630, 130, 300, 70, 0),
         rec(m, 12, 855, 300, 55, 820, 0), rec(m, 12, 795, 400, 55, 720, 0),
         rec(m, 12, 735, 400, 55, 720, 0), rec(m, 11, 675, 400, 50, 720, 0),
         rec(m, 18, 590, 380, 72, 740, 650), rec(m, 18, 515, 380, 72, 740, 650),
         rec(b, 9, 180, 1150, 719, 33, 0, true)},
        {rec(m, 12, 150, 370, 100, 45, 0), rec(m, 12, 250, 370, 150, 45, 0),
         rec(m, 13, 150, 430, 750, 50, 0), rec(m, 13, 200, 490, 700, 50, 0),
         rec(m, 13, 200, 570, 700, 50, 0), rec(m, 12, 250, 640, 650, 45, 0),
         rec(m, 20, 250, 710, 650, 80, 500), rec(m, 20, 250, 795, 650, 80, 500),
         rec(b, 9, 180, 985, 719, 33, 0, true)},
        {rec(g, 12, 880, 80, 100, 50, 0), rec(g, 12, 980, 80, 130, 50, 0),
         rec(m, 12, 1050, 150, 45, 690, 0), rec(m, 12, 990, 230, 45, 610, 0),
         rec(m, 12, 925, 230, 45, 610, 0), rec(m, 11, 860, 230, 45, 610, 0),
         rec(m, 18, 770, 200, 75, 640, 550), rec(m, 18, 695, 200, 75, 640, 550),
         rec(b, 9, 390, 860, 719, 33, 0, true)},
        {rec(m, 12, 250, 140, 100, 45, 0), rec(m, 12, 350, 140, 150, 45, 0),
         rec(m, 12, 250, 200, 850, 45, 0), rec(m, 12, 300, 255, 800, 45, 0),
         rec(m, 12, 300, 320, 800, 45, 0), rec(m, 11, 350, 385, 750, 45, 0),
         rec(m, 18, 350, 445, 750, 75, 500), rec(m, 18, 350, 520, 750, 75, 500),
         rec(b, 9, 350, 695, 719, 33, 0, true)},
    };
    const char* names[9] = {"郵便番号１", "郵便番号２", "住所１",
                            "住所２",     "会社名",     "肩書き",
                            "宛名",       "連名",       "カスタマーバーコード"};
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 9; ++i)
            QTest::addRow("%s %s", qPrintable(layoutKindName(LayoutKind(k))),
                          qPrintable(layoutItemName(LayoutItem(i))))
                << k << i << QString::fromUtf8(names[i]) << table[k][i];
}

void tst_LayoutTable::defaults()
{
    QFETCH(int, kind);
    QFETCH(int, item);
    QFETCH(QString, displayName);
    QFETCH(LayoutItemRecord, expected);
    const LayoutTable table;
    QString name;
    LayoutItemRecord got;
    QVERIFY(table.ReadLayoutItem(kind, item, &name, &got));
    QCOMPARE(name, displayName);
    QCOMPARE(got.FontName, expected.FontName);
    QCOMPARE(got, expected);
}

void tst_LayoutTable::readLayoutItemOutOfRange_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("item");
    QTest::newRow("item 15, after the sender's") << 0 << 15;
    QTest::newRow("item -1") << 1 << -1;
    QTest::newRow("kind 4") << 4 << 0;
    QTest::newRow("kind -1") << -1 << 0;
}

void tst_LayoutTable::readLayoutItemOutOfRange()
{
    QFETCH(int, kind);
    QFETCH(int, item);
    LayoutTable table;
    QString name = QStringLiteral("untouched");
    LayoutItemRecord r = rec("untouched", 1, 2, 3, 4, 5, 6);
    const LayoutItemRecord before = r;
    QVERIFY(!table.ReadLayoutItem(kind, item, &name, &r));
    QCOMPARE(name, QStringLiteral("untouched"));
    QCOMPARE(r, before);
    QVERIFY(!table.StoreLayoutItem(kind, item, r, false, &name));
    QCOMPARE(table, LayoutTable());
}

void tst_LayoutTable::storeLayoutItem()
{
    LayoutTable table;
    const int tt = int(LayoutKind::TT);
    const int postCode = int(LayoutItem::PostCode);
    QString name;

    // A move keeps the flags (PostCode stays locked) but takes everything else.
    const LayoutItemRecord moved = rec("Other", 10.5, 1, 2, 3, 4, 5, false, true, true);
    QVERIFY(table.StoreLayoutItem(tt, postCode, moved, true, &name));
    QCOMPARE(name, QString::fromUtf8("カスタマーバーコード"));
    LayoutItemRecord expected = moved;
    expected.Lock = true;
    expected.NoView = false;
    expected.NoPrint = false;
    QCOMPARE(table.record(LayoutKind::TT, LayoutItem::PostCode), expected);

    QVERIFY(table.StoreLayoutItem(tt, postCode, moved, false));
    QCOMPARE(table.record(LayoutKind::TT, LayoutItem::PostCode), moved);
    // Nothing else changed.
    QCOMPARE(table.record(LayoutKind::TY, LayoutItem::PostCode),
             LayoutTable::defaultRecord(LayoutKind::TY, LayoutItem::PostCode));
}

void tst_LayoutTable::recordText_data()
{
    QTest::addColumn<LayoutItemRecord>("record");
    QTest::addColumn<QString>("text");
    QTest::newRow("an address column")
        << rec("ＭＳ 明朝", 10, 800, 300, 60, 700, 0)
        << QString::fromUtf8("ＭＳ 明朝,10.0,800,300,60,700,0,False,False,False");
    QTest::newRow("flags: Lock then NoPrint then NoView")
        << rec("a", 9, 1, 2, 3, 4, 5, true, false, true) << "a,9.0,1,2,3,4,5,True,True,False";
    QTest::newRow("NoView last") << rec("a", 9, 1, 2, 3, 4, 5, false, true, false)
                                 << "a,9.0,1,2,3,4,5,False,False,True";
    QTest::newRow("size to one decimal, negative numbers")
        << rec("a", 10.46, -1, 0, 3, 4, -5) << "a,10.5,-1,0,3,4,-5,False,False,False";
}

void tst_LayoutTable::recordText()
{
    QFETCH(LayoutItemRecord, record);
    QFETCH(QString, text);
    QCOMPARE(LayoutTable::recordText(record), text);
}

void tst_LayoutTable::itemFontReading_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<LayoutItemRecord>("expected");
    const LayoutItemRecord dflt = ttAtena();

    QTest::newRow("no key keeps the default") << "" << dflt;
    QTest::newRow("empty value") << "ITEM17=" << dflt;
    QTest::newRow("empty quotes") << "ITEM17=\"\"" << dflt;
    QTest::newRow("ER") << "ITEM17=\"ER\"" << dflt;
    QTest::newRow("IR") << "ITEM17=IR" << dflt;
    QTest::newRow("one field") << "ITEM17=\"ＭＳ 明朝\"" << dflt;
    QTest::newRow("8 fields") << "ITEM17=\"ＭＳ ゴシック,11.0,1,2,3,4,5,True\"" << dflt;
    QTest::newRow("8 fields and a comma")
        << "ITEM17=\"ＭＳ ゴシック,11.0,1,2,3,4,5,True,\"" << dflt;
    QTest::newRow("9 fields: NoView false")
        << "ITEM17=\"ＭＳ ゴシック,11.0,1,2,3,4,5,True,True\""
        << rec("ＭＳ ゴシック", 11, 1, 2, 3, 4, 5, true, false, true);
    QTest::newRow("flags in any case, Y 0 stays 0")
        << "ITEM17=\"ＭＳ 明朝,10.5,1,0,60,700,0,true,false,TRUE\""
        << rec("ＭＳ 明朝", 10.5, 1, 0, 60, 700, 0, true, true, false);
    QTest::newRow("other words are false")
        << "ITEM17=\"x,10.0,1,1,1,1,1,yes,1,on\"" << rec("x", 10, 1, 1, 1, 1, 1);
    QTest::newRow("non-integers read as 0")
        << "ITEM17=\"ＭＳ 明朝,10.0,abc,1.5,,-7,x,False,False,False\""
        << rec("ＭＳ 明朝", 10, 0, 0, 0, -7, 0);
    QTest::newRow("spaces inside numbers are removed")
        << "ITEM17=\"ＭＳ 明朝,10.0, 8 0 0 ,300,60,700,0,False,False,False\""
        << rec("ＭＳ 明朝", 10, 800, 300, 60, 700, 0);
    QTest::newRow("size not a number keeps the default size")
        << "ITEM17=\"ＭＳ 明朝,big,1,2,3,4,5,False,False,False\""
        << rec("ＭＳ 明朝", dflt.FontSize, 1, 2, 3, 4, 5);
    QTest::newRow("size not positive keeps the default size")
        << "ITEM17=\"ＭＳ 明朝,-3,1,2,3,4,5,False,False,False\""
        << rec("ＭＳ 明朝", dflt.FontSize, 1, 2, 3, 4, 5);
    QTest::newRow("size 4000 takes the default size")
        << "ITEM17=\"ＭＳ 明朝,4000,1,2,3,4,5,False,False,False\""
        << rec("ＭＳ 明朝", dflt.FontSize, 1, 2, 3, 4, 5);
    QTest::newRow("size 1e300 takes the default size")
        << "ITEM17=\"ＭＳ 明朝,1e300,1,2,3,4,5,False,False,False\""
        << rec("ＭＳ 明朝", dflt.FontSize, 1, 2, 3, 4, 5);
    QTest::newRow("size below 1 point takes the default size")
        << "ITEM17=\"ＭＳ 明朝,0.5,1,2,3,4,5,False,False,False\""
        << rec("ＭＳ 明朝", dflt.FontSize, 1, 2, 3, 4, 5);
    QTest::newRow("sizes 1 and 500 are kept")
        << "ITEM17=\"ＭＳ 明朝,500,1,2,3,4,5,False,False,False\""
        << rec("ＭＳ 明朝", 500, 1, 2, 3, 4, 5);
    QTest::newRow("lengths beyond a metre take the default's, each on its own")
        << "ITEM17=\"ＭＳ 明朝,1,2147483647,-2147483648,10001,-10000,-10001,False,False,False\""
        << rec("ＭＳ 明朝", 1, dflt.X, dflt.Y, dflt.Width, -10000, dflt.WidthEx);
    QTest::newRow("size is not rounded on reading")
        << "ITEM17=\"ＭＳ 明朝,10.25,1,2,3,4,5,False,False,False\""
        << rec("ＭＳ 明朝", 10.25, 1, 2, 3, 4, 5);
    QTest::newRow("fields after the tenth are ignored")
        << "ITEM17=\"a,9.0,1,2,3,4,5,False,False,True,True\""
        << rec("a", 9, 1, 2, 3, 4, 5, false, true, false);
    QTest::newRow("value without quotes")
        << "ITEM17=a,9.0,1,2,3,4,5,False,False,False" << rec("a", 9, 1, 2, 3, 4, 5);
    QTest::newRow("font name in its own quotes")
        << "ITEM17=\"\"ＭＳ Ｐゴシック\",9.0,1,2,3,4,5,False,False,False\""
        << rec("ＭＳ Ｐゴシック", 9, 1, 2, 3, 4, 5);
    QTest::newRow("key spelled by the writer")
        << "item17=\"a,9.0,1,2,3,4,5,True,False,False\"" << rec("a", 9, 1, 2, 3, 4, 5, true);
}

void tst_LayoutTable::itemFontReading()
{
    QFETCH(QString, line);
    QFETCH(LayoutItemRecord, expected);
    const QByteArray bytes = "[ItemFont]\r\nITEM11=\"ER\"\r\n" + cp932::fromUnicode(line) + "\r\n";
    const LayoutTable table = loadFrom(bytes);
    QCOMPARE(table.record(LayoutKind::TT, LayoutItem::Atena), expected);
}

void tst_LayoutTable::storeKeepsValuesInRange()
{
    // Layout files store through here too: what comes from outside cannot reach printing.
    LayoutTable table;
    table.StoreLayoutItem(0, 6, rec("x", 5000, 10000, -2000000000, 1, 2, 99999), false);
    const LayoutItemRecord dflt = ttAtena();
    QCOMPARE(table.record(LayoutKind::TT, LayoutItem::Atena),
             rec("x", dflt.FontSize, 10000, dflt.Y, 1, 2, dflt.WidthEx));
}

void tst_LayoutTable::oneBadRecordLeavesTheOthers()
{
    const LayoutTable table = loadFrom("[ITEMFONT]\r\n"
                                       "ITEM11=\"a,9.0,1,2\"\r\n"
                                       "ITEM12=\"b,9.0,1,2,3,4,5,False,False,False\"\r\n"
                                       "ITEM49=\"c,9.0,1,2,3,4,5,False,False,False\"\r\n");
    QCOMPARE(table.record(LayoutKind::TT, LayoutItem::YubinNo1),
             LayoutTable::defaultRecord(LayoutKind::TT, LayoutItem::YubinNo1));
    QCOMPARE(table.record(LayoutKind::TT, LayoutItem::YubinNo2), rec("b", 9, 1, 2, 3, 4, 5));
    // The barcode record as stored (its lock included) replaces the default.
    QCOMPARE(table.record(LayoutKind::YY, LayoutItem::PostCode), rec("c", 9, 1, 2, 3, 4, 5));
}

void tst_LayoutTable::emptyFileGivesDefaults()
{
    LayoutTable changed;
    changed.StoreLayoutItem(0, 0, rec("x", 1, 1, 1, 1, 1, 1), false);
    IniFile empty;
    changed.LoadLayoutTable(empty);
    QCOMPARE(changed, LayoutTable());
    for (int k = 0; k < LayoutKindCount; ++k)
        QVERIFY(changed.record(LayoutKind(k), LayoutItem::PostCode).Lock);
}

void tst_LayoutTable::writtenFileForm()
{
    IniFile ini;
    ini.parse("[Form]\r\ntop=\"1\"\r\n");
    LayoutTable().SaveLayoutTable(ini);
    const QByteArray bytes = ini.toBytes();
    QVERIFY(bytes.startsWith("[Form]\r\ntop=\"1\"\r\n"));
    QVERIFY(bytes.contains("\r\n[ITEMFONT]\r\nitem11="));
    QVERIFY(bytes.contains(cp932::fromUnicode(QString::fromUtf8(
        "\r\nitem17=\"ＭＳ 明朝,18.0,590,380,72,740,650,False,False,False\"\r\n"))));
    QVERIFY(bytes.contains("\r\nitem49=\"i-JapanPost,9.0,350,695,719,33,0,True,False,False\"\r\n"));
    QVERIFY(bytes.contains(cp932::fromUnicode(QString::fromUtf8(
        "\r\nitem415=\"ＭＳ 明朝,11.0,130,922,600,35,0,False,False,False\"\r\n"))));
    QCOMPARE(ini.keys("ITEMFONT").size(), LayoutKindCount * LayoutItemCount);
}

void tst_LayoutTable::saveReloadReproducesAllRecords()
{
    const char* fonts[] = {"ＭＳ Ｐ明朝", "IPAexGothic", "ＭＳ ゴシック", "游明朝 Demibold"};
    LayoutTable table;
    LayoutTable expected;
    for (int k = 0; k < LayoutKindCount; ++k) {
        for (int i = 0; i < LayoutItemCount; ++i) {
            const int n = k * LayoutItemCount + i;
            // Sizes away from the rounding midpoint: they come back to one decimal.
            const double size = 6.0 + n * 0.3 + 0.02;
            LayoutItemRecord r = rec(fonts[n % 4], size, n * 37 - 100, n * 41, 10 + n, 20 + n,
                                     n % 5, n & 1, n & 2, n & 4);
            QVERIFY(table.StoreLayoutItem(k, i, r, false));
            r.FontSize = std::round(size * 10.0) / 10.0;
            QVERIFY(expected.StoreLayoutItem(k, i, r, false));
        }
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8("たより.ini"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Unknown]\r\nKeep=\"me\"\r\n[itemfont]\r\nITEM11=\"old\"\r\n");
    }
    IniFile ini;
    QVERIFY(ini.load(path));
    table.SaveLayoutTable(ini);
    QString error;
    QVERIFY2(ini.save(&error), qPrintable(error));

    IniFile back;
    QVERIFY(back.load(path));
    LayoutTable reloaded;
    reloaded.LoadLayoutTable(back);
    for (int k = 0; k < LayoutKindCount; ++k)
        for (int i = 0; i < LayoutItemCount; ++i)
            QVERIFY2(
                reloaded.record(LayoutKind(k), LayoutItem(i)) ==
                    expected.record(LayoutKind(k), LayoutItem(i)),
                qPrintable(LayoutTable::recordText(reloaded.record(LayoutKind(k), LayoutItem(i)))));
    QCOMPARE(back.value("unknown", "keep"), QStringLiteral("\"me\""));
    QCOMPARE(back.sections(), QStringList({"Unknown", "itemfont"}));
}

namespace {

// A rectangle in millimetres as the layout's 1/10 mm.
QRect tenths(const QRectF& mm)
{
    return QRectF(mm.topLeft() * 10, mm.size() * 10).toAlignedRect();
}

// The printed furniture of the face the program draws: the stamp, then the seven boxes.
QList<std::pair<QString, QRect>> printedFurniture(LayoutKind kind)
{
    const bool landscape = isLandscape(kind);
    QList<std::pair<QString, QRect>> furniture{{"stamp", tenths(PostalBoxes::stamp(landscape))}};
    for (int b = 0; b < int(PostalBoxes::CodeBoxLeftMm.size()); ++b)
        furniture.append(
            {QStringLiteral("postal box %1").arg(b), tenths(PostalBoxes::codeBox(landscape, b))});
    return furniture;
}

QRect cardOf(LayoutKind kind)
{
    const QRect upright(0, 0, 1000, 1480);
    return isLandscape(kind) ? upright.transposed() : upright;
}

QRect boxOf(const LayoutItemRecord& r)
{
    return QRect(r.X, r.Y, r.Width, r.Height);
}

} // namespace

void tst_LayoutTable::senderDefaultsStayClear_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QRect>("region"); // where the sender belongs, 1/10 mm
    // A portrait vertical card keeps the sender in the lower left; the other kinds anywhere
    // on the card that is free.
    QTest::newRow("TT") << 0 << QRect(QPoint(80, 600), QPoint(450, 1400));
    QTest::newRow("TY") << 1 << QRect(0, 0, 1000, 1480);
    QTest::newRow("YT") << 2 << QRect(0, 0, 1480, 1000);
    QTest::newRow("YY") << 3 << QRect(0, 0, 1480, 1000);
}

// Each sender field lies on the card in its region, off the addressee's fields, the printed
// postal-code boxes, the stamp and the other sender fields.
void tst_LayoutTable::senderDefaultsStayClear()
{
    QFETCH(int, kind);
    QFETCH(QRect, region);
    const auto k = LayoutKind(kind);
    const LayoutTable table;
    QList<std::pair<QString, QRect>> taken;
    for (int i = 0; i < AddresseeItemCount; ++i)
        taken.append({layoutItemName(LayoutItem(i)), boxOf(table.record(k, LayoutItem(i)))});
    taken.append(printedFurniture(k));
    for (int i = AddresseeItemCount; i < LayoutItemCount; ++i) {
        const QRect box = boxOf(table.record(k, LayoutItem(i)));
        const QString name = layoutItemName(LayoutItem(i));
        QVERIFY2(region.contains(box), qPrintable(name));
        for (const auto& [other, otherBox] : taken)
            QVERIFY2(!box.intersects(otherBox), qPrintable(name + " over " + other));
        taken.append({name, box});
    }
}

void tst_LayoutTable::addresseeDefaultsStayClear_data()
{
    QTest::addColumn<int>("kind");
    for (int k = 0; k < LayoutKindCount; ++k)
        QTest::newRow(qPrintable(layoutKindName(LayoutKind(k)))) << k;
}

// The address, company, title, names and barcode of a new layout lie on the card, off the
// stamp and the printed boxes of the face the program draws, and off each other. The postal
// code's own fields may stand on the boxes: they are for the digits.
void tst_LayoutTable::addresseeDefaultsStayClear()
{
    QFETCH(int, kind);
    const auto k = LayoutKind(kind);
    const LayoutTable table;
    const QList<std::pair<QString, QRect>> furniture = printedFurniture(k);
    QList<std::pair<QString, QRect>> taken;
    for (int i = 0; i < AddresseeItemCount; ++i) {
        const auto item = LayoutItem(i);
        const QRect box = boxOf(table.record(k, item));
        const QString name = layoutItemName(item);
        QVERIFY2(cardOf(k).contains(box), qPrintable(name));
        if (item == LayoutItem::YubinNo1 || item == LayoutItem::YubinNo2) {
            QVERIFY2(!box.intersects(furniture.front().second), qPrintable(name + " over stamp"));
            continue;
        }
        for (const auto& [other, otherBox] : furniture + taken)
            QVERIFY2(!box.intersects(otherBox), qPrintable(name + " over " + other));
        taken.append({name, box});
    }
}

void tst_LayoutTable::addresseeDefaultsReadInOrder_data()
{
    addresseeDefaultsStayClear_data();
}

// Columns from the right or lines from the top in reading order: address, company, title,
// name, joint names; the name clearly larger than the address, the joint names at its size,
// spread and alignment, so that each honorific lines up.
void tst_LayoutTable::addresseeDefaultsReadInOrder()
{
    QFETCH(int, kind);
    const auto k = LayoutKind(kind);
    const LayoutTable table;
    const bool vertical = !isHorizontalWriting(k);
    const LayoutItem order[] = {LayoutItem::Jyusho1,  LayoutItem::Jyusho2, LayoutItem::Kaishamei,
                                LayoutItem::Katagaki, LayoutItem::Atena,   LayoutItem::Renmei};
    for (size_t i = 1; i < std::size(order); ++i) {
        const QRect before = boxOf(table.record(k, order[i - 1]));
        const QRect after = boxOf(table.record(k, order[i]));
        const QString pair = layoutItemName(order[i - 1]) + " then " + layoutItemName(order[i]);
        QVERIFY2(vertical ? after.right() < before.left() : after.top() > before.bottom(),
                 qPrintable(pair));
    }
    const LayoutItemRecord& address = table.record(k, LayoutItem::Jyusho1);
    const LayoutItemRecord& name = table.record(k, LayoutItem::Atena);
    const LayoutItemRecord& joint = table.record(k, LayoutItem::Renmei);
    QVERIFY(name.FontSize >= 1.4 * address.FontSize);
    QCOMPARE(joint.FontName, name.FontName);
    QVERIFY(name.WidthEx > 0);
    QVERIFY(LayoutTable::FollowsAddressee(k, name, joint));
}

void tst_LayoutTable::barcodeWhereJapanPostAsks_data()
{
    addresseeDefaultsStayClear_data();
}

// Japan Post's rules for the customer barcode: 10 mm inside the card's edges, off the
// postmark's 70 x 35 mm at the stamp's corner, 2 mm clear all round, below the addressee
// (right below the names in horizontal writing).
void tst_LayoutTable::barcodeWhereJapanPostAsks()
{
    QFETCH(int, kind);
    const auto k = LayoutKind(kind);
    const LayoutTable table;
    const QRect barcode = boxOf(table.record(k, LayoutItem::PostCode));
    QVERIFY(cardOf(k).adjusted(100, 100, -100, -100).contains(barcode));
    const QRect postmark = isLandscape(k) ? QRect(1480 - 700, 0, 700, 350) : QRect(0, 0, 350, 700);
    QVERIFY(!barcode.intersects(postmark));
    const QRect clearance = barcode.adjusted(-20, -20, 20, 20);
    for (int i = 0; i < LayoutItemCount; ++i) {
        const auto item = LayoutItem(i);
        if (item == LayoutItem::PostCode)
            continue;
        const QRect box = boxOf(table.record(k, item));
        QVERIFY2(!clearance.intersects(box), qPrintable(layoutItemName(item)));
        if (item >= LayoutItem::Jyusho1 && item <= LayoutItem::Renmei)
            QVERIFY2(barcode.top() > box.bottom(), qPrintable(layoutItemName(item)));
    }
}

// Only the defaults changed: a settings file that holds the earlier defaults (as every file
// saved by an earlier version does) prints as it did.
void tst_LayoutTable::storedRecordsKeepTheirValues()
{
    const QByteArray earlier = cp932::fromUnicode(
        QString::fromUtf8("[ITEMFONT]\r\n"
                          "item17=\"ＭＳ 明朝,12.0,500,450,60,600,400,False,False,False\"\r\n"
                          "item46=\"ＭＳ 明朝,10.0,800,700,600,30,0,False,False,False\"\r\n"
                          "item48=\"ＭＳ 明朝,12.0,800,600,600,40,0,False,False,False\"\r\n"
                          "item49=\"i-JapanPost,9.0,400,650,719,33,0,True,False,False\"\r\n"));
    const LayoutTable table = loadFrom(earlier);
    QCOMPARE(table.record(LayoutKind::TT, LayoutItem::Atena),
             rec("ＭＳ 明朝", 12, 500, 450, 60, 600, 400));
    QCOMPARE(table.record(LayoutKind::YY, LayoutItem::Katagaki),
             rec("ＭＳ 明朝", 10, 800, 700, 600, 30, 0));
    QCOMPARE(table.record(LayoutKind::YY, LayoutItem::Renmei),
             rec("ＭＳ 明朝", 12, 800, 600, 600, 40, 0));
    QCOMPARE(table.record(LayoutKind::YY, LayoutItem::PostCode),
             rec("i-JapanPost", 9, 400, 650, 719, 33, 0, true));
    // The records the file does not hold take the new defaults.
    QCOMPARE(table.record(LayoutKind::YY, LayoutItem::Atena),
             LayoutTable::defaultRecord(LayoutKind::YY, LayoutItem::Atena));
    QVERIFY(table.record(LayoutKind::YY, LayoutItem::Atena).FontSize > 12);
    IniFile saved;
    table.SaveLayoutTable(saved);
    IniFile read;
    read.parse(earlier);
    for (const char* key : {"item17", "item46", "item48", "item49"})
        QCOMPARE(saved.value("ITEMFONT", key), read.value("ITEMFONT", key));
}

// A settings file written before the sender's fields existed (tests/data/before-sender, by
// the program of that time, every field moved off its default): the nine fields read exactly
// as written, the sender's at their defaults, and a save writes the nine back unchanged.
void tst_LayoutTable::settingsFromBeforeTheSender()
{
    IniFile old;
    QVERIFY(old.load(QStringLiteral(TAYORI_SOURCE_DIR "/tests/data/before-sender/tayori.ini")));
    QCOMPARE(old.keys("ITEMFONT").size(), LayoutKindCount * AddresseeItemCount);
    LayoutTable table;
    table.LoadLayoutTable(old);
    IniFile saved;
    table.SaveLayoutTable(saved);
    for (int k = 0; k < LayoutKindCount; ++k) {
        for (int i = 0; i < LayoutItemCount; ++i) {
            const QString key = LayoutTable::itemKey(LayoutKind(k), LayoutItem(i));
            const LayoutItemRecord& r = table.record(LayoutKind(k), LayoutItem(i));
            if (i < AddresseeItemCount) {
                QCOMPARE(saved.value("ITEMFONT", key), old.value("ITEMFONT", key));
                QVERIFY(r != LayoutTable::defaultRecord(LayoutKind(k), LayoutItem(i)));
            } else {
                QCOMPARE(r, LayoutTable::defaultRecord(LayoutKind(k), LayoutItem(i)));
            }
        }
    }
}

QTEST_GUILESS_MAIN(tst_LayoutTable)
#include "tst_LayoutTable.moc"
