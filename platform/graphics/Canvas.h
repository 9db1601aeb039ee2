// The drawing surface of the class library over a device context.
#pragma once

#include "platform/gdi/Gdi.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Persistent.h"
#include "platform/graphics/Types.h"

class TGraphic;

using TCopyMode = DWORD;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmWhiteness = WHITENESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcInvert = SRCINVERT;

enum class TBrushStyle { bsSolid, bsClear };

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

class TCanvas : public TPersistent {
public:
    TCanvas() = default;
    ~TCanvas() override = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    std::string ClassName() const override { return "TCanvas"; }

    // The context drawn into; a canvas that has none asks CreateHandle for one.
    HDC Handle();
    void SetHandle(HDC value) { FHandle = value; }
    bool HandleAllocated() const { return FHandle != nullptr; }

    TCopyMode CopyMode = cmSrcCopy;
    TBrush Brush;
    TNotifyEvent OnChange;

    // Draws graphic scaled into rect (the graphic's Draw).
    void StretchDraw(const TRect& rect, TGraphic& graphic);
    // Draws graphic at its own size with its top-left corner at (x, y).
    void Draw(int x, int y, TGraphic& graphic);
    // Fills rect with the brush colour.
    void FillRect(const TRect& rect);
    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor colour);

protected:
    virtual void CreateHandle() {}
    void Changed();

private:
    HDC FHandle = nullptr;
};
