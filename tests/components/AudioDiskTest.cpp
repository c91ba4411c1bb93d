// Plays through SDL's disk driver, which writes every byte it plays to
// SDL_DISKAUDIOFILE: what the component queued must arrive unchanged.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

#include "AudioTestLoop.h"
#include "components/AudioIO.h"

TEST(AudioOutDisk, PlaysExactlyTheProducedBytesAndClosesByItself)
{
    const char* file = std::getenv("SDL_DISKAUDIOFILE");
    ASSERT_NE(file, nullptr);
    std::remove(file);

    std::vector<std::uint8_t> produced;
    int buffers = 0;
    bool stopped = false;
    auto* AudioOut1 = new TAudioOut;
    AudioOut1->SetFrameRate(44100);
    AudioOut1->SetStereo(true);
    AudioOut1->SetBufferSize(32768);
    // Six buffers, the last one shorter; no byte of them is 0, so the played
    // stretch stands out from the silence around it.
    AudioOut1->OnFillBuffer = [&](std::uint8_t* buffer, std::int32_t& size) {
        if (buffers == 6)
            return false;
        if (++buffers == 6)
            size = 10000;
        for (std::int32_t i = 0; i < size; i += 2) {
            const auto s = static_cast<std::uint16_t>((produced.size() + i) * 40503u | 0x0101u);
            buffer[i] = static_cast<std::uint8_t>(s);
            buffer[i + 1] = static_cast<std::uint8_t>(s >> 8);
        }
        produced.insert(produced.end(), buffer, buffer + size);
        return true;
    };
    AudioOut1->OnStop = [&](QObject*) { stopped = true; };

    // Paused, all four primed buffers are queued before anything plays.
    AudioOut1->SetPaused(true);
    ASSERT_TRUE(AudioOut1->Start(AudioOut1)) << AudioOut1->ErrorText();
    runFor(100);
    AudioOut1->SetPaused(false);
    ASSERT_TRUE(runUntil([&] { return stopped; }, 60000));
    EXPECT_FALSE(AudioOut1->DeviceOpen());
    delete AudioOut1;

    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> captured{std::istreambuf_iterator<char>(in), {}};
    const auto nonzero = [](std::uint8_t b) { return b != 0; };
    const auto first = std::find_if(captured.begin(), captured.end(), nonzero);
    const auto last = std::find_if(captured.rbegin(), captured.rend(), nonzero).base();
    ASSERT_LT(first, last);
    EXPECT_EQ((first - captured.begin()) % 4, 0);
    const std::vector<std::uint8_t> played(first, last);
    EXPECT_EQ(produced.size(), 5 * 32768u + 10000);
    EXPECT_EQ(played.size(), produced.size());
    EXPECT_TRUE(played == produced);
}
