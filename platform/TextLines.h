#pragma once

#include <string>
#include <string_view>
#include <vector>

/// The lines of a text file's bytes: LF ends a line and one CR before it is
/// dropped; nothing else is trimmed (blanks belong to the text). A last line
/// without LF still counts; an empty text has no lines.
std::vector<std::string> splitLines(std::string_view text);

/// A-Z to a-z; every other byte as it is. File names and keywords compare
/// without case in ASCII only, so the result never follows the user's locale.
constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// Equality with ASCII letters compared without case (asciiLower).
bool equalsNoCase(std::string_view a, std::string_view b);

/// `text` ends with `suffix`, ASCII letters compared without case.
bool endsWithNoCase(std::string_view text, std::string_view suffix);
