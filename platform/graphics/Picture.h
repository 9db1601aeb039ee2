// The class library's picture: a holder of one graphic, with the process-wide
// registries that map file extensions and clipboard formats to graphic classes.
#pragma once

#include "platform/graphics/Graphic.h"

#include <memory>
#include <string>
#include <vector>

class TBitmap;

struct TFileFormat {
    std::string Extension;   // lower case, without the dot
    std::string Description;
    TGraphicClass GraphicClass;
};

class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    std::string ClassName() const override { return "TPicture"; }

    TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> value);
    // The graphic as a bitmap, replacing any other graphic with an empty bitmap.
    TBitmap& Bitmap();
    int Width() const;
    int Height() const;

    void Assign(TPersistent* Source) override;
    // Picks the graphic class by the file's extension (case-insensitive); an
    // unknown one raises EInvalidGraphic "Unknown picture file extension (.ext)".
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    void LoadFromClipboardFormat(unsigned format, HGLOBAL data, HPALETTE palette);
    static bool SupportsClipboardFormat(unsigned format);

    // Later registrations of an extension take precedence.
    static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                   TGraphicClass graphicClass);
    static void RegisterClipboardFormat(unsigned format, TGraphicClass graphicClass);
    // Removes every file and clipboard registration of graphicClass.
    static void UnregisterGraphicClass(TGraphicClass graphicClass);
    static std::vector<TFileFormat> FileFormats();
    // The class registered for extension (without dot, any case), or null.
    static TGraphicClass FileFormatClass(const std::string& extension);

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    std::unique_ptr<TGraphic> FGraphic;
};

// A graphic class that reads one file format, registered while this object lives.
class TFileFormatRegistration {
public:
    TFileFormatRegistration(const std::string& extension, const std::string& description, TGraphicClass graphicClass)
        : FGraphicClass(graphicClass)
    {
        TPicture::RegisterFileFormat(extension, description, graphicClass);
    }
    ~TFileFormatRegistration() { TPicture::UnregisterGraphicClass(FGraphicClass); }
    TFileFormatRegistration(const TFileFormatRegistration&) = delete;
    TFileFormatRegistration& operator=(const TFileFormatRegistration&) = delete;

private:
    TGraphicClass FGraphicClass;
};
