// Tables are built in long double as the formulas are written, narrowed only
// where a value is Double or Single; the pixel pass is integer only.
#include "effects/LookupTables.h"

#include "effects/PixelWalk.h"
#include "effects/VectorClones.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

// Gamma values outside the dialog's range are taken as its nearest end; NaN
// as the neutral 2.2.
double ClampGamma(double Gamma)
{
    if (std::isnan(Gamma))
        return 2.2;
    return std::clamp(Gamma, 0.75, 3.0);
}

// Eight bytes are looked up per load and store: the loop is bound by the
// look-ups, not by a store per byte.
void MapBytesScalar(uint8_t* Row, int Count, const TLut& Table)
{
    int i = 0;
    for (; i + 8 <= Count; i += 8) {
        uint64_t v;
        std::memcpy(&v, Row + i, 8);
        uint64_t Mapped = 0;
        for (int k = 0; k < 8; ++k)
            Mapped |= static_cast<uint64_t>(Table[(v >> (8 * k)) & 0xFF]) << (8 * k);
        std::memcpy(Row + i, &Mapped, 8);
    }
    for (; i < Count; ++i)
        Row[i] = Table[Row[i]];
}

// FV_BASELINE_ONLY leaves the scalar look-ups alone, for the tests.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(FV_BASELINE_ONLY)
#define FV_BYTE_PERMUTE 1
#define FV_TARGET_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// Where the processor can permute bytes across four registers, a whole
// 256-entry table lives in registers and 64 bytes are looked up at once.
bool HasBytePermute()
{
    static const bool Has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vbmi");
    return Has;
}

struct TLutRegisters {
    __m512i Quarter[4];
};

FV_TARGET_VBMI
inline TLutRegisters LoadLut(const TLut& Table)
{
    TLutRegisters r;
    for (int q = 0; q < 4; ++q)
        r.Quarter[q] = _mm512_loadu_si512(Table.data() + 64 * q);
    return r;
}

FV_TARGET_VBMI
inline __m512i LookUp(const TLutRegisters& T, __m512i Index)
{
    const __m512i Low = _mm512_permutex2var_epi8(T.Quarter[0], Index, T.Quarter[1]);
    const __m512i High = _mm512_permutex2var_epi8(T.Quarter[2], Index, T.Quarter[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(Index), Low, High);
}

FV_TARGET_VBMI
int MapBytesPermute(uint8_t* Row, int Count, const TLut& Table)
{
    const TLutRegisters T = LoadLut(Table);
    int i = 0;
    for (; i + 64 <= Count; i += 64)
        _mm512_storeu_si512(Row + i, LookUp(T, _mm512_loadu_si512(Row + i)));
    return i;
}

// Three tables over B, G, R, B, ...: 192 bytes (64 pixels) per step, each
// 64-byte part taking each byte from its channel's table.
FV_TARGET_VBMI
int MapPixelsPermute(uint8_t* Row, int Width, const TLut& TableR, const TLut& TableG, const TLut& TableB)
{
    const TLutRegisters R = LoadLut(TableR), G = LoadLut(TableG), B = LoadLut(TableB);
    __mmask64 IsB[3] = {0, 0, 0}, IsG[3] = {0, 0, 0};
    for (int Part = 0; Part < 3; ++Part)
        for (int k = 0; k < 64; ++k) {
            const int Channel = (64 * Part + k) % 3;
            if (Channel == 0)
                IsB[Part] |= __mmask64(1) << k;
            else if (Channel == 1)
                IsG[Part] |= __mmask64(1) << k;
        }
    const int Bytes = 3 * Width;
    int i = 0;
    for (; i + 192 <= Bytes; i += 192)
        for (int Part = 0; Part < 3; ++Part) {
            uint8_t* p = Row + i + 64 * Part;
            const __m512i v = _mm512_loadu_si512(p);
            __m512i Out = _mm512_mask_blend_epi8(IsG[Part], LookUp(R, v), LookUp(G, v));
            Out = _mm512_mask_blend_epi8(IsB[Part], Out, LookUp(B, v));
            _mm512_storeu_si512(p, Out);
        }
    return i / 3;
}
#endif

void MapBytes(uint8_t* Row, int Count, const TLut& Table)
{
#ifdef FV_BYTE_PERMUTE
    if (HasBytePermute()) {
        const int Done = MapBytesPermute(Row, Count, Table);
        MapBytesScalar(Row + Done, Count - Done, Table);
        return;
    }
#endif
    MapBytesScalar(Row, Count, Table);
}

void MapPixels(uint8_t* Row, int Width, const TLut& TableR, const TLut& TableG, const TLut& TableB)
{
    int x = 0;
#ifdef FV_BYTE_PERMUTE
    if (HasBytePermute())
        x = MapPixelsPermute(Row, Width, TableR, TableG, TableB);
#endif
    for (; x < Width; ++x) {
        uint8_t* p = Row + 3 * x;
        p[0] = TableB[p[0]];
        p[1] = TableG[p[1]];
        p[2] = TableR[p[2]];
    }
}

// Lumas of a run of pixels, computed apart from the table look-ups so that
// this part vectorises.
FV_VECTOR_CLONES
void LumaRun(const uint8_t* Pixels, int Count, uint8_t* Lumas)
{
    for (int x = 0; x < Count; ++x)
        Lumas[x] = static_cast<uint8_t>(LumaOfPixel(Pixels + 3 * x));
}

void ApplyLuts(TFvDIB& Image, const TLut& TableR, const TLut& TableG, const TLut& TableB)
{
    const TLut R = TableR, G = TableG, B = TableB;
    ForEachRow24(Image, [&](uint8_t* Row, int Width) { MapPixels(Row, Width, R, G, B); });
}

} // namespace

