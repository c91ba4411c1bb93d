#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "FakeWaveOut.h"
#include "TestSignals.h"
#include "components/AudioIO.h"

namespace {

constexpr std::int32_t kBuffer = 8192;
constexpr std::int64_t kFrames = 20000 + 321; // not a whole number of buffers

void pump()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

std::vector<std::int16_t> clicks()
{
    return makeSignal(kFrames, [](std::int64_t k, int ch) { return k % 3000 == 7 ? 28000.0 * (ch ? -1 : 1) : 40.0; });
}

struct Rig : PlayingPath {
    Rig()
        : PlayingPath(clicks())
    {
    }
};

} // namespace

// The producer as the wave output component drives it: every frame of a
// source that ends mid-buffer reaches the device, the run ends once, and the
// component closes by itself after the play-out.
TEST(SignalPathThroughComponent, WholeSourceReachesTheDeviceAndItClosesByItself)
{
    std::vector<std::uint8_t> expected;
    {
        Rig reference;
        bool more = true;
        while (more) {
            std::int32_t size = kBuffer;
            more = reference.path->ComputeOutPut(reference.path->OutputBlock(), size);
            auto* p = reinterpret_cast<const std::uint8_t*>(reference.path->OutputBlock());
            expected.insert(expected.end(), p, p + size);
        }
    }
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(kFrames * 4));

    FakeWaveOutBackend fake;
    Rig rig;
    auto* out = new TAudioOut;
    out->SetFrameRate(44100);
    out->SetStereo(true);
    out->SetBufferSize(kBuffer);
    out->OnFillBuffer = [&](std::uint8_t* buffer, std::int32_t& size) {
        return rig.path->AudioOut1FillBuffer(buffer, size);
    };
    int stops = 0;
    out->OnStop = [&](QObject*) { ++stops; };

    ASSERT_TRUE(out->Start(out));
    const HWAVEOUT handle = out->DeviceHandle();
    for (int i = 0; i < 20 && out && out->DeviceOpen(); ++i) {
        fake.complete(handle);
        pump();
    }
    EXPECT_FALSE(out->DeviceOpen()) << "the play-out closes the device";
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(rig.ends, 1);

    std::vector<std::uint8_t> played;
    for (const auto& call : fake.calls) {
        if (call.what == "write")
            played.insert(played.end(), call.bytes.begin(), call.bytes.end());
    }
    EXPECT_EQ(played, expected);
    delete out;
    pump();
}
