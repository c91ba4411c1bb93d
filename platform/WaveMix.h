#pragma once

#include <cstddef>
#include <cstdint>

/// One queued buffer of a wave output stream: whole stereo 16-bit frames,
/// little-endian, left then right.
struct MixSlot {
    const std::uint8_t* data = nullptr;
    std::uint32_t frames = 0;
};

/// The queue of one stream as the mixer sees it: a ring of `mask + 1` slots
/// (a power of two) indexed by free-running counters, so that the counters
/// wrap without care. Slots [play, write) are queued; the writer advances
/// `write`, the mixer advances `play` past each slot it has used up, and the
/// slots behind `play` are done until their writer takes them back.
struct MixQueue {
    MixSlot* ring = nullptr;
    std::uint32_t mask = 0;
    std::uint32_t write = 0;
    std::uint32_t play = 0;
    std::uint32_t offset = 0; // frames of slot `play` already mixed
    bool paused = false;      // a paused queue is skipped and keeps its place
};

/// Mixes `frames` stereo frames of every unpaused queue into `out` and
/// saturates to -32768..32767, so a single queue passes through bit-exact and
/// a period without data is silence. A zero-length slot is used up as soon as
/// it is reached. `acc` is scratch space of at least 2 * `frames` entries.
/// Returns true when any slot was used up. Touches nothing but its arguments:
/// safe on the audio thread (no allocation, lock or call out).
bool mixQueues(MixQueue* const* queues, std::size_t count, std::int32_t* acc,
               std::int16_t* out, std::uint32_t frames);
