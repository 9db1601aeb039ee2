#include "platform/graphics/GifImage.h"

#include "platform/core/Exceptions.h"
#include "platform/gdi/DibLayout.h"
#include "platform/graphics/Picture.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

FV_DEFINE_GRAPHIC_CLASS(TGIFImage, TGraphic);

namespace {

// giflib is C: a stream failure is kept here and reported as a short read.
struct GifSource {
    TStream* stream;
    std::exception_ptr pending;
};

int GifRead(GifFileType* gif, GifByteType* data, int length)
{
    auto* source = static_cast<GifSource*>(gif->UserData);
    try {
        return static_cast<int>(source->stream->Read(data, length));
    } catch (...) {
        source->pending = std::current_exception();
        return 0;
    }
}

class GifFile {
public:
    explicit GifFile(GifSource& source)
    {
        int error = 0;
        FGif = DGifOpen(&source, GifRead, &error);
        if (!FGif)
            Fail(source, error);
    }
    ~GifFile()
    {
        int error = 0;
        DGifCloseFile(FGif, &error);
    }
    GifFile(const GifFile&) = delete;
    GifFile& operator=(const GifFile&) = delete;

    GifFileType* operator->() const { return FGif; }
    GifFileType* Get() const { return FGif; }

    [[noreturn]] static void Fail(GifSource& source, int error)
    {
        if (source.pending)
            std::rethrow_exception(source.pending);
        const char* text = GifErrorString(error);
        throw EInvalidGraphic(std::string("GIF: ") + (text ? text : "invalid image"));
    }

private:
    GifFileType* FGif = nullptr;
};

HPALETTE PaletteOf(const ColorMapObject& map)
{
    LOGPALETTE log{};
    log.palVersion = 0x300;
    const int count = std::clamp(map.ColorCount, 0, 256);
    log.palNumEntries = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i)
        log.palPalEntry[i] = PALETTEENTRY{map.Colors[i].Red, map.Colors[i].Green, map.Colors[i].Blue, 0};
    HPALETTE palette = CreatePalette(&log);
    if (!palette)
        throw EOutOfResources("Out of system resources");
    return palette;
}

// Skips extension blocks up to the first image descriptor.
void FindFirstImage(GifFile& gif, GifSource& source)
{
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.Get(), &type) == GIF_ERROR)
            GifFile::Fail(source, gif->Error);
        if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif.Get()) == GIF_ERROR)
                GifFile::Fail(source, gif->Error);
            return;
        }
        if (type != EXTENSION_RECORD_TYPE)
            throw EInvalidGraphic("GIF: no image");
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif.Get(), &code, &block) == GIF_ERROR)
            GifFile::Fail(source, gif->Error);
        while (block)
            if (DGifGetExtensionNext(gif.Get(), &block) == GIF_ERROR)
                GifFile::Fail(source, gif->Error);
    }
}

// The canvas row of each image row: interlaced images come in four passes.
std::vector<int> RowOrder(int height, bool interlaced)
{
    std::vector<int> order;
    order.reserve(static_cast<size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    const int starts[4] = {0, 4, 2, 1};
    const int steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < height; y += steps[pass])
            order.push_back(y);
    return order;
}

std::unique_ptr<TBitmap> ReadGif(TStream& stream)
{
    GifSource source{&stream, nullptr};
    GifFile gif(source);
    const int width = gif->SWidth;
    const int height = gif->SHeight;
    if (width <= 0 || height <= 0 || DibStride(width, 8) * static_cast<uint64_t>(height) > MaxImageBytes)
        throw EInvalidGraphic("GIF: invalid screen size");
    FindFirstImage(gif, source);
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || map->ColorCount <= 0)
        throw EInvalidGraphic("GIF: no colour table");

    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf8bit);
    bitmap->SetPalette(PaletteOf(*map));
    bitmap->SetSize(width, height);
    for (int y = 0; y < height; ++y)
        std::memset(bitmap->ScanLine(y), gif->SBackGroundColor, static_cast<size_t>(width));

    // The image may lie partly outside the screen; only the overlap is kept.
    std::vector<GifPixelType> line(static_cast<size_t>(std::max(desc.Width, 1)));
    const int left = std::max(desc.Left, 0);
    const int right = std::min(desc.Left + desc.Width, width);
    for (int row : RowOrder(desc.Height, desc.Interlace)) {
        if (DGifGetLine(gif.Get(), line.data(), desc.Width) == GIF_ERROR)
            GifFile::Fail(source, gif->Error);
        const int y = desc.Top + row;
        if (y >= 0 && y < height && left < right)
            std::memcpy(bitmap->ScanLine(y) + left, line.data() + (left - desc.Left), static_cast<size_t>(right - left));
    }
    return bitmap;
}

} // namespace

TGIFImage::TGIFImage() = default;

void TGIFImage::LoadFromStream(TStream& Stream)
{
    TakeBitmap(ReadGif(Stream));
}

void TGIFImage::SaveToStream(TStream&)
{
    throw EInvalidGraphicOperation("GIF images cannot be saved");
}

namespace {

const TFileFormatRegistration Registration("gif", "GIF Image", &TGIFImage::ClassInfo);

} // namespace
