#include "AppTestSupport.h"
#include "MenuTestSupport.h"

#include "app/HelpCommands.h"
#include "app/ProgramIcon.h"
#include "app/ini.h"
#include "app/susie.h"
#include "app/version.h"
#include "platform/system/Files.h"
#include "platform/system/Registry.h"
#include "platform/ui/ShellOpen.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <cstdlib>
#include <sys/stat.h>

namespace {

// The user's registry in a scratch folder, naming folder as the Susie folder (none when empty).
struct SusieFolder {
    explicit SusieFolder(const std::string& folder)
    {
        ::setenv("XDG_CONFIG_HOME", (Scratch / "config").c_str(), 1);
        if (!folder.empty())
            RegistryWriteString(SusieRegistryKey, SusieRegistryValue, folder);
    }
    ~SusieFolder() { ::unsetenv("XDG_CONFIG_HOME"); }
    std::filesystem::path Scratch = ScratchFolder("susiefolder");
};

// Runs the Help menu item; Drive acts on the dialog once its modal loop runs.
void RunHelpItem(TMainForm& form, const char* caption, const std::function<void(QWidget&)>& Drive)
{
    RunMenuDialog(form, {"ヘルプ(&H)", caption}, Drive);
}

TEST(PluginList, LinesComeFromThePluginsFoundInTheSusieFolder)
{
    CaptureMessages capture;
    {
        SusieFolder susie(FV_TEST_PLUGIN_DIR);
        TMainForm form(nullptr, ScratchFolder("pluginlist").string() + "/");
        ASSERT_NE(form.SPIs1, nullptr);
        // The libraries lacking required exports are not listed.
        EXPECT_EQ(form.SPIs1->Count(), 6);
        ASSERT_EQ(PluginDescriptions.size(), 6u);
        EXPECT_EQ(PluginDescriptions[4], "SPI_PNM.SPI    *.pnm;*.ppm" + std::string(34, ' ') + "Portable pixmap");
        EXPECT_EQ(PluginDescriptions[1], "SPI_ARCHIVE.SPI*.var" + std::string(40, ' ') + "Variant");

        RunHelpItem(form, "SusiePlugIn(&S)...", [](QWidget& dialog) {
            auto& list = dynamic_cast<TSusieForm&>(dialog);
            EXPECT_EQ(list.windowTitle(), "SusiePlugIn");
            EXPECT_EQ(list.Memo1->toPlainText().split('\n').size(), 6);
            EXPECT_TRUE(list.Memo1->toPlainText().contains("SPI_ECHO.SPI   *.echo"));
            EXPECT_EQ(QFontInfo(list.Memo1->font()).family(), "IPAGothic");
            // Sizing the window lays it out again.
            list.resize(list.minimumSize() + QSize(37, 23));
            const QRect button = list.Button1->geometry();
            EXPECT_EQ(list.width() - button.right() - 1, 20);
            EXPECT_EQ(list.height() - button.bottom() - 1, 2);
            EXPECT_EQ(button.top() - list.Memo1->geometry().bottom() - 1, 3);
            list.Button1->click();
        });
        EXPECT_EQ(SusieForm, nullptr);
    }
    SusieFolder none("");
    TMainForm form(nullptr, ScratchFolder("pluginlist").string() + "/");
    EXPECT_EQ(PluginDescriptions, std::vector<std::string>{"None"});
}

TEST(AboutBox, ShowsNameAndVersionAndClosesWithOK)
{
    CaptureMessages capture;
    TMainForm form(nullptr, ScratchFolder("about").string() + "/");
    RunHelpItem(form, "バージョン情報(&A)...", [](QWidget& dialog) {
        auto& about = dynamic_cast<TVersionForm&>(dialog);
        EXPECT_EQ(about.windowTitle(), "バージョン情報");
        EXPECT_EQ(about.Label1->text(), "Farovinter ぽるてぃか ver1.1.4.15");
        EXPECT_TRUE(about.Label2->text().startsWith("製作者"));
        // The program's own icon, drawn at the image's 33 x 33: a frame
        // round a picture whose sky is blue.
        const QImage shown = about.Image1->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(shown.size(), QSize(33, 33));
        EXPECT_EQ(shown, ProgramIcon().pixmap(33, 33).toImage().convertToFormat(QImage::Format_ARGB32));
        EXPECT_EQ(qAlpha(shown.pixel(16, 4)), 255);
        const QColor sky = shown.pixelColor(11, 11);
        EXPECT_GT(sky.blue(), sky.red() + 40);
        about.Button1->click();
    });
    EXPECT_EQ(VersionForm, nullptr);
    TVersionForm about(&form);
    QTimer::singleShot(0, [&] { about.close(); });
    EXPECT_EQ(about.ShowModal(), mrOk);
    // Drawn, not scaled, at every size a desktop asks for, and at the about box's.
    const QList<QSize> drawn = ProgramIcon().availableSizes();
    for (const int size : {16, 22, 24, 32, 33, 48, 64, 128, 256})
        EXPECT_TRUE(drawn.contains(QSize(size, size))) << size;
}

TEST(AboutBox, DoubleClickOnTheIconResetsTheSettingsToTheFullDefaultText)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("hidden");
    TMainForm form(nullptr, dir.string() + "/");
    const std::string edited = "[Option]\r\nUseHiddenFunction=No\r\n[Set]\r\nFittingThreshold=3\r\n[Old]\r\nGone=1\r\n";
    // The settings file is a link: the reset puts a new file in its place and leaves what it led to.
    WriteFile(dir / "elsewhere.ini", edited);
    std::filesystem::remove(SettingsPath);
    std::filesystem::create_symlink(dir / "elsewhere.ini", SettingsPath);
    CreateDefaultIni((dir / "expected.ini").string(), true);
    TVersionForm about(&form);

