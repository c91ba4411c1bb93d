#pragma once

#include "dialogs/WindowSet.h"
#include "platform/LaunchInfo.h"

/// Builds the converter's windows in their order (main window, progress
/// dialog, options, About box), each followed by its create step, shows the
/// main window and runs the event loop until the main window closes; then
/// destroys the windows (startUpWindows() lists them meanwhile). Returns the exit status: non-zero when the carrier
/// table cannot be loaded (nothing was shown). Needs a QApplication; GUI
/// thread only.
int converterStartUp(const LaunchInfo& launch);
