#include "app/Document.h"

#include <array>

TDocument::TDocument() : FCurrentImage(std::make_unique<TFvDIB>()), FBMP(std::make_unique<TFvDIB>()) {}

TDocument::~TDocument()
{
    FreeHistory();
}

void TDocument::Work()
{
    auto snapshot = std::make_unique<TFvDIB>();
    snapshot->Assign(FCurrentImage.get());
    if (!FUndo.empty())
        while (FUndo.size() > static_cast<size_t>(UndoPointer) + 1)
            FUndo.pop_back();
    // A full history drops its oldest entry, so the pointer never wraps.
    if (FUndo.size() >= HistoryLimit)
        FUndo.erase(FUndo.begin());
    FUndo.push_back(std::move(snapshot));
    UndoPointer = static_cast<uint8_t>(FUndo.size() - 1);
}

void TDocument::View(TFvDIB& ViewBitmap)
{
    if (&ViewBitmap != FCurrentImage.get())
        FCurrentImage->Assign(&ViewBitmap);
    CurrentBitCount = static_cast<uint8_t>(FCurrentImage->BitCount());
    if (CurrentBitCount == 24)
        CreatePaletteKeepingSharesShared();
    ChangeFlag = true;
}

void TDocument::CreatePaletteKeepingSharesShared()
{
    // The entry on show and the revert image usually share the image's
    // storage, and storing the palette would then copy every pixel. They let
    // go of the storage meanwhile and share it again with the palette: an
    // entry's palette and the revert image's are computed afresh whenever
    // they are shown, so they were never read anyway.
    TFvDIB* entry = FUndo.empty() ? nullptr : FUndo[UndoPointer].get();
    std::array<TFvDIB*, 2> sharing{};
    size_t count = 0;
    for (TFvDIB* other : {entry, FBMP.get()})
        if (other != nullptr && &other->InternalDIB() == &FCurrentImage->InternalDIB())
            sharing[count++] = other;
    TFvDIB none;
    for (size_t i = 0; i < count; ++i)
        sharing[i]->Assign(&none);
    try {
        FCurrentImage->CreateTrueColorPalette();
    } catch (...) {
        for (size_t i = 0; i < count; ++i)
            sharing[i]->Assign(FCurrentImage.get());
        throw;
    }
    for (size_t i = 0; i < count; ++i)
        sharing[i]->Assign(FCurrentImage.get());
}

TFvDIB* TDocument::UndoStep()
{
    if (!CanUndo() || UndoPointer >= FUndo.size())
        return nullptr;
    --UndoPointer;
    return FUndo[UndoPointer].get();
}

TFvDIB* TDocument::RedoStep()
{
    if (FUndo.empty())
        return nullptr;
    size_t next = static_cast<size_t>(UndoPointer) + 1;
    if (next > FUndo.size() - 1)
        next = FUndo.size() - 1;
    UndoPointer = static_cast<uint8_t>(next);
    return FUndo[UndoPointer].get();
}

void TDocument::Revert()
{
    FreeHistory();
    FCurrentImage->Assign(FBMP.get());
    Work();
}

void TDocument::ClearHistory()
{
    FreeHistory();
    Work();
}

void TDocument::FreeHistory()
{
    while (!FUndo.empty())
        FUndo.pop_back();
    UndoPointer = 0;
}

void TDocument::Loaded(TFvDIB& image)
{
    OpenFlag = true;
    FCurrentImage->Assign(&image);
    CurrentBitCount = static_cast<uint8_t>(FCurrentImage->BitCount());
    FBMP->Assign(FCurrentImage.get());
}

std::string SizeStatusText(int width, int height, int bitCount)
{
    return std::to_string(width) + " × " + std::to_string(height) + "  " + std::to_string(bitCount) + "bpp";
}
