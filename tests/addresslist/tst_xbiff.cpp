#include "addresslist/BiffBuilder.h"

#include "addresslist/BiffNumbers.h"
#include "addresslist/CompoundDocument.h"
#include "addresslist/TXBiff.h"
#include "addresslist/XBiffError.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cmath>
#include <optional>

using Body = BiffBuilder::Body;

namespace {

// Everything one read reported, in order.
struct Capture
{
    QStringList log; // "cell s r c text", "width s c w", "name n", "progress p"
    QMap<std::tuple<int, int, int>, QString> cells;
    QMap<std::pair<int, int>, int> widths;
    QStringList names;
    QList<int> progress;
    int cellEvents = 0;
    std::optional<int> cancelAtCell; // sets Cancel in this cell event (0-based)

    void attach(TXBiff& reader)
    {
        reader.OnReadCell = [this](int s, int r, int c, int, const QString& text, bool& cancel) {
            log << QStringLiteral("cell %1 %2 %3 %4").arg(s).arg(r).arg(c).arg(text);
            cells[{s, r, c}] = text;
            if (cancelAtCell && *cancelAtCell == cellEvents)
                cancel = true;
            ++cellEvents;
        };
        reader.OnReadColW = [this](int s, int c, int w) {
            log << QStringLiteral("width %1 %2 %3").arg(s).arg(c).arg(w);
            widths[{s, c}] = w;
        };
        reader.OnReadSheetName = [this](const QString& name) {
            log << QStringLiteral("name ") + name;
            names << name;
        };
        reader.OnProgress = [this](int p) {
            log << QStringLiteral("progress %1").arg(p);
            progress << p;
        };
    }
    QStringList cellLog() const { return log.filter(QStringLiteral("cell ")); }
};

Capture readBytes(const QByteArray& bytes, std::optional<int> cancelAtCell = {})
{
    TXBiff reader;
    Capture capture;
    capture.cancelAtCell = cancelAtCell;
    capture.attach(reader);
    reader.LoadFromBytes(bytes);
    return capture;
}

// A BIFF8 workbook: globals with the given records and one worksheet holding `cells`.
QByteArray workbook8(const BiffBuilder& globals, const BiffBuilder& cells)
{
    BiffBuilder b;
    b.bof8(0x0005).raw(globals.bytes()).boundSheet8(QStringLiteral("S")).eof();
    b.bof8(0x0010).raw(cells.bytes()).eof();
    return b.bytes();
}

QByteArray worksheet8(const BiffBuilder& cells)
{
    return workbook8(BiffBuilder(), cells);
}

// Writes an OLE2 compound document holding one stream.
bool writeCompound(const QString& path, const char* streamName, const QByteArray& bytes)
{
    GError* error = nullptr;
    GsfOutput* sink = gsf_output_stdio_new(QFile::encodeName(path).constData(), &error);
    if (!sink)
        return false;
    GsfOutfile* ole = gsf_outfile_msole_new(sink);
    g_object_unref(sink);
    GsfOutput* stream = gsf_outfile_new_child(ole, streamName, false);
    gsf_output_write(stream, size_t(bytes.size()), reinterpret_cast<const guint8*>(bytes.data()));
    gsf_output_close(stream);
    g_object_unref(stream);
    const bool closed = gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole);
    return closed;
}

// Texts of the expected files: \\ \t \n \r and \uXXXX escapes.
QString unescape(const QString& s)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'\\' || i + 1 >= s.size()) {
            out += s[i];
            continue;
        }
        const QChar e = s[++i];
        if (e == u't')
            out += u'\t';
        else if (e == u'n')
            out += u'\n';
        else if (e == u'r')
            out += u'\r';
        else if (e == u'u') {
            out += QChar(char16_t(s.mid(i + 1, 4).toUInt(nullptr, 16)));
            i += 4;
        } else
            out += e;
    }
    return out;
}

// A number text as Python's %.15g writes it ("1e+20") in our form ("1E20").
QString normalizedNumber(QString s)
{
    s = s.toUpper().replace(QStringLiteral("E+"), QStringLiteral("E"));
    s.replace(QStringLiteral("E-0"), QStringLiteral("E-"));
    while (s.contains(QStringLiteral("E0")))
        s.replace(QStringLiteral("E0"), QStringLiteral("E"));
    return s;
}

bool sameNumber(const QString& ours, const QString& expected)
{
    if (normalizedNumber(ours) == normalizedNumber(expected))
        return true;
    bool okA = false, okB = false;
    const double a = ours.toDouble(&okA);
    const double b = expected.toDouble(&okB);
    return okA && okB && std::abs(a - b) <= 1e-14 * std::max(std::abs(a), std::abs(b));
}

