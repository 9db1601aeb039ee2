#include "AppTestSupport.h"
#include "app/ini.h"
#include "app/main.h"
#include "platform/system/PrivateProfile.h"
#include "platform/ui/Image.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <sys/resource.h>

namespace {

std::string Folder(const std::filesystem::path& dir)
{
    return dir.string() + "/";
}

TEST(MainWindow, FirstStartWritesTheDefaultTextAndTheWindowKeysAtExit)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("first");
    {
        TMainForm form(nullptr, Folder(dir));
        EXPECT_EQ(SettingsPath, Folder(dir) + "Farovinter.ini");
        EXPECT_EQ(ReadFile(dir / "Farovinter.ini"), DefaultIniText(false));
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Farovinterぽるてぃか"));
        EXPECT_EQ(PluginDescriptions, std::vector<std::string>{"None"});
        EXPECT_TRUE(form.FittingThreshold());
        EXPECT_EQ(form.FittingThresholdValue(), 10);
        ShowWindow(form);
        EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(191, 104));
        EXPECT_EQ(form.size(), QSize(369, 328 + form.menuBar()->height()));
        // The status bar's four panels, two pixels apart, the size centred, and no size grip.
        const auto panels = form.statusBar()->findChildren<QLabel*>();
        ASSERT_EQ(panels.size(), 4);
        EXPECT_EQ(panels[3]->x() - panels[0]->x(), 30 + 130 + 300 + 3 * 2);
        EXPECT_EQ(panels[1]->alignment(), Qt::AlignCenter);
        EXPECT_FALSE(form.statusBar()->isSizeGripEnabled());
    }
    const std::string text = ReadFile(dir / "Farovinter.ini");
    EXPECT_EQ(text.substr(0, 28), "[Set]\r\nFittingThreshold=10\r\n");
    EXPECT_NE(text.find("Top=104\r\nLeft=191\r\n"), std::string::npos);
    EXPECT_NE(text.find("Maximized=No\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Size]\r\nMode = 9\r\n"), std::string::npos);
    EXPECT_TRUE(capture.Shown.Dialogs.empty());
    EXPECT_EQ(CurrentImage, nullptr);
}

TEST(MainWindow, SavedRectangleIsFittedToTheNearestMonitorAndSavedBackUnchanged)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("place");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    WriteRect(dir / "Farovinter.ini", {screen.right() - 99, 100, screen.right() + 401, 400});
    {
        TMainForm form(nullptr, Folder(dir));
        ShowWindow(form);
        EXPECT_EQ(form.frameGeometry(), QRect(screen.right() + 1 - 500, 100, 500, 300));
    }
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), (TRect{screen.right() + 1 - 500, 100, screen.right() + 1, 400}));
}

TEST(MainWindow, BackwardsOrMissingRectangleGivesTheSmallestSize)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("small");
    WriteRect(dir / "Farovinter.ini", {300, 200, 100, 100});
    {
        TMainForm form(nullptr, Folder(dir));
        ShowWindow(form);
        EXPECT_EQ(form.size(), form.minimumSize());
        EXPECT_EQ(form.minimumSize(), QSize(332, 200));
    }
    // Far right of the screen and backwards: still fitted onto the screen at the smallest size.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    WriteRect(dir / "Farovinter.ini", {screen.right() + 3000, 100, 100, 300});
    TMainForm form(nullptr, Folder(dir));
    ShowWindow(form);
    EXPECT_EQ(form.size(), form.minimumSize());
    EXPECT_EQ(form.frameGeometry().right(), screen.right());
    EXPECT_EQ(form.frameGeometry().top(), 100);
}

TEST(MainWindow, RectanglesLargerThanTheDesktopAreCutToItAndSavedSo)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("huge");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize desktop = QGuiApplication::primaryScreen()->availableVirtualSize();
    const int most = std::numeric_limits<int>::max();
    const int least = std::numeric_limits<int>::min();
    // A tall rectangle keeps its top on the screen's; a boundless one fills the desktop.
    const std::pair<TRect, QRect> cases[] = {
        {{100, 100, 500, 99999999}, QRect(100, screen.top(), 400, desktop.height())},
        {{least, least, most, most}, QRect(screen.topLeft(), desktop)},
    };
    for (const auto& [read, placed] : cases) {
        WriteRect(dir / "Farovinter.ini", read);
        {
            TMainForm form(nullptr, Folder(dir));
            ShowWindow(form);
            EXPECT_EQ(form.frameGeometry(), placed);
        }
        EXPECT_EQ(SavedRect(dir / "Farovinter.ini"),
                  (TRect{placed.left(), placed.top(), placed.right() + 1, placed.bottom() + 1}));
    }
}

