#include "DialogTesting.h"
#include "ScriptedPrompter.h"
#include "app/TForm1.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

namespace {

const QString OpenFilter = QStringLiteral(
    "住所録(*.xls;*.xlsx;*.ods;*.vcf;*.csv;*.csvu;*.txt)|"
    "*.XLS;*.XLSX;*.XLSM;*.ODS;*.VCF;*.VCARD;*.CSV;*.CSVU;*.TXT|"
    "エクセル(*.xls;*.xlsx)|*.XLS;*.XLSX;*.XLSM|OpenDocument(*.ods)|*.ODS|"
    "vCard(*.vcf)|*.VCF;*.VCARD|CSVU(*.csvu;*.csv;*.txt)|*.CSV;*.CSVU;*.TXT|すべて(*.*)|*.*");
const QString J1Filter =
    QStringLiteral("CSV;CSVU;テキスト(*.csv;*.csvu;*.txt)|*.CSV;*.CSVU;*.TXT|すべて(*.*)|*.*");
const QString UnsupportedNotice = QStringLiteral("エクセルファイルかCSVUファイルに対応しています");

template <typename T> T* child(QObject& form, const char* name)
{
    T* object = form.findChild<T*>(QString::fromLatin1(name));
    if (!object)
        qWarning("no %s named %s", T::staticMetaObject.className(), name);
    return object;
}

} // namespace

class tst_TForm1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void controls_data();
    void controls();
    void exitAsks_data();
    void exitAsks();
    void abortWhilePrinting_data();
    void abortWhilePrinting();
    void openListFiles_data();
    void openListFiles();
    void workbookFailureKeepsSession_data();
    void workbookFailureKeepsSession();
    void damagedWorkbookIsTold();
    void unreadableWorkbookIsRefused();
    void selectionIsPrintRange_data();
    void selectionIsPrintRange();
    void selectedCellShown_data();
    void selectedCellShown();
    void tabsSwitchSheets_data();
    void tabsSwitchSheets();
    void redrawKeepsSelection();
    void columnWidthsReachTheView();
    void layoutKind_data();
    void layoutKind();
};

void tst_TForm1::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tayori"));
}

