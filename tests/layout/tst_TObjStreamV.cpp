#include "StreamObjects.h"
#include "layout/ExtendedReal.h"
#include "layout/PictureData.h"
#include "layout/THashedStringListV.h"
#include "layout/TObjStreamV.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QByteArray shortString(const QByteArray& s)
{
    return char(s.size()) + s;
}

QByteArray jpegFile(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return bytes;
}

QImage testPicture()
{
    QImage image(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 6, y * 8, 200));
    return image;
}

// A face with one field, as the byte-level test and the prefix test use it.
struct SmallFace
{
    FacePanel panel;
    FaceField* field = new FaceField(&panel);

    SmallFace()
    {
        panel.setObjectName("pnlTT");
        panel.ShadowShow = false;
        panel.Hint = "90.00";
        field->setObjectName("edtAtenaTT");
        field->Left = 170;
        field->Top = 10;
        field->Width = 300;
        field->Height = 70000;
        field->Font.setFamily(QStringLiteral("ＭＳ 明朝"));
        field->Font.setPixelSize(16);
        field->Alignment = FaceField::alJustifyEx;
        field->TransParent = true;
        field->Tag = 6;
        field->Hint = "10110.50";
        field->Text = QStringLiteral("[宛先]");
    }
};

} // namespace

class tst_TObjStreamV : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writerBytes();
    void values_data();
    void values();
    void defaultsFromTheObject();
    void extendedReal_data();
    void extendedReal();
    void roundTrip();
    void pictures_data();
    void pictures();
    void foreignTags();
    void everyPrefixIsRefused();
    void badValuesChangeNothing_data();
    void badValuesChangeNothing();
    void hashedNames();
};

// Expected bytes from the file layout's tables: signature, root record, child record, ends.
void tst_TObjStreamV::writerBytes()
{
    SmallFace face;
    QByteArray expected = "TPF0";
    expected += shortString("FacePanel") + shortString("pnlTT");
    expected += shortString("ShadowShow") + hex("08");                  // false
    expected += shortString("Hint") + hex("06") + shortString("90.00"); // string
    expected += hex("00");                                              // end of properties
    expected += shortString("FaceField") + shortString("edtAtenaTT");
    expected += shortString("Left") + hex("03aa00");       // 16-bit
    expected += shortString("Top") + hex("020a");          // 8-bit
    expected += shortString("Width") + hex("032c01");      // 16-bit
    expected += shortString("Height") + hex("0470110100"); // 32-bit
    expected += shortString("Font.Height") + hex("02f0");  // -16
    expected += shortString("Font.Name") + hex("0609 826c 8272 20 96be 92a9");
    expected += shortString("Alignment") + hex("07") + shortString("alJustifyEx");
    expected += shortString("TransParent") + hex("09");
    expected += shortString("Tag") + hex("0206");
    expected += shortString("Hint") + hex("06") + shortString("10110.50");
    expected += shortString("Text") + hex("06065b88b690e65d");
    expected += hex("00") + hex("00"); // end of properties, no children
    expected += hex("00");             // end of the root's children
    QCOMPARE(TObjStreamV::write(&face.panel).toHex(' '), expected.toHex(' '));
}

