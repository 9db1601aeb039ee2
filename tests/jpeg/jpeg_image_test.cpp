#include "JpegTestSupport.h"
#include "jpeg/JPEGLibraryRecord.h"

#include "platform/core/TickCount.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/PngImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <utility>

namespace {

TEST(JpegImage, RegisteredForBothExtensions)
{
    EXPECT_EQ(TPicture::FileFormatClass("jpg"), &TJPEGImage::ClassInfo);
    EXPECT_EQ(TPicture::FileFormatClass("JPEG"), &TJPEGImage::ClassInfo);
    int found = 0;
    for (const TFileFormat& format : TPicture::FileFormats())
        if (format.GraphicClass == &TJPEGImage::ClassInfo) {
            EXPECT_EQ(format.Description, "JPEG Image File");
            ++found;
        }
    EXPECT_EQ(found, 2);

    TPicture picture;
    picture.LoadFromFile(JpegFixture("baseline420.jpg"));
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 61);
}

TEST(JpegImage, NewImagesTakeEveryDefault)
{
    // As shipped: quality 90, 24 bits at full size, smoothed, down-sampled 2 x 1.
    const TJPEGImage shipped;
    EXPECT_EQ(std::tuple(int{shipped.CompressionQuality()}, shipped.Grayscale(), shipped.Performance(),
                         shipped.PixelFormat(), shipped.ProgressiveDisplay(), shipped.ProgressiveEncoding(),
                         shipped.Scale(), shipped.Smoothing(), shipped.DownSampling(), int{shipped.hSamplingFactor()},
                         int{shipped.vSamplingFactor()}),
              std::tuple(90, false, jpBestQuality, jf24Bit, false, false, jsFullSize, true, true, 2, 1));
    const TJPEGDefaults saved = JPEGDefaults;
    JPEGDefaults = {37, true, jpBestSpeed, jf8Bit, true, true, jsHalf, false, false, 1, 2};
    TJPEGImage jpeg;
    JPEGDefaults = saved;
    EXPECT_EQ(jpeg.CompressionQuality(), 37);
    EXPECT_TRUE(jpeg.Grayscale());
    EXPECT_EQ(jpeg.Performance(), jpBestSpeed);
    EXPECT_EQ(jpeg.PixelFormat(), jf8Bit);
    EXPECT_TRUE(jpeg.ProgressiveDisplay());
    EXPECT_TRUE(jpeg.ProgressiveEncoding());
    EXPECT_FALSE(jpeg.Smoothing());
    EXPECT_FALSE(jpeg.DownSampling());
    EXPECT_EQ(jpeg.hSamplingFactor(), 1);
    EXPECT_EQ(jpeg.vSamplingFactor(), 2);
    EXPECT_EQ(jpeg.Scale(), jsHalf);
    LoadJpegFixture(jpeg, "baseline420.jpg");
    EXPECT_EQ(jpeg.Width(), 31);
}

TEST(JpegImage, EqualsMeansSharingTheSameData)
{
    TJPEGImage first;
    TJPEGImage second;
    LoadJpegFixture(first, "baseline420.jpg");
    LoadJpegFixture(second, "baseline420.jpg");
    EXPECT_FALSE(first.Equals(&second));

    TJPEGImage copy;
    copy.Assign(&first);
    EXPECT_TRUE(copy.Equals(&first));
    // Given itself, it keeps its data and the picture it decoded.
    TBitmap decoded;
    decoded.Assign(&copy);
    copy.Assign(&copy);
    EXPECT_TRUE(copy.Equals(&first));
    TBitmap again;
    again.Assign(&copy);
    ASSERT_EQ(again.Height(), decoded.Height());
    EXPECT_TRUE(std::equal(decoded.ScanLine(5), decoded.ScanLine(5) + 3 * decoded.Width(), again.ScanLine(5)));
    // Neither a picture nor a bitmap: refused as by every graphic, and the data stays.
    EXPECT_THROW(copy.Assign(nullptr), EConvertError);
    EXPECT_TRUE(copy.Equals(&first));

    // Compressing one of them gives it new data; the other keeps the old.
    copy.Compress();
    EXPECT_FALSE(copy.Equals(&first));
    EXPECT_EQ(SavedBytes(first), ReadFileBytes(JpegFixture("baseline420.jpg")));

    // So does loading another file into one; an empty stream gives an empty picture.
    copy.Assign(&first);
    LoadJpegFixture(copy, "progressive.jpg");
    EXPECT_EQ(SavedBytes(first), ReadFileBytes(JpegFixture("baseline420.jpg")));
    TMemoryStream empty;
    copy.LoadFromStream(empty);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(first.Width(), 61);
}

