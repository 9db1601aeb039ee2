#include "SusieTestSupport.h"

#include "platform/graphics/Picture.h"
#include "platform/system/Files.h"
#include "platform/system/Registry.h"
#include "susie/SPIBmp.h"
#include "susie/SPIs.h"

#include <clocale>
#include <cstdlib>
#include <stdexcept>

namespace {

std::vector<std::string> Names(const TSPIs& spis)
{
    std::vector<std::string> names;
    for (int i = 0; i < spis.Count(); ++i)
        names.push_back(std::filesystem::path(spis.Plugins(i)->FileName()).filename().string());
    return names;
}

TEST(PluginRegistry, OnlyOneInstanceAtATime)
{
    TSPIs first;
    EXPECT_EQ(TSPIs::Instance(), &first);
    try {
        TSPIs second;
        FAIL() << "no exception";
    } catch (const ESPIDupCreateSPIs& e) {
        EXPECT_EQ(e.Message(), "TSPIs は複数生成できません");
    }
    EXPECT_EQ(TSPIs::Instance(), &first);
    EXPECT_THROW(first.Plugins(0), EListError);
    EXPECT_THROW(first.Insert(1, nullptr), EListError);
    EXPECT_THROW(first.Insert(-1, nullptr), EListError);
}

TEST(PluginRegistry, FolderWildcardSearchesThatFolderOnceWhateverTheSpelling)
{
    ScratchFolder folder;
    folder.AddPlugin("spi_pnm", "b.spi");
    folder.AddPlugin("spi_archive", "a.spi");
    folder.AddPlugin("spi_noinfo", "broken.spi");
    folder.Write("junk.spi", "not a library");
    folder.Write(".hidden.spi", "");
    std::filesystem::create_directory(folder.Path("dir.spi"));
    TSPIs spis;
    spis.SearchOptions = {};
    spis.Search(folder.Path() + "/*.SPI");
    EXPECT_EQ(Names(spis), (std::vector<std::string>{"a.spi", "b.spi"}));
    spis.Search(folder.Path() + "/../" + std::filesystem::path(folder.Path()).filename().string() + "/*.spi");
    EXPECT_EQ(spis.Count(), 2);

    // A plug-in installed as a link keeps the link's name, and is loaded once.
    const std::string links = folder.Path("links");
    std::filesystem::create_directory(links);
    const std::string target = folder.AddPlugin("spi_echo", "c.bin");
    std::filesystem::create_symlink(target, links + "/ifecho.spi");
    std::filesystem::create_symlink(target, links + "/other.spi");
    spis.Search(links + "/*.spi");
    ASSERT_EQ(spis.Count(), 3);
    EXPECT_EQ(spis.Plugins(2)->FileName(), links + "/ifecho.spi");
    spis.Clear();
    EXPECT_EQ(spis.Count(), 0);
}

TEST(PluginRegistry, SusieFolderComesFromTheUserRegistry)
{
    ScratchFolder folder;
    folder.AddPlugin("spi_pnm", "pnm.spi");
    const std::string config = folder.Path("config");
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    for (const std::string& path : {folder.Path(), folder.Path() + "/"}) {
        ASSERT_TRUE(RegistryWriteString(SusieRegistryKey, SusieRegistryValue, path));
        TSPIs spis;
        spis.SearchOptions = {spsSusieDir};
        spis.Loaded();
        EXPECT_EQ(Names(spis), std::vector<std::string>{"pnm.spi"}) << path;
    }
    ASSERT_TRUE(RegistryWriteString(SusieRegistryKey, SusieRegistryValue, ""));
    TSPIs spis;
    spis.SearchOptions = {spsSusieDir};
    spis.Loaded();
    EXPECT_EQ(spis.Count(), 0);
    ::unsetenv("XDG_CONFIG_HOME");
    // The working folder, when asked for.
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    spis.SearchOptions = {spsCurrentDir};
    spis.Loaded();
    std::filesystem::current_path(saved);
    EXPECT_EQ(Names(spis), std::vector<std::string>{"pnm.spi"});
    // And the program's own folder.
    const std::string name = "fv_beside_" + std::to_string(::getpid()) + ".spi";
    std::filesystem::copy_file(TestPlugin("spi_pnm"), GetExecutableDirectory() + name);
    spis.Clear();
    spis.SearchOptions = {spsAppDir};
    spis.Loaded();
    std::filesystem::remove(GetExecutableDirectory() + name);
    EXPECT_EQ(Names(spis), std::vector<std::string>{name});
}

TEST(PluginRegistry, SearchEventsDecideWhatIsLoadedAndKept)
{
    ScratchFolder folder;
    folder.AddPlugin("spi_pnm", "pnm.spi");
    folder.AddPlugin("spi_echo", "echo.spi");
    folder.AddPlugin("spi_archive", "archive.spi");
    TSPIs spis;
    std::vector<std::string> offered;
    spis.OnSearching = [&](TSPIs*, const std::string& path, bool& accept) {
        offered.push_back(path);
        accept = path.find("archive") == std::string::npos;
    };
    spis.OnSearch = [](TSPIs*, TSPI* spi, bool& accept) { accept = spi->Infomation() != "Echo test plug-in"; };
    spis.Search(folder.Path() + "/*.spi");
    EXPECT_EQ(offered.size(), 3u);
    EXPECT_EQ(Names(spis), std::vector<std::string>{"pnm.spi"});
    // A plug-in whose formats cannot be registered is taken out again.
    spis.OnPictureRegister = [](TSPIs*, TInSPI*, const std::string&, const std::string&, TGraphicClass&) {
        throw std::runtime_error("refused");
    };
    EXPECT_THROW(spis.Insert(0, std::make_unique<TInSPI>(folder.Path("echo.spi"))), std::runtime_error);
    EXPECT_EQ(Names(spis), std::vector<std::string>{"pnm.spi"});
}

TEST(PluginRegistry, PictureExtensionsRegisterLastPatternFirstArchivesNone)
{
    ScratchFolder folder;
    folder.AddPlugin("spi_pnm", "pnm.spi");
    folder.AddPlugin("spi_archive", "archive.spi");
    TSPIs::SetDefaultGraphic(&TSPIBitmap::ClassInfo);
    TSPIs spis;
    std::vector<std::string> registered;
    // A handler that takes the class away keeps the format that was there.
    TPicture::RegisterFileFormat("pnm", "Earlier", &TGraphic::ClassInfo);
    spis.OnPictureRegister = [&](TSPIs*, TInSPI*, const std::string& extension, const std::string& description,
                                 TGraphicClass& graphicClass) {
        registered.push_back(extension + "=" + description);
        EXPECT_EQ(graphicClass, &TSPIBitmap::ClassInfo);
        if (extension == "pnm")
            graphicClass = nullptr;
    };
    spis.Search(folder.Path() + "/*.spi");
    EXPECT_EQ(spis.Count(), 2);
    EXPECT_EQ(registered, (std::vector<std::string>{"ppm=Portable pixmap", "pnm=Portable pixmap", "pgm=Portable graymap"}));
    EXPECT_EQ(TPicture::FileFormatClass("PPM"), &TSPIBitmap::ClassInfo);
    EXPECT_EQ(TPicture::FileFormatClass("pnm"), &TGraphic::ClassInfo);
    EXPECT_EQ(TPicture::FileFormatClass("var"), nullptr);
    TPicture::UnregisterGraphicClass(&TSPIBitmap::ClassInfo);
    TPicture::UnregisterGraphicClass(&TGraphic::ClassInfo);
    TSPIs::SetDefaultGraphic(nullptr);
}

TEST(PluginRegistry, MatchingPluginsComeFirstInReverseOrder)
{
    ScratchFolder folder;
    folder.AddPlugin("spi_pnm", "a.spi");
    folder.AddPlugin("spi_pnm", "b.spi");
    folder.AddPlugin("spi_echo", "c.spi");
    folder.AddPlugin("spi_archive", "d.spi");
    TSPIs spis;
    spis.Search(folder.Path() + "/*.spi");
    ASSERT_EQ(spis.Count(), 4);
    std::vector<TSPI*> list;
    spis.FindPluginList({&TInSPI::ClassInfo}, "/photos/PICTURE.PGM", list);
    EXPECT_EQ(list, (std::vector<TSPI*>{spis.Plugins(1), spis.Plugins(0), spis.Plugins(2)}));
    list.clear();
    // Only the last pattern of an entry counts: ".pnm" comes before ";".
    spis.FindPluginList({&TLoaderSPI::ClassInfo}, "x.pnm", list);
    EXPECT_EQ(list, (std::vector<TSPI*>{spis.Plugins(0), spis.Plugins(1), spis.Plugins(2), spis.Plugins(3)}));

    // Letters beyond ASCII compare without case by the user's locale.
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    folder.AddPlugin("spi_accented", "e.spi");
    spis.Search(folder.Path() + "/*.spi");
    list.clear();
    spis.FindPluginList({&TInSPI::ClassInfo}, "PHOTO.ÄPNG", list);
    std::setlocale(LC_CTYPE, saved.c_str());
    EXPECT_EQ(list.front(), spis.Plugins(4));
    TSPI* third = spis.Plugins(2);
    spis.Exchange(0, 2);
    EXPECT_EQ(spis.IndexOf(third), 0);
    spis.Remove(third);
    spis.Remove(third);
    EXPECT_EQ(Names(spis), (std::vector<std::string>{"b.spi", "a.spi", "d.spi", "e.spi"}));
    EXPECT_THROW(spis.Exchange(4, 1), EListError);
    EXPECT_THROW(spis.Exchange(1, 4), EListError);
}

} // namespace
