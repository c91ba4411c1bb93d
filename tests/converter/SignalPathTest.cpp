#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "TestSignals.h"
#include "platform/IoError.h"

namespace {

using Samples = std::vector<std::int16_t>;
using Channel = SignalPath::Channel;
constexpr auto kL = SignalPath::kLeft;
constexpr auto kR = SignalPath::kRight;
constexpr double kRate = 44100;

/// Tone of `hz` whose amplitude rises linearly over `fade` frames, from `start`.
double fadedTone(std::int64_t k, double hz, double amp, std::int64_t start = 0, std::int64_t fade = 22050)
{
    if (k < start)
        return 0;
    return amp * std::min(1.0, double(k - start) / fade) * std::sin(2 * std::numbers::pi * hz * (k - start) / kRate);
}

struct Fixture : ::testing::Test {
    std::unique_ptr<SignalPath> path = std::make_unique<SignalPath>();
    std::unique_ptr<MemorySource> source;

    void SetUp() override { path->SetSineTable(sineTable()); }
    void start(const Samples& src, int asLevel = 23)
    {
        source = std::make_unique<MemorySource>(src);
        path->SetSource(source.get());
        path->ResetRun(asLevel);
        path->TotalFrames = path->FramesLeft = source->frames();
    }
    /// Whole run in blocks; the output, or the monitoring signal.
    Samples run(const Samples& src, int asLevel = 23, std::int32_t block = 32768, bool filtered = false)
    {
        start(src, asLevel);
        Samples out;
        bool more = true;
        while (more) {
            std::int32_t size = block;
            more = path->ComputeOutPut(path->OutputBlock(), size);
            const std::int16_t* from = filtered ? path->FilteredBuffer.data() : path->OutputBlock();
            out.insert(out.end(), from, from + size / 2);
        }
        return out;
    }
    /// One frame per block, with each channel's state after the frame.
    struct Frame {
        std::int16_t out[2];
        Channel ch[2];
    };
    std::vector<Frame> trace(const Samples& src, int asLevel = 23)
    {
        start(src, asLevel);
        std::vector<Frame> frames;
        std::int32_t size = 4;
        while (path->ComputeOutPut(path->OutputBlock(), size))
            frames.push_back({{path->OutputBlock()[0], path->OutputBlock()[1]}, {path->L, path->R}});
        return frames;
    }
    /// Settings under which a lone click triggers: wide band, high detection gain.
    void clickSettings()
    {
        for (auto s : {kL, kR}) {
            path->SetBandWidth(s, 400);
            path->SetFilteredLevel(s, 1000);
        }
    }
};

/// Single-sample clicks of 30000 at (frame, channel 0 L, 1 R, 2 both).
Samples clicks(std::int64_t frames, std::initializer_list<std::pair<std::int64_t, int>> at)
{
    return makeSignal(frames, [&](std::int64_t k, int c) {
        for (auto [frame, ch] : at)
            if (k == frame && (ch == c || ch == 2))
                return 30000.0;
        return 0.0;
    });
}

} // namespace

using SignalPathTest = Fixture;

TEST_F(SignalPathTest, BandPassCoefficientsAndUnityGainAtTheCentre)
{
    for (int centre : {80, 142, 555, 1000}) {
        for (int band : {1, 50, 400}) {
            SCOPED_TRACE(testing::Message() << centre << "/" << band);
            path->SetCenterFreq(kL, centre);
            path->SetBandWidth(kL, band);
            const double pi = 3.141592654, cf = (centre / 10.0) * (centre / 10.0) / 2, bw = band * cf / 100;
            const double t = std::tan(pi * bw / kRate), w = -std::cos(2 * pi * cf / kRate), c = (t - 1) / (t + 1);
            EXPECT_NEAR(path->L.FilterGain, (c + 1) * 0.5, 1e-6 * std::abs(c + 1));
            EXPECT_NEAR(path->L.A1, (1 - c) * w, 1e-6);
            EXPECT_NEAR(path->L.A2, -c, 1e-6);
            EXPECT_EQ(path->L.B1, 0);
            EXPECT_EQ(path->L.B2, -1);
        }
    }
    for (int centre : {142, 700}) {
        path->SetCenterFreq(kL, centre);
        path->SetBandWidth(kL, 50);
        const Samples mon = run(makeSignal(88200, [&](std::int64_t k, int) {
            return 10000 * std::sin(2 * std::numbers::pi * path->L.CenterFreq * k / kRate);
        }), 0, 32768, true);
        double power = 0;
        for (std::size_t i = 2 * 44100; i < mon.size(); i += 2)
            power += double(mon[i]) * mon[i] / 44100;
        EXPECT_NEAR(std::sqrt(2 * power), 10000, 50) << centre;
    }
}

