// The SDL2 backend of the waveOut layer. All wave outputs share one SDL device
// per device number and mix their queues into it, so two components can sound
// at once. The GUI thread copies each written buffer into a slot of its
// stream; the audio callback only mixes slots and moves the used-up ones to
// the done side of the ring, then wakes the GUI thread through an eventfd,
// which turns them into DONE notifications.

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include "IoError.h"
#include "WaveMix.h"
#include "WaveOutBackend.h"

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kFrameBytes = 4;
constexpr int kPeriodFrames = 1024;
// Slots per stream, a power of two. The component keeps at most four in play;
// a write beyond this is refused with MMSYSERR_NOMEM.
constexpr std::uint32_t kSlots = 16;

class DeviceLock {
public:
    explicit DeviceLock(SDL_AudioDeviceID id) : m_id(id) { SDL_LockAudioDevice(m_id); }
    ~DeviceLock() { SDL_UnlockAudioDevice(m_id); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

private:
    SDL_AudioDeviceID m_id;
};

class SdlBackend final : public WaveOutBackend {
public:
    MMRESULT open(HWAVEOUT handle, std::int32_t deviceId, const WAVEFORMATEX& format,
                  std::string& reason) override;
    MMRESULT prepare(HWAVEOUT, WAVEHDR&) override { return MMSYSERR_NOERROR; }
    void unprepare(HWAVEOUT, WAVEHDR&) override {}
    MMRESULT write(HWAVEOUT handle, WAVEHDR& header) override;
    void pause(HWAVEOUT handle) override { setPaused(handle, true); }
    void restart(HWAVEOUT handle) override { setPaused(handle, false); }
    void reset(HWAVEOUT handle, std::vector<WAVEHDR*>& returned) override;
    void close(HWAVEOUT handle, std::vector<WAVEHDR*>& returned) override;

private:
    struct Device {
        std::int32_t id = WAVE_MAPPER;
        SDL_AudioDeviceID sdl = 0;
        int wakeFd = -1;
        std::vector<MixQueue*> queues; // changed by the GUI under the device lock
        std::vector<std::int32_t> acc; // the callback's scratch, sized at open
    };

    struct Stream {
        HWAVEOUT handle = 0;
        Device* device = nullptr;
        MixQueue queue;
        std::uint32_t drained = 0; // slots [drained, queue.play) are played but not reported
        std::array<MixSlot, kSlots> ring{};
        std::array<WAVEHDR*, kSlots> headers{};
        // Copies of the written bytes; they keep their capacity, so the audio
        // thread never sees memory come or go.
        std::array<std::vector<std::uint8_t>, kSlots> bytes;
    };

    static void SDLCALL fill(void* userdata, Uint8* out, int len);
    MMRESULT openDevice(std::int32_t deviceId, Device*& device, std::string& reason);
    bool startWakeUp(std::string& reason);
    void reportPlayed();
    Stream* find(HWAVEOUT handle);
    void setPaused(HWAVEOUT handle, bool paused);
    void takeAll(Stream& s, std::vector<WAVEHDR*>& returned);

    std::vector<std::unique_ptr<Device>> m_devices;
    std::vector<std::unique_ptr<Stream>> m_streams;
    int m_wakeFd = -1;
    QPointer<QSocketNotifier> m_notifier;
    std::vector<std::pair<HWAVEOUT, WAVEHDR*>> m_played;
};

void SDLCALL SdlBackend::fill(void* userdata, Uint8* out, int len)
{
    // Runs on SDL's audio thread with the device lock held.
    Device& d = *static_cast<Device*>(userdata);
    const auto capacity = static_cast<std::uint32_t>(d.acc.size() / 2);
    auto frames = static_cast<std::uint32_t>(len / kFrameBytes);
    auto* dst = reinterpret_cast<std::int16_t*>(out);
    bool finished = false;
    while (frames > 0) {
        const std::uint32_t n = std::min(frames, capacity);
        finished |= mixQueues(d.queues.data(), d.queues.size(), d.acc.data(), dst, n);
        dst += std::size_t(n) * kChannels;
        frames -= n;
    }
    if (finished) {
        const std::uint64_t one = 1;
        if (::write(d.wakeFd, &one, sizeof one) < 0) {
            // Only a full counter fails, and then the GUI side is awake anyway.
        }
    }
}

MMRESULT SdlBackend::open(HWAVEOUT handle, std::int32_t deviceId, const WAVEFORMATEX& format,
                          std::string& reason)
{
    // Every owner plays 44.1 kHz stereo 16-bit; the shared device runs at that.
    if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels != kChannels
        || format.nSamplesPerSec != kRate || format.wBitsPerSample != 16
        || format.nBlockAlign != kFrameBytes)
        return WAVERR_BADFORMAT;
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
        SDL_SetMainReady();
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            reason = SDL_GetError();
            return MMSYSERR_NODRIVER;
        }
    }
    if (deviceId < WAVE_MAPPER || (deviceId >= 0 && deviceId >= SDL_GetNumAudioDevices(0)))
        return MMSYSERR_BADDEVICEID;
    if (!startWakeUp(reason))
        return MMSYSERR_NOMEM;

    Device* device = nullptr;
    if (const MMRESULT r = openDevice(deviceId, device, reason); r != MMSYSERR_NOERROR)
        return r;

    auto s = std::make_unique<Stream>();
    s->handle = handle;
    s->device = device;
    s->queue.ring = s->ring.data();
    s->queue.mask = kSlots - 1;
    m_streams.reserve(m_streams.size() + 1);
    {
        // The callback reads the list: it may only change, and grow, under
        // the lock. Room for a few streams is made at the device's open.
        DeviceLock lock(device->sdl);
        device->queues.push_back(&s->queue);
    }
    m_streams.push_back(std::move(s));
    return MMSYSERR_NOERROR;
}

