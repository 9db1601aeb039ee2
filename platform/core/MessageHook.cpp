#include "platform/core/MessageHook.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace {

std::mutex HandlerLock;
TMessageHandler InstalledHandler;

} // namespace

void ShowMessage(const std::string& Msg)
{
    TMessageHandler Handler;
    {
        std::lock_guard<std::mutex> Guard(HandlerLock);
        Handler = InstalledHandler;
    }
    if (Handler) {
        Handler(Msg);
        return;
    }
    std::fprintf(stderr, "%s\n", Msg.c_str());
}

TMessageHandler SetMessageHandler(TMessageHandler Handler)
{
    std::lock_guard<std::mutex> Guard(HandlerLock);
    return std::exchange(InstalledHandler, std::move(Handler));
}
