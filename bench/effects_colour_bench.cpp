// The colour, colour-space and geometry operations on the photo images, at
// the dialogs' largest settings where an operation has settings.
#include "BenchImages.h"

#include "effects/process.h"

#include <functional>

namespace {

struct TColourCase {
    const char* Name;
    std::function<void(TFvDIB&)> Run;
    bool ReadOnly = false;
    // Run on a bitmap sharing the photo's pixels (BenchShared).
    bool Shared = false;
};

// The live-preview dialogs' working copy: a reduction to about 320 pixels.
void ToThumbnail(TFvDIB& Image)
{
    // Kept for the process's lifetime, like the photo images.
    static TFvDIB& Dest = *new TFvDIB;
    if (Dest.Width() != 320) {
        Dest.SetBitCount(24);
        Dest.SetWidth(320);
        Dest.SetHeight(181);
    }
    MakeThumbnail(Image, Dest);
}

const TColourCase Cases[] = {
    {"Negative", [](TFvDIB& I) { Negative(I); }},
    {"Gamma", [](TFvDIB& I) { GammaCorrection(I, 3.0); }},
    {"GammaRGB", [](TFvDIB& I) { GammaCorrectionRGB(I, 3.0, 0.75, 1.5); }},
    {"Brightness", [](TFvDIB& I) { BrightnessCorrection(I, 100); }},
    {"Contrast", [](TFvDIB& I) { ContrastCorrection(I, 100); }},
    {"ColorBalance", [](TFvDIB& I) { ColorBalance(I, 255, -255, 100); }},
    {"Posterize", [](TFvDIB& I) { Posterize(I, 2, 16, 255); }},
    {"Solarization", [](TFvDIB& I) { Solarization(I, true); }},
    {"SepiaNormal", [](TFvDIB& I) { SepiaNormal(I); }},
    {"SepiaRed", [](TFvDIB& I) { SepiaRed(I); }},
    {"SepiaMetal", [](TFvDIB& I) { SepiaMetal(I); }},
    {"GrayscaleNormal", [](TFvDIB& I) { GrayscaleNormal(I); }},
    {"GrayscaleRed", [](TFvDIB& I) { GrayscaleRed(I); }},
    {"HlsCorrection", [](TFvDIB& I) { HlsCorrection(I, 180, 100, 100); }},
    {"LmsCorrection", [](TFvDIB& I) { LmsCorrection(I, 50, 50, 50, true); }},
    {"AutoLevel", [](TFvDIB& I) { AutoLevel(I); }},
    {"Rotate90Right", [](TFvDIB& I) { Rotate90(I, true); }},
    {"Rotate90Left", [](TFvDIB& I) { Rotate90(I, false); }},
    {"Rotate180", [](TFvDIB& I) { Rotate180(I); }},
    {"FlipVertical", [](TFvDIB& I) { FlipVertical(I); }},
    {"FlipHorizontal", [](TFvDIB& I) { FlipHorizontal(I); }},
    {"Thumbnail", ToThumbnail, true},
    {"AssignNegative", [](TFvDIB& I) { Negative(I); }, false, true},
    {"AssignFlipVertical", [](TFvDIB& I) { FlipVertical(I); }, false, true},
    {"AssignRotate90Right", [](TFvDIB& I) { Rotate90(I, true); }, false, true},
};

const bool Registered = [] {
    for (const TColourCase& Case : Cases)
        benchmark::RegisterBenchmark(Case.Name,
                                     [&Case](benchmark::State& State) {
                                         if (Case.Shared)
                                             BenchShared(State, Case.Run);
                                         else
                                             BenchInPlace(State, Case.Run, Case.ReadOnly);
                                     })
            ->Apply(BenchArgs);
    return true;
}();

} // namespace
