#include "susie/SPIBmp.h"

#include "susie/SPIs.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <utility>

namespace {

// The head block: what IsSupported sees at offset 0 and, past a MacBinary
// header, at offset 128.
constexpr size_t HeaderBlockSize = 2048 + 128;
constexpr int32_t MacBinaryOffsets[2] = {0, 128};

std::string FilePart(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void FreeBlock(void*& block)
{
    std::free(block);
    block = nullptr;
}

} // namespace

TInSPIAbleData::~TInSPIAbleData()
{
    Clear();
}

void TInSPIAbleData::Clear()
{
    FreeBlock(FBMInfoHandle);
    FreeBlock(FBMBitsHandle);
    // HInfo sits unaligned in the packed record.
    std::free(FPictureInfo.HInfo);
    FPictureInfo.HInfo = nullptr;
    FLayout = TDIBLayout{};
}

void TInSPIAbleData::DoProgress(TProgressStage Stage, uint8_t PercentDone, const std::string& Msg)
{
    if (OnProgress)
        OnProgress(FOwner, Stage, PercentDone, Stage == TProgressStage::psEnding, TRect{}, Msg);
}

std::vector<TSPI*> TInSPIAbleData::GetLoaderList() const
{
    std::vector<TSPI*> list;
    TSPIs* spis = TSPIs::Instance();
    if (spis == nullptr)
        return list;
    if (spis->GraphicForcedLoader != nullptr)
        list.push_back(spis->GraphicForcedLoader);
    else
        spis->FindPluginList({&TInSPI::ClassInfo}, FFileName, list);
    std::erase_if(list, [](TSPI* spi) { return !spi->Enabled(); });
    return list;
}

void TInSPIAbleData::Load()
{
    DoProgress(TProgressStage::psStarting, 0, "Loading Graphic by Susie Plugin");
    try {
        Clear();
        DoProgress(TProgressStage::psRunning, 1, "Seeking enabled Susie Plugins");
        const std::vector<TSPI*> candidates = GetLoaderList();
        uint8_t header[HeaderBlockSize] = {};
        ReadHeader(header, sizeof header);
        const TSPIs* spis = TSPIs::Instance();
        // Data known to be 128 bytes or less has nothing past a MacBinary
        // header; a file whose size is unknown is still offered at both offsets.
        const int64_t size = DataSize();
        const bool pastHeader = size < 0 || size > MacBinaryOffsets[1];
        const int tries = spis != nullptr && spis->MacBinary && pastHeader ? 2 : 1;
        for (TSPI* candidate : candidates) {
            bool decoded = false;
            for (int t = 0; t < tries && !decoded; ++t) {
                DoProgress(TProgressStage::psRunning, 1, "Loading by [" + FilePart(candidate->FileName()) + "]");
                LoadBy(static_cast<TInSPI&>(*candidate), header, MacBinaryOffsets[t]);
                decoded = !IsEmpty();
                if (!decoded)
                    Clear();
            }
            if (decoded)
                break;
        }
    } catch (...) {
        DoProgress(TProgressStage::psEnding, 100, "Loaded Graphic by Susie Plugin");
        throw;
    }
    DoProgress(TProgressStage::psEnding, 100, "Loaded Graphic by Susie Plugin");
}

void TInSPIAbleData::LoadBy(TInSPI& SPI, const uint8_t* Header, int32_t Offset)
{
    const std::string name = ToPluginFileName(FFileName);
    if (!FFileName.empty() && name.empty())
        return;
    if (SPI.IsSupported(name.c_str(), Header + Offset) == 0)
        return;
    // A failed call may leave anything in the record: only a success's text is kept.
    FPictureInfo = TPictureInfo{};
    TPictureInfo info{};
    LoadPictureInfo(SPI, Offset, info, FHasPictureInfo);
    if (FHasPictureInfo)
        FPictureInfo = info;
    const TSPIs* spis = TSPIs::Instance();
    if (spis != nullptr && spis->GraphicPreview) {
        LoadPreview(SPI, Offset, FBMInfoHandle, FBMBitsHandle);
        if (IsEmpty())
            LoadPicture(SPI, Offset, FBMInfoHandle, FBMBitsHandle);
    } else {
        LoadPicture(SPI, Offset, FBMInfoHandle, FBMBitsHandle);
    }
    if (IsEmpty())
        return;
    // The blocks come from outside code: a header that promises more than the
    // blocks hold fails the try like a failed decode.
    const auto layout =
        CheckPictureBlocks(FBMInfoHandle, PluginBlockSize(FBMInfoHandle), PluginBlockSize(FBMBitsHandle));
    if (!layout) {
        FreeBlock(FBMInfoHandle);
        FreeBlock(FBMBitsHandle);
        return;
    }
    FLayout = *layout;
}

void TInSPIAbleData::CallPicture(TInSPI& SPI, bool Preview, const char* Buf, int32_t Len, int32_t Flag,
                                 void*& HBMInfo, void*& HBM)
{
    void* info = nullptr;
    void* bits = nullptr;
    FProgressError = nullptr;
    const intptr_t data = reinterpret_cast<intptr_t>(this);
    const int32_t result = Preview ? SPI.GetPreview(Buf, Len, Flag, &info, &bits, &SPIProgressCallback, data)
                                   : SPI.GetPicture(Buf, Len, Flag, &info, &bits, &SPIProgressCallback, data);
    if (FProgressError) {
        if (result == 0) {
            std::free(info);
            std::free(bits);
        }
        std::rethrow_exception(std::exchange(FProgressError, nullptr));
    }
    HBMInfo = result == 0 ? info : nullptr;
    HBM = result == 0 ? bits : nullptr;
}

int32_t TInSPIAbleData::SPIProgressCallback(int32_t Num, int32_t Done, intptr_t Data)
{
    auto* self = reinterpret_cast<TInSPIAbleData*>(Data);
    if (self == nullptr || !self->OnProgress)
        return 0;
    // Nothing may unwind through the plug-in's frames: a handler's exception
    // stops the plug-in and is raised again once it has returned.
    try {
        self->DoProgress(TProgressStage::psRunning, static_cast<uint8_t>(MulDiv(Num, 97, Done) + 2), "");
        return 0;
    } catch (const EAbort&) {
        return 1;
    } catch (...) {
        self->FProgressError = std::current_exception();
        return 1;
    }
}

TInSPIAbleFromFile::TInSPIAbleFromFile(TPersistent* Owner, const std::string& FileName) : TInSPIAbleData(Owner)
{
    FFileName = FileName;
}

void TInSPIAbleFromFile::ReadHeader(uint8_t* Buffer, size_t Size)
{
    try {
        TFileStream file(FFileName, fmOpenRead);
        file.Read(Buffer, static_cast<int64_t>(Size));
    } catch (const Exception&) {
    }
}

int64_t TInSPIAbleFromFile::DataSize()
{
    std::error_code error;
    const auto size = std::filesystem::file_size(FFileName, error);
    return error ? -1 : static_cast<int64_t>(size);
}

void TInSPIAbleFromFile::LoadPictureInfo(TInSPI& SPI, int32_t Offset, TPictureInfo& Info, bool& HasInfo)
{
    const std::string name = ToPluginFileName(FFileName);
    HasInfo = !name.empty() && SPI.GetPictureInfo(name.c_str(), Offset, 0, &Info) == 0;
}

void TInSPIAbleFromFile::LoadPreview(TInSPI& SPI, int32_t Offset, void*& HBMInfo, void*& HBM)
{
    HBMInfo = HBM = nullptr;
    const std::string name = ToPluginFileName(FFileName);
    if (name.empty())
        return;
    try {
        CallPicture(SPI, true, name.c_str(), Offset, 0, HBMInfo, HBM);
    } catch (const ESPIInvalidAPI&) {
    }
}

void TInSPIAbleFromFile::LoadPicture(TInSPI& SPI, int32_t Offset, void*& HBMInfo, void*& HBM)
{
    HBMInfo = HBM = nullptr;
    const std::string name = ToPluginFileName(FFileName);
    if (!name.empty())
        CallPicture(SPI, false, name.c_str(), Offset, 0, HBMInfo, HBM);
}

TInSPIAbleFromStream::TInSPIAbleFromStream(TPersistent* Owner, TStream& Stream, const std::string& FileName)
    : TInSPIAbleData(Owner)
{
    FFileName = FileName;
    if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&Stream)) {
        FSource = memory->Memory();
    } else {
        FMemStream = std::make_unique<TMemoryStream>();
        FMemStream->LoadFromStream(Stream);
        FSource = FMemStream->Memory();
    }
    FSize = Stream.Size();
}