// One property each: the tag chosen and its data.
void tst_TObjStreamV::values_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("record"); // empty: not written

    QTest::newRow("-128 is 8-bit") << QByteArray("Left") << QVariant(-128) << hex("0280");
    QTest::newRow("-129 is 16-bit") << QByteArray("Left") << QVariant(-129) << hex("037fff");
    QTest::newRow("32768 is 32-bit") << QByteArray("Left") << QVariant(32768) << hex("0400800000");
    QTest::newRow("64-bit beyond 32")
        << QByteArray("Serial") << QVariant(qint64(1) << 40) << hex("130000000000010000");
    QTest::newRow("default integer left out") << QByteArray("Tag") << QVariant(0) << QByteArray();
    QTest::newRow("default enum left out")
        << QByteArray("Alignment") << QVariant::fromValue(FaceField::alLeft) << QByteArray();
    QTest::newRow("real 10.5") << QByteArray("Ratio") << QVariant(10.5)
                               << hex("05 00000000000000a8 0240");
    QTest::newRow("set")
        << QByteArray("Styles")
        << QVariant::fromValue(FaceField::TFontStyles(FaceField::fsBold | FaceField::fsItalic))
        << (hex("0b") + shortString("fsBold") + shortString("fsItalic") + hex("00"));
    QTest::newRow("named colour") << QByteArray("Color") << QVariant(QColor(Qt::red))
                                  << (hex("07") + shortString("clRed"));
    QTest::newRow("other colour as BGR number")
        << QByteArray("Color") << QVariant(QColor(0x12, 0x34, 0x56)) << hex("0412345600");
    QTest::newRow("255 bytes: short string") << QByteArray("Text") << QVariant(QString(255, u'x'))
                                             << (hex("06ff") + QByteArray(255, 'x'));
    QTest::newRow("256 bytes: long string")
        << QByteArray("Text") << QVariant(QString(128, QChar(0x5B9B)))
        << (hex("0c00010000") + QByteArray::fromHex(QByteArray("88b6").repeated(128)));
}

void tst_TObjStreamV::values()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    QFETCH(QByteArray, record);

    FacePanel panel;
    FaceField* field = new FaceField(&panel);
    field->setObjectName("f");
    QVERIFY(field->setProperty(property.constData(), value));
    const QByteArray bytes = TObjStreamV::write(&panel);
    if (record.isEmpty())
        QVERIFY(!bytes.contains(shortString(property)));
    else
        QVERIFY2(bytes.contains(shortString(property) + record), bytes.toHex(' ').constData());

    // And it reads back to the same value.
    FacePanel copy;
    FaceField* target = new FaceField(&copy);
    target->setObjectName("f");
    QString error;
    QVERIFY2(TObjStreamV::read(bytes, &copy, &error), qPrintable(error));
    QCOMPARE(target->property(property.constData()), field->property(property.constData()));
}

void tst_TObjStreamV::defaultsFromTheObject()
{
    MethodDefaults object;
    object.setObjectName("obj");
    QCOMPARE(TObjStreamV::write(&object),
             QByteArray("TPF0") + shortString("MethodDefaults") + shortString("obj") + hex("0000"));
    object.Visible = false;
    object.Offset = 300;
    QCOMPARE(TObjStreamV::write(&object), QByteArray("TPF0") + shortString("MethodDefaults") +
                                              shortString("obj") + shortString("Visible") +
                                              hex("08") + shortString("Offset") + hex("032c01") +
                                              hex("0000"));
}

void tst_TObjStreamV::extendedReal_data()
{
    QTest::addColumn<QByteArray>("bytes"); // little-endian, as in the file
    QTest::addColumn<double>("value");

    QTest::newRow("1") << hex("0000000000000080ff3f") << 1.0;
    QTest::newRow("-2") << hex("000000000000008000c0") << -2.0;
    QTest::newRow("90") << hex("00000000000000b40540") << 90.0;
    QTest::newRow("0.1") << hex("00d0cccccccccccc fb3f") << 0.1;
    QTest::newRow("smallest subnormal double")
        << hex("0000000000000080cd3b") << std::numeric_limits<double>::denorm_min();
    QTest::newRow("largest double")
        << hex("00f8ffffffffffff fe43") << std::numeric_limits<double>::max();
    QTest::newRow("infinity") << hex("0000000000000080ff7f")
                              << std::numeric_limits<double>::infinity();
    QTest::newRow("-0") << hex("00000000000000000080") << -0.0;
}

