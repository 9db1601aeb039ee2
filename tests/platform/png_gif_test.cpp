#include "platform/core/Exceptions.h"
#include "platform/graphics/GifImage.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/PngImage.h"

#include <gif_lib.h>
#include <png.h>

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A PNG written by libpng itself from rows given in the file's own layout.
Bytes EncodePng(int width, int height, int colourType, int depth, const std::vector<Bytes>& rows,
                bool interlaced = false, int paletteSize = 0)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, depth, colourType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (int i = 0; i < paletteSize; ++i)
        palette.push_back(png_color{uint8_t(i * 3), uint8_t(i * 5), uint8_t(255 - i)});
    if (paletteSize)
        png_set_PLTE(png, info, palette.data(), paletteSize);
    png_write_info(png, info);
    if (rows.empty()) {
        // The header alone, then the start of an empty IDAT: enough for a reader to size the picture.
        out.insert(out.end(), {0, 0, 0, 0, 'I', 'D', 'A', 'T'});
        png_destroy_write_struct(&png, &info);
        return out;
    }
    std::vector<png_bytep> pointers;
    for (const Bytes& row : rows)
        pointers.push_back(const_cast<uint8_t*>(row.data()));
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

template <class Graphic>
void Load(Graphic& graphic, const Bytes& bytes)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    graphic.LoadFromStream(stream);
}

PALETTEENTRY Entry(TBitmap& bitmap, unsigned index)
{
    PALETTEENTRY e{};
    GetPaletteEntries(bitmap.Palette(), index, 1, &e);
    return e;
}

