#include "layout/LayoutTable.h"

#include "layout/LayoutLimits.h"

#include "common/FieldText.h"
#include "common/IniFile.h"
#include "common/SettingsText.h"
#include "common/cp932.h"
#include "layout/BarcodeGeometry.h"

#include <QStringList>

#include <cmath>

namespace {

const QString Section = QStringLiteral("ITEMFONT");

struct DefaultRow
{
    const char16_t* font;
    double size;
    int x, y, width, height, widthEx;
};

constexpr const char16_t* Mincho = u"ＭＳ 明朝";
constexpr const char16_t* Gothic = u"ＭＳ ゴシック";
constexpr const char16_t* BarcodeFont = u"i-JapanPost";

// PostCode's box is filled in from the barcode's natural size (width and height 0 here).
constexpr DefaultRow Defaults[LayoutKindCount][LayoutItemCount] = {
    {
        // TT: columns from the right under the postal boxes, the name in the middle, larger than
        // the address; joint names in the columns to its left, at the name's size and spread.
        {Gothic, 13.0, 420, 130, 200, 70, 0},
        {Gothic, 13.0, 630, 130, 300, 70, 0},
        {Mincho, 12.0, 855, 300, 55, 820, 0},
        {Mincho, 12.0, 795, 400, 55, 720, 0},
        {Mincho, 12.0, 735, 400, 55, 720, 0},
        {Mincho, 11.0, 675, 400, 50, 720, 0},
        {Mincho, 18.0, 590, 380, 72, 740, 650},
        {Mincho, 18.0, 515, 380, 72, 740, 650},
        // Under the columns, 10 mm inside the card's edges.
        {BarcodeFont, 9.0, 180, 1150, 0, 0, 0},
        // The sender in the lower left, columns above the barcode's band (y 115-119 mm), the
        // postal code below it, all clear of the calibration sheet's ruler numbers (x 4.5-12
        // mm). Its columns end at 36.5 mm: three joint names fit right of them at full size.
        {Mincho, 9.0, 130, 1290, 300, 60, 0},
        {Mincho, 9.0, 320, 600, 45, 500, 0},
        {Mincho, 9.0, 275, 640, 45, 460, 0},
        {Mincho, 9.0, 230, 600, 45, 500, 0},
        {Mincho, 11.0, 175, 650, 55, 450, 0},
        {Mincho, 11.0, 120, 650, 55, 450, 0},
    },
    {
        // TY: lines below the stamp, the title above the name, joint names below it.
        {Mincho, 12.0, 150, 370, 100, 45, 0},
        {Mincho, 12.0, 250, 370, 150, 45, 0},
        {Mincho, 13.0, 150, 430, 750, 50, 0},
        {Mincho, 13.0, 200, 490, 700, 50, 0},
        {Mincho, 13.0, 200, 570, 700, 50, 0},
        {Mincho, 12.0, 250, 640, 650, 45, 0},
        {Mincho, 20.0, 250, 710, 650, 80, 500},
        {Mincho, 20.0, 250, 795, 650, 80, 500},
        // Right below the names, on a line of its own, 10 mm inside the card's edges.
        {BarcodeFont, 9.0, 180, 985, 0, 0, 0},
        // The sender in lines below the addressee and the barcode.
        {Mincho, 9.0, 250, 1080, 300, 30, 0},
        {Mincho, 9.0, 250, 1130, 600, 30, 0},
        {Mincho, 9.0, 250, 1170, 600, 30, 0},
        {Mincho, 9.0, 250, 1210, 600, 30, 0},
        {Mincho, 11.0, 250, 1260, 600, 40, 0},
        {Mincho, 11.0, 250, 1310, 600, 40, 0},
    },
    {
        // YT: the card's right end holds the stamp and the postal boxes (turned), so the
        // columns start left of them; the postal code, when not in the boxes, above them.
        {Gothic, 12.0, 880, 80, 100, 50, 0},
        {Gothic, 12.0, 980, 80, 130, 50, 0},
        {Mincho, 12.0, 1050, 150, 45, 690, 0},
        {Mincho, 12.0, 990, 230, 45, 610, 0},
        {Mincho, 12.0, 925, 230, 45, 610, 0},
        {Mincho, 11.0, 860, 230, 45, 610, 0},
        {Mincho, 18.0, 770, 200, 75, 640, 550},
        {Mincho, 18.0, 695, 200, 75, 640, 550},
        // Below the columns and the sender's postal code.
        {BarcodeFont, 9.0, 390, 860, 0, 0, 0},
        // The sender's columns left of the addressee, far enough for two joint names at full
        // size, the postal code below them and above the barcode.
        {Mincho, 9.0, 280, 800, 300, 30, 0},
        {Mincho, 9.0, 500, 200, 40, 450, 0},
        {Mincho, 9.0, 450, 240, 40, 410, 0},
        {Mincho, 9.0, 400, 200, 40, 450, 0},
        {Mincho, 11.0, 340, 250, 50, 400, 0},
        {Mincho, 11.0, 280, 250, 50, 400, 0},
    },
    {
        // YY: lines left of the stamp and the postal boxes at the card's right end.
        {Mincho, 12.0, 250, 140, 100, 45, 0},
        {Mincho, 12.0, 350, 140, 150, 45, 0},
        {Mincho, 12.0, 250, 200, 850, 45, 0},
        {Mincho, 12.0, 300, 255, 800, 45, 0},
        {Mincho, 12.0, 300, 320, 800, 45, 0},
        {Mincho, 11.0, 350, 385, 750, 45, 0},
        {Mincho, 18.0, 350, 445, 750, 75, 500},
        {Mincho, 18.0, 350, 520, 750, 75, 500},
        // Right below the names, above the sender.
        {BarcodeFont, 9.0, 350, 695, 0, 0, 0},
        // The sender in lines in the lower left, below the barcode, left of the addressee, clear
        // of the calibration sheet's ruler numbers.
        {Mincho, 9.0, 130, 750, 300, 30, 0},
        {Mincho, 9.0, 130, 785, 600, 30, 0},
        {Mincho, 9.0, 130, 818, 600, 30, 0},
        {Mincho, 9.0, 130, 851, 600, 30, 0},
        {Mincho, 11.0, 130, 884, 600, 35, 0},
        {Mincho, 11.0, 130, 922, 600, 35, 0},
    },
};

bool inRange(int kind, int item)
{
    return kind >= 0 && kind < LayoutKindCount && item >= 0 && item < LayoutItemCount;
}

} // namespace

