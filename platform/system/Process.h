// Child processes: started with posix_spawn from an argument list (never
// through a shell), waited for in short steps so the caller can do other
// work in between, with standard output and error appended to files.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Splits a parameter string as the Microsoft C run-time splits a command
// line: blanks and tabs separate, double quotes group (also inside a word),
// 2n backslashes before a quote give n backslashes and the quote groups,
// 2n + 1 give n backslashes and a literal quote, other backslashes stay; a
// doubled quote inside quotes is a literal quote.
std::vector<std::string> SplitParameters(const std::string& text);

// Where an external tool is found: as given (relative to the current
// directory); for a relative path, its file name in the executable's
// directory; for a bare name, the directories of PATH. Empty when no regular
// file is found; an empty path is never found.
std::string ResolveToolPath(const std::string& path);

// What a child's output stream goes to besides a descriptor.
constexpr int InheritStream = -1; // the caller's own stream
constexpr int NullStream = -2;    // nowhere

class TChildProcess {
public:
    // Starts argv[0] (a path, not searched) with the caller's environment and
    // current directory. stdOut and stdErr are descriptors for the child's
    // streams, InheritStream or NullStream. Answers 0 or the error number.
    int Start(const std::vector<std::string>& argv, int stdOut = InheritStream, int stdErr = InheritStream);
    ~TChildProcess();

    // Waits up to milliseconds for the child to end; true once it has ended
    // (and has been reaped).
    bool WaitFor(int milliseconds);
    bool Running() const { return FPid > 0; }

private:
    pid_t FPid = 0;
    int FPidFd = -1;
};

// An output file opened for appending (created when missing), closed with
// the object; Fd() is -1 when it could not be opened.
class TAppendFile {
public:
    explicit TAppendFile(const std::string& path);
    ~TAppendFile();
    TAppendFile(const TAppendFile&) = delete;
    TAppendFile& operator=(const TAppendFile&) = delete;
    int Fd() const { return FFd; }

private:
    int FFd = -1;
};
