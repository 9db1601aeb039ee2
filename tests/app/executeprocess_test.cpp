#include "AppTestSupport.h"
#include "app/executeprocess.h"
#include "platform/graphics/PngImage.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A tool that records its name and arguments in "calls", then writes one
// line to each of its output streams.
std::string Recorder(const std::filesystem::path& dir, const std::string& name, const std::string& extra = "")
{
    const auto path = dir / name;
    WriteFile(path, "#!/bin/sh\n" + extra + "printf '%s' \"$(basename \"$0\")\" >> \"" + (dir / "calls").string() +
                        "\"\nfor a; do printf '<%s>' \"$a\" >> \"" + (dir / "calls").string() + "\"; done\necho >> \"" +
                        (dir / "calls").string() + "\"\necho out-" + name + "\necho err-" + name + " >&2\n");
    ::chmod(path.c_str(), 0755);
    return path.string();
}

TEST(Optimisers, RunInOrderOnTheFileWithTheirParametersSplit)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("optimisers_order");
    const std::string file = (dir / "a \"b\" $c.png").string();
    const std::vector<TOptimiser> tools = {{true, Recorder(dir, "one"), "-o7 \"x y\""},
                                           {false, Recorder(dir, "two"), ""},
                                           {true, Recorder(dir, "three"), ""}};
    RunOptimisers(tools, file, false, "", "");
    EXPECT_EQ(ReadFile(dir / "calls"), "one<-o7><x y><" + file + ">\nthree<" + file + ">\n");
    EXPECT_TRUE(capture.Shown.Dialogs.empty());
}

TEST(Optimisers, LogsCollectBothStreamsAcrossRuns)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("optimisers_logs");
    const std::string log = (dir / "std.log").string();
    const std::string err = (dir / "err.log").string();
    const std::vector<TOptimiser> tools = {{true, Recorder(dir, "one"), ""}, {true, Recorder(dir, "two"), ""}};
    WriteFile(log, "old\n");
    RunOptimisers(tools, "f.png", true, log, log);
    EXPECT_EQ(ReadFile(log), "old\nout-one\nerr-one\nout-two\nerr-two\n");
    // Started with its input closed, the program opens its logs from descriptor 0 up.
    const int input = ::dup(0);
    ::close(0);
    RunOptimisers(tools, "f.png", true, log, err);
    EXPECT_EQ(ReadFile(log), "old\nout-one\nerr-one\nout-two\nerr-two\nout-one\nout-two\n");
    EXPECT_EQ(ReadFile(err), "err-one\nerr-two\n");
    // An unusable log file loses the output; the tool still runs.
    RunOptimisers(tools, "f.png", true, (dir / "missing" / "x.log").string(), err);
    ::dup2(input, 0);
    ::close(input);
    EXPECT_EQ(ReadFile(err), "err-one\nerr-two\nerr-one\nerr-two\n");
    EXPECT_EQ(ReadFile(dir / "calls"), std::string("one<f.png>\ntwo<f.png>\n") + "one<f.png>\ntwo<f.png>\n" +
                                           "one<f.png>\ntwo<f.png>\n");
}

TEST(Optimisers, AToolThatCannotStartIsReportedAndTheNextStillRuns)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("optimisers_fail");
    const std::vector<TOptimiser> tools = {{true, (dir / "absent").string(), "-x"}, {true, Recorder(dir, "two"), ""}};
    RunOptimisers(tools, "f.png", false, "", "");
    RunOptimisers(tools, "f.png", true, (dir / "log").string(), (dir / "log").string());
    ASSERT_EQ(capture.Shown.Dialogs.size(), 2u);
    EXPECT_EQ(capture.Shown.Dialogs[0].Text, "実行できません (2)");
    EXPECT_EQ(capture.Shown.Dialogs[1].Text, "実行できません (2)\r\n" + (dir / "absent").string() + " -x \"f.png\"");
    EXPECT_EQ(ReadFile(dir / "calls"), "two<f.png>\ntwo<f.png>\n");
}

TEST(Optimisers, TheWaitKeepsTheEventLoopTurning)
{
    const auto dir = ScratchFolder("optimisers_wait");
    bool firedWhileWaiting = false;
    QTimer::singleShot(50, [&] { firedWhileWaiting = ProcessWaiting(); });
    RunOptimisers({{true, Recorder(dir, "slow", "sleep 0.4\n"), ""}}, "f.png", false, "", "");
    EXPECT_TRUE(firedWhileWaiting);
    EXPECT_FALSE(ProcessWaiting());
}

TEST(Optimisers, RealOptiPngShrinksTheSavedFileAndKeepsItsPixels)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("optipng");
    const std::string file = (dir / "pic 1.png").string();
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64 * 3; ++x)
            bitmap.ScanLine(y)[x] = static_cast<uint8_t>(x / 3 * 4);
    TPngImage png;
    png.Assign(&bitmap);
    png.SetCompressionLevel(0);
    png.SaveToFile(file);
    const auto before = std::filesystem::file_size(file);
    const std::string log = (dir / "optipng.log").string();
    RunOptimisers({{true, "optipng", "-o1"}}, file, true, log, log);
    EXPECT_TRUE(capture.Shown.Dialogs.empty());
    EXPECT_LT(std::filesystem::file_size(file), before);
    EXPECT_NE(ReadFile(log).find("pic 1.png"), std::string::npos);
    TPngImage back;
    back.LoadFromFile(file);
    TBitmap pixels;
    pixels.Assign(&back);
    pixels.SetPixelFormat(pf24bit);
    EXPECT_EQ(pixels.ScanLine(47)[189], 252);
}

} // namespace
