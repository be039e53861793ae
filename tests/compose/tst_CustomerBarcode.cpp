#include "compose/CustomerBarcode.h"

#include "common/cp932.h"

#include <QTest>

class tst_CustomerBarcode : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void text_data();
    void text();
    void bytes_data();
    void bytes();
};

// Expected texts are worked out by hand from the rule: letters to control code + digit,
// cut or pad (CC4 = "D", value 14) to 20, check = what brings the sum to a multiple of 19.
void tst_CustomerBarcode::text_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty data gives no barcode") << QString() << QString();
    QTest::newRow("12 characters padded with eight CC4, check 9") << "10000133-2-1"
                                                                  << "(10000133-2-1DDDDDDDD9)";
    QTest::newRow("letters A and B become CC1 0 and CC1 1") << "0600906AB"
                                                            << "(0600906A0A1DDDDDDDDD1)";
    QTest::newRow("exactly 20 characters: no padding") << "12345678901234567890"
                                                       << "(123456789012345678905)";
    QTest::newRow("21 characters: the last is cut") << "123456789012345678901"
                                                    << "(123456789012345678905)";
    QTest::newRow("cut between control code and digit") << "0123456789012345678Z"
                                                        << "(0123456789012345678C1)";
    QTest::newRow("sum a multiple of 19 gives check 0") << "0"
                                                        << "(0DDDDDDDDDDDDDDDDDDD0)";
    QTest::newRow("check value 18 is CC8") << "1"
                                           << "(1DDDDDDDDDDDDDDDDDDDH)";
    QTest::newRow("check value 10 is the hyphen") << "99999999999999999999"
                                                  << "(99999999999999999999-)";
    QTest::newRow("K to T use CC2, U to Z use CC3") << "KTUZ"
                                                    << "(B0B9C0C5DDDDDDDDDDDDE)";
    QTest::newRow("lower case is copied and counts -1") << "1a"
                                                        << "(1aDDDDDDDDDDDDDDDDDDD)";
    QTest::newRow("negative sum still gives a check from 0 to 18") << "aaaaaaaaaaaaaaaaaaaa"
                                                                   << "(aaaaaaaaaaaaaaaaaaaa1)";
    QTest::newRow("a blank is an unknown byte") << "1 2"
                                                << "(1 2DDDDDDDDDDDDDDDDD7)";
    QTest::newRow("full-width data reads as ASCII")
        << QString::fromUtf8("１００００１３３－２－１ＡＢ") << "(10000133-2-1A0A1DDDD4)";
    QTest::newRow("minus sign reads as a hyphen")
        << QString::fromUtf8("1−2") << "(1-2DDDDDDDDDDDDDDDDDE)";

    // Japan Post's own worked examples (zip code manual).
    QTest::newRow("JP: Kasumigaseki 1-3-2-503, check 9 as printed") << "10000131-3-2-503"
                                                                    << "(10000131-3-2-503DDDD9)";
    QTest::newRow("JP: Hitachi 6-7-14-2") << "31700556-7-14-2"
                                          << "(31700556-7-14-2DDDDDA)";
    QTest::newRow("JP: Sapporo, 20th character a hyphen") << "064080429-1524-23-2-501"
                                                          << "(064080429-1524-23-2-3)";
    QTest::newRow("JP: Fukui J1 and 2-B, CC1 kept at the cut") << "91000673-80-25J1-2B"
                                                               << "(91000673-80-25A91-2A9)";
    QTest::newRow("JP: large-volume office 100-8792") << "1008792"
                                                      << "(1008792DDDDDDDDDDDDD0)";
    QTest::newRow("JP: PO box 980-8691 number 215") << "9808691215"
                                                    << "(9808691215DDDDDDDDDD1)";
}

void tst_CustomerBarcode::text()
{
    QFETCH(QString, data);
    QFETCH(QString, expected);
    QCOMPARE(CustomerBarcode(data), expected);
}

// Data that is not ASCII is handled on its code page 932 bytes.
void tst_CustomerBarcode::bytes_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<QByteArray>("expectedBytes");

    // "ア" is 0x83 0x41, and 0x41 is "A": byte by byte, the trail byte is a letter.
    QTest::newRow("katakana: lead byte unknown, trail byte a letter")
        << QString::fromUtf8("ア")
        << QByteArray("(\x83"
                      "A0DDDDDDDDDDDDDDDDDH)");
    // Byte 20 is the lead byte of "区" (0x8B 0xE6); the trail byte is cut off.
    QTest::newRow("double-byte character cut after its lead byte")
        << QString::fromUtf8("1234567890123456789区")
        << QByteArray("(1234567890123456789\x8B"
                      "6)");
}

void tst_CustomerBarcode::bytes()
{
    QFETCH(QString, data);
    QFETCH(QByteArray, expectedBytes);
    QCOMPARE(CustomerBarcodeBytes(cp932::fromUnicode(data)), expectedBytes);
    // The text form is those bytes read back; the ASCII part stays as it is.
    const QString text = CustomerBarcode(data);
    QCOMPARE(text, cp932::toUnicode(expectedBytes));
    QVERIFY(text.endsWith(QLatin1StringView(expectedBytes.right(2))));
}

QTEST_APPLESS_MAIN(tst_CustomerBarcode)
#include "tst_CustomerBarcode.moc"
