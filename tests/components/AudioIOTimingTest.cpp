// Plays through SDL's dummy driver, which consumes audio in real time.
#include <memory>

#include <gtest/gtest.h>

#include "AudioTestLoop.h"
#include "components/AudioIO.h"

namespace {

struct Player {
    TAudioOut* AudioOut1 = new TAudioOut;
    int fills = 0;
    int stops = 0;

    Player()
    {
        AudioOut1->SetFrameRate(44100);
        AudioOut1->SetStereo(true);
        AudioOut1->SetBufferSize(4096); // 23 ms a buffer
        AudioOut1->OnFillBuffer = [this](std::uint8_t* buffer, std::int32_t& size) {
            std::fill(buffer, buffer + size, static_cast<std::uint8_t>(++fills));
            return true;
        };
        AudioOut1->OnStop = [this](QObject*) { ++stops; };
    }
    ~Player() { delete AudioOut1; }
    bool start() { return AudioOut1->Start(AudioOut1); }
};

} // namespace

TEST(AudioOutTiming, TwoComponentsPlayAtOnce)
{
    Player a, b;
    ASSERT_TRUE(a.start()) << a.AudioOut1->ErrorText();
    ASSERT_TRUE(b.start()) << b.AudioOut1->ErrorText();
    EXPECT_TRUE(runUntil([&] { return a.fills >= 24 && b.fills >= 24; }, 20000));
    a.AudioOut1->StopGracefully();
    b.AudioOut1->StopAtOnce();
    EXPECT_TRUE(runUntil([&] { return a.stops == 1 && b.stops == 1; }, 10000));
    EXPECT_FALSE(a.AudioOut1->DeviceOpen());
}

TEST(AudioOutTiming, PauseHoldsTheProducer)
{
    Player p;
    ASSERT_TRUE(p.start()) << p.AudioOut1->ErrorText();
    ASSERT_TRUE(runUntil([&] { return p.fills >= 8; }, 20000));
    p.AudioOut1->SetPaused(true);
    runFor(300); // what was played before the pause still comes back
    const int held = p.fills;
    runFor(600);
    EXPECT_EQ(p.fills, held);
    EXPECT_TRUE(p.AudioOut1->DeviceOpen());
    p.AudioOut1->SetPaused(false);
    EXPECT_TRUE(runUntil([&] { return p.fills >= held + 8; }, 20000));
}

TEST(AudioOutTiming, DestroyWhilePlayingLeavesTheDeviceUsable)
{
    auto first = std::make_unique<Player>();
    ASSERT_TRUE(first->start()) << first->AudioOut1->ErrorText();
    ASSERT_TRUE(runUntil([&] { return first->fills >= 6; }, 20000));
    first.reset();
    runFor(200);
    Player second;
    ASSERT_TRUE(second.start()) << second.AudioOut1->ErrorText();
    EXPECT_TRUE(runUntil([&] { return second.fills >= 10; }, 20000));
}

TEST(AudioOutTiming, UnknownDeviceGivesAnErrorTextWithoutHanging)
{
    Player p;
    p.AudioOut1->SetWaveDevice(99);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(p.start());
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(p.AudioOut1->ErrorText(), "There is no output device with this number");
    EXPECT_FALSE(p.AudioOut1->DeviceOpen());
    runFor(100);
    EXPECT_EQ(p.fills, 0);
}
