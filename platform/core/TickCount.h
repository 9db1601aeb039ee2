#pragma once

#include <cstdint>

// Milliseconds since an arbitrary start, from a monotonic clock; wraps after 49.7 days.
uint32_t GetTickCount();
