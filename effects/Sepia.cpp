// Sepia tones from the luma of each pixel. The tinted variants add fixed
// offsets per channel; Metal is a grey with two saw-tooth ramps.
#include "effects/Sepia.h"

#include "effects/LookupTables.h"
#include "effects/PixelWalk.h"

#include <cmath>

namespace {

// Table_c[i] = ClampToByte(Round(i + d_c)) for each channel.
void SepiaTinted(TFvDIB& Image, long double dR, long double dG, long double dB)
{
    TLut R, G, B;
    for (int i = 0; i < 256; ++i) {
        R[i] = ClampToByte(static_cast<int>(std::nearbyint(i + dR)));
        G[i] = ClampToByte(static_cast<int>(std::nearbyint(i + dG)));
        B[i] = ClampToByte(static_cast<int>(std::nearbyint(i + dB)));
    }
    ApplyLumaLut(R, G, B, Image);
}

} // namespace

void SepiaNormal(TFvDIB& Image)
{
    TLut R, G, B;
    for (int i = 0; i < 256; ++i) {
        R[i] = ClampToByte(static_cast<int>(std::nearbyint(255.0L * std::pow(i / 255.0L, 0.75L))));
        G[i] = static_cast<uint8_t>(i);
        B[i] = ClampToByte(static_cast<int>(std::nearbyint(255.0L * std::pow(i / 255.0L, 1.33L))));
    }
    ApplyLumaLut(R, G, B, Image);
}

void SepiaRed(TFvDIB& Image)
{
    SepiaTinted(Image, 35.77L, -17.26L, -4.42L);
}

void SepiaGreen(TFvDIB& Image)
{
    SepiaTinted(Image, -17.88L, 13.46L, -22.1L);
}

void SepiaBlue(TFvDIB& Image)
{
    SepiaTinted(Image, -3.58L, -6.97L, 44.19L);
}

void SepiaPurple(TFvDIB& Image)
{
    SepiaTinted(Image, 14.30652L, -9.01272L, 8.8383L);
}

void SepiaMetal(TFvDIB& Image)
{
    const double s = 175.0L / 64;
    TLut Table;
    // The running k*s is a double grown by repeated addition.
    double ks = 0;
    for (int k = 0; k < 64; ++k) {
        const uint8_t Up = RoundToByte(static_cast<float>(std::nearbyint(80 + static_cast<long double>(ks))));
        const uint8_t Down = RoundToByte(static_cast<float>(std::nearbyint(255 - static_cast<long double>(ks))));
        Table[k] = Up;
        Table[64 + k] = Down;
        Table[128 + k] = Up;
        Table[192 + k] = Down;
        ks = ks + static_cast<long double>(s);
    }
    ApplyLumaLut(Table, Table, Table, Image);
}
