#include "Win1252.h"

namespace {
// 0x80..0x9F; 0 marks the unassigned bytes, which keep their own value.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
} // namespace

char32_t win1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F && kHigh[byte - 0x80] != 0)
        return kHigh[byte - 0x80];
    return byte;
}

int unicodeToWin1252(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == codePoint || (kHigh[i] == 0 && codePoint == char32_t(0x80 + i)))
            return 0x80 + i;
    }
    return -1;
}

namespace {

/// Decodes the UTF-8 sequence at `at`; advances it. -1 for a malformed one.
long nextCodePoint(std::string_view s, std::size_t& at)
{
    const auto byte = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    int more = 0; // continuation bytes
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF)
        more = 1;
    else if (lead >= 0xE0 && lead <= 0xEF)
        more = 2;
    else if (lead >= 0xF0 && lead <= 0xF4)
        more = 3;
    else
        return -1;
    // The least code point each length may carry: a smaller one is overlong.
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    char32_t cp = lead & (0x3F >> more);
    if (s.size() - at <= static_cast<std::size_t>(more))
        return -1;
    for (int i = 1; i <= more; ++i) {
        const unsigned char b = byte(at + i);
        if ((b & 0xC0) != 0x80)
            return -1;
        cp = cp << 6 | (b & 0x3F);
    }
    if (cp < kLeast[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    at += more + 1;
    return static_cast<long>(cp);
}

} // namespace

bool isUtf8(std::string_view bytes)
{
    for (std::size_t at = 0; at < bytes.size();)
        if (nextCodePoint(bytes, at) < 0)
            return false;
    return true;
}

std::optional<std::string> utf8ToWin1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const long cp = nextCodePoint(utf8, at);
        const int byte = cp < 0 ? -1 : unicodeToWin1252(static_cast<char32_t>(cp));
        if (byte < 0)
            return std::nullopt;
        out += static_cast<char>(byte);
    }
    return out;
}

std::string win1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const char32_t cp = win1252ToUnicode(static_cast<unsigned char>(c));
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else { // the code page holds nothing beyond the first plane
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}
