#include "PostalTesting.h"

#include "compose/CustomerBarcode.h"
#include "postal/AddressMatch.h"
#include "postal/AddressNumber.h"

#include <QFile>

// The address number through the real table: the manual's examples as the reference file
// lists them, the extraction rules on their own, and the check characters of the results.
class tst_AddressNumber : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { REQUIRE_POSTAL_DATA(); }
    void examples_data();
    void examples();
    void startsAfterThePrefecture_data();
    void startsAfterThePrefecture();
    void refused_data();
    void refused();
    void rules_data();
    void rules();
    void checkCharacters_data();
    void checkCharacters();
    void oddText_data();
    void oddText();
};

void tst_AddressNumber::examples_data()
{
    QTest::addColumn<QString>("postal");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("data");
    QFile tsv(QStringLiteral(TAYORI_TESTDATA "/reference/address-number-examples.tsv"));
    QVERIFY2(tsv.open(QIODevice::ReadOnly), qPrintable(tsv.fileName()));
    int rows = 0;
    for (const QByteArray& line : tsv.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList f = QString::fromUtf8(line).split(u'\t');
        QVERIFY(f.size() >= 3);
        QTest::newRow(qPrintable(f[1])) << f[0] << f[1] << f[2];
        ++rows;
    }
    QVERIFY(rows >= 10);
}

void tst_AddressNumber::examples()
{
    QFETCH(QString, postal);
    QFETCH(QString, address);
    QFETCH(QString, data);
    const AddressNumber::Result r = AddressNumber::extract(PostalIndex::shared(), postal, address);
    QVERIFY2(r.ok, qPrintable(r.reason));
    QCOMPARE(r.data, data);
}

// Addresses written without their prefecture, or without prefecture and city.
void tst_AddressNumber::startsAfterThePrefecture_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("ward of a designated city") << u"泉区紫山3-1-4"_qs;
    QTest::newRow("city and ward") << u"仙台市泉区紫山3-1-4"_qs;
    QTest::newRow("town alone") << u"紫山3-1-4"_qs;
    QTest::newRow("whole address") << u"宮城県仙台市泉区紫山３丁目1-4"_qs;
}

void tst_AddressNumber::startsAfterThePrefecture()
{
    QFETCH(QString, address);
    const AddressNumber::Result r =
        AddressNumber::extract(PostalIndex::shared(), u"9813205"_qs, address);
    QVERIFY2(r.ok, qPrintable(r.reason));
    QCOMPARE(r.data, u"98132053-1-4"_qs);
}

void tst_AddressNumber::refused_data()
{
    QTest::addColumn<QString>("postal");
    QTest::addColumn<QString>("address");
    QTest::newRow("representative code: 以下に掲載がない場合")
        << u"100-0400"_qs << u"東京都新島村字御子ノ花1-2-3"_qs;
    QTest::newRow("no postal code") << u" "_qs << u"東京都千代田区霞が関1-3-2"_qs;
    QTest::newRow("six digits") << u"100-001"_qs << u"東京都千代田区霞が関1-3-2"_qs;
    QTest::newRow("town of the code not in the address")
        << u"1000014"_qs << u"東京都千代田区霞が関1-3-2"_qs;
    QTest::newRow("another ward before the town") << u"9813205"_qs << u"青葉区紫山3-1-4"_qs;
}

void tst_AddressNumber::refused()
{
    QFETCH(QString, postal);
    QFETCH(QString, address);
    const AddressNumber::Result r = AddressNumber::extract(PostalIndex::shared(), postal, address);
    QVERIFY2(!r.ok, qPrintable(r.data));
    QVERIFY(r.data.isEmpty());
    QVERIFY(!r.reason.isEmpty());
}