TEST_F(SignalPathTest, LabelsAtDefaultsTiesAndClamps)
{
    const auto& c = path->controls();
    EXPECT_EQ(c.GainLabel, "Input Gain: 1.00");
    EXPECT_EQ(c.OnDurationLabel, "Light On Duration: 5 ms");
    EXPECT_EQ(c.RetrigDelayLabel, "Light Retrigger Delay: 0 ms");
    EXPECT_EQ(c.IntervalLabel, "DR Detection Interval: 500 ms");
    EXPECT_EQ(c.PlayingASLevelLabel, "Playing - AS Max Level: 23");
    EXPECT_EQ(c.Ch[kL].CenterLabel, "Center Frequency L: 101 Hz"); // 100.82
    EXPECT_EQ(c.Ch[kR].BandLabel, "Band Width R: 50 Hz");          // 50.41
    EXPECT_EQ(c.Ch[kL].LevelLabel, "Filtered Signal Level L: 1.00");
    EXPECT_EQ(c.Ch[kR].TriggerLabel, "Light Trigger Level R: 50");

    path->SetCenterFreq(kL, 90); // 40.5 Hz
    EXPECT_EQ(c.Ch[kL].CenterLabel, "Center Frequency L: 40 Hz");
    path->SetCenterFreq(kR, 110); // 60.5 Hz
    EXPECT_EQ(c.Ch[kR].CenterLabel, "Center Frequency R: 60 Hz");
    path->SetCenterFreq(kL, 100); // 50 Hz: the band follows the centre
    EXPECT_EQ(c.Ch[kL].BandLabel, "Band Width L: 25 Hz");
    path->SetBandWidth(kL, 5); // 2.5 Hz
    EXPECT_EQ(c.Ch[kL].BandLabel, "Band Width L: 2 Hz");
    path->SetBandWidth(kL, 3); // 1.5 Hz
    EXPECT_EQ(c.Ch[kL].BandLabel, "Band Width L: 2 Hz");
    EXPECT_EQ(c.Ch[kR].BandLabel, "Band Width R: 30 Hz");

    path->SetInputGain(29);
    EXPECT_EQ(c.GainLabel, "Input Gain: 0.29");
    path->SetInputGain(1000);
    EXPECT_EQ(c.GainLabel, "Input Gain: 3.00");
    path->SetFilteredLevel(kR, 7);
    EXPECT_EQ(c.Ch[kR].LevelLabel, "Filtered Signal Level R: 0.07");
    path->SetCenterFreq(kR, -5);
    EXPECT_EQ(c.Ch[kR].CenterPos, 80);
    EXPECT_FLOAT_EQ(path->R.CenterFreq, 32);
    path->SetOnDuration(600);
    EXPECT_EQ(c.OnDurationLabel, "Light On Duration: 500 ms");
    path->SetDRInterval(0);
    EXPECT_EQ(path->DRInterval, 4410);
    path->SetPlayingASLevel(101);
    EXPECT_EQ(c.PlayingASLevelLabel, "Playing - AS Max Level: 100");
}

TEST_F(SignalPathTest, LevelZeroIsTransparentInAnyBlockSize)
{
    clickSettings();
    std::uint32_t r = 7;
    const Samples src = makeSignal(10007, [&](std::int64_t k, int) {
        r = r * 1664525u + 1013904223u;
        return k % 1000 == 0 ? 32767.0 : double(std::int16_t(r >> 16));
    });
    for (std::int32_t block : {4, 4096, 32768, 65536, 1 << 20}) {
        SCOPED_TRACE(block);
        EXPECT_EQ(run(src, 0, block), src);
        EXPECT_TRUE(std::isfinite(path->ASRampUp) && std::isfinite(path->ASRampDown));
        EXPECT_EQ(path->FramesDone, 10007);
        EXPECT_FALSE(path->ReadFailed);
    }
    std::int32_t size = 4096;
    start(src);
    path->FramesLeft = 1000;
    EXPECT_FALSE(path->ComputeOutPut(path->OutputBlock(), size));
    EXPECT_EQ(size, 4000);
}

