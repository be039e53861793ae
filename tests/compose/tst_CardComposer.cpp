#include "addresslist/AddressGrid.h"
#include "compose/CardComposer.h"

#include <QTest>

namespace {
QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

using F = HeaderColumns::Field;

TextMeasure measure120()
{
    TextMeasure m;
    m.widthPx = [](const QString& t) { return int(t.size()) * 6; };
    return m;
}

AddressRecord record(std::initializer_list<std::pair<F, QString>> cells, int row = 1)
{
    AddressRecord r;
    r.row = row;
    for (const auto& [field, text] : cells)
        r.fields[size_t(field)] = text;
    return r;
}

SessionOptions defaults()
{
    SessionOptions o;
    o.defaultHonorific1 = QString::fromUtf8("様");
    o.defaultHonorific2 = QString::fromUtf8("御中");
    return o;
}
} // namespace

Q_DECLARE_METATYPE(LayoutKind)

class tst_CardComposer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void names_data();
    void names();
    void barcode_data();
    void barcode();
    void verticalWriting();
    void postalCodeUsesKindBoxes();
    void companyWithoutPerson_data();
    void companyWithoutPerson();
    void postalCodeCells_data();
    void postalCodeCells();
};

void tst_CardComposer::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("honorific");
    QTest::addColumn<QString>("joint");
    QTest::addColumn<QString>("jointHonorific");
    QTest::addColumn<int>("purpose");
    QTest::addColumn<bool>("useDefaults");
    QTest::addColumn<QString>("spacing");
    QTest::addColumn<QString>("atena");
    QTest::addColumn<QString>("renmei");
    const int print = int(CardComposer::Purpose::Print);
    const int preview = int(CardComposer::Purpose::Preview);
    const QString ideo(QChar(0x3000));
    QTest::newRow("defaults, joint padded by one half-width space")
        << U("山田太郎") << "" << U("花子") << "" << print << true << " " << U("山田太郎 様")
        << U(" 花子 御中");
    QTest::newRow("print uses defaults even when unchecked")
        << U("山田太郎") << "  "
        << ""
        << "" << print << false << " " << U("山田太郎 様") << "";
    QTest::newRow("preview without defaults keeps the blank")
        << U("山田太郎") << ""
        << ""
        << "" << preview << false << " " << U("山田太郎 ") << "";
    QTest::newRow("preview with defaults") << U("山田") << ""
                                           << ""
                                           << "" << preview << true << " " << U("山田 様") << "";
    QTest::newRow("ideographic space honorific is not blank")
        << U("山田") << ideo << ""
        << "" << print << true << " " << U("山田 ") + ideo << "";
    QTest::newRow("full-width spacing")
        << U("山田") << U("様") << ""
        << "" << print << true << ideo << U("山田") + ideo + U("様") << "";
    QTest::newRow("no spacing") << U("山田") << U("様") << U("花子") << U("様") << print << true
                                << "" << U("山田様") << U("花子様");
    QTest::newRow("narrow difference padded with full-width spaces")
        << "Bob Smith"
        << ""
        << "Al"
        << "" << print << true << " "
        << "Bob Smith " + U("様") << ideo.repeated(7) + U("Al 御中");
    QTest::newRow("crossing: wide and narrow differences")
        << U("山田太郎ab") << U("様") << U("花") << U("様") << print << true << " "
        << U("山田太郎ab 様") << ideo.repeated(2) + "   " + U("花 様");
    QTest::newRow("longer joint name is not cut")
        << U("林") << U("様") << U("佐々木花子") << U("様") << print << true << " " << U("林 様")
        << U("佐々木花子 様");
    // A household: each joint name a line of its own, each with its honorific and lined up
    // with the name as one joint name is.
    QTest::newRow("two joint names by 「・」")
        << U("山田太郎") << U("様") << U("花子・秀樹") << U("様") << print << true << " "
        << U("山田太郎 様") << U("  花子 様\n  秀樹 様");
    QTest::newRow("three joint names by 「、」, the longest not padded")
        << U("山田太郎") << U("様") << U("花子、秀樹、ジョージ") << "" << print << true << " "
        << U("山田太郎 様") << U(" 花子 御中\n 秀樹 御中\nジョージ 御中");
    QTest::newRow("line breaks, blanks around and empty pieces dropped")
        << U("山田太郎") << U("様") << U("花子\r\n\n 秀樹 ・") << U("様") << print << true << " "
        << U("山田太郎 様") << U("  花子 様\n  秀樹 様");
    QTest::newRow("separators only: no joint name") << U("山田") << U("様") << U("・、") << U("様")
                                                    << print << true << " " << U("山田 様") << "";
}

