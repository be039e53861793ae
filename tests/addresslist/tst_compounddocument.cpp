// Our compound-document reader against libgsf's: the same top-level names and the same
// workbook stream bytes for every workbook of the corpus and for documents libgsf writes.
#include "addresslist/ExpectedWorkbook.h"

#include "addresslist/CompoundDocument.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <optional>

namespace {

struct GsfView
{
    QStringList names;
    std::optional<QByteArray> workbook;
};

// What libgsf makes of the file; nothing when it cannot open it.
std::optional<GsfView> readWithGsf(const QString& path)
{
    GError* error = nullptr;
    GsfInput* input = gsf_input_stdio_new(QFile::encodeName(path).constData(), &error);
    if (!input)
        return std::nullopt;
    GsfInfile* ole = gsf_infile_msole_new(input, &error);
    g_object_unref(input);
    if (!ole) {
        if (error)
            g_error_free(error);
        return std::nullopt;
    }
    GsfView view;
    for (int i = 0; i < gsf_infile_num_children(ole); ++i)
        view.names << QString::fromUtf8(gsf_infile_name_by_index(ole, i));
    for (const char* wanted : {"Workbook", "Book"}) {
        for (int i = 0; i < view.names.size() && !view.workbook; ++i) {
            if (view.names[i].compare(QLatin1String(wanted), Qt::CaseInsensitive) != 0)
                continue;
            GsfInput* child = gsf_infile_child_by_index(ole, i);
            QByteArray bytes(qsizetype(gsf_input_size(child)), Qt::Uninitialized);
            if (gsf_input_read(child, size_t(bytes.size()),
                               reinterpret_cast<guint8*>(bytes.data())))
                view.workbook = bytes;
            g_object_unref(child);
        }
    }
    g_object_unref(ole);
    return view;
}

bool writeWithGsf(const QString& path, const QList<std::pair<QByteArray, QByteArray>>& streams)
{
    GError* error = nullptr;
    GsfOutput* sink = gsf_output_stdio_new(QFile::encodeName(path).constData(), &error);
    if (!sink)
        return false;
    GsfOutfile* ole = gsf_outfile_msole_new(sink);
    g_object_unref(sink);
    for (const auto& [name, bytes] : streams) {
        GsfOutput* stream = gsf_outfile_new_child(ole, name.constData(), false);
        gsf_output_write(stream, size_t(bytes.size()),
                         reinterpret_cast<const guint8*>(bytes.constData()));
        gsf_output_close(stream);
        g_object_unref(stream);
    }
    const bool closed = gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole);
    return closed;
}

QByteArray pattern(qsizetype size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = quint32(seed) * 2654435761u + 1;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 24);
    }
    return bytes;
}

} // namespace

class tst_CompoundDocument : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void sameAsLibgsf_data();
    void sameAsLibgsf();

private:
    QTemporaryDir m_dir;
};

void tst_CompoundDocument::initTestCase()
{
    gsf_init();
    QVERIFY(m_dir.isValid());
    // Documents libgsf writes: a workbook in the mini stream, one after another stream, one
    // large enough that its table needs the DIFAT chain (over 109 table sectors).
    QVERIFY(writeWithGsf(m_dir.filePath("mini.xls"), {{"Workbook", pattern(3000, 1)}}));
    QVERIFY(writeWithGsf(m_dir.filePath("two.xls"),
                         {{"Contents", pattern(70000, 2)}, {"Book", pattern(9000, 3)}}));
    QVERIFY(writeWithGsf(m_dir.filePath("difat.xls"),
                         {{"Workbook", pattern(9 << 20, 4)}, {"Other", pattern(5000, 5)}}));
    // And the sound documents of the hostile set: 4096-byte sectors, a stream laid out
    // backwards.
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    QVERIFY(!python.isEmpty());
    QProcess generator;
    generator.start(python,
                    {QStringLiteral(TAYORI_SOURCE_DIR "/tests/data/hostile/make_hostile.py"),
                     m_dir.filePath("hostile"), QStringLiteral("--small")});
    QVERIFY(generator.waitForFinished(60000));
    QCOMPARE(generator.exitCode(), 0);
}

void tst_CompoundDocument::sameAsLibgsf_data()
{
    QTest::addColumn<QString>("path");
    for (const QString& file :
         QDir(testData(QString())).entryList({QStringLiteral("*.xls")}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(file)) << testData(file);
    for (const char* file : {"mini.xls", "two.xls", "difat.xls"})
        QTest::newRow(file) << m_dir.filePath(file);
    for (const char* file :
         {"mini_stream.xls", "sector_4096.xls", "fragmented.xls", "book_stream_after_others.xls"})
        QTest::newRow(file) << m_dir.filePath(QStringLiteral("hostile/") + file);
}

void tst_CompoundDocument::sameAsLibgsf()
{
    QFETCH(QString, path);
    const std::optional<GsfView> expected = readWithGsf(path);
    CompoundDocument document(path);
    if (!expected) { // a bare BIFF2-4 stream
        QVERIFY(!document.isCompound());
        return;
    }
    QVERIFY(document.isOpen());
    QVERIFY(!document.isDamaged());
    QStringList names = document.entryNames();
    QStringList expectedNames = expected->names;
    names.sort();
    expectedNames.sort();
    QCOMPARE(names, expectedNames);
    const std::optional<CompoundDocument::Stream> stream = document.workbookStream();
    QCOMPARE(stream.has_value(), expected->workbook.has_value());
    if (!stream)
        return;
    QVERIFY(stream->complete);
    QVERIFY(stream->bytes == *expected->workbook);
}

QTEST_GUILESS_MAIN(tst_CompoundDocument)
#include "tst_compounddocument.moc"
