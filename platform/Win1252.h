#pragma once

// Text bytes are Windows-1252. Bytes 0x80..0x9F follow the code page's table,
// every other byte is Latin-1. Conversions to and from QString happen only at
// the widget boundary (see Win1252Qt.h); these are the byte-level halves.

/// The Unicode code point of one Windows-1252 byte. The five unassigned bytes
/// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, so
/// every byte survives a round trip.
char32_t win1252ToUnicode(unsigned char byte);

/// The Windows-1252 byte of a code point, or -1 when the code page cannot hold it.
int unicodeToWin1252(char32_t codePoint);
