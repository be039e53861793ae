#include "cli/CliRun.h"
#include "common/IniFile.h"
#include "layout/LayoutFile.h"
#include "layout/LayoutTable.h"
#include "layout/PlainFace.h"
#include "layout/PlainFaceField.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// tayori-cli layout: a layout file loaded without a window, into a settings file.

namespace {

QString saveFace(const QTemporaryDir& dir, const LayoutTable& table, LayoutKind kind, double zoom)
{
    PlainFace face(table, kind, zoom, 96.0);
    LayoutFile::prepareSave(&face, table, kind, zoom);
    const QString path = dir.filePath(LayoutFile::fileNameForKind("card", kind));
    LayoutFile::save(&face, path, nullptr);
    return path;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class tst_LayoutCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void printsAndStores();
    void refusedFiles_data();
    void refusedFiles();
};

void tst_LayoutCommand::printsAndStores()
{
    QTemporaryDir dir;
    LayoutTable table;
    LayoutItemRecord atena = table.record(LayoutKind::YT, LayoutItem::Atena);
    atena.Lock = true;
    atena.NoPrint = true;
    atena.FontSize = 10.5;
    table.StoreLayoutItem(int(LayoutKind::YT), int(LayoutItem::Atena), atena, false);
    const QString file = saveFace(dir, table, LayoutKind::YT, 100.0);

    const CliRun run = RunCli({"layout", file});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    const QStringList lines = run.lines();
    QCOMPARE(lines.size(), LayoutItemCount);
    // Positions went through whole pixels (1020 is 386 px, which is 1021) and WidthEx 0
    // through the smallest pixel.
    QCOMPARE(
        lines[int(LayoutItem::Atena)],
        QStringLiteral("YT\tAtena\tＭＳ 明朝\t10.5\t1021\t220\t40\t601\t1\tTrue\tFalse\tTrue"));
    QVERIFY(lines[0].startsWith(QStringLiteral("YT\tYubinNo1\tＭＳ ゴシック\t13\t")));

    // Into a settings file: the YT records change, every other key stays.
    const QString ini = dir.filePath("tayori.ini");
    writeAll(ini, "[Option]\r\nReadData=3\r\n[ITEMFONT]\r\nitem11=\"Foo,20.0,1,2,3,4,5,True,"
                  "True,True\"\r\n");
    const CliRun into = RunCli({"layout", file, "--into", ini});
    QCOMPARE(into.exitCode, 0);
    IniFile settings;
    QVERIFY(settings.load(ini));
    QCOMPARE(settings.value("Option", "ReadData"), QStringLiteral("3"));
    LayoutTable stored;
    stored.LoadLayoutTable(settings);
    QCOMPARE(stored.record(LayoutKind::TT, LayoutItem::YubinNo1).FontName, QStringLiteral("Foo"));
    const LayoutItemRecord yt = stored.record(LayoutKind::YT, LayoutItem::Atena);
    QCOMPARE(yt.X, 1021);
    QVERIFY(yt.Lock && yt.NoPrint && yt.FontSize == 10.5);
}

// A file that cannot be loaded: its message, a failure status, the settings file untouched.
void tst_LayoutCommand::refusedFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("keep"); // bytes of a good file kept; -1: not written at all
    QTest::addColumn<QString>("message");
    QTest::newRow("cut short") << "cardTT.tyd" << 200 << "不正なストリーム フォーマット";
    QTest::newRow("no signature") << "cardTT.tyd" << 0 << "不正なストリーム フォーマット";
    QTest::newRow("missing") << "goneTT.tyd" << -1 << "は開けません";
    QTest::newRow("no kind in the name") << "card.tyd" << 100000 << "TT, TY, YT, YY";
}

void tst_LayoutCommand::refusedFiles()
{
    QFETCH(QString, name);
    QFETCH(int, keep);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QByteArray good = readAll(saveFace(dir, LayoutTable(), LayoutKind::TT, 90.0));
    const QString file = dir.filePath(name);
    if (keep >= 0)
        writeAll(file, good.left(keep));
    const QString ini = dir.filePath("tayori.ini");
    const QByteArray settings = "[ITEMFONT]\r\nitem17=\"X,9.0,1,1,1,1,1,False,False,False\"\r\n";
    writeAll(ini, settings);

    const CliRun run = RunCli({"layout", file, "--into", ini});
    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
    QCOMPARE(run.out, QString());
    QCOMPARE(readAll(ini), settings);
}

QTEST_MAIN(tst_LayoutCommand)
#include "tst_LayoutCommand.moc"
