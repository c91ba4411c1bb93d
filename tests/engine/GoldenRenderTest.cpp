#include <gtest/gtest.h>

#include <cmath>

#include "EngineRig.h"
#include "engine/ValueTables.h"
#include "support/Golden.h"

// Golden renders of the engine: a busy session through the shipped value
// tables and the generated wave tables, rendered with the output filter off
// and on, compared with the files in tests/engine/golden (see
// tests/support/Golden.h). After a deliberate change of the engine's output,
// regenerate them with
//   LUMI_UPDATE_GOLDEN=1 build/tests/engine_tests --gtest_filter='GoldenRender.*'
// and commit the new files with the change.

namespace {

/// A short stereo pattern that is not silence: two detuned saw-like ramps.
std::vector<std::int16_t> wavPattern(int frames, int stepL, int stepR)
{
    std::vector<std::int16_t> s(2 * static_cast<std::size_t>(frames));
    for (int k = 0; k < frames; ++k) {
        s[2 * k] = static_cast<std::int16_t>((k * stepL) % 40000 - 20000);
        s[2 * k + 1] = static_cast<std::int16_t>(15000 - (k * stepR) % 30000);
    }
    return s;
}

/// Every tone type in turn, with glides, ramps of every rampable field,
/// relative pitches, phase patterns and two phase changes, every balance,
/// every backing sound (noise, heart beat, the looping backing wav with and
/// without it) and the tone wav, at a fifth of the segments' lengths.
std::vector<std::int16_t> renderBusySession(bool filter)
{
    EngineRig r;
    LoadVars(LUMI_BIN_DIR, r.tables);
    LoadSampleBuffers(LUMI_BIN_DIR, *r.samples);
    for (int i = 1; i <= 30; ++i) {
        TSegRec& s = r.add(i == 9 || i == 22 ? 10 : 1 + i % 3, 1 + (i - 1) % 27, 1 + i * 37 % 156, 1 + i * 11 % 156);
        s.Freq1To = static_cast<std::uint8_t>(1 + i * 53 % 156);
        s.Pitch1 = static_cast<std::uint8_t>(1 + i * 7 % 85);
        s.Pitch2 = static_cast<std::uint8_t>(i % 4 ? 1 + i * 13 % 85 : 86 + i % 30); // relative every fourth
        s.Phase = static_cast<std::uint8_t>(1 + i % 10);
        s.PhaseChange = static_cast<std::uint8_t>(i == 9 || i == 22 ? 2 : 1);
        s.DutyCycle = static_cast<std::uint8_t>(1 + i % 8);
        s.Volume = static_cast<std::uint8_t>(6 + i * 7 % 16);
        s.Intensity = static_cast<std::uint8_t>(1 + i * 11 % 21);
        s.SGVol = static_cast<std::uint8_t>(1 + i % 13);
        s.Wave1 = static_cast<std::uint8_t>(1 + i % 15);
        s.Wave2 = static_cast<std::uint8_t>(1 + (i * 4 + 3) % 15);
        s.BackingSound = static_cast<std::uint8_t>(1 + i % 5);
        s.HBeat = static_cast<std::uint8_t>(1 + i * 29 % 91);
        if (i > 1) {
            for (SegField f : {fPitch1, fPitch2, fPhase, fDutyCycle, fVolume, fIntensity, fWave1, fWave2, fHBeat})
                if ((i + f) % 3 == 0)
                    s[f] |= kRampFlag;
        }
    }
    r.e.setLengthFactorPos(2);
    r.e.setAMDepthPos(70);
    r.e.setFMDepthPos(40);
    r.e.setToneBackingPos(40);
    r.e.setHeartBeatWavPos(60);
    r.e.setASLevel(60);
    r.e.setASZeroLevel(10);
    r.e.AudioOutputFilter = filter;
    r.fadeIn = kFrameRate / 2;
    r.fadeOut = kFrameRate;
    r.loopWav(wavPattern(3001, 37, 53), filter ? "golden_bs_f.wav" : "golden_bs.wav");
    r.loopWav(wavPattern(2203, 71, 29), filter ? "golden_tone_f.wav" : "golden_tone.wav", true);
    r.start();
    const std::int64_t frames = r.session->SegEnd[r.session->SegCount];
    std::vector<std::int16_t> out = r.render(frames + 4096, 16384);
    // A golden of near silence would pin little.
    int peak = 0;
    for (const std::int16_t v : out)
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_GT(peak, 8000);
    EXPECT_GT(static_cast<std::int64_t>(out.size()), 2 * (frames - kFrameRate));
    return out;
}

} // namespace

TEST(GoldenRender, BusySessionWithoutTheOutputFilter)
{
    EXPECT_TRUE(matchesGolden(LUMI_SOURCE_DIR "/tests/engine/golden/busy-session.golden", renderBusySession(false)));
}

TEST(GoldenRender, BusySessionWithTheOutputFilter)
{
    EXPECT_TRUE(
        matchesGolden(LUMI_SOURCE_DIR "/tests/engine/golden/busy-session-filtered.golden", renderBusySession(true)));
}
