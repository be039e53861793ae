#pragma once

#include <QString>

// The fields of a card: the addressee's nine, then the sender's. The numbers are field tags
// on the preview faces and are stored in files; keep the order and add only at the end.
enum class LayoutItem
{
    YubinNo1 = 0, // postal code, first part
    YubinNo2,     // postal code, second part
    Jyusho1,
    Jyusho2,
    Kaishamei,
    Katagaki,
    Atena,
    Renmei,
    PostCode, // customer barcode
    SenderYubinNo,
    SenderJyusho1,
    SenderJyusho2,
    SenderKaishamei,
    SenderName,
    SenderRenmei
};

// The addressee's fields, the only ones of layouts written before the sender's existed.
inline constexpr int AddresseeItemCount = 9;
inline constexpr int LayoutItemCount = 15;

constexpr bool isSenderItem(LayoutItem item)
{
    return int(item) >= AddresseeItemCount && int(item) < LayoutItemCount;
}

// "YubinNo1" ... "PostCode", "SenderYubinNo" ... "SenderRenmei".
QString layoutItemName(LayoutItem item);
// The name shown to the user: "郵便番号１" ... "カスタマーバーコード", "差出人郵便番号" ...
QString layoutItemDisplayName(LayoutItem item);