TEST(JpegImage, SettersDropThePictureButKeepTheData)
{
    TJPEGImage jpeg;
    int changes = 0;
    jpeg.OnChange = [&](TPersistent*) { ++changes; };
    LoadJpegFixture(jpeg, "baseline420.jpg");
    // The load and the decode that follows are each announced.
    jpeg.DIBNeeded();
    const int afterDecode = changes;
    EXPECT_EQ(afterDecode, 2);

    // Unchanged values: nothing happens.
    jpeg.SetSmoothing(jpeg.Smoothing());
    jpeg.SetScale(jpeg.Scale());
    jpeg.SetGrayscale(jpeg.Grayscale());
    jpeg.SetPixelFormat(jpeg.PixelFormat());
    jpeg.SetPerformance(jpeg.Performance());
    EXPECT_EQ(changes, afterDecode);
    jpeg.SetScale(jsHalf);
    EXPECT_EQ(changes, afterDecode + 1);
    EXPECT_EQ(jpeg.Width(), 31);
    EXPECT_EQ(jpeg.Height(), 24);
    // Each setter announces its change once; those that change the colours ask for the palette again.
    jpeg.SetPaletteModified(false);
    jpeg.SetGrayscale(true);
    EXPECT_EQ(std::pair(changes, jpeg.PaletteModified()), std::pair(afterDecode + 2, true));
    jpeg.SetPaletteModified(false);
    jpeg.SetPixelFormat(jf8Bit);
    EXPECT_EQ(std::pair(changes, jpeg.PaletteModified()), std::pair(afterDecode + 3, true));
    jpeg.SetPaletteModified(false);
    jpeg.SetPerformance(jpBestSpeed);
    EXPECT_EQ(std::pair(changes, jpeg.PaletteModified()), std::pair(afterDecode + 4, true));
    jpeg.SetPaletteModified(false);
    jpeg.SetSmoothing(!jpeg.Smoothing());
    EXPECT_EQ(std::pair(changes, jpeg.PaletteModified()), std::pair(afterDecode + 5, false));
    EXPECT_EQ(SavedBytes(jpeg), ReadFileBytes(JpegFixture("baseline420.jpg")));

    // Each change drops the decoded picture: the next use decodes again.
    int decodes = 0;
    jpeg.OnProgress = [&](TPersistent*, TProgressStage stage, uint8_t, bool, const TRect&, const std::string&) {
        decodes += stage == TProgressStage::psStarting;
    };
    const std::function<void()> setters[] = {[&] { jpeg.SetSmoothing(!jpeg.Smoothing()); },
                                             [&] { jpeg.SetScale(jsFullSize); },
                                             [&] { jpeg.SetGrayscale(false); },
                                             [&] { jpeg.SetPixelFormat(jf24Bit); },
                                             [&] { jpeg.SetPerformance(jpBestQuality); }};
    for (const auto& set : setters) {
        jpeg.DIBNeeded();
        const int before = decodes;
        set();
        jpeg.DIBNeeded();
        EXPECT_EQ(decodes, before + 1);
    }
}

// The length comes first, least significant byte first: a file padded past
// 16 MiB shows all four bytes.
TEST(JpegImage, WriteDataAndReadDataRoundTrip)
{
    std::vector<uint8_t> file = ReadFileBytes(JpegFixture("progressive.jpg"));
    file.resize(0x01020304);
    TJPEGImage jpeg;
    LoadJpeg(jpeg, file);
    TMemoryStream stream;
    jpeg.WriteData(stream);
    ASSERT_EQ(stream.Size(), static_cast<int64_t>(file.size()) + 4);
    EXPECT_EQ(std::vector<uint8_t>(stream.Memory(), stream.Memory() + 4), (std::vector<uint8_t>{4, 3, 2, 1}));

    stream.SetPosition(0);
    TJPEGImage copy;
    copy.ReadData(stream);
    EXPECT_EQ(SavedBytes(copy), file);
    EXPECT_TRUE(copy.ProgressiveEncoding());
}