void tst_CardComposer::names()
{
    QFETCH(QString, name);
    QFETCH(QString, honorific);
    QFETCH(QString, joint);
    QFETCH(QString, jointHonorific);
    QFETCH(int, purpose);
    QFETCH(bool, useDefaults);
    QFETCH(QString, spacing);
    QFETCH(QString, atena);
    QFETCH(QString, renmei);
    SessionOptions o = defaults();
    o.useDefaultHonorifics = useDefaults;
    o.spaceBetweenName = !spacing.isEmpty();
    if (!spacing.isEmpty())
        o.nameSpacingText = spacing;
    const CardComposer composer(o, measure120());
    const CardTexts card =
        composer.ComposeCardTexts(record({{F::Name, name},
                                          {F::Honorific, honorific},
                                          {F::JointName, joint},
                                          {F::JointHonorific, jointHonorific}}),
                                  LayoutKind::TY, CardComposer::Purpose(purpose), 14.0);
    QCOMPARE(card[LayoutItem::Atena], atena);
    QCOMPARE(card[LayoutItem::Renmei], renmei);
}

void tst_CardComposer::barcode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("printed");
    QTest::addColumn<bool>("useBarcode");
    QTest::addColumn<QString>("postCode");
    QTest::addColumn<QString>("cell");
    QTest::newRow("built and printed") << "10000133-2-1"
                                       << "1" << true << "(10000133-2-1DDDDDDDD9)"
                                       << "(10000133-2-1DDDDDDDD9)";
    QTest::newRow("built but not printed") << "10000133-2-1"
                                           << "1" << false << ""
                                           << "(10000133-2-1DDDDDDDD9)";
    QTest::newRow("single-space switch (an empty list cell) is on")
        << "10000133-2-1"
        << " " << true << "(10000133-2-1DDDDDDDD9)"
        << "(10000133-2-1DDDDDDDD9)";
    QTest::newRow("blank data with a blank switch builds nothing") << " "
                                                                   << " " << true << ""
                                                                   << " ";
    QTest::newRow("ideographic space switch is on")
        << "10000133-2-1" << QString(QChar(0x3000)) << true << "(10000133-2-1DDDDDDDD9)"
        << "(10000133-2-1DDDDDDDD9)";
    QTest::newRow("blank data builds nothing") << "  "
                                               << "1" << true << "1"
                                               << "1";
    QTest::newRow("empty switch suppresses") << "10000133-2-1"
                                             << "" << true << ""
                                             << "";
    QTest::newRow("switch without data prints as it stands") << ""
                                                             << "(X)" << true << "(X)"
                                                             << "(X)";
}

void tst_CardComposer::barcode()
{
    QFETCH(QString, code);
    QFETCH(QString, printed);
    QFETCH(bool, useBarcode);
    QFETCH(QString, postCode);
    QFETCH(QString, cell);
    SessionOptions o = defaults();
    o.useCustomerBarcode = useBarcode;
    AddressGrid grid;
    HeaderColumns columns;
    columns.columns[size_t(F::PrintedBarcode)] = 11;
    grid.setCell(11, 3, printed);
    const CardComposer composer(o, measure120());
    const CardTexts card = composer.ComposeCardTexts(
        record({{F::Name, "x"}, {F::BarcodeData, code}, {F::PrintedBarcode, printed}}, 3),
        LayoutKind::TT, CardComposer::Purpose::Print, 14.0, &grid, &columns);
    QCOMPARE(card[LayoutItem::PostCode], postCode);
    QCOMPARE(grid.cell(11, 3), cell);
}

