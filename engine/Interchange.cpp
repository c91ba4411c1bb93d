#include "engine/Interchange.h"

#include <algorithm>
#include <cassert>

#include "engine/SessionFile.h"
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

namespace {

std::string lineError(int line, const std::string& what)
{
    return "Line " + std::to_string(line) + ": " + what + ".";
}

/// 1 to 10 digits up to kLnfMaxFileBytes; -1 for anything else.
std::int64_t sizeOf(std::string_view text)
{
    if (text.empty() || text.size() > 10 || !std::all_of(text.begin(), text.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return -1;
    std::int64_t size = 0;
    for (const char c : text)
        size = size * 10 + (c - '0');
    return size <= kLnfMaxFileBytes ? size : -1;
}

} // namespace

std::variant<LnfContents, LnfError> ParseLnfHeader(std::string_view start, std::int64_t containerBytes)
{
    start = start.substr(0, std::min(start.size(), kLnfBlockBytes));
    if (start.substr(0, kLnfMagic.size()) != kLnfMagic)
        return LnfError{lineError(1, "the line is not \"" + std::string(kLnfMagic) + "\"")};

    std::array<std::string_view, kLnfHeaderLines> lines;
    std::size_t at = 0;
    for (int i = 0; i < kLnfHeaderLines; ++i) {
        const std::size_t end = start.find_first_of("\r\n", at);
        // A lone LF means a transfer in text mode, which damaged the payloads
        // as well; a lone CR would run this line into the next.
        if (end != std::string_view::npos && start[end] == '\n')
            return LnfError{lineError(i + 1, "the line ends in LF without CR")};
        if (end == std::string_view::npos || end + 1 == start.size())
            return LnfError{lineError(i + 1, "the line does not end in CR LF within the first " +
                                                 std::to_string(kLnfBlockBytes) + " bytes")};
        if (start[end + 1] != '\n')
            return LnfError{lineError(i + 1, "the line ends in CR without LF")};
        lines[i] = start.substr(at, end - at);
        at = end + 2;
    }
    if (lines[0] != kLnfMagic)
        return LnfError{lineError(1, "the line is not \"" + std::string(kLnfMagic) + "\"")};

    LnfContents c;
    LnfHeader& h = c.Header;
    const auto entry = [&lines](int nameLine, LnfName kind, std::string& name, std::int64_t& size) -> std::string {
        name = std::string(lines[nameLine - 1]);
        if (std::string reason = CheckLnfName(kind, name); !reason.empty())
            return lineError(nameLine, reason);
        const std::string_view text = lines[nameLine];
        size = sizeOf(text);
        if (size < 0)
            return lineError(nameLine + 1,
                             "the size is not 1 to 10 digits from 0 to " + std::to_string(kLnfMaxFileBytes));
        if (name.empty() && text != "0")
            return lineError(nameLine + 1, "the size is not \"0\" after an empty name");
        return "";
    };
    std::string reason = entry(2, LnfName::Session, h.SessionName, h.SessionSize);
    if (reason.empty() && h.SessionSize > static_cast<std::int64_t>(kMaxSessionFileBytes))
        reason = lineError(3, "the session file is larger than a session file may be (" +
                                  std::to_string(kMaxSessionFileBytes) + " bytes)");
    if (reason.empty())
        reason = entry(4, LnfName::Wav, h.ToneName, h.ToneSize);
    if (reason.empty())
        reason = entry(6, LnfName::Wav, h.BSName, h.BSSize);
    for (int n = 0; n < kLnfUserWaves && reason.empty(); ++n) {
        h.UserWaves[n] = std::string(lines[7 + n]);
        if (std::string why = CheckLnfName(LnfName::UserWave, h.UserWaves[n]); !why.empty())
            reason = lineError(8 + n, why);
    }
    if (!reason.empty())
        return LnfError{reason};

    c.Layout = LnfLayout(h, static_cast<std::int64_t>(at));
    if (c.Layout.TotalBytes > containerBytes)
        return LnfError{"The file holds " + std::to_string(containerBytes) + " bytes, fewer than the " +
                        std::to_string(c.Layout.TotalBytes) + " its header announces."};
    return c;
}

std::string CheckLnfSession(std::string_view bytes, const ValueTables& tables)
{
    if (bytes.size() > kMaxSessionFileBytes)
        return "The session file is larger than a session file may be.";
    const auto parsed = ParseSession(bytes, SessionKind::Lsf, tables);
    if (const auto* refused = std::get_if<SessionFileError>(&parsed))
        return "The session file cannot be read: " + RefusalDetail(refused->Line, refused->Reason);
    return "";
}
