#include "bitmap/InternalDIB.h"
#include "effects/Flip.h"
#include "effects/Rotation.h"
#include "effects/ScanLineTable.h"
#include "effects/Thumbnail.h"

#include "PixelGrid.h"

#include <gtest/gtest.h>

namespace {

// Each pixel tells where it came from.
std::unique_ptr<TFvDIB> Coded(int W, int H)
{
    return MakeImage(W, H, [](int x, int y) { return Rgb{x, y, (x * 7 + y * 3) & 255}; });
}

// The plain definition of a quarter turn, pixel by pixel.
std::vector<Rgb> Turned(TFvDIB& Image, bool Right)
{
    const int W = Image.Width(), H = Image.Height();
    std::vector<Rgb> Out(static_cast<size_t>(W) * H);
    for (int i = 0; i < W; ++i)
        for (int k = 0; k < H; ++k) {
            const size_t Row = static_cast<size_t>(i) * H;
            if (Right)
                Out[Row + (H - 1 - k)] = PixelAt(Image, i, k);
            else
                Out[Row + k] = PixelAt(Image, W - 1 - i, k);
        }
    return Out;
}

TEST(ScanLineTable, RowsFromTheTop)
{
    auto Image = Coded(5, 4);
    const std::vector<uint8_t*> Rows = GetScanLineTable(Image.get());
    ASSERT_EQ(Rows.size(), 4u);
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(Rows[y], Image->ScanLine(y));
    EXPECT_EQ(Rows[3][1], 3);
}

TEST(ScanLineTable, MissingBitmapIsRefused)
{
    try {
        GetScanLineTable(nullptr);
        FAIL();
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.Message(), "ビットマップが不正です。");
    }
}

TEST(ScanLineTable, RowsOfASharedBitmapBelongToIt)
{
    auto Image = Coded(3, 3);
    TFvDIB Copy;
    Copy.Assign(Image.get());
    const std::vector<uint8_t*> Rows = GetScanLineTable(&Copy);
    Rows[0][0] = 99;
    EXPECT_EQ(PixelAt(*Image, 0, 0).B, 0);
}

