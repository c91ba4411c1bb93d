#include <gtest/gtest.h>

#include "converter/Preset.h"

namespace {

constexpr char kDefaults[] = "Lumisonorium SW - AS Glimmerbox Preset\r\nSFN: \r\nCFL: 142\r\nCFR: 142\r\n"
                             "BWL: 50\r\nBWR: 50\r\nFSL: 100\r\nFSR: 100\r\nSeL: 50\r\nSeR: 50\r\nLOD: 0\r\n"
                             "LRD: 0\r\nGai: 100\r\nLLR: 0\r\nMCh: 0\r\nHFS: 0\r\nDRD: 5\r\n";

/// A preset at defaults with line n replaced, in short what it reads as: the
/// error's line and text, or the source, the first and the last slider and
/// the lock and mix switches.
std::string readWith(int n, const std::string& text, const std::string& end = "\r\n")
{
    std::string bytes, all = kDefaults;
    for (int i = 1; !all.empty(); ++i, all.erase(0, all.find("\r\n") + 2))
        bytes += (i == n ? text : all.substr(0, all.find("\r\n"))) + end;
    const auto parsed = ParsePreset(n ? bytes : text);
    if (const auto* e = std::get_if<PresetError>(&parsed))
        return std::to_string(e->Line) + ": " + presetErrorText(*e);
    const auto& v = std::get<PresetValues>(parsed);
    return v.SourcePath + "|" + std::to_string(v.Sliders[0]) + "|" + std::to_string(v.Sliders[10]) + "|" +
           std::to_string(v.Lock) + std::to_string(v.Mix);
}

} // namespace

TEST(Preset, WritesEveryLineReadsByPositionAndRefusesTheFirstValueThatIsNoWholeNumber)
{
    EXPECT_EQ(FormatPreset({}), kDefaults);
    for (const char* path : {"/a\nb.wav", "/a\rb.wav"}) // a line break would move every later line
        EXPECT_EQ(FormatPreset({path}), kDefaults);

    const std::tuple<int, std::string, const char*> cases[] = {
        {1, "anything at all", "|142|100|00"},
        {13, "Gai:  -7", "|142|-7|00"},
        {13, "Gai: +300", "|142|300|00"},
        {14, "LLR: 1", "|142|100|10"},
        {14, "LLR: 1 ", "|142|100|00"},
        {13, "Gai:", "13: '' is not a valid integer value"},
        {13, "Gai: 1 ", "13: '1 ' is not a valid integer value"},
        {13, "Gai: $1F", "13: '$1F' is not a valid integer value"},
        {13, "Gai: 2147483648", "13: '2147483648' is not a valid integer value"},
        {13, "Gai: -2147483649", "13: '-2147483649' is not a valid integer value"},
        {0, std::string(kDefaults, sizeof kDefaults - 9), "17: '' is not a valid integer value"}, // 16 lines
        {0, std::string(kDefaults) + "more\r\n", "|142|100|00"},
    };
    for (const auto& [line, text, expected] : cases)
        EXPECT_EQ(readWith(line, text), expected) << text;
    EXPECT_EQ(readWith(3, "XYZ: 900", "\n"), "|900|100|00"); // LF lines, a wrong key
    EXPECT_EQ(readWith(4, "CFR: x", "\n"), "4: 'x' is not a valid integer value");
}