TEST(MainWindow, MaximisedStateIsRestoredAndTheNormalRectangleKept)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("max");
    WriteRect(dir / "Farovinter.ini", {10, 20, 510, 420}, true);
    {
        TMainForm form(nullptr, Folder(dir));
        ShowWindow(form);
        EXPECT_TRUE(form.isMaximized());
    }
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), (TRect{10, 20, 510, 420}));
    EXPECT_TRUE(IniReadBool((dir / "Farovinter.ini").string(), "Form", "maximized"));
}

TEST(MainWindow, SettingsFileThatCannotBeCreatedIsReported)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("nocreate");
    {
        TMainForm form(nullptr, Folder(dir / "missing"));
        ASSERT_EQ(capture.Shown.Dialogs.size(), 1u);
        EXPECT_EQ(capture.Shown.Dialogs[0].Text, "Error\n\rFarovinter.iniが生成できません。");
        EXPECT_EQ(capture.Shown.Dialogs[0].Type, TMsgDlgType::mtError);
        EXPECT_EQ(capture.Shown.Dialogs[0].Buttons, mbOK);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    // Cut short by the disk: the same message, and no half-written file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{64, limit.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    const TMainForm form(nullptr, Folder(dir));
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ASSERT_EQ(capture.Shown.Dialogs.size(), 2u);
    EXPECT_EQ(capture.Shown.Dialogs[1].Text, "Error\n\rFarovinter.iniが生成できません。");
    EXPECT_FALSE(std::filesystem::exists(dir / "Farovinter.ini"));
}

TEST(MainWindow, AFileOfAnUnknownFormatIsReportedAndChangesNothing)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("unknown");
    WriteFile(dir / "picture.xyz", "not a picture");
    WriteFile(dir / "broken.bmp", "BM not really");
    TMainForm form(nullptr, Folder(dir));
    for (const char* name : {"picture.xyz", "broken.bmp"}) {
        CurrentFileName = (dir / name).string();
        form.LodeImageFile(CurrentFileName);
    }
    ASSERT_EQ(capture.Shown.Dialogs.size(), 2u);
    EXPECT_EQ(capture.Shown.Dialogs[1].Text, "未対応の形式です。");
    EXPECT_EQ(capture.Shown.Dialogs[1].Caption, "Farovinter ぽるてぃか");
    EXPECT_FALSE(form.Document().OpenFlag);
    EXPECT_FALSE(form.Document().UpSaveFlag);
    EXPECT_EQ(form.Document().Count(), 0u);
}

TEST(MainWindow, TheWindowFitsTheImage)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("fit");
    TMainForm form(nullptr, Folder(dir));
    ShowWindow(form);
    TFvDIB image;
    image.SetWidth(400);
    image.SetHeight(300);
    form.Document().Loaded(image);
    form.FormSizeChange();
    const int client = form.height() - form.menuBar()->height();
    EXPECT_EQ(form.width(), 405);
    EXPECT_EQ(client, 300 + form.statusBar()->height() + 5);
    EXPECT_EQ(form.statusBar()->height(), 18);

    // A 1 x 1 image asks for less than the size constraints allow.
    image.SetWidth(1);
    image.SetHeight(1);
    form.Document().Loaded(image);
    form.FormSizeChange();
    EXPECT_EQ(form.size(), form.minimumSize());
}

TEST(MainWindow, APictureLargerThanTheDesktopIsScrolledInAWindowThatFitsIt)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("large");
    TMainForm form(nullptr, Folder(dir));
    ShowWindow(form);
    TFvDIB image;
    image.SetPixelFormat(fvPf1Bit);
    image.SetWidth(6000);
    image.SetHeight(4000);
    form.Document().Loaded(image);
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    for (bool maximised : {false, true}) {
        if (maximised)
            form.showMaximized();
        form.ImageView(*CurrentImage);
        form.FormSizeChange();
        form.showNormal();
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(form.frameGeometry(), desktop) << "maximised " << maximised;
        EXPECT_GT(form.ScrollBox1->horizontalScrollBar()->maximum(), 0);
        EXPECT_GT(form.ScrollBox1->verticalScrollBar()->maximum(), 0);
    }
}

