#pragma once

// How a run of characters fills its box of length L (and, for alJustifyEx, its spread length
// G). The numbers are the AlignMode values stored with layouts and passed by the renderer;
// the field control's Alignment uses the same five.
enum class AlignMode
{
    alLeft = 0,      // natural size from the start; squeezed to L when longer
    alCenter = 1,    // natural size centred in L; squeezed when longer
    alRight = 2,     // natural size ending at L; squeezed when longer
    alJustify = 3,   // spread over L; squeezed when longer
    alJustifyEx = 4, // spread over G (or L); past G at natural size; squeezed past L
};

// A stored number outside 0-4 draws as alLeft, the plain left-aligned run.
constexpr AlignMode alignModeFromInt(int value)
{
    return value >= 0 && value <= 4 ? static_cast<AlignMode>(value) : AlignMode::alLeft;
}
