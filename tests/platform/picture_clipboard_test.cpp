#include "platform/core/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Clipboard.h"
#include "platform/graphics/Picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <unistd.h>

namespace {

class TOtherBitmap : public TBitmap {
    FV_GRAPHIC_CLASS
};
FV_DEFINE_GRAPHIC_CLASS(TOtherBitmap, TBitmap);

TEST(TPictureRegistry, LaterRegistrationsWinAndUnregisteringRemovesAll)
{
    EXPECT_EQ(TPicture::FileFormatClass("BMP"), &TBitmap::ClassInfo);
    EXPECT_EQ(TPicture::FileFormatClass("xyz"), nullptr);
    TPicture::RegisterFileFormat("Bmp", "Other bitmaps", &TOtherBitmap::ClassInfo);
    TPicture::RegisterFileFormat("obm", "Other bitmaps", &TOtherBitmap::ClassInfo);
    TPicture::RegisterClipboardFormat(CF_DIB, &TOtherBitmap::ClassInfo);
    EXPECT_EQ(TPicture::FileFormatClass("bmp"), &TOtherBitmap::ClassInfo);
    EXPECT_EQ(TPicture::FileFormats().front().Extension, "obm");

    TPicture::UnregisterGraphicClass(&TOtherBitmap::ClassInfo);
    EXPECT_EQ(TPicture::FileFormatClass("bmp"), &TBitmap::ClassInfo);
    EXPECT_EQ(TPicture::FileFormatClass("obm"), nullptr);
    EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_DIB));
    for (const TFileFormat& f : TPicture::FileFormats())
        EXPECT_NE(f.GraphicClass, &TOtherBitmap::ClassInfo);
}

TEST(TPictureClass, LoadsByExtensionAndHoldsOneGraphic)
{
    const std::string path = ::testing::TempDir() + std::to_string(::getpid()) + "_picture_test.BMP";
    {
        TBitmap bitmap;
        bitmap.SetSize(3, 2);
        bitmap.SaveToFile(path);
    }
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TPersistent*) { ++changes; };
    picture.LoadFromFile(path);
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Graphic()->ClassName(), "TBitmap");
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Height(), 2);
    EXPECT_EQ(changes, 1);
    picture.Bitmap().SetWidth(7);
    EXPECT_EQ(changes, 2);

    try {
        picture.LoadFromFile("/tmp/none.TgA");
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Unknown picture file extension (.TgA)");
    }
    // A dot in a folder's name is no extension.
    for (const char* name : {"/tmp/none", "/tmp/a.b/none"}) {
        try {
            picture.LoadFromFile(name);
            FAIL() << name;
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), "Unknown picture file extension (.)") << name;
        }
    }
    EXPECT_EQ(picture.Width(), 7);

    TPicture copy;
    copy.Assign(&picture);
    EXPECT_NE(copy.Graphic(), picture.Graphic());
    EXPECT_EQ(copy.Width(), 7);
    TBitmap target;
    target.Assign(&copy);
    EXPECT_EQ(target.Width(), 7);
    // A graphic given to a picture is copied; saving writes the graphic's own file.
    TPicture fromGraphic;
    fromGraphic.Assign(&target);
    EXPECT_NE(fromGraphic.Graphic(), &target);
    fromGraphic.SaveToFile(path);
    TBitmap saved;
    saved.LoadFromFile(path);
    EXPECT_TRUE(saved.Equals(&target));
    copy.Assign(nullptr);
    EXPECT_EQ(copy.Graphic(), nullptr);
    copy.SaveToFile(path + ".none");
    EXPECT_EQ(::access((path + ".none").c_str(), F_OK), -1);
    // An empty picture has nothing to give, and a canvas is no picture.
    EXPECT_THROW(target.Assign(&copy), EConvertError);
    EXPECT_THROW(copy.Assign(&target.Canvas()), EConvertError);
    // Bitmap() replaces whatever else the picture holds.
    EXPECT_TRUE(copy.Bitmap().Empty());
    EXPECT_THROW(copy.LoadFromClipboardFormat(12345, nullptr, nullptr), EInvalidGraphic);
}

// A backend that records what passes through it.
class RecordingBackend : public ClipboardBackend {
public:
    explicit RecordingBackend(std::map<unsigned, size_t>& sizes) : FSizes(sizes) {}
    ~RecordingBackend() override { Clear(); }
    bool HasFormat(unsigned format) override { return FBlocks.count(format) != 0; }
    HGLOBAL GetData(unsigned format) override
    {
        const auto it = FBlocks.find(format);
        if (it == FBlocks.end())
            return nullptr;
        HGLOBAL copy = GlobalAllocCopy(GlobalLock(it->second), GlobalSize(it->second));
        GlobalUnlock(it->second);
        return copy;
    }
    void SetData(unsigned format, HGLOBAL data) override
    {
        FSizes[format] = GlobalSize(data);
        FBlocks[format] = data;
    }
    void Clear() override
    {
        for (auto& b : FBlocks)
            GlobalFree(b.second);
        FBlocks.clear();
        FSizes.clear();
    }

private:
    std::map<unsigned, size_t>& FSizes;
    std::map<unsigned, HGLOBAL> FBlocks;
};

TEST(TClipboardClass, OwnsWhatItIsGivenAndWhatItHandsOut)
{
    TClipboard clipboard;
    clipboard.Clear();
    EXPECT_FALSE(clipboard.HasFormat(CF_DIB));
    const char text[] = "abc";
    clipboard.SetAsHandle(100, GlobalAllocCopy(text, sizeof text));
    clipboard.SetAsHandle(101, GlobalAllocCopy(text, 2));
    // Each write outside a session starts afresh.
    EXPECT_FALSE(clipboard.HasFormat(100));
    EXPECT_TRUE(clipboard.HasFormat(101));

    clipboard.Open();
    clipboard.SetAsHandle(100, GlobalAllocCopy(text, sizeof text));
    clipboard.SetAsHandle(101, GlobalAllocCopy(text, 2));
    clipboard.Close();
    EXPECT_TRUE(clipboard.HasFormat(100));
    EXPECT_TRUE(clipboard.HasFormat(101));

    clipboard.Open();
    HGLOBAL block = clipboard.GetAsHandle(100);
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(block)), "abc");
    GlobalUnlock(block);
    EXPECT_EQ(clipboard.GetAsHandle(7), nullptr);
    clipboard.Close(); // frees the block handed out; ASan would see a leak otherwise
    clipboard.Clear();
}

TEST(TClipboardClass, GraphicsPutThemselvesOnTheInstalledBackend)
{
    std::map<unsigned, size_t> sizes;
    SetClipboardBackend(std::make_unique<RecordingBackend>(sizes));
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf8bit);
    bitmap.SetSize(2, 2);
    bitmap.ScanLine(0)[1] = 19;
    TClipboard clipboard;
    clipboard.Assign(&bitmap);
    EXPECT_EQ(sizes[CF_DIB], 40u + 236 * 4 + 2 * 4);

    TPicture picture;
    clipboard.Open();
    picture.LoadFromClipboardFormat(CF_DIB, clipboard.GetAsHandle(CF_DIB), nullptr);
    clipboard.Close();
    EXPECT_EQ(picture.Bitmap().ScanLine(0)[1], 19);
    EXPECT_THROW(clipboard.Assign(nullptr), EConvertError);
    SetClipboardBackend(nullptr);
    EXPECT_FALSE(clipboard.HasFormat(CF_DIB));
}

} // namespace
