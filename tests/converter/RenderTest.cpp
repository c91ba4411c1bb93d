#include <gtest/gtest.h>

#include <filesystem>

#include "TestSignals.h"
#include "converter/Render.h"
#include "converter/WavSource.h"
#include "support/FailingFileCalls.h"
#include "support/TestDir.h"
#include "support/WavBytes.h"

namespace fs = std::filesystem;
using namespace wavbytes;

namespace {

/// A path at the options' defaults over a source file of the test's folder.
struct Renders : ::testing::Test, TestDir {
    std::unique_ptr<SignalPath> path = std::make_unique<SignalPath>();
    WavSource source;

    Renders() { path->SetSineTable(sineTable()); }
    ~Renders() override { g_failFileCall = FileCall::None; }
    RenderResult render(const std::string& from, const std::string& to, std::int32_t block = 32768,
                        int level = 23, const RenderProgress& progress = {})
    {
        EXPECT_TRUE(source.open(from, isChooserWavFormat));
        WavWriter writer;
        writer.open(to);
        return renderToWav(*path, source, writer, block, level, progress);
    }
};

/// Noise with a click every 3000 frames, so that lights run.
std::vector<std::int16_t> clicks(std::int64_t n)
{
    std::uint32_t r = 7;
    return makeSignal(n, [&](std::int64_t k, int) {
        r = r * 1664525u + 1013904223u;
        return (k % 3000 == 5 ? 26000 : 0) + double(std::int16_t(r >> 16)) / 8;
    });
}

} // namespace

TEST_F(Renders, ExactSizesWhateverTheBlockTheBarOrAnEarlierRun)
{
    constexpr std::int64_t kFrames = 3 * 16384 + 7; // no whole number of any block
    const std::string src = put("src.wav", riff(fmt() + chunk("data", pcmBytes(clicks(kFrames)))));
    const std::string out = (dir / "out.wav").string();
    std::string first;
    for (std::int32_t block : {4096, 32768, 65536}) {
        SCOPED_TRACE(block);
        if (!first.empty()) {
            // A live run stopped halfway, seeked, with its light still on.
            ASSERT_TRUE(source.open(src, isChooserWavFormat));
            source.seekFrame(20000);
            path->SetSource(&source);
            path->ResetRun(23);
            path->FramesLeft = 9000;
            std::int32_t size = 32768;
            path->ComputeOutPut(path->OutputBlock(), size);
        }
        const RenderResult r = render(src, out, block);
        EXPECT_EQ(r.status, RenderStatus::Done);
        EXPECT_EQ(r.framesDone, kFrames);
        const std::string bytes = slurp(out);
        ASSERT_EQ(bytes.size(), 44 + kFrames * 4);
        WavHeader h = canonicalWavHeader();
        patchWavSizes(h, kFrames * 4);
        EXPECT_EQ(bytes.substr(0, 44), std::string(h.begin(), h.end()));
        if (first.empty())
            first = bytes;
        EXPECT_EQ(bytes, first);
    }
}

TEST_F(Renders, LevelZeroAtUnityGainWritesTheSourceInEveryLayout)
{
    const std::string pcm = pcmBytes(clicks(5000));
    const struct {
        const char* name;
        std::string file;
        std::string data;
    } cases[] = {
        {"canonical", riff(fmt() + chunk("data", pcm)), pcm},
        {"list before data", riff(fmt() + chunk("LIST", "INFOISFT" + le(4) + "tool") + chunk("data", pcm)), pcm},
        {"truncated", riff(fmt() + chunk("data", pcm + "xy", pcm.size() + 40000)), pcm},
        {"empty", riff(fmt() + chunk("data", "")), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RenderResult r = render(put("src.wav", c.file), (dir / "out.wav").string(), 32768, 0);
        EXPECT_EQ(r.status, RenderStatus::Done);
        EXPECT_EQ(slurp((dir / "out.wav").string()).substr(44), c.data);
    }
}

TEST_F(Renders, CancelWriteOrReadFailureLeavesNoFileAndTheEarlierOneAsItWas)
{
    const std::string pcm = pcmBytes(clicks(40000));
    const std::string src = put("src.wav", riff(fmt() + chunk("data", pcm)));
    const std::string out = put("out.wav", "earlier file");
    const struct {
        const char* name;
        RenderStatus status;
        std::function<bool()> atBlock3; // false cancels
    } cases[] = {
        {"cancel", RenderStatus::Cancelled, [] { return false; }},
        {"write", RenderStatus::WriteFailed, [] { return (g_failFileCall = FileCall::Write), true; }},
        {"read", RenderStatus::ReadFailed, [&] { return fs::resize_file(src, 44 + 4 * 20001), true; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int blocks = 0;
        const RenderResult r =
            render(src, out, 4096, 23, [&](std::int64_t, std::int64_t) { return ++blocks != 3 || c.atBlock3(); });
        g_failFileCall = FileCall::None;
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.status == RenderStatus::ReadFailed, !source.error().empty());
        EXPECT_EQ(names(), (std::set<std::string>{"src.wav", "out.wav"}));
        EXPECT_EQ(slurp(out), "earlier file");
    }
}

TEST_F(Renders, OverflowSaturatesWithoutSignFlipsAndThePeakShowsIt)
{
    const auto in = makeSignal(3000, [](std::int64_t k, int c) { return (k + c) % 2 ? 20000 : -20000; });
    path->SetInputGain(300);
    const RenderResult r = render(put("src.wav", riff(fmt() + chunk("data", pcmBytes(in)))),
                                  (dir / "out.wav").string());
    EXPECT_GT(r.outputPeak, 50000);
    const std::string data = slurp((dir / "out.wav").string()).substr(44);
    ASSERT_EQ(data.size(), in.size() * 2);
    for (std::size_t i = 0; i < in.size(); ++i) {
        std::int16_t v;
        std::memcpy(&v, data.data() + 2 * i, 2);
        ASSERT_EQ(v, in[i] > 0 ? 32767 : -32768) << i;
    }
}
