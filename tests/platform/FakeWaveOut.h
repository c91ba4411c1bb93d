#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/WaveOutBackend.h"

/// A wave output device for tests: nothing plays by itself. It logs every
/// call, fails the next open, prepare or write with a chosen code, and
/// completes the oldest queued headers of a stream on request through the
/// layer's DONE path. A write of a header that is still queued, or of a
/// returned header out of the order it came back in, fails the test.
/// Installs itself for its lifetime.
class FakeWaveOutBackend final : public WaveOutBackend {
public:
    struct Call {
        std::string what; // open, prepare, unprepare, write, pause, restart, reset, close
        HWAVEOUT handle = 0;
        const WAVEHDR* header = nullptr;
        std::vector<std::uint8_t> bytes; // what a write queued
    };

    FakeWaveOutBackend();
    ~FakeWaveOutBackend() override;

    /// The calls' names joined by blanks.
    std::string log() const;
    /// Completes up to `n` of the oldest queued headers unless the stream is
    /// paused; returns how many. Their DONEs are posted, not yet delivered.
    int complete(HWAVEOUT handle, int n = 1);
    std::size_t queued(HWAVEOUT handle) const;
    std::size_t openStreams() const { return m_streams.size(); }

    std::vector<Call> calls;
    // Each makes the next call of its kind fail with the code, once.
    MMRESULT failOpen = MMSYSERR_NOERROR;
    std::string failOpenReason;
    MMRESULT failPrepare = MMSYSERR_NOERROR;
    MMRESULT failWrite = MMSYSERR_NOERROR;
    int failWriteAfter = 0; // writes that still succeed before failWrite strikes

    MMRESULT open(HWAVEOUT handle, std::int32_t deviceId, const WAVEFORMATEX& format,
                  std::string& reason) override;
    MMRESULT prepare(HWAVEOUT handle, WAVEHDR& header) override;
    void unprepare(HWAVEOUT handle, WAVEHDR& header) override;
    MMRESULT write(HWAVEOUT handle, WAVEHDR& header) override;
    void pause(HWAVEOUT handle) override;
    void restart(HWAVEOUT handle) override;
    void reset(HWAVEOUT handle, std::vector<WAVEHDR*>& returned) override;
    void close(HWAVEOUT handle, std::vector<WAVEHDR*>& returned) override;

private:
    struct Stream {
        std::deque<WAVEHDR*> queue;
        std::deque<WAVEHDR*> returned; // in the order they came back
        bool paused = false;
    };
    void record(const char* what, HWAVEOUT handle, const WAVEHDR* header = nullptr);

    std::map<HWAVEOUT, Stream> m_streams;
};
