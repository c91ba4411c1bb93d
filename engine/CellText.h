#pragma once

#include <span>
#include <string>

#include "engine/Session.h"

struct ValueTables;

/// The text of field `row` (1..18) of a record, as the grids show it and the
/// session file stores it: the entry of the field's table, with the ramp mark
/// on ramp fields (" R" appended, or the last of the two trailing blanks of
/// Volume, Intensity and H Beat replaced by "R"). The Freq rows use the byte
/// whole. An index of 0 or past the table, or a row outside 1..18, gives "".
std::string CellText(const ValueTables& tables, const TSegRec& rec, int row);

/// Whether a ramp mark replaces the last of the text's two trailing blanks
/// with "R" (Volume, Intensity, H Beat) rather than appending " R".
constexpr bool rampMarkReplacesLast(int row)
{
    return row == fVolume || row == fIntensity || row == fHBeat;
}

/// The texts of the table that field `row` (1..18) indexes, entry 0 empty;
/// an empty span for any other row. The Freq rows share BeatFreqNames.
std::span<const std::string> FieldTexts(const ValueTables& tables, int row);

/// The title of spreadsheet row 0..18 ("Seg. No.", "Time", ... "H Beat Freq (R)").
const char* RowTitle(int row);
