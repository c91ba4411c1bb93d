#pragma once

#include <QFile>
#include <QTemporaryDir>

#include "platform/Settings.h"

/// Points every Settings made while it lives at a fresh, empty folder of its
/// own (through XDG_CONFIG_HOME), so that no test reads or writes the settings
/// of whoever runs it; the previous folder comes back when it goes. QtApp.cpp
/// makes one for each test binary's whole run, before the QApplication. A test
/// that must start from empty settings, or plants values before the windows
/// read them (start-up, exit, the spreadsheet editor), makes its own first:
///     PrivateSettings settings;
///     Settings(settings.file()).writeInteger("F3w", 700);
class PrivateSettings {
public:
    PrivateSettings() { qputenv(kVariable, QFile::encodeName(m_dir.path())); }
    ~PrivateSettings()
    {
        if (m_hadPrevious)
            qputenv(kVariable, m_previous);
        else
            qunsetenv(kVariable);
    }
    PrivateSettings(const PrivateSettings&) = delete;
    PrivateSettings& operator=(const PrivateSettings&) = delete;

    /// The folder that stands in for ~/.config.
    QString folder() const { return m_dir.path(); }
    /// The file Settings() reads and writes meanwhile.
    QString file() const { return Settings().fileName(); }

private:
    static constexpr char kVariable[] = "XDG_CONFIG_HOME";
    QByteArray m_previous = qgetenv(kVariable);
    bool m_hadPrevious = qEnvironmentVariableIsSet(kVariable);
    QTemporaryDir m_dir;
};
