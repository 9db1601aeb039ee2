// Method 0: the platform's own stretching blit between two class-library
// bitmaps. It never raises for its two conditions: it tells the user and
// either gives up (no stretching on the device) or stretches anyway.
#include "effects/Interpolation.h"
#include "effects/ResizeFrame.h"

#include "platform/core/MessageHook.h"
#include "platform/gdi/Gdi.h"
#include "platform/graphics/Bitmap.h"

TFvDIB& ResizeStretchBlt(TFvDIB& Image, int Width, int Height)
{
    if (Width < 1 || Height < 1) {
        // Such a target is refused by the bitmap class, with its own message.
        TFvDIB Refused;
        MakeTrueColorTarget(Refused, Width, Height);
    }
    const int OldWidth = Image.Width();
    const int OldHeight = Image.Height();
    TBitmap Dest;
    Dest.SetPixelFormat(pf24bit);
    Dest.SetSize(Width, Height);
    TBitmap Source;
    Source.Assign(&Image);
    if ((GetDeviceCaps(Source.Canvas().Handle(), RASTERCAPS) & RC_STRETCHBLT) == 0) {
        ShowMessage("StretchBltが使えません。別のモードを選択してください。");
        return Image;
    }
    Source.SetPixelFormat(pf24bit);
    const HDC Target = Dest.Canvas().Handle();
    const int OldMode = SetStretchBltMode(Target, COLORONCOLOR);
    if (OldMode == 0)
        ShowMessage("SetStretchBltModeの失敗");
    StretchBlt(Target, 0, 0, Width, Height, Source.Canvas().Handle(), 0, 0, OldWidth, OldHeight, SRCCOPY);
    if (OldMode != 0)
        SetStretchBltMode(Target, OldMode);
    Image.Assign(&Dest);
    return Image;
}
