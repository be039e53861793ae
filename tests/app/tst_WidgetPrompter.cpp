#include "app/WidgetPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QString OpenFilter =
    QStringLiteral("エクセル(*.xls)|*.XLS|CSVU(*.csvu;*.csv)|*.CSV;*.CSVU|すべて(*.*)|*.*");

// Runs `answer` on the next modal dialog, once it is up.
void whenModal(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, qApp, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            whenModal(answer);
            return;
        }
        answer(modal);
        // A failed check inside `answer` must not leave the test waiting on the dialog.
        if (modal->isVisible())
            modal->close();
    });
}

} // namespace

class tst_WidgetPrompter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void nameFilters();
    void anyCasePattern_data();
    void anyCasePattern();
    void confirm_data();
    void confirm();
    void saveAddsFilterSuffix_data();
    void saveAddsFilterSuffix();
};

void tst_WidgetPrompter::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tayori"));
}

void tst_WidgetPrompter::nameFilters()
{
    QCOMPARE(WidgetPrompter::nameFilters(OpenFilter),
             (QStringList{QStringLiteral("エクセル(*.xls) (*.[xX][lL][sS])"),
                          QStringLiteral("CSVU(*.csvu;*.csv) (*.[cC][sS][vV] *.[cC][sS][vV][uU])"),
                          QStringLiteral("すべて(*.*) (*)")}));
    // A caption without patterns is dropped rather than offered with none.
    QCOMPARE(WidgetPrompter::nameFilters(QStringLiteral("CSVU|*.CSVU|dangling")),
             QStringList{QStringLiteral("CSVU (*.[cC][sS][vV][uU])")});
}

void tst_WidgetPrompter::anyCasePattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("matches");
    QTest::newRow("upper pattern, lower name") << "*.XLS"
                                               << "addresses.xls" << true;
    QTest::newRow("upper pattern, upper name") << "*.XLS"
                                               << "ADDRESSES.XLS" << true;
    QTest::newRow("upper pattern, mixed name") << "*.XLS"
                                               << "Addresses.Xls" << true;
    QTest::newRow("longer extension") << "*.XLS"
                                      << "addresses.xlsx" << false;
    QTest::newRow("csv is not csvu") << "*.CSVU"
                                     << "list.csv" << false;
    QTest::newRow("layout file") << "*.tyd"
                                 << "CARD.TYD" << true;
    QTest::newRow("every file has no dot") << "*.*"
                                           << "README" << true;
    QTest::newRow("Japanese name") << "*.CSVU"
                                   << "住所録.csvu" << true;
}

void tst_WidgetPrompter::anyCasePattern()
{
    QFETCH(QString, pattern);
    QFETCH(QString, fileName);
    QFETCH(bool, matches);
    const QString glob = WidgetPrompter::anyCasePattern(pattern);
    // Matched case-sensitively, as a native dialog on a case-sensitive system does.
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(glob));
    QCOMPARE(re.match(fileName).hasMatch(), matches);
}

void tst_WidgetPrompter::confirm_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shownCaption");
    QTest::addColumn<bool>("ok");
    QTest::newRow("default caption, OK") << QString() << "Tayori" << true;
    QTest::newRow("default caption, Cancel") << QString() << "Tayori" << false;
    QTest::newRow("own caption, OK") << "実行確認"
                                     << "実行確認" << true;
    QTest::newRow("own caption, Cancel") << "実行確認"
                                         << "実行確認" << false;
}

void tst_WidgetPrompter::confirm()
{
    QFETCH(QString, caption);
    QFETCH(QString, shownCaption);
    QFETCH(bool, ok);
    WidgetPrompter prompter;
    QString title;
    QString text;
    whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
        box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
    });
    QCOMPARE(prompter.confirm(QStringLiteral("中断しますか"), caption), ok);
    QCOMPARE(title, shownCaption);
    QCOMPARE(text, QStringLiteral("中断しますか"));
}

void tst_WidgetPrompter::saveAddsFilterSuffix_data()
{
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("CSVU filter, no extension") << 0 << "list"
                                               << "list.csvu";
    QTest::newRow("text filter, no extension") << 1 << "list"
                                               << "list.txt";
    QTest::newRow("an extension typed is kept") << 0 << "list.csv"
                                                << "list.csv";
    QTest::newRow("every file: as typed") << 2 << "list"
                                          << "list";
}

// The list's save dialog: a name typed without an extension gets the chosen filter's.
void tst_WidgetPrompter::saveAddsFilterSuffix()
{
    QFETCH(int, filterIndex);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    const QString filter =
        QStringLiteral("CSVU(*.csvu)|*.CSVU|テキスト(*.txt)|*.TXT|すべて(*.*)|*.*");
    QTemporaryDir dir;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        dialog->selectNameFilter(dialog->nameFilters().value(filterIndex));
        dialog->selectFile(dir.filePath(typed));
        static_cast<QDialog*>(dialog)->accept(); // as the Save button does
    });
    WidgetPrompter prompter(nullptr);
    QCOMPARE(prompter.saveFileName(filter, QString(), QString(), QStringLiteral("Sheet1.txt")),
             dir.filePath(saved));
}

QTEST_MAIN(tst_WidgetPrompter)
#include "tst_WidgetPrompter.moc"