void tst_TForm1::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("menu"); // the menu that must hold the action

    auto row = [](const char* rowName, const char* name, const char* property, QVariant value,
                  const char* menu = "") {
        QTest::newRow(rowName) << QString::fromUtf8(name) << QString::fromLatin1(property) << value
                               << QString::fromLatin1(menu);
    };
    auto text = [](const char* utf8) { return QVariant(QString::fromUtf8(utf8)); };

    row("menu ファイル", "F1", "title", text("ファイル(&F)"), "MainMenu1");
    row("開く", "O1", "text", text("開く(&O)"), "F1");
    row("住所録を開く", "J1", "text", text("住所録を開く(&J)"), "F1");
    row("住所録を保存", "H2", "text", text("住所録を保存(&H)"), "F1");
    row("プリンター", "P1", "text", text("プリンター(&P)"), "F1");
    row("宛名印刷", "N1", "text", text("宛名印刷(&N)"), "F1");
    row("リスト印刷", "L1", "text", text("リスト印刷(&L)"), "F1");
    row("終了", "X1", "text", text("終了(&X)"), "F1");
    row("menu 表示", "V2", "title", text("表示(&V)"), "MainMenu1");
    row("プレビュー", "purebyu1", "text", text("プレビュー(&V)"), "V2");
    row("住所リスト情報", "D1", "text", text("住所リスト情報(&D)"), "V2");
    row("menu 設定", "O2", "title", text("設定(&O)"), "MainMenu1");
    row("用紙設定をしない", "P2", "text", text("プリンターの用紙設定をしない(&P)"), "O2");
    row("前回リスト", "R1", "text", text("起動時に前回リストを読み込む(&R)"), "O2");
    row("オプション設定", "O3", "text", text("オプション設定(&O)"), "O2");
    row("menu ヘルプ", "H3", "title", text("ヘルプ(&H)"), "MainMenu1");
    row("使用方法", "H1", "text", text("使用方法(&H)"), "H3");
    row("バージョン表示", "V1", "text", text("バージョン表示(&V)"), "H3");
    row("context 修正", "E1", "text", text("修正(&E)"), "PopupMenu1");

    row("button 開く", "Button2", "text", text("開く"));
    row("button プレビュー", "Button5", "text", text("ﾌﾟﾚﾋﾞｭｰ"));
    row("button 印刷", "btnPrint", "text", text("印刷"));
    row("button 印刷 hint", "btnPrint", "toolTip", text("選択している住所の印刷をします"));
    row("button 終了", "btnExit", "text", text("終了"));
    row("button 終了 hint", "btnExit", "toolTip", text("プログラムを終了します"));

    row("ハガキ", "rdOHagaki", "text", text("ハガキ(1枚)"));
    row("A4", "rdoA4", "text", text("Ａ4（4枚)"));
    row("A3", "rdoA3", "text", text("Ａ3（8枚)"));
    row("横置き", "rdoYokoOki", "text", text("横置き"));
    row("縦置き", "rdoTateOki", "text", text("縦置き"));
    row("横書き", "rdoYokoGaki", "text", text("横書き"));
    row("縦書き", "rdoTateGaki", "text", text("縦書き"));
    row("ハガキ checked", "rdOHagaki", "checked", true);
    row("縦置き checked", "rdoTateOki", "checked", true);
    row("縦書き checked", "rdoTateGaki", "checked", true);

    row("開始", "edtStartLine", "text", text("0"));
    row("終了 line", "edtEndLine", "text", text("0"));
    row("用紙枚数", "edtMaisu", "text", text("0"));
    row("用紙枚数 read-only", "edtMaisu", "readOnly", true);
    row("補正 左", "edtHoseiX", "text", text("0"));
    row("補正 上", "edtHoseiY", "text", text("0"));
    row("開始位置", "edtStartOfPaper", "text", text("0"));

    row("progress range from", "ProgressBar1", "minimum", 0);
    row("progress range to", "ProgressBar1", "maximum", 100);
    row("one tab at start", "TabControl1", "count", 1);
    for (const char* name : {"Panel1", "Panel2", "TntRichEdit1", "TntStringGrid1", "TntStatusBar1",
                             "MainMenu1", "PopupMenu1", "Edit1"})
        row(name, name, "", QVariant());
}

void tst_TForm1::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    QFETCH(QString, menu);

    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    QObject* object = form.findChild<QObject*>(name);
    QVERIFY2(object, qPrintable(name));
    if (!property.isEmpty())
        QCOMPARE(object->property(property.toLatin1().constData()), value);
    if (menu.isEmpty())
        return;
    QWidget* container = form.findChild<QWidget*>(menu);
    QVERIFY2(container, qPrintable(menu));
    QAction* action = qobject_cast<QAction*>(object);
    if (auto* submenu = qobject_cast<QMenu*>(object))
        action = submenu->menuAction();
    QVERIFY(action);
    QVERIFY2(container->actions().contains(action), "in the wrong menu");
}

void tst_TForm1::exitAsks_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("answer");
    for (const char* way : {"button", "menu", "close box"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, OK closes").arg(way))) << way << true;
        QTest::newRow(qPrintable(QStringLiteral("%1, Cancel keeps running").arg(way)))
            << way << false;
    }
}

void tst_TForm1::exitAsks()
{
    QFETCH(QString, way);
    QFETCH(bool, answer);
    ScriptedPrompter prompter;
    prompter.confirmAnswers << answer;
    TForm1 form(&prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.windowTitle(), QStringLiteral("Tayori"));
    QVERIFY(!child<QWidget>(form, "Panel1")->isVisible());
    QVERIFY(!child<QWidget>(form, "ProgressBar1")->isVisible());

    if (way == u"button")
        QTest::mouseClick(child<QPushButton>(form, "btnExit"), Qt::LeftButton);
    else if (way == u"menu")
        child<QAction>(form, "X1")->trigger();
    else
        QCOMPARE(form.windowHandle()->close(), answer);

    QCOMPARE(prompter.questionTexts(), QStringList{QStringLiteral("終了しますか")});
    QVERIFY(prompter.questions.constFirst().caption.isEmpty()); // the application's title
    QCOMPARE(form.isVisible(), !answer);
    QVERIFY(prompter.unanswered.isEmpty());
}