void ApplyLut(TFvDIB& Image, const TLut& Table)
{
    const TLut Local = Table;
    ForEachRow24(Image, [&](uint8_t* Row, int Width) { MapBytes(Row, 3 * Width, Local); });
}

void ApplyLumaLut(const TLut& TableR, const TLut& TableG, const TLut& TableB, TFvDIB& Image)
{
    const TLut R = TableR, G = TableG, B = TableB;
    ForEachRow24(Image, [&](uint8_t* Row, int Width) {
        constexpr int Run = 512;
        uint8_t Lumas[Run];
        for (int First = 0; First < Width; First += Run) {
            const int Count = std::min(Run, Width - First);
            uint8_t* p = Row + 3 * First;
            LumaRun(p, Count, Lumas);
            for (int x = 0; x < Count; ++x, p += 3) {
                const int Y = Lumas[x];
                p[0] = B[Y];
                p[1] = G[Y];
                p[2] = R[Y];
            }
        }
    });
}

void Negative(TFvDIB& Image)
{
    ForEachRow24(Image, [](uint8_t* Row, int Width) {
        for (int i = 0; i < 3 * Width; ++i)
            Row[i] = static_cast<uint8_t>(~Row[i]);
    });
}

void MakeGammaTable(double Gamma, TLut& Table)
{
    const double e = (1.0L / ClampGamma(Gamma)) * 2.2L;
    for (int i = 0; i < 256; ++i)
        Table[i] = RoundToByte(static_cast<float>(255.0L * std::pow(i / 255.0L, static_cast<long double>(e))));
}

void GammaCorrection(TFvDIB& Image, double Gamma)
{
    TLut Table;
    MakeGammaTable(Gamma, Table);
    ApplyLut(Image, Table);
}

void GammaCorrectionRGB(TFvDIB& Image, double GammaR, double GammaG, double GammaB)
{
    TLut R, G, B;
    MakeGammaTable(GammaR, R);
    MakeGammaTable(GammaG, G);
    MakeGammaTable(GammaB, B);
    ApplyLuts(Image, R, G, B);
}

void BrightnessCorrection(TFvDIB& Image, int Value)
{
    const int v = std::clamp(Value, -100, 100);
    TLut Table;
    for (int i = 0; i < 256; ++i)
        Table[i] = ClampToByte(i + v);
    ApplyLut(Image, Table);
}

void ContrastCorrection(TFvDIB& Image, int Value)
{
    const double c = std::clamp(Value, -100, 100) / 100.0L;
    TLut Table;
    for (int i = 0; i < 256; ++i)
        Table[i] = ClampToByte(static_cast<int>(std::nearbyint((i - 127.5L) * c + i)));
    ApplyLut(Image, Table);
}

void ColorBalance(TFvDIB& Image, int R, int G, int B)
{
    const int dR = std::clamp(R, -255, 255), dG = std::clamp(G, -255, 255), dB = std::clamp(B, -255, 255);
    TLut TableR, TableG, TableB;
    for (int i = 0; i < 256; ++i) {
        TableR[i] = ClampToByte(i + dR);
        TableG[i] = ClampToByte(i + dG);
        TableB[i] = ClampToByte(i + dB);
    }
    ApplyLuts(Image, TableR, TableG, TableB);
}

void MakePosterizationTable(int Levels, TLut& Table)
{
    const int n = std::clamp(Levels, 2, 255);
    const double Step = 256.0L / n;
    const double v = 255.0L / (n - 1);
    for (int k = 0; k < n; ++k) {
        const int First = std::max(0, static_cast<int>(std::nearbyint(k * static_cast<long double>(Step))));
        const int Next = std::min(256, static_cast<int>(std::nearbyint((k + 1) * static_cast<long double>(Step))));
        const uint8_t Level = RoundToByte(static_cast<float>(k * static_cast<long double>(v) + 0.5L));
        for (int i = First; i < Next; ++i)
            Table[i] = Level;
    }
}

void Posterize(TFvDIB& Image, int LevelsR, int LevelsG, int LevelsB)
{
    TLut R, G, B;
    MakePosterizationTable(LevelsR, R);
    MakePosterizationTable(LevelsG, G);
    MakePosterizationTable(LevelsB, B);
    ApplyLuts(Image, R, G, B);
}

void Solarization(TFvDIB& Image, bool UseMax)
{
    TLut Table;
    for (int i = 0; i < 256; ++i)
        Table[i] = static_cast<uint8_t>(UseMax ? std::max(i, 255 - i) : std::min(i, 255 - i));
    ApplyLut(Image, Table);
}