void tst_CardComposer::verticalWriting()
{
    SessionOptions o = defaults();
    const CardComposer composer(o, measure120());
    const AddressRecord r = record({{F::Name, U("山田")},
                                    {F::Honorific, U("様")},
                                    {F::Address1, U("東京都1-2-3")},
                                    {F::Company, "ABC"},
                                    {F::PostalCode, "123-4567"}});
    const CardTexts v =
        composer.ComposeCardTexts(r, LayoutKind::YT, CardComposer::Purpose::Print, 14.0);
    QCOMPARE(v[LayoutItem::Jyusho1], QString::fromUtf8("東京都一─二─三"));
    QCOMPARE(v[LayoutItem::Kaishamei], QString::fromUtf8("ＡＢＣ"));
    QCOMPARE(v[LayoutItem::Atena], QString::fromUtf8("山田　様"));
    QCOMPARE(v[LayoutItem::YubinNo1], QStringLiteral("123")); // never converted
    const CardTexts h =
        composer.ComposeCardTexts(r, LayoutKind::YY, CardComposer::Purpose::Print, 14.0);
    QCOMPARE(h[LayoutItem::Jyusho1], QString::fromUtf8("東京都1-2-3"));
    QCOMPARE(h[LayoutItem::Atena], QString::fromUtf8("山田 様"));

    // A street and a building on two lines of one cell (address books) are one line.
    const AddressRecord lines = record({{F::Name, U("山田\n")},
                                        {F::Honorific, U("様")},
                                        {F::Address1, U("霞が関1-3-2\r\n霞が関ビル201")}});
    const CardTexts yy =
        composer.ComposeCardTexts(lines, LayoutKind::YY, CardComposer::Purpose::Print, 14.0);
    QCOMPARE(yy[LayoutItem::Jyusho1], U("霞が関1-3-2 霞が関ビル201"));
    QCOMPARE(yy[LayoutItem::Atena], U("山田 様"));
    const CardTexts yt =
        composer.ComposeCardTexts(lines, LayoutKind::YT, CardComposer::Purpose::Print, 14.0);
    QCOMPARE(yt[LayoutItem::Jyusho1], U("霞が関一─三─二　霞が関ビル二〇一"));

    // Each joint name is turned on its own; the break between them stays a break.
    const AddressRecord household =
        record({{F::Name, U("山田")}, {F::Honorific, U("様")}, {F::JointName, U("ABC・花子")}});
    const CardTexts joint =
        composer.ComposeCardTexts(household, LayoutKind::TT, CardComposer::Purpose::Print, 14.0);
    QCOMPARE(joint.jointNameLines(), QStringList({U("　ＡＢＣ　御中"), U("花子　御中")}));
}

void tst_CardComposer::postalCodeUsesKindBoxes()
{
    SessionOptions o = defaults();
    o.useZipBoxes = {false, true, false, false};
    o.joinByHyphen = true;
    const CardComposer composer(o, measure120());
    const AddressRecord r = record({{F::Name, "x"}, {F::PostalCode, "123-4567"}});
    const CardTexts tt =
        composer.ComposeCardTexts(r, LayoutKind::TT, CardComposer::Purpose::Print, 14.0);
    const CardTexts ty =
        composer.ComposeCardTexts(r, LayoutKind::TY, CardComposer::Purpose::Print, 14.0);
    QCOMPARE(tt[LayoutItem::YubinNo1], QStringLiteral("123-"));
    QCOMPARE(ty[LayoutItem::YubinNo1], QStringLiteral("1 2 3"));
    QCOMPARE(ty[LayoutItem::YubinNo2], QStringLiteral("4 5 6 7"));
}

