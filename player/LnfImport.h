#pragma once

class TForm1;

/// "I&mport LNF file": unpacks an interchange file (engine/Interchange.h)
/// into the session, source-wav and user-wave folders, opens the session it
/// carried, points it at the files written and saves it. Asks to save a
/// modified session first (a cancelled or failed save ends it). The whole
/// header and the session are checked before any question, and every
/// question is answered before anything is written: a file whose name exists
/// is overwritten, renamed, skipped (not the session) or the import cancelled.
/// No name in the container places a file anywhere but directly in its
/// folder. Each entry is written whole or not at all, so a Cancel between wav
/// blocks or a failure keeps the file an entry was to replace, and the open
/// session stays until the imported one has been read. Ends in "The LNF file
/// was imported successfuly." or, after the reason, "The LNF file was not
/// imported completely!". GUI thread only.
void importLnfFile(TForm1& main);
