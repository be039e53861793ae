#pragma once

// Maps the Japanese face names that stored layouts and the windows use to the fonts this
// system has (IPA fonts, then Noto CJK).
void installFontSubstitutions();
