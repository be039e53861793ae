// What the window says and shows around opening lists: the status notice of the list before
// goes, the open dialogs start in the list's folder, row numbers of long lists show whole.
#include "ScriptedPrompter.h"
#include "app/TForm1.h"

#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString Sample = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");

template <typename T> T* child(QObject& form, const char* name)
{
    return form.findChild<T*>(QString::fromLatin1(name));
}

// A list of `rows` addresses in `dir`.
QString writeList(const QTemporaryDir& dir, int rows)
{
    const QString path = dir.filePath(QStringLiteral("long.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    QByteArray text = "宛先,郵便番号,住所１\n";
    for (int i = 1; i <= rows; ++i)
        text += "山田 " + QByteArray::number(i) + ",1000001,東京都千代田区\n";
    file.write(text);
    return path;
}

// The text fits the widget's contents, as the user sees it.
bool showsWhole(const QWidget& widget, const QString& text)
{
    return widget.fontMetrics().horizontalAdvance(text) <= widget.contentsRect().width() - 4;
}
} // namespace

class tst_TForm1Notices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(u"Tayori"_qs); }
    void noticeGoesWithTheList();
    void openDialogsStartInTheListFolder_data();
    void openDialogsStartInTheListFolder();
    void fiveDigitRowNumbers();
};

// The address check's count (or its reason for not running) is about the list it checked.
void tst_TForm1Notices::noticeGoesWithTheList()
{
    QTemporaryDir dir;
    const QString other = writeList(dir, 2);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.LoadWorkbook(Sample);
    form.K1Click();
    QVERIFY(!form.statusPanel(2).isEmpty());
    prompter.openAnswers << other;
    form.LoadBtnClick();
    QCOMPARE(form.currentDataFile(), other);
    QCOMPARE(form.statusPanel(2), QString());
}

void tst_TForm1Notices::openDialogsStartInTheListFolder_data()
{
    QTest::addColumn<bool>("delimited"); // "住所録を開く(&J)", else "開く(&O)"
    QTest::newRow("開く") << false;
    QTest::newRow("住所録を開く") << true;
}

void tst_TForm1Notices::openDialogsStartInTheListFolder()
{
    QFETCH(bool, delimited);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.LoadWorkbook(Sample);
    delimited ? form.J1Click() : form.LoadBtnClick(); // answered Cancel
    QCOMPARE(prompter.startFolders, QStringList{QFileInfo(Sample).absolutePath()});
    QCOMPARE(prompter.openQuestions.size(), 1);
}

// Row 12345 shows whole in the row column, the range fields and the cell panel.
void tst_TForm1Notices::fiveDigitRowNumbers()
{
    QTemporaryDir dir;
    const QString list = writeList(dir, 12345);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.LoadDelimitedList(list);
    QCOMPARE(form.addressBook().grid().rowCount(), 12346);
    form.TntStringGrid1SelectCell(31, 12345);
    const QString row = QStringLiteral("12345");

    auto* header = child<QTableView>(form, "TntStringGrid1")->verticalHeader();
    QVERIFY2(header->width() >= header->fontMetrics().horizontalAdvance(row) + 8,
             qPrintable(QString::number(header->width())));
    for (const char* field : {"edtStartLine", "edtEndLine"}) {
        auto* edit = child<QLineEdit>(form, field);
        edit->setText(row);
        QVERIFY2(showsWhole(*edit, row), field);
    }
    QCOMPARE(form.statusPanel(0), QStringLiteral("31 12345"));
    QVERIFY(showsWhole(*child<QLabel>(form, "TntStatusBar1Panel0"), form.statusPanel(0)));
}

QTEST_MAIN(tst_TForm1Notices)
#include "tst_TForm1Notices.moc"
