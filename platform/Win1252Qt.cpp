#include "Win1252Qt.h"

#include <QList>

#include "Win1252.h"

QString fromWin1252(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes)
        text.append(QChar(static_cast<char16_t>(win1252ToUnicode(static_cast<unsigned char>(c)))));
    return text;
}

std::string toWin1252(const QString& text, bool* ok)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    bool all = true;
    for (char32_t cp : text.toUcs4()) {
        int b = unicodeToWin1252(cp);
        if (b < 0) {
            all = false;
            b = '?';
        }
        bytes.push_back(static_cast<char>(b));
    }
    if (ok)
        *ok = all;
    return bytes;
}

bool fitsWin1252(const QString& text)
{
    bool ok = true;
    toWin1252(text, &ok);
    return ok;
}
