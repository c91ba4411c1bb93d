#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

#include "EngineRig.h"

namespace {
bool g_countAllocs = false;
long g_allocs = 0;
} // namespace

void* operator new(std::size_t size)
{
    g_allocs += g_countAllocs;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
// The library's temporary buffers use this one; left to the sanitizer's own,
// its blocks would reach the free below and count as mismatched.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    g_allocs += g_countAllocs;
    return std::malloc(size ? size : 1);
}
// Through a pointer, so that the compiler does not pair it with the new above.
void (*volatile g_free)(void*) = std::free;
void operator delete(void* p) noexcept { g_free(p); }
void operator delete(void* p, std::size_t) noexcept { g_free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { g_free(p); }

namespace {

void clearTexts(Engine& e)
{
    for (auto& t : e.DisplayTexts)
        t.clear();
}

} // namespace

TEST(EngineBlocks, SegmentsChangeAtBlockStartsAtMostOncePerBlock)
{
    EngineRig r;
    r.add(1);
    r.add(1);
    r.start();
    r.until(5504 + 16); // the block at 5504 lies before the boundary 5512
    EXPECT_EQ(r.e.ActSegment, 1);
    EXPECT_EQ(r.e.DisplayTexts[1], "");
    r.block(); // starts at 5520
    EXPECT_EQ(r.e.ActSegment, 2);
    EXPECT_EQ(r.e.DisplayTexts[1], "2");
    EXPECT_EQ(r.e.SegSamplePos, 5535 - 5512);

    EngineRig q;
    for (int i = 0; i < 5; ++i)
        q.add(1);
    q.e.SesLengthFactor = 0.002f; // segments of 11 frames
    q.start(RunKind::Play);        // no soft end before the end
    std::vector<int> segs;
    while (q.block())
        segs.push_back(q.e.ActSegment);
    EXPECT_EQ(segs, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(q.e.SesSamplePos, 80);
}

TEST(EngineBlocks, EndOfSessionLeavesTheRestOfTheBufferAndStaysStopped)
{
    EngineRig r;
    r.add(1);
    r.start();
    const auto untouched = [&](int from) {
        return std::all_of(r.buf.begin() + from, r.buf.end(), [](auto v) { return v == 0x1234; });
    };
    r.buf.fill(0x1234);
    EXPECT_FALSE(r.e.ComputeOutPut(r.buf.data(), kOutBufBytes));
    EXPECT_EQ(r.e.SesSamplePos, 5520);
    EXPECT_EQ(r.buf[2 * 5519 + 1], 0);
    EXPECT_TRUE(untouched(2 * 5520));
    EXPECT_EQ(r.host.presses, 1);

    r.buf.fill(0x1234);
    EXPECT_FALSE(r.e.ComputeOutPut(r.buf.data(), kOutBufBytes));
    EXPECT_TRUE(untouched(0));
    EXPECT_EQ(r.e.SesSamplePos, 5520);
    EXPECT_EQ(r.host.presses, 1);

    std::vector<std::int16_t> device(kOutBufBytes / 2, 0x1234); // the fill copies the whole buffer
    EXPECT_FALSE(r.e.FillBuffer(device.data(), kOutBufBytes));
    EXPECT_TRUE(std::all_of(device.begin(), device.end(), [](auto v) { return v == 0; }));

    r.start(RunKind::Export);
    r.until(1 << 20);
    EXPECT_TRUE(r.e.StopRequest);
    EXPECT_EQ(r.host.presses, 1) << "an export's end posts no stop press";
}

TEST(EngineBlocks, BufferSizeDoesNotChangeTheRun)
{
    const auto render = [](int bytes) {
        EngineRig r;
        r.add(4, 6, 96, 46).Phase = 9;
        TSegRec& b = r.add(1, 8, 20, 156);
        b.DutyCycle = 3 | kRampFlag;
        b.Volume = 21 | kRampFlag;
        b.Phase = 2 | kRampFlag;
        b.PhaseChange = 2;
        r.add(4, 17, 66, 6).HBeat = 91 | kRampFlag;
        r.fadeIn = 1000;
        r.fadeOut = 30000;
        r.start();
        std::vector<std::string> states;
        for (bool more = true; more; states.push_back(snapshot(r.e)))
            for (int done = 0; more && done < kOutBufBytes; done += bytes)
                more = r.e.ComputeOutPut(r.buf.data(), bytes);
        return states;
    };
    const auto small = render(64);
    EXPECT_GE(small.size(), 8u);
    EXPECT_EQ(small, render(kOutBufBytes));
}

TEST(EngineBlocks, BlocksAndTheirTextsDoNotAllocate)
{
    EngineRig r;
    r.soundSetUp(); // and the peak text with them
    TSegRec& a = r.add(3, 1, 6, 46);
    a.Freq1To = 156; // the texts keep changing
    a.BackingSound = 2;
    r.e.BSVol = 1;
    r.e.AudioOutputFilter = true;
    a.Phase = 2;
    a.PhaseChange = 2;
    r.start();
    r.block();
    g_allocs = 0;
    g_countAllocs = true;
    r.blocks(6000, [&] { clearTexts(r.e); }); // cleared as the display does
    g_countAllocs = false;
    EXPECT_EQ(g_allocs, 0);
}

TEST(EngineFades, SoftStartStaircaseEndsAtExactlyOne)
{
    EngineRig r;
    r.add();
    r.fadeIn = 40;
    r.start();
    std::vector<float> gains;
    r.blocks(5, [&] { gains.push_back(r.e.FadeGain); });
    EXPECT_EQ(gains, (std::vector<float>{0.4f, 0.8f, 1.2f, 1.0f, 1.0f})) << "one block above 1, as designed";
    EXPECT_FALSE(r.e.FadingIn);

    r.e.FadeGain = 0;
    r.fadeIn = 0;
    r.start();
    EXPECT_FALSE(r.e.FadingIn);
    EXPECT_EQ(r.e.FadeGain, 1.0f);
}

TEST(EngineFades, HalfSessionRuleAndTheEnginesSoftEnd)
{
    struct Case {
        int time;
        std::int64_t fadeOut, start;
    };
    for (auto [time, fadeOut, start] : {Case{4, 44100, 66150 - 44100}, Case{1, 5512, 2756}, Case{1, 5511, 1}}) {
        EngineRig r;
        r.add(time);
        r.fadeOut = fadeOut;
        r.start();
        EXPECT_EQ(r.e.FadeOutStart, start) << fadeOut;
    }

    EngineRig r;
    r.add(1);
    r.fadeOut = 44100; // longer than the session: fade from its middle
    r.start();
    r.until(2768 + 16); // the first block past 2756
    EXPECT_TRUE(r.e.Ending);
    EXPECT_EQ(r.e.DisplayTexts[19], "Ending");
    EXPECT_EQ(r.e.FadeOutLen, 5512 - 2768);
    float last = r.e.FadeGain;
    int blocks = 1;
    for (; r.block(); ++blocks) {
        EXPECT_LT(r.e.FadeGain, last);
        EXPECT_GE(r.e.FadeGain, 0.0f);
        last = r.e.FadeGain;
    }
    EXPECT_EQ(last, 0.0f) << "2744 frames are not whole blocks: the last step is clamped";
    EXPECT_EQ(blocks, 172);
    EXPECT_EQ(r.host.presses, 1);
}

TEST(EngineFades, SoftEndsFromAPartialGain)
{
    EngineRig r; // the engine's soft end during the soft start
    r.add(1);
    r.fadeIn = r.fadeOut = 44100;
    r.start();
    r.until(2768 + 16);
    const float gain = 2784 / 44100.0f;
    EXPECT_NEAR(r.e.FadeGain, gain * (2744 - 16) / 2744, 1e-5);
    EXPECT_FALSE(r.e.FadingIn);
    EXPECT_NEAR(r.e.FadeOutLen, 2744 / gain, 1);

    EngineRig s; // the Stop press
    s.add(3);
    s.fadeOut = 44100;
    s.start();
    s.e.FadeGain = 0;
    EXPECT_FALSE(s.e.StartSoftEnd()) << "nothing to fade: the caller stops at once";
    EXPECT_FALSE(s.e.Ending);
    s.start();
    s.e.FadeInLen = 88192;
    s.e.ArmSoftStart();
    s.blocks(2756);
    ASSERT_EQ(s.e.FadeGain, 0.5f);
    EXPECT_TRUE(s.e.StartSoftEnd());
    EXPECT_FALSE(s.e.FadingIn);
    EXPECT_EQ(s.e.FadePos, 44100);
    EXPECT_EQ(s.e.FadeOutLen, 88200);
    s.blocks(100);
    s.e.FadeOutLen = 0; // the option moved to 0 during the fade
    EXPECT_FALSE(s.block());
    EXPECT_EQ(s.e.FadeGain, 0.0f);
    EXPECT_EQ(s.host.presses, 1);
}

TEST(EngineRamps, VolumeAndIntensityRampIntoTheNewGlide)
{
    EngineRig r;
    TSegRec& a = r.add(4);
    a.Volume = 21;
    a.Intensity = 1;
    TSegRec& b = r.add(4);
    b.Volume = 1;
    b.Intensity = 21 | kRampFlag; // glides 0..1 over the segment
    r.start();
    r.until(66160 + 16); // the change
    EXPECT_NEAR(r.e.CurVolume, 1 - 16 / 5000.0, 1e-6) << "from the previous segment's end value";
    r.blocks(311);
    EXPECT_TRUE(r.e.VolRamping);
    r.block();
    EXPECT_FALSE(r.e.VolRamping) << "exactly 5000 frames";
    EXPECT_EQ(r.e.VolRampPos, 5000);
    EXPECT_NEAR(r.e.CurVolume, 0, 1e-6);
    EXPECT_NEAR(r.e.CurIntensity, 5000 / 66150.0, 1e-6) << "ends on the segment's own glide";
    r.block();
    EXPECT_NEAR(r.e.CurIntensity, 5018 / 66150.0, 1e-6);

    EngineRig q; // a segment shorter than the ramp
    q.add(4).Volume = 21;
    q.add(1).Volume = 11;
    q.add(4).Volume = 1;
    q.e.SesLengthFactor = 0.5f;
    q.start();
    q.until(q.session->SegEnd[2] + 16);
    ASSERT_EQ(q.e.ActSegment, 3);
    EXPECT_NEAR(q.e.CurVolume, 0.5 - 16 * 0.5 / 5000, 1e-6) << "from segment 2's end value";
}

TEST(EngineHeartBeat, TriggersAtBlockStartsOnePeriodApartFollowingTheRate)
{
    EngineRig r;
    r.add(4).HBeat = 51; // 60 per minute
    r.add(4).HBeat = 91; // 100 per minute
    r.start();
    std::vector<std::int64_t> beats;
    while (r.e.SesSamplePos < 100000 && r.block()) {
        if (r.e.HBeatActive)
            beats.push_back(r.e.SesSamplePos - 16);
        r.e.HBeatActive = false;
    }
    EXPECT_EQ(beats, (std::vector<std::int64_t>{44112, 70560, 97024}));
    EXPECT_EQ(r.e.HBeatPeriod, 26460);
}

TEST(EngineTexts, FormatsAndWhenTheyAreWritten)
{
    EngineRig r;
    TSegRec& a = r.add(4, 1, 74, 98); // 7.83 and 10.5 Hz
    a.Freq1To = 96;                    // glides to 10 Hz
    TSegRec& b = r.add(4);
    b.Pitch1 |= kRampFlag;
    b.DutyCycle |= kRampFlag;
    b.Wave2 |= kRampFlag;
    b.Phase = 5 | kRampFlag;
    r.start();
    r.block();
    const auto texts = [&](std::initializer_list<int> entries) {
        std::vector<std::string> out;
        for (int i : entries)
            out.push_back(r.e.DisplayTexts[i]);
        return out;
    };
    EXPECT_EQ(texts({4, 5, 17, 11, 12}), (std::vector<std::string>{"7.83", "10.50", "60", "50", "70"}));
    clearTexts(r.e);
    r.block();
    EXPECT_EQ(texts({5, 17, 11}), (std::vector<std::string>{"", "", "50"})) << "on change, or every block";

    int timeTexts = 0;
    int freqTexts = 0; // the glide changes the text about every 20 blocks
    r.until(40000);
    clearTexts(r.e);
    r.blocks(500, [&] {
        timeTexts += !r.e.DisplayTexts[2].empty();
        freqTexts += !r.e.DisplayTexts[4].empty();
        if (!r.e.DisplayTexts[2].empty()) {
            EXPECT_EQ(r.e.DisplayTexts[2], "0:01");
        }
        clearTexts(r.e);
    });
    EXPECT_EQ(timeTexts, 1);
    EXPECT_GT(freqTexts, 10);
    EXPECT_LT(freqTexts, 40);

    r.until(66160 + 16);
    EXPECT_EQ(texts({1, 3, 8, 15}), (std::vector<std::string>{"2", "Tone1", "Ph5 R", "W1 R"}));
    EXPECT_EQ(r.e.DisplayTexts[6], r.tables.PitchNames[a.Pitch1] + " R");
    EXPECT_EQ(r.e.DisplayTexts[7], r.tables.PitchNames[a.Pitch2]);
    EXPECT_EQ(r.e.DisplayTexts[10], r.tables.DutyCycleNames[a.DutyCycle] + " R");
    r.until(2 * 44100 + 16);
    EXPECT_EQ(texts({2, 18}), (std::vector<std::string>{"0:02", "0:01"}));
}

TEST(EngineTexts, ASegmentChangeSendsEachFieldToItsOwnGridRow)
{
    // Every field of the new segment differs from the first's, so a text sent
    // to another row, or not sent, shows here.
    EngineRig r;
    r.add(4);
    TSegRec& b = r.add(4, 9);
    b.Pitch1 = 30;
    b.Pitch2 = 44 | kRampFlag;
    b.PhaseChange = 3;
    b.DutyCycle = 2;
    b.SGVol = 6;
    b.Wave1 = 7 | kRampFlag;
    b.Wave2 = 11;
    b.BackingSound = 4;
    r.start();
    r.until(r.session->SegEnd[1] + 16);
    const ValueTables& t = r.tables;
    const std::pair<DisplayEntry, std::string> expected[] = {
        {dSegment, "2"},
        {dTone, t.ToneNames[9]},
        {dPitch1, t.PitchNames[30]},
        {dPitch2, t.PitchNames[44] + " R"},
        {dPhaseChange, t.PhaseChangeNames[3]},
        {dDutyCycle, t.DutyCycleNames[2]},
        {dSGVol, t.SGVolNames[6]},
        {dWave1, t.WaveNames[7] + " R"},
        {dWave2, t.WaveNames[11]},
        {dBackingSound, t.BackingSoundNames[4]},
    };
    for (const auto& [entry, text] : expected)
        EXPECT_EQ(r.e.DisplayTexts[entry], text) << "entry " << entry;
    EXPECT_EQ(statusGridRow(dSGVol), 12) << "\"SG1/SG2 Vol.\" is the grid's row 12";
    EXPECT_EQ(statusGridRow(dHBeat), 16);
}

TEST(EngineRunSetUp, SegmentEndsAtTheFactorRoundToEvenAndPass32Bits)
{
    EngineRig r;
    for (int i = 1; i < kMaxSegments; ++i)
        r.add(32); // 320 s
    r.add(1);      // 0.125 s: 16537.5 frames at factor 3
    r.e.SesLengthFactor = 3;
    r.start(RunKind::Play, kMaxSegments);
    const std::int64_t end = (kMaxSegments - 1) * 320LL * 3 * 44100;
    EXPECT_EQ(r.session->SegEnd[kMaxSegments - 1], end);
    EXPECT_EQ(r.session->SegEnd[kMaxSegments], end + 16538);
    r.blocks(2);
    EXPECT_EQ(r.e.ActSegment, kMaxSegments);
    EXPECT_EQ(r.e.SegSamplePos, 31);
    EXPECT_EQ(r.e.DisplayTexts[2], "31984:00"); // 1999 x 960 s
}

TEST(EngineRunSetUp, PlayFromASegmentDuringTheMainSoftStartRunsAtFullGain)
{
    EngineRig r;
    for (int i = 0; i < 4; ++i)
        r.add(1);
    r.fadeIn = 441000;
    r.start();
    r.blocks(100);
    ASSERT_TRUE(r.e.FadingIn);

    r.e.PrepareRun(RunKind::Play, 3);
    EXPECT_EQ(r.e.SesSamplePos, r.session->SegEnd[2]);
    r.block();
    EXPECT_EQ(r.e.ActSegment, 3);
    EXPECT_EQ(r.e.DisplayTexts[1], "3");
    r.blocks(400, [&] { ASSERT_EQ(r.e.FadeGain, 1.0f); });
    EXPECT_FALSE(r.e.Ending) << "Play begins no soft end of its own";
}

TEST(EngineRunSetUp, ConsecutiveRunsGiveIdenticalState)
{
    EngineRig r;
    r.add(1, 6, 96, 46).Phase = 10;
    TSegRec& b = r.add(1, 27, 100, 66);
    b.DutyCycle = 8 | kRampFlag;
    b.Phase = 3 | kRampFlag;
    b.PhaseChange = 2;
    r.add(4, 19, 136, 6).Phase = 9;
    r.fadeIn = 5000;
    r.fadeOut = 20000;
    std::string first;
    for (int run = 0; run < 2; ++run) {
        clearTexts(r.e); // as the display does at every stop
        r.start();
        r.blocks(3000);
        if (run == 0)
            first = snapshot(r.e);
        else
            EXPECT_EQ(snapshot(r.e), first);
        r.until(1 << 22); // the first run ends its own way
    }
}

TEST(EngineSafety, UnsetAndOutOfRangeRecordsRenderWithoutFaults)
{
    EngineRig r;
    r.add(1);
    r.session->Segments[++r.session->SegCount] = TSegRec{};
    TSegRec& wild = r.session->Segments[++r.session->SegCount];
    for (int f = 1; f <= kFieldCount; ++f)
        wild[f] = 255;
    r.add(1).Tone = 0;
    TSegRec& flat = r.session->Segments[++r.session->SegCount];
    flat.Phase = 3 | kRampFlag; // a glide over a segment of no length
    flat.PhaseChange = 1;
    TSegRec& slow = r.add(1, 1, 1, 1);
    slow.Phase = 128;
    slow.PhaseChange = 2;
    r.fadeIn = 3;
    r.fadeOut = 7;
    r.start();
    int calls = 0;
    bool sawFlat = false;
    while (r.block() && ++calls < 100000)
        if (r.e.ActSegment == 5) {
            sawFlat = true;
            EXPECT_EQ(r.e.CurPhase, r.tables.PhaseTable[3]) << "the pattern holds at once";
            EXPECT_EQ(r.e.PhaseStep[0], 0.0f);
        }
    EXPECT_TRUE(sawFlat);
    EXPECT_TRUE(r.e.StopRequest);
}