TEST(TPngImageRead, IndexedAndGreyFilesBecomeIndexedPicturesOfTheirDepth)
{
    struct Case {
        int colourType, depth;
        TPixelFormat format;
        Bytes row;      // one row of 4 pixels in the file
        Bytes expected; // the picture's first bytes
    };
    const Case cases[] = {
        {PNG_COLOR_TYPE_PALETTE, 1, pf1bit, {0xA0}, {0xA0}},
        {PNG_COLOR_TYPE_PALETTE, 2, pf4bit, {0x1B}, {0x01, 0x23}},
        {PNG_COLOR_TYPE_PALETTE, 4, pf4bit, {0x12, 0x34}, {0x12, 0x34}},
        {PNG_COLOR_TYPE_PALETTE, 8, pf8bit, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {PNG_COLOR_TYPE_GRAY, 2, pf4bit, {0xE4}, {0x32, 0x10}},
        {PNG_COLOR_TYPE_GRAY, 16, pf8bit, {0x12, 0xFF, 0x34, 0, 0x56, 0, 0x78, 0}, {0x12, 0x34, 0x56, 0x78}},
    };
    for (const Case& c : cases) {
        const int colours = c.colourType == PNG_COLOR_TYPE_PALETTE ? 1 << c.depth : 0;
        TPngImage png;
        Load(png, EncodePng(4, 2, c.colourType, c.depth, {c.row, c.row}, false, colours));
        SCOPED_TRACE(c.depth);
        ASSERT_EQ(png.Bitmap().PixelFormat(), c.format);
        EXPECT_EQ(png.Width(), 4);
        EXPECT_EQ(std::memcmp(png.Bitmap().ScanLine(1), c.expected.data(), c.expected.size()), 0);
        if (c.colourType == PNG_COLOR_TYPE_PALETTE) {
            EXPECT_EQ(Entry(png.Bitmap(), 1).peRed, 3);
            EXPECT_EQ(Entry(png.Bitmap(), 1).peBlue, 254);
        } else {
            const unsigned last = c.format == pf8bit ? 255 : 3;
            EXPECT_EQ(Entry(png.Bitmap(), last).peGreen, 255);
            EXPECT_EQ(Entry(png.Bitmap(), 1).peRed, c.format == pf8bit ? 1 : 85);
        }
    }
}

TEST(TPngImageRead, ColourFilesBecome24BitsWithAlphaDroppedAndInterlacingUndone)
{
    const Bytes rgba = {10, 20, 30, 40, 50, 60, 70, 80};
    const Bytes ga16 = {0x11, 0, 0xFF, 0xFF, 0x22, 0, 0, 0};
    for (bool interlaced : {false, true}) {
        std::vector<Bytes> rows(9, rgba);
        rows[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        TPngImage png;
        Load(png, EncodePng(2, 9, PNG_COLOR_TYPE_RGBA, 8, rows, interlaced));
        ASSERT_EQ(png.Bitmap().PixelFormat(), pf24bit);
        EXPECT_EQ(Bytes(png.Bitmap().ScanLine(0), png.Bitmap().ScanLine(0) + 6), (Bytes{30, 20, 10, 70, 60, 50}));
        EXPECT_EQ(Bytes(png.Bitmap().ScanLine(8), png.Bitmap().ScanLine(8) + 6), (Bytes{3, 2, 1, 7, 6, 5}));
    }
    TPngImage grey;
    Load(grey, EncodePng(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {ga16}));
    EXPECT_EQ(Bytes(grey.Bitmap().ScanLine(0), grey.Bitmap().ScanLine(0) + 6), (Bytes{0x11, 0x11, 0x11, 0x22, 0x22, 0x22}));
}

// A stream whose one read fails, as a device may once; counts the reads asked of it after that.
class HiccupStream : public TMemoryStream {
public:
    explicit HiccupStream(int failing) : FFailing(failing) {}
    int ReadsAfter = 0;
    int64_t Read(void* buffer, int64_t count) override
    {
        if (++FReads == FFailing)
            throw EReadError("device hiccup");
        ReadsAfter += FReads > FFailing;
        return TMemoryStream::Read(buffer, count);
    }

private:
    int FFailing;
    int FReads = 0;
};

TEST(TPngImageRead, DamagedFilesFailAndLeaveThePictureAlone)
{
    const Bytes good = EncodePng(3, 3, PNG_COLOR_TYPE_RGB, 8, std::vector<Bytes>(3, Bytes(9, 7)));
    TPngImage png;
    // The file is read up to its end chunk, and not past it.
    TMemoryStream followed;
    followed.WriteBuffer(good.data(), static_cast<int64_t>(good.size()));
    followed.WriteBuffer("tail", 4);
    followed.SetPosition(0);
    png.LoadFromStream(followed);
    EXPECT_EQ(followed.Position(), static_cast<int64_t>(good.size()));
    Bytes badCrc = good;
    badCrc[29] ^= 1; // inside IHDR's CRC
    Bytes truncated(good.begin(), good.end() - 20);
    for (const Bytes& bad : {badCrc, truncated, Bytes{0x89, 'P', 'N', 'G'}, Bytes(100, 0)}) {
        EXPECT_THROW(Load(png, bad), Exception);
        EXPECT_EQ(png.Width(), 3);
    }
    // A read that fails ends the reading: its failure is raised, and nothing further is read.
    for (int failing = 1; failing <= 6; ++failing) {
        HiccupStream stream(failing);
        stream.Write(good.data(), static_cast<int64_t>(good.size()));
        stream.SetPosition(0);
        EXPECT_THROW(png.LoadFromStream(stream), EReadError) << failing;
        EXPECT_EQ(stream.ReadsAfter, 0) << failing;
        EXPECT_EQ(png.Width(), 3);
    }
    // One row past 2^31 - 1 bytes at the depth each file becomes (1, 4, 4, 8 and 24 bits) is refused
    // before anything is allocated.
    const struct {
        int colourType, depth, width, height;
    } tooLarge[] = {{PNG_COLOR_TYPE_PALETTE, 1, 1'000'000, 17'180}, {PNG_COLOR_TYPE_GRAY, 2, 1'000'000, 4'295},
                    {PNG_COLOR_TYPE_PALETTE, 4, 1'000'000, 4'295},  {PNG_COLOR_TYPE_GRAY, 16, 1'000'000, 2'148},
                    {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 1'000'000, 716}};
    for (const auto& t : tooLarge) {
        const Bytes header = EncodePng(t.width, t.height, t.colourType, t.depth, {}, false,
                                       t.colourType == PNG_COLOR_TYPE_PALETTE ? 2 : 0);
        try {
            Load(png, header);
            ADD_FAILURE() << t.depth;
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), "PNG: image too large") << t.depth;
        }
        EXPECT_EQ(png.Width(), 3);
    }
}

