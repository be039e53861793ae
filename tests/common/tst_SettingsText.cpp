#include "ScriptedPrompter.h"
#include "common/FileAttributes.h"
#include "common/IniFile.h"
#include "common/Prompter.h"
#include "common/SettingsText.h"
#include "common/cp932.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace SettingsText;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

void makeReadOnly(const QString& path)
{
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QVERIFY(FileAttributes::isReadOnly(path));
}

const QByteArray Existing = "[Form]\r\n"
                            "TOP=\"1\"\r\n"
                            "[Unknown]\r\n"
                            "Keep=\"me\"\r\n"
                            "[FILE]\r\n"
                            "DataFile=\"C:\\\x95\x5C.xls\"\r\n" // C:\表.xls
                            "[ITEMFONT]\r\n"
                            "ITEM17=\"x\"\r\n";

} // namespace

class tst_SettingsText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readSetting_data();
    void readSetting();
    void readSettingOfMissingFile();
    void missingValues_data();
    void missingValues();
    void booleans_data();
    void booleans();
    void integers_data();
    void integers();
    void writeSettingCreatesOnlyWhenAsked();
    void writeSettingAsksForReadOnlyFile_data();
    void writeSettingAsksForReadOnlyFile();
    void oneSaveEqualsKeyByKeyWrites();
    void wholeWriteClearsReadOnlySilently();
};

void tst_SettingsText::readSetting_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("value");
    QTest::newRow("quoted") << QByteArray("Hosei=\"12,-3\"") << "12,-3";
    QTest::newRow("unquoted") << QByteArray("Hosei=12") << "12";
    QTest::newRow("leading quote only") << QByteArray("Hosei=\"12") << "12";
    QTest::newRow("trailing quote only stays") << QByteArray("Hosei=12\"") << "12\"";
    QTest::newRow("one pair removed") << QByteArray("Hosei=\"\"12\"\"") << "\"12\"";
    QTest::newRow("lone quote") << QByteArray("Hosei=\"") << "";
    QTest::newRow("empty") << QByteArray("Hosei=") << "";
    QTest::newRow("key in other case") << QByteArray("HOSEI=\"1\"") << "1";
    QTest::newRow("missing key") << QByteArray("Other=\"1\"") << "ER";
    QTest::newRow("japanese value")
        << QByteArray("Hosei=\"\x88\xB6\x90\xE6\"") << QString::fromUtf8("宛先");
}

void tst_SettingsText::readSetting()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString path = dir.filePath("tayori.ini");
    writeBytes(path, "[option]\r\n" + line + "\r\n");
    QCOMPARE(ReadSetting(path, "Option", "Hosei"), value);
}

void tst_SettingsText::readSettingOfMissingFile()
{
    QTemporaryDir dir;
    QCOMPARE(ReadSetting(dir.filePath("none.ini"), "Form", "top"), QStringLiteral("ER"));
}

void tst_SettingsText::missingValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("missing");
    QTest::newRow("ER") << "ER" << true;
    QTest::newRow("IR") << "IR" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("er in lower case is a value") << "er" << false;
    QTest::newRow("space is a value") << " " << false;
    QTest::newRow("ERR") << "ERR" << false;
}

void tst_SettingsText::missingValues()
{
    QFETCH(QString, value);
    QFETCH(bool, missing);
    QCOMPARE(IsMissingValue(value), missing);
}

void tst_SettingsText::booleans_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("value");
    QTest::newRow("True") << "True" << true;
    QTest::newRow("lower case") << "true" << true;
    QTest::newRow("upper case") << "TRUE" << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("1") << "1" << false;
    QTest::newRow("yes") << "yes" << false;
    QTest::newRow("with a space") << "true " << false;
    QTest::newRow("full-width letters") << QString::fromUtf8("ＴＲＵＥ") << false;
}

void tst_SettingsText::booleans()
{
    QFETCH(QString, text);
    QFETCH(bool, value);
    QCOMPARE(IsTrueText(text), value);
    QCOMPARE(IsTrueText(BoolText(value)), value);
}

void tst_SettingsText::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "201" << 201;
    QTest::newRow("negative") << "-3" << -3;
    QTest::newRow("thousands comma") << "1,234" << 1234;
    QTest::newRow("spaces inside") << " 1 2 " << 12;
    QTest::newRow("not a number") << "abc" << 0;
    QTest::newRow("decimal") << "1.5" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("missing marker") << "ER" << 0;
}

void tst_SettingsText::integers()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(IntOfText(text), value);
}

