// Every resize method on the photo images, to half and to twice the size,
// single-threaded and on every core.
#include "BenchImages.h"

#include "effects/Interpolation.h"

#include <string>

namespace {

const char* const MethodNames[] = {"API",      "NearestNeighbor", "BiLinear", "Integration", "Hann",
                                   "Hamming",  "Hermite",         "Bell",     "BSpline",     "Bicubic",
                                   "Mitchell", "Lagrange",        "Lanczos2", "Lanczos3",    "Lanczos4"};

const bool Registered = [] {
    for (int Method = 0; Method < 15; ++Method)
        for (int Percent : {50, 200}) {
            const std::string Name = std::string("Resize") + MethodNames[Method] + "To" + std::to_string(Percent);
            benchmark::RegisterBenchmark(Name.c_str(), [Method, Percent](benchmark::State& State) {
                const TBenchSize Size = BenchSizes[State.range(0)];
                const int Width = Size.Width * Percent / 100;
                const int Height = Size.Height * Percent / 100;
                BenchInPlace(State, [&](TFvDIB& Image) { ResizeImage(Image, Width, Height, Method); });
            })->Apply(BenchArgs);
        }
    return true;
}();

} // namespace