QString testData(const QString& name)
{
    return QStringLiteral(TAYORI_TESTDATA "/xls/") + name;
}

QStringList readLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class tst_xbiff : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void corpus_data();
    void corpus();

    void numberText_data();
    void numberText();
    void rk_data();
    void rk();
    void mulRkThenOneProgress();
    void cancelStopsAfterRecord();
    void progressSequence();
    void chartSheetBetweenWorksheets();
    void embeddedChartKeepsSheetCells();
    void recordsAfterEofAreRead();
    void firstScanCountsBareWorksheet();
    void noBofOnlyFinalProgress();
    void formulaResults_data();
    void formulaResults();
    void formulaStringLayouts_data();
    void formulaStringLayouts();
    void swappedStringResult_data();
    void swappedStringResult();
    void sstContinueFlip();
    void sstPieceTooLong_data();
    void sstPieceTooLong();
    void sstShortStringKeepsEarlierOnes();
    void eightBitTexts_data();
    void eightBitTexts();
    void biff8LabelIsUnicode();
    void colInfoRanges_data();
    void colInfoRanges();
    void truncatedRecords_data();
    void truncatedRecords();
    void everyTruncationEndsCleanly();
    void unopenableFile_data();
    void unopenableFile();
    void workbookStreamAnyCase_data();
    void workbookStreamAnyCase();
    void compoundWithoutWorkbookReadsRawBytes();
};

void tst_xbiff::initTestCase()
{
    gsf_init();
    QVERIFY(QDir(testData(QString())).exists());
}

// Every workbook of the corpus, against what xlrd read from it.
void tst_xbiff::corpus_data()
{
    QTest::addColumn<QString>("base");
    const QStringList files =
        QDir(testData(QString())).entryList({QStringLiteral("*.xls")}, QDir::Files, QDir::Name);
    QVERIFY(!files.isEmpty());
    for (const QString& file : files) {
        const QString base = file.chopped(4);
        QTest::newRow(qPrintable(base)) << base;
    }
}

void tst_xbiff::corpus()
{
    QFETCH(QString, base);
    TXBiff reader;
    Capture got;
    got.attach(reader);
    reader.LoadFromFile(testData(base + QStringLiteral(".xls")));
    QCOMPARE(reader.fileName(), testData(base + QStringLiteral(".xls")));

    // Progress climbs to 100 and ends with 0.
    QVERIFY(got.progress.size() >= 2);
    QCOMPARE(got.progress.last(), 0);
    QCOMPARE(got.progress[got.progress.size() - 2], 100);
    QVERIFY(std::is_sorted(got.progress.begin(), got.progress.end() - 1));
    QCOMPARE(reader.progress(), 0);

    QFile infoFile(testData(base + QStringLiteral(".biffinfo.json")));
    QVERIFY(infoFile.open(QIODevice::ReadOnly));
    const QJsonObject info = QJsonDocument::fromJson(infoFile.readAll()).object();
    const QJsonObject records = info[QStringLiteral("cell_records")].toObject();
    const int constantBoolErr =
        records[QStringLiteral("BOOLERR")].toInt() + records[QStringLiteral("BOOLERR_B2")].toInt();

    // Known places where our reading is the better one.
    QMap<std::tuple<int, int, int>, QString> overrides;
    if (base == QStringLiteral("writeexcel_quirk_utf16be_string"))
        overrides[{1, 0, 1}] = QStringLiteral("仙台第一生命タワー"); // stored byte-swapped

    QMap<std::tuple<int, int, int>, QString> unmatched = got.cells;
    int notReported = 0;
    const QStringList lines = readLines(testData(base + QStringLiteral(".expected.tsv")));
    for (const QString& line : lines) {
        if (line.startsWith(u'#'))
            continue;
        const QStringList f = line.split(u'\t');
        QVERIFY2(f.size() >= 5, qPrintable(line));
        const std::tuple<int, int, int> key{f[0].toInt(), f[1].toInt(), f[2].toInt()};
        const QString type = f[3];
        const QString want = overrides.value(key, unescape(f[4]));
        const QString where = QStringLiteral("%1 %2 %3 ").arg(f[0], f[1], f[2]);
        if (!got.cells.contains(key)) {
            // Constant booleans and errors are not read; nothing else may be missing.
            QVERIFY2(type == u"b" || type == u"e", qPrintable(where + QStringLiteral("missing")));
            ++notReported;
            continue;
        }
        const QString have = unmatched.take(key);
        if (type == u"n" || type == u"d")
            QVERIFY2(sameNumber(have, want),
                     qPrintable(where + have + QStringLiteral(" != ") + want));
        else
            QVERIFY2(have == want, qPrintable(where + have + QStringLiteral(" != ") + want));
    }
    QVERIFY2(notReported <= constantBoolErr, qPrintable(QString::number(notReported)));
    for (auto it = unmatched.cbegin(); it != unmatched.cend(); ++it)
        QVERIFY2(it.value().isEmpty(), qPrintable(QStringLiteral("extra cell %1 %2 %3: ")
                                                      .arg(std::get<0>(it.key()))
                                                      .arg(std::get<1>(it.key()))
                                                      .arg(std::get<2>(it.key())) +
                                                  it.value()));

    // Sheet names: a bare BIFF2-4 worksheet has no sheet list (xlrd makes one up).
    QStringList names = readLines(testData(base + QStringLiteral(".sheets.txt")));
    if (info[QStringLiteral("boundsheets")].toArray().isEmpty())
        names.clear();
    QCOMPARE(got.names, names);

    QMap<std::pair<int, int>, int> widths;
    for (const QString& line : readLines(testData(base + QStringLiteral(".colwidths.tsv")))) {
        if (line.startsWith(u'#'))
            continue;
        const QStringList f = line.split(u'\t');
        widths[{f[0].toInt(), f[1].toInt()}] = f[2].toInt();
    }
    QCOMPARE(got.widths, widths);
}

