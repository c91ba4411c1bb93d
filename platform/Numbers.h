#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Locale-free number reading and writing: "." is always the decimal separator.

/// A whole decimal number: optional leading blanks, an optional "-", digits,
/// and nothing after. Empty when the text is anything else or out of range.
std::optional<std::int64_t> parseWholeNumber(std::string_view text);

/// A decimal number that fills the whole text: optional "-", digits with at
/// most one ".", at least one digit. No blanks, exponent, "inf" or "nan";
/// empty too for a value beyond what a long double holds.
std::optional<long double> parseDecimal(std::string_view text);

/// The number at the start of the text, read up to the first character that
/// does not fit (as a lenient string-to-number conversion would); 0 when none
/// or beyond what a long double holds.
long double leadingDecimal(std::string_view text);

/// The whole number at the start of the text after blanks, read up to the
/// first non-digit; empty when no digit follows the blanks.
std::optional<std::int64_t> leadingInteger(std::string_view text);

/// The whole number at the start of the text, read leniently as other
/// programs' files need: blanks, an optional "+" or "-", then digits up to the
/// first character that is no digit. No digit reads 0; a value beyond the
/// 32-bit range saturates to its nearest end.
std::int32_t leadingWhole(std::string_view text);

/// The real number at the start of the text, read likewise: blanks, an
/// optional sign, digits, and an optional "." with digits (no exponent). No
/// digit reads 0; a value too large for long double reads as infinity, one too
/// small as 0.
long double leadingReal(std::string_view text);

/// Fixed notation with the given number of decimals ("9.9", "10.00").
std::string formatFixed(double value, int decimals);

std::string formatInt(std::int64_t value);

/// Whole seconds as minutes and two-digit seconds ("0:05", "125:00"); minutes
/// are not folded into hours.
std::string formatMinutesSeconds(std::int64_t secs);
