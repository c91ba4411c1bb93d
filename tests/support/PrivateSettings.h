#pragma once

#include <QFile>
#include <QTemporaryDir>

/// Points the user's settings (XDG_CONFIG_HOME) at a fresh temporary folder
/// while it lives, so that start-up and exit touch nothing of the user's or
/// of another test's. Make it before any Settings.
class PrivateSettings {
public:
    PrivateSettings() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path())); }
    ~PrivateSettings() { qputenv("XDG_CONFIG_HOME", m_old); }
    QString file() const { return m_dir.path() + "/Halcyon-Labs/Lumisonorium SW.conf"; }

private:
    QByteArray m_old = qgetenv("XDG_CONFIG_HOME");
    QTemporaryDir m_dir;
};
