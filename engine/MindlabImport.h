#pragma once

#include <string_view>

#include "engine/ImportCommon.h"

struct ValueTables;

/// Reads the bytes of a Mindlab Pro session file (.ses, comma-separated text
/// lines, LF or CR LF). Line 1 is "name,count,...": the name before the first
/// ",", then the segment count (blanks, a whole number from 1 to 2000,
/// blanks); what follows a second "," is ignored. Line 2 up to its first ","
/// is the description; lines 3 and 4 are skipped; lines 5 .. 4 + count hold
/// one segment each, and later lines are ignored.
///
/// Frequencies and durations go to the nearest table entries; tone, pitches,
/// waves and balances come from a decision table that alternates the new
/// pitch between the two sides from one segment to the next. Refused, naming
/// the line, when line 1 holds no such count, when a line the count asks for
/// is missing, or when a frequency or duration field is not a decimal number.
/// No file access, no Qt, no locale; any thread.
ImportResult ParseMindlab(std::string_view bytes, const ValueTables& tables);
