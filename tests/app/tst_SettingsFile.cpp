#include "app/SettingsFile.h"
#include "common/SettingsText.h"
#include "common/cp932.h"
#include "layout/LayoutTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A null text writes no file at all.
QString writeIni(const QTemporaryDir& dir, const QString& text)
{
    const QString path = dir.filePath(QStringLiteral("設定.ini"));
    if (text.isNull())
        return path;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(cp932::fromUnicode(text));
    return path;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
} // namespace

class tst_SettingsFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void onlyHosei();
    void values_data();
    void values();
    void roundTrip();
    void sender_data();
    void sender();
    void dataFileSurvivesSessionWithoutList();
    void readOnlyFileIsWritten();
    void unknownKeysSurvive();
    void place_data();
    void place();
    void ownerOnly_data();
    void ownerOnly();
    void sessionsMerge_data();
    void sessionsMerge();
};

void tst_SettingsFile::onlyHosei()
{
    QTemporaryDir dir;
    const QString path = writeIni(dir, "[Option]\r\nHosei=\"12,-3\"\r\n");
    SettingsState state;
    LayoutTable layouts;
    SettingsFile::ReadSettings(path, state, layouts);
    QCOMPARE(state.hoseiX, QStringLiteral("12"));
    QCOMPARE(state.hoseiY, QStringLiteral("-3"));
    const SettingsState initial;
    QCOMPARE(state.geometry, initial.geometry);
    QCOMPARE(state.paper, initial.paper);
    QCOMPARE(state.layoutKind, LayoutKind::TT);
    QCOMPARE(state.options.useDefaultHonorifics, true);
    QCOMPARE(state.options.nameSpacingText, QStringLiteral(" "));
    QCOMPARE(*state.previewPosition, QPoint(201 + 915, 144));
}

// One key at a time, and what it does to the state.
void tst_SettingsFile::values_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("expected");
    QTest::newRow("name space 2 is ideographic") << "[Menu]\nNameSpace=\"2\""
                                                 << "space" << QString(QChar(0x3000));
    QTest::newRow("name space 1") << "[Menu]\nNameSpace=\"1\""
                                  << "space"
                                  << " ";
    QTest::newRow("name space 0") << "[Menu]\nNameSpace=\"0\""
                                  << "space"
                                  << " ";
    QTest::newRow("name space word") << "[Menu]\nNameSpace=\"two\""
                                     << "space"
                                     << " ";
    QTest::newRow("name space missing") << ""
                                        << "space"
                                        << " ";
    QTest::newRow("paper 7 is A3") << "[Option]\nPaper=\"7\""
                                   << "paper"
                                   << "2";
    QTest::newRow("paper 1 is A4") << "[Option]\nPaper=\"1\""
                                   << "paper"
                                   << "1";
    QTest::newRow("paper word is postcard") << "[Option]\nPaper=\"x\""
                                            << "paper"
                                            << "0";
    QTest::newRow("read data 2") << "[Option]\nReadData=\"2\""
                                 << "kind"
                                 << "2";
    QTest::newRow("read data 3") << "[Option]\nReadData=\"3\""
                                 << "kind"
                                 << "3";
    QTest::newRow("read data word changes nothing") << "[Option]\nReadData=\"YT\""
                                                    << "kind"
                                                    << "0";
    QTest::newRow("read data 9 changes nothing") << "[Option]\nReadData=\"9\""
                                                 << "kind"
                                                 << "0";
    QTest::newRow("bool lower-case true") << "[Option]\nBarCode=\"true\""
                                          << "barcode"
                                          << "1";
    QTest::newRow("bool other word") << "[Option]\nBarCode=\"yes\""
                                     << "barcode"
                                     << "0";
    QTest::newRow("bool unquoted") << "[option]\nbarcode=TRUE"
                                   << "barcode"
                                   << "1";
    QTest::newRow("ER is missing") << "[Menu]\nUseKeisho=\"ER\""
                                   << "keisho"
                                   << "1";
    QTest::newRow("IR is missing") << "[Menu]\nUseKeisho=\"IR\""
                                   << "keisho"
                                   << "1";
    QTest::newRow("empty is missing") << "[Menu]\nUseKeisho="
                                      << "keisho"
                                      << "1";
    QTest::newRow("false") << "[MENU]\nusekeisho=\"False\""
                           << "keisho"
                           << "0";
    QTest::newRow("geometry word gives 100") << "[Form]\ntop=\"high\""
                                             << "top"
                                             << "100";
    QTest::newRow("geometry width word gives 649") << "[Form]\nwidth=\"x\""
                                                   << "width"
                                                   << "649";
    QTest::newRow("geometry with comma") << "[Form]\nwidth=\"1,024\""
                                         << "width"
                                         << "1024";
    QTest::newRow("honorific") << QString::fromUtf8("[Menu]\nUseKeisho1=\"殿\"") << "honorific"
                               << QString::fromUtf8("殿");
    QTest::newRow("start of paper text") << "[Option]\nStartOfPaper=\"3\""
                                         << "start"
                                         << "3";
    QTest::newRow("digits in boxes TY") << "[Menu]\nZipInBoxesTY=\"True\""
                                        << "boxes"
                                        << "0100";
    QTest::newRow("digits in boxes YY") << "[Menu]\nZipInBoxesYY=\"True\""
                                        << "boxes"
                                        << "0001";
    QTest::newRow("digits in boxes absent") << "[Menu]\nUseZipNoEreaTT=\"True\""
                                            << "boxes"
                                            << "0000";
    QTest::newRow("digits in boxes on a first start, landscape too") << QString() << "boxes"
                                                                     << "1111";
    QTest::newRow("missing picture is dropped") << "[File]\nBackImageFileTT=\"/no/such.jpg\""
                                                << "picture"
                                                << "";
}

