#pragma once

#include "dialogs/WindowSet.h"
#include "platform/LaunchInfo.h"

class QWidget;
class TAudioOut;
struct PlayerModel;

/// Builds the model and every window in their order, each followed by its
/// create step, shows the main window and runs the event loop until the main
/// window closes; then destroys the windows (startUpWindows() lists them
/// meanwhile) and the model. Returns the exit status: non-zero when the data
/// files cannot be used (nothing was shown). Needs a QApplication; GUI thread
/// only.
int startUp(const LaunchInfo& launch);
