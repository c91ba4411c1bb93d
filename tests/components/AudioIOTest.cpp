#include <cstddef>
#include <functional>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "FakeWaveOut.h"
#include "components/AudioIO.h"

extern std::size_t g_failAllocationsFrom;

TEST(TAudioIO, PropertiesClampAndRoundFromTheKeptRequest)
{
    TAudioIO io;
    EXPECT_EQ(io.BufferSize(), 8192);
    EXPECT_EQ(io.NumBuffers(), 4);
    EXPECT_EQ(io.FrameRate(), 22050);
    EXPECT_FALSE(io.Stereo());
    EXPECT_EQ(io.Quantization(), 16);
    EXPECT_EQ(io.WaveDevice(), WAVE_MAPPER);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(io.HeaderPointers(i)->lpData, io.BufferPointers(i));

    static_assert(offsetof(WAVEFORMATEX, nSamplesPerSec) == 4 && offsetof(WAVEFORMATEX, nBlockAlign) == 12
                  && offsetof(WAVEFORMATEX, cbSize) == 16);
    const auto format = [&] {
        const WAVEFORMATEX& f = io.WaveFormat();
        return std::vector<unsigned>{f.wFormatTag, f.nChannels, f.nSamplesPerSec, f.nAvgBytesPerSec,
                                     f.nBlockAlign, f.wBitsPerSample, f.cbSize};
    };
    EXPECT_EQ(format(), (std::vector<unsigned>{1, 1, 22050, 44100, 2, 16, 0}));
    io.SetFrameRate(44100);
    io.SetStereo(true);
    EXPECT_EQ(format(), (std::vector<unsigned>{1, 2, 44100, 176400, 4, 16, 0}));

    io.SetBufferSize(100);
    EXPECT_EQ(io.RequestedSize(), 512);
    EXPECT_EQ(io.BufferSize(), 512);
    io.SetBufferSize(-70000);
    EXPECT_EQ(io.BufferSize(), 512);
    io.SetNumBuffers(1);
    EXPECT_EQ(io.NumBuffers(), 2);
    EXPECT_EQ(io.BufferPointers(2), nullptr);
    io.SetNumBuffers(9);
    EXPECT_EQ(io.NumBuffers(), 4);
    io.SetQuantization(12);
    EXPECT_EQ(io.Quantization(), 16);
    io.SetQuantization(0);
    EXPECT_EQ(io.Quantization(), 8);

    // Each format change rounds the kept request again, never the last result.
    io.SetBufferSize(8195);
    EXPECT_EQ(io.BufferSize(), 8194); // stereo 8-bit
    io.SetQuantization(16);
    EXPECT_EQ(io.BufferSize(), 8192);
    io.SetStereo(false);
    EXPECT_EQ(io.BufferSize(), 8194);
    io.SetQuantization(8);
    EXPECT_EQ(io.BufferSize(), 8195);
    EXPECT_EQ(io.RequestedSize(), 8195);
}

namespace {

// Exposes the close for the test of a repeated close.
class ProbeAudioOut final : public TAudioOut {
public:
    using TAudioOut::CloseWaveDevice;
};

class AudioOutTest : public ::testing::Test {
protected:
    FakeWaveOutBackend fake;
    TAudioOut* AudioOut1 = new ProbeAudioOut;
    int starts = 0;
    int stops = 0;
    std::vector<int> asked; // the buffer index of each producer call
    // Per producer call (0, 1, ...): whether it delivers, and the size it leaves.
    std::function<bool(int)> answer = [](int) { return true; };
    std::function<std::int32_t(int, std::int32_t)> size = [](int, std::int32_t s) { return s; };

    void SetUp() override
    {
        AudioOut1->SetFrameRate(44100);
        AudioOut1->SetStereo(true);
        AudioOut1->OnStart = [this](QObject*) { ++starts; };
        AudioOut1->OnStop = [this](QObject*) { ++stops; };
        AudioOut1->OnFillBuffer = [this](std::uint8_t* buffer, std::int32_t& bytes) {
            const int call = static_cast<int>(asked.size());
            int index = 0;
            while (index < 4 && AudioOut1->BufferPointers(index) != buffer)
                ++index;
            asked.push_back(index);
            std::fill(buffer, buffer + bytes, static_cast<std::uint8_t>(call)); // marks the bytes
            bytes = size(call, bytes);
            return answer(call);
        };
    }

