#include "ScriptedPrompter.h"
#include "app/TForm1.h"
#include "typeset/FontSubstitutes.h"

#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// What a desktop hands the program: a file to open at start, and the manual behind "ヘルプ".

namespace {

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

const QString Sample = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");

} // namespace

class tst_TForm1OpenFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void opensByExtension_data();
    void opensByExtension();
    void helpOpensTheManual();
    void droppedFileOpens_data();
    void droppedFileOpens();
};

void tst_TForm1OpenFile::initTestCase()
{
    FontSubstitutes::install();
}

void tst_TForm1OpenFile::opensByExtension_data()
{
    QTest::addColumn<QString>("name"); // written into a temporary folder unless absolute
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("firstName"); // grid row 1's addressee; empty: nothing loaded
    QTest::addColumn<bool>("told");         // a message or an error was shown

    const QByteArray csv = "宛先,郵便番号\r\n山田 花子,100-0001\r\n";
    QTest::newRow("workbook") << Sample << QByteArray() << u"山田 太郎"_qs << false;
    QTest::newRow("csv") << u"list.csv"_qs << csv << u"山田 花子"_qs << false;
    QTest::newRow("txt, upper case") << u"LIST.TXT"_qs << csv << u"山田 花子"_qs << false;
    QTest::newRow("layout file without its kind")
        << u"face.tyd"_qs << QByteArray("TPF0") << QString() << true;
    // Goes to the preview's load, which refuses the broken stream.
    QTest::newRow("broken layout file")
        << u"cardYT.tyd"_qs << QByteArray("TPF0\x0bTShadow") << QString() << true;
    QTest::newRow("missing") << u"/nonexistent/list.xls"_qs << QByteArray() << QString() << true;
    QTest::newRow("picture") << u"photo.png"_qs << QByteArray("x") << QString() << false;
}

void tst_TForm1OpenFile::opensByExtension()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, firstName);
    QFETCH(bool, told);

    QTemporaryDir dir;
    QString path = name;
    if (!name.startsWith(u'/')) {
        path = dir.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.OpenFile(path);
    if (!firstName.isEmpty())
        QVERIFY(form.addressBook().grid().rowText(1).contains(firstName));
    QCOMPARE(form.currentDataFile(), firstName.isEmpty() ? QString() : path);
    QCOMPARE(!(prompter.messages + prompter.errors).isEmpty(), told);
}

// "使用方法" opens the manual: from the source tree when run from the build folder.
void tst_TForm1OpenFile::helpOpensTheManual()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"file"_qs, &catcher, "open");
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.show();
    form.H1Click();
    QDesktopServices::unsetUrlHandler(u"file"_qs);
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(
        QFileInfo(catcher.urls[0].toLocalFile()).canonicalFilePath(),
        QFileInfo(QStringLiteral(TAYORI_SOURCE_DIR "/docs/manual/index.html")).canonicalFilePath());
}

void tst_TForm1OpenFile::droppedFileOpens_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("firstName"); // empty: the drop is refused
    const QString corpus = QStringLiteral(TAYORI_TESTDATA "/");
    QTest::newRow("xls") << Sample << u"山田 太郎"_qs;
    QTest::newRow("xlsx") << corpus + u"numberformats/postal_formats.xlsx"_qs << u"北海 一郎"_qs;
    QTest::newRow("ods") << corpus + u"numberformats/postal_formats.ods"_qs << u"北海 一郎"_qs;
    QTest::newRow("vcf") << corpus + u"vcard/card_4.0.vcf"_qs << u"高橋 美咲"_qs;
    QTest::newRow("csv") << corpus + u"csv/addresses_utf8_bom.csv"_qs << u"宛先"_qs;
    QTest::newRow("not a list") << QStringLiteral(TAYORI_SOURCE_DIR "/README.md") << QString();
}

// A list file dropped on the main window opens as "開く" opens it.
void tst_TForm1OpenFile::droppedFileOpens()
{
    QFETCH(QString, file);
    QFETCH(QString, firstName);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    QCOMPARE(enter.isAccepted(), !firstName.isEmpty());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
    QCOMPARE(form.currentDataFile(), firstName.isEmpty() ? QString() : file);
    if (!firstName.isEmpty())
        QVERIFY2(form.addressBook().grid().rowText(0).contains(firstName) ||
                     form.addressBook().grid().rowText(1).contains(firstName),
                 qPrintable(form.addressBook().grid().rowText(1)));
}

QTEST_MAIN(tst_TForm1OpenFile)
#include "tst_TForm1OpenFile.moc"