void tst_TObjStreamV::extendedReal()
{
    QFETCH(QByteArray, bytes);
    QFETCH(double, value);
    const ExtendedReal::Bytes written = ExtendedReal::fromDouble(value);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(written.data()), 10).toHex(' '),
             bytes.toHex(' '));
    const double read = ExtendedReal::toDouble(reinterpret_cast<const std::uint8_t*>(bytes.data()));
    QCOMPARE(std::signbit(read), std::signbit(value));
    QCOMPARE(read, value);

    // Extended values that need rounding to a double: ties to even, overflow, underflow.
    struct Narrowing
    {
        const char* bytes;
        double expected;
    };
    const Narrowing cases[] = {
        {"0004000000000080ff3f", 1.0},                        // 1 + 2^-53: tie, even
        {"0104000000000080ff3f", 1.0 + std::ldexp(1.0, -52)}, // just above the tie
        {"000c000000000080ff3f", 1.0 + std::ldexp(1.0, -51)}, // 1 + 3 x 2^-53: tie, up
        {"0000000000000080fe7f", std::numeric_limits<double>::infinity()},
        {"00000000000000800100", 0.0},
        {"0000000000000040ff3f", 0.5}, // unnormal: integer bit clear
        {"0100000000000080cc3b", std::numeric_limits<double>::denorm_min()}, // above half of it
    };
    for (const Narrowing& c : cases) {
        const QByteArray b = hex(c.bytes);
        QCOMPARE(ExtendedReal::toDouble(reinterpret_cast<const std::uint8_t*>(b.data())),
                 c.expected);
    }
    QVERIFY(std::isnan(ExtendedReal::toDouble(
        reinterpret_cast<const std::uint8_t*>(hex("00000000000000c0ff7f").data()))));
}

// A face written and read into another face: values, nesting, references, unknown children.
void tst_TObjStreamV::roundTrip()
{
    SmallFace face;
    MenuObject menu;
    menu.AutoPopup = false;
    face.panel.PopupMenu = &menu;
    face.field->PopupMenu = &menu; // a reference below the root is not followed
    face.field->Ratio = 0.1;
    face.field->Color = QColor(0x12, 0x34, 0x56);
    face.field->Font.setBold(true);
    face.field->Text = QString(300, QChar(0x5B9B));
    auto* stranger = new FaceField(&face.panel);
    stranger->setObjectName("edtNobody");
    stranger->Left = 77;
    const QByteArray bytes = TObjStreamV::write(&face.panel);
    QVERIFY(bytes.contains(shortString("PopupMenu.AutoPopup") + hex("08")));
    QCOMPARE(bytes.count(shortString("PopupMenu.AutoPopup")), 1);

    FacePanel panel;
    panel.setObjectName("pnlTT");
    MenuObject otherMenu;
    panel.PopupMenu = &otherMenu;
    auto* field = new FaceField(&panel);
    field->setObjectName("edtAtenaTT");
    auto* untouched = new FaceField(&panel);
    untouched->setObjectName("edtRenmeiTT");
    untouched->Left = 5;
    QString error;
    QVERIFY2(TObjStreamV::read(bytes, &panel, &error), qPrintable(error));

    QCOMPARE(panel.ShadowShow, false);
    QCOMPARE(panel.Hint, QStringLiteral("90.00"));
    QCOMPARE(otherMenu.AutoPopup, false);
    for (const char* p : {"Left", "Top", "Width", "Height", "Alignment", "TransParent", "Tag",
                          "Hint", "Text", "Ratio", "Color"})
        QCOMPARE(field->property(p), face.field->property(p));
    QCOMPARE(field->Font.family(), face.field->Font.family());
    QCOMPARE(field->Font.pixelSize(), 16);
    QVERIFY(field->Font.bold());
    QCOMPARE(untouched->Left, 5); // the file's "edtNobody" matched no child
    QCOMPARE(panel.children().size(), 2);
}

void tst_TObjStreamV::pictures_data()
{
    QTest::addColumn<bool>("fromJpegFile");
    QTest::newRow("JPEG file kept") << true;
    QTest::newRow("other picture as PNG") << false;
}

