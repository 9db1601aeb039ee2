#include "susie/SPIBmp.h"

#include "platform/graphics/Canvas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <strings.h>

FV_DEFINE_GRAPHIC_CLASS(TSPIGraphic, TGraphic);

namespace {

const char* const CouldNotDecode = "Susie Plugins could not decode";

void WriteLE(TStream& stream, uint32_t value, int bytes)
{
    uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                    static_cast<uint8_t>(value >> 24)};
    stream.WriteBuffer(b, bytes);
}

} // namespace

void TSPIGraphic::LoadFromFile(const std::string& FileName)
{
    FreeData();
    FData = std::make_unique<TInSPIAbleFromFile>(this, FileName);
    LoadData();
}

void TSPIGraphic::LoadFromStreamWithName(TStream& Stream, const std::string& FileName)
{
    FreeData();
    try {
        FData = std::make_unique<TInSPIAbleFromStream>(this, Stream, FileName);
    } catch (...) {
        FreeData();
        throw;
    }
    LoadData();
}

void TSPIGraphic::LoadData()
{
    try {
        FData->OnProgress = OnProgress;
        FData->Load();
        if (FData->IsEmpty())
            throw EInvalidGraphic(CouldNotDecode);
    } catch (...) {
        FreeData();
        throw;
    }
    Changed(this);
}

void TSPIGraphic::FreeData()
{
    FData.reset();
    if (FPalette != nullptr) {
        DeleteObject(FPalette);
        FPalette = nullptr;
    }
}

const TDIBLayout& TSPIGraphic::Decoded() const
{
    static const TDIBLayout none;
    return GetEmpty() ? none : FData->Layout();
}

int TSPIGraphic::GetHeight() const
{
    // Rows stored top first give a negative header height; the picture's is its size.
    return std::abs(Decoded().Height);
}

HPALETTE TSPIGraphic::GetPalette() const
{
    const TDIBLayout& layout = Decoded();
    if (FPalette != nullptr || layout.ColorCount == 0)
        return FPalette;
    LOGPALETTE palette{};
    palette.palVersion = 0x300;
    palette.palNumEntries = static_cast<WORD>(layout.ColorCount);
    const uint8_t* table = FData->BMInfo() + (layout.InfoSize - 4 * int64_t{layout.ColorCount});
    for (int i = 0; i < layout.ColorCount; ++i)
        palette.palPalEntry[i] = PALETTEENTRY{table[4 * i + 2], table[4 * i + 1], table[4 * i], 0};
    FPalette = CreatePalette(&palette);
    return FPalette;
}

void TSPIGraphic::SaveToStream(TStream& Stream)
{
    const TDIBLayout& layout = Decoded();
    const uint32_t offset = static_cast<uint32_t>(14 + layout.InfoSize);
    WriteLE(Stream, BFT_BITMAP, 2);
    WriteLE(Stream, static_cast<uint32_t>(offset + layout.BitsSize), 4);
    WriteLE(Stream, 0, 4);
    WriteLE(Stream, offset, 4);
    if (GetEmpty())
        return;
    Stream.WriteBuffer(FData->BMInfo(), layout.InfoSize);
    Stream.WriteBuffer(FData->BMBits(), layout.BitsSize);
}

void TSPIGraphic::Draw(TCanvas& ACanvas, const TRect& Rect)
{
    if (GetEmpty())
        return;
    const TDIBLayout& layout = Decoded();
    HDC dc = ACanvas.Handle();
    HPALETTE palette = GetPalette();
    HPALETTE oldPalette = nullptr;
    if (palette != nullptr) {
        oldPalette = SelectPalette(dc, palette, true);
        RealizePalette(dc);
    }
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    // The drawing functions read a full-size header record; the block may be shorter.
    BITMAPINFO info{};
    std::memcpy(&info, FData->BMInfo(), std::min<int64_t>(layout.InfoSize, sizeof info));
    StretchDIBits(dc, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), 0, 0, layout.Width, std::abs(layout.Height),
                  FData->BMBits(), static_cast<size_t>(layout.BitsSize), &info, DIB_RGB_COLORS, ACanvas.CopyMode);
    SetStretchBltMode(dc, oldMode);
    if (palette != nullptr)
        SelectPalette(dc, oldPalette, true);
}