TEST(TPngImageWrite, IndexedAndTrueColourPicturesRoundTripWithOnlyTheCoreChunks)
{
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(5, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < (format == pf32bit ? 20 : 1); ++x)
                bitmap.ScanLine(y)[x] = static_cast<uint8_t>(0x31 * (y + 1) + x);
        TPngImage png;
        png.Assign(&bitmap);
        png.SetCompressionLevel(0);
        TMemoryStream stream;
        png.SaveToStream(stream);
        const std::string text(reinterpret_cast<const char*>(stream.Memory()), stream.Size());
        EXPECT_EQ(text.find("PLTE") != std::string::npos, format <= pf8bit);
        EXPECT_EQ(text.find("pHYs"), std::string::npos);
        stream.SetPosition(0);
        TPngImage back;
        back.LoadFromStream(stream);
        EXPECT_EQ(back.Bitmap().PixelFormat(), format == pf32bit ? pf24bit : format);
        TBitmap same;
        same.Assign(&back);
        if (format == pf32bit)
            same.SetPixelFormat(pf32bit);
        // Five 1-bit pixels fill only the top of the first byte; 32-bit pixels keep their three colours.
        const uint8_t mask = format == pf1bit ? 0xF8 : 0xFF;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < (format == pf32bit ? 20 : 1); ++x) {
                if (x % 4 == 3)
                    continue;
                EXPECT_EQ(same.ScanLine(y)[x] & mask, bitmap.ScanLine(y)[x] & mask) << format << " row " << y;
            }
        // The colours go with the indices.
        PALETTEENTRY want[256] = {}, got[256] = {};
        const unsigned colours = format <= pf8bit ? GetPaletteEntries(bitmap.GetPalette(), 0, 256, want) : 0;
        EXPECT_EQ(format <= pf8bit ? GetPaletteEntries(same.GetPalette(), 0, 256, got) : 0, colours);
        for (unsigned i = 0; i < colours; ++i)
            EXPECT_EQ(std::tuple(got[i].peRed, got[i].peGreen, got[i].peBlue),
                      std::tuple(want[i].peRed, want[i].peGreen, want[i].peBlue))
                << i;
    }
    // A palette of one colour is written as one; one larger than the depth allows, cut to it.
    for (const auto& [format, entries, written] : {std::tuple{pf8bit, 1, 1}, std::tuple{pf1bit, 4, 2}}) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(2, 1);
        LOGPALETTE log{0x300, static_cast<WORD>(entries), {}};
        for (int i = 0; i < entries; ++i)
            log.palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(60 * i + 10), 20, 30, 0};
        bitmap.SetPalette(CreatePalette(&log));
        bitmap.ScanLine(0)[0] = bitmap.ScanLine(0)[1] = 0;
        TPngImage png;
        png.Assign(&bitmap);
        TMemoryStream stream;
        png.SaveToStream(stream);
        stream.SetPosition(0);
        TPngImage back;
        back.LoadFromStream(stream);
        EXPECT_EQ(GetPaletteEntries(back.Bitmap().GetPalette(), 0, 0, nullptr), unsigned(written)) << entries;
    }
    TPngImage png;
    EXPECT_THROW(png.SetCompressionLevel(10), EInvalidGraphicOperation);
    // Every change of the picture is announced: size, palette, an assigned bitmap, a load.
    int changes = 0;
    png.OnChange = [&](TPersistent*) { ++changes; };
    png.SetWidth(3);
    png.SetHeight(2);
    LOGPALETTE one{0x300, 1, {}};
    HPALETTE given = CreatePalette(&one);
    png.SetPalette(given);
    EXPECT_EQ(png.Bitmap().Palette(), given);
    TBitmap bitmap;
    bitmap.SetSize(1, 1);
    png.Assign(&bitmap);
    EXPECT_EQ(changes, 4);
    // A load asks for the palette again when the picture has one.
    png.SetPaletteModified(false);
    Load(png, EncodePng(1, 1, PNG_COLOR_TYPE_GRAY, 8, {{7}}));
    EXPECT_EQ(std::pair(changes, png.PaletteModified()), std::pair(5, true));
    Load(png, EncodePng(1, 1, PNG_COLOR_TYPE_RGB, 8, {{7, 8, 9}}));
    EXPECT_EQ(std::pair(changes, png.PaletteModified()), std::pair(6, false));
}

