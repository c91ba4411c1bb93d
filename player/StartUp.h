#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QWidget;
class TAudioOut;
struct PlayerModel;

/// Where and how the program was started.
struct LaunchInfo {
    QString programDir;    // the program's folder, where its data files are
    QString launchDir;     // the current folder when the program was started
    QStringList arguments; // the command line without the program name

    /// The running application's: its folder and its arguments. Call before
    /// anything changes the current folder.
    static LaunchInfo current();
};

/// Builds the model and every window in their order, each followed by its
/// create step, shows the main window and runs the event loop until the main
/// window closes; then destroys the windows and the model. Returns the exit
/// status: non-zero when the data files cannot be used (nothing was shown).
/// Needs a QApplication; GUI thread only.
int startUp(const LaunchInfo& launch);

/// The windows start-up has created so far, in creation order; empty outside
/// startUp().
std::vector<QWidget*> startUpWindows();
