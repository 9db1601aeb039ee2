#include "AppTestSupport.h"
#include "MenuTestSupport.h"
#include "effects/process.h"
#include "platform/ui/Image.h"

#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Window {
    CaptureMessages capture;
    std::filesystem::path dir = ScratchFolder("menu");
    TMainForm form{nullptr, dir.string() + "/"};

    Window() { ShowWindow(form); }
};

TEST(MainMenu, ShortcutsOfEffectsDoNothingWithoutADocument)
{
    Window w;
    // A key that is no shortcut runs no enabling; one in a submenu runs the
    // enabling of the menus it lies in first.
    w.form.M5->setEnabled(true);
    QTest::keyClick(&w.form, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(w.form.M5->isEnabled());
    QTest::keyClick(&w.form, Qt::Key_T, Qt::ControlModifier);
    EXPECT_FALSE(w.form.M5->isEnabled());
    QTest::keyClick(&w.form, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(w.form.Document().Count(), 0u);
    EXPECT_EQ(w.form.PanelText(3), "");
    EXPECT_TRUE(w.capture.Shown.Exceptions.empty());
}

TEST(MainMenu, RotationThroughTheMenusTurnsAndRefits)
{
    Window w;
    TFvDIB image;
    FillImage(image, 500, 340);
    OpenDocument(w.form, image);
    EXPECT_TRUE(ClickMenu(w.form, {"イメージ(&I)", "回転(&R)", "右90度回転(&0)"}));
    EXPECT_EQ(CurrentImage->Width(), 340);
    EXPECT_EQ(CurrentImage->Height(), 500);
    EXPECT_EQ(w.form.width(), 345);
    EXPECT_EQ(w.form.Document().Count(), 2u);
    EXPECT_TRUE(w.form.PanelText(3).endsWith(" ms"));
    EXPECT_EQ(w.form.PanelText(1), "340 × 500  24bpp");
}

template <TNeighbourhoodProc Proc>
void Filtered(TFvDIB& image)
{
    NeighbourhoodFilter(image, Proc, nullptr);
}

struct GroupCase {
    std::vector<const char*> path;
    void (*operation)(TFvDIB&);
};

TEST(MainMenu, EveryParameterlessItemRunsItsOperation)
{
    const std::vector<GroupCase> cases = {
        {{"補正(&A)", "輝度範囲最大化(&A)"}, AutoLevel},
        {{"カラー変更(&C)", "ネガポジ反転(&I)"}, Negative},
        {{"カラー変更(&C)", "ソラリゼーション", "M&AX"}, [](TFvDIB& i) { Solarization(i, true); }},
        {{"カラー変更(&C)", "ソラリゼーション", "M&IN"}, [](TFvDIB& i) { Solarization(i, false); }},
        {{"カラー変更(&C)", "セピアカラー", "&Normal"}, SepiaNormal},
        {{"カラー変更(&C)", "セピアカラー", "&Red"}, SepiaRed},
        {{"カラー変更(&C)", "セピアカラー", "&Green"}, SepiaGreen},
        {{"カラー変更(&C)", "セピアカラー", "&Blue"}, SepiaBlue},
        {{"カラー変更(&C)", "セピアカラー", "&Purple"}, SepiaPurple},
        {{"カラー変更(&C)", "セピアカラー", "&Metal"}, SepiaMetal},
        {{"カラー変更(&C)", "グレースケール", "&Normal"}, GrayscaleNormal},
        {{"カラー変更(&C)", "グレースケール", "&Rad"}, GrayscaleRed},
        {{"カラー変更(&C)", "グレースケール", "&Green"}, GrayscaleGreen},
        {{"カラー変更(&C)", "グレースケール", "&Blue"}, GrayscaleBlue},
        {{"回転(&R)", "右90度回転(&0)"}, [](TFvDIB& i) { Rotate90(i, true); }},
        {{"回転(&R)", "左90度回転(&9)"}, [](TFvDIB& i) { Rotate90(i, false); }},
        {{"回転(&R)", "180度回転(&1)"}, Rotate180},
        {{"回転(&R)", "水平反転(&H)"}, FlipHorizontal},
        {{"回転(&R)", "垂直反転(&V)"}, FlipVertical},
        {{"フィルタ(&F)", "エンボス"}, Filtered<PixelEmboss>},
        {{"フィルタ(&F)", "ダークエンボス"}, Filtered<ConvolveDarkEmboss>},
        {{"フィルタ(&F)", "カラーエンボス"}, Filtered<ConvolveColorEmboss>},
        {{"フィルタ(&F)", "ソフト（&S）", "メディアン"}, Filtered<PixelMedian>},
        {{"フィルタ(&F)", "サンパワー"}, Filtered<ConvolveSunPower>},
        {{"フィルタ(&F)", "グラディエント(&G)", "水平差分"}, Filtered<ConvolveHorzDifference>},
        {{"フィルタ(&F)", "グラディエント(&G)", "水平Roberts"}, Filtered<ConvolveHorzRoberts>},
        {{"フィルタ(&F)", "グラディエント(&G)", "水平Sobel"}, Filtered<ConvolveHorzDifference>},
        {{"フィルタ(&F)", "グラディエント(&G)", "垂直差分"}, Filtered<ConvolveVertDifference>},
        {{"フィルタ(&F)", "グラディエント(&G)", "垂直Roberts"}, Filtered<ConvolveVertRoberts>},
        {{"フィルタ(&F)", "グラディエント(&G)", "垂直Sobel"}, Filtered<ConvolveVertSobel>},
        {{"フィルタ(&F)", "ラプラシアン(&L)", "Laplacian&1"}, Filtered<ConvolveLaplacian1>},
        {{"フィルタ(&F)", "ラプラシアン(&L)", "Laplacian&2"}, Filtered<ConvolveLaplacian2>},
        {{"フィルタ(&F)", "ラプラシアン(&L)", "Laplacian&3"}, Filtered<ConvolveLaplacian3>},
        {{"フィルタ(&F)", "ラプラシアン(&L)", "Laplacian&4"}, Filtered<ConvolveLaplacian4>},
        {{"画素変更(&B)", "&4Bit（16色）"}, [](TFvDIB& i) { i.SetPixelFormat(fvPf4Bit); }},
        {{"画素変更(&B)", "&8Bit（256色）"}, [](TFvDIB& i) { i.SetPixelFormat(fvPf8Bit); }},
    };
    Window w;
    TFvDIB original;
    FillImage(original, 23, 11);
    for (const GroupCase& c : cases) {
        std::vector<const char*> path{"イメージ(&I)"};
        path.insert(path.end(), c.path.begin(), c.path.end());
        SCOPED_TRACE(path.back());
        OpenDocument(w.form, original);
        w.form.SetPanelText(3, "");
        const size_t entries = w.form.Document().Count();
        TFvDIB expected;
        expected.Assign(&original);
        c.operation(expected);
        EXPECT_TRUE(ClickMenu(w.form, path));
        EXPECT_EQ(PixelBytes(*CurrentImage), PixelBytes(expected));
        EXPECT_TRUE(w.form.PanelText(3).endsWith(" ms"));
        EXPECT_EQ(w.form.Document().Count(), entries + 1);
    }
}

} // namespace

namespace {

void OpenOfDepth(Window& w, TFvPixelFormat format)
{
    TFvDIB image;
    FillImage(image, 17, 9, format);
    OpenDocument(w.form, image);
}

TEST(MainMenu, ImageMenuOffersEffectsOnTrueColourOnly)
{
    Window w;
    for (const TFvPixelFormat format : {fvPf4Bit, fvPf8Bit, fvPf24Bit}) {
        OpenOfDepth(w, format);
        const bool trueColor = format == fvPf24Bit;
        SCOPED_TRACE(CurrentImage->BitCount());
        EXPECT_TRUE(ClickMenu(w.form, {"イメージ(&I)"}));
        for (QAction* item : {w.form.Correction1, w.form.ColorChange1, w.form.Rotation1, w.form.Filter1, w.form.M6})
            EXPECT_EQ(item->isEnabled(), trueColor);
        EXPECT_TRUE(w.form.M5->isEnabled());
        EXPECT_TRUE(ClickMenu(w.form, {"イメージ(&I)", "画素変更(&B)"}));
        EXPECT_EQ(w.form.Bit41->isEnabled(), trueColor);
        EXPECT_EQ(w.form.Bit81->isEnabled(), trueColor);
        EXPECT_EQ(w.form.TrueColor1->isEnabled(), !trueColor);
        // A disabled item's command does not run.
        const std::vector<uint8_t> before = PixelBytes(*CurrentImage);
        EXPECT_EQ(ClickMenu(w.form, {"イメージ(&I)", "画素変更(&B)", "&4Bit（16色）"}), trueColor);
        if (!trueColor) {
            EXPECT_EQ(PixelBytes(*CurrentImage), before);
        }
    }
}

TEST(MainMenu, TrueColourOpensTheEffectsAndFourBitClosesThem)
{
    Window w;
    OpenOfDepth(w, fvPf8Bit);
    EXPECT_TRUE(ClickMenu(w.form, {"イメージ(&I)", "画素変更(&B)", "&True Color"}));
    EXPECT_EQ(w.form.PanelText(1), "17 × 9  24bpp");
    EXPECT_TRUE(ClickMenu(w.form, {"イメージ(&I)", "カラー変更(&C)", "ネガポジ反転(&I)"}));
    EXPECT_TRUE(ClickMenu(w.form, {"イメージ(&I)", "画素変更(&B)", "&4Bit（16色）"}));
    EXPECT_EQ(w.form.PanelText(1), "17 × 9  4bpp");
    EXPECT_EQ(w.form.Document().Count(), 4u);
    EXPECT_FALSE(ClickMenu(w.form, {"イメージ(&I)", "回転(&R)", "右90度回転(&0)"}));
    EXPECT_EQ(w.form.Document().Count(), 4u);
}

TEST(MainMenu, ShortcutsFindTheirItemsStateFromTheRulesNotFromBefore)
{
    Window w;
    OpenOfDepth(w, fvPf24Bit);
    // Left enabled by nothing but a stale state: Ctrl+T on true colour does nothing.
    w.form.TrueColor1->setEnabled(true);
    QTest::keyClick(&w.form, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(w.form.Document().Count(), 1u);
    EXPECT_FALSE(w.form.TrueColor1->isEnabled());

    OpenOfDepth(w, fvPf8Bit);
    w.form.TrueColor1->setEnabled(false);
    w.form.M6->setEnabled(true);
    QTest::keyClick(&w.form, Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(w.form.M6->isEnabled());
    QTest::keyClick(&w.form, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(CurrentImage->BitCount(), 24);
    EXPECT_EQ(w.form.Document().Count(), 3u);
    EXPECT_EQ(w.form.PanelText(1), "17 × 9  24bpp");
}

TEST(MainMenu, FileMenuOffersSavingOnlyWhatCanBeSaved)
{
    Window w;
    // Before any menu is opened, its items already follow its rules.
    for (const QAction* item : {w.form.Save1, w.form.SaveAs1, w.form.Undo1, w.form.Copy1, w.form.Correction1})
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    EXPECT_TRUE(ClickMenu(w.form, {"ファイル(&F)"}));
    EXPECT_FALSE(w.form.Save1->isEnabled());
    EXPECT_FALSE(w.form.SaveAs1->isEnabled());
    EXPECT_TRUE(w.form.Open1->isEnabled());
    EXPECT_TRUE(w.form.Close1->isEnabled());
    OpenOfDepth(w, fvPf24Bit);
    EXPECT_TRUE(ClickMenu(w.form, {"ファイル(&F)"}));
    EXPECT_FALSE(w.form.Save1->isEnabled());
    EXPECT_TRUE(w.form.SaveAs1->isEnabled());
    w.form.Document().UpSaveFlag = true;
    EXPECT_TRUE(ClickMenu(w.form, {"ファイル(&F)"}));
    EXPECT_TRUE(w.form.Save1->isEnabled());
    w.form.Document().ChangeFlag = false;
    EXPECT_TRUE(ClickMenu(w.form, {"ファイル(&F)"}));
    EXPECT_FALSE(w.form.Save1->isEnabled());
}

// The menu bar as text: one line per item, indented by depth, with its
// shortcut and group number.
void Describe(const QList<QAction*>& actions, int depth, std::string& out)
{
    for (QAction* action : actions) {
        out.append(depth * 2, ' ');
        out += action->isSeparator() ? "-" : action->text().toStdString();
        if (!action->shortcut().isEmpty())
            out.append(" ").append(action->shortcut().toString().toStdString());
        if (action->data().toInt() != 0)
            out.append(" (").append(std::to_string(action->data().toInt())).append(")");
        out += "\n";
        if (action->menu() != nullptr)
            Describe(action->menu()->actions(), depth + 1, out);
    }
}

TEST(MainMenu, BarHoldsEveryMenuAndItemInOrder)
{
    Window w;
    std::string text;
    Describe(w.form.menuBar()->actions(), 0, text);
    EXPECT_EQ(text, R"(ファイル(&F)
  開く(&O)... Ctrl+O
  保存(&S)... Ctrl+S
  名付けて保存(&A)... Ctrl+Alt+S
  -
  閉じる(&C) Ctrl+W
編集(&E)
  元に戻す(&U) Ctrl+Z
  やり直し(&R) Ctrl+Y
  -
  コピー(&C) Ctrl+C
  貼り付け(&P) Ctrl+V
  -
  復帰(&V)
  履歴のクリア(&F)
イメージ(&I)
  補正(&A)
    ガンマ補正(&G)...
    明るさ補正(&B)...
    コントラスト補正(&C)...
    色調補正(&R)...
    HLS補正(&H)...
    LMS補正(&L)... (234)
    輝度範囲最大化(&A) (234)
  カラー変更(&C)
    ネガポジ反転(&I) (20)
    ポスタリゼーション(&P)... (20)
    ソラリゼーション
      M&AX (210)
      M&IN (211)
    セピアカラー
      &Normal (220)
      &Red (221)
      &Green (222)
      &Blue (223)
      &Purple (224)
      &Metal (225)
    グレースケール
      &Normal (230)
      &Rad (231)
      &Green (232)
      &Blue (233)
  回転(&R)
    右90度回転(&0) (30)
    左90度回転(&9) (31)
    180度回転(&1) (32)
    水平反転(&H) (33)
    垂直反転(&V) (34)
  フィルタ(&F)
    エンボス (40)
    ダークエンボス (41)
    カラーエンボス (42)
    シャープ... (43)
    ソフト（&S）
      ソフト...(&S)
      メディアン (45)
      モーションブラー...(&M)
      ガウシンアンブラー...(&G)
    サンパワー (47)
    グラディエント(&G)
      水平差分 (110)
      水平Roberts (111)
      水平Sobel (112)
      垂直差分 (113)
      垂直Roberts (114)
      垂直Sobel (115)
    ラプラシアン(&L)
      Laplacian&1 (100)
      Laplacian&2 (101)
      Laplacian&3 (102)
      Laplacian&4 (103)
    カスタム...(&C)
    オイルペイント...
    Kuwahara(&K)
  画素変更(&B)
    &4Bit（16色） (50)
    &8Bit（256色） (51)
    -
    &True Color Ctrl+T (52)
  サイズ変更(&S)... Ctrl+F
ヘルプ(&H)
  ヘルプ(&H)...
  作者のページ(&W)...
  作者にメール(&M)...
  -
  SusiePlugIn(&S)...
  バージョン情報(&A)...
)");
}

} // namespace

namespace {

TEST(ImageControl, PaintsInStripsWhatTheWholePictureShows)
{
    Window w;
    TFvDIB image;
    FillImage(image, 77, 150);
    OpenDocument(w.form, image);
    const QImage whole = w.form.Image1->Picture();
    ASSERT_EQ(whole.size(), QSize(77, 150));
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 77; ++x) {
            const uint32_t color = CurrentImage->GetPixels(x, y);
            ASSERT_EQ(whole.pixel(x, y) & 0xFFFFFFu, (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF));
        }
    EXPECT_EQ(w.form.Image1->grab().toImage().convertToFormat(QImage::Format_RGB32), whole);
    const QRect part(10, 60, 30, 70);
    EXPECT_EQ(w.form.Image1->grab(part).toImage().convertToFormat(QImage::Format_RGB32), whole.copy(part));
    // A larger control shows the picture centred on its background.
    w.form.Image1->resize(101, 170);
    const QImage centred = w.form.Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(centred.copy(12, 10, 77, 150), whole);
    EXPECT_EQ(centred.pixel(0, 0), w.form.Image1->palette().window().color().rgb());
    EXPECT_EQ(centred.pixel(100, 169), w.form.Image1->palette().window().color().rgb());
    // The picture stays as shown until the next view, whatever happens to the image.
    Negative(*CurrentImage);
    EXPECT_EQ(w.form.Image1->Picture(), whole);
}

// What the screen shows of the picture in the window: the picture's part on
// the screen and inside the scroll box, and that part grabbed from the screen.
std::pair<QRect, QImage> ShownOnScreen(TMainForm& form)
{
    QScreen* screen = form.screen();
    const QRect picture(form.Image1->mapTo(&form, QPoint()), form.Image1->size());
    const QRect box(form.ScrollBox1->viewport()->mapTo(&form, QPoint()), form.ScrollBox1->viewport()->size());
    const QRect onScreen(form.mapFromGlobal(screen->geometry().topLeft()), screen->geometry().size());
    const QRect shown = picture.intersected(box).intersected(onScreen);
    const QImage grabbed =
        screen->grabWindow(form.winId(), shown.x(), shown.y(), shown.width(), shown.height()).toImage();
    return {shown.translated(-picture.topLeft()), grabbed.convertToFormat(QImage::Format_RGB32)};
}

TEST(ImageControl, PartsOfAPictureLargerThanTheScreenArePaintedWhenTheyComeOntoIt)
{
    Window w;
    TFvDIB image;
    const QSize screen = w.form.screen()->geometry().size();
    FillImage(image, screen.width() + 300, screen.height() + 200);
    OpenDocument(w.form, image);
    w.form.move(100, 80);
    w.form.repaint();
    const auto showsThePicture = [&w](QPoint place) {
        w.form.move(place);
        QTest::qWait(1);
        const auto [shown, grabbed] = ShownOnScreen(w.form);
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_EQ(grabbed, w.form.Image1->Picture().copy(shown)) << place.x() << "," << place.y();
    };
    showsThePicture(QPoint(-350, -260));
    // A grab is no paint of the window: it gets the whole picture, off the screen too.
    EXPECT_EQ(w.form.Image1->grab().toImage().convertToFormat(QImage::Format_RGB32), w.form.Image1->Picture());
    showsThePicture(QPoint(20, -250));
    // A new picture shown while the window reaches beyond the screen.
    Negative(*CurrentImage);
    w.form.ImageView(*CurrentImage);
    w.form.repaint();
    showsThePicture(QPoint(-300, 30));
    // Scrolling a window that reaches beyond the screen brings parts of the scroll box onto it.
    w.form.resize(700, 500);
    w.form.move(screen.width() - 500, screen.height() - 350);
    w.form.repaint();
    w.form.ScrollBox1->horizontalScrollBar()->setValue(60);
    w.form.ScrollBox1->verticalScrollBar()->setValue(50);
    showsThePicture(w.form.pos());
}

} // namespace
