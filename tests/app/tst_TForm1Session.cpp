// The session across a restart: settings read at the first showing, the last list reopened,
// settings written when they change and at the confirmed exit, never lost to another window.
#include "DialogTesting.h"
#include "ScriptedPrompter.h"
#include "app/TForm1.h"
#include "common/SettingsText.h"
#include "common/cp932.h"
#include "layout/LayoutTable.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
void writeIni(const QString& path, const QString& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(cp932::fromUnicode(text));
}

template <typename T> T* child(TForm1& form, const char* name)
{
    return form.findChild<T*>(QString::fromLatin1(name));
}

const QString Sample = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");
const QString Edited = QStringLiteral("さっぽろハイツ 401");

// "修正(&E)" on row 2, answered OK with a new "住所２".
void editRow2(TForm1& form)
{
    auto* grid = Child<QAbstractItemView>(form, "TntStringGrid1");
    grid->setCurrentIndex(grid->model()->index(2, 3));
    form.TntStringGrid1SelectCell(3, 2);
    int shown = 0;
    AnswerDialogs(form, QStringLiteral("Button2"), &shown,
                  [](QDialog& d) { Child<QLineEdit>(d, "redtAdd2")->setText(Edited); });
    form.E1Click();
    QCOMPARE(shown, 1);
}

// Shows the window of a session over `ini`, then opens `list` through "住所録を開く(&J)" when
// one is given, and confirms the exit.
void runSession(const QString& ini, const QString& list = QString())
{
    ScriptedPrompter prompter;
    prompter.openAnswers << list;
    prompter.confirmAnswers << true;
    TForm1 form(&prompter, ini);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    if (!list.isEmpty()) {
        form.J1Click();
        QCOMPARE(form.currentDataFile(), list);
    }
    QVERIFY(form.close());
}
} // namespace

class tst_TForm1Session : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reopen_data();
    void reopen();
    void settingsApplied();
    void changesReachTheFile_data();
    void changesReachTheFile();
    void twoWindowsKeepBothChanges();
    void failedSaveToldOnce();
    void editSaveReopen();
    void unsavedEditsAsk_data();
    void unsavedEditsAsk();
    void pathOutsideCodePageReopens();
    void relativePathReopens();
};

void tst_TForm1Session::reopen_data()
{
    QTest::addColumn<QString>("dataFile");
    QTest::addColumn<bool>("reopen");
    QTest::addColumn<QString>("firstTab");
    QTest::addColumn<QString>("copyAs"); // the list is a copy of that name
    const QString sample = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");
    const QString csvu = QStringLiteral(TAYORI_TESTDATA "/csv/saved_list_utf16le.csvu");
    const QString csv = QStringLiteral(TAYORI_TESTDATA "/csv/addresses_cp932.csv");
    QTest::newRow("workbook reopened")
        << sample << true << QString::fromUtf8("家族・友人") << QString();
    QTest::newRow("csvu reopened") << csvu << true << "saved_list_utf16le" << QString();
    QTest::newRow("csv reopened") << csv << true << "addresses_cp932" << QString();
    QTest::newRow("upper-case .CSV reopened") << csv << true << "LIST"
                                              << "LIST.CSV";
    QTest::newRow("option off") << sample << false << "Sheet1" << QString();
    QTest::newRow("missing file, no message")
        << "/no/such/list.xls" << true << "Sheet1" << QString();
}

void tst_TForm1Session::reopen()
{
    QFETCH(QString, dataFile);
    QFETCH(bool, reopen);
    QFETCH(QString, firstTab);
    QFETCH(QString, copyAs);
    QTemporaryDir dir;
    if (!copyAs.isEmpty()) {
        QVERIFY(QFile::copy(dataFile, dir.filePath(copyAs)));
        dataFile = dir.filePath(copyAs);
    }
    const QString ini = dir.filePath(QStringLiteral("tayori.ini"));
    writeIni(ini, QStringLiteral("[Menu]\r\nReadData=\"%1\"\r\n[FILE]\r\nDataFile=\"%2\"\r\n")
                      .arg(reopen ? "True" : "False", dataFile));
    ScriptedPrompter prompter;
    TForm1 form(&prompter, ini);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(child<QTabBar>(form, "TabControl1")->tabText(0), firstTab);
    const bool loaded = firstTab != u"Sheet1";
    QCOMPARE(form.currentDataFile(), loaded ? dataFile : QString());
    QVERIFY(prompter.messages.isEmpty());
    QVERIFY(prompter.errors.isEmpty());
    if (loaded)
        QCOMPARE(child<QLineEdit>(form, "TntRichEdit1")->text(),
                 form.addressBook().grid().rowText(1));
}