void tst_xbiff::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole number") << 1234567.0 << "1234567";
    QTest::newRow("half") << 0.5 << "0.5";
    QTest::newRow("two decimals") << 12.34 << "12.34";
    QTest::newRow("negative") << -42.0 << "-42";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("1E20 stays scientific") << 1e20 << "1E20";
    QTest::newRow("5E-5 small") << 0.00005 << "5E-5";
    QTest::newRow("0.0001 still fixed") << 0.0001 << "0.0001";
    QTest::newRow("just below 1E15 fixed") << 999999999999999.0 << "999999999999999";
    QTest::newRow("1E15 scientific") << 1e15 << "1E15";
    QTest::newRow("rounds up into 1E15") << 999999999999999.9 << "1E15";
    QTest::newRow("15 significant digits") << 1.0 / 3 << "0.333333333333333";
    QTest::newRow("binary noise rounded away") << 0.1 + 0.2 << "0.3";
    QTest::newRow("long scientific") << 123456789012345678.0 << "1.23456789012346E17";
    QTest::newRow("tiny") << 1e-300 << "1E-300";
    QTest::newRow("largest double") << 1.7976931348623157e308 << "1.79769313486232E308";
    QTest::newRow("negative small") << -0.05 << "-0.05";
    QTest::newRow("negative scientific") << -2.5e-7 << "-2.5E-7";
    QTest::newRow("thirteen digits") << 1234567890123.0 << "1234567890123";
    QTest::newRow("not a number") << std::nan("") << "NAN";
}

void tst_xbiff::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(biffnumbers::formatGeneral(value), text);
}

void tst_xbiff::rk_data()
{
    QTest::addColumn<quint32>("rk");
    QTest::addColumn<QString>("text");
    QTest::newRow("integer 1234 / 100") << quint32((1234u << 2) | 3u) << "12.34";
    QTest::newRow("integer -5") << quint32((-5 << 2) | 2) << "-5";
    QTest::newRow("largest 30-bit integer") << quint32((536870911u << 2) | 2u) << "536870911";
    QTest::newRow("smallest 30-bit integer") << quint32(0x80000002u) << "-536870912";
    QTest::newRow("double 1.5") << quint32(0x3FF80000u) << "1.5";
    QTest::newRow("double 123 / 100") << quint32(0x405EC000u | 1u) << "1.23";
    QTest::newRow("negative double -2") << quint32(0xC0000000u) << "-2";
}

void tst_xbiff::rk()
{
    QFETCH(quint32, rk);
    QFETCH(QString, text);
    const Capture got = readBytes(worksheet8(BiffBuilder().rk(3, 4, rk)));
    QCOMPARE(got.cellLog(), QStringList{QStringLiteral("cell 1 3 4 ") + text});
}

