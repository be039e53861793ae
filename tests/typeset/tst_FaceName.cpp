#include "CiSkip.h"
#include "typeset/FaceName.h"
#include "typeset/FontSubstitutes.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QTest>

class tst_FaceName : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void atConvention_data();
    void atConvention();
    void storedFacesResolve_data();
    void storedFacesResolve();
};

void tst_FaceName::initTestCase()
{
    FontSubstitutes::install();
    FontSubstitutes::install(); // a second call must not add the faces twice
}

void tst_FaceName::atConvention_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("verticalName");
    QTest::newRow("vertical face")
        << u"@ＭＳ 明朝"_qs << true << u"ＭＳ 明朝"_qs << u"@ＭＳ 明朝"_qs;
    QTest::newRow("horizontal face")
        << u"ＭＳ ゴシック"_qs << false << u"ＭＳ ゴシック"_qs << u"@ＭＳ ゴシック"_qs;
    QTest::newRow("only one @ is taken off") << u"@@x"_qs << true << u"@x"_qs << u"@@x"_qs;
    QTest::newRow("@ inside the name is kept") << u"a@b"_qs << false << u"a@b"_qs << u"@a@b"_qs;
    QTest::newRow("empty") << QString() << false << QString() << u"@"_qs;
}

void tst_FaceName::atConvention()
{
    QFETCH(QString, name);
    QFETCH(bool, vertical);
    QFETCH(QString, face);
    QFETCH(QString, verticalName);
    QCOMPARE(FaceName::isVertical(name), vertical);
    QCOMPARE(FaceName::face(name), face);
    QCOMPARE(FaceName::vertical(name), verticalName);
}

// Layouts made elsewhere keep their face names; here they draw with the IPA faces.
void tst_FaceName::storedFacesResolve_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("family");
    QTest::newRow("mincho") << u"ＭＳ 明朝"_qs << u"IPAMincho"_qs;
    QTest::newRow("gothic") << u"ＭＳ ゴシック"_qs << u"IPAGothic"_qs;
    QTest::newRow("proportional mincho") << u"ＭＳ Ｐ明朝"_qs << u"IPAPMincho"_qs;
    QTest::newRow("proportional gothic") << u"ＭＳ Ｐゴシック"_qs << u"IPAPGothic"_qs;
    QTest::newRow("ASCII name") << u"MS Gothic"_qs << u"IPAGothic"_qs;
}

void tst_FaceName::storedFacesResolve()
{
    QFETCH(QString, stored);
    QFETCH(QString, family);
    if (QFontInfo(QFont(family)).family() != family)
        SKIP_OR_FAIL_UNDER_CI("IPA fonts missing: run scripts/install-deps");
    if (QFontDatabase::hasFamily(stored))
        QSKIP("the platform's own face is installed");
    QCOMPARE(QFontInfo(QFont(stored)).family(), family);
    const QStringList substitutes = QFont::substitutes(stored);
    const auto sameFamily = [&](const QString& s) {
        return s.compare(family, Qt::CaseInsensitive) == 0;
    };
    QCOMPARE(std::count_if(substitutes.cbegin(), substitutes.cend(), sameFamily), 1);
    QCOMPARE(FontSubstitutes::substitutesFor(stored).front(), family);
}

QTEST_MAIN(tst_FaceName)
#include "tst_FaceName.moc"
