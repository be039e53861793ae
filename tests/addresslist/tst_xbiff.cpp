#include "addresslist/BiffBuilder.h"
#include "addresslist/ExpectedWorkbook.h"

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
#include <bit>
#include <cmath>
#include <cstdio>
#include <optional>
#include <random>

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
    // The cell, width and name events, without the progress.
    QStringList found() const
    {
        return log.filter(QRegularExpression(QStringLiteral("^(cell|width|name) ")));
    }
};

Capture readBytes(const QByteArray& bytes)
{
    TXBiff reader;
    Capture capture;
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
    void numberTextMatchesPrintf();
    void records_data();
    void records();
    void eventOrder_data();
    void eventOrder();
    void sstPieceTooLong_data();
    void sstPieceTooLong();
    void everyTruncationEndsCleanly();
    void unopenableFile_data();
    void unopenableFile();
    void compoundDocument_data();
    void compoundDocument();
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
    QTest::newRow("three decimals negative") << -100.125 << "-100.125";
    QTest::newRow("four decimals below one") << 0.0125 << "0.0125";
    QTest::newRow("four decimals negative below one") << -0.0007 << "-0.0007";
    QTest::newRow("five decimals") << 1.23456 << "1.23456";
    QTest::newRow("decimals just below 1E11") << 99999999999.5 << "99999999999.5";
}

void tst_xbiff::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(biffnumbers::formatGeneral(value), text);
}

// Hand-built streams and the cell, width and name events they give.
// The general format against C's own "%.15G" on many values of every magnitude.
void tst_xbiff::numberTextMatchesPrintf()
{
    std::mt19937_64 random(20261207);
    for (int i = 0; i < 20000; ++i) {
        const int kind = i % 4;
        double v = 0;
        if (kind == 0)
            v = double(std::int64_t(random() % 2000000) - 1000000) / 100.0; // money-like
        else if (kind == 1)
            v = std::ldexp(double(random() % (1ull << 53)), int(random() % 200) - 120);
        else if (kind == 2)
            v = double(std::int64_t(random() % 100000000000000000ull)); // beyond 1e15 too
        else
            v = std::bit_cast<double>(random());
        if (!std::isfinite(v) || v == 0)
            continue;
        if (random() % 2)
            v = -v;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15G", v);
        QString want = QString::fromLatin1(buf);
        // C writes "1.5E+20" and "5E-05"; the general format writes "1.5E20" and "5E-5".
        const qsizetype e = want.indexOf(u'E');
        if (e >= 0) {
            QString exponent = want.mid(e + 1);
            const bool negative = exponent.startsWith(u'-');
            exponent.remove(0, 1);
            while (exponent.size() > 1 && exponent.startsWith(u'0'))
                exponent.remove(0, 1);
            want = want.left(e + 1) + (negative ? "-" : "") + exponent;
        }
        QCOMPARE(biffnumbers::formatGeneral(v), want);
    }
}