void tst_TForm1::abortWhilePrinting_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("caption");
    QTest::newRow("OK aborts") << true << QStringLiteral("終了");
    QTest::newRow("Cancel keeps printing") << false << QStringLiteral("印刷中断");
}

void tst_TForm1::abortWhilePrinting()
{
    QFETCH(bool, answer);
    QFETCH(QString, caption);
    ScriptedPrompter prompter;
    prompter.confirmAnswers << answer;
    TForm1 form(&prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* exit = child<QPushButton>(form, "btnExit");
    exit->setText(QStringLiteral("印刷中断"));

    QTest::mouseClick(exit, Qt::LeftButton);

    QCOMPARE(prompter.questions.size(), 1);
    QCOMPARE(prompter.questions[0].text, QStringLiteral("中断しますか"));
    QCOMPARE(prompter.questions[0].caption, QStringLiteral("実行確認"));
    QCOMPARE(exit->text(), caption);
    QCOMPARE(form.AbortRequested, answer);
    QVERIFY(form.isVisible()); // aborting never closes the window
}

void tst_TForm1::openListFiles_data()
{
    QTest::addColumn<bool>("j1"); // "住所録を開く(&J)" rather than "開く"
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("loads");
    for (bool j1 : {false, true}) {
        const QByteArray command = j1 ? "J1: " : "open: ";
        QTest::newRow(command + "upper-case .CSV") << j1 << QStringLiteral("LIST.CSV") << true;
        QTest::newRow(command + "lower-case .csv") << j1 << QStringLiteral("list.csv") << true;
        QTest::newRow(command + "text save .txt") << j1 << QStringLiteral("list.txt") << true;
        QTest::newRow(command + "no extension") << j1 << QStringLiteral("list") << false;
        QTest::newRow(command + "dot in folder only")
            << j1 << QStringLiteral("lists.xls/list") << false;
        QTest::newRow(command + "cancelled") << j1 << QString() << false;
    }
}

void tst_TForm1::openListFiles()
{
    QFETCH(bool, j1);
    QFETCH(QString, fileName);
    QFETCH(bool, loads);
    QTemporaryDir dir;
    const QString path = fileName.isEmpty() ? QString() : dir.filePath(fileName);
    if (loads) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("宛先,郵便番号\n鈴木花子,1000001\n").toUtf8());
    }
    ScriptedPrompter prompter;
    prompter.openAnswers << path;
    TForm1 form(&prompter);
    AddressBook& book = form.addressBook();
    FillBook(book, {QStringLiteral("名簿")},
             {{1, 0, 0, QStringLiteral("宛先")}, {1, 1, 0, QStringLiteral("山田太郎")}});
    auto* rowText = child<QLineEdit>(form, "TntRichEdit1");
    rowText->setText(QStringLiteral("unchanged"));

    j1 ? form.J1Click() : form.LoadBtnClick();

    QCOMPARE(prompter.openQuestions.size(), 1);
    QCOMPARE(prompter.openQuestions[0].filter, j1 ? J1Filter : OpenFilter);
    // "開く" tells about a file it cannot read; "住所録を開く(&J)" ignores it.
    const bool notice = !j1 && !loads && !fileName.isEmpty();
    QCOMPARE(form.statusPanel(2), notice ? UnsupportedNotice : QString());
    QVERIFY(prompter.messages.isEmpty());
    QVERIFY(prompter.errors.isEmpty());
    QCOMPARE(book.grid().cell(1, 1),
             loads ? QStringLiteral("鈴木花子") : QStringLiteral("山田太郎"));
    QCOMPARE(book.tabCaptions(),
             QStringList{loads ? QFileInfo(path).completeBaseName() : QStringLiteral("名簿")});
    QCOMPARE(form.windowTitle(),
             loads ? path + QStringLiteral(" -Tayori") : QStringLiteral("Tayori"));
    if (!j1)
        QCOMPARE(rowText->text(),
                 fileName.isEmpty() ? QStringLiteral("unchanged") : book.grid().rowText(1));
}

