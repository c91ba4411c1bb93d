#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "MutatedFiles.h"
#include "TestTables.h"
#include "engine/PhotosonixImport.h"
#include "engine/Random.h"

// Synthetic tables: time i >= 6 is 10 i s, pitch i is 10 i + 0.5 Hz; the
// default segment is {3, 4, 70 x 4, 20, 22, 1, 1, 5, 11, 15, 1, 1, 1, 1, 51}.

namespace {

const ValueTables& tables()
{
    static const ValueTables t = syntheticTables();
    return t;
}

using Overrides = std::vector<std::pair<int, std::string>>;

/// A segment line: duration 70 s ("bb", 10 Hz, 440 Hz, light "IN", 50 %
/// duty and volume, 60 % light, no phase change) with fields replaced.
std::string seg(const Overrides& overrides = {})
{
    std::string f[16] = {"S", "70", "bb", "10", "440", "", "", "IN", "50", "50", "60", "", "none", "", "", ""};
    for (const auto& [i, text] : overrides)
        f[i] = text;
    std::string line = f[0];
    for (int i = 1; i < 16; ++i)
        line += "\t" + f[i];
    return line;
}

ImportResult parse(const std::string& bytes, std::uint32_t seed = 0)
{
    PseudoRandom rng;
    rng.RandSeed = seed;
    return ParsePhotosonix(bytes, tables(), rng);
}

} // namespace

