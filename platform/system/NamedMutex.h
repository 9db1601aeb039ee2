// A named lock shared by every process of one user: at most one of them holds
// a name at a time, and the lock goes away with the process that holds it, so
// a crashed instance never blocks the next start. Other users' processes
// never meet this user's lock, and nothing another user leaves behind can
// keep this user out.
#pragma once

#include <string>

class TNamedMutex {
public:
    TNamedMutex() = default;
    ~TNamedMutex();
    TNamedMutex(const TNamedMutex&) = delete;
    TNamedMutex& operator=(const TNamedMutex&) = delete;

    // One attempt, never waiting: false only when another process of this
    // user holds name. When no lock can be made for this user (no private
    // folder, no lock file) the answer is true without holding anything, so a
    // start is never refused for that.
    bool TryAcquire(const std::string& name);
    void Release();
    bool Held() const { return FHandle >= 0; }

    // The lock file that stands for name, in this user's private folder:
    // $XDG_RUNTIME_DIR when that is a folder of this user's that nobody else
    // may write, else the folder fv-mutex-<uid> in the temporary directory,
    // made with mode 0700. Empty when neither is such a folder.
    static std::string LockPath(const std::string& name);

private:
    int FHandle = -1;
};
