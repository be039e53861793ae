#include "common/FileAttributes.h"
#include "common/IniFile.h"
#include "common/cp932.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A file as the Windows profile routines and other programs leave it: odd spellings,
// comments, a line without "=", a value holding "=", LF and CR LF mixed.
const QByteArray Mixed = "; written by hand\r\n"
                         "stray=before any section\r\n"
                         "[Form]\r\n"
                         "Top=\"144\"\n"
                         "  left  =  \"201\"  \r\n"
                         "not a setting\r\n"
                         "\r\n"
                         "[Other]\r\n"
                         "Url=\"http://x/?a=b\"\r\n"
                         ";Top=commented out\r\n"
                         "[form]\r\n"
                         "height=\"518\"\r\n";

} // namespace

class tst_IniFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reading_data();
    void reading();
    void missingFileIsEmpty();
    void writingKeepsEverythingElse();
    void newKeysAndSections();
    void valueCannotBreakALine();
    void japanesePathRoundTrip();
    void readsHandMadeCp932File();
    void saveRefusesReadOnlyFile();
    void saveIntoMissingFolderFails();
    void failedWriteKeepsOldFile();
};

void tst_IniFile::reading_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("value");
    QTest::newRow("exact spelling, LF line end") << "Form"
                                                 << "Top" << true << "\"144\"";
    QTest::newRow("section and key in other case") << "FORM"
                                                   << "TOP" << true << "\"144\"";
    QTest::newRow("key and value trimmed") << "form"
                                           << "Left" << true << "\"201\"";
    QTest::newRow("value holds =") << "other"
                                   << "url" << true << "\"http://x/?a=b\"";
    QTest::newRow("second block of the same section") << "Form"
                                                      << "Height" << true << "\"518\"";
    QTest::newRow("comment is no key") << "Other"
                                       << ";Top" << false << "";
    QTest::newRow("line without = is no key") << "Form"
                                              << "not a setting" << false << "";
    QTest::newRow("line above the first section is no key") << ""
                                                            << "stray" << false << "";
    QTest::newRow("key of another section") << "Other"
                                            << "Top" << false << "";
}

void tst_IniFile::reading()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(bool, present);
    QFETCH(QString, value);
    IniFile ini;
    ini.parse(Mixed);
    QCOMPARE(ini.contains(section, key), present);
    QCOMPARE(ini.value(section, key, QStringLiteral("default")),
             present ? value : QStringLiteral("default"));
}

void tst_IniFile::missingFileIsEmpty()
{
    QTemporaryDir dir;
    IniFile ini;
    QString error;
    QVERIFY(ini.load(dir.filePath("none.ini"), &error));
    QVERIFY(ini.sections().isEmpty());
    QCOMPARE(ini.value("Form", "top", "ER"), QStringLiteral("ER"));
}

void tst_IniFile::writingKeepsEverythingElse()
{
    IniFile ini;
    ini.parse(Mixed);
    ini.setValue("FORM", "top", "\"10\"");     // existing key: its spelling stays
    ini.setValue("form", "HEIGHT", "\"300\""); // found in the second [form] block
    ini.setValue("Other", "New", "\"n\"");     // added after the last line of [Other]
    const QByteArray expected = "; written by hand\r\n"
                                "stray=before any section\r\n"
                                "[Form]\r\n"
                                "Top=\"10\"\r\n"
                                "  left  =  \"201\"  \r\n"
                                "not a setting\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "Url=\"http://x/?a=b\"\r\n"
                                ";Top=commented out\r\n"
                                "New=\"n\"\r\n"
                                "[form]\r\n"
                                "height=\"300\"\r\n";
    QCOMPARE(ini.toBytes(), expected);
    QCOMPARE(ini.sections(), QStringList({"Form", "Other"}));
    QCOMPARE(ini.keys("FORM"), QStringList({"Top", "left", "height"}));
}