    void TearDown() override
    {
        delete AudioOut1;
        pump();
    }

    static void pump()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    // Completes `n` buffers one at a time, each followed by its notification.
    void play(int n)
    {
        for (int i = 0; i < n; ++i) {
            fake.complete(AudioOut1->DeviceHandle());
            pump();
        }
    }

    // The producer call whose bytes each write queued, in write order.
    std::vector<int> writtenCalls() const
    {
        std::vector<int> v;
        for (const auto& c : fake.calls)
            if (c.what == "write")
                v.push_back(c.bytes.empty() ? -1 : c.bytes[0]);
        return v;
    }

    std::size_t callbacks() const { return AudioOut1->findChildren<TCallBackWinOut*>().size(); }
};

const std::string kOpened = "open prepare prepare prepare prepare";
const std::string kClosed = "unprepare unprepare unprepare unprepare close";

} // namespace

TEST_F(AudioOutTest, PrimesInRingOrderAndRefillsEachBufferAsItComesBack)
{
    EXPECT_TRUE(AudioOut1->Start(AudioOut1));
    EXPECT_EQ(fake.log(), kOpened + " write write write write");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(fake.calls[5 + i].header, AudioOut1->HeaderPointers(i));
    EXPECT_EQ(AudioOut1->OutstandingCount(), 4);
    EXPECT_TRUE(AudioOut1->Active() && AudioOut1->Filling() && AudioOut1->DeviceOpen());
    EXPECT_EQ(starts, 0) << "OnStart waits for the event loop";
    pump();
    EXPECT_EQ(starts, 1);

    play(6);
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 0, 1, 2, 3, 0, 1}));
    EXPECT_EQ(writtenCalls(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(AudioOut1->DoneCount(), 6);
    EXPECT_EQ(AudioOut1->FilledCount(), 10);
    EXPECT_EQ(AudioOut1->RingIndex(), 2);
    EXPECT_EQ(fake.queued(AudioOut1->DeviceHandle()), 4u);
    EXPECT_EQ(starts + stops, 1);
}

TEST_F(AudioOutTest, ProducerRefusingAtTheFirstBufferClosesAndStillNotifies)
{
    answer = [](int) { return false; };
    EXPECT_FALSE(AudioOut1->Start(AudioOut1));
    EXPECT_EQ(AudioOut1->ErrorText(), "There must be at least one filled buffer");
    EXPECT_FALSE(AudioOut1->DeviceOpen());
    EXPECT_EQ(fake.log(), kOpened + " " + kClosed);
    pump();
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(callbacks(), 0u) << "freed once its CLOSE was handled";
}

TEST_F(AudioOutTest, DrainsAndClosesByItselfOnlyWhenNothingIsLeftAfterTheRefill)
{
    struct Case {
        const char* what;
        std::function<bool(int)> answer;
        bool graceful;
        int completions; // until the device closes
        std::size_t asked;
    };
    const std::vector<Case> cases{
        {"refused at buffer 2 of 4, asked again", [](int c) { return c < 2; }, false, 2, 5},
        {"running dry while playing", [](int c) { return c < 6; }, false, 6, 10},
        {"delivering again after refusals", [](int c) { return c < 4 || c == 7 || c > 8; }, false, 5, 9},
        {"StopGracefully", [](int) { return true; }, true, 4, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        asked.clear();
        stops = 0;
        answer = c.answer;
        ASSERT_TRUE(AudioOut1->Start(AudioOut1));
        if (c.graceful)
            AudioOut1->StopGracefully();
        for (int i = 0; i < c.completions; ++i) {
            EXPECT_TRUE(AudioOut1->DeviceOpen()) << i;
            play(1);
        }
        EXPECT_FALSE(AudioOut1->DeviceOpen());
        EXPECT_FALSE(AudioOut1->Filling());
        EXPECT_EQ(asked.size(), c.asked);
        EXPECT_EQ(stops, 1);
        EXPECT_EQ(fake.openStreams(), 0u);
    }
}

TEST_F(AudioOutTest, ProducerSizeIsClampedToTheBufferInWholeFrames)
{
    size = [](int call, std::int32_t s) { return std::vector<std::int32_t>{s + 100, -5, 4099, 3}[call]; };
    EXPECT_TRUE(AudioOut1->Start(AudioOut1));
    std::vector<std::size_t> lengths;
    for (const auto& c : fake.calls)
        if (c.what == "write")
            lengths.push_back(c.bytes.size());
    EXPECT_EQ(lengths, (std::vector<std::size_t>{8192, 0, 4096, 0}));
}

TEST_F(AudioOutTest, SecondStartIsRefusedWithoutSideEffects)
{
    EXPECT_TRUE(AudioOut1->Start(AudioOut1));
    pump();
    const std::string log = fake.log();
    EXPECT_FALSE(AudioOut1->Start(AudioOut1));
    EXPECT_EQ(AudioOut1->ErrorText(), "Wave output device is already open");
    pump();
    EXPECT_EQ(fake.log(), log);
    EXPECT_EQ(asked.size(), 4u);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(callbacks(), 1u);
}

TEST_F(AudioOutTest, PausedBeforeStartHoldsEverythingUntilRestartAndStopAtOnceClearsIt)
{
    AudioOut1->SetPaused(true);
    EXPECT_TRUE(AudioOut1->Start(AudioOut1));
    EXPECT_EQ(fake.log(), kOpened + " pause write write write write");
    play(3);
    EXPECT_EQ(AudioOut1->DoneCount(), 0);
    AudioOut1->SetPaused(false);
    play(1);
    EXPECT_EQ(AudioOut1->DoneCount(), 1);
    EXPECT_EQ(asked.size(), 5u);

    AudioOut1->SetPaused(true);
    AudioOut1->StopAtOnce();
    EXPECT_FALSE(AudioOut1->Paused());
    EXPECT_FALSE(AudioOut1->DeviceOpen());
    EXPECT_EQ(fake.log(), kOpened + " pause write write write write restart write pause reset " + kClosed);
    pump();
    EXPECT_EQ(asked.size(), 5u) << "the DONEs of the reset refill nothing";
    EXPECT_EQ(stops, 1);
}

TEST_F(AudioOutTest, StartRightAfterStopAtOnceIgnoresTheOldCompletions)
{
    EXPECT_TRUE(AudioOut1->Start(AudioOut1));
    pump();
    AudioOut1->StopAtOnce();
    EXPECT_TRUE(AudioOut1->Start(AudioOut1));
    pump();
    EXPECT_EQ(AudioOut1->DoneCount(), 0);
    EXPECT_EQ(asked.size(), 8u);
    EXPECT_EQ(fake.queued(AudioOut1->DeviceHandle()), 4u);
    EXPECT_EQ(starts, 2);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(callbacks(), 1u);
    play(1);
    EXPECT_EQ(AudioOut1->DoneCount(), 1);
}

TEST_F(AudioOutTest, FailedOpenAndPrepareLeaveTheDeviceClosed)
{
    fake.failOpen = MMSYSERR_NODRIVER;
    fake.failOpenReason = "no card";
    EXPECT_FALSE(AudioOut1->Start(AudioOut1));
    EXPECT_EQ(AudioOut1->ErrorText(), "No audio output is available: no card");
    EXPECT_EQ(callbacks(), 0u);
    EXPECT_TRUE(asked.empty());

    fake.calls.clear();
    fake.failPrepare = MMSYSERR_NOMEM;
    EXPECT_FALSE(AudioOut1->Start(AudioOut1));
    EXPECT_EQ(AudioOut1->ErrorText(), "Not enough memory for wave output");
    EXPECT_EQ(fake.log(), "open prepare close");
    EXPECT_FALSE(AudioOut1->DeviceOpen());
    pump();
    EXPECT_EQ(starts + stops, 2);
}

TEST_F(AudioOutTest, FailedWriteCountsAsDoneSoTheDeviceStillCloses)
{
    fake.failWrite = MMSYSERR_NOMEM;
    EXPECT_FALSE(AudioOut1->Start(AudioOut1)) << "the first write failed";
    EXPECT_FALSE(AudioOut1->DeviceOpen());

    fake.failWrite = MMSYSERR_NOMEM;
    fake.failWriteAfter = 2;
    EXPECT_TRUE(AudioOut1->Start(AudioOut1));
    EXPECT_EQ(AudioOut1->OutstandingCount(), 2) << "the third and fourth primed never go out";
    EXPECT_FALSE(AudioOut1->Filling());
    play(2);
    EXPECT_FALSE(AudioOut1->DeviceOpen());

    EXPECT_TRUE(AudioOut1->Start(AudioOut1));
    fake.failWrite = MMSYSERR_NOMEM;
    play(1);
    EXPECT_EQ(AudioOut1->ErrorText(), "Not enough memory for wave output");
    EXPECT_EQ(AudioOut1->OutstandingCount(), 3);
    play(3);
    EXPECT_FALSE(AudioOut1->DeviceOpen());
    pump();
    EXPECT_EQ(stops, 3);
    EXPECT_TRUE(AudioOut1->Start(AudioOut1)) << "nothing left outstanding";
}

TEST_F(AudioOutTest, PoolChangesWhileOpenWaitForTheClose)
{
    EXPECT_TRUE(AudioOut1->Start(AudioOut1));
    std::uint8_t* first = AudioOut1->BufferPointers(0);
    AudioOut1->SetBufferSize(16384);
    AudioOut1->SetNumBuffers(2);
    AudioOut1->SetStereo(false);
    EXPECT_EQ(AudioOut1->BufferSize(), 8192);
    EXPECT_EQ(AudioOut1->RequestedSize(), 16384);
    EXPECT_EQ(AudioOut1->BufferPointers(0), first);
    EXPECT_EQ(+AudioOut1->WaveFormat().nChannels, 2); // + copies the packed field
    play(3);
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 0, 1, 2}));
    AudioOut1->StopAtOnce();
    EXPECT_EQ(AudioOut1->BufferSize(), 16384);
    EXPECT_EQ(+AudioOut1->WaveFormat().nChannels, 1); // + copies the packed field
    EXPECT_EQ(AudioOut1->BufferPointers(2), nullptr);
}

