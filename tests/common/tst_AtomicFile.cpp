// Saves that fail tell the user which file and why, in Japanese; the old file stays whole and
// no temporary file is left. The full disk and the read-only folder are real mounts.
#include "PrivateMount.h"
#include "common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(PrivateMount::Kind)

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

} // namespace

class tst_AtomicFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void failedSaveSaysWhy_data();
    void failedSaveSaysWhy();
    void replacesAndKeepsMode();
    void killedSaveLeavesNothingBehind();
};

void tst_AtomicFile::failedSaveSaysWhy_data()
{
    QTest::addColumn<PrivateMount::Kind>("kind");
    QTest::addColumn<QString>("reason");
    const QString full = QStringLiteral("ディスクの空き容量が足りません");
    const QString readOnly = QStringLiteral("読み出し専用の場所です");
    QTest::newRow("full disk") << PrivateMount::Kind::FullDisk << full;
    QTest::newRow("read-only folder") << PrivateMount::Kind::ReadOnly << readOnly;
}

void tst_AtomicFile::failedSaveSaysWhy()
{
    QFETCH(PrivateMount::Kind, kind);
    QFETCH(QString, reason);
    const QByteArray old = "old list";
    const QByteArray big(200 * 1024, 'y');
    const auto result = PrivateMount::run(
        kind, [&](const QString& folder) { writeFile(folder + "/list.csvu", old); },
        [&](const QString& folder) {
            const QString path = folder + "/list.csvu";
            QString error;
            const bool written = AtomicFile::write(path, big, &error);
            const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
            return QStringList{written ? "written" : "refused", error,
                               readFile(path) == old ? "old file whole" : "old file changed",
                               left.join(u' ')}
                .join(u'\n');
        });
    if (!result)
        QSKIP("this system does not let the test mount a private tmpfs");
    const QStringList lines = result->split(u'\n');
    QCOMPARE(lines.value(0), QStringLiteral("refused"));
    QVERIFY2(lines.value(1).endsWith(QStringLiteral("/list.csvu: ") + reason),
             qPrintable(lines.value(1)));
    QCOMPARE(lines.value(2), QStringLiteral("old file whole"));
    const QString leftOver =
        kind == PrivateMount::Kind::FullDisk ? "filler list.csvu" : "list.csvu";
    QCOMPARE(lines.value(3), leftOver);
}

void tst_AtomicFile::replacesAndKeepsMode()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.csvu");
    writeFile(path, "old");
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QString error;
    QVERIFY2(AtomicFile::write(path, "new", &error), qPrintable(error));
    QCOMPARE(readFile(path), QByteArray("new"));
    QCOMPARE(QFile::permissions(path) & 0x7777, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ReadUser | QFileDevice::WriteUser);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"list.csvu"});
}

// A save killed while it writes leaves its temporary file; the next save of the same file
// removes it, and leaves alone what is not its own: another file's, other names, the file of
// a save that is still running.
void tst_AtomicFile::killedSaveLeavesNothingBehind()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.csvu");
    const QDir folder(dir.path());
    const auto hidden = [&folder] {
        QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
        names.sort();
        return names;
    };
    const pid_t child = fork();
    if (child == 0) {
        AtomicFile::write(path, QByteArray(256 << 20, 'x'));
        ::_exit(0);
    }
    QStringList left;
    for (int i = 0; i < 20000 && left.isEmpty(); ++i) {
        left = hidden();
        if (left.isEmpty())
            QThread::usleep(100);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    left = hidden();
    QCOMPARE(left.size(), 1);
    QVERIFY2(left.front().startsWith(".list.csvu."), qPrintable(left.front()));

    const QStringList others = {".list.csvu.ab12", ".other.csvu.Ab12Cd", "list.csvu.Ab12Cd",
                                ".list.csvu.Ab12Cd.bak"};
    for (const QString& name : others)
        writeFile(folder.filePath(name), "keep");
    QVERIFY(folder.mkdir(".list.csvu.Dir123"));
    // A save still running holds a lock on its file.
    const QString running = folder.filePath(".list.csvu.Run123");
    writeFile(running, "running");
    const int fd = ::open(QFile::encodeName(running).constData(), O_RDONLY);
    QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);

    QString error;
    QVERIFY2(AtomicFile::write(path, "new", &error), qPrintable(error));
    ::close(fd);
    QStringList expected = others;
    expected << "list.csvu"
             << ".list.csvu.Run123";
    expected.sort();
    QCOMPARE(hidden(), expected);
    QVERIFY(folder.exists(".list.csvu.Dir123"));
    QCOMPARE(readFile(path), QByteArray("new"));
}

QTEST_GUILESS_MAIN(tst_AtomicFile)
#include "tst_AtomicFile.moc"
