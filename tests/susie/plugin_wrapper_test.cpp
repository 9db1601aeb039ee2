#include "susie/SPI.h"
#include "susie/SPIsHelper.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <utility>

namespace {

std::string Plugin(const std::string& name)
{
    return std::string(FV_TEST_PLUGIN_DIR) + "/" + name + ".spi";
}

std::string ApiError(const std::string& api, const std::string& file)
{
    return api + "は[" + file + "]では使えないSusie Plugin APIです";
}

TEST(PluginWrapper, KindFollowsTheVersionString)
{
    const auto pnm = CreatePluginByVersion(Plugin("spi_pnm"));
    ASSERT_NE(pnm, nullptr);
    EXPECT_EQ(pnm->ClassType(), &TInSPI::ClassInfo);
    EXPECT_TRUE(pnm->Enabled());
    EXPECT_EQ(pnm->Version(), "00IN");
    EXPECT_EQ(pnm->Infomation(), "PNM test plug-in");
    EXPECT_EQ(pnm->FileName(), Plugin("spi_pnm"));
    EXPECT_EQ(pnm->ExtNames(), (std::vector<std::string>{"*.pnm;*.ppm", "*.pgm"}));
    EXPECT_EQ(pnm->FileTypes(), (std::vector<std::string>{"Portable pixmap", "Portable graymap"}));

    const auto archive = CreatePluginByVersion(Plugin("spi_archive"));
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->ClassType(), &TAmSPI::ClassInfo);
    EXPECT_TRUE(archive->Enabled());
    auto& am = static_cast<TAmSPI&>(*archive);
    void* handle = &handle;
    EXPECT_EQ(am.GetArchiveInfo("a", 0, 0, &handle), 0);
    EXPECT_EQ(handle, nullptr);
    TFileInfo entry;
    std::memset(&entry, 0xFF, sizeof entry);
    EXPECT_EQ(am.GetFileInfo("a", 0, "b", 0, &entry), 0);
    EXPECT_EQ(uint32_t{entry.FileSize}, 0u);
    EXPECT_EQ(am.GetFile("a", 7, "b", 0, nullptr, 0), 7);
    // Each of the archive exports is required.
    for (const char* lacking : {"spi_noarchiveinfo", "spi_nofileinfo", "spi_nogetfile"})
        EXPECT_THROW(TAmSPI(Plugin(lacking)), ESPIInvalidAPI) << lacking;
    // The plain loader kind checks its own exports.
    EXPECT_EQ(TLoaderSPI(Plugin("spi_archive")).Version(), "00AM");
    EXPECT_THROW(TLoaderSPI(Plugin("spi_noloader")), ESPIInvalidAPI);

    const auto xn = CreatePluginByVersion(Plugin("spi_xn"));
    ASSERT_NE(xn, nullptr);
    EXPECT_EQ(xn->ClassType(), &TXnSPI::ClassInfo);
    EXPECT_FALSE(xn->Enabled());
    // Its description entry claims a text and writes none: not the version's left-overs.
    EXPECT_EQ(xn->Version(), "00XN");
    EXPECT_EQ(xn->Infomation(), "");
    // It answers every entry: its formats are read up to the limit.
    EXPECT_EQ(xn->ExtNames().size(), 256u);
}