bool TInSPIAbleFromStream::Addressable(int32_t Offset) const
{
    return FSize > Offset && FSize <= std::numeric_limits<int32_t>::max();
}

void TInSPIAbleFromStream::ReadHeader(uint8_t* Buffer, size_t Size)
{
    const size_t count = std::min<uint64_t>(Size, static_cast<uint64_t>(std::max<int64_t>(FSize, 0)));
    if (count > 0)
        std::memcpy(Buffer, FSource, count);
}

void TInSPIAbleFromStream::LoadPictureInfo(TInSPI& SPI, int32_t Offset, TPictureInfo& Info, bool& HasInfo)
{
    HasInfo = Addressable(Offset) &&
              SPI.GetPictureInfo(reinterpret_cast<const char*>(FSource + Offset),
                                 static_cast<int32_t>(FSize - Offset), 1, &Info) == 0;
}

void TInSPIAbleFromStream::LoadPreview(TInSPI& SPI, int32_t Offset, void*& HBMInfo, void*& HBM)
{
    HBMInfo = HBM = nullptr;
    if (!Addressable(Offset))
        return;
    try {
        CallPicture(SPI, true, reinterpret_cast<const char*>(FSource + Offset), static_cast<int32_t>(FSize - Offset),
                    1, HBMInfo, HBM);
    } catch (const ESPIInvalidAPI&) {
    }
}

void TInSPIAbleFromStream::LoadPicture(TInSPI& SPI, int32_t Offset, void*& HBMInfo, void*& HBM)
{
    HBMInfo = HBM = nullptr;
    if (Addressable(Offset))
        CallPicture(SPI, false, reinterpret_cast<const char*>(FSource + Offset), static_cast<int32_t>(FSize - Offset),
                    1, HBMInfo, HBM);
}
