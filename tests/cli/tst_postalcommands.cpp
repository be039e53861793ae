#include "CliRun.h"
#include "postal/PostalTesting.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// tayori-cli address-number and check, as a script sees them.
class tst_postalcommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void addressNumber_data();
    void addressNumber();
    void check();
};

void tst_postalcommands::initTestCase()
{
    REQUIRE_POSTAL_DATA();
}

void tst_postalcommands::addressNumber_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::newRow("address in two words")
        << QStringList{u"100-0013"_qs, u"東京都千代田区霞が関1丁目3番2号"_qs, u"郵便プラザ503室"_qs}
        << 0 << u"10000131-3-2-503\n"_qs;
    QTest::newRow("representative code")
        << QStringList{u"1000000"_qs, u"東京都千代田区"_qs} << 2 << QString();
    QTest::newRow("no address") << QStringList{u"1000013"_qs} << 2 << QString();
}

void tst_postalcommands::addressNumber()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    const CliRun run = RunCli(QStringList{u"address-number"_qs} + args);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, out);
    QCOMPARE(run.errors.isEmpty(), exitCode == 0);
}

void tst_postalcommands::check()
{
    QTemporaryDir dir;
    const QString list = dir.filePath(u"list.csvu"_qs);
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QString text =
        u"\uFEFF\"\",宛先,郵便番号,住所１,住所２,会社名,肩書き,敬称,連名,敬称2,"
        u"コード,印刷コード\r\n"
        "1,正しい,100-0013,東京都千代田区霞が関1-3-2,,,,,,,,\r\n"
        "2,違う,100-0014,東京都千代田区霞が関1-3-2,,,,,,,,\r\n"
        "3,なし,,東京都千代田区霞が関1-3-2,,,,,,,,\r\n"
        "4,古いコード,100-0013,東京都千代田区霞が関1-3-2,,,,,,,0600001-3-2,1\r\n"_qs;
    file.write(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    file.close();

    const CliRun run = RunCli({u"check"_qs, list});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.lines();
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].startsWith(u"2\tmismatch\t"_qs), qPrintable(lines[0]));
    QVERIFY(lines[0].contains(u"永田町"_qs));
    QVERIFY2(lines[1].startsWith(u"3\tmissing\t"_qs), qPrintable(lines[1]));
    // A customer code made for another postal code, though the address matches its own.
    QCOMPARE(lines[2], u"4\tcode\tコードは郵便番号 060-0001 のものです（郵便番号は 100-0013）"_qs);
    QVERIFY(run.errors.contains(u"3 件の住所を確認してください"_qs));
}

QTEST_GUILESS_MAIN(tst_postalcommands)
#include "tst_postalcommands.moc"