void tst_TForm1Session::settingsApplied()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("tayori.ini"));
    writeIni(ini,
             QString::fromUtf8("[Option]\r\nPaper=\"1\"\r\nReadData=\"2\"\r\nHosei=\"12,-3\"\r\n"
                               "StartOfPaper=\"3\"\r\nBarCode=\"True\"\r\n[Menu]\r\n"
                               "NoSetPrinter=\"True\"\r\nUseKeisho1=\"殿\"\r\n"));
    ScriptedPrompter prompter;
    TForm1 form(&prompter, ini);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(child<QRadioButton>(form, "rdoA4")->isChecked());
    QCOMPARE(form.currentLayoutKind(), LayoutKind::YT);
    QCOMPARE(child<QLineEdit>(form, "edtHoseiX")->text(), QStringLiteral("12"));
    QCOMPARE(child<QLineEdit>(form, "edtHoseiY")->text(), QStringLiteral("-3"));
    QCOMPARE(child<QLineEdit>(form, "edtStartOfPaper")->text(), QStringLiteral("3"));
    QVERIFY(child<QAction>(form, "P2")->isChecked());
    QVERIFY(form.options().useCustomerBarcode);
    QCOMPARE(form.options().defaultHonorific1, QString::fromUtf8("殿"));
}

void tst_TForm1Session::changesReachTheFile_data()
{
    QTest::addColumn<QString>("exit"); // how the session goes on after the changes
    QTest::newRow("exit confirmed") << "OK";
    QTest::newRow("exit cancelled") << "Cancel";
    QTest::newRow("no exit") << "";
}

// A change is saved soon, whether or not the user ever confirms an exit; a confirmed exit
// saves at once.
void tst_TForm1Session::changesReachTheFile()
{
    QFETCH(QString, exit);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("tayori.ini"));
    ScriptedPrompter prompter;
    TForm1 form(&prompter, ini);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    child<QRadioButton>(form, "rdoA3")->setChecked(true);
    child<QAction>(form, "R1")->setChecked(true);
    if (!exit.isEmpty()) {
        prompter.confirmAnswers << (exit == u"OK");
        QCOMPARE(form.close(), exit == u"OK");
    }
    if (exit == u"OK")
        QCOMPARE(SettingsText::ReadSetting(ini, "Option", "Paper"), QStringLiteral("2"));
    QTRY_COMPARE_WITH_TIMEOUT(SettingsText::ReadSetting(ini, "Option", "Paper"),
                              QStringLiteral("2"), 10000);
    QCOMPARE(SettingsText::ReadSetting(ini, "Menu", "ReadData"), QStringLiteral("True"));
    // TT's Atena as the defaults have it, found under the key the writer spells "item17".
    QCOMPARE(
        SettingsText::ReadSetting(ini, "ITEMFONT", "ITEM17"),
        LayoutTable::recordText(LayoutTable::defaultRecord(LayoutKind::TT, LayoutItem::Atena)));
    QVERIFY(!SettingsText::IsMissingValue(SettingsText::ReadSetting(ini, "ITEMFONT", "ITEM38")));
}

