#include "Settings.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "AtomicFile.h"
#include "IoError.h"
#include "Numbers.h"
#include "Paths.h"
#include "RegularFile.h"

namespace {

const QString kGroup = QStringLiteral("System/");
/// Far beyond any settings file of ours: a larger one is no file to rewrite.
constexpr std::size_t kMaxFileBytes = 4 << 20;

std::string pathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

/// The file's bytes, none when it does not exist. Throws IoError when it
/// exists but cannot be read whole, so that a write never replaces a file it
/// could not merge.
QByteArray currentText(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return {};
    const std::string bytes = readRegularFile(path, kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        throw IoError(path, "read", "the file is too large for settings");
    return QByteArray::fromStdString(bytes);
}

/// Qt's INI reader and writer, run on private copies in a folder of their own
/// that goes with the object: Qt's writer, given the real file, can leave an
/// empty file in its place when its write fails, and report no error. Each
/// copy gets a name of its own, since Qt keeps what it read of a name.
class IniScratch {
public:
    explicit IniScratch(std::string file)
        : m_file(std::move(file))
    {
    }

    /// Every key of `text`, with its group.
    QVariantMap parse(const QByteArray& text)
    {
        if (text.isEmpty()) // a first start: no copy to make
            return {};
        QSettings ini(copy(text), QSettings::IniFormat);
        QVariantMap values;
        for (const QString& key : ini.allKeys())
            values.insert(key, ini.value(key));
        return values;
    }

    /// `text` with `changes` made, as Qt writes it.
    QByteArray rewrite(const QByteArray& text, const QMap<QString, QString>& changes)
    {
        const QString path = copy(text);
        {
            QSettings ini(path, QSettings::IniFormat);
            for (auto c = changes.begin(); c != changes.end(); ++c)
                ini.setValue(c.key(), c.value());
            ini.sync();
            if (ini.status() == QSettings::AccessError)
                fail("Qt could not write it");
        }
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            fail(f.errorString().toStdString());
        return f.readAll();
    }

private:
    QString copy(const QByteArray& text)
    {
        if (!m_dir) {
            // An unusable TMPDIR gives no path at all, and the copies must
            // not land in the root folder instead.
            const QString temp = QDir::tempPath();
            if (temp.isEmpty())
                fail("no folder for temporary files");
            m_dir.emplace(temp + QStringLiteral("/lumi-settings-XXXXXX"));
        }
        if (!m_dir->isValid())
            fail(m_dir->errorString().toStdString());
        const QString path = m_dir->filePath(QStringLiteral("%1.conf").arg(++m_copies));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.flush())
            fail(f.errorString().toStdString());
        return path;
    }

    [[noreturn]] void fail(const std::string& why) const
    {
        throw IoError(m_file, "write", "the settings text could not be made (" + why + ")");
    }

    std::string m_file;
    std::optional<QTemporaryDir> m_dir;
    int m_copies = 0;
};

/// The settings folder locked for one read-merge-write, so that two programs
/// that exit at once both keep their keys. The lock goes with the descriptor
/// and leaves no file; one that cannot be had soon is done without, as a
/// program stuck elsewhere must not keep this one from ending.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        for (int tries = 0; m_fd >= 0 && tries < 200; ++tries) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR))
                return;
            ::usleep(10'000);
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd;
};

} // namespace

Settings::Settings()
    : Settings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
               + QStringLiteral("/Halcyon-Labs/Lumisonorium SW.conf"))
{
}

Settings::Settings(const QString& filePath)
    : m_file(filePath)
{
    // Unreadable settings read as defaults; only a write must not go past them.
    const std::string path = pathBytes(m_file);
    try {
        m_stored = IniScratch(path).parse(currentText(path));
    } catch (const IoError&) {
    }
}

Settings::~Settings()
{
    if (m_unsynced)
        sync();
}

QVariant Settings::value(const QString& key) const
{
    const QString full = kGroup + key;
    const auto changed = m_changes.find(full);
    return changed != m_changes.end() ? QVariant(*changed) : m_stored.value(full);
}

QString Settings::readString(const QString& key, const QString& defaultValue) const
{
    const QVariant value = this->value(key);
    if (!value.isValid())
        return defaultValue;
    // An unquoted comma in a hand-edited file makes the INI reader split the
    // text into a list; the text itself is what was meant.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

std::int32_t Settings::readInteger(const QString& key, std::int32_t defaultValue) const
{
    const QVariant value = this->value(key);
    if (!value.isValid() || value.typeId() == QMetaType::QStringList)
        return defaultValue;
    const auto number = parseWholeNumber(value.toString().toStdString());
    if (!number || *number < INT32_MIN || *number > INT32_MAX)
        return defaultValue;
    return static_cast<std::int32_t>(*number);
}

bool Settings::readBool(const QString& key, bool defaultValue) const
{
    return readInteger(key, defaultValue ? 1 : 0) != 0;
}

std::string Settings::readFolder(const QString& key, const std::string& defaultFolder) const
{
    const QString folder = readString(key, {});
    // A relative folder would follow whatever the current folder happens to
    // be; nothing keeps one, so it counts as missing.
    const QFileInfo info(folder);
    if (folder.isEmpty() || info.isRelative() || !info.isDir())
        return withTrailingSlash(defaultFolder);
    return withTrailingSlash(QFile::encodeName(folder).toStdString());
}

void Settings::write(const QString& key, const QString& value)
{
    m_changes.insert(kGroup + key, value);
    m_unsynced = true;
}

void Settings::writeString(const QString& key, const QString& value)
{
    write(key, value);
}

void Settings::writeInteger(const QString& key, std::int32_t value)
{
    write(key, QString::number(value));
}

void Settings::writeBool(const QString& key, bool value)
{
    write(key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void Settings::writeFolder(const QString& key, const std::string& folder)
{
    writeString(key, QFile::decodeName(QByteArray::fromStdString(folder)));
}

bool Settings::sync()
{
    m_unsynced = false;
    if (m_changes.isEmpty())
        return true;
    const std::string path = pathBytes(m_file);
    try {
        const QString folder = QFileInfo(m_file).absolutePath();
        QDir().mkpath(folder);
        const FolderLock lock(pathBytes(folder));
        const QByteArray before = currentText(path);
        IniScratch scratch(path);
        QVariantMap expected = scratch.parse(before);
        for (auto c = m_changes.begin(); c != m_changes.end(); ++c)
            expected.insert(c.key(), c.value());
        const QByteArray text = scratch.rewrite(before, m_changes);
        // What Qt wrote, read back: a write of Qt's that failed unnoticed
        // shows here as keys missing, never as an emptied file.
        QVariantMap written = scratch.parse(text);
        if (written != expected)
            throw IoError(path, "write", "the settings text could not be made (keys went missing)");
        AtomicFile::writeWhole(path, text.toStdString());
        m_stored = std::move(written);
        m_changes.clear();
        return true;
    } catch (const IoError& e) {
        // No box: the settings are written at exit, when nobody could act on
        // one; the old file stays as it was.
        std::fprintf(stderr, "Settings not saved. %s\n", e.what());
        return false;
    }
}

QString Settings::fileName() const
{
    return m_file;
}
