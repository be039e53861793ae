#pragma once

#include "compose/CardText.h"

#include <QFont>

// How composition measures on the main window's surface: widths in `font` at the screen's
// `dpi`. The window's font is "ＭＳ Ｐゴシック" 12 pixels high; a run without a window
// (tayori-cli) measures as if it had one.
TextMeasure WindowTextMeasure(const QFont& font, int dpi);
TextMeasure WindowTextMeasure();

// The main window's font.
QFont WindowFont();
