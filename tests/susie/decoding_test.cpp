#include "SusieTestSupport.h"

#include "bitmap/FvDIB.h"
#include "susie/SPIFvDIB.h"
#include "susie/SPIs.h"

#include <cstring>
#include <stdexcept>
#include <tuple>

namespace {

// A 3 x 2 colour picture: red, green, blue / white, black, grey.
std::string Ppm()
{
    return std::string("P6\n3 2\n255\n") + std::string("\xFF\0\0\0\xFF\0\0\0\xFF", 9) +
           std::string("\xFF\xFF\xFF\0\0\0\x80\x80\x80", 9);
}

std::string Pgm()
{
    return std::string("P5 2 3 255\n") + std::string("\x00\x40\x80\xFF\x20\x60", 6);
}

std::string Le32(uint32_t v)
{
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

// The echo plug-in's data: a 40-byte header with the given fields, extra
// header bytes 1, 8, 15 ... (no two neighbours alike), and a pixel block of
// bitsSize bytes.
std::string Echo(int32_t width, int32_t height, int bits, uint32_t compression, uint32_t clrUsed,
                 size_t extraInfo, size_t bitsSize, uint32_t headerSize = 40)
{
    BITMAPINFOHEADER h{};
    h.biSize = headerSize;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    h.biCompression = compression;
    h.biClrUsed = clrUsed;
    std::string info(reinterpret_cast<const char*>(&h), sizeof h);
    for (size_t i = 0; i < extraInfo; ++i)
        info += static_cast<char>(i * 7 + 1);
    return "ECHO" + Le32(static_cast<uint32_t>(info.size())) + info + std::string(bitsSize, '\x22');
}

struct Report {
    TProgressStage Stage;
    int Percent;
    bool Redraw;
    std::string Msg;
};

class PluginDecoding : public testing::Test {
protected:
    void SetUp() override
    {
        FSpis.SearchOptions = {};
        FSpis.Search(std::string(FV_TEST_PLUGIN_DIR) + "/spi_pnm.spi");
        FSpis.Search(std::string(FV_TEST_PLUGIN_DIR) + "/spi_echo.spi");
        ASSERT_EQ(FSpis.Count(), 2);
    }

    // Records every progress report of bitmap.
    void Record(TGraphic& bitmap)
    {
        bitmap.OnProgress = [this](TPersistent*, TProgressStage stage, uint8_t percent, bool redraw, const TRect&,
                                   const std::string& msg) { FReports.push_back({stage, percent, redraw, msg}); };
    }
    int Count(const std::string& msg) const
    {
        return static_cast<int>(std::count_if(FReports.begin(), FReports.end(), [&](const Report& r) { return r.Msg == msg; }));
    }

    ScratchFolder FFolder;
    TSPIs FSpis;
    std::vector<Report> FReports;
};

TEST_F(PluginDecoding, ColourPictureOpensFromFileAndStreamWithItsPixels)
{
    const std::string path = FFolder.Write("colours.ppm", Ppm());
    TSPIFvDIB fromFile;
    Record(fromFile);
    fromFile.LoadFromFile(path);
    TMemoryStream stream;
    stream.LoadFromFile(path);
    TSPIFvDIB fromStream;
    fromStream.LoadFromStream(stream);
    TFileStream file(path, fmOpenRead);
    TSPIFvDIB fromFileStream;
    fromFileStream.LoadFromStream(file);
    for (TSPIFvDIB* image : {&fromFile, &fromStream, &fromFileStream}) {
        ASSERT_EQ(image->Width(), 3);
        ASSERT_EQ(image->Height(), 2);
        EXPECT_EQ(image->BitCount(), 24);
        EXPECT_EQ(image->GetPixels(0, 0), 0x0000FFu);
        EXPECT_EQ(image->GetPixels(2, 0), 0xFF0000u);
        EXPECT_EQ(image->GetPixels(2, 1), 0x808080u);
        // A true-colour picture on a 32-bit screen gets no palette by default.
        EXPECT_EQ(image->GetPalette(), nullptr);
    }
    ASSERT_FALSE(FReports.empty());
    EXPECT_EQ(FReports.front().Msg, "Loading Graphic by Susie Plugin");
    EXPECT_EQ(FReports.back().Stage, TProgressStage::psEnding);
    EXPECT_EQ(FReports.back().Msg, "Loaded Graphic");
    EXPECT_EQ(std::count_if(FReports.begin(), FReports.end(), [](const Report& r) { return r.Stage == TProgressStage::psEnding; }), 1);
    EXPECT_EQ(Count("Loading by [spi_pnm.spi]"), 1);
    // The plug-in's row steps map onto 2..99.
    EXPECT_EQ(Count(""), 2);
    EXPECT_EQ(FReports[FReports.size() - 3].Percent, 2);
    EXPECT_EQ(FReports[FReports.size() - 2].Percent, 51);
}

TEST_F(PluginDecoding, GreyPictureKeepsItsOwnColourTable)
{
    TSPIFvDIB image;
    image.PaletteOption = sdpAllways;
    Record(image);
    image.LoadFromFile(FFolder.Write("grey.pgm", Pgm()));
    // The plug-in's three row steps map onto 2..99; none asks for a redraw.
    std::vector<int> rows;
    for (const Report& r : FReports)
        if (r.Msg.empty() && !r.Redraw)
            rows.push_back(r.Percent);
    EXPECT_EQ(rows, (std::vector<int>{2, 34, 67}));
    EXPECT_EQ(image.BitCount(), 8);
    EXPECT_EQ(image.GetColors(0x40), static_cast<TColor>(0x404040));
    EXPECT_EQ(image.GetPixels(1, 0), 0x40u);
    EXPECT_EQ(image.GetPixels(1, 1), 0xFFu);
}

TEST_F(PluginDecoding, PaletteOptionDecidesWhetherTrueColourGetsAPalette)
{
    const std::string path = FFolder.Write("colours.ppm", Ppm());
    TSPIFvDIB always;
    always.PaletteOption = sdpAllways;
    always.LoadFromFile(path);
    EXPECT_NE(always.GetPalette(), nullptr);
    TSPIFvDIB never;
    never.PaletteOption = sdpNone;
    never.LoadFromFile(path);
    EXPECT_EQ(never.GetPalette(), nullptr);
    // A copy takes the option along, whatever it had.
    TSPIFvDIB copy;
    copy.PaletteOption = sdpAllways;
    copy.Assign(&never);
    EXPECT_EQ(copy.PaletteOption, sdpNone);
    EXPECT_EQ(&copy.InternalDIB(), &never.InternalDIB());
    copy.Assign(&always);
    EXPECT_EQ(copy.PaletteOption, sdpAllways);
}

TEST_F(PluginDecoding, MacBinaryHeaderIsSkippedAndShortDataTriedOnce)
{
    const std::string wrapped = std::string(128, 'M') + Ppm();
    TSPIFvDIB image;
    Record(image);
    // The name makes the echo plug-in the first candidate: it is tried at 0
    // and at 128, then the pnm one at 0 and at 128.
    image.LoadFromFile(FFolder.Write("wrapped.echo", wrapped));
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(Count("Loading by [spi_echo.spi]"), 2);
    EXPECT_EQ(Count("Loading by [spi_pnm.spi]"), 2);
    TMemoryStream stream;
    stream.Write(wrapped.data(), static_cast<int64_t>(wrapped.size()));
    TSPIFvDIB fromStream;
    fromStream.LoadFromStreamWithName(stream, "wrapped.pnm");
    EXPECT_EQ(fromStream.Width(), 3);
    // A name too long for a plug-in's buffers goes to none of them.
    stream.SetPosition(0);
    TSPIFvDIB longName;
    EXPECT_THROW(longName.LoadFromStreamWithName(stream, "/" + std::string(300, 'a') + ".pnm"), EInvalidGraphic);

    FReports.clear();
    TSPIFvDIB shortData;
    Record(shortData);
    EXPECT_THROW(shortData.LoadFromFile(FFolder.Write("short.xyz", std::string(128, 'x'))), EInvalidGraphic);
    EXPECT_EQ(Count("Loading by [spi_echo.spi]"), 1);
    EXPECT_EQ(Count("Loading by [spi_pnm.spi]"), 1);
    FReports.clear();
    TMemoryStream shortStream;
    shortStream.Write(std::string(128, 'x').data(), 128);
    EXPECT_THROW(shortData.LoadFromStreamWithName(shortStream, "short.xyz"), EInvalidGraphic);
    EXPECT_EQ(Count("Loading by [spi_echo.spi]"), 1);
    EXPECT_EQ(Count("Loading by [spi_pnm.spi]"), 1);

    // A file that cannot be read still goes to every plug-in at both offsets.
    FReports.clear();
    EXPECT_THROW(shortData.LoadFromFile(FFolder.Path("missing.xyz")), EInvalidGraphic);
    EXPECT_EQ(Count("Loading by [spi_echo.spi]"), 2);
    EXPECT_EQ(Count("Loading by [spi_pnm.spi]"), 2);
}

TEST_F(PluginDecoding, UnreadableFileFailsAndKeepsTheFormerPicture)
{
    TSPIFvDIB image;
    image.LoadFromFile(FFolder.Write("grey.pgm", Pgm()));
    Record(image);
    try {
        image.LoadFromFile(FFolder.Write("nothing.pnm", "neither a picture nor a bitmap"));
        FAIL() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Susie Plugins could not decode");
    }
    EXPECT_EQ(image.BitCount(), 8);
    EXPECT_EQ(FReports.back().Msg, "Loaded Graphic");
}

TEST_F(PluginDecoding, BmpExtensionAsksTheBitmapReaderFirst)
{
    TFvDIB source;
    source.SetWidth(2);
    source.SetHeight(3);
    TMemoryStream bmp;
    source.SaveToStream(bmp);
    TSPIFvDIB image;
    Record(image);
    bmp.SaveToFile(FFolder.Path("real.BmP"));
    image.LoadFromFile(FFolder.Path("real.BmP"));
    EXPECT_EQ(Count("Loading Graphic by Susie Plugin"), 0);
    TSPIBitmap bitmap;
    bitmap.LoadFromFile(FFolder.Path("real.BmP"));
    TSPIBitmap copy;
    copy.Assign(&bitmap);
    EXPECT_EQ(copy.Height(), 3);
    image.LoadFromFile(FFolder.Write("really.bmp", Ppm()));
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(Count("Loading by [spi_pnm.spi]"), 1);
    // Only that extension: the plug-ins are asked first for any other.
    const int asked = Count("Loading Graphic by Susie Plugin");
    bmp.SaveToFile(FFolder.Path("real.bmq"));
    image.LoadFromFile(FFolder.Path("real.bmq"));
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(Count("Loading Graphic by Susie Plugin"), asked + 1);
}

TEST_F(PluginDecoding, ProgressHandlerStopsThePluginAndItsErrorsComeBackAfterIt)
{
    const std::string path = FFolder.Write("colours.ppm", Ppm());
    TSPIFvDIB aborted;
    aborted.OnProgress = [](TPersistent*, TProgressStage, uint8_t percent, bool, const TRect&, const std::string&) {
        if (percent >= 2 && percent < 100)
            throw EAbort();
    };
    EXPECT_THROW(aborted.LoadFromFile(path), EInvalidGraphic);

    TSPIGraphic graphic;
    int ending = -1, running = -1;
    graphic.OnProgress = [&](TPersistent*, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::string&) {
        if (stage == TProgressStage::psEnding)
            ending = percent;
        else if (stage == TProgressStage::psRunning)
            running = percent;
        if (percent == 34)
            throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(graphic.LoadFromFile(FFolder.Write("grey.pnm", Pgm())), std::runtime_error);
    EXPECT_TRUE(graphic.Empty());
    // The plug-in was stopped at the failing report, the second of three rows.
    EXPECT_EQ(std::pair(running, ending), std::pair(34, 100));
}

TEST_F(PluginDecoding, GraphicWritesItsBlocksAsABmpImage)
{
    TSPIGraphic graphic;
    Record(graphic);
    int changes = 0;
    graphic.OnChange = [&](TPersistent*) { ++changes; };
    graphic.LoadFromFile(FFolder.Write("two.echo", Echo(2, 2, 24, BI_RGB, 0, 0, 16)));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(FReports.back().Stage, TProgressStage::psEnding);
    EXPECT_EQ(FReports.back().Percent, 100);
    EXPECT_EQ(FReports.back().Msg, "Loaded Graphic by Susie Plugin");
    TMemoryStream out;
    graphic.SaveToStream(out);
    ASSERT_EQ(out.Size(), 14 + 40 + 16);
    uint32_t offset;
    std::memcpy(&offset, out.Memory() + 10, 4);
    EXPECT_EQ(offset, 54u);
    EXPECT_EQ(graphic.GetPalette(), nullptr);

    graphic.LoadFromFile(FFolder.Write("eight.echo", Echo(4, -2, 8, BI_RGB, 0, 1024, 8)));
    EXPECT_EQ(graphic.Height(), 2);
    PALETTEENTRY entries[256];
    ASSERT_EQ(GetPaletteEntries(graphic.GetPalette(), 0, 256, entries), 256u);
    EXPECT_EQ(graphic.GetPalette(), graphic.GetPalette());
    for (int i : {0, 1, 255})
        EXPECT_EQ((std::vector<int>{entries[i].peRed, entries[i].peGreen, entries[i].peBlue, entries[i].peFlags}),
                  (std::vector<int>{uint8_t(28 * i + 15), uint8_t(28 * i + 8), uint8_t(28 * i + 1), 0})) << i;
    // Drawn through its colour table.
    TBitmap drawn;
    drawn.SetPixelFormat(pf24bit);
    drawn.SetSize(4, 2);
    drawn.Canvas().StretchDraw(Rect(0, 0, 4, 2), graphic);
    EXPECT_EQ((std::vector<int>{drawn.ScanLine(1)[11], drawn.ScanLine(1)[10], drawn.ScanLine(1)[9]}),
              (std::vector<int>{entries[0x22].peRed, entries[0x22].peGreen, entries[0x22].peBlue}));
    TMemoryStream eight;
    graphic.SaveToStream(eight);
    EXPECT_EQ(eight.Size(), 14 + 1064 + 8);
    // A bitmap given the picture takes its own pixels, not a drawing of them.
    TSPIBitmap indexed;
    int announced = 0;
    indexed.OnChange = [&](TPersistent*) { ++announced; };
    indexed.Assign(&graphic);
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(indexed.PixelFormat(), pf8bit);
    EXPECT_EQ(indexed.ScanLine(1)[3], 0x22);
    TSPIFvDIB dib;
    dib.Assign(&graphic);
    EXPECT_EQ(std::tuple(dib.Width(), dib.Height(), dib.BitCount(), dib.GetPixels(3, 1)), std::tuple(4, 2, 8, 0x22u));

    // Bit-field masks are part of the header image; the last picture's palette is gone.
    graphic.LoadFromFile(FFolder.Write("masks.echo", Echo(2, 1, 16, BI_BITFIELDS, 0, 12, 4)));
    EXPECT_EQ(graphic.GetPalette(), nullptr);
    TMemoryStream masks;
    graphic.SaveToStream(masks);
    EXPECT_EQ(masks.Size(), 14 + 52 + 4);
    // The depths not seen above load too.
    for (const auto& [bits, compression, table] : {std::tuple{1, BI_RGB, 8}, {4, BI_RGB, 64}, {16, BI_RGB, 0},
                                                   {32, BI_BITFIELDS, 12}}) {
        graphic.LoadFromFile(FFolder.Write("depth.echo", Echo(2, 1, bits, compression, 0, table, 8)));
        EXPECT_EQ(graphic.Width(), 2) << bits;
    }
    // A 4-bit picture brings its own table to the bitmap as a palette to realize, loaded or given.
    const std::string four = FFolder.Write("four.echo", Echo(2, 1, 4, BI_RGB, 0, 64, 8));
    graphic.LoadFromFile(four);
    TSPIBitmap loaded;
    loaded.LoadFromFile(four);
    TSPIBitmap given;
    given.Assign(&graphic);
    for (TSPIBitmap* bitmap : {&loaded, &given}) {
        PALETTEENTRY entries[16] = {};
        EXPECT_EQ(GetPaletteEntries(bitmap->GetPalette(), 0, 16, entries), 16u);
        EXPECT_EQ(std::tuple(bitmap->PixelFormat(), bitmap->PaletteModified(), entries[15].peRed, entries[15].peBlue),
                  std::tuple(pf4bit, true, 179, 165));
    }
    // A true-colour one brings none.
    graphic.LoadFromFile(FFolder.Path("two.echo"));
    TSPIBitmap trueColour;
    trueColour.Assign(&graphic);
    EXPECT_EQ(std::tuple(trueColour.PixelFormat(), trueColour.PaletteModified(), trueColour.GetPalette()),
              std::tuple(pf24bit, false, nullptr));

    // A file size that needs all four bytes.
    graphic.LoadFromFile(FFolder.Write("large.echo", Echo(2050, 2050, 32, BI_RGB, 0, 0, 2050 * 2050 * 4)));
    TMemoryStream large;
    graphic.SaveToStream(large);
    uint32_t fileSize;
    std::memcpy(&fileSize, large.Memory() + 2, 4);
    EXPECT_EQ(fileSize, 14 + 40 + 2050u * 2050 * 4);
}

TEST_F(PluginDecoding, LyingHeadersFailTheTryInsteadOfBeingRead)
{
    const std::string cases[] = {
        Echo(2, 2, 24, BI_RGB, 0, 0, 16, 12),    // a core header
        Echo(2, 2, 7, BI_RGB, 0, 0, 16),         // no such depth
        Echo(2, 2, 8, BI_RGB, 257, 1028, 8),     // too many colours, in blocks that hold them
        Echo(2, 2, 8, BI_RLE8, 0, 1024, 8),      // compressed
        Echo(2, 2, 24, BI_BITFIELDS, 0, 12, 16), // masks on 24 bits
        // Blocks far shorter than promised, beyond any allocator's rounding up.
        Echo(1000, 2, 24, BI_RGB, 0, 0, 16),     // rows longer than the block
        Echo(1000, 2, 24, BI_RGB, 0, 0, 5900),   // 100 bytes short
        Echo(2, 2, 8, BI_RGB, 0, 8, 8),          // colour table cut short
        Echo(33, 100, 1, BI_RGB, 0, 8, 400),     // 1-bit rows of 33 pixels take 8 bytes, not 4
        Echo(-2, 2, 24, BI_RGB, 0, 0, 16),
        Echo(2, 0, 24, BI_RGB, 0, 0, 16),
        Echo(2, INT32_MIN, 24, BI_RGB, 0, 0, 16),
        Echo(0x7FFFFFFF, 0x7FFFFFFF, 32, BI_RGB, 0, 0, 16), // sizes that overflow 32 bits
        "ECHO" + Le32(0xFFFFFFFF),                           // the plug-in itself fails
    };
    for (const std::string& data : cases) {
        TSPIFvDIB image;
        EXPECT_THROW(image.LoadFromFile(FFolder.Write("lie.echo", data)), EInvalidGraphic);
    }
}

TEST_F(PluginDecoding, PreviewIsTakenWhenWantedAndThePictureWhenMissing_AndTheBitmapLoadsToo)
{
    FSpis.GraphicPreview = true;
    TSPIBitmap bitmap;
    bitmap.LoadFromFile(FFolder.Write("colours.ppm", Ppm()));
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    // A plug-in's preview is taken in place of the picture, from a file and from a stream.
    bitmap.LoadFromFile(FFolder.Write("two.echo", Echo(2, 2, 24, BI_RGB, 0, 0, 16)));
    TMemoryStream stream;
    stream.LoadFromFile(FFolder.Path("two.echo"));
    TSPIBitmap fromStream;
    fromStream.LoadFromStream(stream);
    EXPECT_EQ(bitmap.Width(), 1);
    EXPECT_EQ(fromStream.Width(), 1);
    // One without a preview gives its picture, from a stream too.
    stream.LoadFromFile(FFolder.Path("colours.ppm"));
    fromStream.LoadFromStream(stream);
    EXPECT_EQ(fromStream.Width(), 3);
    FSpis.GraphicPreview = false;
    // A forced loader is the only one asked.
    FSpis.GraphicForcedLoader = static_cast<TInSPI*>(FSpis.Plugins(1));
    TSPIBitmap forced;
    EXPECT_THROW(forced.LoadFromFile(FFolder.Path("colours.ppm")), EInvalidGraphic);
    // Deleting the forced loader lets every plug-in try again.
    FSpis.Delete(1);
    forced.LoadFromFile(FFolder.Path("colours.ppm"));
    EXPECT_EQ(forced.Width(), 3);
    FSpis.Plugins(0)->SetEnabled(false);
    TSPIBitmap disabled;
    EXPECT_THROW(disabled.LoadFromFile(FFolder.Path("colours.ppm")), EInvalidGraphic);
}

} // namespace
