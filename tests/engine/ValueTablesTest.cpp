#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TestTables.h"
#include "engine/SampleTables.h"
#include "engine/ValueTables.h"
#include "platform/IoError.h"

namespace fs = std::filesystem;

namespace {

int refusedLine(const std::vector<std::string>& lines)
{
    ValueTables t;
    try {
        ParseDataFile(joinDataLines(lines), "DatLU.dat", t);
    } catch (const DataFileError& e) {
        EXPECT_NE(std::string(e.what()).find("DatLU.dat"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("line " + std::to_string(e.line())), std::string::npos);
        return e.line();
    }
    return 0;
}

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("lumi-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path / name, std::ios::binary) << bytes;
    }
};

} // namespace

TEST(DataFile, EveryLineLandsInItsPlace)
{
    const ValueTables t = syntheticTables();
    EXPECT_EQ(t.TimeNames[1], "T1");
    EXPECT_EQ(t.TimeNames[32], "T32");
    EXPECT_FLOAT_EQ(t.TimeSecs[1], 0.125f);
    EXPECT_FLOAT_EQ(t.TimeSecs[3], 60.0f);
    EXPECT_FLOAT_EQ(t.TimeSecs[32], 320.0f);
    EXPECT_EQ(t.ToneNames[1], "Tone1");
    EXPECT_EQ(t.ToneNames[27], "Tone27");
    EXPECT_EQ(t.PitchValues[1], "10.5");
    EXPECT_EQ(t.PitchNames2[85], "850.5");
    EXPECT_EQ(t.PitchNames[1], "A0");
    EXPECT_EQ(t.PitchNames[85], "I4");
    EXPECT_EQ(t.PitchValues[86], "r-15");
    EXPECT_EQ(t.PitchValues[100], "r-1");
    EXPECT_EQ(t.PitchValues[101], "r1");
    EXPECT_EQ(t.PitchNames[115], "rel15");
    EXPECT_EQ(t.PhasePatterns[1], "OO-OO");
    EXPECT_EQ(t.PhasePatterns[8], "OX-XX");
    EXPECT_EQ(t.PhaseNames[10], "Ph10");
    EXPECT_EQ(t.PhaseChangeNames[1], "none");
    EXPECT_EQ(t.PhaseChangeNames[8], "64 s");
    EXPECT_EQ(t.SGVolNames[13], "SG13");
    EXPECT_EQ(t.WaveNames[19], "W19");
    EXPECT_EQ(t.BackingSoundNames[5], "B5");
    EXPECT_EQ(t.DefaultSegment.Time, 3);
    EXPECT_EQ(t.DefaultSegment.HBeat, 51);
    EXPECT_EQ(t.ParamMax.Time, 32);
    EXPECT_EQ(t.ParamMax.Pitch1, 85);
    EXPECT_EQ(t.ParamMax.HBeat, 91);
}

TEST(DataFile, LineEndsAndBlanks)
{
    auto lines = syntheticDataLines();
    lines[0] = "  0:05 ";
    ValueTables crlf;
    ValueTables lf;
    ParseDataFile(joinDataLines(lines, "\r\n"), "x", crlf);
    ParseDataFile(joinDataLines(lines, "\n"), "x", lf);
    EXPECT_EQ(crlf, lf);
    EXPECT_EQ(lf.TimeNames[1], "  0:05 ");

    // A last line without its line end still counts; one CR only is stripped.
    std::string text = joinDataLines(lines, "\n");
    text.pop_back();
    ValueTables noEol;
    ParseDataFile(text, "x", noEol);
    EXPECT_EQ(noEol, lf);
}

