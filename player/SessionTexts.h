#pragma once

#include <QString>
#include <string>
#include <string_view>

// Refusals that several windows make about session files, in one wording:
// the readers' refusal of a file they cannot use, and the reason a name
// cannot go into a session. Defined with the session reader and writer
// (SessionFiles.cpp).

/// The refusal of a file a reader cannot use: `"notes.lsf" is not a valid
/// session file: line 1: the file ends here, before the session name.` The
/// file is named without its folder (the dialog that chose it showed that);
/// `kind` names the kind of file ("session", "Photosonix"); `line` and
/// `reason` are the reader's (Windows-1252), as RefusalDetail takes them.
QString invalidFileText(const std::string& path, const QString& kind, int line, std::string_view reason);

/// Why a session file cannot hold the file-system name `name`, or "" when it
/// can: stored with "?" for a character that Windows-1252 lacks, it would
/// name no file when the session is read.
QString unstorableNameReason(const std::string& name);
