#include "app/EffectDispatch.h"

#include "bitmap/FvDIB.h"
#include "effects/AutoLevel.h"
#include "effects/Flip.h"
#include "effects/Grayscale.h"
#include "effects/LookupTables.h"
#include "effects/NeighbourhoodFilter.h"
#include "effects/Rotation.h"
#include "effects/Sepia.h"

#include <algorithm>
#include <iterator>

namespace {

template <TNeighbourhoodProc Proc>
void Filter(TFvDIB& Image)
{
    NeighbourhoodFilter(Image, Proc, nullptr);
}

template <TFvPixelFormat Format>
void ConvertTo(TFvDIB& Image)
{
    // The image's own convert mode picks the colour reduction.
    Image.SetPixelFormat(Format);
}

struct TEffectGroup {
    int GroupIndex;
    TEffectOperation Operation;
};

const TEffectGroup EffectGroups[] = {
    {20, Negative},
    {30, [](TFvDIB& Image) { Rotate90(Image, true); }},
    {31, [](TFvDIB& Image) { Rotate90(Image, false); }},
    {32, Rotate180},
    {33, FlipHorizontal},
    {34, FlipVertical},
    {40, Filter<PixelEmboss>},
    {41, Filter<ConvolveDarkEmboss>},
    {42, Filter<ConvolveColorEmboss>},
    {45, Filter<PixelMedian>},
    {47, Filter<ConvolveSunPower>},
    {50, ConvertTo<fvPf4Bit>},
    {51, ConvertTo<fvPf8Bit>},
    {52, ConvertTo<fvPf24Bit>},
    {100, Filter<ConvolveLaplacian1>},
    {101, Filter<ConvolveLaplacian2>},
    {102, Filter<ConvolveLaplacian3>},
    {103, Filter<ConvolveLaplacian4>},
    {110, Filter<ConvolveHorzDifference>},
    {111, Filter<ConvolveHorzRoberts>},
    // The horizontal "Sobel" item has always run the plain horizontal difference.
    {112, Filter<ConvolveHorzDifference>},
    {113, Filter<ConvolveVertDifference>},
    {114, Filter<ConvolveVertRoberts>},
    {115, Filter<ConvolveVertSobel>},
    {210, [](TFvDIB& Image) { Solarization(Image, true); }},
    {211, [](TFvDIB& Image) { Solarization(Image, false); }},
    {220, SepiaNormal},
    {221, SepiaRed},
    {222, SepiaGreen},
    {223, SepiaBlue},
    {224, SepiaPurple},
    {225, SepiaMetal},
    {230, GrayscaleNormal},
    {231, GrayscaleRed},
    {232, GrayscaleGreen},
    {233, GrayscaleBlue},
    {234, AutoLevel},
};

} // namespace

TEffectOperation EffectOfGroup(int GroupIndex)
{
    const auto* found = std::find_if(std::begin(EffectGroups), std::end(EffectGroups),
                                     [GroupIndex](const TEffectGroup& group) { return group.GroupIndex == GroupIndex; });
    return found != std::end(EffectGroups) ? found->Operation : nullptr;
}
