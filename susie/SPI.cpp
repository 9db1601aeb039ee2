#include "susie/SPI.h"

#include "platform/core/TextEncoding.h"

#include <cstring>

namespace {

// The information entries are read into 256-byte buffers of which the
// plug-in may fill 255, so a text always ends inside the buffer.
constexpr int32_t InfoBufferSize = 256;
// A plug-in that answers every entry number would otherwise keep the loop
// going for ever; no real plug-in lists this many formats.
constexpr int MaxFormatEntries = 256;

template <typename T> T Export(HMODULE module, const char* name)
{
    return reinterpret_cast<T>(GetProcAddress(module, name));
}

template <typename Kind> std::unique_ptr<TSPI> CreateKind(const std::string& fileName)
{
    return std::make_unique<Kind>(fileName);
}

} // namespace

const TSPIClassInfo TSPI::ClassInfo = {"TSPI", nullptr, &CreateKind<TSPI>};
const TSPIClassInfo TLoaderSPI::ClassInfo = {"TLoaderSPI", &TSPI::ClassInfo, &CreateKind<TLoaderSPI>};
const TSPIClassInfo TInSPI::ClassInfo = {"TInSPI", &TLoaderSPI::ClassInfo, &CreateKind<TInSPI>};
const TSPIClassInfo TAmSPI::ClassInfo = {"TAmSPI", &TLoaderSPI::ClassInfo, &CreateKind<TAmSPI>};
const TSPIClassInfo TXnSPI::ClassInfo = {"TXnSPI", &TSPI::ClassInfo, &CreateKind<TXnSPI>};

TSPI::TSPI(const std::string& AFileName, Deferred)
{
    FDllHandle = LoadLibrary(AFileName);
    if (FDllHandle == nullptr)
        throw ESPIFOpenErrorSPI(AFileName + ":Susie Pluginがロードできませんでした");
    const std::string loaded = GetModuleFileName(FDllHandle);
    FFileName = loaded.empty() ? AFileName : loaded;
    FGetPluginInfo = Export<TGetPluginInfo>(FDllHandle, "GetPluginInfo");
    FConfigurationDlg = Export<TConfigurationDlg>(FDllHandle, "ConfigurationDlg");
    FIsSupported = Export<TIsSupported>(FDllHandle, "IsSupported");
    FGetPictureInfo = Export<TGetPictureInfo>(FDllHandle, "GetPictureInfo");
    FGetPicture = Export<TGetPicture>(FDllHandle, "GetPicture");
    FGetPreview = Export<TGetPreview>(FDllHandle, "GetPreview");
    FGetArchiveInfo = Export<TGetArchiveInfo>(FDllHandle, "GetArchiveInfo");
    FGetFileInfo = Export<TGetFileInfo>(FDllHandle, "GetFileInfo");
    FGetFile = Export<TGetFile>(FDllHandle, "GetFile");
}

TSPI::TSPI(const std::string& AFileName) : TSPI(AFileName, Deferred{})
{
    Initialize();
}

TSPI::~TSPI()
{
    if (FDllHandle != nullptr)
        FreeLibrary(FDllHandle);
}

void TSPI::Initialize()
{
    CheckAPIs();
    // Every buffer starts zeroed, so a plug-in that writes nothing gives an
    // empty text instead of the previous entry's.
    char buffer[InfoBufferSize] = {};
    if (GetPluginInfo(0, buffer, InfoBufferSize - 1) > 0)
        FVersion.assign(buffer, ::strnlen(buffer, InfoBufferSize));
    std::memset(buffer, 0, sizeof buffer);
    if (GetPluginInfo(1, buffer, InfoBufferSize - 1) > 0)
        FInfomation.assign(buffer, ::strnlen(buffer, InfoBufferSize));
    for (int32_t infoNo = 2; infoNo < 2 + 2 * MaxFormatEntries; infoNo += 2) {
        char pattern[InfoBufferSize] = {};
        char type[InfoBufferSize] = {};
        if (GetPluginInfo(infoNo, pattern, InfoBufferSize - 1) <= 0 ||
            GetPluginInfo(infoNo + 1, type, InfoBufferSize - 1) <= 0)
            break;
        FExtNames.push_back(AnsiToUtf8({pattern, ::strnlen(pattern, InfoBufferSize)}));
        FFileTypes.push_back(AnsiToUtf8({type, ::strnlen(type, InfoBufferSize)}));
    }
    FEnabled = DefaultEnabled();
}

bool TSPI::InheritsFrom(TSPIClass kind) const
{
    for (TSPIClass c = ClassType(); c != nullptr; c = c->Parent)
        if (c == kind)
            return true;
    return false;
}

void* TSPI::ProcAddress(const std::string& AProcName) const
{
    return GetProcAddress(FDllHandle, AProcName.c_str());
}

void TSPI::RequireAPI(const void* entry, const char* name) const
{
    if (entry == nullptr)
        throw ESPIInvalidAPI(std::string(name) + "は[" + FFileName + "]では使えないSusie Plugin APIです");
}

void TSPI::CheckAPIs()
{
    RequireAPI(reinterpret_cast<const void*>(FGetPluginInfo), "GetPluginInfo");
}

