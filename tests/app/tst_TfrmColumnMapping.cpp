// 「列の対応」: the question for a list whose headers the guess cannot place, its answer kept in
// the settings file across a restart and used by tayori-cli, and a kept answer that no longer
// fits.
#include "DialogTesting.h"
#include "ScriptedPrompter.h"
#include "addresslist/AddressRecord.h"
#include "addresslist/HeaderColumns.h"
#include "addresslist/RememberedMappings.h"
#include "app/TForm1.h"
#include "app/TfrmColumnMapping.h"
#include "cli/CliRun.h"
#include "common/cp932.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString List = QStringLiteral(TAYORI_TESTDATA "/contacts/unmatched_headers.csv");
// Grid column 0 holds the row numbers.
const QStringList ListHeader = {"",       "名前",         "ふりがな", "郵便番号",
                                "現住所", "マンション等", "電話番号"};
constexpr int AddressColumn = 4;  // 現住所
constexpr int BuildingColumn = 5; // マンション等

QByteArray FileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

void Choose(TfrmColumnMapping& dialog, int field, int column)
{
    QComboBox* box = dialog.columnBox(field, 0);
    box->setCurrentIndex(box->findData(column));
}

// Field `field` of grid row `row` as composition reads it; "-" when the grid is no address list.
QString Field(TForm1& form, int row, int field)
{
    HeaderColumns columns;
    if (!columns.FindHeaderColumns(form.addressBook().grid(), nullptr))
        return QStringLiteral("-");
    const auto record = ReadAddressRecord(form.addressBook().grid(), columns, row);
    return record ? (*record)[field] : QString();
}

// A window over `ini` whose mapping question is answered by `answer` (counted in *asked);
// every other dialog is cancelled.
struct Session
{
    ScriptedPrompter prompter;
    TForm1 form;
    int asked = 0;

    Session(const QString& ini, std::function<int(TfrmColumnMapping&)> answer)
        : form(&prompter, ini)
    {
        form.setDialogRunner([this, answer](QDialog& dialog) {
            auto* mapping = qobject_cast<TfrmColumnMapping*>(&dialog);
            if (!mapping)
                return int(QDialog::Rejected);
            ++asked;
            return answer ? answer(*mapping) : int(QDialog::Rejected);
        });
        form.show();
    }
    void close()
    {
        prompter.confirmAnswers << true;
        QVERIFY(form.close());
    }
};

} // namespace

class tst_TfrmColumnMapping : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void answerRememberedAcrossRestart();
    void keyboard_data();
    void keyboard();
    void staleAnswerIgnored_data();
    void staleAnswerIgnored();
};

// The user maps the address columns, OK; the next window and tayori-cli use the answer without
// asking, and the list file is never written.
void tst_TfrmColumnMapping::answerRememberedAcrossRestart()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("tayori.ini"));
    const QByteArray listBefore = FileHash(List);
    {
        Session first(ini, [](TfrmColumnMapping& d) {
            // Started from the guess: the name and postal code found, the address not.
            const HeaderMapping preset = d.mapping();
            if (preset.columns[HeaderColumns::Name] != QList<int>{1} ||
                preset.columns[HeaderColumns::PostalCode] != QList<int>{3} ||
                !preset.columns[HeaderColumns::Address1].isEmpty())
                return int(QDialog::Rejected);
            Choose(d, HeaderColumns::Address1, AddressColumn);
            Choose(d, HeaderColumns::Address2, BuildingColumn);
            d.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
            return d.result();
        });
        first.form.OpenFile(List);
        QCOMPARE(first.asked, 1);
        QCOMPARE(Field(first.form, 1, HeaderColumns::Address1), u"大阪府大阪市北区梅田3-1-1"_qs);
        first.close();
    }
    {
        Session second(ini, {});
        second.form.OpenFile(List);
        QCOMPARE(second.asked, 0);
        QCOMPARE(Field(second.form, 3, HeaderColumns::Name), u"中村 健"_qs);
        QCOMPARE(Field(second.form, 3, HeaderColumns::Address2), u"博多ハイツ 305"_qs);
        second.close();
    }
    const CliRun run = RunCli({u"compose"_qs, List, u"1"_qs, u"TY"_qs, u"--settings"_qs, ini});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines().filter(u"Jyusho1\t"_qs).value(0),
             u"Jyusho1\t大阪府大阪市北区梅田3-1-1"_qs);
    QCOMPARE(run.lines().filter(u"Jyusho2\t"_qs).value(0), u"Jyusho2\tグランドビル 12F"_qs);
    QCOMPARE(FileHash(List), listBefore);
}

