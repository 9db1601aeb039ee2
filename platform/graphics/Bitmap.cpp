#include "platform/graphics/Bitmap.h"

#include "platform/core/Exceptions.h"
#include "platform/gdi/DibLayout.h"
#include "platform/graphics/BitmapCanvas.h"

#include <algorithm>
#include <cstring>
#include <utility>

FV_DEFINE_GRAPHIC_CLASS(TBitmap, TGraphic);

bool BitmapSizeFits(int64_t width, int64_t height, int bitCount)
{
    // Widths past the limit in pixels are past it in bytes; below it the stride
    // cannot overflow, and the division keeps stride x height from doing so.
    if (width <= 0 || height <= 0 || width > static_cast<int64_t>(MaxImageBytes))
        return false;
    return DibStride(width, bitCount) <= MaxImageBytes / static_cast<uint64_t>(height);
}

namespace {

// A memory context holding bitmap for the length of one copy.
class BitmapDC {
public:
    explicit BitmapDC(HBITMAP bitmap) : FDC(CreateCompatibleDC(nullptr)), FOld(SelectObject(FDC, bitmap)) {}
    ~BitmapDC()
    {
        SelectObject(FDC, FOld);
        DeleteDC(FDC);
    }
    BitmapDC(const BitmapDC&) = delete;
    BitmapDC& operator=(const BitmapDC&) = delete;
    HDC Handle() const { return FDC; }

private:
    HDC FDC;
    HBITMAP FOld;
};

bool IndexedFormat(const BITMAPINFO& info)
{
    return info.bmiHeader.biBitCount <= 8;
}

// A picture of the same size and format without pixels.
template <class Image>
std::unique_ptr<Image> EmptyLike(const Image& from)
{
    auto next = std::make_unique<Image>();
    next->width = from.width;
    next->height = from.height;
    next->info = from.info;
    if (from.palette)
        next->palette = CopyPalette(from.palette);
    return next;
}

// A picture with its own copy of from's pixels and palette.
template <class Image>
std::unique_ptr<Image> CopyOf(const Image& from)
{
    auto next = EmptyLike(from);
    if (from.handle) {
        MakeHandle(*next, from.info);
        std::memcpy(next->bits, from.bits, from.ImageSize());
    }
    return next;
}

} // namespace

TBitmap::TBitmap() : FImage(new Image), FCanvas(std::make_unique<BitmapCanvas>(*this))
{
    FImage->Reference();
    FCanvas->OnChange = [this](TPersistent*) { Changed(this); };
}

TBitmap::~TBitmap()
{
    // The canvas gives the picture back before the picture goes.
    FCanvas.reset();
    FImage->Release();
}

void TBitmap::UseImage(Image* next)
{
    next->Reference();
    FImage->Release();
    FImage = next;
}

void TBitmap::Unshare()
{
    if (FImage->RefCount() > 1)
        UseImage(CopyOf(*FImage).release());
}

HBITMAP TBitmap::Handle()
{
    // The caller may select the bitmap elsewhere, so the canvas lets it go.
    FCanvas->FreeContext();
    Unshare();
    return FImage->handle;
}

HBITMAP TBitmap::ReleaseHandle()
{
    FCanvas->FreeContext();
    Unshare();
    HBITMAP handle = FImage->handle;
    FImage->handle = nullptr;
    FImage->bits = nullptr;
    FImage->width = 0;
    FImage->height = 0;
    return handle;
}

void TBitmap::FreeImage()
{
    FCanvas->FreeContext();
    if (FImage->RefCount() > 1)
        UseImage(EmptyLike(*FImage).release());
    else
        FImage->FreeHandle();
}

TPixelFormat TBitmap::PixelFormat() const
{
    return FPixelFormat;
}

