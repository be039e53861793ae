// Qt's own dialogs speak the user's language, Japanese where Qt has none for it: the buttons
// of the program's message boxes through the real WidgetPrompter's kind of box.
#include "CiSkip.h"
#include "app/QtTranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTranslator>

class tst_QtTranslations : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void dialogButtons_data();
    void dialogButtons();
};

void tst_QtTranslations::initTestCase()
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + u"/qtbase_ja.qm"_qs))
        SKIP_OR_FAIL_UNDER_CI("qt6-translations-l10n missing: run scripts/install-deps");
}

void tst_QtTranslations::dialogButtons_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("open"); // the file dialog's accept button
    QTest::newRow("Japanese") << u"ja_JP"_qs << u"キャンセル"_qs << u"開く"_qs;
    QTest::newRow("C locale: Japanese as the program") << u"C"_qs << u"キャンセル"_qs << u"開く"_qs;
    QTest::newRow("German") << u"de_DE"_qs << u"Abbrechen"_qs << u"Öffnen"_qs;
}

void tst_QtTranslations::dialogButtons()
{
    QFETCH(QString, locale);
    QFETCH(QString, cancel);
    QFETCH(QString, open);
    QLocale::setDefault(QLocale(locale));
    QTranslator* translator = QtTranslations::install(*qApp);
    QVERIFY(translator);
    const auto remove = qScopeGuard([translator] {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    });

    QMessageBox box(QMessageBox::Question, u"Tayori"_qs, u"終了しますか"_qs,
                    QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(u'&'), cancel);

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Open)->text().remove(u'&').section(u'(', 0, 0),
             open);
}

QTEST_MAIN(tst_QtTranslations)
#include "tst_QtTranslations.moc"
