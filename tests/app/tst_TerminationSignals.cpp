// A logout or shutdown ends the real program with a signal: it leaves through its event loop,
// and what the session changed is in the settings file.
#include "common/SettingsText.h"
#include "layout/LayoutTable.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
// Whether the process has a handler for `signal` (its "SigCgt" mask in /proc).
bool catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    return false;
}
} // namespace

class tst_TerminationSignals : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void changeSurvives_data();
    void changeSurvives();
};

void tst_TerminationSignals::changeSurvives_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("file"); // opened on the command line: the session's change
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("before");
    const QString tyd = QStringLiteral(TAYORI_SOURCE_DIR "/tests/data/before-sender/cardTT.tyd");
    const QString list = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");
    const QString defaultPostalCode =
        LayoutTable::recordText(LayoutTable::defaultRecord(LayoutKind::TT, LayoutItem::YubinNo1));
    QTest::newRow("SIGTERM after a layout file") << SIGTERM << tyd << "ITEMFONT"
                                                 << "item11" << defaultPostalCode;
    QTest::newRow("SIGHUP after a list") << SIGHUP << list << "FILE"
                                         << "DataFile"
                                         << "";
    QTest::newRow("SIGINT after a layout file") << SIGINT << tyd << "ITEMFONT"
                                                << "item11" << defaultPostalCode;
}

void tst_TerminationSignals::changeSurvives()
{
    QFETCH(int, signal);
    QFETCH(QString, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, before);
    // A copy of the program of its own keeps its settings beside it, as a build does.
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("tayori"));
    QVERIFY(QFile::copy(QStringLiteral(TAYORI_BINARY_DIR "/src/app/tayori"), program));
    const QString ini = dir.filePath(QStringLiteral("tayori.ini"));
    const QString opened = dir.filePath(QFileInfo(file).fileName());
    QVERIFY(QFile::copy(file, opened));

    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, {opened});
    QVERIFY(process.waitForStarted(30000));
    QTRY_VERIFY_WITH_TIMEOUT(catches(process.processId(), signal), 30000);
    ::kill(pid_t(process.processId()), signal);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);

    const QString after = SettingsText::ReadPathSetting(ini, section, key);
    QVERIFY2(!SettingsText::IsMissingValue(after), qPrintable(section + u'/' + key));
    QVERIFY2(after != before, qPrintable(after));
    if (section == u"FILE")
        QCOMPARE(after, opened);
}

QTEST_MAIN(tst_TerminationSignals)
#include "tst_TerminationSignals.moc"