// Two windows on one settings file (a second list opened from the file manager): the one
// closed last does not undo what the other changed.
void tst_TForm1Session::twoWindowsKeepBothChanges()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("tayori.ini"));
    writeIni(ini, QStringLiteral("[Option]\r\nPaper=\"0\"\r\n[Menu]\r\nReadData=\"False\"\r\n"));
    ScriptedPrompter prompter;
    prompter.confirmAnswers << true << true;
    TForm1 first(&prompter, ini);
    TForm1 second(&prompter, ini);
    first.show();
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    child<QRadioButton>(first, "rdoA3")->setChecked(true);
    child<QAction>(second, "R1")->setChecked(true);
    QVERIFY(first.close());
    QVERIFY(second.close());
    QCOMPARE(SettingsText::ReadSetting(ini, "Option", "Paper"), QStringLiteral("2"));
    QCOMPARE(SettingsText::ReadSetting(ini, "Menu", "ReadData"), QStringLiteral("True"));
}

// A settings file that cannot be written is told in the status bar, not at every change.
void tst_TForm1Session::failedSaveToldOnce()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("no such folder/tayori.ini"));
    ScriptedPrompter prompter;
    TForm1 form(&prompter, ini);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    child<QRadioButton>(form, "rdoA3")->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT(form.statusPanel(2).startsWith(u"設定を保存できませんでした"), 10000);
    form.setStatusPanel(2, QString());
    child<QRadioButton>(form, "rdoA4")->setChecked(true);
    const auto* timer = form.findChild<QTimer*>(QStringLiteral("SettingsSaveTimer"));
    QVERIFY(timer && timer->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), 10000);
    QCOMPARE(form.statusPanel(2), QString());
    QVERIFY(prompter.questionTexts().isEmpty());
    QVERIFY(prompter.errors.isEmpty());
}

// A user's round: open the sample workbook, correct an address, save the list as CSVU, open
// the saved list again; the correction and every other cell come back.
void tst_TForm1Session::editSaveReopen()
{
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("住所録.csvu"));
    ScriptedPrompter prompter;
    prompter.openAnswers << QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls") << saved;
    prompter.saveAnswers << saved;
    TForm1 form(&prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.LoadBtnClick();
    QCOMPARE(form.addressBook().grid().cell(1, 2), QString::fromUtf8("佐藤 一郎"));

    auto* grid = Child<QAbstractItemView>(form, "TntStringGrid1");
    grid->setCurrentIndex(grid->model()->index(2, 3));
    form.TntStringGrid1SelectCell(3, 2);
    int shown = 0;
    AnswerDialogs(form, QStringLiteral("Button2"), &shown, [](QDialog& d) {
        Child<QLineEdit>(d, "redtAdd2")->setText(QString::fromUtf8("さっぽろハイツ 401"));
    });
    form.E1Click();
    QCOMPARE(shown, 1);
    const AddressGrid& g = form.addressBook().grid();
    QCOMPARE(g.cell(4, 2), QString::fromUtf8("さっぽろハイツ 401"));
    QList<QStringList> before;
    for (int r = 0; r < g.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < g.columnCount(); ++c)
            cells << g.cell(c, r);
        before << cells;
    }

    form.H2Click();
    QVERIFY(prompter.errors.isEmpty());
    QVERIFY(QFile::exists(saved));
    form.J1Click();
    QCOMPARE(form.currentDataFile(), saved);
    QCOMPARE(Child<QTabBar>(form, "TabControl1")->count(), 1);
    QCOMPARE(g.cell(4, 2), QString::fromUtf8("さっぽろハイツ 401"));
    // The reopened list has 32 columns where the sheet showed 16, and an empty field comes
    // back as the single space that marks an empty cell; every text is back.
    QCOMPARE(g.rowCount(), int(before.size()));
    for (int r = 0; r < before.size(); ++r)
        for (int c = 0; c < before[r].size(); ++c)
            QCOMPARE(g.cell(c, r).trimmed(), before[r][c].trimmed());
}