TEST(Rotate90, CornersGoWhereTheTurnSays)
{
    auto Right = Coded(4, 3);
    Rotate90(*Right, true);
    ASSERT_EQ(Right->Width(), 3);
    ASSERT_EQ(Right->Height(), 4);
    EXPECT_EQ(PixelAt(*Right, 2, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(Right->PixelFormat(), fvPf24Bit);

    auto Left = Coded(4, 3);
    Rotate90(*Left, false);
    EXPECT_EQ(PixelAt(*Left, 0, 3), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(*Left, 0, 0), PixelAt(*Coded(4, 3), 3, 0));
}

// Thin, prime and square sizes, and sizes on either side of the 4-pixel
// blocks and 64-pixel tiles, turned both ways out of pixels shared with a
// snapshot. The rows' padding bytes stay as a new bitmap has them.
TEST(Rotate90, MatchesThePlainTurnOnAwkwardSizes)
{
    for (auto [W, H] : {std::pair{1, 1}, {1, 7}, {7, 1}, {1, 131}, {131, 1}, {2, 9}, {5, 6}, {6, 5}, {7, 7},
                        {8, 10}, {17, 33}, {40, 3}, {64, 64}, {65, 127}, {131, 67}, {129, 70}, {259, 66}}) {
        for (const bool Right : {true, false}) {
            auto Image = MakeNoise(W, H, static_cast<uint32_t>(W * H));
            TFvDIB Snapshot;
            Snapshot.Assign(Image.get());
            const std::vector<Rgb> Before = Pixels(*Image);
            Rotate90(*Image, Right);
            ASSERT_EQ(Image->Width(), H);
            ASSERT_EQ(Image->Height(), W);
            EXPECT_EQ(Pixels(*Image), Turned(Snapshot, Right)) << W << " x " << H << (Right ? " right" : " left");
            EXPECT_EQ(Pixels(Snapshot), Before);
            for (int y = 0; y < W; ++y)
                for (int64_t b = 3 * H; b < DIBStride(H, 24); ++b)
                    ASSERT_EQ(Image->ScanLine(y)[b], 0) << W << " x " << H << " row " << y;
        }
    }
}

TEST(Rotate90, RightThenLeftRestores)
{
    for (auto [W, H] : {std::pair{1, 5}, {5, 1}, {33, 18}, {64, 65}}) {
        auto Image = MakeNoise(W, H);
        const std::vector<Rgb> Before = Pixels(*Image);
        Rotate90(*Image, true);
        Rotate90(*Image, false);
        EXPECT_EQ(Pixels(*Image), Before);
        Rotate90(*Image, false);
        Rotate90(*Image, true);
        EXPECT_EQ(Pixels(*Image), Before);
    }
}

TEST(Rotate90, FourTurnsRestoreAndTwoAreAHalfTurn)
{
    auto Image = MakeNoise(21, 10);
    auto Half = MakeNoise(21, 10);
    const std::vector<Rgb> Before = Pixels(*Image);
    Rotate90(*Image, true);
    Rotate90(*Image, true);
    Rotate180(*Half);
    EXPECT_EQ(Pixels(*Image), Pixels(*Half));
    Rotate90(*Image, true);
    Rotate90(*Image, true);
    EXPECT_EQ(Pixels(*Image), Before);
}

TEST(Rotate90, SharedStorageOfTheOldImageStaysUntouched)
{
    auto Image = Coded(6, 2);
    TFvDIB Keep;
    Keep.Assign(Image.get());
    Rotate90(*Image, true);
    EXPECT_EQ(Keep.Width(), 6);
    EXPECT_EQ(Pixels(Keep), Pixels(*Coded(6, 2)));
}

TEST(Flip, FourFlipsRestore)
{
    for (auto [W, H] : {std::pair{1, 1}, {1, 6}, {6, 1}, {9, 7}, {10, 8}}) {
        auto Image = MakeNoise(W, H);
        const std::vector<Rgb> Before = Pixels(*Image);
        FlipVertical(*Image);
        FlipHorizontal(*Image);
        FlipVertical(*Image);
        FlipHorizontal(*Image);
        EXPECT_EQ(Pixels(*Image), Before);
    }
}

TEST(Flip, VerticalSwapsRowsAndKeepsTheMiddle)
{
    auto Image = Coded(3, 5);
    FlipVertical(*Image);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(PixelAt(*Image, x, y), PixelAt(*Coded(3, 5), x, 4 - y));
    auto One = Coded(4, 1);
    FlipVertical(*One);
    EXPECT_EQ(Pixels(*One), Pixels(*Coded(4, 1)));
}

TEST(Flip, HorizontalMirrorsEveryRow)
{
    // Runs of 16 pixels from both ends, then single pixels in the middle.
    for (int W : {1, 2, 5, 6, 31, 32, 33, 63, 64, 97}) {
        auto Image = Coded(W, 3);
        FlipHorizontal(*Image);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(PixelAt(*Image, x, y), (Rgb{W - 1 - x, y, ((W - 1 - x) * 7 + y * 3) & 255}));
    }
}

// Pixels shared with a snapshot are read from there and written into new
// memory, padding bytes included; the snapshot keeps its own.
TEST(Flip, SharedPixelsAreRewrittenNotChanged)
{
    for (const bool Vertical : {true, false}) {
        auto Image = Coded(5, 3);
        TFvDIBInfos& Infos = Image->InternalDIB().DIBInfos;
        for (int Row = 0; Row < 3; ++Row)
            Infos.pBits[16 * Row + 15] = 0x77; // the one padding byte of each row
        TFvDIB Copy;
        Copy.Assign(Image.get());
        if (Vertical)
            FlipVertical(Copy);
        else
            FlipHorizontal(Copy);
        EXPECT_NE(&Copy.InternalDIB(), &Image->InternalDIB());
        EXPECT_EQ(Pixels(*Image), Pixels(*Coded(5, 3)));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(PixelAt(Copy, x, y), Vertical ? PixelAt(*Image, x, 2 - y) : PixelAt(*Image, 4 - x, y));
        for (int Row = 0; Row < 3; ++Row)
            EXPECT_EQ(Copy.InternalDIB().DIBInfos.pBits[16 * Row + 15], 0x77);
    }
}

TEST(Rotate180, OnePixelStays)
{
    auto Image = MakeUniform(1, 1, {1, 2, 3});
    Rotate180(*Image);
    EXPECT_EQ(PixelAt(*Image, 0, 0), (Rgb{1, 2, 3}));
}

TEST(Thumbnail, ColumnMapsOfReductions)
{
    auto Dest = MakeUniform(2, 1, {0, 0, 0});
    MakeThumbnail(*Coded(4, 1), *Dest);
    EXPECT_EQ(PixelAt(*Dest, 0, 0).R, 0);
    EXPECT_EQ(PixelAt(*Dest, 1, 0).R, 2);
    MakeThumbnail(*Coded(5, 1), *Dest);
    EXPECT_EQ(PixelAt(*Dest, 1, 0).R, 2);
}

TEST(Thumbnail, MatchesThePlainMapsAndNeverTakesTheLastColumnWhenReducing)
{
    auto Source = Coded(97, 61);
    auto Dest = MakeUniform(30, 20, {0, 0, 0});
    MakeThumbnail(*Source, *Dest);
    for (int j = 0; j < 20; ++j)
        for (int i = 0; i < 30; ++i) {
            const int x = static_cast<int>(static_cast<long double>(i) / 30 * 96 + 0.5L);
            const int y = static_cast<int>(static_cast<long double>(j) / 20 * 60 + 0.5L);
            ASSERT_LT(x, 96);
            ASSERT_EQ(PixelAt(*Dest, i, j), PixelAt(*Source, x, y)) << i << ", " << j;
        }
}

TEST(Thumbnail, ReadsASharedSourceWithoutCopyingIt)
{
    auto Source = Coded(97, 61);
    TFvDIB Snapshot;
    Snapshot.Assign(Source.get());
    auto Dest = MakeUniform(30, 20, {0, 0, 0});
    MakeThumbnail(*Source, *Dest);
    EXPECT_EQ(&Source->InternalDIB(), &Snapshot.InternalDIB());
    EXPECT_EQ(PixelAt(*Dest, 29, 19), PixelAt(*Source, 93, 57));

    // A destination sharing the source's pixels gets its own before it is written.
    TFvDIB Shared;
    Shared.Assign(Source.get());
    MakeThumbnail(*Source, Shared);
    EXPECT_EQ(PixelAt(*Source, 96, 60), PixelAt(*Coded(97, 61), 96, 60));
}

TEST(Thumbnail, EnlargingAndSamplingIntoItself)
{
    auto Dest = MakeUniform(7, 3, {0, 0, 0});
    MakeThumbnail(*MakeUniform(1, 1, {9, 8, 7}), *Dest);
    for (const Rgb& c : Pixels(*Dest))
        ASSERT_EQ(c, (Rgb{9, 8, 7}));

    auto Image = Coded(4, 4);
    MakeThumbnail(*Image, *Image);
    // Column map of 4 into 4: 0, 1, 2, 2.
    EXPECT_EQ(PixelAt(*Image, 3, 3), PixelAt(*Coded(4, 4), 2, 2));
    EXPECT_EQ(PixelAt(*Image, 1, 1), PixelAt(*Coded(4, 4), 1, 1));
}

} // namespace
