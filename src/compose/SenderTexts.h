#pragma once

#include "common/SenderInfo.h"
#include "compose/CardTexts.h"
#include "layout/LayoutKind.h"

// Fills the sender's fields of a card: nothing while the sender is not to be printed; the
// postal code as "〒123-4567" (always horizontal); the address, company and names in vertical
// forms on a vertical card; each joint name (「花子・一郎」 is two) a line of its own, lined up
// under the name's given name.
void ComposeSenderTexts(const SenderInfo& sender, LayoutKind kind, bool useNonUnicodeFont,
                        CardTexts& card);

// "〒123-4567" for seven digits in any width with or without a hyphen; another text keeps its
// form behind the mark; a blank one gives nothing.
QString SenderPostalText(const QString& typed);
