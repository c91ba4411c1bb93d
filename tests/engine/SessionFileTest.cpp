#include <gtest/gtest.h>

#include "TestTables.h"
#include "engine/SessionFile.h"
#include "platform/Paths.h"
#include "platform/TextLines.h"

namespace {

const ValueTables& synthetic()
{
    static const ValueTables tables = syntheticTables();
    return tables;
}

constexpr int R = kRampFlag;

/// Two segments of the synthetic tables; the second ramps every ramp field,
/// and one description line reads as the global marker.
SessionSnapshot twoSegments()
{
    SessionSnapshot s{"Calm", "First line\r\nSESSION GLOBAL DATA\r\n", {}, {}};
    const std::initializer_list<int> segs[] = {
        {3, 1, 1, 2, 3, 4, 1, 86, 1, 1, 5, 11, 21, 1, 1, 2, 1, 1},
        {32, 27, 156, 156, 156, 156, 2 | R, 3 | R, 9 | R, 8, 8 | R, 11 | R, 1 | R, 13, 3 | R, 19 | R, 5,
         91 | R}};
    for (const auto& bytes : segs) {
        TSegRec& r = s.Records.emplace_back();
        int field = 1;
        for (int b : bytes)
            r[field++] = static_cast<std::uint8_t>(b);
    }
    s.Globals = {40, 0, 100, 7, "", "/home/u/rain.wav", {"Sine", "Bell", "Sine", "Sine"}};
    return s;
}

const char* const kTwoSegmentsFile =
    "Lumisonorium SW Session (FFV2)\r\nSession Name: Calm\r\nSegments: 2\r\nSession Description:\r\n"
    "First line\r\nSESSION GLOBAL DATA \r\n\r\n"
    "SESSION GLOBAL DATA\r\nAM Depth: 40\r\nBS Volume: 0\r\nH Beat/BS Wav Volume: 100\r\n"
    "Tone Wav File: \r\nBS Wav File: /home/u/rain.wav\r\n"
    "User Wave 1: Sine\r\nUser Wave 2: Bell\r\nUser Wave 3: Sine\r\nUser Wave 4: Sine\r\n"
    "FM Depth: 7\r\nSTART\r\n"
    "1\tT3\tTone1\t0.5\t0.6\t0.7\t0.8\tA0\trel-15\tPh1\tnone\t50\t50  \t100  \tSG1\tW1\tW2\tB1\t10  \r\n"
    "2\tT32\tTone27\t40.00\t40.00\t40.00\t40.00\tA1 R\tA2 R\tPh9 R\t64 s\t80 R\t50 R\t0 R\tSG13\tW3 R"
    "\tW19 R\tB5\t100 R\r\n"
    "END\r\n";

/// The older kind: no magic or global lines, the description up to START,
/// Phase as a pattern without ramp mark, nothing read after the segments.
const char* const kOldKindFile =
    "Session Name:Old one\r\nSegments: 2\r\nSession Description:\r\nLine one\r\nLine two\r\nSTART\r\n"
    "1\tT3\tTone1\t0.5\t0.6\t0.7\t0.8\tA0 R\tA1\tOO-OO\tnone\t50\t50  \t100  \tSG1\tW1\tW2\tB1\t10  \r\n"
    "2\tT3\tTone1\t0.5\t0.6\t0.7\t0.8\tA0 R\tA1\tOX-XO\tnone\t50 R\t50 R\t100  \tSG1\tW1 R\tW2\tB1\t10  \r\n"
    "garbage";

ParsedSession parsedOrFail(std::string_view bytes, SessionKind kind, const ValueTables& t)
{
    auto result = ParseSession(bytes, kind, t);
    if (auto* e = std::get_if<SessionFileError>(&result)) {
        ADD_FAILURE() << e->Reason;
        return {};
    }
    return std::get<ParsedSession>(std::move(result));
}

/// The file with some lines replaced (1-based), optionally cut after the last.
std::string edited(std::vector<std::pair<int, std::string>> edits, bool cut = false)
{
    std::vector<std::string> lines = splitLines(kTwoSegmentsFile);
    for (const auto& [line, text] : edits)
        lines[line - 1] = text;
    if (cut)
        lines.resize(edits.back().first);
    return joinDataLines(lines, "\r\n");
}

/// What the engine needs of every read: indexes within 1..ParamMax, the ramp
/// flag only on ramp fields of later segments, the records after the last zero.
void expectPlayable(const ParsedSession& p, const ValueTables& t)
{
    ASSERT_TRUE(p.SegCount >= 1 && p.SegCount <= kMaxSegments);
    for (int i = 1; i <= kMaxSegments; ++i) {
        for (int f = 1; f <= kFieldCount; ++f) {
            const bool flagged = isRampField(f) && (p.Segments[i][f] & R);
            const int index = p.Segments[i][f] & (flagged ? 0x7F : 0xFF);
            if (i > p.SegCount)
                ASSERT_EQ(p.Segments[i][f], 0);
            else
                ASSERT_TRUE(index >= 1 && index <= t.ParamMax[f] && !(flagged && i == 1)) << i << "/" << f;
        }
    }
}

} // namespace

