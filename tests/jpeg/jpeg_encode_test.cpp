#include "JpegTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <jpeglib.h>

namespace {

// What a JPEG file's header says about how it was encoded.
struct HeaderFacts {
    int width = 0;
    int height = 0;
    int components = 0;
    int hSampling = 0;
    int vSampling = 0;
    bool progressive = false;
};

HeaderFacts ReadFacts(const std::vector<uint8_t>& bytes)
{
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, bytes.data(), bytes.size());
    jpeg_read_header(&d, TRUE);
    HeaderFacts facts{static_cast<int>(d.image_width), static_cast<int>(d.image_height), d.num_components,
                      d.comp_info[0].h_samp_factor, d.comp_info[0].v_samp_factor,
                      static_cast<bool>(jpeg_has_multiple_scans(&d))};
    jpeg_destroy_decompress(&d);
    return facts;
}

std::vector<uint8_t> Encode(TBitmap& source, const std::function<void(TJPEGImage&)>& options)
{
    TJPEGImage jpeg;
    options(jpeg);
    jpeg.Assign(&source);
    return SavedBytes(jpeg);
}

TEST(JpegEncode, OptionsReachTheFile)
{
    TBitmap source;
    PaintTestPicture(source, 53, 29);

    const HeaderFacts defaults = ReadFacts(Encode(source, [](TJPEGImage&) {}));
    EXPECT_EQ(defaults.width, 53);
    EXPECT_EQ(defaults.height, 29);
    EXPECT_EQ(defaults.components, 3);
    EXPECT_EQ(defaults.hSampling, 2);
    EXPECT_EQ(defaults.vSampling, 1);
    EXPECT_FALSE(defaults.progressive);

    const HeaderFacts full = ReadFacts(Encode(source, [](TJPEGImage& j) { j.SetDownSampling(false); }));
    EXPECT_EQ(full.hSampling, 1);
    EXPECT_EQ(full.vSampling, 1);

    const HeaderFacts sampled = ReadFacts(Encode(source, [](TJPEGImage& j) {
        j.SethSamplingFactor(1);
        j.SetvSamplingFactor(2);
    }));
    EXPECT_EQ(sampled.hSampling, 1);
    EXPECT_EQ(sampled.vSampling, 2);

    EXPECT_TRUE(ReadFacts(Encode(source, [](TJPEGImage& j) { j.SetProgressiveEncoding(true); })).progressive);
    EXPECT_EQ(ReadFacts(Encode(source, [](TJPEGImage& j) { j.SetGrayscale(true); })).components, 1);

    const size_t low = Encode(source, [](TJPEGImage& j) { j.SetCompressionQuality(10); }).size();
    const size_t high = Encode(source, [](TJPEGImage& j) { j.SetCompressionQuality(100); }).size();
    EXPECT_LT(low, high);
}

TEST(JpegEncode, RoundTripKeepsThePicture)
{
    TBitmap source;
    PaintTestPicture(source, 64, 48);
    TJPEGImage encoder;
    encoder.SetCompressionQuality(95);
    encoder.SetDownSampling(false);
    encoder.Assign(&source);
    encoder.Compress();
    EXPECT_EQ(encoder.Width(), 64);

    TJPEGImage decoder;
    LoadJpeg(decoder, SavedBytes(encoder));
    TBitmap decoded;
    decoded.Assign(&decoder);
    ASSERT_EQ(decoded.Width(), 64);
    ASSERT_EQ(decoded.Height(), 48);
    long error = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const Rgb a = PixelOf(source, x, y);
            const Rgb b = PixelOf(decoded, x, y);
            error += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
        }
    EXPECT_LT(error / (3 * 64 * 48), 4);
}

TEST(JpegEncode, EightBitPictureIsEncodedAsColour)
{
    TJPEGImage eightBit;
    eightBit.SetPixelFormat(jf8Bit);
    LoadJpegFixture(eightBit, "baseline420.jpg");
    TBitmap picture;
    picture.Assign(&eightBit);
    ASSERT_EQ(picture.PixelFormat(), pf8bit);
    EXPECT_EQ(ReadFacts(Encode(picture, [](TJPEGImage&) {})).components, 3);
}

TEST(JpegEncode, NothingToEncodeWritesZeroBytes)
{
    TJPEGImage jpeg;
    EXPECT_TRUE(jpeg.Empty());
    EXPECT_TRUE(SavedBytes(jpeg).empty());

    TJPEGImage fresh;
    TMemoryStream stream;
    fresh.WriteData(stream);
    ASSERT_EQ(stream.Size(), 4);
    EXPECT_EQ(std::vector<uint8_t>(stream.Memory(), stream.Memory() + 4), std::vector<uint8_t>(4, 0));
}

TEST(JpegEncode, CompressingLoadedDataReencodesIt)
{
    TJPEGImage jpeg;
    LoadJpegFixture(jpeg, "baseline420.jpg");
    jpeg.SetCompressionQuality(30);
    jpeg.Compress();
    const std::vector<uint8_t> bytes = SavedBytes(jpeg);
    const HeaderFacts facts = ReadFacts(bytes);
    EXPECT_EQ(facts.width, 61);
    EXPECT_EQ(facts.height, 47);
    EXPECT_NE(bytes, ReadFileBytes(JpegFixture("baseline420.jpg")));
}

TEST(JpegEncode, AbortLeavesNoData_AndLibraryErrorsRaise)
{
    TBitmap source;
    PaintTestPicture(source, 20, 20);
    TJPEGImage jpeg;
    jpeg.Assign(&source);
    // A whole compression starts at 0 and ends at 100.
    std::vector<std::pair<TProgressStage, int>> ends;
    jpeg.OnProgress = [&](TPersistent*, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::string&) {
        if (stage != TProgressStage::psRunning)
            ends.emplace_back(stage, percent);
    };
    jpeg.Compress();
    EXPECT_EQ(ends, (std::vector<std::pair<TProgressStage, int>>{{TProgressStage::psStarting, 0}, {TProgressStage::psEnding, 100}}));
    jpeg.Assign(&source);
    jpeg.OnProgress = [](TPersistent*, TProgressStage stage, uint8_t, bool, const TRect&, const std::string&) {
        if (stage == TProgressStage::psStarting)
            throw EAbort();
    };
    EXPECT_NO_THROW(jpeg.Compress());
    TMemoryStream stream;
    jpeg.WriteData(stream);
    EXPECT_EQ(stream.Size(), 4);

    TJPEGImage bad;
    bad.SethSamplingFactor(5);
    bad.Assign(&source);
    try {
        bad.Compress();
        FAIL() << "no error";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Message(), "JPEG エラー #18");
    }
}

} // namespace