TEST_F(AudioOutTest, RepeatedCloseAndDestroyWhileOpenAreHarmless)
{
    EXPECT_TRUE(AudioOut1->Start(AudioOut1));
    static_cast<ProbeAudioOut*>(AudioOut1)->CloseWaveDevice();
    static_cast<ProbeAudioOut*>(AudioOut1)->CloseWaveDevice();
    pump();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(fake.log(), kOpened + " write write write write close") << "queued headers stay prepared";

    EXPECT_TRUE(AudioOut1->Start(AudioOut1));
    fake.calls.clear();
    delete AudioOut1;
    AudioOut1 = nullptr;
    EXPECT_EQ(fake.log(), "reset " + kClosed);
    EXPECT_EQ(fake.openStreams(), 0u);
    pump();
}

TEST_F(AudioOutTest, FailedAllocationKeepsStartFromOpening)
{
    g_failAllocationsFrom = 1 << 20;
    AudioOut1->SetBufferSize(1 << 20);
    g_failAllocationsFrom = 0;
    EXPECT_EQ(AudioOut1->ErrorText(), "Error allocating wave buffer memory");
    EXPECT_EQ(AudioOut1->BufferPointers(0), nullptr);
    g_failAllocationsFrom = 1 << 20;
    EXPECT_FALSE(AudioOut1->Start(AudioOut1));
    g_failAllocationsFrom = 0;
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(AudioOut1->Start(AudioOut1)) << "memory came back";
    EXPECT_EQ(writtenCalls().size(), 4u);
}

TEST_F(AudioOutTest, NotificationsFollowTheOwnersVariable)
{
    TAudioOut* ref = AudioOut1;
    EXPECT_TRUE(AudioOut1->Start(ref));
    ref = nullptr;
    play(1);
    AudioOut1->StopAtOnce();
    pump();
    EXPECT_EQ(starts + stops, 0);
    EXPECT_EQ(asked.size(), 4u);
    EXPECT_EQ(callbacks(), 0u);
}
