#include "bitmap/FvGraph.h"
#include "bitmap/InternalDIB.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <utility>

namespace {

template <class E, class F>
void ExpectMessage(F&& action, const char* message)
{
    try {
        action();
        FAIL() << "no exception, expected: " << message;
    } catch (const E& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

TEST(InternalDIB, NewStorageIsOnePixelEightBitsWithBlackTable)
{
    for (bool useFMO : {true, false}) {
        TFvInternalDIB dib(useFMO);
        const BITMAPINFOHEADER& head = dib.DIBInfos.W3Head();
        EXPECT_EQ(dib.RefCount, 1);
        EXPECT_EQ(dib.Width, 1);
        EXPECT_EQ(dib.Height, 1);
        EXPECT_EQ(head.biSize, 40u);
        EXPECT_EQ(head.biPlanes, 1);
        EXPECT_EQ(head.biBitCount, 8);
        EXPECT_EQ(head.biClrUsed, 256u);
        EXPECT_EQ(head.biXPelsPerMeter, 3780);
        EXPECT_EQ(head.biSizeImage, 0u);
        EXPECT_EQ(dib.DIBInfos.BitsSize, 4);
        EXPECT_EQ(dib.DIBInfos.hFile != nullptr, useFMO);
        for (const RGBQUAD& entry : dib.DIBInfos.W3HeadInfo.bmiColors)
            EXPECT_EQ(entry.rgbBlue | entry.rgbGreen | entry.rgbRed | entry.rgbReserved, 0);
        EXPECT_TRUE(dib.PaletteModified);
    }
}

TEST(InternalDIB, CreateDIBStrideAndSize)
{
    TFvInternalDIB dib(true);
    dib.FreeDIB();
    dib.CreateDIB(10, -5, 0, 24);
    EXPECT_EQ(dib.DIBInfos.W3Head().biHeight, -5);
    EXPECT_EQ(dib.Height, 5);
    EXPECT_EQ(DIBStride(10, 24), 32);
    EXPECT_EQ(dib.DIBInfos.BitsSize, 160);
    EXPECT_EQ(DIBStride(3, 1), 4);
    EXPECT_EQ(DIBStride(9, 4), 8);
    dib.FreeDIB();
    dib.CreateDIB(9, 1, 16, 4);
    EXPECT_EQ(dib.DIBInfos.BitsSize, 8);
    EXPECT_EQ(dib.DIBInfos.W3Head().biClrUsed, 16u);
}

TEST(InternalDIB, CreateDIBRejectsBadParametersBeforeAllocating)
{
    TFvInternalDIB dib(true);
    dib.FreeDIB();
    const auto invalid = [&](int w, int h, int colours, int bits) {
        ExpectMessage<EFvDIBInvalidDIBPara>([&] { dib.CreateDIB(w, h, colours, bits); },
                                            "TFvInternalDIB.CreateDIB: Invalid Parameters");
        EXPECT_EQ(dib.DIBInfos.pBits, nullptr);
    };
    invalid(1, 1, 257, 8);
    invalid(1, 1, -1, 8);
    invalid(1, 1, 0, 16);
    invalid(1, 1, 0, 32);
    invalid(0, 1, 0, 24);
    invalid(1, 0, 0, 24);
    invalid(1, std::numeric_limits<int>::min(), 0, 1);
    // 2^31 - 1 is the most pixel bytes a storage can count.
    invalid(65536, 32768, 0, 8);
    invalid(std::numeric_limits<int>::max(), 1, 0, 24);
    invalid(std::numeric_limits<int>::max(), -std::numeric_limits<int>::max(), 0, 24);
}

TEST(InternalDIB, ZeroBytesMakeNoSectionButAHeapBlock)
{
    HFILEMAPPING file = nullptr;
    uint8_t* bits = nullptr;
    GetMemory(0, file, bits, false);
    EXPECT_NE(bits, nullptr);
    ReleaseMemory(file, bits, false);
    bits = nullptr;
    GetMemory(1, file, bits, true);
    EXPECT_NE(file, nullptr);
    ReleaseMemory(file, bits, true);
    file = nullptr;
    bits = nullptr;
    ExpectMessage<EOutOfResources>([&] { GetMemory(0, file, bits, true); },
                                   "GetMemory: Cannot Make File Mapping Object");
    ExpectMessage<EOutOfResources>([&] { GetMemory(int64_t{1} << 31, file, bits, true); },
                                   "GetMemory: Cannot Make File Mapping Object");
    EXPECT_THROW(GetMemory(int64_t{1} << 31, file, bits, false), EOutOfMemory);
    EXPECT_EQ(bits, nullptr);
}

TEST(InternalDIB, NumColorsOf)
{
    EXPECT_EQ(NumColorsOf(1), 2);
    EXPECT_EQ(NumColorsOf(4), 16);
    EXPECT_EQ(NumColorsOf(8), 256);
    EXPECT_EQ(NumColorsOf(24), 0);
    EXPECT_EQ(NumColorsOf(16), 0);
}

TEST(InternalDIB, PaletteFromColourTable)
{
    TFvInternalDIB dib(false);
    dib.FreeDIB();
    dib.CreateDIB(4, 4, 0, 24);
    EXPECT_EQ(GetPaletteFromDIBInfos(dib.DIBInfos), nullptr);
    EXPECT_EQ(dib.GetPalette(), nullptr);

    dib.FreeDIB();
    dib.CreateDIB(4, 4, 3, 8);
    dib.DIBInfos.W3HeadInfo.bmiColors[2] = RGBQUAD{0x10, 0x20, 0x30, 0};
    HPALETTE palette = dib.GetPalette();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(dib.GetPalette(), palette);
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 3u);
    PALETTEENTRY entries[3];
    ASSERT_EQ(GetPaletteEntries(palette, 0, 3, entries), 3u);
    EXPECT_EQ(entries[2].peRed, 0x30);
    EXPECT_EQ(entries[2].peGreen, 0x20);
    EXPECT_EQ(entries[2].peBlue, 0x10);

    dib.PaletteModified = false;
    dib.ReleasePalette();
    EXPECT_EQ(dib.Palette, nullptr);
    EXPECT_TRUE(dib.PaletteModified);
}

TEST(InternalDIB, CloneCopiesContentIntoOwnMemory)
{
    TFvInternalDIB source(true);
    source.FreeDIB();
    source.CreateDIB(5, 3, 2, 8);
    source.DIBInfos.W3HeadInfo.bmiColors[1] = RGBQUAD{1, 2, 3, 0};
    source.DIBInfos.W3HeadInfo.bmiColors[200] = RGBQUAD{4, 5, 6, 0};
    for (int i = 0; i < source.DIBInfos.BitsSize; ++i)
        source.DIBInfos.pBits[i] = static_cast<uint8_t>(i * 7);
    ASSERT_NE(source.GetPalette(), nullptr);

    for (bool useFMO : {true, false}) {
        const auto clone = source.Clone(useFMO);
        EXPECT_EQ(clone->UseFMO, useFMO);
        EXPECT_EQ(clone->RefCount, 1);
        EXPECT_EQ(clone->Width, 5);
        EXPECT_EQ(clone->Height, 3);
        EXPECT_EQ(clone->Palette, nullptr);
        EXPECT_TRUE(clone->PaletteModified);
        EXPECT_EQ(std::memcmp(clone->DIBInfos.Dummy, source.DIBInfos.Dummy, sizeof source.DIBInfos.Dummy), 0);
        ASSERT_EQ(clone->DIBInfos.BitsSize, source.DIBInfos.BitsSize);
        EXPECT_NE(clone->DIBInfos.pBits, source.DIBInfos.pBits);
        EXPECT_EQ(std::memcmp(clone->DIBInfos.pBits, source.DIBInfos.pBits, 15), 0);
        clone->DIBInfos.pBits[0] = 99;
        EXPECT_EQ(source.DIBInfos.pBits[0], 0);
    }

    // A clone that cannot have memory of its own leaves the source's alone.
    TFvInternalDIB heap(false);
    heap.FreeDIB();
    heap.CreateDIB(5, 3, 0, 8);
    const int32_t size = std::exchange(heap.DIBInfos.BitsSize, -1);
    EXPECT_THROW(heap.Clone(false), EOutOfMemory);
    heap.DIBInfos.BitsSize = size;
    heap.DIBInfos.pBits[14] = 7;
    EXPECT_EQ(heap.Clone(false)->DIBInfos.pBits[14], 7);
}

} // namespace
