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
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <atomic>
#include <optional>
#include <thread>

#include <poll.h>
#include <sys/inotify.h>
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

QByteArray record(int number, const QByteArray& body)
{
    QByteArray r(4, '\0');
    qToLittleEndian<quint16>(quint16(number), r.data());
    qToLittleEndian<quint16>(quint16(body.size()), r.data() + 2);
    return r + body;
}

QByteArray words(std::initializer_list<quint16> values)
{
    QByteArray b;
    for (const quint16 v : values)
        b.append(char(v & 0xFF)).append(char(v >> 8));
    return b;
}

QByteArray number(int row, int column, double value)
{
    QByteArray v(8, '\0');
    qToLittleEndian<double>(value, v.data());
    return record(0x0203, words({quint16(row), quint16(column), 15}) + v);
}

// A bare BIFF8 workbook of `sheets` worksheets; the first holds `rows` rows numbered in
// column 0 and a last cell in column `lastColumn`.
QByteArray workbook(int sheets, int rows, int lastColumn)
{
    const QByteArray bof = words({0x0600, 0x0010, 0, 0}) + QByteArray(8, '\0');
    QByteArray b = record(0x0809, words({0x0600, 0x0005, 0, 0}) + QByteArray(8, '\0'));
    for (int k = 1; k <= sheets; ++k) {
        const QByteArray name = "S" + QByteArray::number(k);
        b += record(0x0085,
                    QByteArray(4, '\0') + char(0) + char(0) + char(name.size()) + char(0) + name);
    }
    b += record(0x000A, {});
    for (int k = 1; k <= sheets; ++k) {
        b += record(0x0809, bof);
        for (int r = 0; k == 1 && r < rows; ++r)
            b += number(r, 0, r);
        if (k == 1)
            b += number(rows - 1, lastColumn, 1);
        b += record(0x000A, {});
    }
    return b;
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
    void rowsAndSheetsBeyondTheOldLimits();
    void notAWorkbookIsTold_data();
    void notAWorkbookIsTold();
    void cutWhileRead();
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

// Rows past 500 and columns past 32 are shown; sheets past the fifteenth are said.
void tst_TForm1Hostile::rowsAndSheetsBeyondTheOldLimits()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big.xls");
    writeBytes(path, workbook(20, 700, 39));
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.LoadWorkbook(path);
    const AddressGrid& grid = form.addressBook().grid();
    QCOMPARE(grid.rowCount(), 701); // and the spare row
    QCOMPARE(grid.columnCount(), 41);
    QCOMPARE(grid.cell(0, 699), QStringLiteral("699"));
    QCOMPARE(grid.cell(1, 699), QStringLiteral("699"));
    QCOMPARE(grid.cell(40, 699), QStringLiteral("1"));
    QCOMPARE(form.addressBook().tabCaptions().size(), 15);
    QCOMPARE(prompter.messages, QStringList{u"16枚目以降のシートは読み込んでいません"_qs});
    QVERIFY(prompter.errors.isEmpty());
}

// Files in which no workbook starts are refused with the open-failure message.
void tst_TForm1Hostile::notAWorkbookIsTold_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QFile corpus(QStringLiteral(TAYORI_TESTDATA "/xls/sheetjs_biff8_sst.xls"));
    QVERIFY(corpus.open(QIODevice::ReadOnly));
    const QByteArray real = corpus.readAll();
    QTest::newRow("text") << QByteArray("宛先,住所\n山田,東京\n");
    QTest::newRow("zeros") << QByteArray(4096, '\0');
    QTest::newRow("one byte") << QByteArray("x");
    QTest::newRow("empty file") << QByteArray();
    for (int n = 1; n <= 7; ++n)
        QTest::addRow("workbook cut to %d bytes", n) << real.first(n);
    // A plain BIFF2 file starts with its BOF record at once: cut inside it, nothing is left.
    QFile biff2(QStringLiteral(TAYORI_TESTDATA "/xls/sheetjs_biff2.xls"));
    QVERIFY(biff2.open(QIODevice::ReadOnly));
    const QByteArray plain = biff2.readAll();
    for (int n = 2; n <= 7; ++n)
        QTest::addRow("BIFF2 workbook cut to %d bytes", n) << plain.first(n);
    // The stream's size in the directory is 4 GiB: its low 32 bits, all a version 3
    // container keeps, are 0.
    QByteArray huge = real;
    const QByteArray name = QByteArray("W\0o\0r\0k\0b\0o\0o\0k\0", 16);
    const qsizetype entry = huge.indexOf(name);
    QVERIFY(entry > 0);
    qToLittleEndian<quint64>(quint64(1) << 32, huge.data() + entry + 120);
    QTest::newRow("stream size with its low half 0") << huge;
}

void tst_TForm1Hostile::notAWorkbookIsTold()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("list.xls");
    writeBytes(path, bytes);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.LoadWorkbook(path);
    QCOMPARE(prompter.errors, QStringList{u"ﾌｧｲﾙを開くことに失敗しました"_qs});
    QVERIFY(form.addressBook().currentDataFile().isEmpty());
}

// Another program cuts the workbook while the window reads it: the window tells what it
// read or that it could not, and lives on. The cut comes the moment the file is open, while
// the window still works on the file's bytes: a reader over a mapping of the file would die.
void tst_TForm1Hostile::cutWhileRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big.xls");
    const QByteArray bytes = workbook(2, 60000, 31);
    for (int attempt = 0; attempt < 10; ++attempt) {
        writeBytes(path, bytes);
        const QByteArray name = QFile::encodeName(path);
        const int watch = ::inotify_init1(IN_CLOEXEC);
        QVERIFY(watch >= 0 && ::inotify_add_watch(watch, name.constData(), IN_OPEN) >= 0);
        std::thread cutter([&] {
            pollfd opened = {watch, POLLIN, 0};
            if (::poll(&opened, 1, 30000) == 1)
                ::truncate(name.constData(), bytes.size() * (attempt % 4 + 1) / 5);
        });
        ScriptedPrompter prompter;
        TForm1 form(&prompter);
        form.LoadWorkbook(path);
        cutter.join();
        ::close(watch);
        QVERIFY(QFileInfo(path).size() < bytes.size());
        const AddressGrid& grid = form.addressBook().grid();
        if (prompter.errors.isEmpty()) {
            // Whole, or cut and said so.
            const bool whole = grid.rowCount() == 60001;
            QVERIFY2(whole || form.statusPanel(2) == AddressBook::DamagedFileMessage(),
                     qPrintable(QString::number(grid.rowCount())));
            QCOMPARE(grid.cell(1, 1), QStringLiteral("1"));
        } else {
            QCOMPARE(prompter.errors, QStringList{u"ﾌｧｲﾙを開くことに失敗しました"_qs});
        }
    }
}

QTEST_MAIN(tst_TForm1Hostile)
#include "tst_TForm1Hostile.moc"
