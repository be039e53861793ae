#include "compose/CardComposer.h"

#include "addresslist/AddressGrid.h"
#include "common/TextHelpers.h"
#include "compose/CustomerBarcode.h"
#include "compose/SenderTexts.h"

#include <QRegularExpression>

namespace {

struct Widths
{
    int wide = 0;
    int narrow = 0;
};

Widths countWidths(const QString& text)
{
    Widths w;
    for (QChar c : text)
        (c.unicode() >= 0x100 ? w.wide : w.narrow)++;
    return w;
}

// A field is one line on the card: a line break in a cell (street and building from an address
// book) could only be drawn as a crossed box, so it reads as a space.
QString oneLine(const QString& text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n]+"));
    return text.split(breaks, Qt::SkipEmptyParts).join(u' ');
}

// Who the card goes to. A row without a person goes to its company, as business mail is
// addressed: the company takes the name's place (「株式会社みなと商事 御中」), or, with a
// department in the title, the company keeps its own field and the department takes the
// name's place (「株式会社みなと商事」「営業部 御中」). A name that only repeats the company
// (an address book's company contact) is no person either.
struct Addressee
{
    QString name, company, title;
    bool toCompany = false;
};

Addressee addresseeOf(const AddressRecord& record)
{
    using F = HeaderColumns::Field;
    Addressee to{oneLine(record[F::Name]), oneLine(record[F::Company]), oneLine(record[F::Title])};
    const QString company = TrimBlanks(to.company);
    if (company.isEmpty() || (!IsBlankText(to.name) && TrimBlanks(to.name) != company))
        return to;
    to.toCompany = true;
    if (IsBlankText(to.title)) {
        to.name = company;
        to.company.clear();
    } else {
        to.name = TrimBlanks(to.title);
        to.title.clear();
    }
    return to;
}

} // namespace

QStringList CardComposer::JointNames(const QString& cell)
{
    if (IsBlankText(cell))
        return {};
    static const QRegularExpression separators(QStringLiteral("[・、\\r\\n]"));
    const QStringList pieces = cell.split(separators);
    if (pieces.size() == 1)
        return {cell};
    QStringList names;
    for (const QString& piece : pieces)
        if (!IsBlankText(piece))
            names << TrimBlanks(piece);
    return names;
}

CardTexts CardComposer::ComposeCardTexts(const AddressRecord& record, LayoutKind kind,
                                         Purpose purpose, double yubinFontSize, AddressGrid* grid,
                                         const HeaderColumns* columns) const
{
    using F = HeaderColumns::Field;
    const SessionOptions& o = m_options;
    const Addressee to = addresseeOf(record);
    QString honorific = record[F::Honorific];
    QString jointHonorific = record[F::JointHonorific];
    if (purpose == Purpose::Print || o.useDefaultHonorifics) {
        if (IsBlankText(honorific))
            honorific = to.toCompany ? CompanyHonorific : o.defaultHonorific1;
        if (IsBlankText(jointHonorific))
            jointHonorific = o.defaultHonorific2;
    }
    const QString spacing = o.spaceBetweenName ? o.nameSpacingText : QString();

    CardTexts card;
    QString& atena = card[LayoutItem::Atena];
    QString& renmei = card[LayoutItem::Renmei];
    atena = to.name + spacing + honorific;
    QStringList lines;
    for (const QString& name : JointNames(record[F::JointName])) {
        QString line = name + spacing + jointHonorific;
        // Line each joint name up with the name: half-width spaces for missing wide
        // characters, full-width ones for missing narrow characters.
        const Widths a = countWidths(atena);
        const Widths r = countWidths(line);
        const int wide = a.wide - r.wide;
        const int narrow = a.narrow - r.narrow;
        if (wide > 0)
            line.prepend(QString(wide, u' '));
        if (narrow > 0)
            line.prepend(QString(narrow, QChar(0x3000)));
        lines << line;
    }

    // The "印刷コード" cell is the switch; the single space that stands for an empty cell of a
    // loaded list counts as on, so filling "コード" alone is enough. Without data there is
    // no barcode: a barcode of fill characters would be printed for every such row.
    QString printed = record[F::PrintedBarcode];
    QString data = record[F::BarcodeData];
    if (IsBlankText(data) && o.barcodeFromAddress && m_barcodeSource && !printed.isEmpty())
        data = m_barcodeSource(record);
    if (!IsBlankText(data) && !printed.isEmpty()) {
        printed = CustomerBarcode(data);
        if (grid && columns && (*columns)[F::PrintedBarcode] >= 0)
            grid->setCell((*columns)[F::PrintedBarcode], record.row, printed);
    }
    card[LayoutItem::PostCode] =
        o.useCustomerBarcode && !IsBlankText(printed) ? printed : QString();

    // A cell of words rather than a code (「不明」) prints nothing, not half a character.
    const QString postalCode =
        IsNotPostalCode(record[F::PostalCode]) ? QString() : record[F::PostalCode];
    // Digits bound for the printed boxes go plainly, three and four: the renderer puts each
    // into its box, and spaces or a hyphen would only be in the way on the preview.
    const QString boxed = ZipInBoxes(o, kind) ? PostalCodeDigits(postalCode) : QString();
    if (!boxed.isEmpty()) {
        card[LayoutItem::YubinNo1] = boxed.left(3);
        card[LayoutItem::YubinNo2] = boxed.mid(3);
    } else {
        const PostalCodeParts postal = SplitPostalCode(postalCode, o.useZipBoxes[size_t(kind)],
                                                       o.joinByHyphen, yubinFontSize, m_measure);
        card[LayoutItem::YubinNo1] = postal.part1;
        card[LayoutItem::YubinNo2] = postal.part2;
    }

    card[LayoutItem::Jyusho1] = oneLine(record[F::Address1]);
    card[LayoutItem::Jyusho2] = oneLine(record[F::Address2]);
    card[LayoutItem::Kaishamei] = to.company;
    card[LayoutItem::Katagaki] = to.title;
    if (!isHorizontalWriting(kind)) {
        for (LayoutItem item : {LayoutItem::Jyusho1, LayoutItem::Jyusho2, LayoutItem::Kaishamei,
                                LayoutItem::Katagaki, LayoutItem::Atena})
            card[item] = ToVerticalText(card[item], o.useNonUnicodeFont);
        for (QString& line : lines)
            line = ToVerticalText(line, o.useNonUnicodeFont);
    }
    renmei = lines.join(QChar(CardTexts::NameBreak));
    ComposeSenderTexts(o.sender, kind, o.useNonUnicodeFont, card);
    return card;
}
