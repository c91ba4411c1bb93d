#pragma once

#include <string>
#include <vector>

/// The long, absolute form of a file name: a relative `name` is taken from
/// `baseDir`, then links, "." and ".." are resolved. "" when the name holds
/// "\\\\" (two backslashes), "*" or "?", or does not name an existing regular
/// file. Names are file-system bytes.
std::string LongFileName(const std::string& name, const std::string& baseDir);

/// The extension of a file name: the text from the last "." of its name part
/// (after the last "/" or "\") on, with A-Z lower-cased and nothing else; ""
/// when the name part has no ".". A leading dot counts: ".lsf" gives ".lsf".
std::string lowerExtension(const std::string& name);

/// What the command line asks the player to open at start.
struct CommandLineSession {
    std::string fileName; // absolute path of a session file, or "" for none
    bool invalid = false; // an existing file that is no ".lsf" was named
};

/// The session named by the program's arguments (without the program name):
/// all of them joined by single blanks, resolved against the folder the
/// program was started from, and expanded by LongFileName. A name that names
/// no file gives no session silently; an existing file of another kind gives
/// no session and `invalid`.
CommandLineSession commandLineSession(const std::vector<std::string>& arguments, const std::string& launchDir);
