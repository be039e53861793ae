#include "../addresslist/BiffBuilder.h"
#include "CliRun.h"
#include "ScriptedPrompter.h"
#include "addresslist/AddressBook.h"
#include "addresslist/DelimitedList.h"
#include "addresslist/RowText.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

const QString CsvDir = QStringLiteral(TAYORI_TESTDATA "/csv/");

CliRun cells(const QStringList& args)
{
    return RunCli(QStringList{"cells"} + args);
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

// What the cells command printed before it streamed: every sheet's rows as the window keeps
// them, each cell that is not blank, in order of sheet, row and column.
QStringList cellsOfSheets(const QString& path)
{
    AddressBook book;
    try {
        book.LoadWorkbook(path);
    } catch (...) {
        return {};
    }
    QStringList lines{QStringList(QStringList{"sheets"} + book.tabCaptions()).join(u'\t')};
    for (int slot = 1; slot <= AddressBook::SheetSlots; ++slot) {
        const QStringList& rows = book.sheet(slot).rows;
        for (int r = 0; r < rows.size(); ++r) {
            const QStringList cells = RowText::read(rows[r]);
            for (int c = 0; c < cells.size(); ++c)
                if (std::any_of(cells[c].begin(), cells[c].end(),
                                [](QChar ch) { return ch.unicode() > 0x20; }))
                    lines << QStringLiteral("%1\t%2\t%3\t%4")
                                 .arg(slot)
                                 .arg(r)
                                 .arg(c)
                                 .arg(QString(cells[c])
                                          .replace(QStringLiteral("\\"), QStringLiteral("\\\\"))
                                          .replace(QStringLiteral("\t"), QStringLiteral("\\t"))
                                          .replace(QStringLiteral("\n"), QStringLiteral("\\n"))
                                          .replace(QStringLiteral("\r"), QStringLiteral("\\r")));
        }
    }
    return lines;
}

// A BIFF8 workbook of `sheets` worksheets, the first `names` of them named, with a
// shared-string table; `cells` adds the first sheet's cell records.
QByteArray sheetWithStrings(const QStringList& strings,
                            const std::function<void(BiffBuilder&)>& cells, int sheets = 1,
                            int names = -1)
{
    BiffBuilder b;
    b.bof8(0x0005);
    for (int s = 1; s <= (names < 0 ? sheets : names); ++s)
        b.boundSheet8(QStringLiteral("表%1").arg(s));
    BiffBuilder::Body sst;
    sst.u32(std::uint32_t(strings.size())).u32(std::uint32_t(strings.size()));
    for (const QString& text : strings)
        sst.u16(int(text.size())).u8(1).utf16(text);
    b.record(0x00FC, sst).eof();
    for (int s = 1; s <= sheets; ++s) {
        b.bof8(0x0010);
        if (s == 1)
            cells(b);
        else
            b.labelSst(0, 0, 0);
        b.eof();
    }
    return b.bytes();
}

} // namespace

class tst_CellsCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyShownCellOnce_data();
    void everyShownCellOnce();
    void escapes();
    void escapesAtEveryPlace_data();
    void escapesAtEveryPlace();
    void workbookCells_data();
    void workbookCells();
    void sameCellsAsTheSheets_data();
    void sameCellsAsTheSheets();
    void failures_data();
    void failures();
    void damagedWorkbook();
    void help();
};

void tst_CellsCommand::everyShownCellOnce_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("nameCell");
    QTest::newRow("saved list") << "saved_list_utf16le.csvu"
                                << "saved_list_utf16le"
                                << "1\t1\t1\t山田 太郎";
    QTest::newRow("spreadsheet CSV") << "addresses_excel_style_utf8.csv"
                                     << "addresses_excel_style_utf8"
                                     << "1\t1\t1\t山田 太郎";
    QTest::newRow("code page 932 CSV") << "addresses_cp932.csv"
                                       << "addresses_cp932"
                                       << "1\t3\t1\t鈴木　次郎";
}

void tst_CellsCommand::everyShownCellOnce()
{
    QFETCH(QString, file);
    QFETCH(QString, caption);
    QFETCH(QString, nameCell);
    const CliRun run = cells({CsvDir + file});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.errors, QString());
    QCOMPARE(run.lines().value(0), "sheets\t" + caption);
    QVERIFY(run.lines().contains(nameCell));

    // The same cells as the grid of the list loaded here, in row order, blanks left out.
    AddressBook book;
    ScriptedPrompter prompter;
    DelimitedList::LoadDelimitedList(book, CsvDir + file, prompter);
    QStringList expected;
    const AddressGrid& grid = book.grid();
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            const QString text = grid.cell(c, r);
            if (std::any_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() > 0x20; }))
                expected << QStringLiteral("1\t%1\t%2\t%3").arg(r).arg(c).arg(text);
        }
    }
    QCOMPARE(run.lines().mid(1), expected);
}

