#include "engine/Interchange.h"

#include <cassert>

#include "platform/Win1252.h"

namespace {

void addLine(std::string& out, std::string_view text)
{
    out.append(text);
    out += "\r\n";
}

void addSize(std::string& out, const std::string& name, std::int64_t size)
{
    assert(size >= 0 && size <= kLnfMaxFileBytes);
    addLine(out, name.empty() ? std::string("0") : std::to_string(size));
}

bool endsWithNoCase(std::string_view name, std::string_view lowerSuffix)
{
    if (name.size() < lowerSuffix.size())
        return false;
    const std::string_view end = name.substr(name.size() - lowerSuffix.size());
    for (std::size_t i = 0; i < end.size(); ++i) {
        const char c = end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] - 'A' + 'a') : end[i];
        if (c != lowerSuffix[i])
            return false;
    }
    return true;
}

} // namespace

std::string FormatLnfHeader(const LnfHeader& h)
{
    std::string out;
    addLine(out, kLnfMagic);
    addLine(out, h.SessionName);
    addSize(out, h.SessionName, h.SessionSize);
    addLine(out, h.ToneName);
    addSize(out, h.ToneName, h.ToneSize);
    addLine(out, h.BSName);
    addSize(out, h.BSName, h.BSSize);
    for (const std::string& wave : h.UserWaves)
        addLine(out, wave);
    return out;
}

LnfLayout::LnfLayout(const LnfHeader& h, std::int64_t headerBytes)
{
    const auto carried = [](const std::string& name, std::int64_t size) { return name.empty() ? 0 : size; };
    SessionOffset = headerBytes;
    ToneOffset = SessionOffset + h.SessionSize;
    BSOffset = ToneOffset + carried(h.ToneName, h.ToneSize);
    std::int64_t at = BSOffset + carried(h.BSName, h.BSSize);
    for (int n = 0; n < kLnfUserWaves; ++n) {
        UserWaveOffsets[n] = h.UserWaves[n].empty() ? -1 : at;
        if (!h.UserWaves[n].empty())
            at += kLnfUserWaveBytes;
    }
    TotalBytes = at;
}

std::string CheckLnfName(LnfName kind, std::string_view name)
{
    if (name.empty())
        return kind == LnfName::Session ? "the name is empty" : "";
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            return "the name holds a control character";
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
            return "the name holds a byte that Windows-1252 does not define";
        if (std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            return "the name holds one of / \\ : * ? \" < > |";
    }
    if (name == "." || name == "..")
        return "the name is \".\" or \"..\"";
    if (name.back() == ' ' || name.back() == '.')
        return "the name ends in a blank or a dot";
    if (win1252ToUtf8(name).size() > 255)
        return "the name is longer than 255 bytes";
    if (kind == LnfName::Session && !endsWithNoCase(name, ".lsf"))
        return "a session file's name must end in \".lsf\"";
    if (kind == LnfName::UserWave) {
        const std::string_view base = name.substr(0, name.size() >= 4 ? name.size() - 4 : 0);
        if (name.size() <= 4 || name.substr(name.size() - 4) != ".pcm" || base.find('.') != std::string_view::npos)
            return "a user wave's name must be a name without \".\" followed by \".pcm\"";
    }
    return "";
}
