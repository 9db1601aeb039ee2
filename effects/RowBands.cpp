#include "effects/RowBands.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::atomic<int> RequestedThreads{0};

// Below this much work per thread, starting a thread costs more than it saves.
constexpr int64_t MinBytesPerThread = 256 * 1024;

} // namespace

void SetEngineThreadCount(int Count)
{
    RequestedThreads.store(std::max(Count, 0));
}

int EngineThreadCount()
{
    const int Requested = RequestedThreads.load();
    if (Requested > 0)
        return Requested;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void ForEachBand(int Count, int64_t BytesPerItem, const std::function<void(int First, int Last)>& Body)
{
    if (Count <= 0)
        return;
    const int64_t Total = static_cast<int64_t>(Count) * std::max<int64_t>(BytesPerItem, 1);
    const int64_t ByWork = std::max<int64_t>(1, Total / MinBytesPerThread);
    const int Bands = static_cast<int>(std::min<int64_t>({EngineThreadCount(), ByWork, Count}));
    if (Bands <= 1) {
        Body(0, Count);
        return;
    }

    std::vector<std::exception_ptr> Errors(Bands);
    auto RunBand = [&](int Band) {
        const int First = static_cast<int>(static_cast<int64_t>(Count) * Band / Bands);
        const int Last = static_cast<int>(static_cast<int64_t>(Count) * (Band + 1) / Bands);
        try {
            Body(First, Last);
        } catch (...) {
            Errors[Band] = std::current_exception();
        }
    };

    std::vector<std::thread> Threads;
    Threads.reserve(Bands - 1);
    int Band = 1;
    for (; Band < Bands; ++Band) {
        try {
            Threads.emplace_back(RunBand, Band);
        } catch (const std::system_error&) {
            // No more threads to be had: the calling thread does the rest.
            break;
        }
    }
    for (int Rest = Band; Rest < Bands; ++Rest)
        RunBand(Rest);
    RunBand(0);
    for (std::thread& Thread : Threads)
        Thread.join();
    for (const std::exception_ptr& Error : Errors)
        if (Error)
            std::rethrow_exception(Error);
}
