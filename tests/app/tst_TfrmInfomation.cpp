#include "DialogTesting.h"
#include "ScriptedPrompter.h"
#include "addresslist/DelimitedList.h"
#include "app/DataFileInfo.h"
#include "app/TForm1.h"
#include "app/TfrmInfomation.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString NoFileNotice = QStringLiteral("データファイルが指定されていません");
const QDateTime FileTime(QDate(2024, 3, 5), QTime(9, 5, 7));

QString Text(QDialog& dialog, const char* name)
{
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
}

// A file of `size` bytes written at FileTime.
QString MakeFile(const QTemporaryDir& dir, const QString& name, int size)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(QByteArray(size, 'x'));
    file.flush();
    file.setFileTime(FileTime, QFileDevice::FileModificationTime);
    return path;
}

// Opens the information dialog and closes it with its button.
void ShowInformation(TForm1& form)
{
    int shown = 0;
    AnswerDialogs(form, QStringLiteral("Button1"), &shown);
    form.D1Click();
}

} // namespace

class tst_TfrmInfomation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void controls();
    void workbookFacts();
    void sheetCountStaysForOtherLists();
    void noDataFile_data();
    void noDataFile();
    void shortenPath_data();
    void shortenPath();
    void longPathFitsField();
};

void tst_TfrmInfomation::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tayori"));
    // Short date "2024/03/05", short time "9:05".
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

void tst_TfrmInfomation::controls()
{
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    TfrmInfomation& d = *form.informationDialog();
    QCOMPARE(d.windowTitle(), QStringLiteral("データ情報"));
    QCOMPARE(d.minimumSize(), QSize(527, 217));
    QCOMPARE(d.maximumHeight(), 296);
    const QList<std::pair<const char*, const char*>> fields = {{"edtFilename", "データファイル名"},
                                                               {"edtFileSize", "ファイルサイズ"},
                                                               {"edtFileUpdate", "最終更新日"},
                                                               {"edtNoOfSheets", "シート数"},
                                                               {"edtNumOfData", "データ件数"}};
    for (const auto& [name, label] : fields) {
        auto* edit = d.findChild<QLineEdit*>(QString::fromLatin1(name));
        QVERIFY2(edit && edit->isReadOnly(), name);
        bool labelled = false;
        for (auto* l : d.findChildren<QLabel*>())
            labelled = labelled || (l->buddy() == edit && l->text() == QString::fromUtf8(label));
        QVERIFY2(labelled, name);
    }
    auto* mark = d.findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
    QCOMPARE(mark->text(), QStringLiteral("宛名リストファイル"));
    QVERIFY(mark->isTristate());
    QCOMPARE(mark->checkState(), Qt::PartiallyChecked); // grey until the first opening
    QCOMPARE(d.findChild<QPushButton*>(QStringLiteral("Button1"))->text(),
             QStringLiteral("閉じる"));
}

void tst_TfrmInfomation::workbookFacts()
{
    QTemporaryDir dir;
    const QString path = MakeFile(dir, QStringLiteral("名簿.XLS"), 1234);
    // Read-only: its time shows all the same.
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    auto cells = AddressSheetCells(1, {{"山田"}, {"鈴木"}, {" "}, {"佐藤"}});
    cells += AddressSheetCells(2, {{"x"}});
    cells += AddressSheetCells(3, {{"y"}});
    FillBook(form.addressBook(), {"家族", "会社", "友人"}, cells);
    form.addressBook().setCurrentDataFile(path);

    ShowInformation(form);

    TfrmInfomation& d = *form.informationDialog();
    QCOMPARE(Text(d, "edtFileSize"), QStringLiteral("1234"));
    QCOMPARE(Text(d, "edtNumOfData"), QStringLiteral("2")); // up to the blank third row
    QCOMPARE(Text(d, "edtNoOfSheets"), QStringLiteral("3"));
    QCOMPARE(Text(d, "edtFileUpdate"), QStringLiteral("2024/03/05 9:05:07"));
    QCOMPARE(d.findChild<QLineEdit*>(QStringLiteral("edtFilename"))->toolTip(), path);
    QVERIFY(Text(d, "edtFilename").endsWith(QStringLiteral("/名簿.XLS")));
    QCOMPARE(d.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->checkState(), Qt::Checked);
    QVERIFY(form.statusPanel(2).isEmpty());
}

void tst_TfrmInfomation::sheetCountStaysForOtherLists()
{
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    FillBook(form.addressBook(), {"家族", "会社", "友人"}, AddressSheetCells(1, {{"山田"}}));
    form.addressBook().setCurrentDataFile(MakeFile(dir, QStringLiteral("名簿.xls"), 10));
    ShowInformation(form);

    // Then a delimited list: one tab, its own records.
    const QString csv = dir.filePath(QStringLiteral("友人.csv"));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xef\xbb\xbf宛先,郵便番号\r\n鈴木,1000001\r\n佐藤,1000002\r\n田中,1000003\r\n");
    file.close();
    QCOMPARE(DelimitedList::LoadDelimitedList(form.addressBook(), csv, prompter),
             DelimitedList::LoadStatus::Loaded);
    ShowInformation(form);

    TfrmInfomation& d = *form.informationDialog();
    QCOMPARE(form.findChild<QTabBar*>(QStringLiteral("TabControl1"))->count(), 1);
    QCOMPARE(Text(d, "edtNoOfSheets"), QStringLiteral("3"));
    QCOMPARE(Text(d, "edtNumOfData"), QStringLiteral("3"));
    QCOMPARE(Text(d, "edtFileSize"), QString::number(QFileInfo(csv).size()));
}

