#pragma once

#include <QString>

// The nine fields of a card. The numbers are field tags on the preview faces and are stored
// in files; keep the order.
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
    PostCode // customer barcode
};

inline constexpr int LayoutItemCount = 9;

// "YubinNo1" ... "PostCode".
QString layoutItemName(LayoutItem item);
// The name shown to the user: "郵便番号１" ... "カスタマーバーコード".
QString layoutItemDisplayName(LayoutItem item);
