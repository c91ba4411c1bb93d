// Main-window members whose work belongs to parts of the player that are not
// built yet. Each stand-in leaves this file when its real body is written in
// the file of its own part (Transport.cpp, WavFiles.cpp, ...); their controls
// and menu items stay disabled until then (TForm1::disableUnbuilt).

#include "player/Sonavisp.h"

// ---- Interchange files ---------------------------------------------------------------

void TForm1::ImportLNFFile() {}
