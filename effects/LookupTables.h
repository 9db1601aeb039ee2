// Per-pixel colour operations that run through 256-entry lookup tables:
// gamma, brightness, contrast, posterisation, solarisation, negative, and the
// two table appliers the sepia and grey variants share. Each builds its
// tables on the stack and then makes one integer pass over a 24-bit image.
#pragma once

#include "effects/ByteConversion.h"

#include <array>
#include <cstdint>

class TFvDIB;

// Entry i is the new value of a channel whose old value is i.
using TLut = std::array<uint8_t, 256>;

// Every B, G and R byte v becomes Table[v].
void ApplyLut(TFvDIB& Image, const TLut& Table);
// Per pixel, with Y the luma of the old pixel: R, G, B := TableR[Y], TableG[Y], TableB[Y].
void ApplyLumaLut(const TLut& TableR, const TLut& TableG, const TLut& TableB, TFvDIB& Image);

void Negative(TFvDIB& Image);

void MakeGammaTable(double Gamma, TLut& Table);
void GammaCorrection(TFvDIB& Image, double Gamma);
void GammaCorrectionRGB(TFvDIB& Image, double GammaR, double GammaG, double GammaB);

void BrightnessCorrection(TFvDIB& Image, int Value);
void ContrastCorrection(TFvDIB& Image, int Value);
void ColorBalance(TFvDIB& Image, int R, int G, int B);

void MakePosterizationTable(int Levels, TLut& Table);
void Posterize(TFvDIB& Image, int LevelsR, int LevelsG, int LevelsB);

// Folds every channel at 127.5: max(v, 255 - v) with UseMax, else min.
void Solarization(TFvDIB& Image, bool UseMax);