void tst_TForm1::workbookFailureKeepsSession_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("lower-case .xls") << QStringLiteral("broken.xls");
    QTest::newRow("upper-case .XLS") << QStringLiteral("BROKEN.XLS");
    QTest::newRow("mixed-case .Xls") << QStringLiteral("broken.Xls");
}

void tst_TForm1::workbookFailureKeepsSession()
{
    QFETCH(QString, fileName);
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // A BIFF8 globals BOF, then a shared-string table longer than any record may be.
    file.write(QByteArray::fromHex("0908100000060500000000000000000000000000"));
    file.write(QByteArray::fromHex("fc002823") + QByteArray(9000, '\0'));
    file.close();

    ScriptedPrompter prompter;
    prompter.openAnswers << path;
    TForm1 form(&prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.addressBook().setCurrentDataFile(QStringLiteral("/earlier/list.xls"));

    form.LoadBtnClick();

    QCOMPARE(prompter.errors.size(), 1);
    QCOMPARE(prompter.errors[0], QStringLiteral("未知のフォーマット."));
    QVERIFY(prompter.messages.isEmpty());
    QVERIFY(form.statusPanel(2).isEmpty()); // an .xls is supported, whatever its case
    QVERIFY(!child<QWidget>(form, "ProgressBar1")->isVisible());
    QCOMPARE(form.windowTitle(), QStringLiteral("Tayori"));
    QCOMPARE(form.currentDataFile(), QStringLiteral("/earlier/list.xls"));
}

void tst_TForm1::damagedWorkbookIsTold()
{
    // A workbook cut short loads what was before the cut and says the file was not whole.
    QFile whole(QStringLiteral(TAYORI_TESTDATA "/xls/writeexcel_biff8.xls"));
    QVERIFY(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.xls"));
    QFile cut(path);
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() * 6 / 10));
    cut.close();

    ScriptedPrompter prompter;
    prompter.openAnswers << path;
    TForm1 form(&prompter);
    form.LoadBtnClick();

    QCOMPARE(form.statusPanel(2),
             u"ファイルの一部が読めませんでした（破損している可能性があります）"_qs);
    QVERIFY(prompter.errors.isEmpty());
    QCOMPARE(form.currentDataFile(), path);
    QCOMPARE(form.addressBook().grid().cell(1, 0), QStringLiteral("宛先"));
    QVERIFY(!form.addressBook().grid().cell(1, 1).trimmed().isEmpty());
}

void tst_TForm1::unreadableWorkbookIsRefused()
{
    // A folder bearing the list's name cannot be opened for reading, also by root.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("held.xls"));
    QVERIFY(QDir().mkdir(path));

    ScriptedPrompter prompter;
    prompter.openAnswers << path;
    TForm1 form(&prompter);
    FillBook(form.addressBook(), {QStringLiteral("名簿")}, {{1, 1, 0, QStringLiteral("山田")}});

    form.LoadBtnClick();

    QCOMPARE(prompter.messages,
             QStringList{QStringLiteral("他のアプリケーションで開かれています。")});
    QVERIFY(prompter.errors.isEmpty());
    QCOMPARE(form.addressBook().grid().cell(1, 1), QStringLiteral("山田"));
    QCOMPARE(child<QTabBar>(form, "TabControl1")->count(), 1);
    QCOMPARE(form.windowTitle(), QStringLiteral("Tayori"));
    QVERIFY(!child<QWidget>(form, "ProgressBar1")->isVisible());
}

