#pragma once

#include <QString>
#include <string>
#include <string_view>

/// Windows-1252 bytes to a QString, for showing file texts in widgets.
QString fromWin1252(std::string_view bytes);

/// A QString back to Windows-1252 bytes. Characters the code page cannot hold
/// become "?" and clear *ok when it is given.
std::string toWin1252(const QString& text, bool* ok = nullptr);

/// Whether every character of the text has a Windows-1252 byte.
bool fitsWin1252(const QString& text);
