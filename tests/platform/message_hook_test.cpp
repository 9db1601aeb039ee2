#include "platform/core/MessageHook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(MessageHook, GoesToTheInstalledHandlerUntilItIsReplaced)
{
    std::vector<std::string> First;
    std::vector<std::string> Second;
    const TMessageHandler Original = SetMessageHandler([&](const std::string& Msg) { First.push_back(Msg); });
    ShowMessage("一つ目");
    const TMessageHandler Replaced = SetMessageHandler([&](const std::string& Msg) { Second.push_back(Msg); });
    ShowMessage("two");
    SetMessageHandler(Replaced);
    ShowMessage("three");
    SetMessageHandler(Original);
    EXPECT_EQ(First, (std::vector<std::string>{"一つ目", "three"}));
    EXPECT_EQ(Second, (std::vector<std::string>{"two"}));
}

TEST(MessageHook, TheDefaultWritesToStandardError)
{
    const TMessageHandler Original = SetMessageHandler(nullptr);
    testing::internal::CaptureStderr();
    ShowMessage("SetStretchBltModeの失敗");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "SetStretchBltModeの失敗\n");
    SetMessageHandler(Original);
}
