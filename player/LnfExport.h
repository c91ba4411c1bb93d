#pragma once

#include <QString>

class TForm1;

/// The export's proposal for the session file `sesFileName`: its name part
/// with the last four characters (".lsf") replaced by ".lnf"; a name part of
/// fewer than four characters gets ".lnf" appended.
QString defaultLnfName(const QString& sesFileName);

/// "&Export session as LNF file": packs the open session into one interchange
/// file (engine/Interchange.h) with its tone and backing-sound wav files (each
/// only if the user agrees) and the user waves its four slots name. Asks to
/// save a modified or unsaved session first; a cancelled or failed save, or a
/// wav file the session needs but does not name, ends it silently. Every
/// check (names the container can hold, sizes it can carry, a target that is
/// no file of the session, free space) comes before anything is written; the
/// copy runs behind the application-modal progress dialog and can be
/// cancelled between wav blocks. Nothing appears at the chosen name before
/// the complete file does, so a refused, cancelled or failed export leaves an
/// earlier file there as it was, and ends in "The export of LNF file
/// failed.". GUI thread only.
void exportLnfFile(TForm1& main);