void TBitmap::Recreate(int width, int height, TPixelFormat format)
{
    FCanvas->FreeContext();
    Image& old = *FImage;
    auto next = std::make_unique<Image>();
    next->width = width;
    next->height = height;
    if (width > 0 && height > 0) {
        BITMAPINFO info = FormatHeader(format, width, height, old.info);
        if (IndexedFormat(info)) {
            // A palette larger than the depth holds gives way to the depth's default table.
            const bool fits = old.palette
                              && GetPaletteEntries(old.palette, 0, 0, nullptr) <= (1u << info.bmiHeader.biBitCount);
            FillColourTable(info, fits ? old.palette : nullptr);
            MakeHandle(*next, info);
            if (!fits)
                next->palette = PaletteOfTable(next->info);
        } else {
            MakeHandle(*next, info);
        }
        const bool grows = !old.handle || width > old.width || height > old.height;
        if (grows) {
            // New area is white, as a fresh canvas is.
            BitmapDC dc(next->handle);
            BitBlt(dc.Handle(), 0, 0, width, height, nullptr, 0, 0, WHITENESS);
        }
        if (old.handle) {
            BitmapDC from(old.handle);
            BitmapDC to(next->handle);
            BitBlt(to.Handle(), 0, 0, std::min(width, old.width), std::min(height, old.height), from.Handle(), 0, 0,
                   SRCCOPY);
        }
    } else {
        next->info = FormatHeader(format, 1, 1, old.info);
    }
    if (!next->palette && old.palette)
        next->palette = old.RefCount() > 1 ? CopyPalette(old.palette) : std::exchange(old.palette, nullptr);
    UseImage(next.release());
    FPixelFormat = format;
}

void TBitmap::SetPixelFormat(TPixelFormat value)
{
    if (value == FPixelFormat)
        return;
    if (value == pfCustom)
        throw EInvalidGraphicOperation("Invalid pixel format");
    Recreate(FImage->width, FImage->height, value);
    Changed(this);
}

uint8_t* TBitmap::ScanLine(int y)
{
    if (!FImage->handle || y < 0 || y >= FImage->height)
        throw EInvalidGraphicOperation("Scan line index out of range");
    Unshare();
    return FImage->Row(y);
}

TCanvas& TBitmap::Canvas()
{
    return *FCanvas;
}

void TBitmap::Draw(TCanvas& ACanvas, const TRect& Rect)
{
    const Image& image = *FImage;
    if (!image.handle)
        return;
    StretchDIBits(ACanvas.Handle(), Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), 0, 0, image.width,
                  image.height, image.bits, image.ImageSize(), &image.info, DIB_RGB_COLORS, ACanvas.CopyMode);
}

bool TBitmap::GetEmpty() const
{
    return !FImage->handle;
}

int TBitmap::GetHeight() const
{
    return FImage->height;
}

int TBitmap::GetWidth() const
{
    return FImage->width;
}

HPALETTE TBitmap::GetPalette() const
{
    return FImage->palette;
}

void TBitmap::SetPalette(HPALETTE Value)
{
    if (Value == FImage->palette)
        return;
    FCanvas->FreeContext();
    Unshare();
    Image& image = *FImage;
    if (Value && image.handle && IndexedFormat(image.info)) {
        // The indices stay; the colours they stand for change.
        BITMAPINFO info = image.info;
        FillColourTable(info, Value);
        BitmapPicture next;
        MakeHandle(next, info);
        std::memcpy(next.bits, image.bits, image.ImageSize());
        image.FreeHandle();
        image.handle = std::exchange(next.handle, nullptr);
        image.bits = std::exchange(next.bits, nullptr);
        image.info = next.info;
    }
    if (image.palette)
        DeleteObject(image.palette);
    image.palette = Value;
    SetPaletteModified(true);
    Changed(this);
}

void TBitmap::SetHeight(int Value)
{
    SetSize(FImage->width, Value);
}

void TBitmap::SetWidth(int Value)
{
    SetSize(Value, FImage->height);
}

void TBitmap::SetSize(int AWidth, int AHeight)
{
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (AWidth == FImage->width && AHeight == FImage->height)
        return;
    Recreate(AWidth, AHeight, FPixelFormat);
    Changed(this);
}

