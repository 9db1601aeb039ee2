#include "platform/graphics/Canvas.h"

#include "platform/core/Exceptions.h"
#include "platform/graphics/Graphic.h"

HDC TCanvas::Handle()
{
    if (!FHandle)
        CreateHandle();
    if (!FHandle)
        throw EInvalidOperation("Canvas does not allow drawing");
    return FHandle;
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    Handle();
    graphic.Draw(*this, rect);
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    Handle();
    graphic.Draw(*this, Rect(x, y, x + graphic.Width(), y + graphic.Height()));
    Changed();
}

void TCanvas::FillRect(const TRect& rect)
{
    if (Brush.Style == TBrushStyle::bsClear)
        return;
    HDC dc = Handle();
    HBRUSH brush = CreateSolidBrush(ColorToRGB(Brush.Color));
    const RECT r = rect.ToRECT();
    ::FillRect(dc, &r, brush);
    DeleteObject(brush);
    Changed();
}

TColor TCanvas::Pixel(int x, int y)
{
    return static_cast<TColor>(GetPixel(Handle(), x, y));
}

void TCanvas::SetPixel(int x, int y, TColor colour)
{
    ::SetPixel(Handle(), x, y, ColorToRGB(colour));
    Changed();
}

void TCanvas::Changed()
{
    if (OnChange)
        OnChange(this);
}
