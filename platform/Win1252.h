#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text bytes are Windows-1252. Bytes 0x80..0x9F follow the code page's table,
// every other byte is Latin-1. Conversions to and from QString happen only at
// the widget boundary (see Win1252Qt.h); these are the byte-level halves.

/// The Unicode code point of one Windows-1252 byte. The five unassigned bytes
/// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, so
/// every byte survives a round trip.
char32_t win1252ToUnicode(unsigned char byte);

/// The Windows-1252 byte of a code point, or -1 when the code page cannot hold it.
int unicodeToWin1252(char32_t codePoint);

// The byte pair between file-system names (UTF-8 on Linux) and names stored
// in files as Windows-1252 (the interchange container's header): no Qt, so
// that the engine and the container's checks use it too.

/// Whether the bytes are well-formed UTF-8: no overlong form, no surrogate,
/// nothing beyond U+10FFFF, no sequence cut short.
bool isUtf8(std::string_view bytes);

/// UTF-8 bytes as Windows-1252 bytes; nothing when they are not UTF-8 (see
/// isUtf8) or hold a character the code page cannot hold. U+0081, U+008D,
/// U+008F, U+0090 and U+009D give the undefined byte of the same value, as
/// win1252ToUnicode pairs them.
std::optional<std::string> utf8ToWin1252(std::string_view utf8);

/// Windows-1252 bytes as UTF-8. Every byte has a character, so it never
/// fails, and utf8ToWin1252 gives the bytes back.
std::string win1252ToUtf8(std::string_view bytes);
