#include "addresslist/ExpectedWorkbook.h"
#include "addresslist/WorkbookZip.h"

#include "addresslist/TXBiff.h"
#include "addresslist/WorkbookFile.h"
#include "addresslist/XBiffError.h"
#include "addresslist/ZipArchive.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

// The .xlsx and .ods readers: real files written by LibreOffice and Gnumeric against the
// .xls they were saved from, and hand-made containers for what a hostile or broken file does.

namespace {

struct Read
{
    QStringList names;
    QMap<std::tuple<int, int, int>, QString> cells;
    QMap<std::pair<int, int>, int> widths;
    QList<int> progress;
    bool damaged = false;
};

Read load(const QString& path)
{
    TXBiff events;
    Read read;
    events.OnReadCell = [&read](int s, int r, int c, int, const QString& text, bool&) {
        read.cells[{s, r, c}] = text;
    };
    events.OnReadColW = [&read](int s, int c, int w) { read.widths[{s, c}] = w; };
    events.OnReadSheetName = [&read](const QString& name) { read.names << name; };
    events.OnProgress = [&read](int p) { read.progress << p; };
    read.damaged = WorkbookFile::Load(events, path);
    return read;
}

QString corpus(const QString& path)
{
    return QStringLiteral(TAYORI_TESTDATA "/") + path;
}

using WorkbookZip::makeZip;
using WorkbookZip::xlsxParts;

QList<std::pair<QString, QByteArray>> odsParts(const QByteArray& table)
{
    return {{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
            {QStringLiteral("content.xml"),
             "<office:document-content "
             "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
             "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
             "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
             "<office:spreadsheet><table:table table:name=\"S\">" +
                 table +
                 "</table:table></office:spreadsheet></office:body>"
                 "</office:document-content>"}};
}

bool isBooleanOrError(const QString& text)
{
    return text == u"TRUE" || text == u"FALSE" || text == u"1" || text == u"0" ||
           text.startsWith(u'#');
}

// The same value: equal texts, equal numbers, or a boolean a converter wrote as 1 or 0.
bool sameCell(const QString& have, const QString& want)
{
    if (have == want || sameNumber(have, want))
        return true;
    // An infinite result, an error to the converters.
    if (have.startsWith(u'#') && (want == u"INF" || want == u"-INF" || want == u"NAN"))
        return true;
    return (have == u"1" && want == u"TRUE") || (have == u"0" && want == u"FALSE") ||
           (have == u"TRUE" && want == u"1") || (have == u"FALSE" && want == u"0");
}

} // namespace

class tst_zipworkbooks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameCellsAsXls_data();
    void sameCellsAsXls();
    void postalCodeFormats_data();
    void postalCodeFormats();
    void cellTexts_data();
    void cellTexts();
    void brokenFiles_data();
    void brokenFiles();
};

void tst_zipworkbooks::sameCellsAsXls_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("xls");
    for (const QString& kind : {QStringLiteral("xlsx"), QStringLiteral("ods")}) {
        const QStringList files = QDir(corpus(kind)).entryList({QStringLiteral("*.") + kind});
        QVERIFY(files.size() >= 20);
        for (const QString& file : files) {
            const QString base = file.section(u'.', 0, 0);
            QTest::newRow(qPrintable(kind + u'/' + file))
                << corpus(kind + u'/' + file) << corpus(QStringLiteral("xls/") + base + ".xls");
        }
    }
}