void TBitmap::Assign(TPersistent* Source)
{
    if (!Source) {
        FCanvas->FreeContext();
        UseImage(new Image);
        Changed(this);
        return;
    }
    auto* bitmap = dynamic_cast<TBitmap*>(Source);
    if (!bitmap) {
        TGraphic::Assign(Source);
        return;
    }
    if (bitmap == this)
        return;
    Image& from = *bitmap->FImage;
    // A palette handle is handed out and may be changed through it, and a
    // context may still draw into the source, so those pictures are copied.
    const bool share = !from.palette && !bitmap->FCanvas->HasContext();
    std::unique_ptr<Image> copy = share ? nullptr : CopyOf(from);
    FCanvas->FreeContext();
    UseImage(share ? &from : copy.release());
    FPixelFormat = bitmap->FPixelFormat;
    SetTransparent(bitmap->Transparent());
    Changed(this);
}

void TBitmap::LoadFromStream(TStream& Stream)
{
    TakePicture(ReadBmp(Stream, true));
    SetPaletteModified(FImage->palette != nullptr);
    Changed(this);
}

void TBitmap::TakePicture(BitmapPicture picture)
{
    const TPixelFormat format = FormatOfHeader(picture.info);
    auto next = std::make_unique<Image>();
    static_cast<BitmapPicture&>(*next) = std::move(picture);
    FCanvas->FreeContext();
    UseImage(next.release());
    FPixelFormat = format;
}

void TBitmap::SaveToStream(TStream& Stream)
{
    if (!FImage->handle)
        return;
    const BitmapPicture& picture = *FImage;
    const std::vector<uint8_t> header = DibHeader(picture);
    BITMAPFILEHEADER file{};
    file.bfType = BFT_BITMAP;
    file.bfSize = static_cast<DWORD>(sizeof file + header.size() + picture.ImageSize());
    file.bfOffBits = static_cast<DWORD>(sizeof file + header.size());
    Stream.WriteBuffer(&file, sizeof file);
    Stream.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
    // Rows go out bottom-up, gathered into blocks of about a megabyte, so a
    // large picture needs neither a second copy of itself nor a write per row.
    const size_t stride = picture.Stride();
    const size_t rowsPerBlock = std::max<size_t>(1, (size_t{1} << 20) / std::max<size_t>(stride, 1));
    std::vector<uint8_t> block(std::min<size_t>(rowsPerBlock, static_cast<size_t>(picture.height)) * stride);
    for (int y = picture.height - 1; y >= 0;) {
        size_t used = 0;
        for (; y >= 0 && used < block.size(); --y, used += stride)
            std::memcpy(block.data() + used, picture.Row(y), stride);
        Stream.WriteBuffer(block.data(), static_cast<int64_t>(used));
    }
}

void TBitmap::LoadFromClipboardFormat(unsigned AFormat, HGLOBAL AData, HPALETTE)
{
    if (AFormat != CF_DIB || !AData)
        throw EInvalidGraphic("Unsupported clipboard format");
    TMemoryStream block;
    block.WriteBuffer(GlobalLock(AData), static_cast<int64_t>(GlobalSize(AData)));
    GlobalUnlock(AData);
    block.SetPosition(0);
    TakePicture(ReadBmp(block, false));
    Changed(this);
}

void TBitmap::SaveToClipboardFormat(unsigned& AFormat, HGLOBAL& AData, HPALETTE& APalette)
{
    if (!FImage->handle)
        throw EInvalidGraphicOperation("Cannot copy an empty bitmap to the clipboard");
    const std::vector<uint8_t> dib = DibBytes(*FImage);
    HGLOBAL block = GlobalAllocCopy(dib.data(), dib.size());
    if (!block)
        throw EOutOfMemory();
    AFormat = CF_DIB;
    AData = block;
    APalette = FImage->palette ? CopyPalette(FImage->palette) : nullptr;
}
