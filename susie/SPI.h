// One loaded image plug-in library (TSPI) and its kinds, chosen by the
// API-version string the library reports: picture importers (TInSPI),
// archive extractors (TAmSPI) and "00XN" libraries (TXnSPI).
#pragma once

#include "platform/core/Exceptions.h"
#include "platform/system/DynamicLibrary.h"
#include "susie/SusiePlugin.h"

#include <memory>
#include <string>
#include <vector>

FV_DECLARE_EXCEPTION(ESPIInvalidSPI, Exception);
FV_DECLARE_EXCEPTION(ESPIInvalidAPI, Exception);
FV_DECLARE_EXCEPTION(ESPIFOpenErrorSPI, Exception);
FV_DECLARE_EXCEPTION(ESPIDupCreateSPIs, Exception);

class TSPI;
// A plug-in kind: its creation and its place in the class tree.
struct TSPIClassInfo {
    const char* Name;
    const TSPIClassInfo* Parent;
    std::unique_ptr<TSPI> (*Create)(const std::string& fileName);
};
using TSPIClass = const TSPIClassInfo*;

class TSPI {
public:
    static const TSPIClassInfo ClassInfo;
    // Loads the library and reads its information entries; raises
    // ESPIFOpenErrorSPI when it does not load and ESPIInvalidAPI when an
    // export the kind needs is missing.
    explicit TSPI(const std::string& AFileName);
    virtual ~TSPI();
    TSPI(const TSPI&) = delete;
    TSPI& operator=(const TSPI&) = delete;

    virtual TSPIClass ClassType() const { return &ClassInfo; }
    bool InheritsFrom(TSPIClass kind) const;

    HMODULE DllHandle() const { return FDllHandle; }
    const std::string& FileName() const { return FFileName; }
    const std::string& Version() const { return FVersion; }
    const std::string& Infomation() const { return FInfomation; }
    const std::vector<std::string>& ExtNames() const { return FExtNames; }
    const std::vector<std::string>& FileTypes() const { return FFileTypes; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }

    // The export of that name, or null.
    void* ProcAddress(const std::string& AProcName) const;

    int32_t GetPluginInfo(int32_t InfoNo, char* Buf, int32_t BufLen);
    int32_t ConfigurationDlg(void* Parent, int32_t Fnc);

protected:
    // Loads the library and finds the exports; the most derived kind's
    // constructor then runs Initialize, so that its own CheckAPIs is the one used.
    struct Deferred {};
    TSPI(const std::string& AFileName, Deferred);
    // Raises ESPIInvalidAPI for the first export this kind needs that is missing.
    virtual void CheckAPIs();
    virtual bool DefaultEnabled() const { return false; }
    // Checks the exports and reads the information entries.
    void Initialize();
    void RequireAPI(const void* entry, const char* name) const;

    HMODULE FDllHandle = nullptr;
    std::string FFileName;
    std::string FVersion;
    std::string FInfomation;
    std::vector<std::string> FExtNames;
    std::vector<std::string> FFileTypes;
    bool FEnabled = false;
    TGetPluginInfo FGetPluginInfo = nullptr;
    TIsSupported FIsSupported = nullptr;
    TGetPictureInfo FGetPictureInfo = nullptr;
    TGetPicture FGetPicture = nullptr;
    TGetPreview FGetPreview = nullptr;
    TGetArchiveInfo FGetArchiveInfo = nullptr;
    TGetFileInfo FGetFileInfo = nullptr;
    TGetFile FGetFile = nullptr;
    TConfigurationDlg FConfigurationDlg = nullptr;
};

class TLoaderSPI : public TSPI {
public:
    static const TSPIClassInfo ClassInfo;
    explicit TLoaderSPI(const std::string& AFileName);
    TSPIClass ClassType() const override { return &ClassInfo; }
    int32_t IsSupported(const char* FileName, const void* DW);

protected:
    TLoaderSPI(const std::string& AFileName, Deferred) : TSPI(AFileName, Deferred{}) {}
    void CheckAPIs() override;
};

class TInSPI : public TLoaderSPI {
public:
    static const TSPIClassInfo ClassInfo;
    explicit TInSPI(const std::string& AFileName);
    TSPIClass ClassType() const override { return &ClassInfo; }
    int32_t GetPictureInfo(const char* Buf, int32_t Len, int32_t Flag, TPictureInfo* Info);
    int32_t GetPicture(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                       TProgressCallback ProgressCallBack, intptr_t Data);
    int32_t GetPreview(const char* Buf, int32_t Len, int32_t Flag, void** HBMInfo, void** HBM,
                       TProgressCallback ProgressCallBack, intptr_t Data);

protected:
    void CheckAPIs() override;
    bool DefaultEnabled() const override { return true; }
};

class TAmSPI : public TLoaderSPI {
public:
    static const TSPIClassInfo ClassInfo;
    explicit TAmSPI(const std::string& AFileName);
    TSPIClass ClassType() const override { return &ClassInfo; }
    int32_t GetArchiveInfo(const char* Buf, int32_t Len, uint16_t Flag, void** FileInfoHandle);
    int32_t GetFileInfo(const char* Buf, int32_t Len, const char* FileName, uint16_t Flag, TFileInfo* FileInfo);
    int32_t GetFile(const char* Src, int32_t Len, const char* Dest, uint16_t Flag,
                    TProgressCallback ProgressCallback, intptr_t Data);

protected:
    void CheckAPIs() override;
    bool DefaultEnabled() const override { return true; }
};

class TXnSPI : public TSPI {
public:
    static const TSPIClassInfo ClassInfo;
    explicit TXnSPI(const std::string& AFileName);
    TSPIClass ClassType() const override { return &ClassInfo; }
};

// Loads FileName as the kind its version string names; null when it is no
// loadable plug-in. ESPIInvalidAPI and every other failure pass on.
std::unique_ptr<TSPI> CreatePluginByVersion(const std::string& FileName);

// The path handed to plug-ins: FileName as the file system holds it, or
// empty when there is none or it is too long for a plug-in's path buffer.
std::string ToPluginFileName(const std::string& FileName);