void tst_xbiff::mulRkThenOneProgress()
{
    BiffBuilder cells;
    cells.record(0x00BD, Body()
                             .u16(7)
                             .u16(2)
                             .u16(15)
                             .u32((1u << 2) | 2u)
                             .u16(15)
                             .u32((2u << 2) | 2u)
                             .u16(15)
                             .u32((250u << 2) | 3u)
                             .u16(4));
    const Capture got = readBytes(worksheet8(cells));
    const qsizetype at = got.log.indexOf(QStringLiteral("cell 1 7 2 1"));
    QVERIFY(at > 0);
    QCOMPARE(got.log.mid(at, 4),
             (QStringList{QStringLiteral("cell 1 7 2 1"), QStringLiteral("cell 1 7 3 2"),
                          QStringLiteral("cell 1 7 4 2.5"), got.log[at + 3]}));
    QVERIFY(got.log[at + 3].startsWith(QStringLiteral("progress ")));
}

void tst_xbiff::cancelStopsAfterRecord()
{
    BiffBuilder cells;
    cells.number(0, 0, 1);
    cells.record(0x00BD,
                 Body().u16(1).u16(0).u16(15).u32(0x3FF00000u).u16(15).u32(0x40000000u).u16(1));
    cells.number(2, 0, 3);
    const QByteArray bytes = worksheet8(cells);
    // Cancel in the first MULRK cell: its second cell still comes, then the two progresses.
    const Capture got = readBytes(bytes, 1);
    QCOMPARE(got.cellLog(),
             (QStringList{QStringLiteral("cell 1 0 0 1"), QStringLiteral("cell 1 1 0 1"),
                          QStringLiteral("cell 1 1 1 2")}));
    QCOMPARE(got.log.mid(got.log.size() - 3),
             (QStringList{QStringLiteral("cell 1 1 1 2"), got.log[got.log.size() - 2],
                          QStringLiteral("progress 0")}));
    const int last = got.progress[got.progress.size() - 2];
    QVERIFY(last > 0 && last < 100);
}

void tst_xbiff::progressSequence()
{
    // Ten records of 20 bytes after a BOF of 20: progress after each is position * 100 / size.
    BiffBuilder b;
    b.bof8(0x0010);
    for (int i = 0; i < 10; ++i)
        b.record(0x0099, QByteArray(16, 'x'), 16);
    QCOMPARE(b.size(), 220);
    TXBiff reader;
    Capture got;
    got.attach(reader);
    reader.LoadFromBytes(b.bytes());
    QList<int> want;
    for (int i = 1; i <= 10; ++i)
        want << (20 + 20 * i) * 100 / 220;
    want << 0;
    QCOMPARE(got.progress, want);
    QCOMPARE(reader.progress(), 0);
}

void tst_xbiff::chartSheetBetweenWorksheets()
{
    BiffBuilder b;
    b.bof8(0x0005)
        .boundSheet8(QStringLiteral("住所録"))
        .boundSheet8(QStringLiteral("グラフ"), 2)
        .boundSheet8(QStringLiteral("二枚目"))
        .eof();
    b.bof8(0x0010).number(0, 0, 1).eof();
    b.bof8(0x0020).number(9, 9, 99).eof(); // the chart's own records
    b.bof8(0x0010).number(0, 0, 2).eof();
    const Capture got = readBytes(b.bytes());
    QCOMPARE(got.names, (QStringList{QStringLiteral("住所録"), QStringLiteral("二枚目")}));
    QCOMPARE(got.cells.value({1, 0, 0}), QStringLiteral("1"));
    QCOMPARE(got.cells.value({2, 0, 0}), QStringLiteral("2"));
    QVERIFY(!got.cells.contains({3, 0, 0}));
    // The chart's cached series values are not cells of the worksheet before it.
    QVERIFY(!got.cells.contains({1, 9, 9}));
}

void tst_xbiff::embeddedChartKeepsSheetCells()
{
    BiffBuilder b;
    b.bof8(0x0010).number(0, 0, 1);
    b.bof8(0x0020).number(0, 0, 99).record(0x007D,
                                           Body().u16(0).u16(0).u16(99).u16(0).u16(0).u16(0));
    b.eof();
    b.number(1, 0, 2).record(0x007D, Body().u16(0).u16(0).u16(512).u16(0).u16(0).u16(0)).eof();
    const Capture got = readBytes(b.bytes());
    QCOMPARE(got.log.filter(QRegularExpression(QStringLiteral("^(cell|width)"))),
             (QStringList{QStringLiteral("cell 1 0 0 1"), QStringLiteral("cell 1 1 0 2"),
                          QStringLiteral("width 1 0 512")}));
}

void tst_xbiff::recordsAfterEofAreRead()
{
    BiffBuilder b;
    b.bof8(0x0010).number(0, 0, 1).eof().number(5, 5, 6);
    const Capture got = readBytes(b.bytes());
    QCOMPARE(got.cellLog().size(), 2);
    QCOMPARE(got.cells.value({1, 5, 5}), QStringLiteral("6"));
}

