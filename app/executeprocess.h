// Running the external PNG optimisers on a saved file: each tool is started
// as a child process and waited for while the window keeps repainting; one
// variant shares the program's own output streams, the other appends the
// child's standard output and error to log files.
#pragma once

#include <string>
#include <vector>

// One optimiser run: the tool's path, its parameter string (split by the
// Microsoft C run-time rules) and the file it works on, each kept apart so
// that no blank, quote or shell character in them can change the arguments.
struct TCommandLine {
    std::string Program;
    std::string Parameters;
    std::string FileName;

    // The line as the user reads it: program, blank, parameters, blank and
    // the file name in double quotes.
    std::string Text() const;
    // The child's arguments: the program as resolved, the parameters, the file.
    std::vector<std::string> Arguments() const;
};

// Runs and waits. There is no console window of its own to show on this
// platform, so ShowWindow changes nothing: the child writes to the program's
// own streams. A tool that cannot be started shows "実行できません (N)".
void ExecuteAndWait(const TCommandLine& CommandLine, bool ShowWindow);
// Runs and waits with standard output appended to StdOutPath and standard
// error to StdErrPath (the same file when the two are equal). A log file that
// cannot be opened loses that stream; a tool that cannot be started shows
// "実行できません (N)", CR LF and the command line.
void ExecuteAndWaitRedirect(const TCommandLine& CommandLine, const std::string& StdOutPath,
                            const std::string& StdErrPath);

// True while a run waits for its child: the window must then run no command
// that changes the document or files, and must not close.
bool ProcessWaiting();

struct TOptimiser {
    bool Flag;
    std::string Path;
    std::string Param;
};

// Runs each optimiser whose flag is set, in the given order, on FileName;
// each ends before the next starts.
void RunOptimisers(const std::vector<TOptimiser>& Tools, const std::string& FileName, bool LogFlag,
                   const std::string& StdLogPath, const std::string& ErrLogPath);