LayoutTable::LayoutTable()
{
    setDefaults();
}

LayoutItemRecord LayoutTable::defaultRecord(LayoutKind kind, LayoutItem item)
{
    const DefaultRow& row = Defaults[int(kind)][int(item)];
    LayoutItemRecord r;
    r.FontName = QString::fromUtf16(row.font);
    r.FontSize = row.size;
    r.X = row.x;
    r.Y = row.y;
    r.Width = row.width;
    r.Height = row.height;
    r.WidthEx = row.widthEx;
    if (item == LayoutItem::PostCode) {
        // The barcode is always drawn at its natural size (a squeezed one is not read by the
        // sorting machines), so its box is that size.
        r.Width = BarcodeGeometry::naturalWidthTenthMm();
        r.Height = BarcodeGeometry::naturalHeightTenthMm();
        r.Lock = true;
    }
    return r;
}

void LayoutTable::setDefaults()
{
    for (int k = 0; k < LayoutKindCount; ++k)
        for (int i = 0; i < LayoutItemCount; ++i)
            m_records[k][i] = defaultRecord(LayoutKind(k), LayoutItem(i));
}

const LayoutItemRecord& LayoutTable::record(LayoutKind kind, LayoutItem item) const
{
    return m_records[int(kind)][int(item)];
}

bool LayoutTable::ReadLayoutItem(int kind, int item, QString* displayName,
                                 LayoutItemRecord* record) const
{
    if (!inRange(kind, item))
        return false;
    if (displayName)
        *displayName = layoutItemDisplayName(LayoutItem(item));
    if (record)
        *record = m_records[kind][item];
    return true;
}

bool LayoutTable::StoreLayoutItem(int kind, int item, const LayoutItemRecord& values,
                                  bool positionOnly, QString* displayName)
{
    if (!inRange(kind, item))
        return false;
    LayoutItemRecord& r = m_records[kind][item];
    if (positionOnly) {
        const bool lock = r.Lock;
        const bool noView = r.NoView;
        const bool noPrint = r.NoPrint;
        r = values;
        r.Lock = lock;
        r.NoView = noView;
        r.NoPrint = noPrint;
    } else {
        r = values;
    }
    LayoutLimits::clamp(r, defaultRecord(LayoutKind(kind), LayoutItem(item)));
    if (displayName)
        *displayName = layoutItemDisplayName(LayoutItem(item));
    return true;
}

QString LayoutTable::itemKey(LayoutKind kind, LayoutItem item)
{
    return QStringLiteral("item%1%2").arg(int(kind) + 1).arg(int(item) + 1);
}