void tst_TForm1Session::unsavedEditsAsk_data()
{
    QTest::addColumn<QStringList>("steps"); // after the edit
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("questions");
    const QString unsaved = QStringLiteral("変更された住所録が保存されていません。終了しますか");
    // Opening is no exit: the question says the edits go and the list opens.
    const QString discard =
        QStringLiteral("変更された住所録が保存されていません。変更を破棄して開きますか");
    const QString exit = QStringLiteral("終了しますか");
    QTest::newRow("exit asks about the edits")
        << QStringList{"exit"} << QList<bool>{false} << QStringList{unsaved};
    QTest::newRow("saved: the usual question")
        << QStringList{"save", "exit"} << QList<bool>{false} << QStringList{exit};
    QTest::newRow("another list, Cancel keeps the edits")
        << QStringList{"open"} << QList<bool>{false} << QStringList{discard};
    QTest::newRow("another list, OK opens it")
        << QStringList{"open", "exit"} << QList<bool>{true, false} << QStringList{discard, exit};
}

void tst_TForm1Session::unsavedEditsAsk()
{
    QFETCH(QStringList, steps);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, questions);
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other.csv"));
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("宛先,郵便番号\n鈴木,1000001\n");
    file.close();
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.LoadWorkbook(Sample);
    editRow2(form);
    for (bool answer : answers)
        prompter.confirmAnswers << answer;

    for (const QString& step : steps) {
        if (step == u"save") {
            prompter.saveAnswers << dir.filePath(QStringLiteral("saved.csvu"));
            form.H2Click();
        } else if (step == u"open") {
            prompter.openAnswers << other;
            form.LoadBtnClick();
        } else {
            QVERIFY(!form.close()); // answered Cancel
        }
    }
    QCOMPARE(prompter.questionTexts(), questions);
    const bool kept = answers.front() == false;
    QCOMPARE(form.currentDataFile(), kept ? Sample : other);
    QCOMPARE(form.addressBook().grid().cell(4, 2) == Edited, kept);
}

// A list in a folder whose name code page 932 cannot hold is reopened at the next start; a
// later list that it can hold replaces it.
void tst_TForm1Session::pathOutsideCodePageReopens()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("tayori.ini"));
    writeIni(ini, QStringLiteral("[Menu]\r\nReadData=\"True\"\r\n"));
    const QString source = QStringLiteral(TAYORI_TESTDATA "/csv/saved_list_utf16le.csvu");
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Müller 𠮷野")));
    const QString outside = dir.filePath(QStringLiteral("Müller 𠮷野/名簿.csvu"));
    const QString inside = dir.filePath(QStringLiteral("名簿.csvu"));
    QVERIFY(QFile::copy(source, outside) && QFile::copy(source, inside));

    runSession(ini, outside);
    // Older readers find the code page 932 form where they always did.
    QCOMPARE(SettingsText::ReadSetting(ini, "FILE", "DataFile"),
             cp932::toUnicode(cp932::fromUnicode(outside)));
    ScriptedPrompter prompter;
    {
        TForm1 form(&prompter, ini);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.currentDataFile(), outside);
    }
    runSession(ini, inside);
    TForm1 form(&prompter, ini);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.currentDataFile(), inside);
}

// A list opened by a name relative to the working folder reopens at a start from elsewhere.
void tst_TForm1Session::relativePathReopens()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("tayori.ini"));
    writeIni(ini, QStringLiteral("[Menu]\r\nReadData=\"True\"\r\n"));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("lists")));
    const QString list = dir.filePath(QStringLiteral("lists/名簿.csvu"));
    QVERIFY(QFile::copy(QStringLiteral(TAYORI_TESTDATA "/csv/saved_list_utf16le.csvu"), list));
    const auto restore = qScopeGuard([before = QDir::currentPath()] { QDir::setCurrent(before); });
    QVERIFY(QDir::setCurrent(dir.filePath(QStringLiteral("lists"))));
    runSession(ini, QStringLiteral("名簿.csvu"));
    QVERIFY(QDir::setCurrent(dir.path()));
    ScriptedPrompter prompter;
    TForm1 form(&prompter, ini);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(QFileInfo(form.currentDataFile()).canonicalFilePath(),
             QFileInfo(list).canonicalFilePath());
}

QTEST_MAIN(tst_TForm1Session)
#include "tst_TForm1Session.moc"