void tst_xbiff::firstScanCountsBareWorksheet()
{
    // Bytes before the first BOF are passed over two at a time; a worksheet BOF is sheet 1.
    BiffBuilder b;
    b.raw("JUNK").bof(0x0009, 0x0002, 0x0010);
    b.record(0x0002, Body().u16(0).u16(0).u8(0).u8(0).u8(0).u16(1001));
    b.eof();
    const Capture got = readBytes(b.bytes());
    QCOMPARE(got.cellLog(), QStringList{QStringLiteral("cell 1 0 0 1001")});
}

void tst_xbiff::noBofOnlyFinalProgress()
{
    const Capture got = readBytes(QByteArray("no workbook here, only text.\n"));
    QCOMPARE(got.log, QStringList{QStringLiteral("progress 0")});
}

void tst_xbiff::formulaResults_data()
{
    QTest::addColumn<quint64>("result");
    QTest::addColumn<QString>("text");
    QTest::newRow("TRUE") << quint64(BiffBuilder::special(1, 1)) << "TRUE";
    QTest::newRow("FALSE") << quint64(BiffBuilder::special(1, 0)) << "FALSE";
    QTest::newRow("#NULL!") << quint64(BiffBuilder::special(2, 0x00)) << "#NULL!";
    QTest::newRow("#DIV/0!") << quint64(BiffBuilder::special(2, 0x07)) << "#DIV/0!";
    QTest::newRow("#VALUE!") << quint64(BiffBuilder::special(2, 0x0F)) << "#VALUE!";
    QTest::newRow("#REF!") << quint64(BiffBuilder::special(2, 0x17)) << "#REF!";
    QTest::newRow("#NAME?") << quint64(BiffBuilder::special(2, 0x1D)) << "#NAME?";
    QTest::newRow("#NUM!") << quint64(BiffBuilder::special(2, 0x24)) << "#NUM!";
    QTest::newRow("#N/A") << quint64(BiffBuilder::special(2, 0x2A)) << "#N/A";
    QTest::newRow("empty string") << quint64(BiffBuilder::special(3)) << "";
    QTest::newRow("number") << std::bit_cast<quint64>(3.5) << "3.5";
    // A plain double whose first byte happens to be 1 is a number, not a boolean.
    QTest::newRow("number with first byte 1") << quint64(0x4059000000000001ull) << "100";
}

void tst_xbiff::formulaResults()
{
    QFETCH(quint64, result);
    QFETCH(QString, text);
    const Capture got = readBytes(worksheet8(BiffBuilder().formula8(2, 3, result)));
    QCOMPARE(got.cellLog(), QStringList{QStringLiteral("cell 1 2 3 ") + text});
}

void tst_xbiff::formulaStringLayouts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    BiffBuilder biff2;
    biff2.bof(0x0009, 0x0002, 0x0010);
    biff2.record(0x0006,
                 Body().u16(1).u16(2).u8(0).u8(0).u8(0).u64(BiffBuilder::special(0)).u8(0).u8(0));
    biff2.record(0x0007, Body().u8(3).bytes("\x88\xB6\x41"));
    QTest::newRow("BIFF2: 8-bit count") << biff2.bytes() << QStringLiteral("宛A");

    BiffBuilder biff5;
    biff5.bof5(0x0010);
    biff5.record(0x0006, Body().u16(1).u16(2).u16(15).u64(BiffBuilder::special(0)).u16(0).u32(0));
    biff5.record(0x0207, Body().u16(4).bytes("\x90\xE6\x82\xA0"));
    QTest::newRow("BIFF5: 16-bit count") << biff5.bytes() << QStringLiteral("先あ");

    BiffBuilder biff8;
    biff8.bof8(0x0010).formula8(1, 2, BiffBuilder::special(0));
    biff8.record(0x0207, Body().u16(3).u8(0x0D).u16(1).u32(2).utf16(QStringLiteral("宛先様")));
    QTest::newRow("BIFF8: runs and phonetic counts") << biff8.bytes() << QStringLiteral("宛先様");
}

void tst_xbiff::formulaStringLayouts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const Capture got = readBytes(bytes);
    QCOMPARE(got.cellLog(),
             (QStringList{QStringLiteral("cell 1 1 2 "), QStringLiteral("cell 1 1 2 ") + text}));
}

