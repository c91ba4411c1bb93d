#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <string>
#include <utility>
#include <vector>

#include "MutatedFiles.h"
#include "TestTables.h"
#include "engine/MindlabImport.h"

// Synthetic tables: pitch names "A0".."I4" (B1 12, C2 23, D3 34, E4 45, I4 85),
// time i >= 6 is 10 i s; default segment {3, 4, 70 x 4, 20, 22, 1, 1, 5, 11, 15, 1, 1, 1, 1, 51}.

namespace {

const ValueTables& tables()
{
    static const ValueTables t = syntheticTables();
    return t;
}

/// A segment line: 10 -> 12 Hz (96, 104), 60 s, intensity code 0 x 5, pitch
/// E4, D 15 Hz (116), light "1"; `codes` are the wave code, mode, X, Y and Z.
std::string seg(std::string_view codes = "10101", std::vector<std::pair<int, std::string>> overrides = {})
{
    std::string f[16] = {"S", "10", "12", "60", "", "", "0", "", "", "", "", "E4", "15", "5", "", "1"};
    for (int i = 0; i < 5; ++i)
        f[std::array{4, 5, 9, 10, 14}[i]] = codes[i];
    for (const auto& [i, text] : overrides)
        f[i] = text;
    std::string line = f[0];
    for (int i = 1; i < 16; ++i)
        line += "," + f[i];
    return line;
}

ImportResult parse(const std::vector<std::string>& segments, const char* eol = "\r\n")
{
    std::string text = "Name," + std::to_string(segments.size()) + eol + "Desc" + eol + eol;
    for (const std::string& s : segments)
        text += eol + s;
    return ParseMindlab(text, tables());
}

} // namespace

TEST(MindlabImport, HeaderAndRefusals)
{
    const std::string s = seg();
    const std::pair<std::string, std::string> cases[] = {
        {"My name, 2 ,x,y\nFirst,rest\n\n\n" + s + "\n" + s + "\nignored", "My name|First"},
        {"N,1\r\nall of it\r\n3\r\n4\r\n" + s + "\r\n", "N|all of it"},
        {"", "0: the file is empty"},
        {"Name\r\n", "1: the line holds no segment count after the name"},
        {"N,2x,\r\n", "1: the segment count must be a whole number from 1 to 2000"},
        {"N,2001\r\n", "1: the segment count must be a whole number from 1 to 2000"},
        {"N,1\nD\n3", "4: the file ends before its segment lines"},
        {"N,3\nD\n3\n4\n" + s + "\n", "6: the file ends before segment 2 of 3"},
        {"N,1\nD\n3\n4\n" + seg("10101", {{12, " +1e3"}}), "5: field 13 (third frequency) is not a decimal number"},
    };
    for (const auto& [bytes, expected] : cases) {
        const ImportResult r = ParseMindlab(bytes, tables());
        const auto* e = std::get_if<ImportError>(&r);
        const auto* got = std::get_if<ImportedSession>(&r);
        EXPECT_EQ(e ? std::to_string(e->Line) + ": " + e->Text : got->SessionName + "|" + got->SessionDescription,
                  expected);
    }
}

TEST(MindlabImport, DecisionTableRows)
{
    // Lines before the one under test, at B 20 Hz (136). S1 leaves side 1,
    // prev pitches 12, 23, waves 3, 2; S2 side 2, pitches 34, 23, waves 3, 2.
    const std::vector<std::string> s1 = {seg("20100", {{2, "20"}, {11, "B1"}}), seg("30110", {{2, "20"}, {11, "C2"}})};
    std::vector<std::string> s2 = s1;
    s2.push_back(seg("20110", {{2, "20"}, {11, "D3"}}));
    struct Case {
        const std::vector<std::string>* prelude;
        const char* codes;
        std::array<int, 11> expected; // Tone, Freq1/2 From/To, Pitch1/2, SGVol, Wave1/2, the side after
    };
    const std::vector<std::string> none;
    const Case cases[] = {
        {&s1, "10110", {2, 96, 104, 96, 104, 45, 23, 5, 6, 2, 2}},     // Y: Z, side 1
        {&s2, "10110", {2, 96, 104, 96, 104, 34, 45, 5, 3, 6, 1}},     // Z, side 2
        {&s1, "10011", {5, 96, 104, 116, 116, 23, 45, 5, 1, 1, 1}},    // X
        {&s2, "10111", {5, 96, 104, 136, 136, 45, 34, 5, 1, 1, 2}},    // otherwise
        {&s1, "40101", {1, 96, 104, 96, 104, 45, 12, 13, 1, 1, 2}},    // wave 4: mode 0
        {&s1, "41101", {1, 96, 104, 96, 104, 23, 45, 4, 2, 1, 2}},     // mode 1
        {&s2, "43101", {1, 96, 104, 96, 104, 34, 45, 2, 3, 1, 2}},     // mode 3
        {&s1, "47101", {4, 70, 70, 70, 70, 20, 22, 1, 1, 1, 1}},       // other: repaired
        {&s1, "10100", {1, 96, 104, 96, 104, 45, 45, 9, 6, 1, 2}},     // later: mode 0, Z
        {&s2, "10001", {5, 96, 104, 116, 116, 45, 45, 13, 1, 1, 1}},   // X
        {&s1, "10101", {3, 96, 104, 96, 104, 45, 45, 9, 1, 1, 2}},     // otherwise
        {&s1, "11100", {2, 96, 104, 96, 104, 45, 23, 3, 6, 2, 2}},     // mode 1: Z, side 1
        {&s2, "11100", {2, 96, 104, 96, 104, 34, 45, 4, 3, 6, 1}},     // Z, side 2
        {&s2, "11001", {5, 96, 104, 116, 116, 34, 45, 4, 1, 1, 1}},    // X
        {&s1, "11101", {5, 96, 104, 136, 136, 45, 23, 3, 1, 1, 2}},    // otherwise
        {&s1, "13100", {2, 96, 104, 96, 104, 45, 23, 1, 6, 2, 2}},     // mode 3: Z, side 1
        {&s2, "13100", {2, 96, 104, 96, 104, 34, 45, 2, 3, 6, 1}},     // Z, side 2
        {&s1, "13001", {5, 96, 104, 116, 116, 23, 45, 2, 1, 1, 1}},    // X
        {&s2, "13101", {5, 96, 104, 136, 136, 45, 34, 1, 1, 1, 2}},    // otherwise
        {&s2, "1x101", {4, 70, 70, 70, 70, 20, 22, 1, 1, 1, 2}},       // other: repaired
        {&none, "10110", {1, 96, 104, 96, 104, 45, 45, 9, 6, 1, 2}},   // segment 1 (Y ignored): Z
        {&none, "10001", {5, 96, 104, 116, 116, 45, 45, 13, 1, 1, 2}}, // X
        {&none, "10101", {3, 96, 104, 96, 104, 45, 45, 9, 1, 1, 2}},   // otherwise
        {&none, "41101", {1, 96, 104, 96, 104, 20, 45, 4, 1, 1, 2}},   // wave 4 reads a zero prev
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = *c.prelude;
        lines.insert(lines.end(), {seg(c.codes), seg("10110", {{11, "I4"}})}); // 85 is Pitch 1 on side 1 only
        const std::vector<TSegRec> s = imported(parse(lines)).Records;
        const TSegRec& r = s.at(lines.size() - 2);
        EXPECT_EQ((std::array<int, 11>{r.Tone, r.Freq1From, r.Freq1To, r.Freq2From, r.Freq2To, r.Pitch1, r.Pitch2,
                                       r.SGVol, r.Wave1, r.Wave2, s.back().Pitch1 == 85 ? 1 : 2}),
                  c.expected)
            << c.prelude->size() << " " << c.codes;
    }
}

