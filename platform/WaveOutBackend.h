#pragma once

#include <string>
#include <vector>

#include "platform/WaveOut.h"

/// The device behind the waveOut layer. The layer validates handles and header
/// flags and sends the notifications; a backend only moves audio. Every call
/// comes from the GUI thread.
class WaveOutBackend {
public:
    virtual ~WaveOutBackend() = default;

    /// Opens stream `handle`. On failure returns the code and may leave the
    /// device's own words in `reason`.
    virtual MMRESULT open(HWAVEOUT handle, std::int32_t deviceId, const WAVEFORMATEX& format,
                          std::string& reason) = 0;
    virtual MMRESULT prepare(HWAVEOUT handle, WAVEHDR& header) = 0;
    virtual void unprepare(HWAVEOUT handle, WAVEHDR& header) = 0;
    /// Takes the header's bytes into the stream's queue.
    virtual MMRESULT write(HWAVEOUT handle, WAVEHDR& header) = 0;
    virtual void pause(HWAVEOUT handle) = 0;
    virtual void restart(HWAVEOUT handle) = 0;
    /// Empties the stream and appends to `returned` the headers played but not
    /// yet reported, then those still queued, in queue order.
    virtual void reset(HWAVEOUT handle, std::vector<WAVEHDR*>& returned) = 0;
    /// Like reset, then forgets the stream.
    virtual void close(HWAVEOUT handle, std::vector<WAVEHDR*>& returned) = 0;

protected:
    /// Reports a played header of an open stream: marks it done and posts its
    /// DONE. Called on the GUI thread, in queue order.
    static void headerDone(HWAVEOUT handle, WAVEHDR* header);
};

/// The SDL2 backend, made at the first open unless a test installed another.
WaveOutBackend& sdlWaveOutBackend();
