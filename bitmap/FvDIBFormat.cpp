// Pixel-format changes and the true-colour palette, with their progress
// reports through the graphic's progress event.
#include "bitmap/FvDIB.h"

#include <cstring>

namespace {

struct AnnouncedConversion {
    TFvPixelFormat From;
    TFvPixelFormat To;
    int Max;
    const char* Text;
};

// Only the colour-reducing conversions report progress.
constexpr AnnouncedConversion announced[] = {
    {fvPf24Bit, fvPf4Bit, 16, "PixelFormat 24Bit -> 4Bit"},
    {fvPf24Bit, fvPf4BitRLE, 16, "PixelFormat 24Bit -> 4BitRLE"},
    {fvPf24Bit, fvPf8Bit, 256, "PixelFormat 24Bit -> 8Bit"},
    {fvPf24Bit, fvPf8BitRLE, 256, "PixelFormat 24Bit -> 8BitRLE"},
    {fvPf8Bit, fvPf4Bit, 16, "PixelFormat 8Bit -> 4Bit"},
    {fvPf8Bit, fvPf4BitRLE, 16, "PixelFormat 8Bit -> 4BitRLE"},
    {fvPf8BitRLE, fvPf4Bit, 16, "PixelFormat 8BitRLE -> 4Bit"},
    {fvPf8BitRLE, fvPf4BitRLE, 16, "PixelFormat 8BitRLE -> 4BitRLE"},
};

const AnnouncedConversion* FindAnnounced(TFvPixelFormat from, TFvPixelFormat to)
{
    for (const AnnouncedConversion& entry : announced)
        if (entry.From == from && entry.To == to)
            return &entry;
    return nullptr;
}

} // namespace

void TFvDIB::SetPixelFormat(TFvPixelFormat Value)
{
    const TFvPixelFormat current = PixelFormat();
    if (Value == current)
        return;
    const AnnouncedConversion* progress = FindAnnounced(current, Value);
    if (progress) {
        InitProgress(progress->Max, progress->Text);
        BeginProgress();
    }
    try {
        const TFvProgressStep step = [this] { StepProgress(); };
        if (FInternalDIB->RefCount > 1) {
            // The result is new memory anyway: convert straight from the
            // shared pixels instead of copying them first.
            auto fresh = NewEmptyStorage();
            fresh->TakeDIBInfos(FInternalDIB->ConvertedDIBInfos(Value, FConvertMode, step, ColorToRGB(FBGColor)));
            ReplaceInternalDIB(std::move(fresh));
        } else {
            FInternalDIB->SetPixelFormat(Value, FConvertMode, step, ColorToRGB(FBGColor));
        }
    } catch (...) {
        SyncPaletteModified();
        if (progress)
            EndProgress();
        throw;
    }
    SyncPaletteModified();
    if (progress)
        EndProgress();
    SetModified(true);
}

void TFvDIB::CreateTrueColorPalette()
{
    InitProgress(256, "Create True Color Palette");
    BeginProgress();
    try {
        const TFvProgressStep step = [this] { StepProgress(); };
        if (FInternalDIB->RefCount > 1) {
            // The view asks for the palette of every picture it shows, and a
            // picture back from the history usually has it already: its
            // pixels are copied only when the colour table really changes.
            const TFvDIBInfos result = FInternalDIB->WithTrueColorPalette(FConvertMode, step);
            if (std::memcmp(result.Dummy, FInternalDIB->DIBInfos.Dummy, sizeof(result.Dummy)) != 0) {
                Unshare();
                std::memcpy(FInternalDIB->DIBInfos.Dummy, result.Dummy, sizeof(result.Dummy));
                FInternalDIB->ReleasePalette();
            } else {
                SetPaletteModified(true);
            }
        } else {
            FInternalDIB->CreateTrueColorPalette(FConvertMode, step);
        }
    } catch (...) {
        SyncPaletteModified();
        EndProgress();
        throw;
    }
    SyncPaletteModified();
    EndProgress();
    SetModified(true);
}

void TFvDIB::InitProgress(int Max, const std::string& Text)
{
    ProgressString = Text;
    MaxNumberOfProgresses = Max;
    NumberOfProgresses = 0;
}

void TFvDIB::BeginProgress()
{
    Progress(this, TProgressStage::psStarting, 0, false, Rect(0, 0, Width(), Height()), ProgressString);
}

void TFvDIB::StepProgress()
{
    ++NumberOfProgresses;
    if (MaxNumberOfProgresses == 0 || NumberOfProgresses == MaxNumberOfProgresses)
        return;
    // A routine that steps more often than announced still reports at most 100 percent.
    const int percent = NumberOfProgresses * 100 / MaxNumberOfProgresses;
    Progress(this, TProgressStage::psRunning, static_cast<uint8_t>(percent < 100 ? percent : 100), false,
             Rect(0, 0, Width(), Height()), ProgressString);
}

void TFvDIB::EndProgress()
{
    Progress(this, TProgressStage::psEnding, 100, true, Rect(0, 0, Width(), Height()), ProgressString);
}