// PNG and GIF images draw, copy and go to the clipboard through their decoded picture.
TEST(TRasterGraphic, PictureIsDrawnCopiedAndExchanged)
{
    TBitmap noise;
    noise.SetPixelFormat(pf8bit);
    noise.SetSize(3, 2);
    for (int i = 0; i < 6; ++i)
        noise.ScanLine(i / 3)[i % 3] = static_cast<uint8_t>(37 * i + 11);
    TPngImage png;
    png.Assign(&noise);
    EXPECT_EQ(png.Palette(), png.Bitmap().Palette());
    TBitmap target;
    target.SetSize(5, 4);
    target.Canvas().Draw(2, 1, png);
    EXPECT_EQ(target.Canvas().Pixel(4, 2), noise.Canvas().Pixel(2, 1));

    // A graphic of its own class gives its picture, and so does a picture holding one;
    // another class is refused.
    TPngImage copy;
    copy.Assign(&png);
    EXPECT_EQ(copy.Bitmap().ScanLine(1)[2], 196);
    TPicture picture;
    picture.Assign(&png);
    TPngImage fromPicture;
    fromPicture.Assign(&picture);
    EXPECT_EQ(fromPicture.Width(), 3);
    TGIFImage gif;
    EXPECT_THROW(copy.Assign(&gif), EConvertError);

    unsigned format = 0;
    HGLOBAL data = nullptr;
    HPALETTE palette = nullptr;
    EXPECT_THROW(TPngImage().SaveToClipboardFormat(format, data, palette), EInvalidGraphicOperation);
    png.SaveToClipboardFormat(format, data, palette);
    gif.LoadFromClipboardFormat(format, data, palette);
    EXPECT_TRUE(gif.Modified());
    EXPECT_EQ(gif.Bitmap().ScanLine(1)[2], 196);
    GlobalFree(data);
    DeleteObject(palette);
}

// A GIF written by giflib: a screen, a global table, one image placed on it.
Bytes EncodeGif(int screenW, int screenH, int background, const GifImageDesc& image, bool localTable,
                const std::vector<Bytes>& rowsInFileOrder)
{
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out,
                                [](GifFileType* g, const GifByteType* data, int n) {
                                    auto* o = static_cast<Bytes*>(g->UserData);
                                    o->insert(o->end(), data, data + n);
                                    return n;
                                },
                                &error);
    GifColorType global[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    GifColorType local[2] = {{9, 8, 7}, {1, 2, 3}};
    ColorMapObject* globalMap = GifMakeMapObject(4, global);
    ColorMapObject* localMap = GifMakeMapObject(2, local);
    EGifPutScreenDesc(gif, screenW, screenH, 8, background, globalMap);
    EGifPutImageDesc(gif, image.Left, image.Top, image.Width, image.Height, image.Interlace,
                     localTable ? localMap : nullptr);
    for (const Bytes& row : rowsInFileOrder)
        EGifPutLine(gif, const_cast<uint8_t*>(row.data()), image.Width);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(globalMap);
    GifFreeMapObject(localMap);
    return out;
}

