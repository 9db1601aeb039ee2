#include "BmpBuilder.h"
#include "TestSupport.h"

#include <cstring>
#include <utility>

namespace {

// A block that the test owns, as the clipboard would.
struct OwnedBlock {
    HGLOBAL Handle;
    explicit OwnedBlock(const std::vector<uint8_t>& bytes) : Handle(GlobalAllocCopy(bytes.data(), bytes.size())) {}
    explicit OwnedBlock(HGLOBAL handle) : Handle(handle) {}
    ~OwnedBlock() { GlobalFree(Handle); }
    OwnedBlock(const OwnedBlock&) = delete;
    OwnedBlock& operator=(const OwnedBlock&) = delete;
    std::vector<uint8_t> Bytes() const
    {
        const auto* bytes = static_cast<const uint8_t*>(GlobalLock(Handle));
        std::vector<uint8_t> copy(bytes, bytes + GlobalSize(Handle));
        GlobalUnlock(Handle);
        return copy;
    }
};

void LoadBlock(TFvDIB& dib, const std::vector<uint8_t>& bytes)
{
    const OwnedBlock block(bytes);
    dib.LoadFromClipboardFormat(CF_DIB, block.Handle, nullptr);
    // The block is left unlocked for its owner.
    EXPECT_FALSE(GlobalUnlock(block.Handle));
}

TEST(ClipboardDIB, FormatAndDataAreChecked)
{
    TFvDIB dib;
    const OwnedBlock block(DibBlock(DibFields{}));
    ExpectError<EInvalidGraphic>([&] { dib.LoadFromClipboardFormat(CF_BITMAP, block.Handle, nullptr); },
                                 "TFvDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    ExpectError<EInvalidGraphic>([&] { dib.LoadFromClipboardFormat(CF_DIB, nullptr, nullptr); },
                                 "TFvDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
}

TEST(ClipboardDIB, WrittenBlockReadsBack)
{
    for (const auto& [bits, colours] : {std::pair{1, 2}, std::pair{4, 16}, std::pair{8, 256}}) {
        TFvDIB dib;
        dib.SetBitCount(bits);
        dib.SetWidth(3);
        dib.SetHeight(-2);
        dib.SetColors(colours - 1, 0x102030);
        dib.SetPixels(2, 1, static_cast<uint32_t>(colours - 1));
        unsigned format = 0;
        HGLOBAL data = nullptr;
        HPALETTE palette = reinterpret_cast<HPALETTE>(&format);
        dib.SaveToClipboardFormat(format, data, palette);
        const OwnedBlock block(data);
        EXPECT_EQ(format, CF_DIB);
        EXPECT_EQ(palette, nullptr);
        const std::vector<uint8_t> bytes = block.Bytes();
        const size_t front = 40 + 4 * static_cast<size_t>(colours);
        ASSERT_EQ(bytes.size(), front + 8);
        EXPECT_EQ(std::memcmp(bytes.data(), &dib.InternalDIB().DIBInfos.W3HeadInfo, front), 0);

        TFvDIB copy;
        copy.LoadFromClipboardFormat(format, block.Handle, nullptr);
        EXPECT_EQ(copy.InternalDIB().DIBInfos.W3Head().biHeight, -2);
        EXPECT_EQ(copy.PaletteSize(), colours);
        EXPECT_EQ(copy.GetColors(colours - 1), 0x102030);
        EXPECT_EQ(copy.GetPixels(2, 1), static_cast<uint32_t>(colours - 1));
        EXPECT_TRUE(copy.Modified());

        // A block whose colour count is 0 holds a whole table, and says so once read.
        std::vector<uint8_t> whole = bytes;
        std::fill_n(whole.begin() + 32, 4, uint8_t{0});
        TFvDIB read;
        LoadBlock(read, whole);
        EXPECT_EQ(read.InternalDIB().DIBInfos.W3Head().biClrUsed, static_cast<DWORD>(colours));
    }
}

TEST(ClipboardDIB, ExtraPixelBytesAreKept)
{
    DibFields fields;
    fields.Pixels = {1, 2, 3, 0, 9, 9};
    // A block without a resolution gets the usual one.
    fields.XPels = 0;
    fields.YPels = 0;
    TFvDIB dib;
    LoadBlock(dib, DibBlock(fields));
    EXPECT_EQ(dib.InternalDIB().DIBInfos.BitsSize, 6);
    EXPECT_EQ(dib.GetPixels(0, 0), 0x010203u);
    EXPECT_EQ(std::pair(dib.XPelsPerMeter(), dib.YPelsPerMeter()), std::pair(3780, 3780));
}

TEST(ClipboardDIB, ShortUncompressedDataIsPaddedWithBlack)
{
    DibFields fields;
    fields.Width = 1;
    fields.Height = 2;
    fields.Pixels = {1, 2, 3};
    TFvDIB dib;
    LoadBlock(dib, DibBlock(fields));
    EXPECT_EQ(dib.InternalDIB().DIBInfos.BitsSize, 8);
    EXPECT_EQ(dib.GetPixels(0, 1), 0x010203u);
    EXPECT_EQ(dib.GetPixels(0, 0), 0u);
    // Down to a single byte.
    fields.Pixels = {7};
    LoadBlock(dib, DibBlock(fields));
    EXPECT_EQ(std::pair(dib.GetPixels(0, 1), dib.GetPixels(0, 0)), std::pair(0x070000u, 0u));
    // And to none: the header alone is a black picture, in either header.
    fields.Pixels.clear();
    for (const uint32_t size : {40, 12}) {
        fields.HeaderSize = size;
        LoadBlock(dib, DibBlock(fields));
        EXPECT_EQ(std::pair(dib.GetPixels(0, 1), dib.GetPixels(0, 0)), std::pair(0u, 0u)) << size;
        dib.SetPixels(0, 0, 0x0A0B0C);
    }
}

TEST(ClipboardDIB, CoreHeaderAndBitFields)
{
    DibFields core;
    core.HeaderSize = 12;
    core.BitCount = 1;
    core.Colours = {0x000000, 0xABCDEF};
    core.Pixels = {0x80, 0, 0, 0};
    TFvDIB dib;
    LoadBlock(dib, DibBlock(core));
    EXPECT_EQ(dib.BitCount(), 1);
    EXPECT_EQ(dib.PaletteSize(), 2);
    EXPECT_EQ(dib.GetColors(1), 0xEFCDAB);
    EXPECT_EQ(dib.GetPixels(0, 0), 1u);

    DibFields fields;
    fields.BitCount = 16;
    fields.Compression = BI_BITFIELDS;
    fields.Masks = {0xF800, 0x07E0, 0x001F};
    fields.Pixels = {0x1F, 0xF8, 0, 0};
    LoadBlock(dib, DibBlock(fields));
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.GetPixels(0, 0), 0xFF00FFu);
    // A colour table after the masks is read from after them.
    fields.ClrUsed = 2;
    fields.Colours = {0x123456, 0xABCDEF};
    LoadBlock(dib, DibBlock(fields));
    EXPECT_EQ(std::tuple(dib.PaletteSize(), dib.GetColors(0), dib.GetColors(1), dib.GetPixels(0, 0)),
              std::tuple(2, TColor{0x563412}, TColor{0xEFCDAB}, 0xFF00FFu));
}

TEST(ClipboardDIB, MalformedBlocksAreRejected)
{
    TFvDIB dib;
    dib.SetPixels(0, 0, 77);
    TFvInternalDIB* storage = &dib.InternalDIB();
    dib.SetModified(false);
    const auto reject = [&](const std::vector<uint8_t>& bytes, const char* message) {
        ExpectError<EFvDIBInvalidDIB>([&] { LoadBlock(dib, bytes); }, message);
    };
    const char* invalidData = "TFvInternalDIB.LoadFromClipboardFormat: Invalid Clipboard Data";
    DibFields fields;
    fields.Pixels.assign(4, 0);
    const std::vector<uint8_t> good = DibBlock(fields);

    reject({}, invalidData);
    reject({40, 0, 0}, invalidData);
    reject(std::vector<uint8_t>(good.begin(), good.begin() + 39), invalidData);
    DibFields core;
    core.HeaderSize = 12;
    core.BitCount = 8;
    core.Colours.assign(255, 0);
    reject(DibBlock(core), invalidData);
    DibFields table;
    table.BitCount = 8;
    table.ClrUsed = 3;
    table.Colours = {1, 2};
    reject(DibBlock(table), invalidData);
    DibFields wide;
    wide.Width = 3;
    wide.Height = 2;
    wide.BitCount = 32;
    wide.Pixels.assign(23, 0);
    reject(DibBlock(wide), invalidData);

    std::vector<uint8_t> header = good;
    header[0] = 108;
    reject(header, "TFvDIB.LoadFromClipboardFormat: Invalid Clipboard Data");

    DibFields size = fields;
    size.Width = 0;
    reject(DibBlock(size), "TFvInternalDIB.LoadFromClipboardFormat: Invalid Width or Height");
    size.Width = 1;
    size.Height = 0;
    reject(DibBlock(size), "TFvInternalDIB.LoadFromClipboardFormat: Invalid Width or Height");
    size.Height = INT32_MIN;
    reject(DibBlock(size), "TFvInternalDIB.LoadFromClipboardFormat: Invalid Width or Height");
    size.Width = 40000;
    size.Height = 40000;
    reject(DibBlock(size), "TFvInternalDIB.LoadFromClipboardFormat: Invalid Width or Height");
    // 16 bits that fit, but not once they become 24.
    size.BitCount = 16;
    size.Width = 1'000'000;
    size.Height = 716;
    reject(DibBlock(size), "TFvInternalDIB.LoadFromClipboardFormat: Invalid Width or Height");
    size.Height = 715;
    reject(DibBlock(size), invalidData);

    DibFields masks = fields;
    masks.BitCount = 32;
    masks.Compression = BI_BITFIELDS;
    masks.Masks = {0xFF0000, 0xFF00, 0};
    reject(DibBlock(masks), "TFvInternalDIB.LoadFromClipboardFormat: Invalid Masks");
    masks.Masks.clear();
    masks.Compression = BI_RLE4;
    reject(DibBlock(masks), "TFvInternalDIB.LoadFromClipboardFormat: Invalid Masks");

    DibFields bits = fields;
    bits.BitCount = 2;
    reject(DibBlock(bits), "TFvInternalDIB.LoadFromClipboardFormat: Invalid biBitCount");
    // The size is judged first, at one bit a pixel, whatever the depth.
    bits.Width = INT32_MAX;
    bits.Height = 9;
    reject(DibBlock(bits), "TFvInternalDIB.LoadFromClipboardFormat: Invalid Width or Height");

    EXPECT_EQ(&dib.InternalDIB(), storage);
    EXPECT_EQ(dib.GetPixels(0, 0), 77u);
    EXPECT_FALSE(dib.Modified());
}

} // namespace
