#pragma once

#include <string>

#include "engine/Session.h"

struct ValueTables;

/// The text of field `row` (1..18) of a record, as the grids show it and the
/// session file stores it: the entry of the field's table, with the ramp mark
/// on ramp fields (" R" appended, or the last of the two trailing blanks of
/// Volume, Intensity and H Beat replaced by "R"). The Freq rows use the byte
/// whole. An index of 0 or past the table, or a row outside 1..18, gives "".
std::string CellText(const ValueTables& tables, const TSegRec& rec, int row);

/// The title of spreadsheet row 0..18 ("Seg. No.", "Time", ... "H Beat Freq (R)").
const char* RowTitle(int row);
