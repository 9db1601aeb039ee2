// Colours of the class library: $00BBGGRR, red in the low byte. Negative
// values name system colours, which ColorToRGB resolves.
#pragma once

#include <cstdint>

using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

// System colours: the top bit set, the low byte the system colour index.
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clHighlight = clSystemColor | 13;

// The RGB value of colour; system colours become the fixed RGB values of the default scheme.
uint32_t ColorToRGB(TColor colour);
