#include "WaveOut.h"

#include <map>
#include <vector>

#include <QCoreApplication>
#include <QPointer>

#include "WaveOutBackend.h"

namespace {

struct Layer {
    WaveOutBackend* backend = nullptr; // nullptr: SDL, made at the first open
    std::map<HWAVEOUT, QPointer<QObject>> targets; // the open streams
    HWAVEOUT lastHandle = 0;
    // The device's words on the last call, kept only when it was a failed open.
    MMRESULT reasonCode = MMSYSERR_NOERROR;
    std::string reason;
};

Layer& layer()
{
    static Layer l;
    return l;
}

WaveOutBackend& backend()
{
    Layer& l = layer();
    return l.backend ? *l.backend : sdlWaveOutBackend();
}

void post(HWAVEOUT handle, QEvent::Type type, WAVEHDR* header)
{
    auto it = layer().targets.find(handle);
    if (it != layer().targets.end() && it->second)
        QCoreApplication::postEvent(it->second, new WaveOutEvent(type, handle, header));
}

// Every call starts here: a reason belongs only to the call just before.
bool knownStream(HWAVEOUT handle)
{
    layer().reasonCode = MMSYSERR_NOERROR;
    layer().reason.clear();
    return layer().targets.count(handle) != 0;
}

void markDone(HWAVEOUT handle, WAVEHDR* header)
{
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    post(handle, MM_WOM_DONE, header);
}

void returnAll(HWAVEOUT handle, const std::vector<WAVEHDR*>& returned)
{
    for (WAVEHDR* h : returned)
        markDone(handle, h);
}

} // namespace

void WaveOutBackend::headerDone(HWAVEOUT handle, WAVEHDR* header)
{
    if (layer().targets.count(handle))
        markDone(handle, header);
}

void setWaveOutBackend(WaveOutBackend* b)
{
    layer().backend = b;
    layer().targets.clear();
}

MMRESULT waveOutOpen(HWAVEOUT* handle, std::int32_t deviceId, const WAVEFORMATEX* format,
                     QObject* target)
{
    knownStream(0);
    if (!handle || !format)
        return MMSYSERR_INVALPARAM;
    *handle = 0;
    Layer& l = layer();
    const HWAVEOUT h = l.lastHandle + 1;
    std::string reason;
    const MMRESULT r = backend().open(h, deviceId, *format, reason);
    if (r != MMSYSERR_NOERROR) {
        l.reasonCode = r;
        l.reason = std::move(reason);
        return r;
    }
    l.lastHandle = h;
    l.targets[h] = target;
    *handle = h;
    post(h, MM_WOM_OPEN, nullptr);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT handle, WAVEHDR* header)
{
    if (!knownStream(handle))
        return MMSYSERR_INVALHANDLE;
    if (!header)
        return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_PREPARED)
        return MMSYSERR_NOERROR;
    const MMRESULT r = backend().prepare(handle, *header);
    if (r == MMSYSERR_NOERROR)
        header->dwFlags |= WHDR_PREPARED;
    return r;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT handle, WAVEHDR* header)
{
    if (!knownStream(handle))
        return MMSYSERR_INVALHANDLE;
    if (!header)
        return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    if (header->dwFlags & WHDR_PREPARED) {
        backend().unprepare(handle, *header);
        header->dwFlags &= ~WHDR_PREPARED;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT handle, WAVEHDR* header)
{
    if (!knownStream(handle))
        return MMSYSERR_INVALHANDLE;
    if (!header || (!header->lpData && header->dwBufferLength))
        return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    const MMRESULT r = backend().write(handle, *header);
    if (r != MMSYSERR_NOERROR)
        header->dwFlags &= ~WHDR_INQUEUE;
    return r;
}

MMRESULT waveOutPause(HWAVEOUT handle)
{
    if (!knownStream(handle))
        return MMSYSERR_INVALHANDLE;
    backend().pause(handle);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutRestart(HWAVEOUT handle)
{
    if (!knownStream(handle))
        return MMSYSERR_INVALHANDLE;
    backend().restart(handle);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutReset(HWAVEOUT handle)
{
    if (!knownStream(handle))
        return MMSYSERR_INVALHANDLE;
    std::vector<WAVEHDR*> returned;
    backend().reset(handle, returned);
    returnAll(handle, returned);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT handle)
{
    if (!knownStream(handle))
        return MMSYSERR_INVALHANDLE;
    std::vector<WAVEHDR*> returned;
    backend().close(handle, returned);
    returnAll(handle, returned);
    post(handle, MM_WOM_CLOSE, nullptr);
    layer().targets.erase(handle);
    return MMSYSERR_NOERROR;
}

std::string waveOutGetErrorText(MMRESULT code)
{
    std::string text;
    switch (code) {
    case MMSYSERR_NOERROR: text = "No error"; break;
    case MMSYSERR_BADDEVICEID: text = "There is no output device with this number"; break;
    case MMSYSERR_INVALHANDLE: text = "The wave output handle is not open"; break;
    case MMSYSERR_NODRIVER: text = "No audio output is available"; break;
    case MMSYSERR_NOMEM: text = "Not enough memory for wave output"; break;
    case MMSYSERR_INVALPARAM: text = "Invalid parameter for wave output"; break;
    case WAVERR_BADFORMAT: text = "The output device does not play this wave format"; break;
    case WAVERR_STILLPLAYING: text = "The buffer is still playing"; break;
    case WAVERR_UNPREPARED: text = "The buffer is not prepared"; break;
    default: text = "Wave output error " + std::to_string(code); break;
    }
    const Layer& l = layer();
    if (code != MMSYSERR_NOERROR && code == l.reasonCode && !l.reason.empty())
        text += ": " + l.reason;
    return text;
}
