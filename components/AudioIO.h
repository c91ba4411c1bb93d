#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>

#include "components/UAFDefs.h"
#include "platform/WaveOut.h"

class TCallBackWinOut;

/// The wave format, buffer pool, counters and error text of a wave output.
/// GUI thread only. Pool and format properties written while the device is
/// open are kept as a request and take effect when it closes, so the device
/// never loses the memory it plays from.
class TAudioIO : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxBuffers = 4;

    explicit TAudioIO(QObject* Owner = nullptr);
    ~TAudioIO() override;

    /// Bytes per buffer in use: the request rounded down to whole frames.
    std::int32_t BufferSize() const { return m_bufferSize; }
    /// Requests bytes per buffer; below 512 requests 512.
    void SetBufferSize(std::int32_t value);
    std::int32_t NumBuffers() const { return m_request.numBuffers; }
    /// Buffers in the ring, clamped to 2..4.
    void SetNumBuffers(std::int32_t value);
    std::int32_t FrameRate() const { return static_cast<std::int32_t>(m_request.frameRate); }
    void SetFrameRate(std::int32_t value);
    bool Stereo() const { return m_request.channels == 2; }
    void SetStereo(bool value);
    std::uint16_t Quantization() const { return m_request.bits; }
    /// Bits per sample: up to 8 gives 8, anything larger 16.
    void SetQuantization(std::uint16_t value);
    /// WAVE_MAPPER (-1) for the default device, else an output device number.
    std::int32_t WaveDevice() const { return m_waveDevice; }
    void SetWaveDevice(std::int32_t value) { m_waveDevice = value; }
    /// Both receive the notifying callback object as Sender.
    TNotifyEvent OnStart;
    TNotifyEvent OnStop;

    virtual void StopAtOnce();
    virtual void StopGracefully();

    /// The size last requested, before rounding to frames.
    std::int32_t RequestedSize() const { return m_request.requestedSize; }
    /// The format in use.
    const WAVEFORMATEX& WaveFormat() const { return m_waveFormat; }
    bool Paused() const { return m_paused; }
    std::int32_t RingIndex() const { return m_ringIndex; }
    bool Filling() const { return m_filling; }
    bool Active() const { return m_active; }
    const std::string& ErrorText() const { return m_errorText; }
    std::int32_t FilledCount() const { return m_filledCount; }
    std::int32_t OutstandingCount() const { return m_outstandingCount; }
    std::int32_t DoneCount() const { return m_doneCount; }
    /// Slot 0..3; a slot without memory gives nullptr.
    const WAVEHDR* HeaderPointers(int i) const { return &m_headers.at(i); }
    std::uint8_t* BufferPointers(int i) { return m_buffers.at(i).empty() ? nullptr : m_buffers[i].data(); }

protected:
    void CalcFormat();
    bool InitHeaders();
    bool AllocBuffers();
    void FreeBuffers();
    /// True while an open device plays from the pool.
    virtual bool PoolInUse() const { return false; }
    /// Takes the request into use: format, size, and fresh buffers.
    void ApplyPool();

    struct PoolRequest {
        std::int32_t requestedSize = 8192;
        std::int32_t numBuffers = 4;
        std::uint32_t frameRate = 22050;
        std::uint16_t channels = 1;
        std::uint16_t bits = 16;
    };
    void Request(const PoolRequest& request);

    PoolRequest m_request;
    bool m_poolPending = false;   // the request waits for the close
    std::int32_t m_bufferSize = 0;
    std::int32_t m_numBuffers = 4; // in use
    bool m_paused = false;
    WAVEFORMATEX m_waveFormat;
    std::int32_t m_waveDevice = WAVE_MAPPER;
    std::array<WAVEHDR, kMaxBuffers> m_headers{};
    std::array<std::vector<std::uint8_t>, kMaxBuffers> m_buffers;
    bool m_buffersReady = false; // false after a failed allocation
    std::int32_t m_ringIndex = 0;
    bool m_filling = false;
    std::string m_errorText;
    bool m_active = false;
    std::int32_t m_filledCount = 0;
    std::int32_t m_outstandingCount = 0;
    std::int32_t m_doneCount = 0;
};

/// Plays what OnFillBuffer produces, buffer by buffer. GUI thread only: the
/// producer runs inside Start and inside the completion notifications.
class TAudioOut : public TAudioIO {
    Q_OBJECT

public:
    explicit TAudioOut(QObject* Owner = nullptr);
    /// Stops at once and closes the device before the buffers go.
    ~TAudioOut() override;

    /// Opens the device, has the producer prime up to NumBuffers buffers and
    /// queues them. `self` is the owner's variable that holds this component:
    /// the notifications find the component through it. Returns false, with
    /// ErrorText set, when the device did not open or nothing was queued.
    bool Start(TAudioOut*& self);
    /// Silence now; the device closes.
    void StopAtOnce() override;
    /// The queued buffers play out, then the device closes by itself.
    void StopGracefully() override;
    void SetPaused(bool value);
    TBufferEvent OnFillBuffer;

    bool DeviceOpen() const { return m_deviceOpen; }
    HWAVEOUT DeviceHandle() const { return m_deviceHandle; }
    /// The callback object of the last open, until it is freed after its CLOSE.
    TCallBackWinOut* CallbackWindow() const { return m_callbackWindow; }

protected:
    virtual bool FillBuffer(std::int32_t Index, std::int32_t Size);
    virtual void CloseWaveDevice();
    virtual bool OpenWaveDevice(TAudioOut*& self);
    bool StartWriting();
    bool WriteNextBuffer();
    bool PoolInUse() const override { return m_deviceOpen; }
    static std::string GetWaveOutErrorText(MMRESULT code);

private:
    friend class TCallBackWinOut;
    void CountDone(std::int32_t buffers);

    bool m_deviceOpen = false;
    QPointer<TCallBackWinOut> m_callbackWindow;
    HWAVEOUT m_deviceHandle = 0;
};

/// Receives the notifications of one open on the GUI thread and hands them to
/// the component held in *ComponentRef at that moment; a null reference or
/// component does nothing. Frees itself once its CLOSE has been handled.
class TCallBackWinOut final : public QObject {
    Q_OBJECT

public:
    TCallBackWinOut(TAudioOut* parent, TAudioOut** componentRef);

    TAudioOut** ComponentRef = nullptr;

protected:
    bool event(QEvent* e) override;

private:
    TAudioOut* Component() const { return ComponentRef ? *ComponentRef : nullptr; }
    void MMWomOpen();
    void MMWomClose();
    void MMWomDone(const WaveOutEvent& e);
};