void tst_xbiff::swappedStringResult_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("text");
    auto swapped = [](const QString& s) {
        QString out = s;
        for (QChar& c : out)
            c = QChar(char16_t((c.unicode() >> 8) | (c.unicode() << 8)));
        return out;
    };
    const QString tower = QStringLiteral("仙台第一生命タワー");
    QTest::newRow("byte-swapped Japanese") << swapped(tower) << tower;
    QTest::newRow("valid Japanese untouched") << tower << tower;
    QTest::newRow("valid ASCII untouched") << QStringLiteral("ABC-xyz") << "ABC-xyz";
    QTest::newRow("swapped ASCII is valid CJK: untouched")
        << swapped(QStringLiteral("AB")) << swapped(QStringLiteral("AB"));
}

void tst_xbiff::swappedStringResult()
{
    QFETCH(QString, stored);
    QFETCH(QString, text);
    BiffBuilder cells;
    cells.formula8(0, 1, BiffBuilder::special(0));
    cells.record(0x0207, Body().u16(int(stored.size())).u8(1).utf16(stored));
    const Capture got = readBytes(worksheet8(cells));
    QCOMPARE(got.cells.value({1, 0, 1}), text);
}

void tst_xbiff::sstContinueFlip()
{
    // String 0 starts 8-bit, crosses the SST's end and goes on 16-bit in the CONTINUE; string 1
    // follows in the CONTINUE; string 2 starts exactly at the second CONTINUE.
    BiffBuilder globals;
    globals.record(0x00FC, Body().u32(3).u32(3).u16(5).u8(0).bytes("AB"));
    globals.record(0x003C, Body().u8(1).utf16(QStringLiteral("宛先様")).u16(2).u8(0).bytes("xy"));
    globals.record(0x003C, Body().u16(1).u8(1).utf16(QStringLiteral("了")));
    BiffBuilder cells;
    cells.labelSst(0, 0, 0).labelSst(0, 1, 1).labelSst(0, 2, 2).labelSst(0, 3, 3);
    const Capture got = readBytes(workbook8(globals, cells));
    QCOMPARE(got.cellLog(),
             (QStringList{QStringLiteral("cell 1 0 0 AB宛先様"), QStringLiteral("cell 1 0 1 xy"),
                          QStringLiteral("cell 1 0 2 了")}));
}

void tst_xbiff::sstPieceTooLong_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray big(8225, 'a');
    BiffBuilder sst;
    sst.bof8(0x0005).number(0, 0, 1).record(0x00FC, big, int(big.size()));
    QTest::newRow("SST of 8225 bytes") << sst.bytes();
    BiffBuilder cont;
    cont.bof8(0x0005).number(0, 0, 1).record(0x00FC, Body().u32(1).u32(1).u16(1).u8(0).bytes("a"));
    cont.record(0x003C, big, int(big.size()));
    QTest::newRow("CONTINUE of 8225 bytes") << cont.bytes();
}

void tst_xbiff::sstPieceTooLong()
{
    QFETCH(QByteArray, bytes);
    TXBiff reader;
    Capture got;
    got.attach(reader);
    try {
        reader.LoadFromBytes(bytes);
        QFAIL("no error");
    } catch (const XBiffError& e) {
        QCOMPARE(e.message(), QStringLiteral("未知のフォーマット."));
    }
    // What came before stands; no closing progress after the NUMBER's own.
    QCOMPARE(got.log.first(), QStringLiteral("cell 0 0 0 1"));
    QCOMPARE(got.progress.size(), 1);
}

void tst_xbiff::sstShortStringKeepsEarlierOnes()
{
    BiffBuilder globals;
    globals.record(0x00FC, Body().u32(2).u32(2).u16(2).u8(0).bytes("ok").u16(50).u8(0).bytes("x"));
    BiffBuilder cells;
    cells.labelSst(0, 0, 0).labelSst(0, 1, 1).number(1, 0, 7);
    const Capture got = readBytes(workbook8(globals, cells));
    QCOMPARE(got.cellLog(),
             (QStringList{QStringLiteral("cell 1 0 0 ok"), QStringLiteral("cell 1 1 0 7")}));
    QCOMPARE(got.progress.last(), 0);
}