void tst_SettingsFile::values()
{
    QFETCH(QString, ini);
    QFETCH(QString, what);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    SettingsState s;
    LayoutTable layouts;
    SettingsFile::ReadSettings(writeIni(dir, ini), s, layouts);
    const QMap<QString, QString> got = {
        {"space", s.options.nameSpacingText},
        {"paper", QString::number(s.paper)},
        {"kind", QString::number(int(s.layoutKind))},
        {"barcode", QString::number(s.options.useCustomerBarcode)},
        {"keisho", QString::number(s.options.useDefaultHonorifics)},
        {"top", QString::number(s.geometry.y())},
        {"width", QString::number(s.geometry.width())},
        {"honorific", s.options.defaultHonorific1},
        {"start", s.startOfPaper},
        {"picture", s.backImage[0]},
        {"boxes",
         QString::number(s.options.zipInBoxes[0]) + QString::number(s.options.zipInBoxes[1]) +
             QString::number(s.options.zipInBoxes[2]) + QString::number(s.options.zipInBoxes[3])},
    };
    QVERIFY(got.contains(what));
    QCOMPARE(got[what], expected);
}

void tst_SettingsFile::roundTrip()
{
    QTemporaryDir dir;
    // "ü" has no code page 932 form: the picture comes back through "BackImageFileYTU".
    const QString picture = dir.filePath(QStringLiteral("背景 Müller.png"));
    QFile(picture).open(QIODevice::WriteOnly);

    SettingsState out;
    out.geometry = QRect(11, 22, 800, 600);
    out.previewPosition = QPoint(900, 33);
    out.noSetPrinter = true;
    out.reopenLastList = true;
    out.options.useDefaultHonorifics = false;
    out.options.spaceBetweenName = false;
    out.options.joinByHyphen = true;
    out.options.useZipBoxes = {true, false, true, false};
    out.options.zipInBoxes = {false, true, true, false};
    out.options.useNonUnicodeFont = false;
    out.options.useCustomerBarcode = true;
    out.options.nameSpacingText = QString(QChar(0x3000));
    out.options.defaultHonorific1 = QString::fromUtf8("殿");
    out.options.defaultHonorific2 = QString::fromUtf8("各位");
    out.paper = SettingsState::A4;
    out.startOfPaper = QStringLiteral("3");
    out.hoseiX = QStringLiteral("-5");
    out.hoseiY = QStringLiteral("7");
    out.layoutKind = LayoutKind::YT;
    out.dataFile = dir.filePath(QStringLiteral("住所録.xls"));
    out.backImage[2] = picture;
    LayoutTable layouts;
    layouts.setDefaults();
    LayoutItemRecord r = layouts.record(LayoutKind::YT, LayoutItem::Atena);
    r.X += 17;
    r.FontName = QStringLiteral("@ＭＳ 明朝");
    layouts.StoreLayoutItem(int(LayoutKind::YT), int(LayoutItem::Atena), r, false);
    // "ß" has no code page 932 form: the header texts come back through "…HeadersU".
    const QStringList header{"", "お名前", "Straße", "〒"};
    HeaderMapping mapping;
    mapping.columns[HeaderColumns::Name] = {1};
    mapping.columns[HeaderColumns::Address1] = {2};
    mapping.columns[HeaderColumns::PostalCode] = {3};
    out.columnMappings.remember(header, mapping);

    const QString path = dir.filePath(QStringLiteral("tayori.ini"));
    QVERIFY(SettingsFile::WriteSettings(path, out, layouts));

    SettingsState in;
    LayoutTable back;
    SettingsFile::ReadSettings(path, in, back);
    QCOMPARE(in.geometry, out.geometry);
    QCOMPARE(in.previewPosition, out.previewPosition);
    QCOMPARE(in.noSetPrinter, true);
    QCOMPARE(in.reopenLastList, true);
    QCOMPARE(in.options.useDefaultHonorifics, false);
    QCOMPARE(in.options.spaceBetweenName, false);
    QCOMPARE(in.options.joinByHyphen, true);
    QCOMPARE(in.options.useZipBoxes, out.options.useZipBoxes);
    QCOMPARE(in.options.zipInBoxes, out.options.zipInBoxes);
    QCOMPARE(in.options.useNonUnicodeFont, false);
    QCOMPARE(in.options.useCustomerBarcode, true);
    QCOMPARE(in.options.nameSpacingText, out.options.nameSpacingText);
    QCOMPARE(in.options.defaultHonorific1, out.options.defaultHonorific1);
    QCOMPARE(in.options.defaultHonorific2, out.options.defaultHonorific2);
    QCOMPARE(in.paper, int(SettingsState::A4));
    QCOMPARE(in.startOfPaper, out.startOfPaper);
    QCOMPARE(in.hoseiX, out.hoseiX);
    QCOMPARE(in.hoseiY, out.hoseiY);
    QCOMPARE(in.layoutKind, LayoutKind::YT);
    QCOMPARE(in.backImage, out.backImage);
    QVERIFY(back.record(LayoutKind::YT, LayoutItem::Atena) == r);
    QVERIFY(in.columnMappings.find(header, 4) == mapping);
    QCOMPARE(SettingsText::ReadSetting(path, "file", "datafile"), out.dataFile);
    // the file is code page 932 text
    QVERIFY(readAll(path).contains(cp932::fromUnicode(QString::fromUtf8("住所録.xls"))));
}