TEST(DataFile, BrokenFilesAreRefusedAtTheirLine)
{
    struct Case {
        const char* what;
        int line; // 1-based line to change
        const char* text;
    };
    const std::string beyondLongDouble(5000, '9');
    const Case cases[] = {
        {"seconds not a number", 2, "abc"},
        {"seconds past what positions hold", 2, "1000000.5"},
        {"seconds past a long double", 2, beyondLongDouble.c_str()},
        {"absolute pitch past the frame rate", 92, "44100.01"},
        {"relative pitch past the frame rate", 347, "r-44101"},
        {"seconds trailing text", 2, "1.5s"},
        {"zero seconds", 4, "0"},
        {"negative seconds", 4, "-1"},
        {"empty name", 1, ""},
        {"TAB in a name", 65, "a\tb"},
        {"duplicate tone", 66, "Tone1"},
        {"absolute pitch not a number", 92, "x"},
        {"absolute pitch zero", 95, "0"},
        {"pitch name 2 not a number", 93, "n/a"},
        {"pitch name of three characters", 94, "A0x"},
        {"pitch name ending in R", 94, "AR"},
        {"relative pitch without number", 347, "r"},
        {"relative pitch not whole", 350, "r1.5"},
        {"relative pitch as Hz", 353, "12"},
        {"pattern too short", 437, "OO-O"},
        {"phase name ending in R", 445, "Ph R"},
        {"phase change without seconds", 456, "s"},
        {"phase change of zero", 457, "0 s"},
        {"wave name ending in R", 476, "SineR"},
        {"default not a number", 500, "x"},
        {"default zero", 501, "0"},
        {"default above maximum", 506, "157"},
        {"default with ramp flag", 506 + 1, "148"},
        {"maximum zero", 519, "0"},
        {"maximum past table", 519, "33"},
        {"ramp maximum past table", 526, "116"},
        {"phase maximum past table", 527, "11"},
        {"maximum not a byte", 530, "300"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto lines = syntheticDataLines();
        lines[c.line - 1] = c.text;
        EXPECT_EQ(refusedLine(lines), c.line);
    }

    auto shortFile = syntheticDataLines();
    shortFile.pop_back();
    EXPECT_EQ(refusedLine(shortFile), 536);
    auto longFile = syntheticDataLines();
    longFile.push_back("");
    EXPECT_EQ(refusedLine(longFile), 537);
    EXPECT_EQ(refusedLine({}), 1);
}

TEST(DataFile, RefusedFileLeavesTablesUntouched)
{
    ValueTables t = syntheticTables();
    const ValueTables before = t;
    auto lines = syntheticDataLines();
    lines[0] = "other";
    lines[1] = "0";
    EXPECT_THROW(ParseDataFile(joinDataLines(lines), "x", t), DataFileError);
    EXPECT_EQ(t, before);
}

TEST(ValueTables, BuiltTables)
{
    const ValueTables t = syntheticTables();
    EXPECT_FLOAT_EQ(t.BeatFreqs[1], 0.5f);
    EXPECT_EQ(t.BeatFreqNames[1], "0.5");
    EXPECT_FLOAT_EQ(t.BeatFreqs[73], 7.7f);
    EXPECT_EQ(t.BeatFreqNames[73], "7.7");
    EXPECT_EQ(t.BeatFreqs[74], 7.83f);
    EXPECT_EQ(t.BeatFreqNames[74], "7.83");
    EXPECT_FLOAT_EQ(t.BeatFreqs[75], 7.9f);
    EXPECT_EQ(t.BeatFreqNames[95], "9.9");
    EXPECT_EQ(t.BeatFreqs[96], 10.0f);
    EXPECT_EQ(t.BeatFreqNames[96], "10.00");
    EXPECT_EQ(t.BeatFreqNames[97], "10.25");
    EXPECT_EQ(t.BeatFreqs[135], 19.75f);
    EXPECT_EQ(t.BeatFreqNames[135], "19.75");
    EXPECT_EQ(t.BeatFreqs[136], 20.0f);
    EXPECT_EQ(t.BeatFreqNames[136], "20.00");
    EXPECT_EQ(t.BeatFreqNames[137], "21.00");
    EXPECT_EQ(t.BeatFreqs[156], 40.0f);
    EXPECT_EQ(t.BeatFreqNames[156], "40.00");
    for (int i = 2; i <= 156; ++i)
        EXPECT_LT(t.BeatFreqs[i - 1], t.BeatFreqs[i]) << i;

    EXPECT_EQ(t.PercentNames[1], "0  ");
    EXPECT_EQ(t.PercentNames[12], "55  ");
    EXPECT_EQ(t.PercentNames[21], "100  ");
    EXPECT_EQ(t.HBeatNames[1], "10  ");
    EXPECT_EQ(t.HBeatNames[91], "100  ");
    EXPECT_EQ(t.DutyCycleNames[1], "10");
    EXPECT_EQ(t.DutyCycleNames[8], "80");
}

TEST(ValueTables, PhaseTableFromPatterns)
{
    auto lines = syntheticDataLines();
    lines[436] = "OO XO";      // pattern 1
    lines[437] = "oO-OOextra"; // pattern 2: lower-case o counts as "not O"
    ValueTables t;
    ParseDataFile(joinDataLines(lines), "x", t);
    EXPECT_EQ(t.PhaseTable[1], (std::array<float, 4>{0, 0, 0.5f, 0}));
    EXPECT_EQ(t.PhaseTable[2], (std::array<float, 4>{0.5f, 0, 0, 0}));
    EXPECT_EQ(t.PhaseTable[9], (std::array<float, 4>{0, 0.5f, 0.5f, 0}));
    EXPECT_EQ(t.PhaseTable[10], (std::array<float, 4>{0.5f, 0, 0, 0.5f}));
}

TEST(Loaders, DataFileFromFolder)
{
    TempDir dir;
    ValueTables t;
    try {
        LoadVars(dir.path.string(), t);
        FAIL() << "a missing data file must be reported";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find("DatLU.dat"), std::string::npos);
    }
    dir.write("DatLU.dat", joinDataLines(syntheticDataLines()));
    LoadVars(dir.path.string(), t);
    EXPECT_EQ(t, syntheticTables());
}

