#include "DialogTesting.h"
#include "ScriptedPrompter.h"
#include "app/TfrmOption.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// The boxes that are read directly, with the option each one is.
const QList<std::pair<const char*, bool SessionOptions::*>> ReadDirectly = {
    {"chkUseHyphone", &SessionOptions::joinByHyphen},
    {"chkUseCBC", &SessionOptions::useCustomerBarcode},
    {"chkKeisho", &SessionOptions::useDefaultHonorifics},
    {"chkMakeBlankBitweenName", &SessionOptions::spaceBetweenName},
    {"chkUseNonYunicodeFont", &SessionOptions::useNonUnicodeFont}};
const char* const ZipBoxes[] = {"TTchkUseZipNoErea", "TYchkUseZipNoErea", "YTchkUseZipNoErea",
                                "YYchkUseZipNoErea"};

} // namespace

class tst_TfrmOption : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Tayori")); }
    void controls_data();
    void controls();
    void boxesAreTheSessionOptions_data();
    void boxesAreTheSessionOptions();
    void mirrors_data();
    void mirrors();
    void tategakiOffLeavesPartner();
    void honorificsAndSpacing_data();
    void honorificsAndSpacing();
    void runsModally();
};

void tst_TfrmOption::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("group");
    auto row = [](const char* name, const char* text, const char* group) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text)
                            << QString::fromUtf8(group);
    };
    row("chkReadLastFile", "起動時に前回リストを読み込む", " 起動");
    row("chkTategkiFirst", "縦書きを初期値で使う", " 起動");
    row("TTchkUseZipNoErea", "[縦置-縦書]で郵便番号欄を使う", " 表示");
    row("TYchkUseZipNoErea", "[縦置-横書]で郵便番号欄を使う", " 表示");
    row("YTchkUseZipNoErea", "[横置-縦書]で郵便番号欄を使う", " 表示");
    row("YYchkUseZipNoErea", "[横置-横書]で郵便番号欄を使う", " 表示");
    row("chkUseHyphone", "番号欄を使わないときハイフォンでつなぐ", " 表示");
    row("chkUseNonYunicodeFont", "ユニコード非対応にフォントを使う", " 表示");
    row("lblNonYunicodeNote", "(縦書き時にハイフォンが[｜]となる)", " 表示");
    row("chkKeisho", "ブランク時に下記の敬称を使う", " 編集");
    row("lblKeisho1", "宛先に使う", " 編集");
    row("lblKeisho2", "連名に使う", " 編集");
    row("chkMakeBlankBitweenName", "氏名敬称間空ける", " 編集");
    row("RadioButton1", "半角", " 編集");
    row("RadioButton2", "全角", " 編集");
    row("chkAutoUpdateOfPreviewData", "プレヴューでの編集モードの自動更新", " 編集");
    row("chkUseCBC", "カスタマーバーコードを使う", " 印刷");
    row("chkNoTatchSetPaperMode", "ハガキ用紙指定時にプリンターの用紙設定を実行しない", " 印刷");
    row("Button2", "OK", "");
    row("Button1", "キャンセル", "");
}

void tst_TfrmOption::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, group);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    QCOMPARE(form.optionDialog()->windowTitle(), QStringLiteral("オプション設定"));
    QWidget* widget = form.optionDialog()->findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->property("text").toString(), text);
    QGroupBox* box = nullptr;
    for (QWidget* w = widget->parentWidget(); w && !box; w = w->parentWidget())
        box = qobject_cast<QGroupBox*>(w);
    QCOMPARE(box ? box->title() : QString(), group);
}

void tst_TfrmOption::boxesAreTheSessionOptions_data()
{
    QTest::addColumn<int>("box"); // index into ReadDirectly, then the four ZipBoxes
    QTest::addColumn<QString>("button");
    for (const char* button : {"Button1", "Button2"})
        for (int i = 0; i < ReadDirectly.size() + 4; ++i)
            QTest::addRow("%s, %s",
                          i < ReadDirectly.size() ? ReadDirectly[i].first
                                                  : ZipBoxes[i - ReadDirectly.size()],
                          button[6] == '1' ? "Cancel" : "OK")
                << i << QString::fromLatin1(button);
}

void tst_TfrmOption::boxesAreTheSessionOptions()
{
    QFETCH(int, box);
    QFETCH(QString, button);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    SessionOptions& options = form.options();
    const int zip = box - int(ReadDirectly.size());
    const char* name = zip < 0 ? ReadDirectly[box].first : ZipBoxes[zip];
    bool& option = zip < 0 ? options.*ReadDirectly[box].second : options.useZipBoxes[size_t(zip)];
    const SessionOptions defaults;
    const bool initial = zip < 0 ? defaults.*ReadDirectly[box].second : false;

    // The form starts as the session's defaults; a click writes through, Cancel keeps it.
    int shown = 0;
    bool opened = !initial;
    AnswerDialogs(form, button, &shown, [&](QDialog& d) {
        opened = Child<QCheckBox>(d, name)->isChecked();
        Child<QCheckBox>(d, name)->click();
    });
    form.O3Click();
    QCOMPARE(opened, initial);
    QCOMPARE(option, !initial);

    // A value set elsewhere (the settings file) shows at the next opening.
    option = initial;
    AnswerDialogs(form, QStringLiteral("Button1"), &shown,
                  [&](QDialog& d) { opened = Child<QCheckBox>(d, name)->isChecked(); });
    form.O3Click();
    QCOMPARE(opened, initial);
    QCOMPARE(shown, 2);
}

