#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestTables.h"
#include "engine/Engine.h"
#include "engine/SampleTables.h"
#include "engine/SegParams.h"

// An engine over an in-memory session and the synthetic tables. Beat
// frequency indexes: 6 = 1 Hz, 46 = 5 Hz, 66 = 7 Hz, 74 = 7.83 Hz, 96 = 10 Hz,
// 156 = 40 Hz. Times: 1 = 5512 frames, 2 = 16538, 4 = 66150, 3 = 60 s.

struct StopCounter final : EngineHost {
    int presses = 0;
    void PostStopPress() override { ++presses; }
};

struct EngineRig {
    ValueTables tables = syntheticTables();
    std::unique_ptr<Session> session = std::make_unique<Session>();
    std::unique_ptr<SegParams> params = std::make_unique<SegParams>();
    std::unique_ptr<SampleTables> samples = std::make_unique<SampleTables>();
    PseudoRandom random; // each rig draws its own noise, from state 0
    std::unique_ptr<Engine> owned = std::make_unique<Engine>(*session, tables, *params, *samples, random);
    Engine& e = *owned;
    StopCounter host;
    std::array<std::int16_t, kOutBufBytes / 2> buf{};
    std::int64_t fadeIn = 0;  // FadeInLen and FadeOutLen for the next start
    std::int64_t fadeOut = 0;

    EngineRig()
    {
        e.setHost(&host);
        session->SegCount = 0;
    }

    /// Appends a segment of the default values with the given time, tone and
    /// constant beat frequencies.
    TSegRec& add(int time = 3, int tone = 1, int freq1 = 96, int freq2 = 96)
    {
        TSegRec& r = session->Segments[++session->SegCount];
        r = tables.DefaultSegment;
        r.Time = static_cast<std::uint8_t>(time);
        r.Tone = static_cast<std::uint8_t>(tone);
        r.Freq1From = r.Freq1To = static_cast<std::uint8_t>(freq1);
        r.Freq2From = r.Freq2To = static_cast<std::uint8_t>(freq2);
        return r;
    }

    /// Recomputes the session and prepares a run with the fades above.
    void start(RunKind kind = RunKind::Start, int startSeg = 1)
    {
        RecomputeSession(*session, tables, *params);
        e.FadeInLen = fadeIn;
        e.FadeOutLen = fadeOut;
        e.PrepareRun(kind, startSeg);
        e.ArmSoftStart();
    }

    /// Renders one 16-frame block.
    bool block() { return e.ComputeOutPut(buf.data(), 64); }
    /// Renders `n` blocks, calling `each` after every one; stops at the end.
    bool blocks(int n, const std::function<void()>& each = {})
    {
        for (int i = 0; i < n; ++i) {
            if (!block())
                return false;
            if (each)
                each();
        }
        return true;
    }
    /// Renders blocks until the position reaches `frame`.
    void until(std::int64_t frame)
    {
        while (e.SesSamplePos < frame && block()) {
        }
    }

    /// Wave tables to listen to, and a mix of the generators alone at full
    /// level without carrier: wave 1 the carrier's exact sine, 3 the index
    /// itself, 4 a triangle (zero at 0 and 2205), 5 a constant 32000, 6 the
    /// sine upside down; the heart beat counts 1, 2, 3 ...
    void soundSetUp()
    {
        for (int i = 0; i < kWaveLen; ++i) {
            auto& w = samples->WaveTables;
            w[1][i] = static_cast<std::int16_t>(std::lrint(32767 * std::sin(2 * M_PI * i / kWaveLen)));
            w[3][i] = static_cast<std::int16_t>(i);
            const int t = i < 1103 ? i : i < 3308 ? 2205 - i : i - 4410;
            w[4][i] = static_cast<std::int16_t>(t * 29);
            w[5][i] = 32000;
            w[6][i] = static_cast<std::int16_t>(-w[1][i]);
        }
        for (int i = 0; i < kHeartBeatLen; ++i)
            samples->HeartBeatPcm[i] = static_cast<std::int16_t>(i + 1);
        e.ASMaxLevel = 0;
        e.AudioScale = 1;
        e.ToneVol = 1;
        e.BSVol = 0;
    }

    /// Plays `samples` (left and right interleaved) as the looping
    /// backing-sound wav, or the tone wav, from a raw file in the test's
    /// temporary folder whose data begins at byte 44. The reader stays open;
    /// every start rewinds it.
    void loopWav(const std::vector<std::int16_t>& samples, const std::string& name, bool tone = false)
    {
        const std::string path = testing::TempDir() + name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const char header[44] = {};
        std::fwrite(header, 1, sizeof header, f);
        std::fwrite(samples.data(), 2, samples.size(), f);
        std::fclose(f);
        (tone ? e.ToneWavFile : e.BSWavFile).open(path, 44, samples.size() * 2);
        (tone ? e.ToneWavOpen : e.BSWavOpen) = true;
        std::remove(path.c_str()); // the open reader keeps the data
    }

    /// Renders `frames` frames in calls of `bytes`; the samples, left and right
    /// interleaved, up to where the run stopped.
    std::vector<std::int16_t> render(std::int64_t frames, int bytes = 4096)
    {
        std::vector<std::int16_t> out;
        while (static_cast<std::int64_t>(out.size()) < 2 * frames) {
            const bool more = e.ComputeOutPut(buf.data(), bytes);
            out.insert(out.end(), buf.begin(), buf.begin() + bytes / 2);
            if (!more)
                break;
        }
        out.resize(std::min<std::size_t>(out.size(), 2 * frames));
        return out;
    }
};

/// Every field that carries state from block to block, bit-exact, as text.
inline std::string snapshot(const Engine& e)
{
    std::string s;
    const auto put = [&](auto... values) {
        char b[48];
        for (long double v : {static_cast<long double>(values)...}) {
            std::snprintf(b, sizeof b, "%La ", v);
            s += b;
        }
    };
    put(e.SesSamplePos, e.ActSegment, e.FadeGain, e.FadePos, e.FadeOutLen, e.SegProgress, e.CurFreq1, e.CurFreq2,
        e.CurVolume, e.CurIntensity, e.VolRampPos, e.CurHBeat, e.HBeatStart, e.HBeatPeriod, e.PhaseType,
        e.PhaseChangeCount, e.AltPhase, e.ModPhase, e.CurDutyCycle, e.DutyRamping, e.Ending, e.StopRequest);
    for (int c = 0; c < kPulseChannels; ++c)
        put(e.CurPhase[c], e.PhaseStep[c], e.LightPhase[c], e.PulseInc[c], e.PulseDuty[c], e.PulseOn[c],
            e.ChannelEnabled[c], e.ASEnvState[c], e.ASEnvCount[c], e.PulseEdges[startEdge(c)],
            e.PulseEdges[endEdge(c)], e.PulseFlags[startEdge(c)], e.PulseFlags[endEdge(c)]);
    for (const auto& text : e.DisplayTexts)
        s += text + "|";
    return s;
}