TEST(MindlabImport, FieldRulesRepairsAndNearestInAnyLocale)
{
    struct Case {
        std::vector<std::string> lines; // the last one is checked
        std::vector<std::pair<int, int>> expected; // field, byte
        std::vector<int> repairedLines = {};
    };
    const Case cases[] = {
        {{seg("10101", {{6, "1"}, {3, "80"}})}, {{fTime, 8}, {fIntensity, 11 | 128}, {fPhase, 1}, {fHBeat, 36}}},
        {{seg("10101", {{6, "1"}, {3, "90"}, {13, "0"}})}, {{fTime, 9}, {fIntensity, 1}, {fVolume, 21}}},
        {{seg("10101", {{6, "3"}, {13, "9"}, {15, "0"}})}, {{fIntensity, 19 | 128}, {fPhase, 6}}},
        {{seg("10101", {{6, "2"}, {15, "8"}})}, {{fIntensity, 15}, {fPhase, 1}}, {5, 5}},
        {{seg("10101", {{13, "x"}, {15, "7"}})}, {{fIntensity, 15}, {fPhase, 3}}, {5}},
        // The shared nearest search: a tie goes to the lower entry.
        {{seg("10001", {{1, " +10.125 "}, {2, "7.86"}, {12, "7.87"}})},
         {{fFreq1From, 96}, {fFreq1To, 74}, {fFreq2To, 75}}},
        {{seg("10101", {{3, "20000"}, {6, "1"}, {1, "5000"}})}, {{fTime, 3}, {fIntensity, 11 | 128}}, {5, 5, 5}},
        // W and P unset, then set, then kept by codes that match nothing.
        {{seg("90100", {{11, "zz"}}), seg("30101", {{11, "C2"}}), seg("80100", {{11, "C"}})},
         {{fPitch1, 23}, {fWave1, 2}},
         {5, 5, 5}},
    };
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        if (!std::setlocale(LC_ALL, locale))
            continue; // no comma-decimal locale installed
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(locale) + " " + c.lines.back());
            const ImportedSession s = imported(parse(c.lines, "\n"));
            expectPlayable(s, tables());
            std::vector<int> repaired;
            for (const FieldRepair& r : s.Repairs)
                repaired.push_back(r.Segment);
            EXPECT_EQ(repaired, c.repairedLines);
            for (const auto& [field, byte] : c.expected)
                EXPECT_EQ(s.Records.back()[field], byte) << "field " << field;
        }
    }
    std::setlocale(LC_ALL, "C");
}

TEST(MindlabImport, MalformedFilesAreRefusedOrPlayable)
{
    const std::string head = "N,3\r\nD\r\n\r\n\r\n";
    const std::string seeds[] = {head + seg() + "\r\n" + seg("41100") + "\r\n" + seg("13111"),
                                 head + seg("47000") + "\n" + seg("10110", {{6, "3"}, {11, "zz"}}) + "\n" + seg()};
    const std::string pieces[] = {",", "\r\n", "\n", ".", "-", "+", " ", "0", "1", "3", "4", "99999999999", "\xff"};
    for (const std::string& bytes : mutatedFiles(seeds, pieces, 4000)) {
        const ImportResult r = ParseMindlab(bytes, tables());
        if (const auto* s = std::get_if<ImportedSession>(&r))
            expectPlayable(*s, tables());
        if (HasFailure())
            FAIL() << bytes;
    }
}
