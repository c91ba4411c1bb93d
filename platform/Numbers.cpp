#include "Numbers.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// Length of the longest prefix shaped like [-]digits[.digits] (or [-].digits).
std::size_t decimalPrefixLength(std::string_view t)
{
    std::size_t i = 0;
    if (i < t.size() && t[i] == '-')
        ++i;
    std::size_t digits = 0;
    while (i < t.size() && isDigit(t[i])) {
        ++i;
        ++digits;
    }
    if (i < t.size() && t[i] == '.') {
        std::size_t j = i + 1;
        std::size_t fraction = 0;
        while (j < t.size() && isDigit(t[j])) {
            ++j;
            ++fraction;
        }
        if (fraction > 0 || digits > 0) {
            digits += fraction;
            i = j;
        }
    }
    return digits == 0 ? 0 : i;
}

/// Empty when the value lies beyond what a long double holds.
std::optional<long double> convert(std::string_view t)
{
    long double value = 0;
    if (std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::fixed).ec != std::errc())
        return std::nullopt;
    return value;
}
} // namespace

std::optional<std::int64_t> parseWholeNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    text.remove_prefix(i);
    if (text.empty() || (text[0] == '-' && (text.size() == 1 || !isDigit(text[1]))) || text[0] == '+')
        return std::nullopt;
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<long double> parseDecimal(std::string_view text)
{
    std::size_t n = decimalPrefixLength(text);
    if (n == 0 || n != text.size())
        return std::nullopt;
    return convert(text);
}

long double leadingDecimal(std::string_view text)
{
    std::size_t n = decimalPrefixLength(text);
    return n == 0 ? 0.0L : convert(text.substr(0, n)).value_or(0.0L);
}

std::optional<std::int64_t> leadingInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::size_t start = i;
    std::int64_t value = 0;
    while (i < text.size() && isDigit(text[i])) {
        if (value > (std::numeric_limits<std::int64_t>::max() - 9) / 10)
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (i == start)
        return std::nullopt;
    return value;
}

namespace {
/// The text after leading blanks and one sign; `negative` tells which sign.
std::string_view afterBlanksAndSign(std::string_view text, bool& negative)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    return text.substr(i);
}
} // namespace

std::int32_t leadingWhole(std::string_view text)
{
    bool negative = false;
    text = afterBlanksAndSign(text, negative);
    // Counting past the 32-bit range only to saturate: stop before int64 could wrap.
    constexpr std::int64_t kBeyond = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t value = 0;
    for (std::size_t i = 0; i < text.size() && isDigit(text[i]); ++i)
        value = std::min(value * 10 + (text[i] - '0'), kBeyond);
    if (negative)
        value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                               std::numeric_limits<std::int32_t>::max()));
}

long double leadingReal(std::string_view text)
{
    bool negative = false;
    text = afterBlanksAndSign(text, negative);
    std::size_t whole = 0;
    while (whole < text.size() && isDigit(text[whole]))
        ++whole;
    std::size_t end = whole;
    if (end < text.size() && text[end] == '.') {
        std::size_t j = end + 1;
        while (j < text.size() && isDigit(text[j]))
            ++j;
        if (j > end + 1 || whole > 0)
            end = j;
    }
    if (end == 0)
        return 0.0L;
    long double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + end, value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Too many digits before the point overflow; a long run of zeros
        // after it only underflows.
        const bool large = text.substr(0, whole).find_first_not_of('0') != std::string_view::npos;
        value = large ? std::numeric_limits<long double>::infinity() : 0.0L;
    }
    return negative ? -value : value;
}

std::string formatFixed(double value, int decimals)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}

std::string formatInt(std::int64_t value)
{
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, end);
}

std::string formatMinutesSeconds(std::int64_t secs)
{
    const std::int64_t s = secs % 60;
    return formatInt(secs / 60) + (s < 10 ? ":0" : ":") + formatInt(s);
}