std::unique_ptr<TGraphic> TSPIGraphic::CreateDIBFileReadableGraphic(TGraphicClass DestClass, bool FreeFirst)
{
    std::unique_ptr<TGraphic> graphic = DestClass->Create();
    TMemoryStream image;
    SaveToStream(image);
    if (FreeFirst)
        FreeData();
    image.SetPosition(0);
    graphic->LoadFromStream(image);
    return graphic;
}

std::unique_ptr<TGraphic> TSPIGraphic::CreateAndAssignToDIBFileReadableGraphic(TGraphicClass DestClass)
{
    return CreateDIBFileReadableGraphic(DestClass, false);
}

std::unique_ptr<TGraphic> TSPIGraphic::CreateAndConvertToDIBFileReadableGraphic(TGraphicClass DestClass)
{
    return CreateDIBFileReadableGraphic(DestClass, true);
}

namespace {

// Tries the plug-ins and the alternative class in the order asked; load is
// given each new graphic and whether it is the plug-in one. A failed try is
// dropped and the next one made.
std::unique_ptr<TGraphic> CreateLoaded(TGraphicClass AlternativeClass, bool AlternativeFirst,
                                       const TProgressEvent& ProgressEvent,
                                       const std::function<void(TGraphic&, bool)>& load)
{
    const TGraphicClass order[2] = {AlternativeFirst ? AlternativeClass : &TSPIGraphic::ClassInfo,
                                    AlternativeFirst ? &TSPIGraphic::ClassInfo : AlternativeClass};
    for (TGraphicClass cls : order) {
        try {
            std::unique_ptr<TGraphic> graphic = cls->Create();
            graphic->OnProgress = ProgressEvent;
            load(*graphic, cls == &TSPIGraphic::ClassInfo);
            return graphic;
        } catch (...) {
        }
    }
    return nullptr;
}

} // namespace

std::unique_ptr<TGraphic> TSPIGraphic::CreateFromFile(const std::string& FileName, TGraphicClass AlternativeClass,
                                                      bool AlternativeFirst, const TProgressEvent& ProgressEvent)
{
    return CreateLoaded(AlternativeClass, AlternativeFirst, ProgressEvent,
                        [&](TGraphic& graphic, bool) { graphic.LoadFromFile(FileName); });
}

std::unique_ptr<TGraphic> TSPIGraphic::CreateFromStreamWithName(TStream& Stream, const std::string& FileName,
                                                                TGraphicClass AlternativeClass, bool AlternativeFirst,
                                                                const TProgressEvent& ProgressEvent)
{
    const int64_t position = Stream.Position();
    bool first = true;
    return CreateLoaded(AlternativeClass, AlternativeFirst, ProgressEvent, [&](TGraphic& graphic, bool plugin) {
        if (!first)
            Stream.SetPosition(position);
        first = false;
        if (plugin)
            static_cast<TSPIGraphic&>(graphic).LoadFromStreamWithName(Stream, FileName);
        else
            graphic.LoadFromStream(Stream);
    });
}

void LoadThroughPlugins(TGraphic& Target, const std::string& FileName, TStream* Stream,
                        const std::function<void(std::unique_ptr<TGraphic>)>& AssignLoaded)
{
    std::string extension;
    if (const size_t dot = FileName.rfind('.'); dot != std::string::npos && FileName.find('/', dot) == std::string::npos)
        extension = FileName.substr(dot);
    const bool alternativeFirst = extension.size() == 4 && ::strncasecmp(extension.c_str(), ".BMP", 4) == 0;
    // The loading graphics report as Target; their ending reports give way to Target's one.
    const TProgressEvent relay = [&Target](TPersistent*, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                                           const TRect& R, const std::string& Msg) {
        if (Stage != TProgressStage::psEnding)
            Target.Progress(&Target, Stage, PercentDone, RedrawNow, R, Msg);
    };
    const TGraphicClass alternative = Target.ClassType()->Parent;
    const auto ending = [&Target] {
        Target.Progress(&Target, TProgressStage::psEnding, 100, true, Rect(0, 0, Target.Width(), Target.Height()),
                        "Loaded Graphic");
    };
    try {
        AssignLoaded(Stream != nullptr
                         ? TSPIGraphic::CreateFromStreamWithName(*Stream, FileName, alternative, alternativeFirst, relay)
                         : TSPIGraphic::CreateFromFile(FileName, alternative, alternativeFirst, relay));
    } catch (...) {
        ending();
        throw;
    }
    ending();
}
