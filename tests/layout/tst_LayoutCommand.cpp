#include "cli/CliRun.h"
#include "common/IniFile.h"
#include "layout/LayoutFile.h"
#include "layout/LayoutTable.h"
#include "layout/LayoutUnits.h"
#include "layout/PlainFace.h"
#include "layout/PlainFaceField.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <cstring>

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

constexpr int LinkToZero = -2;
constexpr int Pipe = -3;

// The stream of a face as a file would hold it, with `insert` put in at `at` bytes from the
// start (negative: from the end).
QByteArray withInserted(const QByteArray& stream, qsizetype at, const QByteArray& insert)
{
    const qsizetype pos = at >= 0 ? at : stream.size() + at;
    return stream.left(pos) + insert + stream.mid(pos);
}

// The smallest address space (MiB, to 8 MiB) in which tayori-cli loads `file`.
int addressSpaceNeeded(const QString& file)
{
    const auto runs = [&](int mib) {
        QProcess p;
        p.start("prlimit", {QStringLiteral("--as=%1").arg(qint64(mib) << 20),
                            TAYORI_BINARY_DIR "/src/cli/tayori-cli", "layout", file});
        return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    };
    int low = 0, high = 8192;
    while (high - low > 8) {
        const int mid = (low + high) / 2;
        (runs(mid) ? high : low) = mid;
    }
    return high;
}

} // namespace

class tst_LayoutCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void printsAndStores();
    void fileFromBeforeTheSender();
    void refusedFiles_data();
    void refusedFiles();
    void replacedValuesAreTold();
    void bigFilesStayInBounds_data();
    void bigFilesStayInBounds();
};

