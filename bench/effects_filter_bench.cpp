// The neighbourhood and area filters on the photo images, at the dialogs'
// largest settings, plus smaller settings where the cost should not change
// with the window's size.
#include "BenchImages.h"

#include "effects/process.h"

#include <functional>
#include <numbers>

namespace {

struct TFilterCase {
    const char* Name;
    std::function<void(TFvDIB&)> Run;
};

// The custom filter dialog's kind of kernel.
const int32_t CustomWeights[9] = {-256, -512, -256, 0, 1280, 0, 256, 512, 256};

// The Gaussian blur as the callers compose it: a pass, a left turn, a pass, a right turn.
void GaussianBlurByTurns(TFvDIB& Image, int Value)
{
    GaussianBlurPass(Image, Value);
    Rotate90(Image, false);
    GaussianBlurPass(Image, Value);
    Rotate90(Image, true);
}

const TFilterCase Cases[] = {
    {"ColorEmboss", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveColorEmboss, nullptr); }},
    {"DarkEmboss", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveDarkEmboss, nullptr); }},
    {"SunPower", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveSunPower, nullptr); }},
    {"HorzDifference", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveHorzDifference, nullptr); }},
    {"VertDifference", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveVertDifference, nullptr); }},
    {"HorzRoberts", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveHorzRoberts, nullptr); }},
    {"VertRoberts", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveVertRoberts, nullptr); }},
    {"VertSobel", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveVertSobel, nullptr); }},
    {"Laplacian1", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveLaplacian1, nullptr); }},
    {"Laplacian2", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveLaplacian2, nullptr); }},
    {"Laplacian3", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveLaplacian3, nullptr); }},
    {"Laplacian4", [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveLaplacian4, nullptr); }},
    {"Emboss", [](TFvDIB& I) { NeighbourhoodFilter(I, PixelEmboss, nullptr); }},
    {"Median", [](TFvDIB& I) { NeighbourhoodFilter(I, PixelMedian, nullptr); }},
    {"Custom", [](TFvDIB& I) { NeighbourhoodFilter(I, PixelWeighted, CustomWeights); }},
    {"SharpenMode0Power3", [](TFvDIB& I) { SharpenPower(I, 0, 3.0); }},
    {"SharpenMode2Power3", [](TFvDIB& I) { SharpenPower(I, 2, 3.0); }},
    {"SoftenRadius1", [](TFvDIB& I) { Soften(I, 1); }},
    {"SoftenRadius7", [](TFvDIB& I) { Soften(I, 7); }},
    {"MotionBlurSize1Quality1", [](TFvDIB& I) { MotionBlurFilter(I, 1, 1, 0.0); }},
    {"MotionBlurSize20Quality10", [](TFvDIB& I) { MotionBlurFilter(I, 20, 10, 0.0); }},
    {"MotionBlurSize20Quality10At30",
     [](TFvDIB& I) { MotionBlurFilter(I, 20, 10, 30 * std::numbers::pi / 180); }},
    {"MotionBlurSize20Quality10At45",
     [](TFvDIB& I) { MotionBlurFilter(I, 20, 10, 45 * std::numbers::pi / 180); }},
    {"GaussianBlurPassValue50", [](TFvDIB& I) { GaussianBlurPass(I, 50); }},
    {"GaussianBlurByTurnsValue50", [](TFvDIB& I) { GaussianBlurByTurns(I, 50); }},
    {"GaussianBlurValue10", [](TFvDIB& I) { GaussianBlur(I, 10); }},
    {"GaussianBlurValue50", [](TFvDIB& I) { GaussianBlur(I, 50); }},
    {"OilPaintBlock1Levels128", [](TFvDIB& I) { OilPaintFilter(I, 1, 5); }},
    {"OilPaintBlock3Levels128", [](TFvDIB& I) { OilPaintFilter(I, 3, 5); }},
    {"OilPaintBlock10Levels128", [](TFvDIB& I) { OilPaintFilter(I, 10, 5); }},
    {"OilPaintBlock10Levels32", [](TFvDIB& I) { OilPaintFilter(I, 10, 3); }},
    {"KuwaharaBlock1", [](TFvDIB& I) { KuwaharaFilter(I, 1, 0); }},
    {"KuwaharaBlock3", [](TFvDIB& I) { KuwaharaFilter(I, 3, 0); }},
    {"KuwaharaBlock10", [](TFvDIB& I) { KuwaharaFilter(I, 10, 0); }},
};

const bool Registered = [] {
    for (const TFilterCase& Case : Cases)
        benchmark::RegisterBenchmark(Case.Name, [&Case](benchmark::State& State) { BenchInPlace(State, Case.Run); })
            ->Apply(BenchArgs);
    return true;
}();

} // namespace
