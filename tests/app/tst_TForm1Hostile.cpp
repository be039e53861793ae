// The window against files made to break it and saves that fail: settings that cannot be
// saved at exit or read at start are said in Japanese, absurd window sizes stay on the
// screen, cells beyond a spreadsheet's limit are cut with a notice.
#include "PrivateMount.h"
#include "ScriptedPrompter.h"
#include "app/SettingsFile.h"
#include "app/TForm1.h"
#include "common/cp932.h"
#include "layout/LayoutTable.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(std::optional<PrivateMount::Kind>)

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// Closes the window answering "終了しますか" with OK and the save question with `stay`
// negated; gives the questions asked and whether the window may close.
QString closeWith(const QString& settingsPath, bool leaveWithoutSaving)
{
    ScriptedPrompter prompter;
    prompter.confirmAnswers << true << leaveWithoutSaving;
    TForm1 form(&prompter, settingsPath);
    bool canClose = true;
    form.FormCloseQuery(canClose);
    return prompter.questionTexts().join(u'\n') + (canClose ? "\nclosed" : "\nstays");
}

} // namespace

class tst_TForm1Hostile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void settingsNotSavedAtExit_data();
    void settingsNotSavedAtExit();
    void unreadableSettingsAreSaid();
    void settingsOfAnotherUser();
    void geometryStaysOnScreen_data();
    void geometryStaysOnScreen();
    void longCellsAreCut();
};

void tst_TForm1Hostile::settingsNotSavedAtExit_data()
{
    QTest::addColumn<std::optional<PrivateMount::Kind>>("mount");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    QTest::newRow("full disk") << std::optional(PrivateMount::Kind::FullDisk) << "tayori.ini"
                               << "ディスクの空き容量が足りません";
    QTest::newRow("read-only folder") << std::optional(PrivateMount::Kind::ReadOnly) << "tayori.ini"
                                      << "読み出し専用の場所です";
    QTest::newRow("folder gone") << std::optional<PrivateMount::Kind>() << "gone/tayori.ini"
                                 << "保存先のフォルダーが見つかりません";
}

void tst_TForm1Hostile::settingsNotSavedAtExit()
{
    QFETCH(std::optional<PrivateMount::Kind>, mount);
    QFETCH(QString, file);
    QFETCH(QString, reason);
    for (const bool leave : {false, true}) {
        QString answer;
        QString path;
        if (mount) {
            const auto result = PrivateMount::run(*mount, {}, [&](const QString& folder) {
                return folder + u'/' + file + u'\n' + closeWith(folder + u'/' + file, leave);
            });
            if (!result)
                QSKIP("this system does not let the test mount a private tmpfs");
            path = result->section(u'\n', 0, 0);
            answer = result->section(u'\n', 1);
        } else {
            QTemporaryDir dir;
            path = dir.filePath(file);
            answer = closeWith(path, leave);
        }
        const QString expected = QStringLiteral("終了しますか\n設定を保存できませんでした: ") +
                                 path + QStringLiteral(": ") + reason +
                                 QStringLiteral("。保存せずに終了しますか\n") +
                                 (leave ? QStringLiteral("closed") : QStringLiteral("stays"));
        QCOMPARE(answer, expected);
    }
}

void tst_TForm1Hostile::unreadableSettingsAreSaid()
{
    // A folder under the settings file's name cannot be read by anyone, root included.
    QTemporaryDir dir;
    const QString path = dir.filePath("tayori.ini");
    QVERIFY(QDir().mkdir(path));
    ScriptedPrompter prompter;
    TForm1 form(&prompter, path);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(prompter.messages, QStringList{QStringLiteral("設定を読み込めませんでした: ") + path +
                                            QStringLiteral(": ファイルではなくフォルダーです")});
}