void tst_TfrmColumnMapping::keyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("address"); // row 1's 住所１ after the answer; "-": no mapping
    QTest::newRow("Enter answers OK") << int(Qt::Key_Return) << u"大阪府大阪市北区梅田3-1-1"_qs;
    QTest::newRow("Esc cancels: the list as it stands") << int(Qt::Key_Escape) << u"-"_qs;
}

// Tab runs name by name through the three parts; Down picks a column; then the key.
void tst_TfrmColumnMapping::keyboard()
{
    QFETCH(int, key);
    QFETCH(QString, address);
    QString reached; // the object name of the box Tab reached
    Session session(QString(), [&](TfrmColumnMapping& d) {
        QTimer::singleShot(0, &d, [&] {
            const auto press = [&d](Qt::Key k) { QTest::keyClick(d.focusWidget(), k); };
            for (int i = 0; i < HeaderColumns::Address1 * TfrmColumnMapping::PartsPerName; ++i)
                press(Qt::Key_Tab);
            reached = d.focusWidget()->objectName();
            // The first choice is "（なし）", then the columns from 1 on.
            for (int i = 0; i < AddressColumn; ++i)
                press(Qt::Key_Down);
            press(Qt::Key(key));
            if (d.isVisible()) // the key did nothing: do not hang
                d.done(-1);
        });
        return d.exec();
    });
    session.form.OpenFile(List);
    QCOMPARE(session.asked, 1);
    QCOMPARE(reached, u"cboColumn2_0"_qs);
    QCOMPARE(Field(session.form, 1, HeaderColumns::Address1), address);
}

void tst_TfrmColumnMapping::staleAnswerIgnored_data()
{
    QTest::addColumn<QString>("mapping");
    QTest::addColumn<QString>("headers");
    QTest::addColumn<int>("asked");
    const QString headers = ListHeader.join(u',');
    QTest::newRow("an answer that fits is used") << u"1,3,4,5,,,,,,,"_qs << headers << 0;
    QTest::newRow("a column gone") << u"1,3,4+9,5,,,,,,,"_qs << headers << 1;
    QTest::newRow("other headers under the same key")
        << u"1,3,4,5,,,,,,,"_qs << u",名前,住所"_qs << 1;
    QTest::newRow("a damaged answer") << u"1,3,x"_qs << headers << 1;
}

// A kept answer that no longer fits is no answer: the question comes again, nothing breaks.
void tst_TfrmColumnMapping::staleAnswerIgnored()
{
    QFETCH(QString, mapping);
    QFETCH(QString, headers);
    QFETCH(int, asked);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("tayori.ini"));
    QFile f(ini);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QString key = RememberedMappings::Key(ListHeader);
    f.write(
        cp932::fromUnicode(QStringLiteral("[ColumnMapping]\r\n%1=\"%2\"\r\n%1Headers=\"%3\"\r\n")
                               .arg(key, mapping, headers)));
    f.close();
    Session session(ini, {});
    session.form.OpenFile(List);
    QCOMPARE(session.asked, asked);
    QCOMPARE(Field(session.form, 1, HeaderColumns::Address1),
             asked ? u"-"_qs : u"大阪府大阪市北区梅田3-1-1"_qs);
}

QTEST_MAIN(tst_TfrmColumnMapping)
#include "tst_TfrmColumnMapping.moc"