void tst_AddressNumber::rules_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("number");
    QTest::newRow("kanji before 丁目 番地 号") << u"十一丁目六番地一号"_qs << u"11-6-1"_qs;
    QTest::newRow("第 and 地割, 小字 between") << u"第二十一地割大淵川480"_qs << u"21-480"_qs;
    QTest::newRow("丁 番 号") << u"四丁六番十九号"_qs << u"4-6-19"_qs;
    QTest::newRow("線") << u"南七線"_qs << u"7"_qs;
    QTest::newRow("kanji without a marker is dropped") << u"五番地一の三"_qs << u"5-1"_qs;
    QTest::newRow("hundreds") << u"三百五番地"_qs << u"305"_qs;
    QTest::newRow("building number before 番館") << u"十五番館"_qs << u"15"_qs;
    QTest::newRow("floor at the end") << u"ABCビル10F"_qs << u"10"_qs;
    QTest::newRow("floor then number") << u"2F201号室"_qs << u"2-201"_qs;
    QTest::newRow("F without a digit before it") << u"F棟3号"_qs << u"F3"_qs;
    QTest::newRow("F in a letter run") << u"2FL"_qs << u"2"_qs;
    QTest::newRow("階 is a word") << u"5階"_qs << u"5"_qs;
    QTest::newRow("long vowel mark as hyphen") << u"1丁目11ー32"_qs << u"1-11-32"_qs;
    QTest::newRow("letters meeting across a blank") << u"LプラザB 106"_qs << u"LB106"_qs;
    QTest::newRow("& joins letters into a run") << u"A&b1"_qs << u"1"_qs;
    QTest::newRow("hyphens beside letters") << u"9-7-6-A-1-1"_qs << u"9-7-6A1-1"_qs;
    QTest::newRow("full width") << u"３丁目２０－５　Ｂ６０４"_qs << u"3-20-5B604"_qs;
    QTest::newRow("half-width katakana and lower case") << u"1-2ｺｰﾎﾟb"_qs << u"1-2B"_qs;
    QTest::newRow("written trailing hyphen") << u"3-"_qs << u"3"_qs;
    QTest::newRow("小字 only separates") << u" 添60-1"_qs << u"60-1"_qs;
    QTest::newRow("nothing kept") << u"番外地"_qs << QString();
}

void tst_AddressNumber::rules()
{
    QFETCH(QString, part);
    QFETCH(QString, number);
    QCOMPARE(AddressNumber::fromAddressPart(part), number);
}

void tst_AddressNumber::checkCharacters_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<QChar>("check"); // A-H are CC1-CC8
    QTest::newRow("霞が関") << u"10000131-3-2-503"_qs << QChar(u'9');
    QTest::newRow("大仙市") << u"014011360-1"_qs << QChar(u'H');
    QTest::newRow("韮崎") << u"4070033400"_qs << QChar(u'-');
    QTest::newRow("鎌ケ谷市, a letter") << u"27301023-20-5B604"_qs << QChar(u'0');
    QTest::newRow("大阪府 LB") << u"62300116-7LB106"_qs << QChar(u'4');
    QTest::newRow("cut on a letter's code") << u"91000673-80-25J1-2B"_qs << QChar(u'9');
    QTest::newRow("cut on a hyphen") << u"064080429-1524-23-2-501"_qs << QChar(u'3');
}

void tst_AddressNumber::checkCharacters()
{
    QFETCH(QString, data);
    QFETCH(QChar, check);
    const QString barcode = CustomerBarcode(data);
    QCOMPARE(barcode.size(), 23);
    QCOMPARE(barcode[21], check);
}

void tst_AddressNumber::oddText_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("lone surrogates") << QString(u"東京都千代田区霞が関\xD800 1\xDC00-2"_qs);
    QTest::newRow("long kanji numeral run") << QString(200, u'九') + u"番地"_qs;
    QTest::newRow("half-width voiced mark alone") << u"ﾞ東京都千代田区霞が関ﾟ1"_qs;
    QTest::newRow("only symbols") << u"&/・.&"_qs;
    QTest::newRow("empty") << QString();
}

// Text from a list may hold anything: the check and the extraction answer, never crash, and
// the data stays barcode material.
void tst_AddressNumber::oddText()
{
    QFETCH(QString, address);
    const AddressMatch::Result m = AddressMatch::match(PostalIndex::shared(), u"1000013", address);
    QVERIFY(m.townEnd <= address.size());
    const AddressNumber::Result r =
        AddressNumber::extract(PostalIndex::shared(), u"1000013", address);
    for (QChar c : r.data)
        QVERIFY2(c.isDigit() || c == u'-' || (c >= u'A' && c <= u'Z'), qPrintable(r.data));
    QVERIFY(!AddressNumber::fromAddressPart(address).startsWith(u'-'));
}

QTEST_GUILESS_MAIN(tst_AddressNumber)
#include "tst_AddressNumber.moc"
