#pragma once

#include <QMap>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <string>

/// The settings both programs share: one INI file, group "System". Every value
/// is stored as text (folders as they are, integers in decimal, Booleans "0"
/// or "1"), and a value that is missing or does not parse reads as the
/// caller's default. The file is read when the object is made; changes reach
/// it at sync() and at destruction.
///
/// Qt makes and reads the INI text, but never writes the file: the text is
/// made on a private copy and checked to hold every key and value it should,
/// and the file is replaced whole through AtomicFile. A write merges: it takes
/// the file as it is then, so that the other program's keys and groups stay
/// as they are. A write that fails leaves the file as it was and says so in
/// one line on standard error; nothing else is left behind. GUI thread only.
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

    /// Writes pending changes; false when the file could not be written,
    /// which is also reported on standard error. The changes still read back
    /// from this object.
    bool sync();
    QString fileName() const;

private:
    QVariant value(const QString& key) const;
    void write(const QString& key, const QString& value);

    QString m_file;
    QVariantMap m_stored;            // every key of the file as read, with its group
    QMap<QString, QString> m_changes; // written since the last successful sync
    bool m_unsynced = false;          // changes that no sync has tried to write
};
