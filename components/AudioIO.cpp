#include "AudioIO.h"

#include <algorithm>
#include <new>

// ---------------------------------------------------------------- TAudioIO

TAudioIO::TAudioIO(QObject* Owner) : QObject(Owner)
{
    ApplyPool();
}

TAudioIO::~TAudioIO() = default;

void TAudioIO::SetBufferSize(std::int32_t value)
{
    PoolRequest r = m_request;
    r.requestedSize = std::max(value, 512);
    Request(r);
}

void TAudioIO::SetNumBuffers(std::int32_t value)
{
    PoolRequest r = m_request;
    r.numBuffers = std::clamp(value, 2, kMaxBuffers);
    Request(r);
}

void TAudioIO::SetFrameRate(std::int32_t value)
{
    PoolRequest r = m_request;
    r.frameRate = static_cast<std::uint32_t>(value);
    Request(r);
}

void TAudioIO::SetStereo(bool value)
{
    PoolRequest r = m_request;
    r.channels = value ? 2 : 1;
    Request(r);
}

void TAudioIO::SetQuantization(std::uint16_t value)
{
    PoolRequest r = m_request;
    r.bits = value <= 8 ? 8 : 16;
    Request(r);
}

void TAudioIO::Request(const PoolRequest& request)
{
    m_request = request;
    if (PoolInUse())
        m_poolPending = true;
    else
        ApplyPool();
}

void TAudioIO::ApplyPool()
{
    m_poolPending = false;
    m_numBuffers = m_request.numBuffers;
    m_waveFormat = WAVEFORMATEX{};
    m_waveFormat.nChannels = m_request.channels;
    m_waveFormat.nSamplesPerSec = m_request.frameRate;
    m_waveFormat.wBitsPerSample = m_request.bits;
    CalcFormat();
    FreeBuffers();
    AllocBuffers();
}

void TAudioIO::CalcFormat()
{
    const std::uint16_t blockAlign =
        static_cast<std::uint16_t>(m_waveFormat.wBitsPerSample / 8 * m_waveFormat.nChannels);
    m_waveFormat.nBlockAlign = blockAlign;
    m_waveFormat.nAvgBytesPerSec = blockAlign * m_waveFormat.nSamplesPerSec;
    m_bufferSize = m_request.requestedSize - m_request.requestedSize % blockAlign;
}

bool TAudioIO::InitHeaders()
{
    CalcFormat();
    for (int i = 0; i < m_numBuffers; ++i) {
        m_headers[i] = WAVEHDR{};
        m_headers[i].lpData = m_buffers[i].data();
        m_headers[i].dwBufferLength = static_cast<std::uint32_t>(m_bufferSize);
    }
    return true;
}

bool TAudioIO::AllocBuffers()
{
    try {
        for (int i = 0; i < m_numBuffers; ++i) {
            m_buffers[i].assign(static_cast<std::size_t>(m_bufferSize), 0);
            m_headers[i].lpData = m_buffers[i].data();
        }
    } catch (const std::bad_alloc&) {
        FreeBuffers();
        m_errorText = "Error allocating wave buffer memory";
        return false;
    }
    m_buffersReady = true;
    return true;
}

void TAudioIO::FreeBuffers()
{
    for (int i = 0; i < kMaxBuffers; ++i) {
        std::vector<std::uint8_t>().swap(m_buffers[i]);
        m_headers[i].lpData = nullptr;
    }
    m_buffersReady = false;
}

void TAudioIO::StopAtOnce()
{
    m_active = false;
    m_filling = false;
}

void TAudioIO::StopGracefully()
{
    m_filling = false;
}

// ---------------------------------------------------------------- TAudioOut

TAudioOut::TAudioOut(QObject* Owner) : TAudioIO(Owner) {}

TAudioOut::~TAudioOut()
{
    StopAtOnce();
}

bool TAudioOut::Start(TAudioOut*& self)
{
    if (!OpenWaveDevice(self))
        return false;
    return StartWriting();
}

std::string TAudioOut::GetWaveOutErrorText(MMRESULT code)
{
    return waveOutGetErrorText(code);
}

bool TAudioOut::OpenWaveDevice(TAudioOut*& self)
{
    if (m_deviceOpen) {
        m_errorText = "Wave output device is already open";
        return false;
    }
    // After a failed allocation there is nothing to play from; try once more.
    if (!m_buffersReady && !AllocBuffers())
        return false;
    m_ringIndex = 0;
    auto* callback = new TCallBackWinOut(this, &self);
    m_callbackWindow = callback;
    HWAVEOUT handle = 0;
    if (const MMRESULT r = waveOutOpen(&handle, m_waveDevice, &m_waveFormat, callback)) {
        m_errorText = GetWaveOutErrorText(r);
        delete callback; // nothing will ever be posted to it
        return false;
    }
    m_deviceHandle = handle;
    m_deviceOpen = true;
    InitHeaders();
    for (int i = 0; i < m_numBuffers; ++i)
        if (const MMRESULT r = waveOutPrepareHeader(handle, &m_headers[i])) {
            m_errorText = GetWaveOutErrorText(r);
            CloseWaveDevice();
            return false;
        }
    m_outstandingCount = 0;
    m_doneCount = 0;
    m_filledCount = 0;
    m_filling = true;
    m_active = true;
    if (!FillBuffer(0, m_bufferSize)) {
        CloseWaveDevice();
        m_errorText = "There must be at least one filled buffer";
        return false;
    }
    for (int i = 1; i < m_numBuffers && FillBuffer(i, m_bufferSize); ++i) {
    }
    return true;
}

