// File-system services of the platform that the shell needs: where the
// running executable lives, and a rename that never replaces its target.
#pragma once

#include "platform/core/Streams.h"

#include <functional>
#include <string>

// The full path of the running executable; empty when it cannot be found.
std::string GetExecutablePath();

// The directory of the running executable, with a trailing '/'; empty when
// it cannot be found.
std::string GetExecutableDirectory();

// Moves from to to, failing (false) when to already exists instead of
// replacing it, as the platform's MoveFile does.
bool RenameNoReplace(const std::string& from, const std::string& to);

// True when the current user may create files in directory.
bool DirectoryWritable(const std::string& directory);

// ${XDG_CONFIG_HOME:-$HOME/.config}/Farovinter/ (the temporary directory in
// place of the configuration folder when neither is set), created when
// missing, with a trailing '/'.
std::string UserConfigDirectory();

// Writes a file the user saves: Write fills a temporary file beside it, which
// then replaces FileName. A link is never replaced: the save goes to the file
// at the end of its chain of links (created when it does not exist yet). A
// failing Write leaves FileName as it was; the replacement keeps the old
// file's permissions and, where it may, its owner (a new file gets 0666 less
// the umask). A file this user may not write, or that no one may write, or
// that is not a regular file, is refused before anything is written. Where
// the folder takes no temporary file, or (sticky) lets this user replace no
// file, an existing file is written in place and its old bytes put back
// when the new ones cannot be written whole; a new file is refused naming
// the folder. Failures raise EFCreateError naming FileName and the reason; a
// write into the stream that falls short raises EWriteError naming FileName
// likewise.
void SaveFileReplacing(const std::string& FileName, const std::function<void(TStream&)>& Write);