void tst_xbiff::eightBitTexts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("sheetName");
    QTest::addColumn<QString>("text");

    auto biff5 = [](std::optional<int> cp, const QByteArray& name, const QByteArray& text) {
        BiffBuilder b;
        b.bof5(0x0005);
        if (cp)
            b.codePage(*cp);
        b.record(0x0085, Body().u32(0).u8(0).u8(0).u8(int(name.size())).bytes(name));
        b.eof().bof5(0x0010);
        b.record(0x0204, Body().u16(0).u16(0).u16(15).u16(int(text.size())).bytes(text));
        return b.bytes();
    };
    QTest::newRow("no CODEPAGE: 932") << biff5({}, "\x88\xB6\x90\xE6", "\x93\x8C\x8B\x9E") << "宛先"
                                      << "東京";
    QTest::newRow("CODEPAGE 932") << biff5(932, "Sheet1", "\x8E\x52\x93\x63") << "Sheet1"
                                  << "山田";
    QTest::newRow("CODEPAGE 1252") << biff5(1252, "Caf\xE9", "\xC0 la \x80") << "Café"
                                   << "À la €";
    QTest::newRow("CODEPAGE 1251") << biff5(1251, "\xCB\xE8\xF1\xF2", "\xC0\xE1") << "Лист"
                                   << "Аб";
    QTest::newRow("CODEPAGE 0x8001 is 1252") << biff5(0x8001, "A", "\xE9") << "A"
                                             << "é";
    const QByteArray longText = QByteArray("\x82\xA0").repeated(1500) + "END";
    QTest::newRow("3003 bytes kept whole")
        << biff5({}, "S", longText) << "S" << QString(QStringLiteral("あ").repeated(1500) + "END");

    BiffBuilder b2;
    b2.bof(0x0009, 0x0002, 0x0010).codePage(1252);
    b2.record(0x0004, Body().u16(0).u16(0).u8(0).u8(0).u8(0).u8(4).bytes("na\xEFve"));
    QTest::newRow("BIFF2 LABEL") << b2.bytes() << QString() << "naïve";

    BiffBuilder rs;
    rs.bof5(0x0010);
    rs.record(0x00D6, Body().u16(0).u16(0).u16(15).u16(4).bytes("\x8E\x52\x93\x63").u8(1).u8(0));
    QTest::newRow("RSTRING with runs after it") << rs.bytes() << QString() << "山田";
}

void tst_xbiff::eightBitTexts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, sheetName);
    QFETCH(QString, text);
    const Capture got = readBytes(bytes);
    QCOMPARE(got.names, sheetName.isEmpty() ? QStringList() : QStringList{sheetName});
    QCOMPARE(got.cellLog(), QStringList{QStringLiteral("cell 1 0 0 ") + text});
}

void tst_xbiff::biff8LabelIsUnicode()
{
    BiffBuilder cells;
    cells.record(0x0204, Body().u16(0).u16(0).u16(15).u16(2).u8(1).utf16(QStringLiteral("宛先")));
    cells.record(0x0204, Body().u16(0).u16(1).u16(15).u16(4).u8(0).bytes("Caf\xE9"));
    const Capture got = readBytes(worksheet8(cells));
    QCOMPARE(got.cellLog(),
             (QStringList{QStringLiteral("cell 1 0 0 宛先"), QStringLiteral("cell 1 0 1 Café")}));
}

void tst_xbiff::colInfoRanges_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QList<int>>("columns");
    QTest::newRow("one column") << 3 << 3 << QList<int>{3};
    QTest::newRow("three columns") << 0 << 2 << QList<int>{0, 1, 2};
    QTest::newRow("last before first") << 5 << 4 << QList<int>{};
    QTest::newRow("negative last") << 0 << 0xFFFF << QList<int>{};
    QList<int> tail;
    for (int c = 250; c <= 255; ++c)
        tail << c;
    QTest::newRow("clipped at column 255") << 250 << 0x7FFF << tail;
}

void tst_xbiff::colInfoRanges()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QList<int>, columns);
    BiffBuilder cells;
    cells.record(0x007D, Body().u16(first).u16(last).u16(2048).u16(15).u16(0).u16(0));
    const Capture got = readBytes(worksheet8(cells));
    QStringList want;
    for (int c : columns)
        want << QStringLiteral("width 1 %1 2048").arg(c);
    QCOMPARE(got.log.filter(QStringLiteral("width ")), want);
}

// A record whose fields are cut short reports nothing and does not disturb the next one.
void tst_xbiff::truncatedRecords_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("NUMBER without its value") << 0x0203 << Body().u16(0).u16(0).u16(0).data();
    QTest::newRow("RK without its value") << 0x027E << Body().u16(0).u16(0).u16(0).data();
    QTest::newRow("LABELSST without index") << 0x00FD << Body().u16(0).u16(0).data();
    QTest::newRow("FORMULA with half a result")
        << 0x0006 << Body().u16(0).u16(0).u16(0).u32(1).data();
    QTest::newRow("MULRK with half a pair") << 0x00BD << Body().u16(0).u16(0).u16(15).u16(1).data();
    QTest::newRow("BIFF8 LABEL without options")
        << 0x0204 << Body().u16(0).u16(0).u16(0).u8(1).data();
    QTest::newRow("COLINFO without width") << 0x007D << Body().u16(0).u16(1).data();
    QTest::newRow("BOUNDSHEET without type") << 0x0085 << Body().u32(0).data();
    QTest::newRow("STRING without count") << 0x0207 << Body().u8(1).data();
    QTest::newRow("empty SST") << 0x00FC << QByteArray();
}