TEST(PhotosonixImport, NameDescriptionAndTerminators)
{
    struct Case {
        std::string file, name, description;
    };
    const Case cases[] = {
        {"xName\r\n" + seg() + "\r\n;desc\r\n more\r\n", "Name", "desc\r\nmore"},
        {"xName\n" + seg() + "\n;desc\n more", "Name", "desc\r\nmore"},
        {"x\n" + seg() + "\n\nD1\r\n", "", "\r\n1"},
        {"xName\n" + seg(), "Name", ""},
        {"xName\r\n" + seg() + "\r\n;", "Name", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const ImportedSession s = imported(parse(c.file));
        EXPECT_EQ(s.SessionName, c.name);
        EXPECT_EQ(s.SessionDescription, c.description);
        EXPECT_EQ(s.Records.size(), 1u);
    }
    for (const char* refused : {"", "xName", "xName\r\n", "xName\r\n;" "d\r\n", "xName\n\n" "a\tb\n"})
        EXPECT_TRUE(std::holds_alternative<ImportError>(parse(refused))) << refused;
}

TEST(PhotosonixImport, FieldRulesAndRepairs)
{
    struct Case {
        Overrides fields;
        std::vector<std::pair<int, int>> expected; // field, byte
        int repairs = 0;
    };
    const Case cases[] = {
        {{}, {{fTime, 7}, {fTone, 3}, {fFreq1From, 96}, {fFreq2To, 96}, {fPitch1, 44}, {fPitch2, 56}, {fPhase, 1},
              {fPhaseChange, 1}, {fDutyCycle, 5}, {fVolume, 11}, {fIntensity, 13}, {fSGVol, 9}, {fWave1, 1},
              {fWave2, 1}, {fBackingSound, 1}, {fHBeat, 36}}},
        {{{2, "PCh"}, {4, "700"}, {6, "5"}}, {{fTone, 2}, {fPitch1, 70}, {fPitch2, 65}, {fSGVol, 5}}},
        {{{4, "700"}, {6, "8"}}, {{fPitch2, 69}}},
        {{{6, "99"}}, {{fPitch2, 44}}},
        {{{2, "dbb"}, {7, "OLL"}}, {{fTone, 4}, {fPhase, 2}, {fSGVol, 7}, {fPitch2, 44}}},
        {{{2, "bbS"}}, {{fTone, 3}, {fPhase, 1}, {fSGVol, 9}, {fBackingSound, 2}}},
        {{{2, "PSu"}}, {{fTone, 1}, {fWave1, 2}, {fSGVol, 9}}},
        {{{2, "zz"}}, {{fTone, 1}, {fSGVol, 9}}},
        {{{2, "bbP"}}, {{fTone, 8}, {fSGVol, 5}}},
        {{{7, "ORH"}}, {{fPhase, 1}}, 1},
        {{{2, "dSb"}, {6, "r-3"}}, {{fTone, 5}, {fPitch2, 98}, {fSGVol, 5}}},
        {{{2, "dbb"}, {6, "R5"}, {7, "ILL"}}, {{fTone, 4}, {fPhase, 1}, {fPitch2, 105}, {fSGVol, 7}}},
        {{{2, "dbb"}, {6, "r16"}}, {{fPitch2, 22}}, 1},
        {{{2, "dbb"}, {6, "r-16"}}, {{fPitch2, 22}}, 1},
        {{{2, "dbb"}, {6, "FSL"}}, {{fPitch2, 26}}},
        {{{2, "dbb"}, {6, "300"}}, {{fPitch2, 30}}},
        {{{4, "99999"}}, {{fPitch1, 20}, {fPitch2, 32}}, 1},
        {{{8, "25"}, {9, "-7"}, {10, "57"}}, {{fDutyCycle, 2}, {fVolume, 1}, {fIntensity, 12}}},
        {{{8, "35"}}, {{fDutyCycle, 4}}},
        {{{8, "45"}, {11, "seg"}}, {{fDutyCycle, 4}, {fVolume, 11 | 128}, {fIntensity, 13 | 128}}},
        {{{8, "55"}, {12, "16"}}, {{fDutyCycle, 6}, {fPhaseChange, 5}}},
        {{{8, "4"}, {12, "64"}}, {{fDutyCycle, 5}, {fPhaseChange, 8}}, 1},
        {{{8, "1290"}, {10, "1100"}, {12, "8"}}, {{fDutyCycle, 5}, {fIntensity, 15}, {fPhaseChange, 1}}, 3},
        {{{5, "12"}}, {{fFreq1From, 96}, {fFreq1To, 104}, {fFreq2From, 96}, {fFreq2To, 104}}},
        {{{5, "12"}, {13, "jump"}}, {{fFreq1From, 96}, {fFreq1To, 96}, {fFreq2From, 104}, {fFreq2To, 104}}},
        {{{13, "slide"}}, {{fFreq1From, 70}, {fFreq2To, 70}}, 4},
        {{{3, "5000"}, {1, "1:10"}}, {{fTime, 7}, {fFreq1From, 70}}, 4},
        {{{1, "0:00.125"}}, {{fTime, 1}}},
        // Equal entries (times 3 and 6 are both 60 s), a tie, and a tie only in single precision.
        {{{1, "60"}, {3, "10.125"}}, {{fTime, 3}, {fFreq1From, 96}}},
        {{{3, "0.55"}}, {{fFreq1From, 1}, {fFreq2From, 1}}},
        {{{1, "20000"}}, {{fTime, 3}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(seg(c.fields));
        const ImportedSession s = imported(parse("x\n" + seg(c.fields)));
        expectPlayable(s, tables());
        for (const auto& [field, byte] : c.expected)
            EXPECT_EQ(s.Records.at(0)[field], byte) << "field " << field;
        EXPECT_EQ(static_cast<int>(s.Repairs.size()), c.repairs);
        for (const FieldRepair& r : s.Repairs)
            EXPECT_EQ(r.Segment, 2);
    }
}

TEST(PhotosonixImport, RampReadsThePreviousFinishedRecord)
{
    const ImportedSession s = imported(parse("x\n" + seg({{13, "ramp"}}) + "\n" + seg({{5, "12"}}) + "\n" +
                                              seg({{3, "20"}, {13, "ramp"}}) + "\n" + seg({{3, "5000"}}) + "\n" +
                                              seg({{13, "ramp"}})));
    std::vector<int> freqs;
    for (int i : {0, 2, 4})
        for (int f = fFreq1From; f <= fFreq2To; ++f)
            freqs.push_back(s.Records.at(i)[f]);
    // Line 1 ramps from repaired zeros, line 6 from line 5's repaired values.
    EXPECT_EQ(freqs, (std::vector<int>{70, 96, 70, 96, 104, 136, 104, 136, 70, 96, 70, 96}));
    EXPECT_EQ(ImportWarning(s), "The imported file holds values that cannot be used.\r\n\r\n"
                                "Replaced by the default segment's values:\r\n"
                                "Line 2: Freq1 Start, Freq2 Start\r\n"
                                "Line 5: Freq1 Start, Freq1 End, Freq2 Start, Freq2 End");
}

TEST(PhotosonixImport, LoopBlocksAndCaps)
{
    struct Case {
        std::vector<std::string> loops; // "L\tC" of each line
        std::vector<int> lines;         // the source line of each segment; empty: refused
        std::size_t notes = 0;
    };
    std::vector<int> firstOnly(2000, 1);
    const Case cases[] = {
        {{"3\t2", "", "", "", ""}, {1, 2, 3, 1, 2, 3, 4, 5}},
        {{"2\t0", "", ""}, {3}},
        {{"2\t2", "5\t9"}, {1, 2, 1, 2}}, // inner loops are not looked at
        {{"", "5\t2", ""}, {1, 2, 3, 2, 3}},
        {{"1\t1000000000"}, firstOnly, 1},
        {{"2147483647\t2147483647"}, firstOnly, 1},
        {{"99999999999\t-1", ""}, {}},
    };
    for (const Case& c : cases) {
        std::string file = "x";
        for (std::size_t i = 0; i < c.loops.size(); ++i)
            file += "\n" + seg({{1, std::to_string(60 + 10 * (i + 1))}, {2, "zz"}, {14, c.loops[i]}});
        SCOPED_TRACE(file);
        const ImportResult r = parse(file);
        ASSERT_EQ(std::holds_alternative<ImportError>(r), c.lines.empty());
        if (c.lines.empty())
            continue;
        std::vector<int> lines;
        for (const TSegRec& rec : imported(r).Records)
            lines.push_back(rec.Time - 6);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(imported(r).Notes.size(), c.notes);
    }
    // Only a block's first record has its balance raised.
    const ImportedSession inner = imported(parse("x\n" + seg({{2, "zz"}, {14, "2\t1"}}) + "\n" + seg({{2, "zz"}})));
    EXPECT_EQ(inner.Records.at(0).SGVol + 100 * inner.Records.at(1).SGVol, 9 + 500);

    std::string many = "x";
    for (int i = 0; i < 2001; ++i)
        many += "\r\n" + seg();
    const ImportedSession s = imported(parse(many + "\r\n;d"));
    EXPECT_EQ(std::tuple(s.Records.size(), s.Notes.size(), s.SessionDescription), std::tuple(2000u, 1u, "d"));
}

TEST(PhotosonixImport, RandomPitchDrawsOncePerFslPitchInLineOrder)
{
    PseudoRandom rng;
    rng.RandSeed = 1000;
    const ImportResult r = ParsePhotosonix("x\n" + seg({{4, "FSL"}}) + "\n" + seg({{2, "dbb"}, {6, "FSL"}}) +
                                               "\n" + seg({{4, "FSL"}}),
                                           tables(), rng);
    const ImportedSession s = imported(r);
    EXPECT_EQ(s.Records.at(0).Pitch1, 38); // 384 Hz
    EXPECT_EQ(s.Records.at(2).Pitch1, 68); // 681 Hz
    EXPECT_EQ(rng.RandSeed, 3006080430u) << "two draws";
}

TEST(PhotosonixImport, NumbersIgnoreTheLocale)
{
    const std::string file = "x\n" + seg({{1, "1:10.5"}, {3, "7.83"}, {5, "12.25"}});
    const ImportResult inC = parse(file);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no comma-decimal locale installed";
    const ImportResult inComma = parse(file);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(imported(inComma).Records, imported(inC).Records);
    EXPECT_EQ(imported(inC).Records.at(0).Freq1From, 74);
    EXPECT_EQ(imported(inC).Records.at(0).Freq2To, 105);
}

TEST(PhotosonixImport, MalformedFilesAreRefusedOrPlayable)
{
    const std::string seeds[] = {
        "xN\r\n" + seg() + "\r\n" + seg({{13, "ramp"}, {14, "2"}, {15, "3"}}) + "\r\n;d\r\n",
        "x\n" + seg({{2, "dSb"}, {6, "r-9"}, {7, "OLH"}}) + "\n" + seg({{2, "bbS"}, {4, "FSL"}}),
    };
    const std::string pieces[] = {"\t", "\r\n", "\n", "\r", ";", ":", ".", "-", " ", "r", "R-99", "FSL",
                                  "ramp", "jump", "seg", "99999999999", "2147483647", "0", "ORH", "\xff"};
    std::uint32_t seed = 0;
    for (const std::string& file : mutatedFiles(seeds, pieces, 4000)) {
        const ImportResult r = parse(file, ++seed);
        if (const auto* s = std::get_if<ImportedSession>(&r))
            expectPlayable(*s, tables());
        if (HasFailure())
            FAIL() << file;
    }
}
