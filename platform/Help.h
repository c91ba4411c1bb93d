#pragma once

#include <QString>

/// The program's help file; start-up sets it to "Lumisono.hlp" beside the
/// program, which is also the default. GUI thread only.
void setHelpFile(const QString& path);
QString helpFile();

/// Opens the help file with the desktop's default handler. There is no help
/// viewer that could jump to a topic, so `helpContext` only names the caller's
/// topic. A missing file is reported in an information box.
void showHelp(int helpContext = 0);
