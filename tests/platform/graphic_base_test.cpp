#include "platform/core/Exceptions.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Graphic.h"

#include <gtest/gtest.h>

#include <vector>
#include <unistd.h>

namespace {

// A graphic that records what reaches it.
class TTestGraphic : public TGraphic {
    FV_GRAPHIC_CLASS
public:
    int W = 0, H = 0, Draws = 0;
    void Draw(TCanvas&, const TRect&) override { ++Draws; }
    bool GetEmpty() const override { return W == 0 || H == 0; }
    int GetHeight() const override { return H; }
    int GetWidth() const override { return W; }
    void SetHeight(int Value) override { H = Value; }
    void SetWidth(int Value) override { W = Value; }
    void LoadFromStream(TStream& Stream) override { Stream.ReadBuffer(&W, sizeof W); }
    void SaveToStream(TStream& Stream) override { Stream.WriteBuffer(&W, sizeof W); }
    void LoadFromClipboardFormat(unsigned, HGLOBAL, HPALETTE) override {}
    void SaveToClipboardFormat(unsigned&, HGLOBAL&, HPALETTE&) override {}
};
FV_DEFINE_GRAPHIC_CLASS(TTestGraphic, TGraphic);

class TOtherTestGraphic : public TTestGraphic {
    FV_GRAPHIC_CLASS
};
FV_DEFINE_GRAPHIC_CLASS(TOtherTestGraphic, TTestGraphic);

TEST(Persistent, AssignWithoutAWayRaisesTheLibraryMessage)
{
    TTestGraphic a, b;
    try {
        a.Assign(&b);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TTestGraphic to a TTestGraphic");
    }
    try {
        a.Assign(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TTestGraphic");
    }
}

TEST(Graphic, ModifiedChangedAndProgress)
{
    TTestGraphic g;
    std::vector<TPersistent*> changes;
    g.OnChange = [&](TPersistent* sender) { changes.push_back(sender); };
    EXPECT_FALSE(g.Modified());
    g.SetModified(true);
    EXPECT_TRUE(g.Modified());
    g.SetModified(false);
    EXPECT_FALSE(g.Modified());
    g.SetTransparent(true);
    g.SetTransparent(true);
    EXPECT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0], &g);

    std::vector<TProgressStage> stages;
    g.Progress(&g, TProgressStage::psStarting, 0, false, TRect{}, "x");
    g.OnProgress = [&](TPersistent*, TProgressStage s, uint8_t, bool, const TRect&, const std::string& m) {
        stages.push_back(s);
        EXPECT_EQ(m, "step");
    };
    g.Progress(&g, TProgressStage::psRunning, 50, false, TRect{}, "step");
    EXPECT_EQ(stages, std::vector<TProgressStage>{TProgressStage::psRunning});

    g.SetSize(3, 4);
    EXPECT_EQ(g.Width(), 3);
    EXPECT_EQ(g.Height(), 4);
    EXPECT_EQ(g.ClassName(), "TTestGraphic");
    EXPECT_TRUE(InheritsFrom(g.ClassType(), &TGraphic::ClassInfo));
    EXPECT_FALSE(InheritsFrom(&TGraphic::ClassInfo, g.ClassType()));
}

TEST(Graphic, FilesGoThroughTheStreamOperations)
{
    const std::string path = ::testing::TempDir() + std::to_string(::getpid()) + "_graphic_file_test.bin";
    TTestGraphic g;
    g.W = 77;
    g.SaveToFile(path);
    TTestGraphic h;
    h.LoadFromFile(path);
    EXPECT_EQ(h.W, 77);
    h.H = g.H = 1;
    EXPECT_TRUE(h.Equals(&g));
    // Same data is not enough: the class must match, and empty graphics equal only each other.
    TOtherTestGraphic other;
    other.W = 77;
    other.H = 1;
    EXPECT_FALSE(h.Equals(&other));
    EXPECT_FALSE(h.Equals(nullptr));
    g.H = 0;
    EXPECT_FALSE(h.Equals(&g));
    h.H = 0;
    h.W = 5;
    EXPECT_TRUE(h.Equals(&g));
    EXPECT_THROW(h.LoadFromFile(path + ".missing"), EFOpenError);
}

TEST(Colour, SystemColoursResolveToTheStandardScheme)
{
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
    EXPECT_EQ(ColorToRGB(clBlack), 0u);
    EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFFu);
    EXPECT_EQ(ColorToRGB(clWindowText), 0u);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0u);
    EXPECT_EQ(ColorToRGB(clHighlight), 0x800000u);
    // The whole classic scheme, by index; past its end, black.
    const uint32_t scheme[] = {0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0, 0, 0,
                               0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
                               0x808080, 0x808080, 0, 0xC0C0C0, 0xFFFFFF, 0, 0xC0C0C0, 0, 0xE1FFFF, 0};
    for (uint32_t i = 0; i < std::size(scheme); ++i)
        EXPECT_EQ(ColorToRGB(static_cast<TColor>(clSystemColor | i)), scheme[i]) << i;
}

TEST(Canvas, WithoutAContextItRefusesToDraw)
{
    TCanvas canvas;
    EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
    HDC dc = CreateCompatibleDC(nullptr);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 3, 3);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(SelectObject(dc, bitmap), nullptr);
    canvas.SetHandle(dc);
    int changes = 0;
    canvas.OnChange = [&](TPersistent*) { ++changes; };
    canvas.Brush.Color = clYellow;
    canvas.FillRect(Rect(1, 1, 3, 2));
    EXPECT_EQ(canvas.Pixel(2, 1), clYellow);
    EXPECT_EQ(canvas.Pixel(0, 0), clBlack);
    EXPECT_EQ(canvas.Pixel(5, 0), static_cast<TColor>(CLR_INVALID));
    canvas.SetPixel(0, 0, clBtnFace);
    EXPECT_EQ(canvas.Pixel(0, 0), clSilver);
    EXPECT_EQ(changes, 2);
    // A clear brush fills nothing.
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.FillRect(Rect(0, 0, 3, 3));
    EXPECT_EQ(canvas.Pixel(0, 0), clSilver);
    EXPECT_EQ(changes, 2);
    canvas.Brush.Style = TBrushStyle::bsSolid;

    TTestGraphic g;
    g.W = g.H = 2;
    canvas.Draw(0, 0, g);
    canvas.StretchDraw(Rect(0, 0, 1, 1), g);
    g.DrawTransparent(canvas, Rect(0, 0, 1, 1), 128);
    EXPECT_EQ(g.Draws, 3);
    canvas.SetHandle(nullptr);
    SelectObject(dc, StockBitmap());
    DeleteObject(bitmap);
    DeleteDC(dc);
}

} // namespace
