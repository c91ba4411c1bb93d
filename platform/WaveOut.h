#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <QEvent>

class QObject;

/// A waveform-audio output layer with the calls, records, codes and
/// notifications that the wave output component was written against, carried
/// out over SDL2 (or a test's backend). Every call is made on the GUI thread;
/// notifications arrive there as posted events, in order.

/// A stream's serial number, never reused within a run; 0 names no stream.
using HWAVEOUT = std::uint64_t;
using MMRESULT = std::uint32_t;

inline constexpr std::int32_t WAVE_MAPPER = -1; // the default output device

inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT WAVERR_BADFORMAT = 32;
inline constexpr MMRESULT WAVERR_STILLPLAYING = 33;
inline constexpr MMRESULT WAVERR_UNPREPARED = 34;

inline constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
/// The PCM format record, in the platform's 18-byte layout.
struct WAVEFORMATEX {
    std::uint16_t wFormatTag = WAVE_FORMAT_PCM;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0; // bytes per frame
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;      // no extra bytes for PCM
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

inline constexpr std::uint32_t WHDR_DONE = 1;     // set when the buffer comes back
inline constexpr std::uint32_t WHDR_PREPARED = 2;
inline constexpr std::uint32_t WHDR_INQUEUE = 16; // between write and its DONE

/// One buffer handed to the device. The layer copies the bytes at write, so
/// the owner may refill them as soon as WHDR_DONE is set.
struct WAVEHDR {
    std::uint8_t* lpData = nullptr;
    std::uint32_t dwBufferLength = 0; // bytes; whole frames are played, a partial one is dropped
    std::uint32_t dwBytesRecorded = 0;
    std::uintptr_t dwUser = 0;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwLoops = 0;
    WAVEHDR* lpNext = nullptr;
    std::uintptr_t reserved = 0;
};

/// Notification event types, delivered to the target given at open.
inline constexpr QEvent::Type MM_WOM_OPEN = static_cast<QEvent::Type>(QEvent::User + 0x3BB);
inline constexpr QEvent::Type MM_WOM_CLOSE = static_cast<QEvent::Type>(QEvent::User + 0x3BC);
inline constexpr QEvent::Type MM_WOM_DONE = static_cast<QEvent::Type>(QEvent::User + 0x3BD);

/// OPEN and CLOSE carry the stream; DONE also the header that came back.
class WaveOutEvent final : public QEvent {
public:
    WaveOutEvent(QEvent::Type type, HWAVEOUT handle, WAVEHDR* header = nullptr)
        : QEvent(type), m_handle(handle), m_header(header) {}

    HWAVEOUT handle() const { return m_handle; }
    WAVEHDR* header() const { return m_header; }

private:
    HWAVEOUT m_handle;
    WAVEHDR* m_header;
};

/// Opens a stream on output device `deviceId` (WAVE_MAPPER or 0..n-1) and
/// posts OPEN to `target`. Failures leave `*handle` at 0; the error text of a
/// failed open tells why the device refused.
MMRESULT waveOutOpen(HWAVEOUT* handle, std::int32_t deviceId, const WAVEFORMATEX* format,
                     QObject* target);
MMRESULT waveOutPrepareHeader(HWAVEOUT handle, WAVEHDR* header);
/// Refuses with WAVERR_STILLPLAYING while the header is queued.
MMRESULT waveOutUnprepareHeader(HWAVEOUT handle, WAVEHDR* header);
/// Queues a prepared header behind the others; its DONE follows once played.
MMRESULT waveOutWrite(HWAVEOUT handle, WAVEHDR* header);
/// The stream keeps its place and stays silent until restarted.
MMRESULT waveOutPause(HWAVEOUT handle);
MMRESULT waveOutRestart(HWAVEOUT handle);
/// Stops the stream; DONE follows for the buffers already played and then for
/// those still queued, in that order, after this returns.
MMRESULT waveOutReset(HWAVEOUT handle);
/// Returns the stream's buffers like waveOutReset, then posts CLOSE. Never
/// refuses an open stream; the handle is invalid afterwards.
MMRESULT waveOutClose(HWAVEOUT handle);
/// A short English text for a code. Right after a failed open the device's own
/// reason follows the text.
std::string waveOutGetErrorText(MMRESULT code);

class WaveOutBackend;

/// Installs the backend for the following opens (not owned); nullptr returns
/// to SDL. Made before the first open; streams of the previous backend are
/// forgotten without notifications.
void setWaveOutBackend(WaveOutBackend* backend);