void tst_TForm1::selectionIsPrintRange_data()
{
    QTest::addColumn<int>("pressRow");
    QTest::addColumn<int>("releaseRow");
    QTest::addColumn<int>("shiftDowns");     // Shift+Down presses after the mouse
    QTest::addColumn<QStringList>("fields"); // 開始, 終了, 用紙枚数
    QTest::newRow("drag rows 3 to 7") << 3 << 7 << 0 << QStringList{"3", "7", "5"};
    QTest::newRow("drag rows 7 up to 3") << 7 << 3 << 0 << QStringList{"3", "7", "5"};
    QTest::newRow("click one row") << 4 << 4 << 0 << QStringList{"4", "4", "1"};
    QTest::newRow("keyboard extends") << 2 << 2 << 2 << QStringList{"2", "4", "3"};
}

void tst_TForm1::selectionIsPrintRange()
{
    QFETCH(int, pressRow);
    QFETCH(int, releaseRow);
    QFETCH(int, shiftDowns);
    QFETCH(QStringList, fields);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* grid = child<QTableView>(form, "TntStringGrid1");
    grid->setFocus();
    const QPoint from = grid->visualRect(grid->model()->index(pressRow, 2)).center();
    const QPoint to = grid->visualRect(grid->model()->index(releaseRow, 2)).center();

    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(grid->viewport(), to);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, to);
    for (int i = 0; i < shiftDowns; ++i)
        QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);

    QCOMPARE((QStringList{child<QLineEdit>(form, "edtStartLine")->text(),
                          child<QLineEdit>(form, "edtEndLine")->text(),
                          child<QLineEdit>(form, "edtMaisu")->text()}),
             fields);
}

void tst_TForm1::selectedCellShown_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("key"); // pressed after the click, 0 for none
    QTest::addColumn<QString>("panel");
    QTest::addColumn<int>("shownRow");
    QTest::newRow("click column 2 row 3") << 2 << 3 << 0 << "2 3" << 3;
    QTest::newRow("click then down") << 2 << 3 << int(Qt::Key_Down) << "2 4" << 4;
    QTest::newRow("click then right") << 1 << 5 << int(Qt::Key_Right) << "2 5" << 5;
}

void tst_TForm1::selectedCellShown()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(int, key);
    QFETCH(QString, panel);
    QFETCH(int, shownRow);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    FillBook(form.addressBook(), {QStringLiteral("名簿")},
             {{1, 2, 0, QStringLiteral("山田 太郎")},
              {1, 2, 1, QStringLiteral("東京都")},
              {1, 3, 0, QStringLiteral("鈴木")},
              {1, 4, 0, QStringLiteral("佐藤, 花子")}});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* grid = child<QTableView>(form, "TntStringGrid1");
    grid->setFocus();

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(row, column)).center());
    if (key)
        QTest::keyClick(grid, Qt::Key(key));

    QCOMPARE(form.statusPanel(0), panel);
    const QString expected = form.addressBook().grid().rowText(shownRow);
    QCOMPARE(child<QLineEdit>(form, "TntRichEdit1")->text(), expected);
    QVERIFY(expected.startsWith(QString::number(shownRow) + u','));
}

void tst_TForm1::tabsSwitchSheets_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("firstCell");
    QTest::newRow("second tab") << QList<int>{1} << QStringLiteral("氏名")
                                << QStringLiteral("鈴木");
    QTest::newRow("third tab") << QList<int>{2} << QStringLiteral("宛先") << QStringLiteral("佐藤");
    QTest::newRow("back to first")
        << QList<int>{2, 0} << QStringLiteral("宛先") << QStringLiteral("山田");
}

void tst_TForm1::tabsSwitchSheets()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QString, header);
    QFETCH(QString, firstCell);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    FillBook(form.addressBook(),
             {QStringLiteral("住所録"), QStringLiteral("友人"), QStringLiteral("会社")},
             {{1, 0, 0, QStringLiteral("宛先|敬称付き")},
              {1, 1, 0, QStringLiteral("山田")},
              {2, 0, 0, QStringLiteral("氏名")},
              {2, 1, 0, QStringLiteral("鈴木")},
              {3, 0, 0, QStringLiteral("宛先")},
              {3, 1, 0, QStringLiteral("佐藤")}});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* tabs = child<QTabBar>(form, "TabControl1");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("住所録"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("会社"));

    for (int index : clicks)
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());

    auto* grid = child<QTableView>(form, "TntStringGrid1");
    QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), header);
    QCOMPARE(grid->model()->index(1, 1).data().toString(), firstCell);
    QCOMPARE(grid->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("1"));
}

