#include "FakeWaveOut.h"

#include <algorithm>
#include <utility>

#include <gtest/gtest.h>

FakeWaveOutBackend::FakeWaveOutBackend()
{
    setWaveOutBackend(this);
}

FakeWaveOutBackend::~FakeWaveOutBackend()
{
    setWaveOutBackend(nullptr);
}

std::string FakeWaveOutBackend::log() const
{
    std::string s;
    for (const Call& c : calls)
        s += (s.empty() ? "" : " ") + c.what;
    return s;
}

void FakeWaveOutBackend::record(const char* what, HWAVEOUT handle, const WAVEHDR* header)
{
    calls.push_back(Call{what, handle, header, {}});
}

int FakeWaveOutBackend::complete(HWAVEOUT handle, int n)
{
    auto it = m_streams.find(handle);
    if (it == m_streams.end() || it->second.paused)
        return 0;
    int done = 0;
    for (Stream& s = it->second; done < n && !s.queue.empty(); ++done) {
        WAVEHDR* h = s.queue.front();
        s.queue.pop_front();
        s.returned.push_back(h);
        headerDone(handle, h);
    }
    return done;
}

std::size_t FakeWaveOutBackend::queued(HWAVEOUT handle) const
{
    auto it = m_streams.find(handle);
    return it == m_streams.end() ? 0 : it->second.queue.size();
}

MMRESULT FakeWaveOutBackend::open(HWAVEOUT handle, std::int32_t, const WAVEFORMATEX&,
                                  std::string& reason)
{
    record("open", handle);
    if (const MMRESULT r = std::exchange(failOpen, MMSYSERR_NOERROR)) {
        reason = failOpenReason;
        return r;
    }
    m_streams[handle];
    return MMSYSERR_NOERROR;
}

MMRESULT FakeWaveOutBackend::prepare(HWAVEOUT handle, WAVEHDR& header)
{
    record("prepare", handle, &header);
    return std::exchange(failPrepare, MMSYSERR_NOERROR);
}

void FakeWaveOutBackend::unprepare(HWAVEOUT handle, WAVEHDR& header)
{
    record("unprepare", handle, &header);
}

MMRESULT FakeWaveOutBackend::write(HWAVEOUT handle, WAVEHDR& header)
{
    record("write", handle, &header);
    calls.back().bytes.assign(header.lpData, header.lpData + header.dwBufferLength);
    if (failWrite != MMSYSERR_NOERROR) {
        if (failWriteAfter > 0)
            --failWriteAfter;
        else
            return std::exchange(failWrite, MMSYSERR_NOERROR);
    }
    Stream& s = m_streams.at(handle);
    EXPECT_EQ(std::count(s.queue.begin(), s.queue.end(), &header), 0) << "header written while queued";
    if (auto r = std::find(s.returned.begin(), s.returned.end(), &header); r != s.returned.end()) {
        EXPECT_EQ(r, s.returned.begin()) << "a header reused before an older free one";
        s.returned.erase(r);
    }
    s.queue.push_back(&header);
    return MMSYSERR_NOERROR;
}

void FakeWaveOutBackend::pause(HWAVEOUT handle)
{
    record("pause", handle);
    m_streams.at(handle).paused = true;
}

void FakeWaveOutBackend::restart(HWAVEOUT handle)
{
    record("restart", handle);
    m_streams.at(handle).paused = false;
}

void FakeWaveOutBackend::reset(HWAVEOUT handle, std::vector<WAVEHDR*>& returned)
{
    record("reset", handle);
    Stream& s = m_streams.at(handle);
    returned.insert(returned.end(), s.queue.begin(), s.queue.end());
    s.queue.clear();
    s.returned.clear();
}

void FakeWaveOutBackend::close(HWAVEOUT handle, std::vector<WAVEHDR*>& returned)
{
    record("close", handle);
    Stream& s = m_streams.at(handle);
    returned.insert(returned.end(), s.queue.begin(), s.queue.end());
    m_streams.erase(handle);
}
