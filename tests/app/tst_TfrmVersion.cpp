#include "ScriptedPrompter.h"
#include "app/TfrmVersion.h"
#include "app/VersionInfo.h"

#include <QDesktopServices>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QUrl>

// The version window: its version line, the gauge driven tick by tick, closing by the timer
// and by a click, the link through the desktop's URL handling.

namespace {

// Takes the addresses the desktop is asked to open instead of starting a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

QLabel* label(TfrmVersion& w, const char* name)
{
    return w.findChild<QLabel*>(QString::fromLatin1(name));
}

} // namespace

class tst_TfrmVersion : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void versionLine();
    void gaugeAndTimerClose();
    void clickCloses_data();
    void clickCloses();
    void linkOpensComments();
};

void tst_TfrmVersion::versionLine()
{
    QCOMPARE(TfrmVersion::VersionLine(u"2.0.0.1"_qs), QString(41, u' ') + u"Ver.2.0.0.1"_qs);
    ScriptedPrompter prompter;
    TfrmVersion w(&prompter);
    w.show();
    QCOMPARE(label(w, "Label2")->text(), TfrmVersion::VersionLine(QStringLiteral(TAYORI_VERSION)));
    QVERIFY(!QStringLiteral(TAYORI_VERSION).isEmpty());
}

// 12 ticks of the progress timer are 6 seconds: 48 %. The closing timer ends the window;
// showing it again starts from 0.
void tst_TfrmVersion::gaugeAndTimerClose()
{
    ScriptedPrompter prompter;
    TfrmVersion w(&prompter);
    auto* gauge = w.findChild<QProgressBar*>(u"Gauge1"_qs);
    for (int showing = 0; showing < 2; ++showing) {
        w.show();
        QVERIFY(w.Timer1.isActive() && w.Timer2.isActive());
        QCOMPARE(w.Timer1.interval(), 12000);
        QCOMPARE(w.Timer2.interval(), 500);
        QCOMPARE(gauge->value(), 0);
        for (int i = 0; i < 12; ++i)
            w.Timer2Timer();
        QCOMPARE(gauge->value(), 48);
        QCOMPARE(label(w, "Label5")->text(), u"048"_qs);
        for (int i = 12; i < 24; ++i)
            w.Timer2Timer();
        QCOMPARE(gauge->value(), 96);
        w.Timer1Timer();
        QVERIFY(!w.isVisible());
        QVERIFY(!w.Timer1.isActive() && !w.Timer2.isActive());
    }
}

void tst_TfrmVersion::clickCloses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("closes");
    QTest::newRow("name") << u"Label1"_qs << true;
    QTest::newRow("version line") << u"Label2"_qs << true;
    QTest::newRow("subtitle") << u"Label4"_qs << true;
    QTest::newRow("link") << u"Label3"_qs << false;
}

void tst_TfrmVersion::clickCloses()
{
    QFETCH(QString, name);
    QFETCH(bool, closes);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"file"_qs, &catcher, "open");
    QDesktopServices::setUrlHandler(u"https"_qs, &catcher, "open");
    ScriptedPrompter prompter;
    TfrmVersion w(&prompter);
    w.show();
    QTest::mouseClick(w.findChild<QLabel*>(name), Qt::LeftButton);
    QCOMPARE(w.isVisible(), !closes);
    QDesktopServices::unsetUrlHandler(u"file"_qs);
    QDesktopServices::unsetUrlHandler(u"https"_qs);
}

// The link opens the "Comments" address: by default the manual's index page.
void tst_TfrmVersion::linkOpensComments()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"file"_qs, &catcher, "open");
    ScriptedPrompter prompter;
    TfrmVersion w(&prompter);
    w.show();
    w.Label3Click();
    QDesktopServices::unsetUrlHandler(u"file"_qs);
    QVERIFY(w.isVisible());
    QCOMPARE(catcher.urls.size(), 1);
    QVERIFY(catcher.urls[0].toLocalFile().endsWith(u"/manual/index.html"_qs));
    QVERIFY(QFile::exists(catcher.urls[0].toLocalFile()));
    QVERIFY(prompter.errors.isEmpty());
}

QTEST_MAIN(tst_TfrmVersion)
#include "tst_TfrmVersion.moc"
