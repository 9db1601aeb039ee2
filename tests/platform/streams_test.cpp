#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

TEST(MemoryStream, WritesGrowAndReadsStopAtTheEnd)
{
    TMemoryStream stream;
    const char text[] = "abcdef";
    stream.WriteBuffer(text, 6);
    EXPECT_EQ(stream.Size(), 6);
    EXPECT_EQ(stream.Position(), 6);

    stream.SetPosition(4);
    char out[8] = {};
    EXPECT_EQ(stream.Read(out, 8), 2);
    EXPECT_EQ(std::string(out, 2), "ef");
    EXPECT_EQ(stream.Read(out, 8), 0);
}

TEST(MemoryStream, ShortReadBufferRaisesReadError)
{
    TMemoryStream stream;
    stream.WriteBuffer("xy", 2);
    stream.SetPosition(0);
    char out[3];
    try {
        stream.ReadBuffer(out, 3);
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
}

TEST(MemoryStream, WritingPastTheEndLeavesZeroedGapAndSetSizeTruncates)
{
    TMemoryStream stream;
    stream.SetPosition(3);
    stream.WriteBuffer("z", 1);
    ASSERT_EQ(stream.Size(), 4);
    EXPECT_EQ(stream.Memory()[0], 0);
    EXPECT_EQ(stream.Memory()[3], 'z');

    stream.SetSize(2);
    EXPECT_EQ(stream.Size(), 2);
    EXPECT_EQ(stream.Position(), 2);
}

TEST(Streams, CopyFromWithZeroCountCopiesTheWholeSource)
{
    TMemoryStream source;
    source.WriteBuffer("hello", 5);
    TMemoryStream target;
    EXPECT_EQ(target.CopyFrom(source, 0), 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(target.Memory()), 5), "hello");
}

TEST(FileStream, RoundTripsThroughAFileAndReportsFailuresByClass)
{
    const auto path = std::filesystem::temp_directory_path() / "fv_streams_test.bin";
    {
        TFileStream out(path.string(), fmCreate);
        out.WriteBuffer("0123456789", 10);
        out.SetSize(4);
    }
    TMemoryStream in;
    in.LoadFromFile(path.string());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in.Memory()), static_cast<size_t>(in.Size())), "0123");
    std::filesystem::remove(path);

    EXPECT_THROW(TFileStream("/nonexistent/dir/x.bin", fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream("/nonexistent/dir/x.bin", fmCreate), EFCreateError);
    TFileStream full("/dev/full", fmOpenWrite);
    try {
        full.WriteBuffer("x", 1);
        ADD_FAILURE();
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "Cannot write to file \"/dev/full\". No space left on device");
    }
}

TEST(Exceptions, FollowTheLibraryHierarchy)
{
    EXPECT_THROW(throw EOutOfResources("x"), EOutOfMemory);
    EXPECT_THROW(throw EReadError("x"), EStreamError);
    EXPECT_THROW(throw ERangeError(), EIntError);
    EXPECT_THROW(throw EInvalidGraphic("x"), Exception);
}

} // namespace
