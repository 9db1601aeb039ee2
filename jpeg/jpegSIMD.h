// The JPEG graphic: keeps a JPEG file's bytes, decodes them into a bitmap
// when the picture is first needed, and encodes a bitmap back to JPEG, all
// through libjpeg (interface 62) with pixels in B, G, R order.
#pragma once

#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/SharedImage.h"

#include <cstdint>
#include <memory>

struct TJPEGLibraryRecord;

// Raised for every error the JPEG library reports, with its message code.
FV_DECLARE_EXCEPTION(EJPEG, EInvalidGraphic);

using TJPEGQualityRange = uint8_t; // 1..100
enum TJPEGPerformance : uint8_t { jpBestQuality, jpBestSpeed };
enum TJPEGScale : uint8_t { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum TJPEGPixelFormat : uint8_t { jf24Bit, jf8Bit };

// The options every new TJPEGImage starts with.
struct TJPEGDefaults {
    TJPEGQualityRange CompressionQuality;
    bool Grayscale;
    TJPEGPerformance Performance;
    TJPEGPixelFormat PixelFormat;
    bool ProgressiveDisplay;
    bool ProgressiveEncoding;
    TJPEGScale Scale;
    bool Smoothing;
    bool DownSampling;
    uint8_t hSamplingFactor;
    uint8_t vSamplingFactor;
};

extern TJPEGDefaults JPEGDefaults;

// Picks 8-bit output for screens of 8 bits or less, 24-bit otherwise.
void InitJPEGDefaults();

// The JPEG bytes that several TJPEGImage objects share by reference count.
class TJPEGData : public TSharedImage {
public:
    std::unique_ptr<TCustomMemoryStream> FData; // the whole file; null until loaded or compressed
    int FHeight = 0;
    int FWidth = 0;
    bool FGrayscale = false;

protected:
    void FreeHandle() override {}
};

class TJPEGImage : public TGraphic {
    FV_GRAPHIC_CLASS
public:
    TJPEGImage();
    ~TJPEGImage() override;
    TJPEGImage(const TJPEGImage&) = delete;
    TJPEGImage& operator=(const TJPEGImage&) = delete;

    // Properties. Quality, sampling and the progressive flags take effect at
    // the next compression; the other setters drop the decoded picture.
    TJPEGQualityRange CompressionQuality() const { return FQuality; }
    void SetCompressionQuality(TJPEGQualityRange Value) { FQuality = Value; }
    bool Grayscale() const { return FGrayscale || FImage->FGrayscale; }
    void SetGrayscale(bool Value);
    TJPEGPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TJPEGPixelFormat Value);
    TJPEGPerformance Performance() const { return FPerformance; }
    void SetPerformance(TJPEGPerformance Value);
    TJPEGScale Scale() const { return FScale; }
    void SetScale(TJPEGScale Value);
    bool Smoothing() const { return FSmoothing; }
    void SetSmoothing(bool Value);
    bool ProgressiveDisplay() const { return FProgressiveDisplay; }
    void SetProgressiveDisplay(bool Value) { FProgressiveDisplay = Value; }
    bool ProgressiveEncoding() const { return FProgressiveEncoding; }
    void SetProgressiveEncoding(bool Value) { FProgressiveEncoding = Value; }
    bool DownSampling() const { return FDownSampling; }
    void SetDownSampling(bool Value) { FDownSampling = Value; }
    uint8_t hSamplingFactor() const { return FhSamplingFactor; }
    void SethSamplingFactor(uint8_t Value) { FhSamplingFactor = Value; }
    uint8_t vSamplingFactor() const { return FvSamplingFactor; }
    void SetvSamplingFactor(uint8_t Value) { FvSamplingFactor = Value; }

    // Encodes the picture into new JPEG data.
    void Compress();
    // Decodes now (the same as asking for the decoded picture).
    void DIBNeeded();
    // Compresses when there is no JPEG data.
    void JPEGNeeded();

    // TGraphic.
    void Assign(TPersistent* Source) override;
    void Changed(TPersistent* Sender) override;
    void Draw(TCanvas& ACanvas, const TRect& Rect) override;
    bool Equals(TGraphic* Graphic) override;
    bool GetEmpty() const override;
    int GetHeight() const override;
    int GetWidth() const override;
    HPALETTE GetPalette() const override;
    void ReadData(TStream& Stream) override;
    void SetHeight(int Value) override;
    // The image takes ownership of Value.
    void SetPalette(HPALETTE Value) override;
    void SetWidth(int Value) override;
    void WriteData(TStream& Stream) override;
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) override;
    void LoadFromClipboardFormat(unsigned AFormat, HGLOBAL AData, HPALETTE APalette) override;
    void SaveToClipboardFormat(unsigned& AFormat, HGLOBAL& AData, HPALETTE& APalette) override;

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    bool HasData() const;
    void ResetData();
    void ResetBitmap();
    void DropBitmap();
    void ReadJPEGStream(int64_t Count, TStream& Stream);
    TBitmap& DecodeBitmap();
    void DecodeInto(TJPEGLibraryRecord& Record, TBitmap& Bitmap);
    void SetupDecompress(TJPEGLibraryRecord& Record);
    void CalcScaledSize() const;

    TJPEGData* FImage = nullptr;
    std::unique_ptr<TBitmap> FBitmap;
    mutable int FScaledWidth = 0;
    mutable int FScaledHeight = 0;
    mutable HPALETTE FTempPal = nullptr;
    bool FSmoothing = false;
    bool FGrayscale = false;
    TJPEGPixelFormat FPixelFormat = jf24Bit;
    TJPEGQualityRange FQuality = 0;
    bool FProgressiveDisplay = false;
    mutable bool FProgressiveEncoding = false;
    TJPEGPerformance FPerformance = jpBestQuality;
    TJPEGScale FScale = jsFullSize;
    bool FNeedRecalc = false;
    bool FDownSampling = false;
    uint8_t FhSamplingFactor = 0;
    uint8_t FvSamplingFactor = 0;
};