void tst_xbiff::records_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("events");
    auto row = [](const char* name, const QByteArray& bytes, const QStringList& events) {
        QTest::newRow(name) << bytes << events;
    };
    auto one = [](const BiffBuilder& cells) {
        return BiffBuilder().bof8(0x0010).raw(cells.bytes()).eof().bytes();
    };
    const QString A1 = QStringLiteral("cell 1 0 0 ");

    // RK: integer or upper half of a double, either one divided by 100 when bit 0 is set.
    row("RK 1234 / 100", one(BiffBuilder().rk(0, 0, (1234u << 2) | 3u)), {A1 + "12.34"});
    row("RK -5", one(BiffBuilder().rk(0, 0, quint32(-5 << 2) | 2u)), {A1 + "-5"});
    row("RK smallest integer", one(BiffBuilder().rk(0, 0, 0x80000002u)), {A1 + "-536870912"});
    row("RK double 1.5", one(BiffBuilder().rk(0, 0, 0x3FF80000u)), {A1 + "1.5"});
    row("RK double 123 / 100", one(BiffBuilder().rk(0, 0, 0x405EC000u | 1u)), {A1 + "1.23"});

    // The 16-bit INTEGER of BIFF2 is unsigned, as its writers use it.
    BiffBuilder integer;
    integer.bof(0x0009, 0x0002, 0x0010);
    integer.record(0x0002, Body().u16(0).u16(0).u8(0).u8(0).u8(0).u16(40001));
    row("BIFF2 INTEGER above 32767", integer.bytes(), {A1 + "40001"});

    // Formula results.
    const std::pair<const char*, QString> results[] = {
        {"TRUE", "TRUE"},       {"FALSE", "FALSE"},     {"#NULL!", "#NULL!"},
        {"#DIV/0!", "#DIV/0!"}, {"#VALUE!", "#VALUE!"}, {"#REF!", "#REF!"},
        {"#NAME?", "#NAME?"},   {"#NUM!", "#NUM!"},     {"#N/A", "#N/A"}};
    const int values[] = {1, 0, 0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A};
    for (int i = 0; i < 9; ++i)
        row(results[i].first,
            one(BiffBuilder().formula8(0, 0, BiffBuilder::nonNumber(i < 2 ? 1 : 2, values[i]))),
            {A1 + results[i].second});
    row("formula empty string", one(BiffBuilder().formula8(0, 0, BiffBuilder::nonNumber(3))), {A1});
    row("formula number", one(BiffBuilder().formula8(0, 0, std::bit_cast<quint64>(3.5))),
        {A1 + "3.5"});
    // A double whose first byte is 1 is a number, not a boolean.
    row("formula number with first byte 1",
        one(BiffBuilder().formula8(0, 0, 0x4059000000000001ull)), {A1 + "100"});

    // STRING after a string formula, in each layout.
    BiffBuilder s2;
    s2.bof(0x0009, 0x0002, 0x0010);
    s2.record(0x0006, Body().u16(0).u16(0).u8(0).u8(0).u8(0).u64(BiffBuilder::nonNumber(0)).u16(0));
    s2.record(0x0007, Body().u8(3).bytes("\x88\xB6\x41"));
    row("BIFF2 STRING: 8-bit count", s2.bytes(), {A1, A1 + "宛A"});
    BiffBuilder s5;
    s5.bof5(0x0010);
    s5.record(0x0006, Body().u16(0).u16(0).u16(15).u64(BiffBuilder::nonNumber(0)).u16(0).u32(0));
    s5.record(0x0207, Body().u16(4).bytes("\x90\xE6\x82\xA0"));
    row("BIFF5 STRING: 16-bit count", s5.bytes(), {A1, A1 + "先あ"});
    BiffBuilder s8;
    s8.formula8(0, 0, BiffBuilder::nonNumber(0));
    s8.record(0x0207, Body().u16(3).u8(0x0D).u16(1).u32(2).utf16(QStringLiteral("宛先様")));
    row("BIFF8 STRING with run and phonetic counts", one(s8), {A1, A1 + "宛先様"});

    // One writer stores the cached string byte-swapped; only a text that is not valid UTF-16
    // as stored, and is when swapped, is turned round.
    const QString tower = QStringLiteral("仙台第一生命タワー");
    auto stringResult = [&](const QString& stored) {
        BiffBuilder b;
        b.formula8(0, 0, BiffBuilder::nonNumber(0));
        b.record(0x0207, Body().u16(int(stored.size())).u8(1).utf16(stored));
        return one(b);
    };
    auto swapped = [](QString s) {
        for (QChar& ch : s)
            ch = QChar(char16_t((ch.unicode() >> 8) | (ch.unicode() << 8)));
        return s;
    };
    row("byte-swapped string result", stringResult(swapped(tower)), {A1, A1 + tower});
    row("valid string result untouched", stringResult(tower), {A1, A1 + tower});
    row("swapped ASCII is valid CJK: untouched", stringResult(swapped("AB")),
        {A1, A1 + swapped("AB")});

    // 8-bit texts and BIFF5 sheet names (no option byte) in the workbook's code page.
    auto biff5 = [](int cp, const QByteArray& name, const QByteArray& text) {
        BiffBuilder b;
        b.bof5(0x0005);
        if (cp)
            b.codePage(cp);
        b.record(0x0085, Body().u32(0).u8(0).u8(0).u8(int(name.size())).bytes(name));
        b.eof().bof5(0x0010);
        b.record(0x0204, Body().u16(0).u16(0).u16(15).u16(int(text.size())).bytes(text));
        return b.bytes();
    };
    row("no CODEPAGE: 932", biff5(0, "\x88\xB6\x90\xE6", "\x93\x8C\x8B\x9E"),
        {"name 宛先", A1 + "東京"});
    row("CODEPAGE 932", biff5(932, "Sheet1", "\x8E\x52\x93\x63"), {"name Sheet1", A1 + "山田"});
    row("CODEPAGE 1252", biff5(1252, "Caf\xE9", "\xC0 la \x80"), {"name Café", A1 + "À la €"});
    row("CODEPAGE 1251", biff5(1251, "\xCB\xE8\xF1\xF2", "\xC0\xE1"), {"name Лист", A1 + "Аб"});
    row("CODEPAGE 0x8001 is 1252", biff5(0x8001, "A", "\xE9"), {"name A", A1 + "é"});
    row("3003 bytes kept whole", biff5(0, "S", QByteArray("\x82\xA0").repeated(1500) + "END"),
        {"name S", A1 + QStringLiteral("あ").repeated(1500) + "END"});
    BiffBuilder label2;
    label2.bof(0x0009, 0x0002, 0x0010).codePage(1252);
    label2.record(0x0004, Body().u16(0).u16(0).u8(0).u8(0).u8(0).u8(5).bytes("na\xEFve"));
    row("BIFF2 LABEL", label2.bytes(), {A1 + "naïve"});
    BiffBuilder rstring;
    rstring.bof5(0x0010);
    rstring.record(0x00D6, Body().u16(0).u16(0).u16(15).u16(4).bytes("\x8E\x52\x93\x63").u16(1));
    row("RSTRING with runs after it", rstring.bytes(), {A1 + "山田"});
    BiffBuilder label8;
    label8.record(0x0204, Body().u16(0).u16(0).u16(15).u16(2).u8(1).utf16(QStringLiteral("宛先")));
    label8.record(0x0204, Body().u16(0).u16(1).u16(15).u16(4).u8(0).bytes("Caf\xE9"));
    row("BIFF8 LABEL is a Unicode string", one(label8), {A1 + "宛先", "cell 1 0 1 Café"});

    // Shared strings: string 0 starts 8-bit and goes on 16-bit after the SST's end, string 1
    // follows in the same CONTINUE, string 2 starts exactly at the next one.
    BiffBuilder sst;
    sst.record(0x00FC, Body().u32(3).u32(3).u16(5).u8(0).bytes("AB"));
    sst.record(0x003C, Body().u8(1).utf16(QStringLiteral("宛先様")).u16(2).u8(0).bytes("xy"));
    sst.record(0x003C, Body().u16(1).u8(1).utf16(QStringLiteral("了")));
    BiffBuilder sstCells;
    sstCells.labelSst(0, 0, 0).labelSst(0, 1, 1).labelSst(0, 2, 2).labelSst(0, 3, 3);
    row("SST across CONTINUE, 8 then 16 bits", workbook8(sst, sstCells),
        {"name S", A1 + "AB宛先様", "cell 1 0 1 xy", "cell 1 0 2 了"});
    BiffBuilder shortSst;
    shortSst.record(0x00FC, Body().u32(2).u32(2).u16(2).u8(0).bytes("ok").u16(50).u8(0).bytes("x"));
    row("SST short string: earlier ones kept",
        workbook8(shortSst, BiffBuilder().labelSst(0, 0, 0).labelSst(0, 1, 1).number(1, 0, 7)),
        {"name S", A1 + "ok", "cell 1 1 0 7"});

    // A table whose strings are looked up out of order: long ones (characters, formatting
    // runs or phonetic data of 255 bytes and more) between short ones, and one that goes on
    // in a CONTINUE, so a lookup measures past them.
    QStringList texts;
    Body head, tail;
    head.u32(40).u32(40);
    for (int k = 0; k < 40; ++k) {
        Body& body = k <= 30 ? head : tail;
        QString text = QStringLiteral("s%1").arg(k);
        if (k % 7 == 3) {
            text = QString(300, QChar(u'a' + k % 26)) + text;
            body.u16(int(text.size())).u8(0).latin1(text);
        } else if (k % 11 == 5) {
            text = QString(150, QChar(u'宛')) + text;
            body.u16(int(text.size())).u8(1).utf16(text);
        } else if (k == 20) {
            body.u16(int(text.size())).u8(0x0C).u16(70).u32(20).latin1(text);
            body.bytes(QByteArray(4 * 70 + 20, '\x7F'));
        } else if (k == 30) {
            text = QString(300, u'z');
            head.u16(300).u8(0).latin1(text.left(100));
            tail.u8(0).latin1(text.mid(100));
        } else {
            body.u16(int(text.size())).u8(0).latin1(text);
        }
        texts << text;
    }
    BiffBuilder longSst;
    longSst.record(0x00FC, head).record(0x003C, tail);
    BiffBuilder reversed;
    QStringList reversedEvents{"name S"};
    for (int k = 0; k < 40; ++k) {
        reversed.labelSst(k, 0, std::uint32_t(39 - k));
        reversedEvents << QStringLiteral("cell 1 %1 0 %2").arg(k).arg(texts[39 - k]);
    }
    row("SST long strings looked up backwards", workbook8(longSst, reversed), reversedEvents);

    // Column widths, once per column.
    auto colInfo = [&](int first, int last) {
        return one(BiffBuilder().record(0x007D, Body().u16(first).u16(last).u16(2048).u32(0)));
    };
    row("COLINFO three columns", colInfo(0, 2),
        {"width 1 0 2048", "width 1 1 2048", "width 1 2 2048"});
    row("COLINFO last before first", colInfo(5, 4), {});
    row("COLINFO negative last", colInfo(0, 0xFFFF), {});
    row("COLINFO clipped at column 255", colInfo(253, 0x7FFF),
        {"width 1 253 2048", "width 1 254 2048", "width 1 255 2048"});

    // Sheets: a chart sheet between two worksheets counts no sheet and gives no name; its
    // cached series values are not cells; an embedded chart leaves its worksheet's cells alone.
    BiffBuilder chart;
    chart.bof8(0x0005).boundSheet8("一枚目").boundSheet8("グラフ", 2).boundSheet8("二枚目").eof();
    chart.bof8(0x0010).number(0, 0, 1).eof();
    chart.bof8(0x0020).number(9, 9, 99).eof();
    chart.bof8(0x0010).number(0, 0, 2).eof();
    row("chart sheet between worksheets", chart.bytes(),
        {"name 一枚目", "name 二枚目", A1 + "1", "cell 2 0 0 2"});
    BiffBuilder embedded;
    embedded.bof8(0x0010).number(0, 0, 1).bof8(0x0020).number(0, 0, 99).eof().number(1, 0, 2);
    row("embedded chart", embedded.bytes(), {A1 + "1", "cell 1 1 0 2"});
    BiffBuilder afterEof;
    afterEof.bof8(0x0010).number(0, 0, 1).eof().number(5, 5, 6);
    row("records after EOF are read", afterEof.bytes(), {A1 + "1", "cell 1 5 5 6"});
    BiffBuilder bare;
    bare.raw("JUNK").bof(0x0009, 0x0002, 0x0010).number(0, 0, 1001);
    row("bare worksheet after junk is sheet 1", bare.bytes(), {A1 + "1001"});

    // A record cut short reports nothing and leaves the next record alone.
    const std::pair<const char*, BiffBuilder> cut[] = {
        {"NUMBER without value", BiffBuilder().record(0x0203, Body().u16(0).u16(0).u16(0))},
        {"RK without value", BiffBuilder().record(0x027E, Body().u16(0).u16(0).u16(0))},
        {"LABELSST without index", BiffBuilder().record(0x00FD, Body().u16(0).u16(0))},
        {"FORMULA with half a result",
         BiffBuilder().record(0x0006, Body().u16(0).u16(0).u16(0).u32(1))},
        {"BIFF8 LABEL without options", BiffBuilder().record(0x0204, Body().u32(0).u16(0).u8(1))},
        {"COLINFO without width", BiffBuilder().record(0x007D, Body().u16(0).u16(1))},
        {"BOUNDSHEET without type", BiffBuilder().record(0x0085, Body().u32(0))},
        {"STRING without count", BiffBuilder().record(0x0207, Body().u8(1))},
        {"empty SST", BiffBuilder().record(0x00FC, Body())},
    };
    for (const auto& [name, record] : cut) {
        BiffBuilder b;
        b.bof8(0x0010).raw(record.bytes()).number(4, 4, 44);
        row(name, b.bytes(), {"cell 1 4 4 44"});
    }
}

