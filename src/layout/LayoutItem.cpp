#include "layout/LayoutItem.h"

namespace {

constexpr const char* Names[LayoutItemCount] = {
    "YubinNo1",      "YubinNo2",      "Jyusho1",         "Jyusho2",    "Kaishamei",
    "Katagaki",      "Atena",         "Renmei",          "PostCode",   "SenderYubinNo",
    "SenderJyusho1", "SenderJyusho2", "SenderKaishamei", "SenderName", "SenderRenmei"};

constexpr const char16_t* DisplayNames[LayoutItemCount] = {
    u"郵便番号１",     u"郵便番号２",   u"住所１",
    u"住所２",         u"会社名",       u"肩書き",
    u"宛名",           u"連名",         u"カスタマーバーコード",
    u"差出人郵便番号", u"差出人住所１", u"差出人住所２",
    u"差出人会社名",   u"差出人氏名",   u"差出人連名"};

bool valid(LayoutItem item)
{
    return int(item) >= 0 && int(item) < LayoutItemCount;
}

} // namespace

QString layoutItemName(LayoutItem item)
{
    return valid(item) ? QString::fromLatin1(Names[int(item)]) : QString();
}

QString layoutItemDisplayName(LayoutItem item)
{
    return valid(item) ? QString::fromUtf16(DisplayNames[int(item)]) : QString();
}