void tst_SettingsText::writeSettingCreatesOnlyWhenAsked()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tayori.ini");
    ScriptedPrompter prompter;
    QString error;
    QVERIFY(!WriteSetting(path, "Form", "left", "5", false, prompter, &error));
    QVERIFY(error.isEmpty());
    QVERIFY(!QFile::exists(path));

    QVERIFY(WriteSetting(path, "Form", "top", "144", true, prompter, &error));
    QCOMPARE(readBytes(path), QByteArray("[Form]\r\ntop=\"144\"\r\n"));
    QVERIFY(WriteSetting(path, "Form", "left", "201", false, prompter, &error));
    QCOMPARE(ReadSetting(path, "FORM", "LEFT"), QStringLiteral("201"));
    QVERIFY(prompter.questions.isEmpty());
}

void tst_SettingsText::writeSettingAsksForReadOnlyFile_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("OK writes") << true;
    QTest::newRow("Cancel writes nothing") << false;
}

void tst_SettingsText::writeSettingAsksForReadOnlyFile()
{
    QFETCH(bool, answer);
    QTemporaryDir dir;
    const QString path = dir.filePath("tayori.ini");
    writeBytes(path, Existing);
    makeReadOnly(path);
    ScriptedPrompter prompter;
    prompter.confirmAnswers << answer;
    QString error;
    QCOMPARE(WriteSetting(path, "Form", "top", "7", false, prompter, &error), answer);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(prompter.questions.size(), 1);
    QCOMPARE(prompter.questions[0].text, QString::fromUtf8("読み出し専用です。書き込みますか"));
    QCOMPARE(prompter.questions[0].caption, QString::fromUtf8("問合わせ"));
    QCOMPARE(FileAttributes::isReadOnly(path), !answer);
    QCOMPARE(ReadSetting(path, "Form", "top"), answer ? QStringLiteral("7") : QStringLiteral("1"));
    QCOMPARE(ReadSetting(path, "Unknown", "Keep"), QStringLiteral("me"));
}

void tst_SettingsText::oneSaveEqualsKeyByKeyWrites()
{
    struct Write
    {
        const char* section;
        const char* key;
        QString value;
    };
    const QList<Write> writes = {
        {"Form", "top", "144"},
        {"Form", "left", "201"},
        {"Menu", "UseKeisho", BoolText(true)},
        {"Menu", "UseKeisho1", QString::fromUtf8("様")},
        {"FILE", "DataFile", QString::fromUtf8("C:\\住所録\\表ソ.csvu")},
        {"Option", "Hosei", "12,-3"},
        {"ITEMFONT", "item17",
         QString::fromUtf8("ＭＳ 明朝,12.0,500,450,60,600,400,False,False,False")},
    };
    QTemporaryDir dir;
    for (const bool fileExists : {true, false}) {
        const QString oneByOne = dir.filePath(QStringLiteral("a%1.ini").arg(fileExists));
        const QString atOnce = dir.filePath(QStringLiteral("b%1.ini").arg(fileExists));
        if (fileExists) {
            writeBytes(oneByOne, Existing);
            writeBytes(atOnce, Existing);
        }
        ScriptedPrompter prompter;
        bool first = true;
        for (const Write& w : writes) {
            WriteSetting(oneByOne, w.section, w.key, w.value, first, prompter);
            first = false;
        }

        IniFile ini;
        QVERIFY(OpenSettingsForWrite(atOnce, &ini));
        for (const Write& w : writes)
            WriteSetting(ini, w.section, w.key, w.value);
        QString error;
        QVERIFY2(ini.save(&error), qPrintable(error));

        QCOMPARE(readBytes(atOnce), readBytes(oneByOne));
        QCOMPARE(ReadSetting(atOnce, "file", "datafile"), writes[4].value);
        if (fileExists)
            QCOMPARE(ReadSetting(atOnce, "Unknown", "Keep"), QStringLiteral("me"));
    }
}

void tst_SettingsText::wholeWriteClearsReadOnlySilently()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tayori.ini");
    writeBytes(path, Existing);
    makeReadOnly(path);
    IniFile ini;
    QVERIFY(OpenSettingsForWrite(path, &ini));
    QVERIFY(!FileAttributes::isReadOnly(path));
    WriteSetting(ini, "Form", "top", "9");
    QVERIFY(ini.save());
    QCOMPARE(ReadSetting(path, "Form", "top"), QStringLiteral("9"));
    QCOMPARE(ReadSetting(path, "ITEMFONT", "item17"), QStringLiteral("x"));
}

QTEST_GUILESS_MAIN(tst_SettingsText)
#include "tst_SettingsText.moc"