// Every corpus workbook saved as .xlsx and .ods reads the cells of its .xls.
void tst_zipworkbooks::sameCellsAsXls()
{
    QFETCH(QString, file);
    QFETCH(QString, xls);
    const Read want = load(xls);
    const Read have = load(file);
    QVERIFY(!have.damaged);
    QCOMPARE(have.progress.last(), 0);

    // Sheets by name (a converter turns a chart sheet into an empty worksheet); a bare
    // BIFF2-4 worksheet has no name, and the converter names it after the file.
    QMap<int, int> sheetOf; // .xls sheet → this file's sheet
    for (int i = 0; i < want.names.size(); ++i)
        if (const qsizetype j = have.names.indexOf(want.names[i]); j >= 0)
            sheetOf[i + 1] = int(j) + 1;
    if (want.names.isEmpty())
        sheetOf[1] = 1;
    else if (sheetOf.size() != want.names.size()) {
        // Names the .xls reader could not decode ("???") come back changed: the sheets that
        // hold cells, in order.
        sheetOf.clear();
        QList<int> filled;
        for (auto it = have.cells.cbegin(); it != have.cells.cend(); ++it)
            if (!filled.contains(std::get<0>(it.key())))
                filled << std::get<0>(it.key());
        for (int i = 0; i < filled.size(); ++i)
            sheetOf[i + 1] = filled[i];
    }
    QMap<std::tuple<int, int, int>, QString> extra = have.cells;
    for (auto it = want.cells.cbegin(); it != want.cells.cend(); ++it) {
        const auto [s, r, c] = it.key();
        const std::tuple<int, int, int> key{sheetOf.value(s), r, c};
        const QString where = QStringLiteral("%1 %2 %3: ").arg(s).arg(r).arg(c);
        if (it.value().isEmpty() && !have.cells.contains(key))
            continue; // an empty formula result
        QVERIFY2(have.cells.contains(key), qPrintable(where + "missing " + it.value()));
        // WriteExcel stored 0 as this formula's result; the converters calculate it.
        if (xls.endsWith(QStringLiteral("writeexcel_biff8.xls")) && key == std::tuple{1, 5, 3}) {
            extra.remove(key);
            continue;
        }
        QVERIFY2(sameCell(have.cells[key], it.value()),
                 qPrintable(where + have.cells[key] + " != " + it.value()));
        extra.remove(key);
    }
    // Only what the .xls reader leaves out: constant booleans and errors.
    for (auto it = extra.cbegin(); it != extra.cend(); ++it)
        QVERIFY2(isBooleanOrError(it.value()), qPrintable(QStringLiteral("extra %1 %2 %3: ")
                                                              .arg(std::get<0>(it.key()))
                                                              .arg(std::get<1>(it.key()))
                                                              .arg(std::get<2>(it.key())) +
                                                          it.value()));
}

void tst_zipworkbooks::postalCodeFormats_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    const QStringList files = {
        QStringLiteral("postal_formats.xls"), QStringLiteral("postal_formats.xlsx"),
        QStringLiteral("postal_formats.ssconvert.xlsx"), QStringLiteral("postal_formats.ods"),
        QStringLiteral("postal_formats.ssconvert.ods")};
    const QList<std::tuple<const char*, int, QString>> rows = {
        {"000-0000", 1, QStringLiteral("060-0001")},
        {"postal-code format, 7 digits", 2, QStringLiteral("060-0001")},
        {"0000000", 3, QStringLiteral("0600001")},
        {"postal-code format, other region", 4, QStringLiteral("600-8216")},
        {"postal-code format, 3 digits", 5, QStringLiteral("600")},
        {"00000", 6, QStringLiteral("06000")},
        {"@ shows the number", 7, QStringLiteral("1000001")},
        {"thousands separators stay general", 8, QStringLiteral("1000001")},
        {"General", 9, QStringLiteral("1000001")}};
    for (const QString& file : files)
        for (const auto& [name, row, text] : rows)
            QTest::newRow(qPrintable(file + u' ' + QLatin1String(name)))
                << corpus(QStringLiteral("numberformats/") + file) << row << text;
}

// A postal code typed as a number reads as the spreadsheet shows it.
void tst_zipworkbooks::postalCodeFormats()
{
    QFETCH(QString, file);
    QFETCH(int, row);
    QFETCH(QString, text);
    const Read read = load(file);
    QCOMPARE(read.cells.value({1, row, 1}), text);
}

