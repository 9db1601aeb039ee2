#include "platform/graphics/Picture.h"

#include "platform/core/Exceptions.h"
#include "platform/graphics/Bitmap.h"

#include <algorithm>
#include <cctype>

namespace {

struct ClipboardFormatEntry {
    unsigned format;
    TGraphicClass graphicClass;
};

// The registries, newest registration first. Bitmaps are known from the start.
struct Registry {
    std::vector<TFileFormat> files{{"bmp", "Bitmaps", &TBitmap::ClassInfo}};
    std::vector<ClipboardFormatEntry> clipboard{{CF_DIB, &TBitmap::ClassInfo}};
};

Registry& Formats()
{
    static Registry registry;
    return registry;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string ExtensionOf(const std::string& fileName)
{
    const size_t dot = fileName.find_last_of('.');
    const size_t slash = fileName.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    return fileName.substr(dot + 1);
}

TGraphicClass ClipboardClass(unsigned format)
{
    for (const ClipboardFormatEntry& entry : Formats().clipboard)
        if (entry.format == format)
            return entry.graphicClass;
    return nullptr;
}

std::unique_ptr<TGraphic> CopyOf(TGraphic& graphic)
{
    std::unique_ptr<TGraphic> copy = graphic.ClassType()->Create();
    copy->Assign(&graphic);
    return copy;
}

} // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::SetGraphic(std::unique_ptr<TGraphic> value)
{
    FGraphic = std::move(value);
    if (FGraphic)
        FGraphic->OnChange = [this](TPersistent*) {
            if (OnChange)
                OnChange(this);
        };
    if (OnChange)
        OnChange(this);
}

TBitmap& TPicture::Bitmap()
{
    auto* bitmap = dynamic_cast<TBitmap*>(FGraphic.get());
    if (!bitmap) {
        auto fresh = std::make_unique<TBitmap>();
        bitmap = fresh.get();
        SetGraphic(std::move(fresh));
    }
    return *bitmap;
}

int TPicture::Width() const
{
    return FGraphic ? FGraphic->Width() : 0;
}

int TPicture::Height() const
{
    return FGraphic ? FGraphic->Height() : 0;
}

void TPicture::Assign(TPersistent* Source)
{
    if (!Source) {
        SetGraphic(nullptr);
    } else if (auto* picture = dynamic_cast<TPicture*>(Source)) {
        if (picture != this)
            SetGraphic(picture->FGraphic ? CopyOf(*picture->FGraphic) : nullptr);
    } else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(CopyOf(*graphic));
    } else {
        TPersistent::Assign(Source);
    }
}

void TPicture::AssignTo(TPersistent* Dest)
{
    if (FGraphic && dynamic_cast<TGraphic*>(Dest))
        Dest->Assign(FGraphic.get());
    else
        TPersistent::AssignTo(Dest);
}

void TPicture::LoadFromFile(const std::string& fileName)
{
    const std::string extension = ExtensionOf(fileName);
    TGraphicClass cls = FileFormatClass(extension);
    if (!cls)
        throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    std::unique_ptr<TGraphic> graphic = cls->Create();
    graphic->LoadFromFile(fileName);
    SetGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName)
{
    if (FGraphic)
        FGraphic->SaveToFile(fileName);
}

void TPicture::LoadFromClipboardFormat(unsigned format, HGLOBAL data, HPALETTE palette)
{
    TGraphicClass cls = ClipboardClass(format);
    if (!cls)
        throw EInvalidGraphic("Unsupported clipboard format");
    std::unique_ptr<TGraphic> graphic = cls->Create();
    graphic->LoadFromClipboardFormat(format, data, palette);
    SetGraphic(std::move(graphic));
}

bool TPicture::SupportsClipboardFormat(unsigned format)
{
    return ClipboardClass(format) != nullptr;
}

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  TGraphicClass graphicClass)
{
    auto& files = Formats().files;
    files.insert(files.begin(), TFileFormat{Lower(extension), description, graphicClass});
}

void TPicture::RegisterClipboardFormat(unsigned format, TGraphicClass graphicClass)
{
    auto& clipboard = Formats().clipboard;
    clipboard.insert(clipboard.begin(), ClipboardFormatEntry{format, graphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass graphicClass)
{
    auto& files = Formats().files;
    std::erase_if(files, [&](const TFileFormat& f) { return f.GraphicClass == graphicClass; });
    auto& clipboard = Formats().clipboard;
    std::erase_if(clipboard, [&](const ClipboardFormatEntry& c) { return c.graphicClass == graphicClass; });
}

std::vector<TFileFormat> TPicture::FileFormats()
{
    return Formats().files;
}

TGraphicClass TPicture::FileFormatClass(const std::string& extension)
{
    const std::string wanted = Lower(extension);
    for (const TFileFormat& f : Formats().files)
        if (f.Extension == wanted)
            return f.GraphicClass;
    return nullptr;
}
