#include "engine/UserWaves.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/SampleTables.h"
#include "platform/IoError.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExt = ".pcm";

// Upper-case letters of Windows-1252 to lower case: ASCII, the accented
// capitals 0xC0..0xDE (not 0xD7, the multiplication sign) and the four the
// code page places in 0x80..0x9F. A fixed table, so the order never follows
// the user's locale.
unsigned char foldCase(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A: return 0x9A; // S caron
    case 0x8C: return 0x9C; // OE
    case 0x8E: return 0x9E; // Z caron
    case 0x9F: return 0xFF; // Y diaeresis
    default: return c;
    }
}

int compareFolded(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = foldCase(static_cast<unsigned char>(a[i]));
        const unsigned char y = foldCase(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The entry a file name gives, or nothing. Of the names ending in ".pcm" in
// any letter case, only those whose four characters from the first "." are
// exactly ".pcm" count, and these four are cut out. A cut that does not give
// back the file on appending ".pcm" ("a.pcmx.pcm" would list "ax.pcm") would
// list a wave that cannot be opened, so such names stay out too; what is left
// ends in exactly ".pcm".
std::string entryOf(const std::string& name)
{
    if (name.empty() || name.front() == '.')
        return {};
    // Session and interchange files store the entry on a line of its own.
    if (name.find_first_of("\t\r\n") != std::string::npos)
        return {};
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos || name.compare(dot, kExt.size(), kExt) != 0)
        return {};
    std::string entry = name;
    entry.erase(dot, kExt.size());
    if (entry + std::string(kExt) != name || entry == kSineEntry)
        return {};
    return entry;
}

} // namespace

bool userWaveNameLess(std::string_view a, std::string_view b)
{
    return compareFolded(a, b) < 0;
}

bool sameUserWaveName(std::string_view a, std::string_view b)
{
    return compareFolded(a, b) == 0;
}

std::vector<std::string> ListUserWaves(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string entry = entryOf(it->path().filename().string());
        // Regular files only, links followed: reading a FIFO or a device
        // named *.pcm would never return.
        std::error_code typeError;
        if (!entry.empty() && it->is_regular_file(typeError))
            names.push_back(std::move(entry));
    }
    // Directory order differs between file systems; start from byte order so
    // that names equal without regard to case always come out the same way.
    std::sort(names.begin(), names.end());
    names.insert(names.begin(), std::string(kSineEntry));
    std::stable_sort(names.begin(), names.end(), userWaveNameLess);
    return names;
}

UserWave ReadUserWave(const std::string& path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status) && !fs::is_regular_file(status))
        throw IoError(path, "read", "not a regular file");
    UserWave wave;
    readPcmSamples(path, wave.data(), wave.size());
    return wave;
}