void tst_CellsCommand::escapes()
{
    QTemporaryDir dir;
    const QString path =
        writeFile(dir, "escapes.CSV", "x,\"a\tb\",\"c\nd\",e\\f,\"g\r\nh\",\" \",\"\",𠮷野ü\n");
    const CliRun run = cells({path});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines(),
             (QStringList{"sheets\tescapes", "1\t0\t1\tx", "1\t0\t2\ta\\tb", "1\t0\t3\tc\\nd",
                          "1\t0\t4\te\\\\f", "1\t0\t5\tg\\r\\nh", "1\t0\t8\t𠮷野ü"}));
}

// Plain ASCII is copied several units at a time: a unit to escape, or one that is not plain,
// is found at any place of those runs.
void tst_CellsCommand::escapesAtEveryPlace_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("written");
    QTest::newRow("tab") << "\t"
                         << "\\t";
    QTest::newRow("line feed") << "\n"
                               << "\\n";
    QTest::newRow("carriage return") << "\r"
                                     << "\\r";
    QTest::newRow("backslash") << "\\"
                               << "\\\\";
    QTest::newRow("space") << " "
                           << " ";
    QTest::newRow("exclamation mark") << "!"
                                      << "!";
    QTest::newRow("tilde") << "~"
                           << "~";
    QTest::newRow("U+0080") << QString(QChar(0x80)) << QString(QChar(0x80));
    QTest::newRow("a-umlaut") << "ä"
                              << "ä";
    QTest::newRow("kanji") << "野"
                           << "野";
}

void tst_CellsCommand::escapesAtEveryPlace()
{
    QFETCH(QString, unit);
    QFETCH(QString, written);
    const QString plain = QStringLiteral("0123456789AB");
    QString csv;
    QStringList expected{"sheets\tplaces"};
    for (int at = 1; at < plain.size() - 1; ++at) {
        const QString text = plain.left(at) + unit + plain.mid(at + 1);
        csv += (at > 1 ? "," : "") + ('"' + text + '"');
        expected << QStringLiteral("1\t0\t%1\t%2")
                        .arg(at)
                        .arg(plain.left(at) + written + plain.mid(at + 1));
    }
    QTemporaryDir dir;
    const CliRun run = cells({writeFile(dir, "places.csv", (csv + '\n').toUtf8())});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines(), expected);
}

void tst_CellsCommand::workbookCells_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("BIFF8 from Gnumeric") << "gnumeric_biff8";
    QTest::newRow("BIFF7 in code page 932") << "gnumeric_biff7_cp932";
    QTest::newRow("BIFF8 from LibreOffice") << "libreoffice_97_from_fods";
    QTest::newRow("BIFF8 with shared strings") << "sheetjs_biff8_sst";
}

void tst_CellsCommand::workbookCells()
{
    QFETCH(QString, name);
    const QString base = QStringLiteral(TAYORI_TESTDATA "/xls/") + name;
    const CliRun run = cells({base + ".xls"});
    QCOMPARE(run.exitCode, 0);

    QFile sheets(base + ".sheets.txt");
    QVERIFY(sheets.open(QIODevice::ReadOnly));
    QStringList names = QString::fromUtf8(sheets.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(run.lines().value(0),
             QStringList(QStringList{"sheets"} + names.mid(0, 15)).join(u'\t'));

    // Every text cell of the first 15 sheets that another reader finds, at the same place
    // and with the same (escaped) text.
    const QStringList lines = run.lines();
    const QSet<QString> printed(lines.begin() + 1, lines.end());
    QFile expected(base + ".expected.tsv");
    QVERIFY(expected.open(QIODevice::ReadOnly));
    int texts = 0;
    for (const QString& line : QString::fromUtf8(expected.readAll()).split(u'\n')) {
        const QStringList f = line.split(u'\t');
        if (f.size() < 5 || f[0].startsWith(u'#') || f[3] != u"s")
            continue;
        if (f[0].toInt() > 15)
            continue;
        const QString text = f[4];
        if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0x20; }))
            continue;
        QVERIFY2(printed.contains(f.mid(0, 3).join(u'\t') + u'\t' + text), qPrintable(line));
        ++texts;
    }
    QVERIFY(texts > 0);
}