void tst_TForm1::redrawKeepsSelection()
{
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    FillBook(form.addressBook(), {QStringLiteral("住所録"), QStringLiteral("友人")},
             {{1, 9, 0, QStringLiteral("山田")}, {2, 1, 0, QStringLiteral("鈴木")}});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* grid = child<QTableView>(form, "TntStringGrid1");
    grid->selectionModel()->select(
        QItemSelection(grid->model()->index(3, 1), grid->model()->index(7, 1)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);

    auto* tabs = child<QTabBar>(form, "TabControl1");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCOMPARE(grid->model()->index(1, 1).data().toString(), QStringLiteral("鈴木"));

    // The tool bar still names rows 3 to 7, so the grid must still show them selected.
    QCOMPARE(child<QLineEdit>(form, "edtStartLine")->text(), QStringLiteral("3"));
    QCOMPARE(child<QLineEdit>(form, "edtEndLine")->text(), QStringLiteral("7"));
    QVERIFY(grid->selectionModel()->isRowSelected(3));
    QVERIFY(grid->selectionModel()->isRowSelected(7));
    QVERIFY(!grid->selectionModel()->isRowSelected(8));
}

void tst_TForm1::columnWidthsReachTheView()
{
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    AddressBook& book = form.addressBook();
    book.XBiff1ReadColW(1, 0, 2048);
    book.XBiff1ReadColW(1, 1, 4096);
    FillBook(book, {QStringLiteral("名簿")}, {{1, 1, 20, QStringLiteral("x")}});
    auto* grid = child<QTableView>(form, "TntStringGrid1");
    QCOMPARE(grid->columnWidth(1), 64);
    QCOMPARE(grid->columnWidth(2), 128);
    QCOMPARE(grid->model()->columnCount(), 22);
    // The header row and the fixed column are shown as the headers.
    QVERIFY(grid->isRowHidden(0));
    QVERIFY(grid->isColumnHidden(0));
    QCOMPARE(grid->verticalHeader()->width(), 30);
}

void tst_TForm1::layoutKind_data()
{
    QTest::addColumn<QString>("orientation");
    QTest::addColumn<QString>("writing");
    QTest::addColumn<LayoutKind>("kind");
    QTest::newRow("縦置き 縦書き") << "rdoTateOki"
                                   << "rdoTateGaki" << LayoutKind::TT;
    QTest::newRow("縦置き 横書き") << "rdoTateOki"
                                   << "rdoYokoGaki" << LayoutKind::TY;
    QTest::newRow("横置き 縦書き") << "rdoYokoOki"
                                   << "rdoTateGaki" << LayoutKind::YT;
    QTest::newRow("横置き 横書き") << "rdoYokoOki"
                                   << "rdoYokoGaki" << LayoutKind::YY;
}

void tst_TForm1::layoutKind()
{
    QFETCH(QString, orientation);
    QFETCH(QString, writing);
    QFETCH(LayoutKind, kind);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Start from the other corner so that each click really changes something.
    child<QRadioButton>(form, "rdoYokoOki")->click();
    child<QRadioButton>(form, "rdoYokoGaki")->click();
    QTest::mouseClick(form.findChild<QRadioButton*>(orientation), Qt::LeftButton);
    QTest::mouseClick(form.findChild<QRadioButton*>(writing), Qt::LeftButton);
    QCOMPARE(form.currentLayoutKind(), kind);
    QCOMPARE(int(form.currentLayoutKind()), int(kind));
}

QTEST_MAIN(tst_TForm1)
#include "tst_TForm1.moc"
