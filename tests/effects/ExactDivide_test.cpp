#include "effects/ExactDivide.h"

#include <gtest/gtest.h>

// Every sum of bytes the filters can divide, by every count they use:
// windows up to 21 x 21, Gaussian totals up to 186, motion-blur sample
// counts up to 400.
TEST(ExactDivide, ReciprocalsGiveTheTruncatedQuotient)
{
    for (uint32_t n = 1; n <= 441; ++n) {
        const TReciprocal Scalar(n);
        const float Vector = FloatReciprocal(static_cast<int>(n));
        for (uint32_t Sum = 0; Sum <= 255 * n; ++Sum) {
            ASSERT_EQ(Scalar.Divide(Sum), Sum / n) << Sum << " / " << n;
            ASSERT_EQ(DivideByteSum(static_cast<int32_t>(Sum), Vector), Sum / n) << Sum << " / " << n;
        }
    }
}
