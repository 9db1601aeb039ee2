// The common part of the graphic classes that decode a file format into a
// bitmap (PNG, GIF): the decoded picture is a TBitmap, and drawing, size,
// palette, clipboard exchange and copying into a bitmap all go through it.
#pragma once

#include "platform/graphics/Bitmap.h"

#include <memory>

class TRasterGraphic : public TGraphic {
public:
    TRasterGraphic();
    ~TRasterGraphic() override;
    TRasterGraphic(const TRasterGraphic&) = delete;
    TRasterGraphic& operator=(const TRasterGraphic&) = delete;

    // The decoded picture.
    TBitmap& Bitmap() { return *FBitmap; }

    // A graphic of the same class or a TBitmap gives its picture; anything
    // else is asked to copy itself.
    void Assign(TPersistent* Source) override;
    void Draw(TCanvas& ACanvas, const TRect& Rect) override;
    bool GetEmpty() const override;
    int GetHeight() const override;
    int GetWidth() const override;
    HPALETTE GetPalette() const override;
    void SetHeight(int Value) override;
    // The graphic takes ownership of Value.
    void SetPalette(HPALETTE Value) override;
    void SetWidth(int Value) override;
    void LoadFromClipboardFormat(unsigned AFormat, HGLOBAL AData, HPALETTE APalette) override;
    void SaveToClipboardFormat(unsigned& AFormat, HGLOBAL& AData, HPALETTE& APalette) override;

protected:
    // A TBitmap takes a copy of the picture; anything else is refused.
    void AssignTo(TPersistent* Dest) override;
    // Puts a newly decoded picture in place of the old one.
    void TakeBitmap(std::unique_ptr<TBitmap> bitmap);

private:
    std::unique_ptr<TBitmap> FBitmap;
};