TEST_F(SignalPathTest, ClickTimingHoldAndRearm)
{
    clickSettings();
    path->SetOnDuration(3);    // 132.3 frames: a hold of 133
    path->SetRetrigDelay(10);  // 441 frames from the trigger
    const auto f = trace(clicks(3000, {{100, 0}, {300, 0}, {542, 0}, {543, 0}}));
    EXPECT_EQ(f[99].ch[kL].TriggerState, 0);
    EXPECT_EQ(f[100].ch[kL].TriggerState, 1) << "onset in the click frame";
    EXPECT_GT(f[101].ch[kL].LightLevel, 0);
    EXPECT_EQ(f[100 + 132].ch[kL].TriggerState, 1);
    EXPECT_EQ(f[100 + 133].ch[kL].TriggerState, 2);
    EXPECT_EQ(f[300].ch[kL].TriggerState, 2) << "a click in the delay below 1.2 x the peak";
    EXPECT_EQ(f[100 + 441].ch[kL].TriggerState, 2);
    EXPECT_EQ(f[100 + 442].ch[kL].TriggerState, 0);
    EXPECT_EQ(f[543].ch[kL].TriggerState, 1) << "re-armed";
    for (std::size_t k = 1; k < f.size(); ++k) {
        EXPECT_LE(std::abs(f[k].ch[kL].LightLevel - f[k - 1].ch[kL].LightLevel), path->ASRampUp * 1.0001f) << k;
        EXPECT_EQ(f[k].out[kR], 0) << "silent channel";
        if (f[k].ch[kL].LightLevel <= 0 && k != 100 && k != 300 && k != 542 && k != 543) {
            EXPECT_EQ(f[k].out[kL], 0) << k;
        }
    }
    EXPECT_EQ(f.back().ch[kL].LightLevel <= 0, true) << "the pulse fell";

    path->SetOnDuration(10); // exactly 441 frames
    path->SetRetrigDelay(0); // re-arms on the first frame after the hold
    const auto g = trace(clicks(700, {{100, 0}}));
    EXPECT_EQ(g[540].ch[kL].TriggerState, 1);
    EXPECT_EQ(g[541].ch[kL].TriggerState, 2);
    EXPECT_EQ(g[542].ch[kL].TriggerState, 0);
}

TEST_F(SignalPathTest, RetriggerInTheDelayNeedsMoreThanOnePointTwoTimesThePeak)
{
    clickSettings();
    path->SetOnDuration(3);   // hold 133 frames
    path->SetRetrigDelay(1000); // re-arm a second after the trigger
    // The band-pass rings: each click's detection peak comes a few frames
    // after it. The second click comes once the first has died away.
    const struct {
        double second; // the second click, as a multiple of the first
        bool retriggers;
    } cases[] = {{1.0, false}, {1.18, false}, {1.22, true}, {1.5, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.second);
        const auto f = trace(makeSignal(20100, [&](std::int64_t k, int ch) {
            return ch == 0 && k == 100 ? 20000.0 : ch == 0 && k == 20000 ? 20000.0 * c.second : 0.0;
        }));
        ASSERT_EQ(f[19999].ch[kL].TriggerState, 2);
        bool retriggered = false;
        for (int k = 20000; k < 20020; ++k)
            retriggered |= f[k].ch[kL].TriggerState == 1 && f[k].ch[kL].TriggerCount == 0;
        EXPECT_EQ(retriggered, c.retriggers);
    }
}

TEST_F(SignalPathTest, MixAndSharedPhaseGiveIdenticalCarriers)
{
    clickSettings();
    Samples out = run(clicks(20000, {{100, 2}}));
    for (std::size_t k = 0; k < out.size(); k += 2)
        ASSERT_EQ(out[k], out[k + 1]) << k / 2;
    path->SetMix(true);
    out = run(clicks(20000, {{100, 0}}));
    for (std::size_t k = 0; k < out.size(); k += 2)
        if (k / 2 != 100) {
            ASSERT_EQ(out[k], out[k + 1]) << k / 2;
        }
    EXPECT_NE(out[202], 0);
}