TEST(SessionFile, WriterBytes)
{
    SessionSnapshot s = twoSegments();
    EXPECT_EQ(FormatSession(s, synthetic()), kTwoSegmentsFile);
    s.SessionDescription = "";
    EXPECT_NE(FormatSession(s, synthetic()).find("Description:\r\n\r\nSESSION GLOBAL DATA\r\n"),
              std::string::npos);
}

TEST(SessionFile, RoundTripKeepsEveryByte)
{
    ValueTables t;
    LoadVars(LUMI_BIN_DIR, t);
    SessionSnapshot s{"  Deep: calm  ", "", {}, {}};
    s.Globals = {0, 100, 37, 99, "C:\\S\\sea side.wav", "/b.wav", {"Sine", "Bell 2", "sine", "x"}};
    // Every index of every field, each ramp field both flagged and not; the
    // flags on segment 1 are dropped on reading.
    for (int k = 0; k < 2 * 156 + 1; ++k) {
        TSegRec& r = s.Records.emplace_back();
        for (int f = 1; f <= kFieldCount; ++f) {
            const bool flag = isRampField(f) && (k == 0 || (k / t.ParamMax[f]) % 2 == 1);
            r[f] = static_cast<std::uint8_t>(k % t.ParamMax[f] + 1 + (flag ? R : 0));
        }
    }
    const std::pair<const char*, const char*> kDescriptions[] = {
        {"", ""},
        {"One line", "One line"},
        {"a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
        {"x\r\nSESSION GLOBAL DATA\r\nSTART", "x\r\nSESSION GLOBAL DATA \r\nSTART"},
    };
    for (const auto& [written, read] : kDescriptions) {
        SCOPED_TRACE(written);
        s.SessionDescription = written;
        const ParsedSession p = parsedOrFail(FormatSession(s, t), SessionKind::Lsf, t);
        EXPECT_EQ(p.SessionName, s.SessionName);
        EXPECT_EQ(p.SessionDescription, read);
        ASSERT_EQ(p.SegCount, static_cast<int>(s.Records.size()));
        for (int f = 1; f <= kFieldCount; ++f)
            EXPECT_EQ(p.Segments[1][f], s.Records[0][f] & (isRampField(f) ? 0x7F : 0xFF)) << f;
        for (int i = 2; i <= p.SegCount; ++i)
            ASSERT_EQ(p.Segments[i], s.Records[i - 1]) << i;
        const ReadGlobals g = p.Globals.value();
        const SessionGlobals& w = s.Globals;
        EXPECT_EQ(std::tie(*g.AMDepth, *g.BSVolume, *g.HBeatBSWavVolume, *g.FMDepth),
                  std::tie(w.AMDepth, w.BSVolume, w.HBeatBSWavVolume, w.FMDepth));
        EXPECT_EQ(std::tie(g.ToneWavName, g.BSWavName, g.UserWaves),
                  std::tie(w.ToneWavName, w.BSWavName, w.UserWaves));
        EXPECT_EQ(RepairWarning(p, false), "");
    }
}

TEST(SessionFile, ReaderPaths)
{
    const ValueTables& t = synthetic();
    // Without an FM line the reader skips whatever stands before START.
    ParsedSession p = parsedOrFail(edited({{18, "Comment: anything"}}), SessionKind::Lsf, t);
    EXPECT_FALSE(p.Globals->FMDepth);
    EXPECT_EQ(p.Segments[2], twoSegments().Records[1]);
    p = parsedOrFail(edited({{18, "fm depth: 30"}}), SessionKind::Lsf, t);
    EXPECT_EQ(p.Globals->FMDepth, 30);
    EXPECT_EQ(p.SessionDescription, "First line\r\nSESSION GLOBAL DATA \r\n");

    p = parsedOrFail(kOldKindFile, SessionKind::Lrf, t);
    EXPECT_EQ(p.SessionName, "ld one") << "the name starts two places after the colon";
    EXPECT_EQ(p.SessionDescription, "Line one\r\nLine two");
    EXPECT_FALSE(p.Globals);
    EXPECT_EQ(std::tie(p.Segments[1].Pitch1, p.Segments[1].Phase), std::tuple(1, 1));
    const TSegRec& s2 = p.Segments[2];
    EXPECT_EQ(std::tie(s2.Pitch1, s2.Phase, s2.DutyCycle, s2.Volume, s2.Wave1),
              std::tuple(1 | R, 7, 5 | R, 11 | R, 1 | R));
    EXPECT_TRUE(p.RepairedFields.empty());
}

TEST(SessionFile, MalformedAndTruncatedFilesAreRefusedOrRepaired)
{
    const ValueTables& t = synthetic();
    const std::string seg1 = splitLines(kTwoSegmentsFile)[19];
    const struct {
        std::string file;
        int refusedAt;   // 0: read with repairs
        int repairs = 0; // fields of segment 2 repaired
    } kCases[] = {
        {edited({{2, "Session Name Calm"}}), 2},
        {edited({{3, "Segments: 0"}}), 3},
        {edited({{3, "Segments: 2001"}}), 3},
        {edited({{3, "Segments: 2x"}}), 3},
        {edited({{3, "Segments: 3"}}), 22}, // END taken as a segment line
        {edited({{20, seg1}}, true), 20},
        {edited({{8, "GLOBAL DATA"}}), 22},
        {edited({{19, "STAR"}}), 22},
        {edited({{21, "2 T1 Tone1"}}), 21},
        {std::string(kOldKindFile).substr(0, 60), 4},
        {edited({{21, "2\tT99\tTone27"}}), 0, 17},
        // A relative pitch as Pitch 1, short ramp-marked tokens, an empty one,
        // a mark on a field without ramp.
        {edited({{21, "2\tT3 R\tTone1\t0.5\t0.6\t0.7\t0.8\trel5\tA0\tPh1\tnone\t50\tR\t\tSG1\tR\tW2\tB1\t1"}}),
         0, 6},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.file);
        const SessionKind kind = c.file.starts_with("Session") ? SessionKind::Lrf : SessionKind::Lsf;
        auto result = ParseSession(c.file, kind, t);
        if (c.refusedAt) {
            ASSERT_TRUE(std::holds_alternative<SessionFileError>(result));
            const auto& e = std::get<SessionFileError>(result);
            EXPECT_EQ(e.Line, c.refusedAt) << e.Reason;
            EXPECT_FALSE(e.Reason.empty());
            continue;
        }
        const auto& p = std::get<ParsedSession>(result);
        expectPlayable(p, t);
        EXPECT_EQ(static_cast<int>(p.RepairedFields.size()), c.repairs);
        for (const FieldRepair& r : p.RepairedFields)
            EXPECT_EQ(p.Segments[r.Segment][r.Field], t.DefaultSegment[r.Field]);
        EXPECT_NE(RepairWarning(p, false), "");
    }

    // Every prefix of a valid file is refused or read as playable.
    using Kinded = std::pair<std::string_view, SessionKind>;
    for (const auto& [file, kind] :
         {Kinded{kTwoSegmentsFile, SessionKind::Lsf}, Kinded{kOldKindFile, SessionKind::Lrf}}) {
        for (std::size_t n = 0; n <= file.size(); ++n) {
            auto result = ParseSession(file.substr(0, n), kind, t);
            if (auto* p = std::get_if<ParsedSession>(&result))
                expectPlayable(*p, t);
        }
    }
}

