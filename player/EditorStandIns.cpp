// Spreadsheet-editor members whose work belongs to parts of the player that
// are not built yet. Each stand-in leaves this file when its real body is
// written; its menu item stays disabled until then (TForm3's unbuilt list).

#include "player/Unit1.h"

// ---- Imports --------------------------------------------------------------------------

void TForm3::ImportMlpProc() {}
