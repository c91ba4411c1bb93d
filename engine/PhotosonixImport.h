#pragma once

#include <string_view>

#include "engine/ImportCommon.h"

class PseudoRandom;
struct ValueTables;

/// Reads the bytes of a Photosonix session file (.lss, TAB-separated text
/// lines, LF or CR LF): line 1 the name (its first character dropped), then
/// one segment line each up to the first empty line or one that begins with
/// ";", and from that line on the description (each line's first character
/// dropped). Fields map onto the value tables by token tables and the nearest
/// entry; loop blocks are expanded. At most 2000 segment lines are read and
/// 2000 segments produced; each cut adds a note. Refused when the file has no
/// segment line or its loop blocks produce no segment.
///
/// "FSL" in the pitch field draws one random pitch from `rng`, in line order.
/// No file access, no Qt; any thread, one call at a time per `rng`.
ImportResult ParsePhotosonix(std::string_view bytes, const ValueTables& tables, PseudoRandom& rng);