void tst_TfrmInfomation::noDataFile_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<QString>("header");
    QTest::newRow("never loaded, no 宛先") << false << QStringLiteral("氏名");
    QTest::newRow("file gone, 宛先 with a note") << true << QStringLiteral("氏名,宛先|敬称付き");
}

void tst_TfrmInfomation::noDataFile()
{
    QFETCH(bool, named);
    QFETCH(QString, header);
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    SheetCells cells;
    for (const QString& name : header.split(u','))
        cells.append({1, 0, int(cells.size()), name});
    cells.append({1, 1, 0, QStringLiteral("山田")});
    FillBook(form.addressBook(), {"家族", "会社"}, cells);
    const QString path = MakeFile(dir, QStringLiteral("名簿.xls"), 10);
    form.addressBook().setCurrentDataFile(path);
    ShowInformation(form); // fills every field first

    QFile::remove(path);
    form.addressBook().setCurrentDataFile(named ? path : QString());
    ShowInformation(form);

    TfrmInfomation& d = *form.informationDialog();
    QCOMPARE(form.statusPanel(2), NoFileNotice);
    for (const char* name : {"edtFilename", "edtFileSize", "edtNumOfData", "edtNoOfSheets"})
        QVERIFY2(Text(d, name).isEmpty(), name);
    QVERIFY(d.findChild<QLineEdit*>(QStringLiteral("edtFilename"))->toolTip().isEmpty());
    // The program's own time stands in.
    const QDateTime exe = QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
    QVERIFY(Text(d, "edtFileUpdate").startsWith(exe.date().toString(u"yyyy/MM/dd ")));
    QCOMPARE(d.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->checkState(),
             header.contains(u"宛先") ? Qt::Checked : Qt::Unchecked);
}

void tst_TfrmInfomation::shortenPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("shown");
    const QString path = QStringLiteral("/home/user/docs/list.xls");
    QTest::newRow("fits whole") << path << 24 << path;
    QTest::newRow("first folder gives way") << path << 23 << "/.../user/docs/list.xls";
    QTest::newRow("two folders") << path << 18 << "/.../docs/list.xls";
    QTest::newRow("all folders") << path << 13 << "/.../list.xls";
    QTest::newRow("root goes last") << path << 12 << ".../list.xls";
    QTest::newRow("file name alone") << path << 8 << "list.xls";
    QTest::newRow("nothing fits: the file name") << path << 3 << "list.xls";
    QTest::newRow("drive kept") << "C:/Users/tanaka/n.xls" << 12 << "C:/.../n.xls";
    QTest::newRow("drive dropped") << "C:/Users/tanaka/n.xls" << 11 << ".../n.xls";
    QTest::newRow("file in the root") << "/n.xls" << 4 << "n.xls";
}

void tst_TfrmInfomation::shortenPath()
{
    QFETCH(QString, path);
    QFETCH(int, maxLength);
    QFETCH(QString, shown);
    QCOMPARE(DataFileInfo::ShortenPath(
                 path, [&](const QString& text) { return text.size() <= maxLength; }),
             shown);
}

void tst_TfrmInfomation::longPathFitsField()
{
    QTemporaryDir dir;
    QString folder = dir.path();
    for (int i = 0; i < 12; ++i)
        folder += QStringLiteral("/とても長いフォルダの名前%1").arg(i);
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/名簿.xls");
    QFile(path).open(QIODevice::WriteOnly);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.addressBook().setCurrentDataFile(path);

    ShowInformation(form);

    auto* field = form.informationDialog()->findChild<QLineEdit*>(QStringLiteral("edtFilename"));
    QCOMPARE(field->toolTip(), path);
    QVERIFY(field->text().startsWith(QStringLiteral("/.../")));
    QVERIFY(field->text().endsWith(QStringLiteral("11/名簿.xls")));
    QVERIFY(field->fontMetrics().horizontalAdvance(field->text()) < field->width());
    // A wider window shows more of the path.
    const QString narrow = field->text();
    form.informationDialog()->show();
    form.informationDialog()->resize(1200, 217);
    QVERIFY(field->text().size() > narrow.size());
    QVERIFY(field->fontMetrics().horizontalAdvance(field->text()) < field->width());
    form.informationDialog()->hide();
}

QTEST_MAIN(tst_TfrmInfomation)
#include "tst_TfrmInfomation.moc"
