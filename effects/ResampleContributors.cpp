#include "effects/ResampleContributors.h"

#include "effects/ByteConversion.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Reflection about pixel 0 on the left and about the outer edge of the last
// pixel on the right. Sources narrower than the kernel's reach can still land
// outside after that one fold; those indexes take the nearest edge pixel.
int32_t Mirror(int64_t j, int64_t Size)
{
    if (j < 0)
        j = -j;
    else if (j >= Size)
        j = 2 * Size - 1 - j;
    return static_cast<int32_t>(std::clamp<int64_t>(j, 0, Size - 1));
}

// Weights whose binary exponents differ by less than this keep every partial
// sum of a fused multiply-add chain equal to the extended evaluation.
constexpr int FusableExponentSpread = 31;

bool WeightsFusable(const float* Weights, int Count)
{
    int Lowest = INT_MAX;
    int Highest = INT_MIN;
    for (int k = 0; k < Count; ++k) {
        int Exponent = 0;
        std::frexp(Weights[k], &Exponent);
        Lowest = std::min(Lowest, Exponent);
        Highest = std::max(Highest, Exponent);
    }
    return Count == 0 || Highest - Lowest <= FusableExponentSpread;
}

} // namespace

TContributorLists BuildContributors(int SourceSize, int TargetSize, float Support, TFilterProc Filter)
{
    const float Scale = (SourceSize == 1 || TargetSize == 1)
                            ? static_cast<float>(static_cast<long double>(TargetSize) / SourceSize)
                            : static_cast<float>(static_cast<long double>(TargetSize - 1) / (SourceSize - 1));
    const bool Enlarging = Scale >= 1;
    const float Width = Enlarging ? Support : static_cast<float>(Support / static_cast<long double>(Scale));
    const float FScale = Enlarging ? 1.0f : static_cast<float>(1.0L / Scale);

    TContributorLists Lists;
    Lists.First.reserve(static_cast<size_t>(TargetSize) + 1);
    Lists.Fusable.reserve(static_cast<size_t>(TargetSize));
    Lists.First.push_back(0);
    for (int i = 0; i < TargetSize; ++i) {
        const float Centre = static_cast<float>(i / static_cast<long double>(Scale));
        const int64_t Left = static_cast<int64_t>(std::floor(static_cast<long double>(Centre) - Width));
        const int64_t Right = static_cast<int64_t>(std::ceil(static_cast<long double>(Centre) + Width));
        for (int64_t j = Left; j <= Right; ++j) {
            float Weight;
            if (Enlarging) {
                Weight = Filter(static_cast<float>(Centre - static_cast<long double>(j)));
            } else {
                const float Value = static_cast<float>((Centre - static_cast<long double>(j)) / FScale);
                Weight = static_cast<float>(static_cast<long double>(Filter(Value)) / FScale);
            }
            if (Weight == 0)
                continue;
            Lists.Pixel.push_back(Mirror(j, SourceSize));
            Lists.Weight.push_back(Weight);
        }
        const int32_t Begin = Lists.First.back();
        const int32_t End = static_cast<int32_t>(Lists.Pixel.size());
        Lists.Fusable.push_back(WeightsFusable(Lists.Weight.data() + Begin, End - Begin) ? 1 : 0);
        Lists.First.push_back(End);
    }
    return Lists;
}