void tst_xbiff::records()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, events);
    QCOMPARE(readBytes(bytes).found(), events);
}

// Whole event sequences, progress included.
void tst_xbiff::eventOrder_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("cancelAtCell");
    QTest::addColumn<QStringList>("log");

    // Eleven records of 20 bytes: progress after each is its end * 100 / 220.
    BiffBuilder even;
    even.bof8(0x0010);
    QStringList evenLog;
    for (int i = 1; i <= 10; ++i) {
        even.record(0x0099, QByteArray(16, 'x'), 16);
        evenLog << QStringLiteral("progress %1").arg((20 + 20 * i) * 100 / 220);
    }
    QTest::newRow("progress after every record") << even.bytes() << -1 << (evenLog << "progress 0");

    // BOF 20, filler 20, MULRK 28, NUMBER 18, EOF 4: 90 bytes.
    BiffBuilder mulrk;
    mulrk.bof8(0x0010).record(0x0099, QByteArray(16, 'x'), 16);
    mulrk.record(0x00BD, Body().u16(1).u16(0).u16(0).u32(6).u16(0).u32(10).u16(0).u32(14).u16(2));
    mulrk.number(2, 0, 3).eof();
    QTest::newRow("MULRK: three cells, then one progress")
        << mulrk.bytes() << -1 << QStringList{"progress 44",  "cell 1 1 0 1", "cell 1 1 1 2",
                                              "cell 1 1 2 3", "progress 75",  "cell 1 2 0 3",
                                              "progress 95",  "progress 100", "progress 0"};
    QTest::newRow("Cancel in a MULRK: its cells, its progress, then 0")
        << mulrk.bytes() << 1 << QStringList{"progress 44",  "cell 1 1 0 1", "cell 1 1 1 2",
                                             "cell 1 1 2 3", "progress 75",  "progress 0"};
    QTest::newRow("no BOF: only the closing progress")
        << QByteArray("no workbook here, only text.\n") << -1 << QStringList{"progress 0"};
}