void tst_TObjStreamV::pictures()
{
    QFETCH(bool, fromJpegFile);
    FacePanel panel;
    panel.Picture = testPicture();
    if (fromJpegFile) {
        panel.pictureFile = jpegFile(panel.Picture);
        panel.Picture = QImage::fromData(panel.pictureFile, "jpeg");
    }
    const QByteArray bytes = TObjStreamV::write(&panel);
    const QByteArray name = shortString("Picture.Data") + hex("0a");
    const qsizetype at = bytes.indexOf(name);
    QVERIFY(at > 0);
    const QByteArray data = bytes.mid(at + name.size() + 4);
    QVERIFY(data.startsWith(shortString(fromJpegFile ? "TJPEGImage" : "TPngImage")));
    if (fromJpegFile)
        QVERIFY(data.mid(11).startsWith(panel.pictureFile));

    FacePanel copy;
    QString error;
    QVERIFY2(TObjStreamV::read(bytes, &copy, &error), qPrintable(error));
    QCOMPARE(copy.Picture.size(), panel.Picture.size());
    QCOMPARE(copy.Picture.convertToFormat(QImage::Format_RGB32),
             panel.Picture.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(copy.pictureFile, panel.pictureFile);

    // The graphic's data may also come with its length in front, as other writers put it.
    const QByteArray jpeg = jpegFile(testPicture());
    QByteArray prefixed = shortString("TJPEGImage");
    const quint32 n = quint32(jpeg.size());
    prefixed += QByteArray(reinterpret_cast<const char*>(&n), 4) + jpeg;
    PictureData::Decoded decoded;
    QVERIFY(PictureData::decode(prefixed, &decoded));
    QCOMPARE(decoded.original, jpeg);
}

// Tags this program never writes are read past, and what follows them still applies.
void tst_TObjStreamV::foreignTags()
{
    QByteArray s = "TPF0";
    s += shortString("FacePanel") + shortString("pnl");
    s += shortString("Items") + hex("01 0201 06") + shortString("a") + hex("00"); // list
    s += shortString("Columns") + hex("0e 0200 01") + shortString("Width") + hex("0240 00") +
         hex("01") + shortString("Caption") + hex("06") + shortString("x") + hex("00 00");
    s += shortString("Hint") + hex("12 03000000 3100 3000 2e00"); // wide "10."
    s += hex("00");
    s += shortString("FaceField") + shortString("f");
    s += shortString("Scale") + hex("0f 0000c03f"); // single 1.5
    s += shortString("Ratio") + hex("0f 0000c03f");
    s += shortString("Money") + hex("10 1027000000000000");  // currency
    s += shortString("Born") + hex("11 0000000000408f40");   // date
    s += shortString("Serial") + hex("13 0000000001000000"); // 64-bit
    s += shortString("Left") + hex("13 f9ffffffffffffff");   // 64-bit -7
    s += shortString("Text") + hex("14 03000000 e5ae9b");    // UTF-8 宛
    s += shortString("Unknown.Data") + hex("0a 02000000 ffff");
    s += shortString("Font.Charset") + hex("07") + shortString("SHIFTJIS_CHARSET");
    s += shortString("Font.Pitch") + hex("07") + shortString("fpFixed");
    s += shortString("Font.Name") + hex("06") + shortString("IPAMincho");
    s += hex("00 00 00");

    FacePanel panel;
    auto* field = new FaceField(&panel);
    field->setObjectName("f");
    QString error;
    QVERIFY2(TObjStreamV::read(s, &panel, &error), qPrintable(error));
    QCOMPARE(panel.Hint, QStringLiteral("10."));
    QCOMPARE(field->Ratio, 1.5);
    QCOMPARE(field->Serial, qint64(1) << 32);
    QCOMPARE(field->Left, -7);
    QCOMPARE(field->Text, QStringLiteral("宛"));
    QCOMPARE(field->Font.family(), QStringLiteral("IPAMincho"));
}

// A stream cut anywhere is refused with the message, and the tree keeps what it had.
void tst_TObjStreamV::everyPrefixIsRefused()
{
    SmallFace face;
    face.panel.Picture = testPicture();
    face.field->Text = QString(300, u'x');
    const QByteArray bytes = TObjStreamV::write(&face.panel);

    FacePanel panel;
    panel.Hint = "before";
    auto* field = new FaceField(&panel);
    field->setObjectName("edtAtenaTT");
    field->Left = 3;
    const QByteArray state = TObjStreamV::write(&panel);
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        QString error;
        if (TObjStreamV::read(bytes.first(n), &panel, &error))
            QFAIL(qPrintable(QStringLiteral("prefix of %1 bytes was read").arg(n)));
        QCOMPARE(error, QStringLiteral("不正なストリーム フォーマット"));
    }
    QCOMPARE(TObjStreamV::write(&panel), state);
    QVERIFY(TObjStreamV::read(bytes, &panel));
    QCOMPARE(field->Left, 170);
}