MMRESULT SdlBackend::openDevice(std::int32_t deviceId, Device*& device, std::string& reason)
{
    for (auto& d : m_devices)
        if (d->id == deviceId) {
            device = d.get();
            return MMSYSERR_NOERROR;
        }
    std::string name;
    if (deviceId >= 0) {
        const char* n = SDL_GetAudioDeviceName(deviceId, 0);
        if (!n) {
            reason = SDL_GetError();
            return MMSYSERR_BADDEVICEID;
        }
        name = n;
    }
    auto d = std::make_unique<Device>();
    d->id = deviceId;
    d->wakeFd = m_wakeFd;
    d->acc.assign(std::size_t(kPeriodFrames) * kChannels, 0);
    d->queues.reserve(8);
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16LSB;
    want.channels = kChannels;
    want.samples = kPeriodFrames;
    want.callback = &SdlBackend::fill;
    want.userdata = d.get();
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts for hardware that wants another format.
    d->sdl = SDL_OpenAudioDevice(deviceId >= 0 ? name.c_str() : nullptr, 0, &want, &have, 0);
    if (d->sdl == 0) {
        reason = SDL_GetError();
        return MMSYSERR_NODRIVER;
    }
    SDL_PauseAudioDevice(d->sdl, 0);
    device = d.get();
    m_devices.push_back(std::move(d));
    return MMSYSERR_NOERROR;
}

bool SdlBackend::startWakeUp(std::string& reason)
{
    if (m_wakeFd < 0) {
        m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (m_wakeFd < 0) {
            reason = errnoText(errno);
            return false;
        }
    }
    if (!m_notifier) {
        if (!QCoreApplication::instance()) {
            reason = "no application to deliver the notifications";
            return false;
        }
        // Owned by the application, so it goes before the event loop does.
        m_notifier = new QSocketNotifier(m_wakeFd, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier, [this] { reportPlayed(); });
    }
    return true;
}

void SdlBackend::reportPlayed()
{
    std::uint64_t count = 0;
    if (::read(m_wakeFd, &count, sizeof count) < 0) {
        // EAGAIN: nothing new since the last report.
    }
    m_played.clear();
    for (auto& s : m_streams) {
        std::uint32_t played = 0;
        {
            DeviceLock lock(s->device->sdl);
            played = s->queue.play;
        }
        for (; s->drained != played; ++s->drained)
            m_played.emplace_back(s->handle, s->headers[s->drained & (kSlots - 1)]);
    }
    for (const auto& [handle, header] : m_played)
        headerDone(handle, header);
}

SdlBackend::Stream* SdlBackend::find(HWAVEOUT handle)
{
    for (auto& s : m_streams)
        if (s->handle == handle)
            return s.get();
    return nullptr;
}

MMRESULT SdlBackend::write(HWAVEOUT handle, WAVEHDR& header)
{
    Stream* s = find(handle);
    if (!s)
        return MMSYSERR_INVALHANDLE;
    if (s->queue.write - s->drained >= kSlots)
        return MMSYSERR_NOMEM;
    const std::uint32_t index = s->queue.write & (kSlots - 1);
    const std::uint32_t frames = header.dwBufferLength / kFrameBytes;
    const std::size_t length = std::size_t(frames) * kFrameBytes;
    // The slot at `write` is outside [play, write), so the audio thread does
    // not read it: fill it without the lock, which then only publishes it.
    std::vector<std::uint8_t>& bytes = s->bytes[index];
    if (bytes.size() < length) {
        try {
            bytes.resize(length);
        } catch (const std::bad_alloc&) {
            return MMSYSERR_NOMEM;
        }
    }
    if (length > 0)
        std::memcpy(bytes.data(), header.lpData, length);
    s->ring[index] = MixSlot{bytes.data(), frames};
    s->headers[index] = &header;
    DeviceLock lock(s->device->sdl);
    ++s->queue.write;
    return MMSYSERR_NOERROR;
}

void SdlBackend::setPaused(HWAVEOUT handle, bool paused)
{
    if (Stream* s = find(handle)) {
        DeviceLock lock(s->device->sdl);
        s->queue.paused = paused;
    }
}

void SdlBackend::takeAll(Stream& s, std::vector<WAVEHDR*>& returned)
{
    {
        DeviceLock lock(s.device->sdl);
        s.queue.play = s.queue.write;
        s.queue.offset = 0;
    }
    for (; s.drained != s.queue.write; ++s.drained)
        returned.push_back(s.headers[s.drained & (kSlots - 1)]);
}

void SdlBackend::reset(HWAVEOUT handle, std::vector<WAVEHDR*>& returned)
{
    if (Stream* s = find(handle))
        takeAll(*s, returned);
}

void SdlBackend::close(HWAVEOUT handle, std::vector<WAVEHDR*>& returned)
{
    const auto it = std::find_if(m_streams.begin(), m_streams.end(),
                                 [&](const auto& s) { return s->handle == handle; });
    if (it == m_streams.end())
        return;
    Stream& s = **it;
    takeAll(s, returned);
    Device* device = s.device;
    {
        DeviceLock lock(device->sdl);
        std::erase(device->queues, &s.queue);
    }
    m_streams.erase(it);
    if (device->queues.empty()) {
        SDL_CloseAudioDevice(device->sdl); // joins the audio thread
        std::erase_if(m_devices, [&](const auto& d) { return d.get() == device; });
    }
}

} // namespace

WaveOutBackend& sdlWaveOutBackend()
{
    // Never destroyed: streams may still be open while statics go at exit.
    static auto* backend = new SdlBackend;
    return *backend;
}