TEST(SessionFile, OneWarningListsRepairedFieldsAndSliders)
{
    const std::string seg = "\t0.5\t0.6\t0.7\t0.8\trel5\tA0\tPh1\tnone\t50\t50  \t100  \tSG1\tW1 R\tW2\tB1";
    const ParsedSession p = parsedOrFail(edited({{9, "AM Depth: 4O"}, {10, "BS Volume:  150"},
                                                 {11, "H Beat/BS Wav Volume: -3"}, {18, "FM Depth: "},
                                                 {20, "1\tT99\tTone1" + seg}, {21, "2\tT3\tx" + seg}}),
                                         SessionKind::Lsf, synthetic());
    const ReadGlobals& g = *p.Globals;
    EXPECT_EQ(std::tuple(g.AMDepth, g.BSVolume, g.HBeatBSWavVolume, g.FMDepth),
              std::tuple(std::nullopt, 100, 0, std::nullopt));
    const std::string fields = "The session file holds values that cannot be used.\r\n\r\n"
                               "Replaced by the default segment's values:\r\n"
                               "Segment 1: Time, Pitch1, H Beat Freq\r\nSegment 2: Tone, Pitch1, H Beat Freq";
    EXPECT_EQ(RepairWarning(p, true), fields);
    EXPECT_EQ(RepairWarning(p, false),
              fields + "\r\n\r\nAM Depth: \"4O\" is not a whole number; the current setting is kept.\r\n"
                       "BS Volume: \" 150\" lies outside 0..100; 100 is used.\r\n"
                       "H Beat/BS Wav Volume: \"-3\" lies outside 0..100; 0 is used.\r\n"
                       "FM Depth: \"\" is not a whole number; the current setting is kept.");

    ParsedSession many;
    for (int i = 1; i <= 23; ++i)
        many.RepairedFields.push_back({i, fHBeat});
    EXPECT_TRUE(RepairWarning(many, false).ends_with("Segment 20: H Beat Freq\r\n... and 3 more segments"));
}

TEST(SessionFile, KindAndWavRelocation)
{
    EXPECT_EQ(sessionKindOf("/s/a.LsF"), SessionKind::Lsf);
    EXPECT_EQ(sessionKindOf("/s/a.lrf"), SessionKind::Lrf);
    EXPECT_EQ(relocatedWavPath("C:\\Sounds\\rain.wav", "/home/u/wav/"), "/home/u/wav/rain.wav");
    EXPECT_EQ(relocatedWavPath("/old/place/sea.wav", "/w"), "/w/sea.wav");
    EXPECT_EQ(relocatedWavPath("C:\\Sounds\\", "/w/"), "");
}