int32_t TSPI::GetPluginInfo(int32_t InfoNo, char* Buf, int32_t BufLen)
{
    RequireAPI(reinterpret_cast<const void*>(FGetPluginInfo), "GetPluginInfo");
    return FGetPluginInfo(InfoNo, Buf, BufLen);
}

int32_t TSPI::ConfigurationDlg(void* Parent, int32_t Fnc)
{
    RequireAPI(reinterpret_cast<const void*>(FConfigurationDlg), "ConfigurationDlg");
    return FConfigurationDlg(Parent, Fnc);
}

TLoaderSPI::TLoaderSPI(const std::string& AFileName) : TSPI(AFileName, Deferred{})
{
    Initialize();
}

void TLoaderSPI::CheckAPIs()
{
    TSPI::CheckAPIs();
    RequireAPI(reinterpret_cast<const void*>(FIsSupported), "IsSupported");
}

int32_t TLoaderSPI::IsSupported(const char* FileName, const void* DW)
{
    RequireAPI(reinterpret_cast<const void*>(FIsSupported), "IsSupported");
    return FIsSupported(FileName, DW);
}

TInSPI::TInSPI(const std::string& AFileName) : TLoaderSPI(AFileName, Deferred{})
{
    Initialize();
}

void TInSPI::CheckAPIs()
{
    TLoaderSPI::CheckAPIs();
    RequireAPI(reinterpret_cast<const void*>(FGetPictureInfo), "GetPictureInfo");
    RequireAPI(reinterpret_cast<const void*>(FGetPicture), "GetPicture");
}

int32_t TInSPI::GetPictureInfo(const char* Buf, int32_t Len, int32_t Flag, TPictureInfo* Info)
{
    RequireAPI(reinterpret_cast<const void*>(FGetPictureInfo), "GetPictureInfo");
    return FGetPictureInfo(Buf, Len, Flag, Info);
}

int32_t TInSPI::GetPicture(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                           TProgressCallback ProgressCallBack, intptr_t Data)
{
    RequireAPI(reinterpret_cast<const void*>(FGetPicture), "GetPicture");
    return FGetPicture(Buf, Len, Flag, HBMInfo, HBM, ProgressCallBack, Data);
}

int32_t TInSPI::GetPreview(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                           TProgressCallback ProgressCallBack, intptr_t Data)
{
    RequireAPI(reinterpret_cast<const void*>(FGetPreview), "GetPreview");
    return FGetPreview(Buf, Len, Flag, HBMInfo, HBM, ProgressCallBack, Data);
}

TAmSPI::TAmSPI(const std::string& AFileName) : TLoaderSPI(AFileName, Deferred{})
{
    Initialize();
}

void TAmSPI::CheckAPIs()
{
    TLoaderSPI::CheckAPIs();
    RequireAPI(reinterpret_cast<const void*>(FGetArchiveInfo), "GetArchiveInfo");
    RequireAPI(reinterpret_cast<const void*>(FGetFileInfo), "GetFileInfo");
    RequireAPI(reinterpret_cast<const void*>(FGetFile), "GetFile");
}

int32_t TAmSPI::GetArchiveInfo(const char* Buf, int32_t Len, uint16_t Flag, void** FileInfoHandle)
{
    RequireAPI(reinterpret_cast<const void*>(FGetArchiveInfo), "GetArchiveInfo");
    return FGetArchiveInfo(Buf, Len, Flag, FileInfoHandle);
}

int32_t TAmSPI::GetFileInfo(const char* Buf, int32_t Len, const char* FileName, uint16_t Flag,
                            TFileInfo* FileInfo)
{
    RequireAPI(reinterpret_cast<const void*>(FGetFileInfo), "GetFileInfo");
    return FGetFileInfo(Buf, Len, FileName, Flag, FileInfo);
}

int32_t TAmSPI::GetFile(const char* Src, int32_t Len, const char* Dest, uint16_t Flag,
                        TProgressCallback ProgressCallback, intptr_t Data)
{
    RequireAPI(reinterpret_cast<const void*>(FGetFile), "GetFile");
    return FGetFile(Src, Len, Dest, Flag, ProgressCallback, Data);
}

TXnSPI::TXnSPI(const std::string& AFileName) : TSPI(AFileName, Deferred{})
{
    Initialize();
}

std::unique_ptr<TSPI> CreatePluginByVersion(const std::string& FileName)
{
    try {
        const TSPI probe(FileName);
        TSPIClass kind = &TSPI::ClassInfo;
        if (probe.Version() == "00IN")
            kind = &TInSPI::ClassInfo;
        else if (probe.Version() == "00AM")
            kind = &TAmSPI::ClassInfo;
        else if (probe.Version() == "00XN")
            kind = &TXnSPI::ClassInfo;
        // The library is opened a second time, so the kind's own checks run.
        return kind->Create(FileName);
    } catch (const ESPIInvalidSPI&) {
        return nullptr;
    } catch (const ESPIFOpenErrorSPI&) {
        return nullptr;
    }
}

std::string ToPluginFileName(const std::string& FileName)
{
    // Plug-ins keep paths in buffers of the platform's classic 260-byte
    // limit; a longer path would overrun them, and no short form exists here.
    constexpr size_t MaxPluginPath = 260;
    return FileName.size() < MaxPluginPath ? FileName : std::string();
}