TEST_F(SignalPathTest, SelectivityAndAdaptiveMaximum)
{
    const auto lit = [](const std::vector<Fixture::Frame>& f, int ch, std::size_t from = 0) {
        for (std::size_t k = from; k < f.size(); ++k)
            if (f[k].ch[ch].LightLevel > 0)
                return std::int64_t(k);
        return std::int64_t(-1);
    };
    auto f = trace(makeSignal(44100, [](std::int64_t k, int c) { return fadedTone(k, c ? 5000 : 100.82, 8000); }));
    EXPECT_GE(lit(f, kL), 0) << "in band";
    EXPECT_EQ(lit(f, kR), -1) << "far outside the band";

    // Start maximum 1000: a tone of 400 waits for the renewal after 22050 frames.
    f = trace(makeSignal(44100, [](std::int64_t k, int) { return fadedTone(k, 100.82, 400, 0, 4410); }));
    EXPECT_GT(lit(f, kL), 22050);
    EXPECT_LT(lit(f, kL), 22500);
    EXPECT_LT(f[22051].ch[kL].DynMax, 401);

    // After silence the maximum rests at 250: a threshold of 125.
    f = trace(makeSignal(110250, [](std::int64_t k, int c) { return fadedTone(k, 100.82, c ? 110 : 140, 44100); }));
    EXPECT_EQ(f[44100].ch[kL].DynMax, 250);
    EXPECT_GE(lit(f, kL), 44100) << "just above";
    EXPECT_EQ(lit(f, kR), -1) << "just below";
}

TEST_F(SignalPathTest, EnvelopeLawsOnNoiseAndClicks)
{
    std::uint32_t r = 99;
    const Samples src = makeSignal(88200, [&](std::int64_t k, int c) {
        r = r * 1664525u + 1013904223u;
        return (k % 7000 == 3000 + c * 1000 ? 25000 : 0) + double(std::int16_t(r >> 16)) / 8;
    });
    const auto f = trace(src);
    const auto table = sineTable();
    for (int ch : {kL, kR}) {
        double last = 0;
        std::int64_t lastFrame = 0, pulses = 0;
        for (std::size_t k = 0; k < f.size(); ++k) {
            const double carrier = table[(k * 1920) % 4410] * double(path->ASLevel);
            const long c = f[k].out[ch] - std::lrint(src[2 * k + ch] * double(path->ProgramScale));
            if (std::abs(carrier) < 1500)
                continue;
            const double level = c / carrier;
            ASSERT_GE(level, -0.001) << k;
            ASSERT_LE(level, 1.001) << k;
            ASSERT_LE(std::abs(level - last), (k - lastFrame) * double(path->ASRampUp) + 1.0 / 1500) << k;
            pulses += level > 0.1 && last <= 0.1;
            last = level;
            lastFrame = std::int64_t(k);
        }
        EXPECT_GE(pulses, 5) << ch;
    }
}

TEST_F(SignalPathTest, RunsAreDeterministicAfterAnInterruptedRun)
{
    clickSettings();
    path->SetOnDuration(100);
    const Samples src = clicks(30000, {{100, 2}, {5000, 0}, {12000, 1}});
    const Samples first = run(src, 23, 4096);
    start(src);
    std::int32_t size = 4 * 150; // stops mid-pulse, in the hold
    path->ComputeOutPut(path->OutputBlock(), size);
    ASSERT_EQ(path->L.TriggerState, 1);
    EXPECT_EQ(run(src, 23, 32768), first);
}

TEST_F(SignalPathTest, OverflowSaturatesWithoutWrapping)
{
    path->SetInputGain(300);
    const Samples src = makeSignal(8820, [](std::int64_t k, int) { return (k / 220) % 2 ? -32768 : 32767; });
    const Samples out = run(src);
    for (std::size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], src[i] > 0 ? 32767 : -32768) << i;
    EXPECT_GT(path->OutputPeak, 32767);
}

TEST_F(SignalPathTest, SineTableMustBeExactlyOnePeriod)
{
    const auto dir = std::filesystem::path(testing::TempDir()) / ("sine-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto table = sineTable();
    std::ofstream(dir / "Sine.pcm", std::ios::binary).write(reinterpret_cast<const char*>(table.data()), 8820);
    auto p = std::make_unique<SignalPath>();
    p->LoadSineTable(dir.string());
    EXPECT_EQ(p->SineTable, table);
    std::ofstream(dir / "Sine.pcm", std::ios::binary | std::ios::app).write("\0\0", 2);
    p->SineTable[5] = 1;
    EXPECT_THROW(p->LoadSineTable(dir.string()), IoError);
    EXPECT_EQ(p->SineTable[5], 1) << "unchanged after a failure";
    std::filesystem::remove(dir / "Sine.pcm");
    EXPECT_THROW(p->LoadSineTable(dir.string()), IoError);
    std::filesystem::remove_all(dir);
}