TEST(Loaders, SampleFiles)
{
    TempDir dir;
    std::string wave(kWaveLen * 2, '\0');
    for (int i = 0; i < kWaveLen; ++i) {
        wave[2 * i] = static_cast<char>(i & 0xFF);
        wave[2 * i + 1] = static_cast<char>(0x80 | (i >> 8)); // negative samples
    }
    for (const char* name : kBuiltInWaveFiles)
        dir.write(name, wave + "trailing bytes are ignored");
    auto samples = std::make_unique<SampleTables>();

    // The heart beat is missing: reported by name.
    try {
        LoadSampleBuffers(dir.path.string(), *samples);
        FAIL();
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find("HrtBeat.pcm"), std::string::npos);
    }
    dir.write("HrtBeat.pcm", std::string(kHeartBeatLen * 2 - 1, '\x01'));
    try {
        LoadSampleBuffers(dir.path.string(), *samples);
        FAIL();
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find("23598 samples"), std::string::npos) << e.what();
    }
    EXPECT_EQ(samples->HeartBeatPcm[0], 0) << "a short file changes nothing";

    dir.write("HrtBeat.pcm", std::string(kHeartBeatLen * 2, '\x01'));
    LoadSampleBuffers(dir.path.string(), *samples);
    for (int t = 1; t <= kBuiltInWaves; ++t) {
        EXPECT_EQ(samples->WaveTables[t][0], -32768);
        EXPECT_EQ(samples->WaveTables[t][4409], static_cast<std::int16_t>(0x8000 | 4409));
        EXPECT_EQ(samples->WaveTables[t][kWaveLen], 0);
    }
    EXPECT_EQ(samples->HeartBeatPcm[kHeartBeatLen - 1], 0x0101);
    EXPECT_EQ(samples->HeartBeatPcm[kHeartBeatLen], 0);
}
