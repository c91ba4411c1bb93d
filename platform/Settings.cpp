#include "Settings.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "Numbers.h"
#include "Paths.h"

namespace {

const QString kGroup = QStringLiteral("System/");

} // namespace

Settings::Settings()
    : Settings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
               + QStringLiteral("/Halcyon-Labs/Lumisonorium SW.conf"))
{
}

Settings::Settings(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

Settings::~Settings() = default;

QString Settings::readString(const QString& key, const QString& defaultValue) const
{
    const QVariant value = m_settings->value(kGroup + key);
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
    const QVariant value = m_settings->value(kGroup + key);
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

void Settings::writeString(const QString& key, const QString& value)
{
    m_settings->setValue(kGroup + key, value);
}

void Settings::writeInteger(const QString& key, std::int32_t value)
{
    m_settings->setValue(kGroup + key, QString::number(value));
}

void Settings::writeBool(const QString& key, bool value)
{
    m_settings->setValue(kGroup + key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void Settings::writeFolder(const QString& key, const std::string& folder)
{
    writeString(key, QFile::decodeName(QByteArray::fromStdString(folder)));
}

bool Settings::sync()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString Settings::fileName() const
{
    return m_settings->fileName();
}
