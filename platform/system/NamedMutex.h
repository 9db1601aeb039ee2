// A named lock shared by every process of the user: at most one process holds
// a name at a time, and the lock goes away with the process that holds it, so
// a crashed instance never blocks the next start.
#pragma once

#include <string>

class TNamedMutex {
public:
    TNamedMutex() = default;
    ~TNamedMutex();
    TNamedMutex(const TNamedMutex&) = delete;
    TNamedMutex& operator=(const TNamedMutex&) = delete;

    // One attempt, never waiting: true when this object now holds name, false
    // when another holder has it (or the lock file cannot be made).
    bool TryAcquire(const std::string& name);
    void Release();
    bool Held() const { return FHandle >= 0; }

    // The lock file that stands for name: in $XDG_RUNTIME_DIR, else the temporary directory.
    static std::string LockPath(const std::string& name);

private:
    int FHandle = -1;
};
