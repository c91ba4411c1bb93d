#include "WaveMix.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/Arith.h"

// The device plays S16LSB and the ring are copied byte for byte.
static_assert(std::endian::native == std::endian::little);

namespace {

// Pops the used-up and zero-length ring at the head; true when any went.
bool popFinished(MixQueue& q)
{
    bool any = false;
    while (q.play != q.write && q.offset >= q.ring[q.play & q.mask].frames) {
        ++q.play;
        q.offset = 0;
        any = true;
    }
    return any;
}

} // namespace

bool mixQueues(MixQueue* const* queues, std::size_t count, std::int32_t* acc,
               std::int16_t* out, std::uint32_t frames)
{
    const std::uint32_t samples = frames * 2;
    std::fill(acc, acc + samples, 0);
    bool finished = false;
    for (std::size_t i = 0; i < count; ++i) {
        MixQueue& q = *queues[i];
        if (q.paused)
            continue;
        std::uint32_t done = 0;
        finished |= popFinished(q);
        while (done < frames && q.play != q.write) {
            const MixSlot& slot = q.ring[q.play & q.mask];
            const std::uint32_t n = std::min(frames - done, slot.frames - q.offset);
            const std::uint8_t* src = slot.data + std::size_t(q.offset) * 4;
            std::int32_t* dst = acc + std::size_t(done) * 2;
            for (std::uint32_t k = 0; k < n * 2; ++k) {
                std::int16_t s;
                std::memcpy(&s, src + std::size_t(k) * 2, 2); // the slot holds bytes, not int16s
                dst[k] += s;
            }
            done += n;
            q.offset += n;
            finished |= popFinished(q);
        }
    }
    for (std::uint32_t k = 0; k < samples; ++k)
        out[k] = saturate16(acc[k]);
    return finished;
}