TEST(MainWindow, StatusPanelsKeepTheirWidthsAndNeverOverlapInANarrowWindow)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("narrow");
    TMainForm form(nullptr, Folder(dir));
    ShowWindow(form);
    form.resize(form.minimumWidth(), 300);
    QCoreApplication::sendPostedEvents();
    QList<QLabel*> panels = form.statusBar()->findChildren<QLabel*>();
    ASSERT_EQ(panels.size(), 4);
    const int widths[4] = {30, 130, 300, 50};
    for (int i = 0; i < 4; ++i) {
        const QRect panel(panels[i]->mapTo(form.statusBar(), QPoint()), panels[i]->size());
        EXPECT_EQ(panel.width(), widths[i]);
        // The row of panels has no margins of its own.
        EXPECT_EQ(panels[i]->y(), 0);
        if (i == 0) {
            EXPECT_EQ(panels[i]->x(), 0);
        }
        // Apart by the row's spacing, which is more than none.
        if (i > 0) {
            const int spacing = panels[i]->parentWidget()->layout()->spacing();
            EXPECT_GT(spacing, 0);
            EXPECT_EQ(panel.left(), panels[i - 1]->mapTo(form.statusBar(), QPoint()).x() + widths[i - 1] + spacing);
        }
    }
    // Their row ends with the last panel: none is cut off.
    EXPECT_EQ(panels[3]->geometry().right(), panels[3]->parentWidget()->width() - 1);
}

TEST(MainWindow, ACommandLineFileThatCannotBeOpenedIsReportedOverTheShownWindow)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("badfile");
    WriteFile(dir / "damaged.png", "not a picture");
    TMainForm form(nullptr, Folder(dir));
    bool windowShown = false;
    SetDialogPresenter([&](const TDialogRequest& request) {
        windowShown = form.windowHandle() != nullptr && form.windowHandle()->isExposed();
        capture.Shown.Dialogs.push_back(request);
        return mrOk;
    });
    form.CommandLine = {"farovinter", QString::fromStdString((dir / "damaged.png").string())};
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !capture.Shown.Dialogs.empty(); }));
    EXPECT_EQ(capture.Shown.Dialogs[0].Text, "未対応の形式です。");
    EXPECT_TRUE(windowShown);
}

TEST(MainWindow, CommandLineNamingNoFileIsIgnored)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("nofile");
    CurrentFileName.clear();
    TMainForm form(nullptr, Folder(dir));
    form.CommandLine = {"farovinter", QString::fromStdString((dir / "missing.bmp").string())};
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // The file named would be opened once the window is on the screen.
    QTest::qWait(50);
    EXPECT_TRUE(capture.Shown.Dialogs.empty());
    EXPECT_EQ(CurrentFileName, "");
    EXPECT_FALSE(form.Document().OpenFlag);
}

TEST(MainWindow, CloseShortcutClosesTheWindow)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("close");
    TMainForm form(nullptr, Folder(dir));
    ShowWindow(form);
    QTest::keyClick(&form, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(form.isVisible());
}

TEST(MainWindow, WheelStepsTheVerticalBarWithinItsRange)
{
    EXPECT_EQ(WheelScrollPosition(10, 120, 20, 100), 0);
    EXPECT_EQ(WheelScrollPosition(50, 120, 20, 100), 30);
    EXPECT_EQ(WheelScrollPosition(50, -120, 20, 100), 70);
    EXPECT_EQ(WheelScrollPosition(90, -120, 20, 100), 100);
    EXPECT_EQ(WheelScrollPosition(100, -120, 20, 100), 100);
    EXPECT_EQ(WheelScrollPosition(40, 0, 20, 100), 40);
}

TEST(PluginList, LinesArePaddedAndTheNameUpperCased)
{
    EXPECT_EQ(PluginDescriptionLines({}), std::vector<std::string>{"None"});
    const auto lines = PluginDescriptionLines({{"/usr/lib/spi/ifpng.spi", {"*.png", "*.apng"}, {"PNG file"}},
                                               {"averyverylongname.spi", {}, {}}});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "IFPNG.SPI      *.png" + std::string(40, ' ') + "PNG file");
    EXPECT_EQ(lines[0].size(), 68u);
    EXPECT_EQ(lines[1], "AVERYVERYLONGNAME.SPI" + std::string(45, ' '));
}

} // namespace
