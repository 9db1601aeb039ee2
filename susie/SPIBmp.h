// Decoding through the picture plug-ins: TInSPIAbleData offers a file or a
// stream to the plug-ins in turn and owns the blocks the successful one
// returns; TSPIGraphic is a graphic over those blocks that writes itself as a
// BMP image, so any BMP-reading class can take the picture over; TSPIBitmap
// is the bitmap that loads through them.
#pragma once

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "susie/SPI.h"
#include "susie/SPIsHelper.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TInSPIAbleData {
public:
    explicit TInSPIAbleData(TPersistent* Owner) : FOwner(Owner) {}
    virtual ~TInSPIAbleData();
    TInSPIAbleData(const TInSPIAbleData&) = delete;
    TInSPIAbleData& operator=(const TInSPIAbleData&) = delete;

    // Tries every enabled candidate plug-in; IsEmpty afterwards when none decoded the data.
    void Load();
    // Frees the blocks and the picture's info text.
    void Clear();
    bool IsEmpty() const { return FBMInfoHandle == nullptr || FBMBitsHandle == nullptr; }
    bool PictureInfoIsEmpty() const { return !FHasPictureInfo; }

    // The checked header block and the pixel rows of the decoded picture.
    const uint8_t* BMInfo() const { return static_cast<const uint8_t*>(FBMInfoHandle); }
    const uint8_t* BMBits() const { return static_cast<const uint8_t*>(FBMBitsHandle); }
    const TDIBLayout& Layout() const { return FLayout; }
    const std::string& FileName() const { return FFileName; }
    const TPictureInfo& PictureInfo() const { return FPictureInfo; }

    TProgressEvent OnProgress;

protected:
    // Fills Buffer with up to Size first bytes of the data.
    virtual void ReadHeader(uint8_t* Buffer, size_t Size) = 0;
    // The data's length in bytes; -1 when unknown.
    virtual int64_t DataSize() = 0;
    virtual void LoadPictureInfo(TInSPI& SPI, int32_t Offset, TPictureInfo& Info, bool& HasInfo) = 0;
    virtual void LoadPreview(TInSPI& SPI, int32_t Offset, void*& HBMInfo, void*& HBM) = 0;
    virtual void LoadPicture(TInSPI& SPI, int32_t Offset, void*& HBMInfo, void*& HBM) = 0;

    // Calls GetPicture or GetPreview with the progress callback; a failure
    // leaves both handles null, and what a progress handler raised is
    // raised here, after the plug-in has returned.
    void CallPicture(TInSPI& SPI, bool Preview, const char* Buf, int32_t Len, int32_t Flag, void*& HBMInfo,
                     void*& HBM);

    std::string FFileName;

private:
    std::vector<TSPI*> GetLoaderList() const;
    void LoadBy(TInSPI& SPI, const uint8_t* Header, int32_t Offset);
    void DoProgress(TProgressStage Stage, uint8_t PercentDone, const std::string& Msg);
    static int32_t SPIProgressCallback(int32_t Num, int32_t Done, intptr_t Data);

    void* FBMInfoHandle = nullptr;
    void* FBMBitsHandle = nullptr;
    TDIBLayout FLayout;
    TPictureInfo FPictureInfo{};
    TPersistent* FOwner;
    bool FHasPictureInfo = false;
    std::exception_ptr FProgressError;
};

// The data is the file FileName; plug-ins get its path (Flag 0).
class TInSPIAbleFromFile : public TInSPIAbleData {
public:
    TInSPIAbleFromFile(TPersistent* Owner, const std::string& FileName);

protected:
    void ReadHeader(uint8_t* Buffer, size_t Size) override;
    int64_t DataSize() override;
    void LoadPictureInfo(TInSPI& SPI, int32_t Offset, TPictureInfo& Info, bool& HasInfo) override;
    void LoadPreview(TInSPI& SPI, int32_t Offset, void*& HBMInfo, void*& HBM) override;
    void LoadPicture(TInSPI& SPI, int32_t Offset, void*& HBMInfo, void*& HBM) override;
};