void tst_xbiff::truncatedRecords()
{
    QFETCH(int, number);
    QFETCH(QByteArray, body);
    BiffBuilder b;
    b.bof8(0x0010).record(number, body, int(body.size())).number(4, 4, 44);
    const Capture got = readBytes(b.bytes());
    QCOMPARE(got.log.filter(QRegularExpression(QStringLiteral("^(cell|width|name)"))),
             QStringList{QStringLiteral("cell 1 4 4 44")});
}

void tst_xbiff::everyTruncationEndsCleanly()
{
    // The whole small workbook cut after every byte: no error, no crash, progress ends with 0,
    // and the cells reported are those of the whole records that are there.
    BiffBuilder globals;
    globals.codePage(1200).record(0x00FC, Body().u32(1).u32(1).u16(3).u8(0).bytes("abc"));
    globals.record(0x003C, Body().u8(1).utf16(QStringLiteral("と")));
    BiffBuilder cells;
    cells.labelSst(0, 0, 0).rk(0, 1, 6).formula8(0, 2, BiffBuilder::special(1, 1));
    cells.record(0x00BD, Body().u16(1).u16(0).u16(0).u32(2).u16(0).u32(6).u16(1));
    const QByteArray whole = workbook8(globals, cells);
    const Capture full = readBytes(whole);
    for (qsizetype n = 0; n <= whole.size(); ++n) {
        const Capture got = readBytes(whole.left(n));
        QVERIFY(!got.progress.isEmpty());
        QCOMPARE(got.progress.last(), 0);
        for (auto it = got.cells.cbegin(); it != got.cells.cend(); ++it)
            QCOMPARE(it.value(), full.cells.value(it.key()));
    }
}

void tst_xbiff::unopenableFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing file") << QStringLiteral("/nonexistent/folder/list.xls");
    QTest::newRow("a folder") << QDir::tempPath();
}

void tst_xbiff::unopenableFile()
{
    QFETCH(QString, path);
    TXBiff reader;
    Capture got;
    got.attach(reader);
    try {
        reader.LoadFromFile(path);
        QFAIL("no error");
    } catch (const XBiffError& e) {
        QCOMPARE(e.message(), QStringLiteral("ﾌｧｲﾙを開くことに失敗しました"));
        QCOMPARE(QString::fromStdString(e.what()), e.message());
    }
    QVERIFY(got.log.isEmpty());
    QCOMPARE(reader.fileName(), path);
}

void tst_xbiff::workbookStreamAnyCase_data()
{
    QTest::addColumn<QString>("stream");
    QTest::newRow("Workbook") << "Workbook";
    QTest::newRow("Book") << "Book";
    QTest::newRow("book") << "book";
    QTest::newRow("BOOK") << "BOOK";
    QTest::newRow("WORKBOOK") << "WORKBOOK";
}

void tst_xbiff::workbookStreamAnyCase()
{
    QFETCH(QString, stream);
    BiffBuilder b;
    b.bof5(0x0005).codePage(932);
    b.record(0x0085, Body().u32(0).u8(0).u8(0).u8(4).bytes("\x88\xB6\x90\xE6"));
    b.eof().bof5(0x0010).number(0, 0, 12.5).eof();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.xls"));
    QVERIFY(writeCompound(path, stream.toLatin1().constData(), b.bytes()));
    QVERIFY(CompoundDocument(path).isOpen());

    TXBiff reader;
    Capture got;
    got.attach(reader);
    reader.LoadFromFile(path);
    QCOMPARE(got.names, QStringList{QStringLiteral("宛先")});
    QCOMPARE(got.cellLog(), QStringList{QStringLiteral("cell 1 0 0 12.5")});
}

void tst_xbiff::compoundWithoutWorkbookReadsRawBytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.xls"));
    QVERIFY(writeCompound(path, "Contents", QByteArray(100, 'z')));
    QVERIFY(!CompoundDocument(path).workbookStream());
    TXBiff reader;
    Capture got;
    got.attach(reader);
    reader.LoadFromFile(path);
    QCOMPARE(got.progress.last(), 0);
}

QTEST_GUILESS_MAIN(tst_xbiff)
#include "tst_xbiff.moc"
