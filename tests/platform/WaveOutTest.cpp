#include <QCoreApplication>

#include <gtest/gtest.h>

#include "FakeWaveOut.h"
#include "platform/WaveOut.h"

namespace {

// Records the notifications it receives as "open", "done <n>", "close", where
// n is the header's index in `headers`.
class Spy final : public QObject {
public:
    std::vector<WAVEHDR>* headers = nullptr;
    std::vector<std::string> got;
    HWAVEOUT lastHandle = 0;

    bool event(QEvent* e) override
    {
        auto* w = dynamic_cast<WaveOutEvent*>(e);
        if (!w)
            return QObject::event(e);
        lastHandle = w->handle();
        if (e->type() == MM_WOM_OPEN)
            got.push_back("open");
        else if (e->type() == MM_WOM_CLOSE)
            got.push_back("close");
        else
            got.push_back("done " + std::to_string(w->header() - headers->data()));
        return true;
    }
};

WAVEFORMATEX cdFormat()
{
    WAVEFORMATEX f;
    f.nChannels = 2;
    f.nSamplesPerSec = 44100;
    f.nAvgBytesPerSec = 176400;
    f.nBlockAlign = 4;
    f.wBitsPerSample = 16;
    return f;
}

} // namespace

TEST(WaveOut, FlagsCodesAndNotificationOrder)
{
    FakeWaveOutBackend fake;
    std::vector<std::uint8_t> bytes(64, 1);
    std::vector<WAVEHDR> h(4);
    for (WAVEHDR& x : h) {
        x.lpData = bytes.data();
        x.dwBufferLength = 64;
    }
    Spy spy;
    spy.headers = &h;
    const WAVEFORMATEX f = cdFormat();
    HWAVEOUT out = 0;
    ASSERT_EQ(waveOutOpen(&out, WAVE_MAPPER, &f, &spy), MMSYSERR_NOERROR);
    ASSERT_NE(out, 0u);

    EXPECT_EQ(waveOutWrite(out, &h[0]), WAVERR_UNPREPARED);
    EXPECT_EQ(waveOutPrepareHeader(out + 1, &h[0]), MMSYSERR_INVALHANDLE);
    for (WAVEHDR& x : h) {
        ASSERT_EQ(waveOutPrepareHeader(out, &x), MMSYSERR_NOERROR);
        ASSERT_EQ(waveOutWrite(out, &x), MMSYSERR_NOERROR);
        EXPECT_EQ(x.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
    }
    EXPECT_EQ(waveOutWrite(out, &h[1]), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(out, &h[1]), WAVERR_STILLPLAYING);

    fake.complete(out);
    EXPECT_EQ(h[0].dwFlags, WHDR_PREPARED | WHDR_DONE);
    EXPECT_TRUE(spy.got.empty()) << "notifications are posted, never sent";
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(spy.got, (std::vector<std::string>{"open", "done 0"}));
    EXPECT_EQ(spy.lastHandle, out);

    // Reset returns what is left in queue order, close the rest and then itself.
    EXPECT_EQ(waveOutReset(out), MMSYSERR_NOERROR);
    EXPECT_EQ(h[3].dwFlags, WHDR_PREPARED | WHDR_DONE);
    EXPECT_EQ(waveOutUnprepareHeader(out, &h[1]), MMSYSERR_NOERROR);
    EXPECT_EQ(h[1].dwFlags, WHDR_DONE);
    ASSERT_EQ(waveOutPrepareHeader(out, &h[1]), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(out, &h[1]), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR) << "close never refuses";
    EXPECT_EQ(waveOutClose(out), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutWrite(out, &h[2]), MMSYSERR_INVALHANDLE);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(spy.got, (std::vector<std::string>{"open", "done 0", "done 1", "done 2", "done 3",
                                                 "done 1", "close"}));
    EXPECT_EQ(fake.openStreams(), 0u);
}

TEST(WaveOut, ErrorTextCarriesTheDevicesReasonOnlyAfterTheFailedOpen)
{
    FakeWaveOutBackend fake;
    fake.failOpen = MMSYSERR_NODRIVER;
    fake.failOpenReason = "no sound card";
    const WAVEFORMATEX f = cdFormat();
    HWAVEOUT out = 99;
    QObject target;
    EXPECT_EQ(waveOutOpen(&out, WAVE_MAPPER, &f, &target), MMSYSERR_NODRIVER);
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(waveOutGetErrorText(MMSYSERR_NODRIVER), "No audio output is available: no sound card");
    EXPECT_EQ(waveOutGetErrorText(MMSYSERR_NOMEM), "Not enough memory for wave output");
    EXPECT_EQ(waveOutPause(out), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutGetErrorText(MMSYSERR_NODRIVER), "No audio output is available");
    EXPECT_EQ(waveOutGetErrorText(1234), "Wave output error 1234");
}

TEST(WaveOutSdl, RefusesOtherFormatsAndUnknownDevices)
{
    WAVEFORMATEX f = cdFormat();
    QObject target;
    HWAVEOUT out = 0;
    f.nSamplesPerSec = 22050;
    EXPECT_EQ(waveOutOpen(&out, WAVE_MAPPER, &f, &target), WAVERR_BADFORMAT);
    f = cdFormat();
    EXPECT_EQ(waveOutOpen(&out, 99, &f, &target), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveOutOpen(&out, -2, &f, &target), MMSYSERR_BADDEVICEID);
    ASSERT_EQ(waveOutOpen(&out, WAVE_MAPPER, &f, &target), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
}