TEST(PluginWrapper, VersionDifferingInCaseGivesAPlainDisabledPlugin)
{
    auto spi = CreatePluginByVersion(Plugin("spi_lowercase"));
    ASSERT_NE(spi, nullptr);
    EXPECT_EQ(spi->ClassType(), &TSPI::ClassInfo);
    EXPECT_FALSE(spi->Enabled());
    // Entry 4 has no description in entry 5: it is dropped.
    EXPECT_EQ(spi->ExtNames(), std::vector<std::string>{"*.var"});
    EXPECT_EQ(spi->FileTypes(), std::vector<std::string>{"Variant"});
    // A description that fills the buffer it is given leaves room for the end of the text.
    EXPECT_EQ(spi->Infomation(), std::string(254, 'd'));
    // Let go, its library is unloaded.
    spi.reset();
    void* still = ::dlopen(Plugin("spi_lowercase").c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(still, nullptr);
    if (still != nullptr)
        ::dlclose(still);
}

TEST(PluginWrapper, MissingRequiredExportsRaiseNamingTheExport)
{
    const std::pair<const char*, const char*> cases[] = {{"spi_noinfo", "GetPluginInfo"},
                                                         {"spi_noloader", "IsSupported"},
                                                         {"spi_nopictureinfo", "GetPictureInfo"},
                                                         {"spi_nopicture", "GetPicture"}};
    for (const auto& [name, missing] : cases) {
        try {
            CreatePluginByVersion(Plugin(name));
            ADD_FAILURE() << name << ": no exception";
        } catch (const ESPIInvalidAPI& e) {
            EXPECT_EQ(e.Message(), ApiError(missing, Plugin(name)));
        }
    }
    TInSPI pnm(Plugin("spi_pnm"));
    void* info = nullptr;
    void* bits = nullptr;
    EXPECT_THROW(pnm.GetPreview("", 0, 1, &info, &bits, nullptr, 0), ESPIInvalidAPI);
    EXPECT_THROW(pnm.ConfigurationDlg(nullptr, 0), ESPIInvalidAPI);
    EXPECT_NE(pnm.ProcAddress("GetPicture"), nullptr);
    EXPECT_EQ(pnm.ProcAddress("GetPreview"), nullptr);
}

TEST(PluginWrapper, FilesThatAreNoLibraryGiveNoPlugin)
{
    const auto dir = std::filesystem::temp_directory_path() / ("fv_spi_wrapper_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    // A Windows library fails like any file that does not load.
    std::ofstream(dir / "windows.spi", std::ios::binary) << std::string("MZ\x90\0\3\0\0\0", 8) << std::string(200, '\0');
    std::ofstream(dir / "text.spi") << "not a library";
    EXPECT_EQ(CreatePluginByVersion((dir / "windows.spi").string()), nullptr);
    EXPECT_EQ(CreatePluginByVersion((dir / "text.spi").string()), nullptr);
    EXPECT_EQ(CreatePluginByVersion((dir / "missing.spi").string()), nullptr);
    try {
        TSPI spi((dir / "text.spi").string());
        FAIL() << "no exception";
    } catch (const ESPIFOpenErrorSPI& e) {
        EXPECT_EQ(e.Message(), (dir / "text.spi").string() + ":Susie Pluginがロードできませんでした");
    }
    std::filesystem::remove_all(dir);
}

TEST(PluginWrapper, PluginFileNamesStopAtTheClassicPathLimit)
{
    EXPECT_EQ(ToPluginFileName(""), "");
    const std::string fits = "/" + std::string(258, 'a');
    EXPECT_EQ(ToPluginFileName(fits), fits);
    EXPECT_EQ(ToPluginFileName(fits + "a"), "");
    EXPECT_EQ(ToPluginFileName("/tmp/写真.pnm"), "/tmp/写真.pnm");
}

TEST(PluginWrapper, ProgressScalingRoundsHalvesAwayFromZeroWhateverTheSigns)
{
    EXPECT_EQ((std::vector<int32_t>{MulDiv(1, 97, 2), MulDiv(-1, 97, 2), MulDiv(1, -97, 2), MulDiv(1, 97, -2),
                                    MulDiv(-1, -97, 2), MulDiv(1, 97, 3), MulDiv(-2, 97, 3)}),
              (std::vector<int32_t>{49, -49, -49, -49, 49, 32, -65}));
    // No quotient, or one past 32 bits, answers -1.
    EXPECT_EQ(MulDiv(5, 7, 0), -1);
    EXPECT_EQ(MulDiv(INT32_MAX, 2, 1), -1);
    EXPECT_EQ(std::pair(MulDiv(INT32_MAX, 2, 2), MulDiv(INT32_MIN, 2, 2)), std::pair(INT32_MAX, INT32_MIN));
}

} // namespace