TEST(TGIFImageRead, FirstImageOnTheBackgroundWithItsTable)
{
    GifImageDesc desc{};
    desc.Left = 1;
    desc.Top = 1;
    desc.Width = 2;
    desc.Height = 9;
    TGIFImage gif;
    std::vector<Bytes> rows;
    for (int y = 0; y < 9; ++y)
        rows.push_back({uint8_t(y % 2), uint8_t(1 - y % 2)});
    Load(gif, EncodeGif(4, 8, 3, desc, false, rows));
    TBitmap& picture = gif.Bitmap();
    ASSERT_EQ(picture.PixelFormat(), pf8bit);
    EXPECT_EQ(gif.Width(), 4);
    EXPECT_EQ(gif.Height(), 8);
    EXPECT_EQ(Bytes(picture.ScanLine(0), picture.ScanLine(0) + 4), (Bytes{3, 3, 3, 3}));
    EXPECT_EQ(Bytes(picture.ScanLine(2), picture.ScanLine(2) + 4), (Bytes{3, 1, 0, 3}));
    EXPECT_EQ(Entry(picture, 3).peBlue, 255);

    // Interlaced rows arrive in four passes; a local table replaces the global one.
    // This image fills the screen, thirteen rows each spelling its number.
    desc.Interlace = true;
    desc.Left = 0;
    desc.Top = 0;
    desc.Width = 4;
    desc.Height = 13;
    auto spelled = [](int y) { return Bytes{uint8_t(y & 1), uint8_t(y >> 1 & 1), uint8_t(y >> 2 & 1), uint8_t(y >> 3)}; };
    std::vector<Bytes> passes;
    for (int start : {0, 4, 2, 1})
        for (int y = start; y < 13; y += start == 0 || start == 4 ? 8 : start == 2 ? 4 : 2)
            passes.push_back(spelled(y));
    TGIFImage interlaced;
    Load(interlaced, EncodeGif(4, 13, 3, desc, true, passes));
    for (int y = 0; y < 13; ++y)
        EXPECT_EQ(Bytes(interlaced.Bitmap().ScanLine(y), interlaced.Bitmap().ScanLine(y) + 4), spelled(y)) << y;
    EXPECT_EQ(Entry(interlaced.Bitmap(), 1).peBlue, 3);
}

TEST(TGIFImageRead, DamagedFilesFailAndNothingIsWritten)
{
    GifImageDesc desc{};
    desc.Width = 2;
    desc.Height = 2;
    const Bytes good = EncodeGif(2, 2, 0, desc, false, {{1, 2}, {3, 0}});
    TGIFImage gif;
    Load(gif, good);
    for (const Bytes& bad : {Bytes(good.begin(), good.begin() + 30), Bytes{'G', 'I', 'F', '8', '9', 'a'}}) {
        EXPECT_THROW(Load(gif, bad), EInvalidGraphic);
        EXPECT_EQ(gif.Width(), 2);
    }
    // A screen without width or without height, or larger than a bitmap can hold.
    for (const auto& [width, height] : {std::pair{0, 2}, std::pair{2, 0}, std::pair{65535, 65535}}) {
        try {
            Load(gif, EncodeGif(width, height, 0, desc, false, {{1, 2}, {3, 0}}));
            ADD_FAILURE() << width << " x " << height;
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), "GIF: invalid screen size") << width << " x " << height;
        }
    }
    // The stream's own failure reaches the caller as it was raised.
    HiccupStream failing(1);
    EXPECT_THROW(gif.LoadFromStream(failing), EReadError);
    EXPECT_EQ(gif.Width(), 2);
    TMemoryStream out;
    EXPECT_THROW(gif.SaveToStream(out), EInvalidGraphicOperation);
}

TEST(PictureRegistry, PngAndGifAreRegisteredByExtension)
{

    EXPECT_EQ(TPicture::FileFormatClass("PNG"), &TPngImage::ClassInfo);
    EXPECT_EQ(TPicture::FileFormatClass("gif"), &TGIFImage::ClassInfo);
}

} // namespace
