#pragma once

// The four card layouts: card orientation (T 縦置き, Y 横置き) times writing direction
// (T 縦書き, Y 横書き). The numbers are stored in settings and layout files.
enum class LayoutKind
{
    TT = 0,
    TY = 1,
    YT = 2,
    YY = 3
};
