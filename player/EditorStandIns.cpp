// Spreadsheet-editor members whose work belongs to parts of the player that
// are not built yet. Each stand-in leaves this file when its real body is
// written; its menu item stays disabled until then (TForm3's unbuilt list).

#include "player/Unit1.h"

// ---- Imports --------------------------------------------------------------------------

void TForm3::ImportPsxProc() {}
void TForm3::ImportMlpProc() {}

// ---- Segment operations ------------------------------------------------------------

void TForm3::Cut1Click() {}
void TForm3::CopyProc() {}
void TForm3::PasteProc() {}
void TForm3::DeleteProc() {}
void TForm3::AddNewSeg() {}
void TForm3::InsertProc() {}