void tst_zipworkbooks::cellTexts_data()
{
    QTest::addColumn<QByteArray>("zip");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("text");
    QTest::newRow("xlsx: a cell far beyond a dimension of A1")
        << makeZip(
               xlsxParts("<dimension ref=\"A1\"/><row r=\"40\"><c r=\"AH40\"><v>7</v></c></row>"))
        << 39 << 33 << "7";
    QTest::newRow("xlsx: rich-text runs joined, phonetic run left out")
        << makeZip(xlsxParts("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>",
                             "<si><r><t>山田</t></r><r><t xml:space=\"preserve\"> 太郎</t></r>"
                             "<rPh sb=\"0\" eb=\"2\"><t>ヤマダ</t></rPh></si>"))
        << 0 << 0 << "山田 太郎";
    QTest::newRow("xlsx: inline string with an escaped line end")
        << makeZip(
               xlsxParts("<row><c r=\"B1\" t=\"inlineStr\"><is><t>a_x000D_b</t></is></c></row>"))
        << 0 << 1 << "a\rb";
    QTest::newRow("xlsx: cells without references follow each other")
        << makeZip(xlsxParts("<row><c><v>1</v></c><c t=\"b\"><v>0</v></c></row>")) << 0 << 1
        << "FALSE";
    QTest::newRow("xlsx: elements named with a prefix")
        << makeZip(xlsxParts(
               "<x:row xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "r=\"3\"><x:c r=\"B3\" t=\"inlineStr\"><x:is><x:r><x:t>宛</x:t></x:r>"
               "<x:rPh><x:t>アテ</x:t></x:rPh><x:t>先</x:t></x:is></x:c></x:row>"))
        << 2 << 1 << "宛先";
    QTest::newRow("xlsx: a formula's cached string")
        << makeZip(xlsxParts(
               "<row r=\"2\"><c r=\"A2\" t=\"str\"><f>A1&amp;\"x\"</f><v>ax</v></c></row>"))
        << 1 << 0 << "ax";
    QTest::newRow("xlsx: an absolute target still names its part")
        << makeZip(xlsxParts("<row r=\"1\"><c r=\"A1\" t=\"e\"><v>#N/A</v></c></row>", {},
                             "/xl/worksheets/sheet1.xml"))
        << 0 << 0 << "#N/A";
    QTest::newRow("ods: repeated cells and spaces")
        << makeZip(
               odsParts("<table:table-row><table:table-cell table:number-columns-repeated=\"2\"/>"
                        "<table:table-cell office:value-type=\"string\"><text:p>a<text:s "
                        "text:c=\"2\"/>b</text:p></table:table-cell></table:table-row>"))
        << 0 << 2 << "a  b";
    QTest::newRow("ods: a comment is not the cell's text")
        << makeZip(odsParts("<table:table-row><table:table-cell office:value-type=\"string\">"
                            "<office:annotation><text:p>memo</text:p></office:annotation>"
                            "<text:p>本文</text:p></table:table-cell></table:table-row>"))
        << 0 << 0 << "本文";
    QTest::newRow("ods: a repeated row repeats its cells")
        << makeZip(odsParts("<table:table-row table:number-rows-repeated=\"3\"><table:table-cell "
                            "office:value-type=\"float\" office:value=\"2.5\"/></table:table-row>"))
        << 2 << 0 << "2.5";
    QTest::newRow("ods: a date as its serial number")
        << makeZip(odsParts("<table:table-row><table:table-cell office:value-type=\"date\" "
                            "office:date-value=\"2026-12-07\"/></table:table-row>"))
        << 0 << 0 << "46363";
}

// What the corpus files do not show: hand-made parts.
void tst_zipworkbooks::cellTexts()
{
    QFETCH(QByteArray, zip);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(zip);
    f.close();
    const Read read = load(path);
    QVERIFY(!read.damaged);
    QCOMPARE(read.cells.value({1, row, col}), text);
}

void tst_zipworkbooks::brokenFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("opens"); // false: XBiffError
    QTest::addColumn<int>("cells");  // cells read before the damage

    const QByteArray good =
        makeZip(xlsxParts("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>2</v></c></row>"));
    // A sheet that inflates to far more than its bounds allow: 40 MB of spaces.
    QByteArray padding(40 << 20, ' ');
    QTest::newRow("zip bomb in a sheet")
        << makeZip(xlsxParts("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + padding +
                             "<row r=\"2\"><c r=\"A2\"><v>2</v></c></row>"))
        << true << 1;
    padding.clear();
    QTest::newRow("relationship leaving the package")
        << makeZip(
               xlsxParts("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", {}, "../../../etc/passwd"))
        << true << 0;
    QByteArray cut = good;
    cut.truncate(cut.size() * 2 / 3);
    QTest::newRow("cut container") << cut << false << 0;
    QTest::newRow("zip without a workbook")
        << makeZip({{QStringLiteral("a.txt"), "hello"}}) << false << 0;
    QTest::newRow("sheet not well-formed")
        << makeZip(xlsxParts("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row></c>")) << true << 1;
    QTest::newRow("ods content cut off")
        << makeZip({{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
                    {QStringLiteral("content.xml"), "<office:document-content><office:body>"}})
        << true << 0;
    // Flip bytes inside the compressed sheet: the data or its checksum no longer match.
    QByteArray flipped = good;
    const qsizetype at = flipped.indexOf("xl/worksheets/sheet1.xml") + 30;
    for (qsizetype i = at; i < at + 8 && i < flipped.size(); ++i)
        flipped[i] = char(flipped[i] ^ 0x5A);
    QTest::newRow("sheet data broken") << flipped << true << 0;
}

// A broken or hostile file gives the damaged-workbook notice or the open failure; never a
// crash, a hang or a run on memory.
void tst_zipworkbooks::brokenFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, opens);
    QFETCH(int, cells);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    try {
        const Read read = load(path);
        QVERIFY(opens);
        QVERIFY(read.damaged || cells == 0);
        QCOMPARE(read.cells.size(), cells);
    } catch (const XBiffError& error) {
        QVERIFY2(!opens, qPrintable(error.message()));
        QCOMPARE(error.message(), XBiffError::openFailed());
    }
}

QTEST_GUILESS_MAIN(tst_zipworkbooks)
#include "tst_zipworkbooks.moc"