void tst_TForm1Hostile::settingsOfAnotherUser()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tayori.ini");
    writeBytes(path, "[Option]\r\nPaper=\"1\"\r\n");
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ExeOwner | QFileDevice::ReadOwner |
                                                  QFileDevice::WriteOwner | QFileDevice::ExeOther |
                                                  QFileDevice::ReadOther));
    const auto read = [&path] {
        SettingsState state;
        LayoutTable layouts;
        QString error;
        const bool ok = SettingsFile::ReadSettings(path, state, layouts, &error);
        return QString(ok ? "read" : "refused") + u'\n' + error + u'\n' +
               QString::number(state.paper);
    };
    QString result;
    if (geteuid() == 0) {
        // Root reads every file: the reading is done by a child that has become "nobody".
        int fds[2];
        QVERIFY(pipe(fds) == 0);
        const pid_t child = fork();
        if (child == 0) {
            ::close(fds[0]);
            const QByteArray text = setuid(65534) == 0 ? read().toUtf8() : QByteArray("no user");
            if (::write(fds[1], text.constData(), size_t(text.size())) < 0)
                ::_exit(1);
            ::_exit(0);
        }
        ::close(fds[1]);
        QByteArray reply;
        char buffer[1024];
        for (ssize_t n = 0; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
            reply.append(buffer, n);
        ::close(fds[0]);
        waitpid(child, nullptr, 0);
        result = QString::fromUtf8(reply);
    } else {
        QVERIFY(QFile::setPermissions(path, {}));
        result = read();
    }
    QCOMPARE(result,
             QStringLiteral("refused\n") + path + QStringLiteral(": 読み込む権限がありません\n0"));
}

void tst_TForm1Hostile::geometryStaysOnScreen_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<bool>("kept");
    QTest::newRow("integer limits") << "top=\"2147483647\"\r\nleft=\"2147483647\"\r\n"
                                       "width=\"2147483647\"\r\nheight=\"2147483647\""
                                    << false;
    QTest::newRow("wider than the screen") << "top=\"0\"\r\nleft=\"0\"\r\nwidth=\"20000\"\r\n"
                                              "height=\"300\""
                                           << false;
    QTest::newRow("off the screen") << "top=\"-5000\"\r\nleft=\"-5000\"\r\nwidth=\"300\"\r\n"
                                       "height=\"200\""
                                    << false;
    QTest::newRow("on the screen is kept") << "top=\"20\"\r\nleft=\"30\"\r\nwidth=\"400\"\r\n"
                                              "height=\"300\""
                                           << true;
}

void tst_TForm1Hostile::geometryStaysOnScreen()
{
    QFETCH(QString, form);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString ini = dir.filePath("tayori.ini");
    writeBytes(ini, cp932::fromUnicode(QStringLiteral("[Form]\r\n") + form + "\r\n"));
    ScriptedPrompter prompter;
    TForm1 window(&prompter, ini);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // On a screen narrower than the window's smallest width the window keeps that width.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize smallest = window.minimumSizeHint();
    const QRect frame = window.frameGeometry();
    const QString where = QStringLiteral("%1,%2 %3x%4")
                              .arg(frame.x())
                              .arg(frame.y())
                              .arg(frame.width())
                              .arg(frame.height());
    QVERIFY2(screen.contains(frame.topLeft()), qPrintable(where));
    QVERIFY2(frame.width() <= qMax(screen.width(), smallest.width() + 10), qPrintable(where));
    QVERIFY2(frame.height() <= qMax(screen.height(), smallest.height() + 10), qPrintable(where));
    QCOMPARE(window.height() == 300 && window.y() <= 20, kept);
}

void tst_TForm1Hostile::longCellsAreCut()
{
    // A mailed list with a cell of a million characters, one of 40,000 and a short one.
    QTemporaryDir dir;
    const QString list = dir.filePath("long.csvu");
    const QString text = QStringLiteral(",宛先,住所１\r\n,") + QString(1000000, u'あ') + u',' +
                         QString(40000, u'x') + QStringLiteral("\r\n,山田,東京\r\n");
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    writeBytes(list, bytes);

    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.LoadDelimitedList(list);
    const AddressGrid& grid = form.addressBook().grid();
    QCOMPARE(grid.cell(1, 1).size(), 32767);
    QCOMPARE(grid.cell(2, 1).size(), 32767);
    QCOMPARE(grid.cell(1, 2), QStringLiteral("山田"));
    QCOMPARE(form.statusPanel(2), QStringLiteral("32767 文字を超えるセルを切り詰めました（2 件）"));
}

QTEST_MAIN(tst_TForm1Hostile)
#include "tst_TForm1Hostile.moc"
