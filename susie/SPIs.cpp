#include "susie/SPIs.h"

#include "platform/core/TextEncoding.h"
#include "platform/graphics/Picture.h"
#include "platform/system/Files.h"
#include "platform/system/Registry.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>

namespace {

TSPIs* instance = nullptr;
TGraphicClass defaultGraphic = nullptr;

// The text from the last '.' on, empty when the last path component has none.
std::string Extension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    const size_t slash = name.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && slash > dot))
        return {};
    return name.substr(dot);
}


std::string CanonicalPath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

} // namespace

TSPIs::TSPIs()
{
    if (instance != nullptr)
        throw ESPIDupCreateSPIs("TSPIs は複数生成できません");
    instance = this;
}

TSPIs::~TSPIs()
{
    if (instance == this)
        instance = nullptr;
    Clear();
}

TSPIs* TSPIs::Instance()
{
    return instance;
}

void TSPIs::SetDefaultGraphic(TGraphicClass Value)
{
    defaultGraphic = Value;
}

TGraphicClass TSPIs::GetDefaultGraphic()
{
    return defaultGraphic;
}

void TSPIs::Loaded()
{
    if (AutoSearch)
        Search("*.spi");
}

void TSPIs::Insert(int Idx, std::unique_ptr<TSPI> ASPI)
{
    if (Idx < 0 || Idx > Count())
        throw EListError("List index out of bounds (" + std::to_string(Idx) + ")");
    TSPI* spi = ASPI.get();
    FPlugins.insert(FPlugins.begin() + Idx, std::move(ASPI));
    if (!spi->InheritsFrom(&TInSPI::ClassInfo))
        return;
    try {
        RegisterPictureFormats(static_cast<TInSPI&>(*spi));
    } catch (...) {
        FPlugins.erase(FPlugins.begin() + Idx);
        throw;
    }
}

void TSPIs::RegisterPictureFormats(TInSPI& ASPI)
{
    const std::vector<std::string>& patterns = ASPI.ExtNames();
    for (size_t i = 0; i < patterns.size(); ++i) {
        TGraphicClass graphicClass = GetDefaultGraphic();
        const std::string& description = ASPI.FileTypes()[i];
        // The patterns of one entry are offered from the last to the first.
        std::string rest = patterns[i];
        while (!rest.empty()) {
            const size_t semicolon = rest.rfind(';');
            const std::string part = semicolon == std::string::npos ? rest : rest.substr(semicolon + 1);
            rest = semicolon == std::string::npos ? std::string() : rest.substr(0, semicolon);
            const size_t dot = part.find('.');
            const std::string extension = dot == std::string::npos ? part : part.substr(dot + 1);
            if (OnPictureRegister)
                OnPictureRegister(this, &ASPI, extension, description, graphicClass);
            if (graphicClass != nullptr)
                TPicture::RegisterFileFormat(extension, description, graphicClass);
        }
    }
}

void TSPIs::Delete(int Idx)
{
    // The forced loader is not owned: it must not outlive its plug-in.
    if (Plugins(Idx) == GraphicForcedLoader)
        GraphicForcedLoader = nullptr;
    FPlugins.erase(FPlugins.begin() + Idx);
}

void TSPIs::Remove(TSPI* ASPI)
{
    const int index = IndexOf(ASPI);
    if (index >= 0)
        Delete(index);
}

int TSPIs::IndexOf(const TSPI* ASPI) const
{
    for (int i = 0; i < Count(); ++i)
        if (FPlugins[i].get() == ASPI)
            return i;
    return -1;
}

int TSPIs::IndexOfSPIName(const std::string& ASPIName) const
{
    // File names are case-sensitive here, and one library reached through two
    // spellings of its path (links, "..") must still count once.
    const std::string canonical = CanonicalPath(ASPIName);
    for (int i = 0; i < Count(); ++i)
        if (CanonicalPath(FPlugins[i]->FileName()) == canonical)
            return i;
    return -1;
}

void TSPIs::Exchange(int Idx1, int Idx2)
{
    Plugins(Idx1);
    Plugins(Idx2);
    std::swap(FPlugins[Idx1], FPlugins[Idx2]);
}

void TSPIs::Clear()
{
    while (Count() > 0)
        Delete(0);
}

TSPI* TSPIs::Plugins(int Idx) const
{
    if (Idx < 0 || Idx >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Idx) + ")");
    return FPlugins[Idx].get();
}

void TSPIs::FindPluginList(const std::vector<TSPIClass>& SPIClasses, const std::string& FileName,
                           std::vector<TSPI*>& List) const
{
    const std::string extension = Extension(FileName);
    for (const auto& spi : FPlugins) {
        if (std::none_of(SPIClasses.begin(), SPIClasses.end(),
                         [&](TSPIClass kind) { return spi->InheritsFrom(kind); }))
            continue;
        // Only the last pattern of an entry counts.
        const bool matches =
            !extension.empty() && std::any_of(spi->ExtNames().begin(), spi->ExtNames().end(), [&](const std::string& p) {
                const size_t dot = p.rfind('.');
                return dot != std::string::npos && SameTextIgnoringCase(p.substr(dot), extension);
            });
        if (matches)
            List.insert(List.begin(), spi.get());
        else
            List.push_back(spi.get());
    }
}

void TSPIs::Search(const std::string& AWildCard)
{
    const size_t slash = AWildCard.rfind('/');
    if (slash != std::string::npos) {
        SearchFolder(AWildCard.substr(0, slash + 1), AWildCard.substr(slash + 1));
        return;
    }
    for (TSPISearchOption option : {spsSusieDir, spsAppDir, spsCurrentDir, spsSystemDir, spsWindowsDir}) {
        if (!SearchOptions.contains(option))
            continue;
        std::string folder;
        switch (option) {
        case spsSusieDir:
            folder = RegistryReadString(SusieRegistryKey, SusieRegistryValue).value_or("");
            break;
        case spsAppDir:
            folder = GetExecutableDirectory();
            break;
        case spsCurrentDir: {
            std::error_code error;
            folder = std::filesystem::current_path(error).string();
            break;
        }
        case spsSystemDir:
        case spsWindowsDir:
            // This platform has no system plug-in folders.
            break;
        }
        if (folder.empty())
            continue;
        if (folder.back() != '/')
            folder += '/';
        SearchFolder(folder, AWildCard);
    }
}

void TSPIs::SearchFolder(const std::string& Folder, const std::string& Mask)
{
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(Folder, error)) {
        const std::string name = entry.path().filename().string();
        std::error_code kindError;
        if (name.starts_with('.') || !entry.is_regular_file(kindError) ||
            ::fnmatch(Mask.c_str(), name.c_str(), FNM_CASEFOLD) != 0)
            continue;
        paths.push_back(Folder + name);
    }
    // Directory order is arbitrary here; name order makes the list the same at every start.
    std::sort(paths.begin(), paths.end());
    for (const std::string& path : paths) {
        // One faulty library never stops the search.
        try {
            if (IndexOfSPIName(path) >= 0)
                continue;
            bool accept = true;
            if (OnSearching)
                OnSearching(this, path, accept);
            if (!accept)
                continue;
            std::unique_ptr<TSPI> spi = CreatePluginByVersion(path);
            if (!spi)
                continue;
            accept = true;
            if (OnSearch)
                OnSearch(this, spi.get(), accept);
            if (accept)
                Add(std::move(spi));
        } catch (...) {
        }
    }
}
