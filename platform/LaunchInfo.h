#pragma once

#include <QString>
#include <QStringList>
#include <string>

/// Where and how a program was started.
struct LaunchInfo {
    QString programDir;    // the program's folder, where its data files are
    QString launchDir;     // the current folder when the program was started
    QStringList arguments; // the command line without the program name

    /// The running application's: its folder and its arguments. Call before
    /// anything changes the current folder.
    static LaunchInfo current();

    /// programDir as file-system bytes without a trailing "/" ("/" stays).
    std::string programFolder() const;
};
