// TSPIs, the one registry of loaded image plug-ins: it searches the plug-in
// folders, keeps the plug-ins in order, registers the picture plug-ins'
// extensions with TPicture and picks the plug-ins to try for a file.
#pragma once

#include "platform/graphics/Graphic.h"
#include "susie/SPI.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TSPIs;

enum TSPISearchOption { spsSusieDir, spsAppDir, spsCurrentDir, spsSystemDir, spsWindowsDir };
using TSPISearchOptions = std::set<TSPISearchOption>;

using TSPISearchEvent = std::function<void(TSPIs* Sender, TSPI* ASPI, bool& Accept)>;
using TSPISearchingEvent = std::function<void(TSPIs* Sender, const std::string& FileName, bool& Accept)>;
using TSPIPictureRegisterEvent =
    std::function<void(TSPIs* Sender, TInSPI* ASPI, const std::string& AExtension,
                       const std::string& ADescription, TGraphicClass& AGraphicClass)>;

// The user's registry key and value naming the shared plug-in folder.
inline constexpr char SusieRegistryKey[] = "\\Software\\Quillmar\\Susie\\Plug-in";
inline constexpr char SusieRegistryValue[] = "Path";

class TSPIs {
public:
    // Raises ESPIDupCreateSPIs "TSPIs は複数生成できません" while another instance exists.
    TSPIs();
    ~TSPIs();
    TSPIs(const TSPIs&) = delete;
    TSPIs& operator=(const TSPIs&) = delete;

    // The one instance, or null.
    static TSPIs* Instance();
    static void SetDefaultGraphic(TGraphicClass Value);
    static TGraphicClass GetDefaultGraphic();

    // Runs Search("*.spi") when AutoSearch is set; the owner calls it once its properties are set.
    void Loaded();

    void Add(std::unique_ptr<TSPI> ASPI) { Insert(Count(), std::move(ASPI)); }
    void Insert(int Idx, std::unique_ptr<TSPI> ASPI);
    void Delete(int Idx);
    void Remove(TSPI* ASPI);
    int IndexOf(const TSPI* ASPI) const;
    // The plug-in loaded from that file (compared as canonical paths), or -1.
    int IndexOfSPIName(const std::string& ASPIName) const;
    void Exchange(int Idx1, int Idx2);
    void Clear();
    int Count() const { return static_cast<int>(FPlugins.size()); }
    // Raises EListError for an index outside the list.
    TSPI* Plugins(int Idx) const;

    // Appends to List the plug-ins of the given kinds: those whose extension
    // matches FileName's first (last one first), then the others in order.
    void FindPluginList(const std::vector<TSPIClass>& SPIClasses, const std::string& FileName,
                        std::vector<TSPI*>& List) const;
    // A wildcard with a folder searches that folder alone; a bare mask
    // searches the folders of SearchOptions.
    void Search(const std::string& AWildCard);

    TSPISearchOptions SearchOptions = {spsSusieDir, spsAppDir};
    TSPISearchEvent OnSearch;
    TSPISearchingEvent OnSearching;
    TSPIPictureRegisterEvent OnPictureRegister;
    bool AutoSearch = true;
    bool MacBinary = true;
    bool GraphicPreview = false;
    TInSPI* GraphicForcedLoader = nullptr;

private:
    void SearchFolder(const std::string& Folder, const std::string& Mask);
    void RegisterPictureFormats(TInSPI& ASPI);

    std::vector<std::unique_ptr<TSPI>> FPlugins;
};
