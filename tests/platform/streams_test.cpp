#include "platform/core/ErrorText.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

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
    EXPECT_EQ(stream.Seek(-5, TSeekOrigin::soEnd), 1);
    EXPECT_EQ(stream.Read(out, 2), 2);
    EXPECT_EQ(std::string(out, 2), "bc");
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
    EXPECT_THROW(stream.SetSize(-1), EStreamError);
    // Before the start there is nowhere to write.
    stream.SetPosition(-1);
    try {
        stream.WriteBuffer("z", 1);
        ADD_FAILURE();
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "Stream write error");
    }
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
    const auto path = std::filesystem::temp_directory_path() / ("fv_streams_test_" + std::to_string(::getpid()) + ".bin");
    {
        TFileStream out(path.string(), fmCreate);
        out.WriteBuffer("0123456789", 10);
        out.SetSize(4);
    }
    TMemoryStream in;
    in.LoadFromFile(path.string());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in.Memory()), static_cast<size_t>(in.Size())), "0123");
    TFileStream readOnly(path.string(), fmOpenRead);
    try {
        readOnly.SetSize(2);
        ADD_FAILURE();
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), "ファイル \"" + path.string() + "\" の大きさを変更できません。" + ErrorReason(EINVAL));
    }
    std::filesystem::remove(path);

    const std::string missing = "/nonexistent/dir/x.bin";
    const std::string notFound = "ファイルまたはフォルダーが見つかりません。";
    try {
        TFileStream open(missing, fmOpenRead);
        ADD_FAILURE();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "ファイル \"" + missing + "\" を開けません。" + notFound);
    }
    try {
        TFileStream folder(std::filesystem::temp_directory_path().string(), fmCreate);
        ADD_FAILURE();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "ファイル \"" + std::filesystem::temp_directory_path().string() + "\" を作成できません。フォルダーです。");
    }
    TFileStream full("/dev/full", fmOpenWrite);
    try {
        full.WriteBuffer("x", 1);
        ADD_FAILURE();
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "ファイル \"/dev/full\" に書き込めません。ディスクに空きがありません。");
    }
}

TEST(FileStream, GivesTheCommonReasonsInJapaneseAndRareOnesAsTheSystemDoes)
{
    const std::pair<int, const char*> reasons[] = {
        {EACCES, "アクセスが拒否されました。"},
        {EPERM, "この操作は許可されていません。"},
        {EROFS, "読み取り専用のファイルシステムです。"},
        {ENOSPC, "ディスクに空きがありません。"},
        {EDQUOT, "ディスクの使用量の上限に達しました。"},
        {EFBIG, "ファイルが大きすぎます。"},
        {EISDIR, "フォルダーです。"},
        {ENOENT, "ファイルまたはフォルダーが見つかりません。"},
        {ENOTDIR, "パスの途中にフォルダーでないものがあります。"},
        {ELOOP, "シンボリックリンクが多すぎます。"},
        {ENAMETOOLONG, "ファイル名が長すぎます。"},
        {EIO, nullptr},
    };
    for (const auto& [error, reason] : reasons)
        EXPECT_EQ(ErrorReason(error), reason != nullptr ? reason : std::string(std::strerror(error)) + "。") << error;
    EXPECT_EQ(CannotCreateMessage("a b.bmp", EROFS), "ファイル \"a b.bmp\" を作成できません。読み取り専用のファイルシステムです。");
}

TEST(Exceptions, FollowTheLibraryHierarchy)
{
    EXPECT_THROW(throw EOutOfResources("x"), EOutOfMemory);
    EXPECT_THROW(throw EReadError("x"), EStreamError);
    EXPECT_THROW(throw ERangeError(), EIntError);
    EXPECT_THROW(throw EInvalidGraphic("x"), Exception);
}

} // namespace
