#include "addresslist/VCardReader.h"

#include <QFile>
#include <QTest>

// Contacts as phones and address books export them, read into the program's columns.

namespace {
QByteArray file(const QString& name)
{
    QFile f(QStringLiteral(TAYORI_TESTDATA "/vcard/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class tst_vcardreader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void contacts_data();
    void contacts();
    void lineForms_data();
    void lineForms();
    void companyContacts_data();
    void companyContacts();
};

void tst_vcardreader::contacts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("fields"); // name, postal code, address 1 and 2, company, title

    QTest::newRow("3.0: HOME chosen over the WORK before it, group prefixes")
        << "phone_3.0.vcf" << 0
        << QStringList{"山田 太郎",          "110-0016",           "東京都台東区台東1-2-3",
                       "パークハイツ 203号", "株式会社ヤマダ商事", "部長"};
    QTest::newRow("3.0: N without FN, only a WORK address")
        << "phone_3.0.vcf" << 1
        << QStringList{"鈴木 一郎", "060-0001", "北海道札幌市中央区北一条西2丁目", "", "", ""};
    QTest::newRow("3.0: a contact without an address is listed")
        << "phone_3.0.vcf" << 2 << QStringList{"住所のない人", "", "", "", "", ""};
    QTest::newRow("2.1: Shift_JIS quoted-printable over soft line breaks")
        << "old_phone_2.1_sjis.vcf" << 0
        << QStringList{"佐藤 花子", "600-8216", "京都府京都市下京区東塩小路町７２１－１",
                       "",          "",         ""};
    QTest::newRow("4.0: quoted type list, folded line")
        << "card_4.0.vcf" << 0
        << QStringList{"高橋 美咲", "460-0008",       "愛知県名古屋市中区栄一丁目1-1",
                       "",          "合同会社ミナト", "代表社員"};
}

void tst_vcardreader::contacts()
{
    QFETCH(QString, file);
    QFETCH(int, index);
    QFETCH(QStringList, fields);
    const QList<VCardReader::Contact> contacts = VCardReader::Parse(::file(file));
    QVERIFY(index < contacts.size());
    const VCardReader::Contact& c = contacts[index];
    QCOMPARE((QStringList{c.name, c.postalCode, c.address1, c.address2, c.company, c.title}),
             fields);
}

void tst_vcardreader::lineForms_data()
{
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<QString>("address2");
    QTest::newRow("escaped line break, comma and semicolon in the street")
        << QByteArray(
               "BEGIN:VCARD\nVERSION:3.0\nFN:a\nADR:;;1-2\\n3F\\, 東棟\\;奥;市;県;;\nEND:VCARD\n")
        << "3F, 東棟;奥";
    QTest::newRow("extended address after the further street lines")
        << QByteArray(
               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:a\r\nADR:;別館;1-2\\n2F;市;県;;\r\nEND:VCARD\r\n")
        << "2F 別館";
    QTest::newRow("tab-folded line, byte-order mark")
        << QByteArray("\xEF\xBB\xBF"
                      "BEGIN:VCARD\nVERSION:4.0\nFN:a\nADR:;;1;市;県;;\n\t;棟\nEND:VCARD\n")
        << "";
    QTest::newRow("an embedded card does not end the outer one")
        << QByteArray("BEGIN:VCARD\nFN:a\nAGENT:\nBEGIN:VCARD\nADR:;;x\\ny;;;;\nEND:VCARD\n"
                      "ADR:;;1\\n2;市;県;;\nEND:VCARD\n")
        << "2";
}

// Folding, escapes and nesting, on small cards.
void tst_vcardreader::lineForms()
{
    QFETCH(QByteArray, card);
    QFETCH(QString, address2);
    const QList<VCardReader::Contact> contacts = VCardReader::Parse(card);
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts[0].address2, address2);
}

void tst_vcardreader::companyContacts_data()
{
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<QString>("name"); // empty: the card goes to the company
    QTest::newRow("FN is the ORG, no N")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:株式会社みなと商事\nORG:株式会社みなと商事\n"
                      "END:VCARD\n")
        << "";
    QTest::newRow("an empty N is no person")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:;;;;\nFN:株式会社みなと商事\n"
                      "ORG:株式会社みなと商事;営業部\nEND:VCARD\n")
        << "";
    QTest::newRow("4.0 KIND:org with a short FN")
        << QByteArray("BEGIN:VCARD\nVERSION:4.0\nKIND:org\nFN:みなと商事\nORG:株式会社みなと商事\n"
                      "END:VCARD\n")
        << "";
    QTest::newRow("a person at the company")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:山田;太郎;;;\nFN:山田 太郎\n"
                      "ORG:株式会社みなと商事\nEND:VCARD\n")
        << "山田 太郎";
}

// A company's own contact names no person: its card goes to the company, named once.
void tst_vcardreader::companyContacts()
{
    QFETCH(QByteArray, card);
    QFETCH(QString, name);
    const QList<VCardReader::Contact> contacts = VCardReader::Parse(card);
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts[0].name, name);
}

QTEST_GUILESS_MAIN(tst_vcardreader)
#include "tst_vcardreader.moc"
