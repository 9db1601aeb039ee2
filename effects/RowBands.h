// Splitting an operation's rows across the machine's cores. Each band is a
// contiguous range of rows handled by one thread; every row is computed the
// same way whichever thread runs it, so the bytes never depend on the split.
// The call returns only when every band is done.
#pragma once

#include <cstdint>
#include <functional>

// Threads one operation may use; 0 (the default) means every core.
void SetEngineThreadCount(int Count);
// The count in force, at least 1.
int EngineThreadCount();

// Runs Body(First, Last) on half-open bands covering 0 .. Count - 1 and waits
// for all of them. BytesPerItem says how much work one item is; small jobs
// stay on the calling thread. An exception from a band is passed on after
// every band has finished.
void ForEachBand(int Count, int64_t BytesPerItem, const std::function<void(int First, int Last)>& Body);
