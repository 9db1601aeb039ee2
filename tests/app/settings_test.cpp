#include "AppTestSupport.h"
#include "MenuTestSupport.h"
#include "ModalDriver.h"
#include "app/Settings.h"
#include "app/ini.h"
#include "app/main.h"
#include "app/pngoption.h"
#include "platform/ui/Screens.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

TEST(DefaultSettings, TextIsByteForByteWithAndWithoutTheOptimiserSections)
{
    const std::string first = DefaultIniText(false);
    EXPECT_EQ(first.size(), 118u + 2u);
    EXPECT_EQ(first.substr(0, 29), "[Set]\r\nFittingThreshold =10\r\n");
    EXPECT_EQ(first.substr(first.size() - 14), "Mode = 9\r\n\r\n\r\n");

    const std::string both = DefaultIniText(true);
    EXPECT_EQ(both.size(), 118u + 151u + 2u);
    EXPECT_EQ(both.substr(0, 118), first.substr(0, 118));
    EXPECT_EQ(both.substr(118, 34), "[Option]\r\nUseHiddenFunction =Yes\r\n");
    const std::string tail = "\r\n[PNGRewrite]\r\nUse =No\r\nPath =\r\nParam =\r\n";
    EXPECT_EQ(both.substr(both.size() - tail.size()), tail);
}

TEST(DefaultSettings, CreateWritesTheFileAndRaisesWhenItCannot)
{
    const auto dir = ScratchFolder("create");
    CreateDefaultIni((dir / "Farovinter.ini").string(), false);
    EXPECT_EQ(ReadFile(dir / "Farovinter.ini"), DefaultIniText(false));
    EXPECT_ANY_THROW(CreateDefaultIni((dir / "missing" / "Farovinter.ini").string(), false));
}

TEST(IniAccessors, BooleansReadTrueOnlyForTheFourWords)
{
    const auto dir = ScratchFolder("bool");
    const std::string path = (dir / "t.ini").string();
    WriteFile(path, "[S]\na = yes \nb=On\nc=y\nd=1\ne=TRUE\nf=2\ng=\nh=\" YES \"\n");
    for (const char* key : {"a", "b", "c", "d", "h"})
        EXPECT_TRUE(IniReadBool(path, "S", key)) << key;
    for (const char* key : {"e", "f", "g", "missing"})
        EXPECT_FALSE(IniReadBool(path, "s", key)) << key;
    IniWriteBool(path, "S", "a", false);
    EXPECT_FALSE(IniReadBool(path, "S", "a"));
    EXPECT_EQ(IniReadString(path, "S", "a"), "No");
    IniWriteInteger(path, "T", "n", -5);
    EXPECT_EQ(IniReadInteger(path, "T", "n"), -5);
    EXPECT_EQ(IniReadInteger(path, "T", "missing"), 0);
}

TEST(IniAccessors, SnappingDistanceTakesTheLowByte)
{
    EXPECT_EQ(FittingThresholdFromIni(21), 10);
    EXPECT_EQ(FittingThresholdFromIni(300), 10);
    EXPECT_EQ(FittingThresholdFromIni(20), 20);
    EXPECT_EQ(FittingThresholdFromIni(0), 0);
    EXPECT_EQ(FittingThresholdFromIni(256), 0);
    EXPECT_EQ(FittingThresholdFromIni(276), 20);
    EXPECT_EQ(FittingThresholdFromIni(-1), 10);
}

