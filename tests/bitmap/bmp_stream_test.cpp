#include "BmpBuilder.h"
#include "TestSupport.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

std::vector<uint8_t> ReadFile(const std::string& name)
{
    std::ifstream in(std::string(FV_TEST_DATA) + "/bmp/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TMemoryStream StreamOf(const std::vector<uint8_t>& bytes)
{
    TMemoryStream stream;
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    return stream;
}

void Load(TFvDIB& dib, const std::vector<uint8_t>& bytes)
{
    TMemoryStream stream = StreamOf(bytes);
    dib.LoadFromStream(stream);
}

std::vector<uint8_t> Save(TFvDIB& dib)
{
    TMemoryStream stream;
    dib.SaveToStream(stream);
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

// The colours of a binary PPM (P6) or plain PBM (P1, 1 = black), top row first, as TColor.
std::vector<TColor> ReadPicture(const std::string& name)
{
    const std::vector<uint8_t> bytes = ReadFile(name);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string magic;
    int width = 0, height = 0;
    in >> magic >> width >> height;
    std::vector<TColor> colours;
    if (magic == "P1") {
        for (int i = 0; i < width * height; ++i) {
            int bit = 0;
            in >> bit;
            colours.push_back(bit ? clBlack : clWhite);
        }
        return colours;
    }
    int maxValue = 0;
    in >> maxValue;
    in.get();
    for (int i = 0; i < width * height; ++i) {
        const int r = in.get(), g = in.get(), b = in.get();
        colours.push_back(r | (g << 8) | (b << 16));
    }
    return colours;
}

TColor ColourAt(TFvDIB& dib, int x, int y)
{
    const uint32_t value = dib.GetPixels(x, y);
    return dib.BitCount() == 24 ? static_cast<TColor>(value) : dib.GetColors(static_cast<int>(value));
}

void ExpectPicture(TFvDIB& dib, const std::vector<TColor>& expected)
{
    ASSERT_EQ(dib.Width(), 7);
    ASSERT_EQ(dib.Height(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(ColourAt(dib, x, y), expected[7 * y + x]) << "pixel " << x << ", " << y;
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

TEST(BmpFiles, FixturesOfEveryUncompressedKindReadTheirPixels)
{
    const std::vector<TColor> colours = ReadPicture("source.ppm");
    const struct {
        const char* Name;
        int BitCount;
    } files[] = {{"rgb24.bmp", 24}, {"pal8.bmp", 8}, {"pal4.bmp", 4}, {"core8.bmp", 8}, {"core24.bmp", 24}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.Name);
        TFvDIB dib;
        Load(dib, ReadFile(file.Name));
        EXPECT_EQ(dib.BitCount(), file.BitCount);
        ExpectPicture(dib, colours);
    }
    TFvDIB mono;
    Load(mono, ReadFile("mono1.bmp"));
    EXPECT_EQ(mono.BitCount(), 1);
    ExpectPicture(mono, ReadPicture("source1.pbm"));
}

TEST(BmpFiles, FilesKeptAsReadAreWrittenBackUnchanged)
{
    for (const char* name : {"rgb24.bmp", "pal8.bmp", "pal4.bmp", "mono1.bmp", "pal8rle.bmp"}) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> expected = ReadFile(name);
        TFvDIB dib;
        Load(dib, expected);
        // Only a missing colour count and missing resolutions are filled in.
        const uint32_t clrUsed = static_cast<uint32_t>(dib.PaletteSize());
        std::memcpy(expected.data() + 46, &clrUsed, 4);
        for (size_t at : {38u, 42u})
            if (U32At(expected, at) == 0)
                std::memcpy(expected.data() + at, "\xC4\x0E\0\0", 4);
        EXPECT_EQ(Save(dib), expected);
    }
}

TEST(BmpFiles, RleEightIsStoredCompressed)
{
    const std::vector<uint8_t> file = ReadFile("pal8rle.bmp");
    TFvDIB dib;
    Load(dib, file);
    const TFvDIBInfos& infos = dib.InternalDIB().DIBInfos;
    EXPECT_EQ(infos.W3Head().biCompression, BI_RLE8);
    EXPECT_EQ(dib.PixelFormat(), fvPf8BitRLE);
    ASSERT_EQ(infos.BitsSize, static_cast<int32_t>(file.size() - U32At(file, 10)));
    EXPECT_EQ(std::memcmp(infos.pBits, file.data() + U32At(file, 10), infos.BitsSize), 0);
}

TEST(BmpFiles, RleFourIsStoredCompressed)
{
    DibFields fields;
    fields.Width = 4;
    fields.Height = 2;
    fields.BitCount = 4;
    fields.Compression = BI_RLE4;
    fields.ClrUsed = 16;
    fields.Colours.assign(16, 0);
    fields.Pixels = {4, 0x12, 0, 0, 4, 0x34, 0, 1};
    const std::vector<uint8_t> file = BmpFile(fields);
    TFvDIB dib;
    Load(dib, file);
    EXPECT_EQ(dib.PixelFormat(), fvPf4BitRLE);
    EXPECT_EQ(dib.InternalDIB().DIBInfos.BitsSize, 8);
    EXPECT_EQ(Save(dib), file);
    ExpectError<EFvDIBBadDIBType>([&] { dib.ScanLine(0); }, "TFvDIB.GetScanLine: Bad DIB Type");
}

TEST(BmpFiles, OffsetsOfWrittenFiles)
{
    TFvDIB dib;
    dib.SetBitCount(24);
    dib.SetWidth(5);
    std::vector<uint8_t> file = Save(dib);
    EXPECT_EQ(U32At(file, 10), 54u);
    EXPECT_EQ(U32At(file, 2), 54u + 16);
    EXPECT_EQ(file.size(), 70u);
    // A new picture's resolution, colours used and important colours.
    const auto counts = [&] { return std::vector<uint32_t>{U32At(file, 38), U32At(file, 42), U32At(file, 46), U32At(file, 50)}; };
    EXPECT_EQ(counts(), (std::vector<uint32_t>{3780, 3780, 0, 0}));

    dib.SetBitCount(8);
    file = Save(dib);
    EXPECT_EQ(U32At(file, 10), 1078u);
    EXPECT_EQ(U32At(file, 2), 1078u + 8);
    EXPECT_EQ(counts(), (std::vector<uint32_t>{3780, 3780, 256, 0}));
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32At(file, 6), 0u);
}

TEST(BmpFiles, ZeroResolutionsReadAs3780)
{
    DibFields fields;
    fields.XPels = 0;
    fields.YPels = 0;
    fields.Pixels.assign(4, 0);
    TFvDIB dib;
    Load(dib, BmpFile(fields));
    EXPECT_EQ(dib.XPelsPerMeter(), 3780);
    EXPECT_EQ(dib.YPelsPerMeter(), 3780);
    const std::vector<uint8_t> file = Save(dib);
    EXPECT_EQ(U32At(file, 38), 3780u);
    EXPECT_EQ(U32At(file, 42), 3780u);
}

TEST(BmpFiles, TopDownStaysTopDown)
{
    DibFields fields;
    fields.Width = 1;
    fields.Height = -2;
    fields.Pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    const std::vector<uint8_t> file = BmpFile(fields);
    TFvDIB dib;
    Load(dib, file);
    EXPECT_EQ(dib.Height(), 2);
    EXPECT_EQ(dib.GetPixels(0, 0), 0x010203u);
    EXPECT_EQ(dib.GetPixels(0, 1), 0x040506u);
    EXPECT_EQ(Save(dib), file);

    DibFields wide;
    wide.Width = 1;
    wide.Height = -2;
    wide.BitCount = 16;
    wide.Pixels = {0xFF, 0x7F, 0, 0, 0x10, 0, 0, 0};
    Load(dib, BmpFile(wide));
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.InternalDIB().DIBInfos.W3Head().biHeight, -2);
    EXPECT_EQ(dib.GetPixels(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dib.GetPixels(0, 1), 0x830000u);
}

TEST(BmpFiles, SixteenAndThirtyTwoBitsBecomeTwentyFour)
{
    DibFields fields;
    fields.Width = 3;
    fields.Height = 1;
    fields.BitCount = 16;
    fields.Pixels = {0xFF, 0x7F, 0x10, 0x00, 0x00, 0x7C, 0, 0};
    TFvDIB dib;
    Load(dib, BmpFile(fields));
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.PixelFormat(), fvPf24Bit);
    EXPECT_EQ(dib.InternalDIB().DIBInfos.BitsSize, 12);
    const uint8_t expected[12] = {255, 255, 255, 131, 0, 0, 0, 0, 255, 0, 0, 0};
    EXPECT_EQ(std::memcmp(dib.ScanLine(0), expected, 12), 0);

    fields.BitCount = 32;
    fields.Pixels = {0x11, 0x22, 0x33, 0x44, 0xFE, 0x01, 0x80, 0xFF, 0, 0, 0, 0};
    Load(dib, BmpFile(fields));
    const uint8_t kept[9] = {0x11, 0x22, 0x33, 0xFE, 0x01, 0x80, 0, 0, 0};
    EXPECT_EQ(std::memcmp(dib.ScanLine(0), kept, 9), 0);
}

TEST(BmpFiles, BitFieldsFiveSixFive)
{
    DibFields fields;
    fields.Width = 4;
    fields.Height = 1;
    fields.BitCount = 16;
    fields.Compression = BI_BITFIELDS;
    fields.Masks = {0xF800, 0x07E0, 0x001F};
    fields.Pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x41, 0x08};
    TFvDIB dib;
    Load(dib, BmpFile(fields));
    EXPECT_EQ(dib.InternalDIB().DIBInfos.W3Head().biCompression, BI_RGB);
    EXPECT_EQ(dib.GetPixels(0, 0), 0x0000FFu);
    EXPECT_EQ(dib.GetPixels(1, 0), 0x00FF00u);
    EXPECT_EQ(dib.GetPixels(2, 0), 0xFF0000u);
    // Shifts 8, 3 and -3: one step of each channel is 8 * 255 / 248 or 8 * 255 / 252.
    EXPECT_EQ(dib.GetPixels(3, 0), 0x080808u);

    fields.BitCount = 32;
    // Red in the top byte, which the low bytes' masks would never read.
    fields.Masks = {0xFF000000, 0x0000FF00, 0x00FF0000};
    fields.Pixels = {0x10, 0x20, 0x30, 0x41};
    fields.Width = 1;
    fields.Colours = {0x123456};
    fields.ClrUsed = 1;
    Load(dib, BmpFile(fields));
    EXPECT_EQ(dib.GetPixels(0, 0), 0x302041u);
    // A table that came with the file stays as an optional palette, right after the header.
    EXPECT_EQ(dib.PaletteSize(), 1);
    EXPECT_EQ(dib.GetColors(0), 0x563412);
}

TEST(BmpFiles, LongColourTableKeeps256Entries)
{
    DibFields fields;
    fields.BitCount = 8;
    fields.ClrUsed = 300;
    for (uint32_t i = 0; i < 300; ++i)
        fields.Colours.push_back(i);
    fields.Pixels = {255, 0, 0, 0};
    TFvDIB dib;
    Load(dib, BmpFile(fields));
    EXPECT_EQ(dib.PaletteSize(), 256);
    EXPECT_EQ(dib.GetColors(255), 0xFF0000);
    EXPECT_EQ(dib.GetPixels(0, 0), 255u);

    const std::vector<uint8_t> bytes = BmpFile(fields, 14 + 40 + 1200 - 1);
    ExpectError<EFvDIBInvalidDIB>([&] { Load(dib, bytes); }, "TFvInternalDIB.LoadFromFile: bfOffBits is too small");
}

TEST(BmpFiles, CoreHeaderBecomesInfoHeader)
{
    DibFields fields;
    fields.HeaderSize = 12;
    fields.Width = 2;
    fields.Height = 1;
    fields.BitCount = 8;
    for (uint32_t i = 0; i < 256; ++i)
        fields.Colours.push_back(i * 0x010203 & 0xFFFFFF);
    fields.Colours.front() = 0x405060;
    fields.Pixels = {7, 9, 0, 0};
    TFvDIB dib;
    Load(dib, BmpFile(fields));
    EXPECT_EQ(dib.GetColors(0), 0x605040);
    const BITMAPINFOHEADER& head = dib.InternalDIB().DIBInfos.W3Head();
    EXPECT_EQ(head.biSize, 40u);
    EXPECT_EQ(head.biPlanes, 1);
    EXPECT_EQ(head.biClrUsed, 256u);
    EXPECT_EQ(head.biXPelsPerMeter, 3780);
    EXPECT_EQ(dib.GetColors(9), 0x1B1209);
    EXPECT_EQ(dib.InternalDIB().DIBInfos.W3HeadInfo.bmiColors[9].rgbReserved, 0);
    const std::vector<uint8_t> file = Save(dib);
    EXPECT_EQ(U32At(file, 10), 1078u);
    EXPECT_EQ(file.size(), 1082u);

    fields.BitCount = 16;
    ExpectError<EFvDIBInvalidDIB>([&] { Load(dib, BmpFile(fields)); },
                                  "TFvInternalDIB.LoadFromStream: Invalid BitCount");
    fields.BitCount = 8;
    ExpectError<EFvDIBInvalidDIB>([&] { Load(dib, BmpFile(fields, 14 + 12 + 767)); },
                                  "TFvInternalDIB.LoadFromFile: bfOffBits is too small");
}

TEST(BmpFiles, Rejections)
{
    TFvDIB dib;
    DibFields fields;
    fields.Pixels.assign(4, 0);
    std::vector<uint8_t> file = BmpFile(fields);
    file[0] = 0x42;
    file[1] = 0x41;
    ExpectError<EFvDIBInvalidDIBFile>([&] { Load(dib, file); }, "TFvInternalDIB.LoadFromFile: File type is invalid");

    ExpectError<EFvDIBInvalidDIB>([&] { Load(dib, ReadFile("v5_565.bmp")); },
                                  "TFvInternalDIB.LoadFromStream: Invalid Bitmap Header Size");
    DibFields os2v2 = fields;
    os2v2.HeaderSize = 64;
    ExpectError<EFvDIBInvalidDIB>([&] { Load(dib, BmpFile(os2v2)); },
                                  "TFvInternalDIB.LoadFromStream: Invalid Bitmap Header Size");
    // Bit fields whose masks the file left out.
    ExpectError<EFvDIBInvalidDIB>([&] { Load(dib, ReadFile("bitfields_no_masks.bmp")); },
                                  "TFvInternalDIB.LoadFromFile: bfOffBits is too small");

    DibFields bad = fields;
    bad.BitCount = 2;
    ExpectError<EFvDIBInvalidDIB>([&] { Load(dib, BmpFile(bad)); }, "TFvInternalDIB.LoadFromStream: Invalid BitCout");

    const auto invalidSize = [&](int32_t width, int32_t height, uint16_t bits) {
        DibFields sized = fields;
        sized.Width = width;
        sized.Height = height;
        sized.BitCount = bits;
        if (bits <= 8) {
            sized.ClrUsed = 1;
            sized.Colours = {0};
        }
        ExpectError<EFvDIBInvalidDIB>([&] { Load(dib, BmpFile(sized)); },
                                      "TFvInternalDIB.LoadFromStream: Invalid Width or Height");
    };
    invalidSize(0, 1, 24);
    invalidSize(-1, 1, 24);
    invalidSize(1, 0, 24);
    invalidSize(1, INT32_MIN, 1);
    invalidSize(0x7FFFFFFF, 1, 8);
    invalidSize(30000, 30000, 24);
    invalidSize(0x7FFFFFFF, -0x7FFFFFFF, 32);
    // 16-bit rows fit, their 24-bit copies would not.
    invalidSize(2, 0x7FFFFFFF / 4, 16);

    DibFields masks = fields;
    masks.BitCount = 16;
    masks.Compression = BI_BITFIELDS;
    masks.Masks = {0xF800, 0, 0x001F};
    ExpectError<EFvDIBInvalidDIB>([&] { Load(dib, BmpFile(masks)); }, "TFvInternalDIB.LoadFromStream: Invalid Masks");
    masks.Masks.clear();
    masks.Compression = BI_RLE8;
    ExpectError<EFvDIBInvalidDIB>([&] { Load(dib, BmpFile(masks)); }, "TFvInternalDIB.LoadFromStream: Invalid Masks");

    EXPECT_EQ(dib.Width(), 1);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_FALSE(dib.Modified());
}

TEST(BmpFiles, FailureKeepsTheBitmapAsItWas)
{
    TFvDIB dib;
    dib.SetBitCount(24);
    dib.SetWidth(3);
    dib.SetPixels(2, 0, 0x445566);
    TFvInternalDIB* storage = &dib.InternalDIB();
    dib.SetModified(false);

    DibFields fields;
    fields.Width = 2;
    fields.Height = 2;
    fields.BitCount = 32;
    fields.Pixels.assign(12, 0x55); // one and a half rows of two
    std::vector<uint8_t> file = BmpFile(fields);
    EXPECT_THROW(Load(dib, file), EReadError);
    file.resize(20);
    EXPECT_THROW(Load(dib, file), EReadError);
    // A few bytes claiming 2 GB of rows fail before any memory is taken for them.
    fields.Width = 0x1FFFFFFF;
    fields.Height = 1;
    EXPECT_THROW(Load(dib, BmpFile(fields)), EReadError);
    fields.BitCount = 8;
    fields.Colours.assign(256, 0);
    EXPECT_THROW(Load(dib, BmpFile(fields, -1, 0x7FFFFFFF)), EReadError);
    EXPECT_EQ(&dib.InternalDIB(), storage);
    EXPECT_EQ(dib.GetPixels(2, 0), 0x445566u);
    EXPECT_FALSE(dib.Modified());
}

TEST(BmpFiles, ShortUncompressedDataIsPaddedWithBlack)
{
    DibFields fields;
    fields.Width = 2;
    fields.Height = 3;
    fields.BitCount = 24;
    fields.Pixels = {1, 2, 3, 4, 5, 6, 0, 0, 9}; // the bottom row and one byte
    TFvDIB dib;
    Load(dib, BmpFile(fields));
    EXPECT_EQ(dib.InternalDIB().DIBInfos.BitsSize, 24);
    EXPECT_EQ(dib.GetPixels(0, 2), 0x010203u);
    EXPECT_EQ(dib.GetPixels(1, 2), 0x040506u);
    EXPECT_EQ(dib.GetPixels(0, 1), 0x090000u);
    EXPECT_EQ(dib.GetPixels(0, 0), 0u);

    // bfSize below bfOffBits: no pixel data at all.
    const std::vector<uint8_t> file = BmpFile(fields, -1, 10);
    Load(dib, file);
    EXPECT_EQ(dib.InternalDIB().DIBInfos.BitsSize, 24);
    EXPECT_EQ(dib.GetPixels(0, 2), 0u);

    // Longer data keeps its extra bytes.
    fields.Pixels.assign(30, 7);
    Load(dib, BmpFile(fields));
    EXPECT_EQ(dib.InternalDIB().DIBInfos.BitsSize, 30);
}

TEST(BmpFiles, UnusedTableEntriesAreBlack)
{
    DibFields fields;
    fields.BitCount = 8;
    fields.ClrUsed = 2;
    fields.Colours = {0xFFFFFF, 0xFF0000};
    fields.Pixels = {1, 0, 0, 0};
    TFvDIB dib;
    dib.SetColors(5, clWhite);
    Load(dib, BmpFile(fields));
    EXPECT_EQ(dib.PaletteSize(), 2);
    EXPECT_EQ(dib.GetColors(1), clRed);
    for (int i = 2; i < 256; ++i)
        EXPECT_EQ(dib.GetColors(i), clBlack);
}

TEST(BmpFiles, OffsetCountsFromFileStartAndStreamEndsAfterPixels)
{
    // After either header.
    for (const uint32_t size : {40, 12}) {
        DibFields fields;
        fields.HeaderSize = size;
        fields.Gap = {0xAA, 0xBB, 0xCC};
        fields.Pixels = {9, 8, 7, 0};
        const std::vector<uint8_t> file = BmpFile(fields);
        TMemoryStream stream;
        stream.Write("xyz", 3);
        stream.Write(file.data(), static_cast<int64_t>(file.size()));
        stream.Write("tail", 4);
        stream.SetPosition(3);
        TFvDIB dib;
        dib.LoadFromStream(stream);
        EXPECT_EQ(dib.GetPixels(0, 0), 0x090807u) << size;
        EXPECT_EQ(stream.Position(), 3 + static_cast<int64_t>(file.size())) << size;
    }
}

TEST(BmpFiles, LoadingNotifiesAndHeapMemoryWorks)
{
    DibFields fields;
    fields.Pixels = {1, 2, 3, 0};
    TFvDIB dib;
    dib.SetUseFMO(false);
    ChangeCounter changes;
    changes.Attach(dib);
    dib.SetPaletteModified(false);
    Load(dib, BmpFile(fields));
    EXPECT_EQ(changes.Count, 1);
    EXPECT_TRUE(dib.PaletteModified());
    EXPECT_FALSE(dib.UseFMO());
    EXPECT_EQ(dib.GetPixels(0, 0), 0x010203u);
}

} // namespace
