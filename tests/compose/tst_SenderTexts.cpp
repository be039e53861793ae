#include "compose/CardComposer.h"
#include "compose/SenderTexts.h"

#include <QTest>

// The sender's texts as a card's composition gives them.

Q_DECLARE_METATYPE(SenderInfo)

namespace {

SenderInfo yamada()
{
    return {true,
            u"1000013"_qs,
            u"千代田区霞が関１－３－２"_qs,
            u"ハイツ201"_qs,
            u"たより商会"_qs,
            u"山田 太郎"_qs,
            u"花子"_qs};
}

CardTexts composed(const SenderInfo& sender, LayoutKind kind)
{
    SessionOptions options;
    options.sender = sender;
    TextMeasure measure;
    measure.widthPx = [](const QString& t) { return int(t.size()) * 6; };
    const CardComposer composer(options, measure);
    AddressRecord record;
    record.fields[size_t(HeaderColumns::Field::Name)] = u"鈴木 一郎"_qs;
    record.fields[size_t(HeaderColumns::Field::PostalCode)] = u"2310023"_qs;
    record.fields[size_t(HeaderColumns::Field::Address1)] = u"横浜市中区山下町1"_qs;
    return composer.ComposeCardTexts(record, kind, CardComposer::Purpose::Print, 13.0);
}

} // namespace

class tst_SenderTexts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cardTexts_data();
    void cardTexts();
    void postalText_data();
    void postalText();
};

void tst_SenderTexts::cardTexts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<SenderInfo>("sender");
    QTest::addColumn<QStringList>("expected"); // postal code, addresses, company, name, joint

    // Vertical: full width, kanji numerals, the joint name a column under the given name.
    QTest::newRow("TT") << 0 << yamada()
                        << QStringList{u"〒100-0013"_qs,   u"千代田区霞が関一─三─二"_qs,
                                       u"ハイツ二〇一"_qs, u"たより商会"_qs,
                                       u"山田　太郎"_qs,   u"　　　花子"_qs};
    // Horizontal: as typed, the indent as wide as "山田 " in wide and narrow blanks.
    QTest::newRow("YY") << 3 << yamada()
                        << QStringList{u"〒100-0013"_qs, u"千代田区霞が関１－３－２"_qs,
                                       u"ハイツ201"_qs,  u"たより商会"_qs,
                                       u"山田 太郎"_qs,  u"　　 花子"_qs};
    SenderInfo noSpace = yamada();
    noSpace.name = u"山田太郎"_qs;
    noSpace.renmei = u"花子"_qs;
    QTest::newRow("name without a space: the joint name ends with it")
        << 1 << noSpace << QStringList{u"〒100-0013"_qs, u"千代田区霞が関１－３－２"_qs,
                                       u"ハイツ201"_qs,  u"たより商会"_qs,
                                       u"山田太郎"_qs,   u"　　花子"_qs};
    // Two people, a column (line) each, both under the given name.
    SenderInfo two = yamada();
    two.renmei = u"花子・一郎"_qs;
    QTest::newRow("TT, two joint names")
        << 0 << two << QStringList{u"〒100-0013"_qs,   u"千代田区霞が関一─三─二"_qs,
                                   u"ハイツ二〇一"_qs, u"たより商会"_qs,
                                   u"山田　太郎"_qs,   u"　　　花子\n　　　一郎"_qs};
    two.renmei = u"花子、一郎"_qs;
    QTest::newRow("YY, two joint names")
        << 3 << two << QStringList{u"〒100-0013"_qs, u"千代田区霞が関１－３－２"_qs,
                                   u"ハイツ201"_qs,  u"たより商会"_qs,
                                   u"山田 太郎"_qs,  u"　　 花子\n　　 一郎"_qs};
    SenderInfo off = yamada();
    off.print = false;
    QTest::newRow("not printed") << 0 << off << QStringList(6, QString());
    SenderInfo blank;
    blank.print = true;
    QTest::newRow("printed but blank") << 2 << blank << QStringList(6, QString());
}

void tst_SenderTexts::cardTexts()
{
    QFETCH(int, kind);
    QFETCH(SenderInfo, sender);
    QFETCH(QStringList, expected);
    const CardTexts card = composed(sender, LayoutKind(kind));
    QStringList got;
    for (int i = AddresseeItemCount; i < LayoutItemCount; ++i)
        got << card.text[size_t(i)];
    QCOMPARE(got, expected);
    // The addressee's texts are those of a card without a sender.
    const CardTexts without = composed(SenderInfo(), LayoutKind(kind));
    for (int i = 0; i < AddresseeItemCount; ++i)
        QCOMPARE(card.text[size_t(i)], without.text[size_t(i)]);
    QCOMPARE(card[LayoutItem::Atena].isEmpty(), false);
}

void tst_SenderTexts::postalText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("seven digits") << u"1000013"_qs << u"〒100-0013"_qs;
    QTest::newRow("full width with hyphen") << u" １００－００１３ "_qs << u"〒100-0013"_qs;
    QTest::newRow("six digits as typed") << u"100-001"_qs << u"〒100-001"_qs;
    QTest::newRow("not a code") << u"私書箱5号"_qs << u"〒私書箱5号"_qs;
    QTest::newRow("typed with its mark") << u"〒248ー0005"_qs << u"〒248-0005"_qs;
    QTest::newRow("not a code, with its mark") << u"〒 私書箱5号"_qs << u"〒私書箱5号"_qs;
    QTest::newRow("blank") << u"  "_qs << QString();
}

void tst_SenderTexts::postalText()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QCOMPARE(SenderPostalText(typed), expected);
}

QTEST_GUILESS_MAIN(tst_SenderTexts)
#include "tst_SenderTexts.moc"