TEST(ReadSettings, ReadsEveryValueWholeAndUsesOneLogFile)
{
    const auto dir = ScratchFolder("read");
    const std::string path = (dir / "Farovinter.ini").string();
    const std::string longPath = "/opt/tools/" + std::string(300, 'p') + "/optipng";
    WriteFile(path, "[Set]\r\nFittingThreshold = 276\r\n[Form]\r\nLeft=1800\r\nTop=100\r\nRight=2000\r\nBottom=300\r\n"
                    "Maximized = yes\r\n[Option]\r\nUseHiddenFunction =Yes\r\nOutputLogFile=on\r\n"
                    "StdLogPath = \"/var/log/opt.log\" \r\n[OptiPNG]\r\nUse=1\r\nPath=" + longPath +
                    "\r\nParam=-o7\r\n[PNGOut]\r\nUse=No\r\n[Option]\r\nStdLogPath=ignored\r\n");
    const TSettingsValues v = ReadSettings(path);
    EXPECT_EQ(v.FittingThreshold, 20);
    EXPECT_EQ(v.FormRect, (TRect{1800, 100, 2000, 300}));
    EXPECT_TRUE(v.Maximized);
    EXPECT_TRUE(v.HiddenFunctionFlag);
    EXPECT_TRUE(v.LogFlag);
    EXPECT_EQ(v.StdLogPath, "/var/log/opt.log");
    EXPECT_EQ(v.ErrLogPath, v.StdLogPath);
    EXPECT_TRUE(v.OptiPNG.Flag);
    EXPECT_EQ(v.OptiPNG.Path, longPath);
    EXPECT_EQ(v.OptiPNG.Param, "-o7");
    EXPECT_FALSE(v.PNGOut.Flag);
    EXPECT_EQ(v.PNGRewrite.Path, "");
}

TEST(ReadSettings, TheMainWindowTakesEachToolAndItsParametersAndASaveRunsThemInOrder)
{
    CaptureMessages capture;
    {
        // Each flag read the other way round.
        const auto other = ScratchFolder("tools_other");
        WriteFile(other / "Farovinter.ini", "[OptiPNG]\r\nUse=No\r\n[PNGOut]\r\nUse=Yes\r\n[PNGRewrite]\r\nUse=No\r\n");
        const TMainForm flipped(nullptr, other.string() + "/");
        EXPECT_TRUE(!flipped.OptiPNGFlag && flipped.PNGOutFlag && !flipped.PNGRewriteFlag);
    }
    const auto dir = ScratchFolder("tools");
    const auto calls = dir / "calls";
    std::string ini = "[Option]\r\nOutputLogFile=Yes\r\nStdLogPath=" + (dir / "log").string() + "\r\n";
    const char* const sections[] = {"OptiPNG", "PNGOut", "PNGRewrite"};
    for (int i = 0; i < 3; ++i) {
        const auto tool = dir / ("tool" + std::to_string(i));
        WriteFile(tool, "#!/bin/sh\necho \"${0##*/} $*\" >> \"" + calls.string() + "\"\n");
        ::chmod(tool.c_str(), 0755);
        ini += std::string("[") + sections[i] + "]\r\nUse=" + (i == 1 ? "No" : "Yes") + "\r\nPath=" + tool.string() + "\r\nParam=-" +
               std::to_string(i) + " x" + std::to_string(i) + "\r\n";
    }
    WriteFile(dir / "Farovinter.ini", ini);
    TMainForm form(nullptr, dir.string() + "/");
    EXPECT_TRUE(form.LogFlag);
    EXPECT_EQ(form.StdLogPath, (dir / "log").string());
    EXPECT_EQ(form.ErrLogPath, form.StdLogPath);
    EXPECT_EQ(form.PNGOutPath, (dir / "tool1").string());
    EXPECT_TRUE(form.OptiPNGFlag && !form.PNGOutFlag && form.PNGRewriteFlag);
    TFvDIB image;
    FillImage(image, 5, 3);
    OpenDocument(form, image);
    const std::string png = (dir / "out.png").string();
    ChooseFile(png, 3);
    // The boxes are hidden, but each tool that is found runs.
    WhenShown<TPNGOptionForm>([](TPNGOptionForm& f) { f.Button1->click(); });
    form.Save2Click();
    EXPECT_EQ(ReadFile(calls), "tool0 -0 x0 " + png + "\ntool1 -1 x1 " + png + "\ntool2 -2 x2 " + png + "\n");
    EXPECT_TRUE(capture.Shown.Dialogs.empty());
}

TEST(ReadSettings, MissingKeysReadAsZeroFalseAndEmpty)
{
    const auto dir = ScratchFolder("missing");
    const std::string path = (dir / "Farovinter.ini").string();
    WriteFile(path, "[Size]\r\nMode = 9\r\n");
    const TSettingsValues v = ReadSettings(path);
    EXPECT_EQ(v.FittingThreshold, 0);
    EXPECT_EQ(v.FormRect, (TRect{0, 0, 0, 0}));
    EXPECT_FALSE(v.Maximized);
    EXPECT_FALSE(v.HiddenFunctionFlag);
}