    capture.Shown.Answer = mrNo;
    // Only a double click asks.
    QTest::mouseClick(about.Image1, Qt::LeftButton);
    QTest::mouseDClick(about.Image1, Qt::LeftButton);
    ASSERT_EQ(capture.Shown.Dialogs.size(), 1u);
    EXPECT_EQ(capture.Shown.Dialogs[0].Text, "隠し機能を有効にしますか？\r\n(Farovinter.iniが初期に戻されます。)");
    EXPECT_EQ(capture.Shown.Dialogs[0].Type, TMsgDlgType::mtInformation);
    EXPECT_EQ(capture.Shown.Dialogs[0].Buttons, mbYes | mbNo);
    EXPECT_EQ(ReadFile(SettingsPath), edited);
    EXPECT_FALSE(form.HiddenFunctionFlag);

    capture.Shown.Answer = mrYes;
    for (int i = 0; i < 2; ++i) {
        QTest::mouseDClick(about.Image1, Qt::LeftButton);
        EXPECT_EQ(ReadFile(SettingsPath), ReadFile(dir / "expected.ini"));
    }
    EXPECT_FALSE(std::filesystem::is_symlink(SettingsPath));
    EXPECT_EQ(ReadFile(dir / "elsewhere.ini"), edited);
    EXPECT_TRUE(form.HiddenFunctionFlag);
}

// Records what the desktop is asked to open, answering whether a program took it.
struct RecordingOpener {
    RecordingOpener()
    {
        SetUrlOpener([this](const QUrl& url) {
            Opened.push_back(url);
            return Answer;
        });
    }
    ~RecordingOpener() { SetUrlOpener({}); }
    std::vector<QUrl> Opened;
    bool Answer = true;
};

