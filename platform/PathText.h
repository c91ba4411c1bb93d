#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <string>

// Paths are file-system bytes; dialogs, edits and captions show them as text.

inline std::string pathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

inline QString pathText(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

/// The folder of a file chosen in a dialog, with a trailing "/".
inline std::string folderOf(const QString& file)
{
    return pathBytes(QFileInfo(file).absolutePath()) + "/";
}