TEST(WindowSettings, ExitRewritesOnlyTheWindowKeysInTheirSpelling)
{
    const auto dir = ScratchFolder("write");
    const std::string path = (dir / "Farovinter.ini").string();
    WriteFile(path, DefaultIniText(false));
    WriteWindowSettings(path, 10, TRect{191, 104, 560, 480}, true);
    EXPECT_EQ(ReadFile(path), "[Set]\r\nFittingThreshold=10\r\n\r\n[Form]\r\nTop=104\r\nLeft=191\r\nRight=560\r\n"
                              "Bottom=480\r\nMaximized=Yes\r\n\r\n[Size]\r\nMode = 9\r\n\r\n\r\n");
}

TEST(WindowPlacement, RectangleIsFittedToTheMonitorKeepingItsSize)
{
    const TRect monitor{0, 0, 1920, 1080};
    EXPECT_EQ(FitRectToMonitor({1800, 100, 2000, 300}, monitor), (TRect{1720, 100, 1920, 300}));
    EXPECT_EQ(FitRectToMonitor({100, 100, 2100, 300}, monitor), (TRect{0, 100, 2000, 300}));
    EXPECT_EQ(FitRectToMonitor({-50, -60, 100, 100}, monitor), (TRect{0, 0, 150, 160}));
    EXPECT_EQ(FitRectToMonitor({0, 500, 100, 1700}, monitor), (TRect{0, 0, 100, 1200}));
    // Nonsense from a hand-edited file must not overflow.
    const TRect wild = FitRectToMonitor({-2147483647, 0, 2147483647, 10}, monitor);
    EXPECT_EQ(wild.Left, 0);
    // The nearest monitor shares the most area; one shared row or column counts.
    const std::vector<TRect> two{monitor, {1920, 0, 3840, 1080}};
    EXPECT_EQ(NearestMonitor({{0, 1080, 1920, 2160}, monitor}, {100, 1079, 200, 1080}), 1);
    EXPECT_EQ(NearestMonitor({{1920, 0, 3840, 1080}, monitor}, {1919, 100, 1920, 200}), 1);
    EXPECT_EQ(NearestMonitor(two, {1900, 100, 1961, 200}), 1);
    EXPECT_EQ(NearestMonitor(two, {1800, 100, 1961, 200}), 0);
    // An even share goes to the first.
    EXPECT_EQ(NearestMonitor(two, {1900, 100, 1940, 200}), 0);
    // Sharing none, the closest; as close to both, the first.
    EXPECT_EQ(NearestMonitor(two, {2000, 1100, 2100, 1200}), 1);
    EXPECT_EQ(NearestMonitor(two, {1900, 1100, 1940, 1200}), 0);
}

TEST(SettingsLocation, FallsBackToTheUserFolderAndMigratesWithoutReplacing)
{
    const auto dir = ScratchFolder("location");
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    EXPECT_EQ(SettingsDirectory((dir / "no-such-folder/").string()), (dir / "Farovinter").string() + "/");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Farovinter"));
    EXPECT_EQ(SettingsDirectory(dir.string() + "/"), dir.string() + "/");

    const std::string folder = dir.string() + "/";
    WriteFile(dir / "Form.ini", "old");
    EXPECT_EQ(MigrateSettings(folder), folder + "Farovinter.ini");
    EXPECT_EQ(ReadFile(dir / "Farovinter.ini"), "old");
    EXPECT_FALSE(std::filesystem::exists(dir / "Form.ini"));

    WriteFile(dir / "Form.ini", "older");
    MigrateSettings(folder);
    EXPECT_EQ(ReadFile(dir / "Farovinter.ini"), "old");
    EXPECT_EQ(ReadFile(dir / "Form.ini"), "older");

    // Names that exist but cannot be read (links to themselves) are neither moved nor replaced.
    const auto looped = ScratchFolder("location_looped");
    for (const char* name : {"Form.ini", "Farovinter.ini"})
        std::filesystem::create_symlink(name, looped / name);
    {
        TMainForm form(nullptr, looped.string() + "/");
    }
    for (const char* name : {"Form.ini", "Farovinter.ini"})
        EXPECT_TRUE(std::filesystem::is_symlink(looped / name)) << name;
}

} // namespace