void tst_CardComposer::companyWithoutPerson_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("honorific");
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<QString>("kaishamei");
    QTest::addColumn<QString>("katagaki");
    QTest::addColumn<QString>("atena");
    const QString minato = U("株式会社みなと商事");
    QTest::newRow("the company takes the name's place, 御中") << "" << minato << ""
                                                              << "" << LayoutKind::YY << ""
                                                              << "" << U("株式会社みなと商事 御中");
    QTest::newRow("an explicit 敬称 holds") << "" << minato << "" << U("様") << LayoutKind::YY << ""
                                            << "" << U("株式会社みなと商事 様");
    QTest::newRow("a department after the company, 御中")
        << " " << minato << U("営業部") << "" << LayoutKind::YY << minato << "" << U("営業部 御中");
    QTest::newRow("a name that repeats the company (a company's contact)")
        << minato << minato << ""
        << "" << LayoutKind::YY << ""
        << "" << U("株式会社みなと商事 御中");
    QTest::newRow("vertical") << "" << U("ABC商事") << ""
                              << "" << LayoutKind::TT << ""
                              << "" << U("ＡＢＣ商事　御中");
    QTest::newRow("a person at the company is the usual card")
        << U("山田 太郎") << minato << U("部長") << "" << LayoutKind::YY << minato << U("部長")
        << U("山田 太郎 様");
}

// A row with a company and no person is a card to the company, as business mail is
// addressed; the company is printed once.
void tst_CardComposer::companyWithoutPerson()
{
    QFETCH(QString, name);
    QFETCH(QString, company);
    QFETCH(QString, title);
    QFETCH(QString, honorific);
    QFETCH(LayoutKind, kind);
    QFETCH(QString, kaishamei);
    QFETCH(QString, katagaki);
    QFETCH(QString, atena);
    const SessionOptions o = defaults();
    const CardComposer composer(o, measure120());
    const CardTexts card = composer.ComposeCardTexts(
        record(
            {{F::Name, name}, {F::Company, company}, {F::Title, title}, {F::Honorific, honorific}}),
        kind, CardComposer::Purpose::Print, 14.0);
    QCOMPARE(card[LayoutItem::Kaishamei], kaishamei);
    QCOMPARE(card[LayoutItem::Katagaki], katagaki);
    QCOMPARE(card[LayoutItem::Atena], atena);
}

void tst_CardComposer::postalCodeCells_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<QString>("yubin1");
    QTest::addColumn<QString>("yubin2");
    // TT puts digits into the printed boxes, TY spreads them, YY prints them as they are.
    QTest::newRow("不明 in the boxes") << U("不明") << LayoutKind::TT << ""
                                       << "";
    QTest::newRow("不明 plain") << U("不明") << LayoutKind::YY << ""
                                << "";
    QTest::newRow("an address in the code's column") << U("100-0013 東京都") << LayoutKind::YY << ""
                                                     << "";
    QTest::newRow("a full-width code still prints")
        << U("〒１００－００１３") << LayoutKind::TT << "100"
        << "0013";
}

// A postal-code cell without a code prints nothing, never part of a character.
void tst_CardComposer::postalCodeCells()
{
    QFETCH(QString, cell);
    QFETCH(LayoutKind, kind);
    QFETCH(QString, yubin1);
    QFETCH(QString, yubin2);
    SessionOptions o = defaults();
    o.zipInBoxes = {true, false};
    o.useZipBoxes = {false, true, false, false};
    const CardComposer composer(o, measure120());
    const CardTexts card = composer.ComposeCardTexts(
        record({{F::Name, "x"}, {F::PostalCode, cell}}), kind, CardComposer::Purpose::Print, 14.0);
    QCOMPARE(card[LayoutItem::YubinNo1], yubin1);
    QCOMPARE(card[LayoutItem::YubinNo2], yubin2);
}

QTEST_GUILESS_MAIN(tst_CardComposer)
#include "tst_CardComposer.moc"