// The data is a stream's whole content; plug-ins get it in memory (Flag 1).
// A memory stream is handed over in place, anything else copied once.
class TInSPIAbleFromStream : public TInSPIAbleData {
public:
    TInSPIAbleFromStream(TPersistent* Owner, TStream& Stream, const std::string& FileName);

protected:
    void ReadHeader(uint8_t* Buffer, size_t Size) override;
    int64_t DataSize() override { return FSize; }
    void LoadPictureInfo(TInSPI& SPI, int32_t Offset, TPictureInfo& Info, bool& HasInfo) override;
    void LoadPreview(TInSPI& SPI, int32_t Offset, void*& HBMInfo, void*& HBM) override;
    void LoadPicture(TInSPI& SPI, int32_t Offset, void*& HBMInfo, void*& HBM) override;

private:
    // Plug-ins take lengths as 32-bit numbers; larger data is offered to none.
    bool Addressable(int32_t Offset) const;

    const uint8_t* FSource = nullptr;
    int64_t FSize = 0;
    std::unique_ptr<TMemoryStream> FMemStream;
};

class TSPIGraphic : public TGraphic {
    FV_GRAPHIC_CLASS
public:
    TSPIGraphic() = default;
    ~TSPIGraphic() override { FreeData(); }

    // Raise EInvalidGraphic "Susie Plugins could not decode" when no plug-in decodes the data.
    void LoadFromFile(const std::string& FileName) override;
    void LoadFromStream(TStream& Stream) override { LoadFromStreamWithName(Stream, {}); }
    virtual void LoadFromStreamWithName(TStream& Stream, const std::string& FileName);
    // Writes the picture as a BMP file image.
    void SaveToStream(TStream& Stream) override;
    void Draw(TCanvas& ACanvas, const TRect& Rect) override;
    bool GetEmpty() const override { return FData == nullptr || FData->IsEmpty(); }
    int GetWidth() const override { return Decoded().Width; }
    int GetHeight() const override;
    HPALETTE GetPalette() const override;
    bool PixelFormatIs4bit() const { return Decoded().BitCount == 4; }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void LoadFromClipboardFormat(unsigned, HGLOBAL, HPALETTE) override {}
    void SaveToClipboardFormat(unsigned&, HGLOBAL&, HPALETTE&) override {}

    // A new DestClass graphic read from this picture's BMP image; this one stays loaded.
    std::unique_ptr<TGraphic> CreateAndAssignToDIBFileReadableGraphic(TGraphicClass DestClass);
    // The same, but the plug-in's blocks are freed before the new graphic reads
    // the image, so both never exist at once; this one is empty afterwards.
    std::unique_ptr<TGraphic> CreateAndConvertToDIBFileReadableGraphic(TGraphicClass DestClass);

    // A graphic loaded by the plug-ins or by AlternativeClass (that one first
    // when AlternativeFirst), or null when neither reads the data.
    static std::unique_ptr<TGraphic> CreateFromFile(const std::string& FileName, TGraphicClass AlternativeClass,
                                                    bool AlternativeFirst, const TProgressEvent& ProgressEvent);
    static std::unique_ptr<TGraphic> CreateFromStreamWithName(TStream& Stream, const std::string& FileName,
                                                              TGraphicClass AlternativeClass, bool AlternativeFirst,
                                                              const TProgressEvent& ProgressEvent);

private:
    void LoadData();
    void FreeData();
    std::unique_ptr<TGraphic> CreateDIBFileReadableGraphic(TGraphicClass DestClass, bool FreeFirst);
    // The layout of the loaded picture (all zero when empty).
    const TDIBLayout& Decoded() const;

    std::unique_ptr<TInSPIAbleData> FData;
    mutable HPALETTE FPalette = nullptr;
};

// Loading by a graphic that falls back on the plug-ins: a name ending in
// ".BMP" (any case) is read by the graphic's parent class first, everything
// else by the plug-ins first. Progress reaches Target's OnProgress; the one
// ending report "Loaded Graphic" comes last, also after a failure.
// Stream null: load the file FileName.
void LoadThroughPlugins(TGraphic& Target, const std::string& FileName, TStream* Stream,
                        const std::function<void(std::unique_ptr<TGraphic>)>& AssignLoaded);

class TSPIBitmap : public TBitmap {
    FV_GRAPHIC_CLASS
public:
    void Assign(TPersistent* Source) override;
    void LoadFromFile(const std::string& FileName) override;
    void LoadFromStream(TStream& Stream) override { LoadFromStreamWithName(Stream, {}); }
    // Takes over a loaded graphic (null raises "Susie Plugins could not decode").
    virtual void AssignLoadedGraphic(std::unique_ptr<TGraphic> Graphic);
    virtual void LoadFromStreamWithName(TStream& Stream, const std::string& FileName);
};