Q_DECLARE_METATYPE(SenderInfo)

void tst_SettingsFile::sender_data()
{
    QTest::addColumn<SenderInfo>("sender");
    QTest::addColumn<QByteArray>("stored"); // a line the file holds
    SenderInfo plain{true,
                     u"1000013"_qs,
                     u"東京都千代田区霞が関１－３－２"_qs,
                     u"ハイツ２０１"_qs,
                     u"株式会社たより"_qs,
                     u"山田 太郎"_qs,
                     u"花子"_qs};
    QTest::newRow("code page 932") << plain << cp932::fromUnicode(u"Name=\"山田 太郎\""_qs);
    // "髙" and "ü" have no code in code page 932: "?" for older readers, the text in "NameU".
    SenderInfo outside = plain;
    outside.name = u"髙橋 Müller"_qs;
    QTest::newRow("outside code page 932")
        << outside << QByteArray("NameU=\"%E9%AB%99%E6%A9%8B%20M%C3%BCller\"");
    SenderInfo off = plain;
    off.print = false;
    QTest::newRow("not printed") << off << QByteArray("Print=\"False\"");
}

// [Sender] keeps the dialog's texts and its box; a settings file without the section gives
// no sender to print.
void tst_SettingsFile::sender()
{
    QFETCH(SenderInfo, sender);
    QFETCH(QByteArray, stored);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tayori.ini"));
    SettingsState out;
    out.options.sender = sender;
    LayoutTable layouts;
    QVERIFY(SettingsFile::WriteSettings(path, out, layouts));
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.contains("[Sender]\r\n"));
    QVERIFY2(bytes.contains(stored + "\r\n"), bytes.constData());

    SettingsState in;
    SettingsFile::ReadSettings(path, in, layouts);
    QCOMPARE(in.options.sender, sender);

    SettingsState none;
    SettingsFile::ReadSettings(writeIni(dir, u"[Option]\r\nPaper=\"1\"\r\n"_qs), none, layouts);
    QCOMPARE(none.options.sender, SenderInfo());
}