// The command prints a workbook's cells as they are read, without the sheets' rows; what it
// prints is what the sheets keep, however the file orders, repeats or blanks its cells.
void tst_CellsCommand::sameCellsAsTheSheets_data()
{
    QTest::addColumn<QStringList>("files");
    const QString corpus = QStringLiteral(TAYORI_TESTDATA "/");
    auto corpusFiles = [&](const QString& folder, const QString& pattern) {
        QStringList files;
        for (const QString& name : QDir(corpus + folder).entryList({pattern}, QDir::Files))
            files << corpus + folder + u'/' + name;
        return files;
    };
    QTest::newRow("corpus .xls") << corpusFiles("xls", "*.xls");
    QTest::newRow("corpus .xlsx") << corpusFiles("xlsx", "*.xlsx");
    QTest::newRow("corpus .ods") << corpusFiles("ods", "*.ods");
    QTest::newRow("contacts") << corpusFiles("vcard", "*.vcf");

    const QStringList strings{"宛先", "山田 太郎", "a\tb", "  ", "ｶﾅ,\"x\""};
    auto row = [&](const char* name, const std::function<void(BiffBuilder&)>& cells, int sheets = 1,
                   int names = -1) {
        QTest::newRow(name) << QStringList{
            QString::fromLatin1(sheetWithStrings(strings, cells, sheets, names).toBase64())};
    };
    const auto outOfOrder = [](BiffBuilder& b) {
        b.labelSst(5, 1, 1).labelSst(2, 0, 0).number(5, 0, 12.5).labelSst(0, 3, 4);
    };
    row("rows out of order", outOfOrder);
    // Lines go out a sheet at a time once the tabs are known from the sheet names.
    row("rows out of order before another sheet", outOfOrder, 3);
    // A worksheet past the one after the named ones adds a tab of its own at the end.
    row("more worksheets than names", outOfOrder, 3, 1);
    // A stream of more than a megabyte has its worksheets counted beside the read.
    const auto many = [](BiffBuilder& b) {
        for (int r = 80000; r >= 0; --r)
            b.labelSst(r, r % 3, std::uint32_t(r % 5));
    };
    row("a big workbook of three sheets", many, 3);
    row("a big workbook with more worksheets than names", many, 3, 1);
    row("a cell given again", [](BiffBuilder& b) {
        b.labelSst(1, 0, 0).labelSst(1, 0, 1).number(1, 1, 3).number(1, 1, 4);
    });
    row("a blank replaces a text", [](BiffBuilder& b) {
        b.labelSst(1, 0, 1).labelSst(1, 0, 3).labelSst(2, 0, 1).labelSst(0, 0, 0).labelSst(2, 0, 3);
    });
    row("a text replaces a blank", [](BiffBuilder& b) {
        b.labelSst(1, 0, 3).labelSst(1, 0, 1).labelSst(0, 0, 3).labelSst(0, 0, 2);
    });
    row("a shared string in many cells", [](BiffBuilder& b) {
        for (int r = 0; r < 300; ++r)
            b.labelSst(r, r % 7, std::uint32_t(r % 5));
    });
    row("a cell past the longest text", [](BiffBuilder& b) {
        const int length = AddressBook::MaxCellLength + 9;
        b.record(0x0204, BiffBuilder::Body().u16(0).u16(1).u16(15).u16(length).u8(0).latin1(
                             QString(length, u'b')));
    });
    row("columns of one, two and three digits", [](BiffBuilder& b) {
        for (const int col : {0, 9, 10, 99, 100, 101, 255})
            b.labelSst(0, col, 1).number(1, col, col).labelSst(2, col, 2);
    });
    row("columns of every width blanked out of order", [](BiffBuilder& b) {
        for (const int col : {255, 100, 99, 10, 9, 0})
            b.labelSst(1, col, 0).labelSst(1, col, 3).labelSst(0, col, 4);
    });
    row("columns past the sheet's",
        [](BiffBuilder& b) { b.labelSst(0, 255, 1).labelSst(0, 256, 1).labelSst(65535, 0, 1); });
    row(
        "sheets past the tabs", [](BiffBuilder& b) { b.labelSst(0, 0, 0); }, 17);
}

void tst_CellsCommand::sameCellsAsTheSheets()
{
    QFETCH(QStringList, files);
    QVERIFY(!files.isEmpty());
    QTemporaryDir dir;
    for (QString file : files) {
        if (!QFileInfo::exists(file))
            file = writeFile(dir, "made.xls", QByteArray::fromBase64(file.toLatin1()));
        const QStringList expected = cellsOfSheets(file);
        const CliRun run = cells({file});
        QVERIFY2(run.exitCode == 0 || run.exitCode == 3, qPrintable(file));
        QVERIFY2(!expected.isEmpty(), qPrintable(file));
        QCOMPARE(run.lines(), expected);
    }
}

