#include "jpeg/jpegSIMD.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Picture.h"

#include <cstring>

FV_DEFINE_GRAPHIC_CLASS(TJPEGImage, TGraphic);

TJPEGDefaults JPEGDefaults = {
    90,            // CompressionQuality
    false,         // Grayscale
    jpBestQuality, // Performance
    jf24Bit,       // PixelFormat
    false,         // ProgressiveDisplay
    false,         // ProgressiveEncoding
    jsFullSize,    // Scale
    true,          // Smoothing
    true,          // DownSampling
    2,             // hSamplingFactor
    1,             // vSamplingFactor
};

namespace {

int ScreenBitsPerPixel()
{
    HDC dc = GetDC(nullptr);
    const int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    return bits;
}

} // namespace

void InitJPEGDefaults()
{
    JPEGDefaults.PixelFormat = ScreenBitsPerPixel() <= 8 ? jf8Bit : jf24Bit;
}

TJPEGImage::TJPEGImage()
{
    ResetData();
    FQuality = JPEGDefaults.CompressionQuality;
    FGrayscale = JPEGDefaults.Grayscale;
    FPerformance = JPEGDefaults.Performance;
    FPixelFormat = JPEGDefaults.PixelFormat;
    FProgressiveDisplay = JPEGDefaults.ProgressiveDisplay;
    FProgressiveEncoding = JPEGDefaults.ProgressiveEncoding;
    FScale = JPEGDefaults.Scale;
    FNeedRecalc = FScale != jsFullSize;
    FSmoothing = JPEGDefaults.Smoothing;
    FDownSampling = JPEGDefaults.DownSampling;
    FhSamplingFactor = JPEGDefaults.hSamplingFactor;
    FvSamplingFactor = JPEGDefaults.vSamplingFactor;
}

TJPEGImage::~TJPEGImage()
{
    if (FTempPal != nullptr)
        DeleteObject(FTempPal);
    FBitmap.reset();
    FImage->Release();
}

bool TJPEGImage::HasData() const
{
    return FImage->FData != nullptr && FImage->FData->Size() > 0;
}

void TJPEGImage::ResetData()
{
    auto* fresh = new TJPEGData;
    fresh->Reference();
    if (FImage != nullptr)
        FImage->Release();
    FImage = fresh;
}

void TJPEGImage::ResetBitmap()
{
    FBitmap = std::make_unique<TBitmap>();
}

void TJPEGImage::DropBitmap()
{
    FBitmap.reset();
}

void TJPEGImage::SetGrayscale(bool Value)
{
    if (FGrayscale == Value)
        return;
    DropBitmap();
    FGrayscale = Value;
    SetPaletteModified(true);
    Changed(this);
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat Value)
{
    if (FPixelFormat == Value)
        return;
    DropBitmap();
    FPixelFormat = Value;
    SetPaletteModified(true);
    Changed(this);
}

void TJPEGImage::SetPerformance(TJPEGPerformance Value)
{
    if (FPerformance == Value)
        return;
    DropBitmap();
    FPerformance = Value;
    SetPaletteModified(true);
    Changed(this);
}

void TJPEGImage::SetScale(TJPEGScale Value)
{
    if (FScale == Value)
        return;
    DropBitmap();
    FScale = Value;
    FNeedRecalc = true;
    Changed(this);
}

void TJPEGImage::SetSmoothing(bool Value)
{
    if (FSmoothing == Value)
        return;
    DropBitmap();
    FSmoothing = Value;
    Changed(this);
}

void TJPEGImage::DIBNeeded()
{
    DecodeBitmap();
}

void TJPEGImage::JPEGNeeded()
{
    if (!HasData())
        Compress();
}

void TJPEGImage::AssignTo(TPersistent* Dest)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(Dest))
        bitmap->Assign(&DecodeBitmap());
    else
        TGraphic::AssignTo(Dest);
}

void TJPEGImage::Assign(TPersistent* Source)
{
    if (Source == this)
        return;
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(Source)) {
        jpeg->FImage->Reference();
        FImage->Release();
        FImage = jpeg->FImage;
        if (jpeg->FBitmap) {
            ResetBitmap();
            FBitmap->Assign(jpeg->FBitmap.get());
        } else {
            DropBitmap();
        }
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
        ResetData();
        ResetBitmap();
        FBitmap->Assign(bitmap);
    } else {
        TGraphic::Assign(Source);
    }
}

void TJPEGImage::Changed(TPersistent* Sender)
{
    TGraphic::Changed(Sender);
}