void tst_SettingsFile::dataFileSurvivesSessionWithoutList()
{
    QTemporaryDir dir;
    const QString path = writeIni(dir, "[FILE]\r\nDataFile=\"/lists/old.xls\"\r\n");
    SettingsState state; // no list loaded in this session
    LayoutTable layouts;
    layouts.setDefaults();
    QVERIFY(SettingsFile::WriteSettings(path, state, layouts));
    QCOMPARE(SettingsText::ReadSetting(path, "FILE", "DataFile"), QStringLiteral("/lists/old.xls"));
}

void tst_SettingsFile::readOnlyFileIsWritten()
{
    QTemporaryDir dir;
    const QString path = writeIni(dir, "[Option]\r\nPaper=\"1\"\r\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    SettingsState state;
    state.paper = SettingsState::A3;
    LayoutTable layouts;
    layouts.setDefaults();
    QVERIFY(SettingsFile::WriteSettings(path, state, layouts));
    QCOMPARE(SettingsText::ReadSetting(path, "Option", "Paper"), QStringLiteral("2"));
}

void tst_SettingsFile::unknownKeysSurvive()
{
    QTemporaryDir dir;
    const QString path =
        writeIni(dir, QString::fromUtf8("[Mine]\r\nkeep=\"これ\"\r\n[Option]\r\nOther=\"1\"\r\n"));
    SettingsState state;
    LayoutTable layouts;
    layouts.setDefaults();
    QVERIFY(SettingsFile::WriteSettings(path, state, layouts));
    QCOMPARE(SettingsText::ReadSetting(path, "mine", "KEEP"), QString::fromUtf8("これ"));
    QCOMPARE(SettingsText::ReadSetting(path, "Option", "Other"), QStringLiteral("1"));
    QCOMPARE(SettingsText::ReadSetting(path, "Option", "Paper"), QStringLiteral("0"));
}

// The file holds the sender's name and address: nobody but its owner reads it.
void tst_SettingsFile::ownerOnly_data()
{
    QTest::addColumn<QString>("existing"); // null: no file yet
    QTest::addColumn<bool>("bySession");   // written by a window's session, not whole
    QTest::newRow("created") << QString() << false;
    QTest::newRow("created by a session") << QString() << true;
    QTest::newRow("rewritten from 0644") << u"[Option]\r\nPaper=\"1\"\r\n"_qs << false;
    QTest::newRow("changed by a session from 0644") << u"[Option]\r\nPaper=\"1\"\r\n"_qs << true;
}

void tst_SettingsFile::ownerOnly()
{
    QFETCH(QString, existing);
    QFETCH(bool, bySession);
    QTemporaryDir dir;
    const QString path = writeIni(dir, existing);
    if (!existing.isNull())
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                        QFile::ReadOther);
    SettingsState state;
    LayoutTable layouts;
    if (bySession) {
        SettingsFile session(path);
        session.read(state, layouts);
        state.paper = SettingsState::A3;
        QVERIFY(session.write(state, layouts));
    } else {
        QVERIFY(SettingsFile::WriteSettings(path, state, layouts));
    }
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(path) & others, QFile::Permissions());
    QVERIFY(QFile::permissions(path) & QFile::ReadOwner);
}