// A value that does not fit its property refuses the whole stream, before anything is set.
void tst_TObjStreamV::badValuesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("integer into a boolean") << (shortString("TransParent") + hex("0201"));
    QTest::newRow("string into an integer") << (shortString("Tag") + hex("06") + shortString("1"));
    QTest::newRow("64-bit value into an int") << (shortString("Left") + hex("130000000001000000"));
    QTest::newRow("unknown enumeration name")
        << (shortString("Alignment") + hex("07") + shortString("alSideways"));
    QTest::newRow("unknown set member")
        << (shortString("Styles") + hex("0b") + shortString("fsBlink") + hex("00"));
    QTest::newRow("unknown colour name")
        << (shortString("Color") + hex("07") + shortString("clPlaid"));
    QTest::newRow("picture that does not decode")
        << (shortString("Picture.Data") + hex("0a 0e000000") + shortString("TJPEGImage") +
            hex("ffd8ff"));
    QTest::newRow("unknown tag") << (shortString("Tag") + hex("63"));
    QTest::newRow("binary longer than the file") << (shortString("Junk") + hex("0a ffffff7f"));
    QTest::newRow("lists nested beyond reason")
        << (shortString("Junk") + QByteArray(100000, 1) + QByteArray(100000, 0));
}

void tst_TObjStreamV::badValuesChangeNothing()
{
    QFETCH(QByteArray, record);
    QByteArray s = "TPF0";
    s += shortString("FacePanel") + shortString("pnl");
    s += shortString("Hint") + hex("06") + shortString("changed") + hex("00");
    s += shortString("FaceField") + shortString("f");
    s += shortString("Left") + hex("0209");
    if (record.startsWith(shortString("Picture.Data")))
        s.insert(s.indexOf(hex("00") + shortString("FaceField")), record);
    else
        s += record;
    s += hex("00 00 00");

    FacePanel panel;
    panel.Hint = "kept";
    auto* field = new FaceField(&panel);
    field->setObjectName("f");
    QString error;
    QVERIFY(!TObjStreamV::read(s, &panel, &error));
    QCOMPARE(error, QStringLiteral("不正なストリーム フォーマット"));
    QCOMPARE(panel.Hint, QStringLiteral("kept"));
    QCOMPARE(field->Left, 0);
}

void tst_TObjStreamV::hashedNames()
{
    // h = (h x 37 + b) mod 1201: "Top" = ((84 x 37 + 111) x 37 + 112) mod 1201.
    QCOMPARE(THashedStringListV::hash("Top"), ((84 * 37 + 111) * 37 + 112) % 1201);
    QCOMPARE(THashedStringListV::hash(""), 0);
    THashedStringListV list;
    const QList<QByteArray> names = {"Left", "Top", "Width", "Height", "Font", "Hint", "Tag"};
    for (const QByteArray& n : names)
        list.add(n);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(list.indexOf(names[i]), i);
    QCOMPARE(list.indexOf("left"), -1);
    QCOMPARE(list.indexOf("Font.Name"), -1);
}

QTEST_MAIN(tst_TObjStreamV)
#include "tst_TObjStreamV.moc"