void tst_IniFile::newKeysAndSections()
{
    IniFile ini;
    ini.parse("[A]\r\nx=1\r\n\r\n\r\n[B]\r\ny=2");
    ini.setValue("a", "z", "3"); // before the blank lines that part [A] from [B]
    ini.setValue("ITEMFONT", "item17", "v");
    QCOMPARE(ini.toBytes(), QByteArray("[A]\r\nx=1\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\n"
                                       "\r\n[ITEMFONT]\r\nitem17=v\r\n"));
    IniFile empty;
    empty.setValue("Form", "top", "1");
    QCOMPARE(empty.toBytes(), QByteArray("[Form]\r\ntop=1\r\n"));
}

void tst_IniFile::valueCannotBreakALine()
{
    IniFile ini;
    ini.setValue("FILE", "DataFile", "a\r\n[Evil]\nb");
    IniFile back;
    back.parse(ini.toBytes());
    QCOMPARE(back.sections(), QStringList({"FILE"}));
    QCOMPARE(back.value("FILE", "DataFile"), QStringLiteral("a  [Evil] b"));
}

void tst_IniFile::japanesePathRoundTrip()
{
    // 表 and ソ end in byte 0x5C, the path separator of code page 932 paths.
    const QString path = QString::fromUtf8("C:\\住所録\\表ソ能\\年賀状２０２６.xls");
    QTemporaryDir dir;
    const QString file = dir.filePath(QString::fromUtf8("設定.ini"));
    IniFile ini;
    QVERIFY(ini.load(file));
    ini.setValue(QString::fromUtf8("ファイル"), QString::fromUtf8("データ"), path);
    QString error;
    QVERIFY2(ini.save(&error), qPrintable(error));

    const QByteArray bytes = readBytes(file);
    QVERIFY(bytes.contains(cp932::fromUnicode(path)));
    QVERIFY(bytes.endsWith("\r\n"));

    IniFile back;
    QVERIFY(back.load(file));
    QCOMPARE(back.value(QString::fromUtf8("ファイル"), QString::fromUtf8("データ")), path);
}

void tst_IniFile::readsHandMadeCp932File()
{
    // "[FILE]" / "DataFile=D:\表\宛先.csvu" as the Windows routines write it.
    const QByteArray bytes = "[FILE]\r\nDataFile=D:\\\x95\x5C\\\x88\xB6\x90\xE6.csvu\r\n";
    IniFile ini;
    ini.parse(bytes);
    QCOMPARE(ini.value("file", "datafile"), QString::fromUtf8("D:\\表\\宛先.csvu"));
    QCOMPARE(ini.toBytes(), bytes);
}

void tst_IniFile::saveRefusesReadOnlyFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("tayori.ini");
    writeBytes(file, "[Form]\r\ntop=\"1\"\r\n");
    QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QVERIFY(FileAttributes::isReadOnly(file));

    IniFile ini;
    QVERIFY(ini.load(file));
    ini.setValue("Form", "top", "\"2\"");
    QString error;
    QVERIFY(!ini.save(&error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(file), QByteArray("[Form]\r\ntop=\"1\"\r\n"));

    QVERIFY(FileAttributes::clearReadOnly(file));
    QVERIFY(ini.save(&error));
    QCOMPARE(readBytes(file), QByteArray("[Form]\r\ntop=\"2\"\r\n"));
}

void tst_IniFile::saveIntoMissingFolderFails()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("no/such/folder/tayori.ini");
    IniFile ini;
    QVERIFY(ini.load(file));
    ini.setValue("Form", "top", "1");
    QString error;
    QVERIFY(!ini.save(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(file));
}

void tst_IniFile::failedWriteKeepsOldFile()
{
#ifdef Q_OS_UNIX
    // A file size limit makes the write fail half way, as a full disk does.
    QTemporaryDir dir;
    const QString file = dir.filePath("tayori.ini");
    const QByteArray old = "[Form]\r\ntop=\"1\"\r\n";
    writeBytes(file, old);
    IniFile ini;
    QVERIFY(ini.load(file));
    for (int i = 0; i < 200; ++i)
        ini.setValue("Many", QStringLiteral("key%1").arg(i), QString(40, u'x'));

    struct rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 256;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool saved_ok = ini.save(&error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!saved_ok);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(file), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"tayori.ini"}));
#else
    QSKIP("needs a file size limit");
#endif
}

QTEST_GUILESS_MAIN(tst_IniFile)
#include "tst_IniFile.moc"
