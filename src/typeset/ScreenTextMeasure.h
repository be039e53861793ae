#pragma once

#include "compose/CardText.h"

#include <QFont>

// The main window's font ("ＭＳ Ｐゴシック", 12 pixels high): postal-code digits are spread by
// what a text measures with it on the screen.
QFont MainWindowFont();

// Measures with `font` at `dpi` (the screen's logical resolution; 96 is the standard), scaled
// so that the reference text of SpreadDigits measures its standard 120 px.
TextMeasure ScreenTextMeasure(const QFont& font = MainWindowFont(), int dpi = 96);