QString LayoutTable::recordText(const LayoutItemRecord& r)
{
    using SettingsText::BoolText;
    const QStringList fields = {r.FontName,
                                QString::asprintf("%.1f", r.FontSize),
                                QString::number(r.X),
                                QString::number(r.Y),
                                QString::number(r.Width),
                                QString::number(r.Height),
                                QString::number(r.WidthEx),
                                BoolText(r.Lock),
                                BoolText(r.NoPrint),
                                BoolText(r.NoView)};
    return fields.join(u',');
}

bool LayoutTable::parseRecordText(const QString& text, LayoutItemRecord* record)
{
    if (SettingsText::IsMissingValue(text))
        return false;
    // The fields go through the code page 932 form once, as the field reader counts bytes.
    const QByteArray bytes = cp932::fromUnicode(text);
    if (NthField(bytes, 9).status != NthFieldResult::Found)
        return false;
    const auto field = [&bytes](int n) { return cp932::toUnicode(NthField(bytes, n).field); };
    using SettingsText::IntOfText;
    using SettingsText::IsTrueText;

    LayoutItemRecord r;
    r.FontName = field(1);
    bool ok = false;
    const double size = field(2).toDouble(&ok);
    r.FontSize = ok && std::isfinite(size) && size > 0.0 ? size : record->FontSize;
    r.X = IntOfText(field(3));
    r.Y = IntOfText(field(4));
    r.Width = IntOfText(field(5));
    r.Height = IntOfText(field(6));
    r.WidthEx = IntOfText(field(7));
    r.Lock = IsTrueText(field(8));
    r.NoPrint = IsTrueText(field(9));
    r.NoView = IsTrueText(field(10));
    *record = r;
    return true;
}

bool LayoutTable::FollowsAddressee(LayoutKind kind, const LayoutItemRecord& atena,
                                   const LayoutItemRecord& renmei)
{
    if (renmei.FontSize != atena.FontSize || renmei.WidthEx != atena.WidthEx)
        return false;
    if (isHorizontalWriting(kind))
        return renmei.X == atena.X && renmei.Width == atena.Width && renmei.Y > atena.Y;
    return renmei.Y == atena.Y && renmei.Height == atena.Height && renmei.X < atena.X;
}

bool LayoutTable::FollowAddressee(LayoutKind kind, const LayoutItemRecord& before)
{
    const LayoutItemRecord& atena = record(kind, LayoutItem::Atena);
    LayoutItemRecord& renmei = m_records[size_t(kind)][size_t(LayoutItem::Renmei)];
    if (atena == before || !(before.FontSize > 0) || !FollowsAddressee(kind, before, renmei))
        return false;
    const double ratio = atena.FontSize / before.FontSize;
    const auto scaled = [ratio](int length) { return int(std::lround(length * ratio)); };
    if (renmei.FontName == before.FontName)
        renmei.FontName = atena.FontName;
    renmei.FontSize = atena.FontSize;
    renmei.WidthEx = atena.WidthEx;
    if (isHorizontalWriting(kind)) {
        renmei.Y = atena.Y + scaled(renmei.Y - before.Y);
        renmei.Height = scaled(renmei.Height);
        renmei.X = atena.X;
        renmei.Width = atena.Width;
    } else {
        renmei.X = atena.X - scaled(before.X - renmei.X);
        renmei.Width = scaled(renmei.Width);
        renmei.Y = atena.Y;
        renmei.Height = atena.Height;
    }
    LayoutLimits::clamp(renmei, defaultRecord(kind, LayoutItem::Renmei));
    return true;
}

void LayoutTable::LoadLayoutTable(const IniFile& settings)
{
    setDefaults();
    for (int k = 0; k < LayoutKindCount; ++k) {
        for (int i = 0; i < LayoutItemCount; ++i) {
            const QString key = itemKey(LayoutKind(k), LayoutItem(i)).toUpper();
            LayoutItemRecord& r = m_records[k][i];
            if (parseRecordText(SettingsText::ReadSetting(settings, Section, key), &r))
                LayoutLimits::clamp(r, defaultRecord(LayoutKind(k), LayoutItem(i)));
        }
    }
}

void LayoutTable::SaveLayoutTable(IniFile& settings) const
{
    for (int k = 0; k < LayoutKindCount; ++k)
        for (int i = 0; i < LayoutItemCount; ++i)
            SettingsText::WriteSetting(settings, Section, itemKey(LayoutKind(k), LayoutItem(i)),
                                       recordText(m_records[k][i]));
}