bool TAudioOut::StartWriting()
{
    m_active = true;
    if (m_paused)
        waveOutPause(m_deviceHandle);
    const std::int32_t primed = m_filledCount;
    if (!WriteNextBuffer()) {
        CloseWaveDevice();
        return false;
    }
    for (std::int32_t i = 1; i < primed; ++i)
        if (!WriteNextBuffer()) {
            // The rest will never be queued either; counted as done, the
            // completion of the queued ones still closes the device.
            CountDone(primed - i - 1);
            break;
        }
    return true;
}

bool TAudioOut::WriteNextBuffer()
{
    WAVEHDR& header = m_headers[m_ringIndex];
    header.dwFlags = WHDR_PREPARED;
    if (const MMRESULT r = waveOutWrite(m_deviceHandle, &header)) {
        m_errorText = GetWaveOutErrorText(r);
        // It will never come back: left outstanding, it would keep the device open for good.
        CountDone(1);
        StopGracefully();
        return false;
    }
    m_ringIndex = (m_ringIndex + 1) % m_numBuffers;
    return true;
}

void TAudioOut::CountDone(std::int32_t buffers)
{
    m_doneCount += buffers;
    m_outstandingCount = m_filledCount - m_doneCount;
}

bool TAudioOut::FillBuffer(std::int32_t Index, std::int32_t Size)
{
    if (!m_filling)
        return false;
    bool result = false;
    if (OnFillBuffer) {
        std::int32_t size = Size;
        result = OnFillBuffer(m_buffers[Index].data(), size);
        // Outside the buffer the device would read foreign memory, and a part
        // frame would swap the channels from then on.
        size = std::clamp(size, 0, m_bufferSize);
        size -= size % m_waveFormat.nBlockAlign;
        m_headers[Index].dwBufferLength = static_cast<std::uint32_t>(size);
    }
    if (result)
        ++m_filledCount;
    m_outstandingCount = m_filledCount - m_doneCount;
    return result;
}

void TAudioOut::SetPaused(bool value)
{
    m_paused = value;
    if (m_active) {
        if (value)
            waveOutPause(m_deviceHandle);
        else
            waveOutRestart(m_deviceHandle);
    }
}

void TAudioOut::StopAtOnce()
{
    if (!m_deviceOpen)
        return;
    m_active = false;
    m_filling = false;
    waveOutReset(m_deviceHandle);
    CloseWaveDevice();
}

void TAudioOut::StopGracefully()
{
    if (m_deviceOpen)
        m_filling = false;
}

void TAudioOut::CloseWaveDevice()
{
    // A second close would post a second CLOSE for a stream that is gone.
    if (!m_deviceOpen)
        return;
    m_active = false;
    SetPaused(false);
    for (int i = 0; i < m_numBuffers; ++i)
        waveOutUnprepareHeader(m_deviceHandle, &m_headers[i]);
    waveOutClose(m_deviceHandle);
    m_deviceOpen = false;
    if (m_poolPending)
        ApplyPool();
}

// ---------------------------------------------------------------- TCallBackWinOut

TCallBackWinOut::TCallBackWinOut(TAudioOut* parent, TAudioOut** componentRef)
    : QObject(parent), ComponentRef(componentRef)
{
}

bool TCallBackWinOut::event(QEvent* e)
{
    const QEvent::Type type = e->type();
    if (type == MM_WOM_OPEN)
        MMWomOpen();
    else if (type == MM_WOM_CLOSE)
        MMWomClose();
    else if (type == MM_WOM_DONE)
        MMWomDone(static_cast<const WaveOutEvent&>(*e));
    else
        return QObject::event(e);
    return true;
}

void TCallBackWinOut::MMWomOpen()
{
    TAudioOut* c = Component();
    if (c && c->OnStart)
        c->OnStart(this);
}

void TCallBackWinOut::MMWomClose()
{
    QPointer<TCallBackWinOut> alive(this); // OnStop may delete the component, and this with it
    TAudioOut* c = Component();
    if (c && c->OnStop)
        c->OnStop(this);
    if (alive)
        deleteLater();
}

void TCallBackWinOut::MMWomDone(const WaveOutEvent& e)
{
    TAudioOut* c = Component();
    // A DONE of an earlier open (returned by its reset) must not count
    // against, or refill the buffers of, the open that followed it.
    if (!c || !c->m_deviceOpen || e.handle() != c->m_deviceHandle)
        return;
    const HWAVEOUT handle = c->m_deviceHandle;
    const auto stillOpen = [&] { return c->m_deviceOpen && c->m_deviceHandle == handle; };
    c->CountDone(1);
    // Buffers come back in queue order, so RingIndex names the oldest free one.
    if (c->FillBuffer(c->m_ringIndex, c->m_bufferSize) && stillOpen())
        c->WriteNextBuffer();
    if (!stillOpen()) // the producer stopped or restarted the component
        return;
    // Decided after the refill: a producer that delivers again after a refusal
    // gets its buffer played instead of closed under it.
    c->m_active = c->m_outstandingCount > 0;
    if (!c->m_active) {
        c->m_filling = false;
        c->CloseWaveDevice();
    }
}