// Two windows on one file, each read at its start: what each changed survives the other's save.
void tst_SettingsFile::sessionsMerge_data()
{
    QTest::addColumn<QString>("first");  // what the first window changes, then saves
    QTest::addColumn<QString>("second"); // what the second changes, then saves
    QTest::addColumn<QString>("sender");
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("atenaX");
    const int x = LayoutTable::defaultRecord(LayoutKind::TT, LayoutItem::Atena).X;
    QTest::newRow("sender, then a layout")
        << "sender"
        << "layout" << QString::fromUtf8("山田 花子") << int(SettingsState::A4) << 777;
    QTest::newRow("layout, then the paper") << "layout"
                                            << "A3" << QString() << int(SettingsState::A3) << 777;
    QTest::newRow("the same key: the later change")
        << "A3"
        << "postcard" << QString() << int(SettingsState::Postcard) << x;
    QTest::newRow("nothing changed: nothing undone")
        << "sender"
        << "" << QString::fromUtf8("山田 花子") << int(SettingsState::A4) << x;
}

void tst_SettingsFile::sessionsMerge()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, sender);
    QFETCH(int, paper);
    QFETCH(int, atenaX);
    QTemporaryDir dir;
    const QString path = writeIni(dir, u"[Option]\r\nPaper=\"1\"\r\n"_qs);
    SettingsFile a(path);
    SettingsFile b(path);
    SettingsState stateA, stateB;
    LayoutTable layoutsA, layoutsB;
    a.read(stateA, layoutsA);
    b.read(stateB, layoutsB);
    const auto change = [](const QString& what, SettingsState& state, LayoutTable& layouts) {
        if (what == u"sender")
            state.options.sender.name = QString::fromUtf8("山田 花子");
        else if (what == u"A3")
            state.paper = SettingsState::A3;
        else if (what == u"postcard")
            state.paper = SettingsState::Postcard;
        else if (what == u"layout") {
            LayoutItemRecord r = layouts.record(LayoutKind::TT, LayoutItem::Atena);
            r.X = 777;
            layouts.StoreLayoutItem(int(LayoutKind::TT), int(LayoutItem::Atena), r, true);
        }
    };
    change(first, stateA, layoutsA);
    QVERIFY(a.write(stateA, layoutsA));
    change(second, stateB, layoutsB);
    QVERIFY(b.write(stateB, layoutsB));

    SettingsState saved;
    LayoutTable layouts;
    QVERIFY(SettingsFile::ReadSettings(path, saved, layouts));
    QCOMPARE(saved.options.sender.name, sender);
    QCOMPARE(saved.paper, paper);
    QCOMPARE(layouts.record(LayoutKind::TT, LayoutItem::Atena).X, atenaX);
}

QTEST_MAIN(tst_SettingsFile)
// An installed program never writes beside its executable in a system folder (as root it
// could): its settings go to the user's configuration folder. A build or portable folder
// keeps them beside the executable.
void tst_SettingsFile::place_data()
{
    QTest::addColumn<QString>("folder"); // "TEMP": a writable folder of the test's own
    QTest::addColumn<bool>("beside");
    QTest::newRow("/usr/bin") << u"/usr/bin"_qs << false;
    QTest::newRow("/usr/local/bin") << u"/usr/local/bin"_qs << false;
    QTest::newRow("/opt/tayori/bin") << u"/opt/tayori/bin"_qs << false;
    QTest::newRow("/usr/../usr/bin") << u"/usr/../usr/bin"_qs << false;
    QTest::newRow("build or portable folder") << u"TEMP"_qs << true;
}

void tst_SettingsFile::place()
{
    QFETCH(QString, folder);
    QFETCH(bool, beside);
    QTemporaryDir dir;
    QTemporaryDir config;
    if (folder == u"TEMP")
        folder = dir.path();
    const QString path = SettingsFile::DefaultPathIn(folder, u"tayori"_qs, config.path());
    QCOMPARE(path, beside ? folder + u"/tayori.ini"_qs : config.path() + u"/tayori.ini"_qs);
}

#include "tst_SettingsFile.moc"