void tst_TfrmOption::mirrors_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("before"); // every source, before the dialog
    QTest::addColumn<bool>("after");  // the clicked box's source afterwards
    auto row = [](const char* rowName, const char* box, const char* button, bool before,
                  bool after) {
        QTest::newRow(rowName) << QString::fromLatin1(box) << QString::fromLatin1(button) << before
                               << after;
    };
    row("前回リスト OK", "chkReadLastFile", "Button2", false, true);
    row("前回リスト Cancel leaves the menu", "chkReadLastFile", "Button1", false, false);
    row("用紙設定 off on OK", "chkNoTatchSetPaperMode", "Button2", true, false);
    row("用紙設定 Cancel", "chkNoTatchSetPaperMode", "Button1", true, true);
    row("自動更新 OK", "chkAutoUpdateOfPreviewData", "Button2", false, true);
    row("縦置き on through OK", "chkTategkiFirst", "Button2", false, true);
    row("縦置き Cancel", "chkTategkiFirst", "Button1", true, true);
}

void tst_TfrmOption::mirrors()
{
    QFETCH(QString, box);
    QFETCH(QString, button);
    QFETCH(bool, before);
    QFETCH(bool, after);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    auto* tateOki = Child<QRadioButton>(form, "rdoTateOki");
    const QMap<QString, std::function<bool()>> source = {
        {"chkReadLastFile", [&] { return Child<QAction>(form, "R1")->isChecked(); }},
        {"chkNoTatchSetPaperMode", [&] { return Child<QAction>(form, "P2")->isChecked(); }},
        {"chkAutoUpdateOfPreviewData", [&] { return form.previewAutoUpdate(); }},
        {"chkTategkiFirst", [&] { return tateOki->isChecked(); }}};
    Child<QAction>(form, "R1")->setChecked(before);
    Child<QAction>(form, "P2")->setChecked(before);
    form.setPreviewAutoUpdate(before);
    Child<QRadioButton>(form, before ? "rdoTateOki" : "rdoYokoOki")->setChecked(true);

    int shown = 0;
    bool opened = !before;
    AnswerDialogs(form, button, &shown, [&](QDialog& d) {
        opened = Child<QCheckBox>(d, box.toLatin1().constData())->isChecked();
        Child<QCheckBox>(d, box.toLatin1().constData())->click();
    });
    form.O3Click();

    QCOMPARE(opened, before);
    QCOMPARE(source[box](), after);
    for (auto it = source.cbegin(); it != source.cend(); ++it)
        if (it.key() != box)
            QVERIFY2(it.value()() == before, qPrintable(it.key()));
}

void tst_TfrmOption::tategakiOffLeavesPartner()
{
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    int shown = 0;
    AnswerDialogs(form, QStringLiteral("Button2"), &shown,
                  [](QDialog& d) { Child<QCheckBox>(d, "chkTategkiFirst")->click(); });
    form.O3Click();

    QVERIFY(!Child<QRadioButton>(form, "rdoTateOki")->isChecked());
    QVERIFY(!Child<QRadioButton>(form, "rdoYokoOki")->isChecked());
    // The pair still works as a pair afterwards.
    Child<QRadioButton>(form, "rdoYokoOki")->click();
    Child<QRadioButton>(form, "rdoTateOki")->click();
    QVERIFY(!Child<QRadioButton>(form, "rdoYokoOki")->isChecked());
}

void tst_TfrmOption::honorificsAndSpacing_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("typed"); // into edtKeisho1; empty: left as it is
    QTest::addColumn<bool>("halfWidth");
    QTest::addColumn<QStringList>("after"); // DefaultHonorific1, DefaultHonorific2, spacing
    QTest::newRow("OK keeps the session's values")
        << "Button2" << QString() << false << QStringList{"殿", "殿", "\u3000"};
    QTest::newRow("OK with 半角") << "Button2" << QString() << true << QStringList{"殿", "殿", " "};
    QTest::newRow("OK with a typed honorific")
        << "Button2" << QStringLiteral("先生") << false << QStringList{"先生", "殿", "\u3000"};
    QTest::newRow("Cancel keeps the stored values")
        << "Button1" << QStringLiteral("先生") << false << QStringList{"殿", "殿", "\u3000"};
}

void tst_TfrmOption::honorificsAndSpacing()
{
    QFETCH(QString, button);
    QFETCH(QString, typed);
    QFETCH(bool, halfWidth);
    QFETCH(QStringList, after);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    // As the settings file may have stored them.
    SessionOptions& o = form.options();
    o.defaultHonorific1 = o.defaultHonorific2 = QStringLiteral("殿");
    o.nameSpacingText = QStringLiteral("\u3000");

    int shown = 0;
    QString opened;
    AnswerDialogs(form, button, &shown, [&](QDialog& d) {
        opened = Child<QLineEdit>(d, "edtKeisho1")->text();
        if (!typed.isEmpty())
            Child<QLineEdit>(d, "edtKeisho1")->setText(typed);
        if (halfWidth)
            Child<QRadioButton>(d, "RadioButton1")->click();
    });
    form.O3Click();

    QCOMPARE(opened, QStringLiteral("殿")); // the session's value, not the form's default
    QCOMPARE((QStringList{o.defaultHonorific1, o.defaultHonorific2, o.nameSpacingText}), after);
}

void tst_TfrmOption::runsModally()
{
    // Without a runner the dialog runs its own modal loop; OK ends it.
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWidget* modal = nullptr;
    QTimer::singleShot(0, this, [&] {
        modal = QApplication::activeModalWidget();
        if (modal) {
            Child<QCheckBox>(*modal, "chkReadLastFile")->click();
            Child<QPushButton>(*modal, "Button2")->click();
        }
    });
    form.O3Click();
    QCOMPARE(modal, form.optionDialog());
    QVERIFY(Child<QAction>(form, "R1")->isChecked());
}

QTEST_MAIN(tst_TfrmOption)
#include "tst_TfrmOption.moc"
