// Saves that fail tell the user which file and why, in Japanese; the old file stays whole and
// no temporary file is left. The full disk and the read-only folder are real mounts.
#include "PrivateMount.h"
#include "common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

QTEST_GUILESS_MAIN(tst_AtomicFile)
#include "tst_AtomicFile.moc"