void tst_xbiff::eventOrder()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, cancelAtCell);
    QFETCH(QStringList, log);
    TXBiff reader;
    Capture got;
    if (cancelAtCell >= 0)
        got.cancelAtCell = cancelAtCell;
    got.attach(reader);
    reader.LoadFromBytes(bytes);
    QCOMPARE(got.log, log);
    QCOMPARE(reader.progress(), 0);
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
    QCOMPARE(got.log, (QStringList{"cell 0 0 0 1", "progress 0"}));
}

void tst_xbiff::everyTruncationEndsCleanly()
{
    // A small workbook cut after every byte: no error, progress ends with 0, and every cell
    // reported is one of the whole workbook.
    BiffBuilder globals;
    globals.codePage(1200).record(0x00FC, Body().u32(1).u32(1).u16(3).u8(0).bytes("abc"));
    globals.record(0x003C, Body().u8(1).utf16(QStringLiteral("と")));
    BiffBuilder cells;
    cells.labelSst(0, 0, 0).rk(0, 1, 6).formula8(0, 2, BiffBuilder::nonNumber(1, 1));
    cells.record(0x00BD, Body().u16(1).u16(0).u16(0).u32(2).u16(0).u32(6).u16(1));
    const QByteArray whole = workbook8(globals, cells);
    const Capture full = readBytes(whole);
    QCOMPARE(full.cells.size(), 5);
    for (qsizetype n = 0; n <= whole.size(); ++n) {
        TXBiff reader;
        Capture got;
        got.attach(reader);
        reader.LoadFromBytes(whole.left(n));
        QCOMPARE(got.progress.last(), 0);
        for (auto it = got.cells.cbegin(); it != got.cells.cend(); ++it)
            QCOMPARE(it.value(), full.cells.value(it.key()));
        // Every cut inside the workbook is told; two bytes hold no BOF yet.
        QVERIFY2(reader.damaged() == (n >= 2 && n < whole.size()), qPrintable(QString::number(n)));
    }
    // Zero bytes after the last EOF are padding, not damage.
    for (const QByteArray& padding : {QByteArray(1, 0), QByteArray(3, 0), QByteArray(64, 0)}) {
        TXBiff reader;
        reader.LoadFromBytes(whole + padding);
        QVERIFY(!reader.damaged());
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

void tst_xbiff::compoundDocument_data()
{
    QTest::addColumn<QString>("stream");
    QTest::addColumn<QStringList>("events");
    const QStringList found{"name 宛先", "cell 1 0 0 12.5"};
    QTest::newRow("Workbook") << "Workbook" << found;
    QTest::newRow("WORKBOOK") << "WORKBOOK" << found;
    QTest::newRow("Book") << "Book" << found;
    QTest::newRow("book") << "book" << found;
    QTest::newRow("BOOK") << "BOOK" << found;
    // Without a workbook stream the file's own bytes are read: no BOF there.
    QTest::newRow("other stream only") << "Contents" << QStringList();
}

void tst_xbiff::compoundDocument()
{
    QFETCH(QString, stream);
    QFETCH(QStringList, events);
    BiffBuilder b;
    b.bof5(0x0005).codePage(932);
    b.record(0x0085, Body().u32(0).u8(0).u8(0).u8(4).bytes("\x88\xB6\x90\xE6"));
    b.eof().bof5(0x0010).number(0, 0, 12.5).eof();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.xls"));
    const QByteArray content = events.isEmpty() ? QByteArray(100, 'z') : b.bytes();
    QVERIFY(writeCompound(path, stream.toLatin1().constData(), content));
    QVERIFY(CompoundDocument(path).isOpen());

    TXBiff reader;
    Capture got;
    got.attach(reader);
    reader.LoadFromFile(path);
    QCOMPARE(got.found(), events);
    QCOMPARE(got.progress.last(), 0);
}

QTEST_GUILESS_MAIN(tst_xbiff)
#include "tst_xbiff.moc"
