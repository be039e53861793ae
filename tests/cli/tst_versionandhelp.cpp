// `--version` and `--help` of both programs answer on standard output and exit 0, with no
// display and no platform plugin: no window opens, nothing aborts.
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>

class tst_VersionAndHelp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
};

void tst_VersionAndHelp::answersWithoutDisplay_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("firstLine"); // a pattern
    const QString version = QRegularExpression::escape(QStringLiteral(TAYORI_VERSION));
    const QString window = QStringLiteral(TAYORI_BINARY_DIR "/src/app/tayori");
    const QString cli = QStringLiteral(TAYORI_BINARY_DIR "/src/cli/tayori-cli");
    QTest::newRow("tayori --version") << window << "--version"
                                      << "^tayori " + version + "$";
    QTest::newRow("tayori --help") << window << "--help"
                                   << "^usage: tayori \\[FILE\\]$";
    QTest::newRow("tayori -h") << window << "-h"
                               << "^usage: tayori \\[FILE\\]$";
    QTest::newRow("tayori-cli --version") << cli << "--version"
                                          << "^tayori-cli " + version + "$";
    QTest::newRow("tayori-cli --help") << cli << "--help"
                                       << "^usage: tayori-cli COMMAND";
}

void tst_VersionAndHelp::answersWithoutDisplay()
{
    QFETCH(QString, program);
    QFETCH(QString, option);
    QFETCH(QString, firstLine);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, {option});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(QRegularExpression(firstLine).match(out.section(u'\n', 0, 0)).hasMatch(),
             qPrintable(out));
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), QString());
}

QTEST_GUILESS_MAIN(tst_VersionAndHelp)
#include "tst_versionandhelp.moc"