TEST(JpegImage, PaletteOfTheCallerIsUsedForEightBitOutput)
{
    auto palette = [](unsigned count) {
        LOGPALETTE logical{};
        logical.palVersion = 0x300;
        logical.palNumEntries = static_cast<WORD>(count);
        for (unsigned i = 0; i < count; ++i)
            logical.palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(i * 17), static_cast<BYTE>(255 - i * 17),
                                                  static_cast<BYTE>(i * 8), 0};
        return CreatePalette(&logical);
    };
    for (const unsigned count : {16u, 256u}) {
        TJPEGImage jpeg;
        jpeg.SetPixelFormat(jf8Bit);
        LoadJpegFixture(jpeg, "baseline420.jpg");
        jpeg.SetPalette(palette(count));
        TBitmap bitmap;
        bitmap.Assign(&jpeg);
        ASSERT_EQ(bitmap.PixelFormat(), pf8bit);
        ASSERT_EQ(GetPaletteEntries(bitmap.Palette(), 0, 0, nullptr), count);
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                ASSERT_LT(bitmap.ScanLine(y)[x], count);
    }

    // Until a decode the image hands out the palette given; a 24-bit decode has no use for it and drops it.
    TJPEGImage jpeg;
    LoadJpegFixture(jpeg, "baseline420.jpg");
    HPALETTE given = palette(16);
    jpeg.SetPalette(given);
    EXPECT_EQ(jpeg.Palette(), given);
    jpeg.DIBNeeded();
    jpeg.SetPixelFormat(jf8Bit);
    EXPECT_EQ(jpeg.Palette(), nullptr);
    // Decoded, it hands out the picture's; given that one back it keeps the picture.
    jpeg.DIBNeeded();
    HPALETTE own = jpeg.Palette();
    EXPECT_GT(GetPaletteEntries(own, 0, 0, nullptr), 16u);
    int changes = 0;
    jpeg.OnChange = [&](TPersistent*) { ++changes; };
    jpeg.SetPaletteModified(false);
    jpeg.SetPalette(own);
    EXPECT_EQ(jpeg.Palette(), own);
    EXPECT_EQ(changes, 0);
    // Another palette drops the picture; the next decode uses it.
    jpeg.SetPalette(palette(16));
    EXPECT_TRUE(jpeg.PaletteModified());
    EXPECT_EQ(changes, 1);
    TBitmap bitmap;
    bitmap.Assign(&jpeg);
    EXPECT_EQ(GetPaletteEntries(bitmap.Palette(), 0, 0, nullptr), 16u);
}

// A picture assigned from a bitmap has no JPEG data yet: a copy takes the
// picture itself, its size cannot be changed, and only a bitmap takes it.
TEST(JpegImage, AssignedPictureIsCopiedAndPastedWithItsSize)
{
    TBitmap source;
    PaintTestPicture(source, 37, 13);
    TJPEGImage jpeg;
    jpeg.Assign(&source);
    TJPEGImage copy;
    copy.Assign(&jpeg);
    for (void (TGraphic::*resize)(int) : {&TGraphic::SetWidth, &TGraphic::SetHeight}) {
        try {
            (copy.*resize)(5);
            ADD_FAILURE() << "resized";
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.Message(), "JPEG イメージのサイズは変更できません");
        }
    }
    TPngImage png;
    EXPECT_THROW(png.Assign(&copy), EConvertError);

    // Through the clipboard as a bitmap.
    unsigned format = 0;
    HGLOBAL data = nullptr;
    HPALETTE palette = nullptr;
    copy.SaveToClipboardFormat(format, data, palette);
    TJPEGImage pasted;
    pasted.LoadFromClipboardFormat(format, data, palette);
    GlobalFree(data);
    EXPECT_EQ(std::pair(pasted.Width(), pasted.Height()), std::pair(37, 13));
    TBitmap bitmap;
    bitmap.Assign(&pasted);
    EXPECT_TRUE(std::equal(source.ScanLine(12), source.ScanLine(12) + 3 * 37, bitmap.ScanLine(12)));
}