TEST(HelpCommands, TheBuildPutsTheHelpDocumentBesideTheProgramAndHelpOpensIt)
{
    CaptureMessages capture;
    const std::string page = ReadFile(std::filesystem::path(FV_PROGRAM).parent_path() / "readme.html");
    EXPECT_NE(page.find("<html lang=\"ja\">"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    TMainForm form(nullptr, ScratchFolder("helpdocument").string() + "/");
    RecordingOpener opener;
    QAction* help = MenuItem(form, {"ヘルプ(&H)", "ヘルプ(&H)..."});
    ASSERT_NE(help, nullptr);
    help->trigger();
    // The suite runs as the program does, with the same document beside it.
    ASSERT_EQ(opener.Opened.size(), 1u);
    ASSERT_TRUE(opener.Opened[0].isLocalFile());
    EXPECT_EQ(opener.Opened[0].toLocalFile().toStdString(), GetExecutableDirectory() + "readme.html");
    EXPECT_EQ(ReadFile(opener.Opened[0].toLocalFile().toStdString()), page);
    EXPECT_TRUE(capture.Shown.Dialogs.empty());

    // Missing, or a folder or a FIFO by that name: nothing to open.
    const auto folder = ScratchFolder("helpfolder");
    std::filesystem::create_directory(folder / "readme.html");
    const auto fifo = ScratchFolder("helpfifo");
    ASSERT_EQ(::mkfifo((fifo / "readme.html").c_str(), 0600), 0);
    for (const auto& dir : {ScratchFolder("nohelp"), folder, fifo})
        OpenHelpDocument(dir.string() + "/");
    EXPECT_EQ(opener.Opened.size(), 1u);
    ASSERT_EQ(capture.Shown.Dialogs.size(), 3u);
    for (const TDialogRequest& shown : capture.Shown.Dialogs)
        EXPECT_EQ(shown.Text, "ファイルは存在しません");
}

TEST(HelpCommands, HomePageAndMailOpenThroughTheDesktopOrSayThatNoProgramCould)
{
    CaptureMessages capture;
    TMainForm form(nullptr, ScratchFolder("helpaddresses").string() + "/");
    RecordingOpener opener;
    form.hpClick();
    form.mailClick();
    ASSERT_EQ(opener.Opened.size(), 2u);
    EXPECT_EQ(opener.Opened[0].host(), "example.org");
    EXPECT_EQ(opener.Opened[1].toString(), "mailto:author@example.org");
    EXPECT_TRUE(capture.Shown.Dialogs.empty());

    opener.Answer = false;
    form.hpClick();
    form.mailClick();
    form.N6Click();
    const std::string text = "開くプログラムが見つかりません。\r\n";
    ASSERT_EQ(capture.Shown.Dialogs.size(), 3u);
    EXPECT_EQ(capture.Shown.Dialogs[0].Text, text + "https://example.org/farovinter/");
    EXPECT_EQ(capture.Shown.Dialogs[1].Text, text + "mailto:author@example.org");
    EXPECT_EQ(capture.Shown.Dialogs[2].Text, text + GetExecutableDirectory() + "readme.html");
}

} // namespace

namespace {

// A 3 x 2 colour picture in the test plug-in's format.
std::string Ppm()
{
    return std::string("P6\n3 2\n255\n") + std::string("\xFF\0\0\0\xFF\0\0\0\xFF\xFF\xFF\xFF\0\0\0\x80\x80\x80", 18);
}

TEST(PluginFiles, OtherFormatsOpenThroughThePluginsFromTheCommandLineAndTheOpenPath)
{
    CaptureMessages capture;
    SusieFolder susie(FV_TEST_PLUGIN_DIR);
    const auto dir = ScratchFolder("pluginfiles");
    const std::string picture = (dir / "colours.ppm").string();
    WriteFile(picture, Ppm());
    TMainForm form(nullptr, dir.string() + "/");
    form.CommandLine = {"farovinter", QString::fromStdString(picture)};
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Document().OpenFlag; }));
    EXPECT_TRUE(capture.Shown.Dialogs.empty());
    ASSERT_EQ(CurrentImage->Width(), 3);
    EXPECT_EQ(CurrentImage->Height(), 2);
    EXPECT_EQ(CurrentImage->GetPixels(0, 0), 0x0000FFu);
    EXPECT_EQ(CurrentImage->GetPixels(2, 1), 0x808080u);
    EXPECT_TRUE(form.Document().OpenFlag);
    // A plug-in's file cannot be written back in its own format.
    EXPECT_FALSE(form.Document().UpSaveFlag);

    const std::string grey = (dir / "grey.pgm").string();
    WriteFile(grey, std::string("P5 2 2 255\n") + std::string("\x00\x40\x80\xFF", 4));
    form.LodeImageFile(grey);
    EXPECT_EQ(CurrentImage->BitCount(), 8);
    EXPECT_EQ(form.Document().Count(), 2u);

    const std::string unknown = (dir / "unknown.xyz").string();
    WriteFile(unknown, "no plug-in reads this");
    form.LodeImageFile(unknown);
    ASSERT_EQ(capture.Shown.Dialogs.size(), 1u);
    EXPECT_EQ(capture.Shown.Dialogs[0].Text, "未対応の形式です。");
    EXPECT_EQ(CurrentImage->BitCount(), 8);
}

} // namespace
