// The graphic base class of the bitmap model and the exceptions of the whole
// model. Every message begins with the raising operation, a colon and a blank.
#pragma once

#include "platform/core/Exceptions.h"
#include "platform/graphics/Graphic.h"

FV_DECLARE_EXCEPTION(EFvDIBError, Exception);
FV_DECLARE_EXCEPTION(EFvDIBInvalidDIB, EFvDIBError);
FV_DECLARE_EXCEPTION(EFvDIBInvalidDIBFile, EFvDIBError);
FV_DECLARE_EXCEPTION(EFvDIBInvalidDIBPara, EFvDIBError);
FV_DECLARE_EXCEPTION(EFvDIBBadDIBType, EFvDIBError);
FV_DECLARE_EXCEPTION(EFvDIBPaletteIndexRange, EFvDIBError);
FV_DECLARE_EXCEPTION(EFvDIBPixelPositionRange, EFvDIBError);
FV_DECLARE_EXCEPTION(EFvDIBInvalidPalette, EFvDIBError);
FV_DECLARE_EXCEPTION(EFvDIBCompressionFailed, EFvDIBError);
FV_DECLARE_EXCEPTION(EFvDIBCanvasFailed, EFvDIBError);

// A graphic that knows its clipboard format and can assign itself from the clipboard.
class TFvGraphic : public TGraphic {
public:
    // The class record of this abstract class, so that registries can ask for descendants.
    static const TGraphicClassInfo ClassInfo;

    // A TClipboard source loads the clipboard's block of ClipboardFormat;
    // anything else goes to the inherited Assign.
    void Assign(TPersistent* Source) override;
    virtual unsigned GetClipboardFormat() const = 0;
    unsigned ClipboardFormat() const { return GetClipboardFormat(); }
};
