// Conversions of one pixel between RGB and the HLS, YCbCr and LMS models.
// The RGB side going in is a packed 0x00RRGGBB; going out, the three bytes
// of a 24-bit pixel (B, G, R) are written directly.
#pragma once

#include "effects/ByteConversion.h"

#include <cstdint>

// Packs a pixel stored B, G, R into 0x00RRGGBB.
constexpr uint32_t PackPixel(const uint8_t* Pixel)
{
    return (uint32_t(Pixel[2]) << 16) | (uint32_t(Pixel[1]) << 8) | Pixel[0];
}

// Hue 0 .. 359 degrees, Saturation and Lightness 0 .. 100 per cent, truncated.
void RgbToHls(uint32_t Color, int& Hue, int& Saturation, int& Lightness);
void HlsToRgb(uint8_t* Pixel, int Hue, int Saturation, int Lightness);

// Truncated, chroma centred on 128.
void RgbToYCbCr(uint32_t Color, int& Y, int& Cr, int& Cb);
void YCbCrToRgb(uint8_t* Pixel, int Y, int Cr, int Cb);

// Fixed-point cone responses; the way back divides by 2^20.
void RgbToLms(uint32_t Color, uint32_t& L, uint32_t& M, uint32_t& S);
void LmsToRgb(uint8_t* Pixel, int L, int M, int S);