void tst_CellsCommand::failures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("missing list") << "" << QByteArray() << 1;
    // A BIFF8 globals BOF, then a shared-string table longer than any record may be.
    QTest::newRow("broken workbook")
        << "broken.xls"
        << QByteArray::fromHex("0908100000060500000000000000000000000000fc002823") +
               QByteArray(9000, '\0')
        << 1;
    QTest::newRow("unsupported extension") << "list.doc" << QByteArray("a,b\n") << 1;
    // No workbook at all: told, not loaded as an empty list.
    QTest::newRow("text named .xls") << "text.xls" << QByteArray("a,b\n") << 1;
    QTest::newRow("empty .xls") << "empty.xls" << QByteArray() << 1;
    QTest::newRow("workbook cut to 5 bytes")
        << "cut.xls" << QByteArray("\xD0\xCF\x11\xE0\xA1") << 1;
    QTest::newRow("BIFF2 workbook cut inside its BOF")
        << "cut2.xls" << QByteArray("\x09\x00\x04\x00\x07", 5) << 1;
}

void tst_CellsCommand::failures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    const QString path = name.isEmpty() ? dir.filePath("missing.csv") : writeFile(dir, name, bytes);
    const CliRun run = cells({path});
    QCOMPARE(run.exitCode, exitCode);
    // One line naming the program and the file, then what went wrong.
    const QString prefix = QStringLiteral("tayori-cli: %1: ").arg(path);
    QVERIFY2(run.errors.startsWith(prefix) && run.errors.size() > prefix.size() + 1 &&
                 run.errors.indexOf(u'\n') == run.errors.size() - 1,
             qPrintable(run.errors));
    QVERIFY(run.lines().isEmpty());

    QCOMPARE(cells({}).exitCode, 2);
}

void tst_CellsCommand::damagedWorkbook()
{
    // A workbook cut short: the cells before the cut are printed, the damage is told and the
    // exit status says the list is not whole.
    QFile whole(QStringLiteral(TAYORI_TESTDATA "/xls/writeexcel_biff8.xls"));
    QVERIFY(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QTemporaryDir dir;
    const CliRun full = cells({whole.fileName()});
    QCOMPARE(full.exitCode, 0);
    const QString cutFile = writeFile(dir, "cut.xls", bytes.left(bytes.size() * 6 / 10));
    const CliRun cut = cells({cutFile});
    QCOMPARE(cut.exitCode, 3);
    QCOMPARE(cut.errors.trimmed(),
             u"tayori-cli: "_qs + cutFile +
                 u": ファイルの一部が読めませんでした（破損している可能性があります）"_qs);
    const QStringList lines = cut.lines();
    QVERIFY(lines.size() > 1000);
    const QStringList fullLines = full.lines();
    QVERIFY(lines.size() < fullLines.size());
    const QSet<QString> known(fullLines.cbegin() + 1, fullLines.cend());
    for (qsizetype i = 1; i < lines.size(); ++i)
        QVERIFY2(known.contains(lines[i]), qPrintable(lines[i]));
}

// "--help" lists every command, one line each, and each command's own "--help" its
// arguments and options; both on standard output with success.
void tst_CellsCommand::help()
{
    const CliRun all = RunCli({QStringLiteral("--help")});
    QCOMPARE(all.exitCode, 0);
    QVERIFY(all.errors.isEmpty());
    const QStringList commands = {"address-number", "barcode", "cells", "check",
                                  "compose",        "layout",  "list",  "print"};
    const QStringList lines = all.lines().mid(1);
    QCOMPARE(lines.size(), commands.size());
    for (int i = 0; i < commands.size(); ++i) {
        QVERIFY2(lines[i].trimmed().startsWith(commands[i] + u' '), qPrintable(lines[i]));
        const CliRun one = RunCli({commands[i], QStringLiteral("--help")});
        QCOMPARE(one.exitCode, 0);
        QVERIFY(one.lines().size() >= 2);
    }
    // Every option the print command takes has its line.
    const QStringList printHelp =
        RunCli({QStringLiteral("print"), QStringLiteral("--help")}).lines();
    for (const char* option :
         {"--to", "--printer", "--rows", "--paper", "--kind", "--start", "--sheet", "--settings"})
        QCOMPARE(printHelp.filter(QRegularExpression(QStringLiteral("^  %1 ").arg(option))).size(),
                 1);
}

QTEST_GUILESS_MAIN(tst_CellsCommand)
#include "tst_cellscommand.moc"