TEST(JpegProgress, PercentGuardsItsDivisions)
{
    EXPECT_EQ(JPEGPercentDone(5, 0, 0, 1), -1);
    EXPECT_EQ(JPEGPercentDone(5, 10, 0, 0), -1);
    EXPECT_EQ(JPEGPercentDone(0, 1, 0, 1), 0);
    EXPECT_EQ(JPEGPercentDone(999, 1000, 0, 10), 9);
    EXPECT_EQ(JPEGPercentDone(5, 10, 0, 1), 50);
    EXPECT_EQ(JPEGPercentDone(5, 10, 1, 2), 75);
    EXPECT_EQ(JPEGPercentDone(20, 10, 0, 1), 100);
}

// A report that is due reaches the image's handler; an exception of the
// handler leaves the hook through the jump point instead of unwinding. The
// band runs from the last reported row to the current one, or to the bottom
// when a new output pass started over from the top.
TEST(JpegProgress, HandlerExceptionIsRaisedOnOurSide)
{
    TJPEGImage jpeg;
    LoadJpegFixture(jpeg, "baseline420.jpg");
    std::vector<TRect> bands;
    std::vector<int> percents;
    std::vector<bool> redraws;
    jpeg.OnProgress = [&](TPersistent*, TProgressStage stage, uint8_t percent, bool redraw, const TRect& band,
                          const std::string&) {
        EXPECT_EQ(stage, TProgressStage::psRunning);
        percents.push_back(percent);
        redraws.push_back(redraw);
        bands.push_back(band);
        throw EAbort();
    };
    TJPEGLibraryRecord record;
    CreateDecompress(record, &jpeg);
    record.d.output_width = 61;
    record.d.output_height = 47;
    record.progress.last_scanline = 4;
    record.progress.pub.pass_limit = 5;
    record.progress.pub.total_passes = 1;
    record.progress.pub.pass_counter = 1;
    auto call = [&] { JPEGProgress(record.Common()); };
    // The first report, and one within half a second of the last, are skipped.
    for (const uint32_t last : {uint32_t{0}, GetTickCount() - 100}) {
        record.progress.last_time = last;
        EXPECT_TRUE(JumpGuarded(record.jump, call));
    }
    for (const int scanline : {8, 11, 11, 5}) {
        record.d.output_scanline = static_cast<JDIMENSION>(scanline);
        record.progress.last_time = 1; // not the first report, and long ago
        EXPECT_FALSE(JumpGuarded(record.jump, call));
        EXPECT_THROW(RaiseLibraryError(record), EAbort);
        ++record.progress.pub.pass_counter;
    }
    // A report of the same share as the one before is skipped.
    --record.progress.pub.pass_counter;
    record.progress.last_time = 1;
    EXPECT_TRUE(JumpGuarded(record.jump, call));
    EXPECT_EQ(percents, (std::vector<int>{20, 40, 60, 80}));
    // Bands of more than 3 rows are worth redrawing at once.
    EXPECT_EQ(redraws, (std::vector<bool>{true, false, false, true}));
    EXPECT_EQ(bands, (std::vector<TRect>{Rect(0, 4, 61, 8), Rect(0, 8, 61, 11), Rect(0, 11, 61, 11), Rect(0, 11, 61, 47)}));

    // Writing has no rows on show: its reports carry no band.
    TJPEGLibraryRecord writing;
    CreateCompress(writing, &jpeg);
    writing.progress.last_scanline = 4;
    writing.progress.pub.pass_limit = 5;
    writing.progress.pub.total_passes = 1;
    writing.progress.pub.pass_counter = 1;
    writing.progress.last_time = 1;
    auto write = [&] { JPEGProgress(writing.Common()); };
    EXPECT_FALSE(JumpGuarded(writing.jump, write));
    EXPECT_THROW(RaiseLibraryError(writing), EAbort);
    EXPECT_EQ(bands.back(), TRect{});
    EXPECT_FALSE(redraws.back());
}

} // namespace