void tst_LayoutCommand::printsAndStores()
{
    QTemporaryDir dir;
    LayoutTable table;
    LayoutItemRecord atena = table.record(LayoutKind::YT, LayoutItem::Atena);
    atena.Lock = true;
    atena.NoPrint = true;
    atena.FontSize = 10.5;
    atena.X = 1020;
    atena.Y = 220;
    atena.Width = 40;
    atena.Height = 600;
    atena.WidthEx = 0;
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
    QVERIFY(
        lines[0].startsWith(QStringLiteral("YT\tYubinNo1\tＭＳ ゴシック\t%1\t")
                                .arg(table.record(LayoutKind::YT, LayoutItem::YubinNo1).FontSize)));

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

// A layout file and a settings file written before the sender's fields existed (by the
// program of that time, every field moved off its default): the file's nine fields go where
// it says, the sender's keep their defaults, every other record stays as the settings had it.
void tst_LayoutCommand::fileFromBeforeTheSender()
{
    const QString data = QStringLiteral(TAYORI_SOURCE_DIR "/tests/data/before-sender/");
    QTemporaryDir dir;
    const QString ini = dir.filePath("tayori.ini");
    QVERIFY(QFile::copy(data + "tayori.ini", ini));
    const CliRun run = RunCli({"layout", data + "cardTT.tyd", "--into", ini});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QCOMPARE(run.lines().size(), AddresseeItemCount);

    IniFile before;
    QVERIFY(before.load(data + "tayori.ini"));
    LayoutTable old;
    old.LoadLayoutTable(before);
    IniFile after;
    QVERIFY(after.load(ini));
    LayoutTable stored;
    stored.LoadLayoutTable(after);
    // The face was saved at 100 %: each value went to whole pixels and back.
    const auto throughPixels = [](int tenthMm) {
        return LayoutUnits::pixelsToTenthMm(LayoutUnits::tenthMmToPixelsAtZoom(tenthMm, 100, 96),
                                            96);
    };
    for (int k = 0; k < LayoutKindCount; ++k) {
        for (int i = 0; i < LayoutItemCount; ++i) {
            const auto kind = LayoutKind(k);
            const auto item = LayoutItem(i);
            const LayoutItemRecord& got = stored.record(kind, item);
            LayoutItemRecord want = old.record(kind, item);
            if (kind == LayoutKind::TT && i < AddresseeItemCount) {
                want.X = throughPixels(want.X);
                want.Y = throughPixels(want.Y);
                want.Width = throughPixels(want.Width);
                want.Height = throughPixels(want.Height);
                // The barcode has no extension in the file.
                want.WidthEx =
                    item == LayoutItem::PostCode ? got.WidthEx : throughPixels(want.WidthEx);
            }
            if (isSenderItem(item))
                QCOMPARE(got, LayoutTable::defaultRecord(kind, item));
            else
                QVERIFY2(got == want, qPrintable(LayoutTable::itemKey(kind, item) + " " +
                                                 LayoutTable::recordText(got)));
        }
    }
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
    // Read without end, or never opened by a writer: refused before any byte is read.
    QTest::newRow("device behind a link") << "zeroTT.tyd" << LinkToZero << "は開けません";
    QTest::newRow("pipe") << "pipeTT.tyd" << Pipe << "は開けません";
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
    else if (keep == LinkToZero)
        QVERIFY(QFile::link("/dev/zero", file));
    else if (keep == Pipe)
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    const QString ini = dir.filePath("tayori.ini");
    const QByteArray settings = "[ITEMFONT]\r\nitem17=\"X,9.0,1,1,1,1,1,False,False,False\"\r\n";
    writeAll(ini, settings);

    const CliRun run = RunCli({"layout", file, "--into", ini});
    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
    QCOMPARE(run.out, QString());
    QCOMPARE(readAll(ini), settings);
}

// A value beyond any card is stored as the layout's default, printed as stored, and told.
void tst_LayoutCommand::replacedValuesAreTold()
{
    QTemporaryDir dir;
    const LayoutTable table;
    PlainFace face(table, LayoutKind::TT, 100.0, 96.0);
    LayoutFile::prepareSave(&face, table, LayoutKind::TT, 100.0);
    face.field(int(LayoutItem::Atena))->Left = 100000;
    const QString file = dir.filePath("farTT.tyd");
    QVERIFY(LayoutFile::save(&face, file, nullptr));

    const CliRun run = RunCli({"layout", file});
    QCOMPARE(run.exitCode, 0);
    const QStringList atena = run.lines().value(int(LayoutItem::Atena)).split(u'\t');
    QCOMPARE(atena.value(4), QString::number(table.record(LayoutKind::TT, LayoutItem::Atena).X));
    QVERIFY2(run.errors.contains(QStringLiteral("X 264583 は範囲外のため %1 にしました")
                                     .arg(table.record(LayoutKind::TT, LayoutItem::Atena).X)),
             qPrintable(run.errors));
}

// A file under the size limit needs at most twice its size and 60 MB more than a small one,
// whatever it holds; a value too long for a message is quoted short.
void tst_LayoutCommand::bigFilesStayInBounds_data()
{
    QTest::addColumn<QByteArray>("insert"); // put in after the panel's header
    QTest::addColumn<bool>("loads");
    constexpr qsizetype Big = 60'000'000;
    QTest::newRow("60 MB of unknown properties")
        << QByteArray("\x01Q\x00", 3).repeated(Big / 3) << true;
    QTest::newRow("30 M set members")
        << QByteArray("\x01Q\x0b") + QByteArray("\x01m").repeated(Big / 2) + '\0' << true;
    QByteArray hint("\x04Hint\x0c");
    const quint32 n = quint32(Big);
    hint += QByteArray(reinterpret_cast<const char*>(&n), 4) + QByteArray(Big, 'x');
    QTest::newRow("60 MB hint") << hint << false;
}

void tst_LayoutCommand::bigFilesStayInBounds()
{
    QFETCH(QByteArray, insert);
    QFETCH(bool, loads);
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer reserves terabytes of address space: no address-space limit fits");
#endif
    if (QStandardPaths::findExecutable("prlimit").isEmpty())
        QSKIP("prlimit (util-linux) is not installed");
    QTemporaryDir dir;
    const QString small = saveFace(dir, LayoutTable(), LayoutKind::TT, 90.0);
    const QByteArray good = readAll(small);
    const qsizetype header = 4 + 1 + qsizetype(strlen("PlainFace")) + 1 + 5; // "pnlTT"
    const QString big = dir.filePath("bigTT.tyd");
    writeAll(big, withInserted(good, header, insert));
    insert.clear();

    const qint64 bound = addressSpaceNeeded(small) + (2 * QFileInfo(big).size() >> 20) + 60;
    QProcess p;
    p.start("prlimit", {QStringLiteral("--as=%1").arg(bound << 20),
                        TAYORI_BINARY_DIR "/src/cli/tayori-cli", "layout", big});
    QVERIFY(p.waitForFinished(120000));
    const QString errors = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == (loads ? 0 : 1), qPrintable(errors.left(400)));
    QVERIFY2(errors.size() < 200 + big.size(), qPrintable(errors.left(400)));
}

QTEST_MAIN(tst_LayoutCommand)
#include "tst_LayoutCommand.moc"