void TJPEGImage::Draw(TCanvas& ACanvas, const TRect& Rect)
{
    ACanvas.StretchDraw(Rect, DecodeBitmap());
}

bool TJPEGImage::Equals(TGraphic* Graphic)
{
    auto* jpeg = dynamic_cast<TJPEGImage*>(Graphic);
    return jpeg != nullptr && jpeg->FImage == FImage;
}

bool TJPEGImage::GetEmpty() const
{
    if (HasData())
        return false;
    return !FBitmap || FBitmap->Empty();
}

int TJPEGImage::GetHeight() const
{
    if (FBitmap)
        return FBitmap->Height();
    if (FScale == jsFullSize)
        return FImage->FHeight;
    CalcScaledSize();
    return FScaledHeight;
}

int TJPEGImage::GetWidth() const
{
    if (FBitmap)
        return FBitmap->Width();
    if (FScale == jsFullSize)
        return FImage->FWidth;
    CalcScaledSize();
    return FScaledWidth;
}

HPALETTE TJPEGImage::GetPalette() const
{
    if (FBitmap)
        return FBitmap->Palette();
    return FTempPal;
}

void TJPEGImage::SetPalette(HPALETTE Value)
{
    if (Value == FTempPal)
        return;
    if (FBitmap && FBitmap->Palette() != Value) {
        DropBitmap();
        SetPaletteModified(true);
        Changed(this);
    }
    // The cached picture keeps its own palette; the image holds a copy of it.
    if (FBitmap && Value != nullptr && FBitmap->Palette() == Value)
        Value = CopyPalette(Value);
    if (FTempPal != nullptr)
        DeleteObject(FTempPal);
    FTempPal = Value;
}

void TJPEGImage::SetHeight(int)
{
    throw EInvalidGraphicOperation("JPEG イメージのサイズは変更できません");
}

void TJPEGImage::SetWidth(int)
{
    throw EInvalidGraphicOperation("JPEG イメージのサイズは変更できません");
}

void TJPEGImage::ReadData(TStream& Stream)
{
    uint8_t length[4];
    Stream.ReadBuffer(length, 4);
    const int32_t count = static_cast<int32_t>(static_cast<uint32_t>(length[0]) | static_cast<uint32_t>(length[1]) << 8 |
                                               static_cast<uint32_t>(length[2]) << 16 |
                                               static_cast<uint32_t>(length[3]) << 24);
    ReadJPEGStream(count, Stream);
}

void TJPEGImage::WriteData(TStream& Stream)
{
    const int64_t size = FImage->FData ? FImage->FData->Size() : 0;
    const auto count = static_cast<uint32_t>(size);
    const uint8_t length[4] = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                               static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)};
    Stream.WriteBuffer(length, 4);
    if (size > 0)
        Stream.WriteBuffer(FImage->FData->Memory(), size);
}

void TJPEGImage::LoadFromStream(TStream& Stream)
{
    ReadJPEGStream(Stream.Size() - Stream.Position(), Stream);
}

void TJPEGImage::SaveToStream(TStream& Stream)
{
    JPEGNeeded();
    if (FImage->FData)
        Stream.WriteBuffer(FImage->FData->Memory(), FImage->FData->Size());
}

void TJPEGImage::LoadFromClipboardFormat(unsigned AFormat, HGLOBAL AData, HPALETTE APalette)
{
    if (!FBitmap)
        ResetBitmap();
    FBitmap->LoadFromClipboardFormat(AFormat, AData, APalette);
}

void TJPEGImage::SaveToClipboardFormat(unsigned& AFormat, HGLOBAL& AData, HPALETTE& APalette)
{
    DecodeBitmap().SaveToClipboardFormat(AFormat, AData, APalette);
}

namespace {

// Registers the class with the picture's file formats for the program's life.
struct TJPEGRegistration {
    TJPEGRegistration()
    {
        InitJPEGDefaults();
        TPicture::RegisterFileFormat("jpg", "JPEG Image File", &TJPEGImage::ClassInfo);
        TPicture::RegisterFileFormat("jpeg", "JPEG Image File", &TJPEGImage::ClassInfo);
    }
    ~TJPEGRegistration() { TPicture::UnregisterGraphicClass(&TJPEGImage::ClassInfo); }
    TJPEGRegistration(const TJPEGRegistration&) = delete;
    TJPEGRegistration& operator=(const TJPEGRegistration&) = delete;
};

const TJPEGRegistration Registration;

} // namespace
