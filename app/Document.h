// The document: the image being edited, its revert image and the undo
// history of whole-image snapshots, with the flags that the menus read. It
// holds no window code, so the history's rules can be driven directly.
#pragma once

#include "bitmap/FvDIB.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDocument {
public:
    // The most snapshots kept; the 8-bit UndoPointer addresses no more.
    static constexpr size_t HistoryLimit = 256;

    TDocument();
    ~TDocument();
    TDocument(const TDocument&) = delete;
    TDocument& operator=(const TDocument&) = delete;

    TFvDIB& CurrentImage() { return *FCurrentImage; }
    TFvDIB& BMP() { return *FBMP; }
    size_t Count() const { return FUndo.size(); }
    TFvDIB& Entry(size_t index) { return *FUndo.at(index); }

    // Records the image on show as the newest entry; entries that redo could
    // still reach are dropped, and when the history is full the oldest goes.
    void Work();
    // Makes ViewBitmap the image on show: CurrentImage takes its contents, a
    // 24-bit image gets its true-colour palette, ChangeFlag is set.
    void View(TFvDIB& ViewBitmap);
    // The entry to show after stepping back (forward), or null when there is none.
    TFvDIB* UndoStep();
    TFvDIB* RedoStep();
    // Back to the image as loaded: the history restarts with it.
    void Revert();
    // The image on show becomes the only entry.
    void ClearHistory();
    // Frees every entry, the last first.
    void FreeHistory();
    // A new document read from a file or pasted: it becomes the revert image too.
    void Loaded(TFvDIB& image);

    bool CanUndo() const { return UndoPointer != 0; }
    bool CanRedo() const { return !FUndo.empty() && UndoPointer < FUndo.size() - 1; }

    uint8_t UndoPointer = 0;
    bool OpenFlag = false;
    bool ChangeFlag = false;
    bool UpSaveFlag = false;
    // Bits per pixel of CurrentImage as last seen; the Image menu reads it.
    uint8_t CurrentBitCount = 0;

private:
    void CreatePaletteKeepingSharesShared();

    std::unique_ptr<TFvDIB> FCurrentImage;
    std::unique_ptr<TFvDIB> FBMP;
    std::vector<std::unique_ptr<TFvDIB>> FUndo;
};

// The size text of the status bar: "640 × 480  24bpp".
std::string SizeStatusText(int width, int height, int bitCount);
