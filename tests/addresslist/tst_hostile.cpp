// The hostile workbooks of tests/data/hostile, made by its generator, through the real
// loading path: each loads in a few seconds (also under the sanitizers), keeps what can be
// read and says whether the file was whole.
#include "addresslist/AddressBook.h"
#include "addresslist/RowText.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using LoadResult = AddressBook::LoadResult;
Q_DECLARE_METATYPE(AddressBook::LoadResult)

namespace {

// Sheet 1's cell in column 0 of `row`, or nothing.
QString firstColumn(const AddressBook& book, int row)
{
    const AddressSheet& sheet = book.sheet(1);
    if (row >= sheet.rows.size())
        return {};
    const QStringList cells = RowText::read(sheet.rows[row]);
    return cells.isEmpty() ? QString() : cells[0].trimmed();
}

} // namespace

class tst_Hostile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void loadsInTime_data();
    void loadsInTime();

private:
    QTemporaryDir m_dir;
};

void tst_Hostile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    QVERIFY(!python.isEmpty());
    QProcess generator;
    generator.start(
        python,
        {QStringLiteral(TAYORI_SOURCE_DIR "/tests/data/hostile/make_hostile.py"), m_dir.path()});
    QVERIFY(generator.waitForFinished(120000));
    QCOMPARE(generator.exitCode(), 0);
}

void tst_Hostile::loadsInTime_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<LoadResult>("result");
    QTest::addColumn<QString>("a1");
    QTest::addColumn<QString>("a3");
    const QString head = QStringLiteral("宛先");
    const QString s2 = QStringLiteral("s2");
    QTest::newRow("40,000 entries in one sibling chain")
        << "deep_siblings.xls" << LoadResult::Loaded << head << s2;
    QTest::newRow("120,000 entries in a wide directory")
        << "wide_directory.xls" << LoadResult::Loaded << head << s2;
    QTest::newRow("a million shared strings")
        << "sst_million.xls" << LoadResult::Loaded << head << QStringLiteral("s999999");
    QTest::newRow("table sectors listed in the DIFAT chain")
        << "difat.xls" << LoadResult::Loaded << head << s2;
    QTest::newRow("siblings pointing back at the first")
        << "sibling_cycle.xls" << LoadResult::Loaded << head << s2;
    QTest::newRow("directory chain looping on itself")
        << "directory_loop.xls" << LoadResult::Loaded << head << s2;
    QTest::newRow("four billion table sectors claimed")
        << "fat_count_absurd.xls" << LoadResult::Loaded << head << s2;
    QTest::newRow("workbook chain looping back")
        << "fat_loop.xls" << LoadResult::Damaged << head << s2;
    QTest::newRow("stream size beyond the file")
        << "huge_size_claim.xls" << LoadResult::Damaged << head << s2;
    QTest::newRow("file cut in half") << "cut_in_half.xls" << LoadResult::Damaged << head << s2;
    QTest::newRow("header only") << "header_only.xls" << LoadResult::Damaged << QString()
                                 << QString();
    QTest::newRow("shared string running past the table")
        << "sst_string_past_end.xls" << LoadResult::Damaged << QString() << QString();
    // A cell lost in a file that is otherwise whole is damage too.
    QTest::newRow("shared string index past the table")
        << "labelsst_out_of_range.xls" << LoadResult::Damaged << head << s2;
    QTest::newRow("cell record of no bytes")
        << "zero_length_cell.xls" << LoadResult::Damaged << head << s2;
    QTest::newRow("formula text longer than its record")
        << "string_count_huge.xls" << LoadResult::Damaged << head << s2;
}

void tst_Hostile::loadsInTime()
{
    QFETCH(QString, file);
    QFETCH(LoadResult, result);
    QFETCH(QString, a1);
    QFETCH(QString, a3);
    AddressBook book;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(book.LoadWorkbook(m_dir.filePath(file)), result);
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QCOMPARE(firstColumn(book, 0), a1);
    QCOMPARE(firstColumn(book, 2), a3);
}

QTEST_GUILESS_MAIN(tst_Hostile)
#include "tst_hostile.moc"
