// The graphic base class of the class library, with its metaclass records
// (a graphic class can be registered, created by name and asked for its parent).
#pragma once

#include "platform/core/GlobalMemory.h"
#include "platform/core/Streams.h"
#include "platform/gdi/Gdi.h"
#include "platform/graphics/Persistent.h"
#include "platform/graphics/Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TCanvas;
class TGraphic;

// The class record of a graphic class: its name, its parent's record (null
// for TGraphic) and its virtual constructor.
struct TGraphicClassInfo {
    const char* Name;
    const TGraphicClassInfo* Parent;
    std::unique_ptr<TGraphic> (*Create)();
};
using TGraphicClass = const TGraphicClassInfo*;

// True when cls is base or derives from it.
bool InheritsFrom(TGraphicClass cls, TGraphicClass base);

enum class TProgressStage { psStarting, psRunning, psEnding };

using TProgressEvent = std::function<void(TPersistent* Sender, TProgressStage Stage, uint8_t PercentDone,
                                          bool RedrawNow, const TRect& R, const std::string& Msg)>;

class TGraphic : public TPersistent {
public:
    static const TGraphicClassInfo ClassInfo;
    virtual TGraphicClass ClassType() const = 0;
    std::string ClassName() const override { return ClassType()->Name; }

    // Properties.
    bool Empty() const { return GetEmpty(); }
    int Width() const { return GetWidth(); }
    int Height() const { return GetHeight(); }
    HPALETTE Palette() const { return GetPalette(); }
    bool Transparent() const { return GetTransparent(); }
    bool Modified() const { return FModified; }
    // Setting True calls Changed.
    void SetModified(bool value);
    bool PaletteModified() const { return FPaletteModified; }
    void SetPaletteModified(bool value) { FPaletteModified = value; }

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

    // Virtual operations, in the class library's order.
    virtual void Changed(TPersistent* Sender);
    virtual void Draw(TCanvas& ACanvas, const TRect& Rect) = 0;
    virtual void DrawTransparent(TCanvas& ACanvas, const TRect& Rect, uint8_t Opacity);
    virtual bool Equals(TGraphic* Graphic);
    virtual bool GetEmpty() const = 0;
    virtual int GetHeight() const = 0;
    virtual int GetWidth() const = 0;
    virtual HPALETTE GetPalette() const { return nullptr; }
    virtual bool GetTransparent() const { return FTransparent; }
    virtual void ReadData(TStream& Stream) { LoadFromStream(Stream); }
    virtual void SetHeight(int Value) = 0;
    virtual void SetPalette(HPALETTE) {}
    virtual void SetTransparent(bool Value);
    virtual void SetWidth(int Value) = 0;
    virtual void WriteData(TStream& Stream) { SaveToStream(Stream); }
    virtual bool GetSupportsPartialTransparency() const { return false; }
    // Open a file stream and call LoadFromStream / SaveToStream.
    virtual void LoadFromFile(const std::string& FileName);
    virtual void SaveToFile(const std::string& FileName);
    virtual void LoadFromStream(TStream& Stream) = 0;
    virtual void SaveToStream(TStream& Stream) = 0;
    // AData belongs to the caller; the graphic copies what it needs.
    virtual void LoadFromClipboardFormat(unsigned AFormat, HGLOBAL AData, HPALETTE APalette) = 0;
    // The block handed out belongs to the caller (normally the clipboard).
    virtual void SaveToClipboardFormat(unsigned& AFormat, HGLOBAL& AData, HPALETTE& APalette) = 0;
    virtual void SetSize(int AWidth, int AHeight);

    // Raises OnProgress with Sender.
    void Progress(TPersistent* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                  const TRect& R, const std::string& Msg);

private:
    bool FModified = false;
    bool FPaletteModified = false;
    bool FTransparent = false;
};

// Declares the class record of a graphic class in its class body.
#define FV_GRAPHIC_CLASS                                                   \
public:                                                                    \
    static const TGraphicClassInfo ClassInfo;                              \
    TGraphicClass ClassType() const override { return &ClassInfo; }

// Defines the class record of a concrete graphic class in its source file.
#define FV_DEFINE_GRAPHIC_CLASS(Class, ParentClass)                                       \
    const TGraphicClassInfo Class::ClassInfo = {#Class, &ParentClass::ClassInfo,          \
                                                []() -> std::unique_ptr<TGraphic> { return std::make_unique<Class>(); }}
