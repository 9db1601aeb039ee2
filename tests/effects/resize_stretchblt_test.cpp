#include "effects/Interpolation.h"

#include "platform/core/MessageHook.h"

#include "PixelGrid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what the resizer shows the user.
class Messages {
public:
    Messages()
    {
        Previous = SetMessageHandler([this](const std::string& Msg) { Shown.push_back(Msg); });
    }
    ~Messages() { SetMessageHandler(Previous); }
    std::vector<std::string> Shown;

private:
    TMessageHandler Previous;
};

std::vector<int> GreenRow(TFvDIB& Image, int y)
{
    std::vector<int> Row;
    for (int x = 0; x < Image.Width(); ++x)
        Row.push_back(PixelAt(Image, x, y).G);
    return Row;
}

} // namespace

TEST(ResizeStretchBlt, TakesThePlatformsNearestPixels)
{
    Messages Shown;
    auto Image = MakeImage(3, 1, [](int x, int) { return Rgb{10 * x, 10 * x, 10 * x}; });
    EXPECT_EQ(&ResizeStretchBlt(*Image, 7, 2), Image.get());
    EXPECT_EQ(Image->PixelFormat(), fvPf24Bit);
    // Target i takes source Floor((2i + 1) * 3 / 14).
    EXPECT_EQ(GreenRow(*Image, 0), (std::vector<int>{0, 0, 10, 10, 10, 20, 20}));
    EXPECT_EQ(GreenRow(*Image, 1), GreenRow(*Image, 0));
    EXPECT_TRUE(Shown.Shown.empty());
}

TEST(ResizeStretchBlt, ShrinksAndKeepsColours)
{
    Messages Shown;
    auto Image = MakeNoise(9, 7, 4);
    const std::vector<Rgb> Before = Pixels(*Image);
    ResizeImage(*Image, 4, 3, 0);
    ASSERT_EQ(Image->Width(), 4);
    ASSERT_EQ(Image->Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(PixelAt(*Image, x, y), Before[((2 * y + 1) * 7 / 6) * 9 + (2 * x + 1) * 9 / 8]) << x << "," << y;
    EXPECT_TRUE(Shown.Shown.empty());
}

TEST(ResizeStretchBlt, IndexedImagesComeOutInTwentyFourBits)
{
    auto Image = std::make_unique<TFvDIB>();
    Image->SetWidth(4);
    Image->SetHeight(2);
    Image->SetColors(1, 0x00336699);
    Image->SetPixels(1, 0, 1);
    ResizeImage(*Image, 8, 2, 0);
    EXPECT_EQ(Image->PixelFormat(), fvPf24Bit);
    EXPECT_EQ(PixelAt(*Image, 2, 0), (Rgb{0x99, 0x66, 0x33}));
    EXPECT_EQ(PixelAt(*Image, 3, 0), (Rgb{0x99, 0x66, 0x33}));
    EXPECT_EQ(PixelAt(*Image, 4, 0), (Rgb{0, 0, 0}));
}
