#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>

class QSettings;

/// The settings both programs share: one INI file, group "System". Every value
/// is stored as text (folders as they are, integers in decimal, Booleans "0"
/// or "1"), and a value that is missing or does not parse reads as the
/// caller's default. Written to disk by sync() and at destruction.
/// GUI thread only.
class Settings {
public:
    /// The user's settings file, ~/.config/Halcyon-Labs/Lumisonorium SW.conf.
    Settings();
    /// Any INI file: tests point the settings at a temporary one.
    explicit Settings(const QString& filePath);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    QString readString(const QString& key, const QString& defaultValue) const;
    /// A decimal integer that fits 32 bits, else the default.
    std::int32_t readInteger(const QString& key, std::int32_t defaultValue) const;
    /// Any integer other than 0 reads as true; anything not an integer as the default.
    bool readBool(const QString& key, bool defaultValue) const;

    /// A stored folder as file-system bytes with one trailing "/". A value
    /// that is missing, empty, relative, or not an existing folder gives
    /// `defaultFolder` (given a trailing "/" too), which need not exist: the
    /// reader never creates folders. The one folder rule of both programs.
    std::string readFolder(const QString& key, const std::string& defaultFolder) const;

    void writeString(const QString& key, const QString& value);
    void writeInteger(const QString& key, std::int32_t value);
    void writeBool(const QString& key, bool value);
    /// A folder given as file-system bytes, stored as it is.
    void writeFolder(const QString& key, const std::string& folder);

    /// Writes pending changes; false when the file could not be written.
    bool sync();
    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
};
