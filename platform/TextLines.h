#pragma once

#include <string>
#include <string_view>
#include <vector>

/// The lines of a text file's bytes: LF ends a line and one CR before it is
/// dropped; nothing else is trimmed (blanks belong to the text). A last line
/// without LF still counts; an empty text has no lines.
std::vector<std::string> splitLines(std::string_view text);
