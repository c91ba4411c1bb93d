#pragma once

#include <cstdint>
#include <functional>

class SignalPath;
class WavSource;
class WavWriter;

// Rendering a whole source wav through the signal path into a new wav file:
// the converter's side of "Generate AudioStrobe Encoded Wav File". The main
// window asks for the file, shows the progress dialog and keeps its own state
// around it. Plain C++, GUI thread only.

/// Shown when the chosen destination is the source itself.
inline constexpr char kRenderTargetIsSourceText[] = "Cannot overwrite the source wav file!";
/// Shown after a render that was kept although its output went beyond full
/// scale.
inline constexpr char kRenderOverflowText[] =
    "OUTPUT SIGNAL OVERFLOW !!!\r\nThe output wav file may contain pops or other strange sounds.\r\n"
    "Please inform the author about this problem.";

/// Called after every block written with the frames read so far and the
/// source's frames; false cancels the render.
using RenderProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

enum class RenderStatus {
    Done,        // the file is in the target's place
    Cancelled,   // the progress callback said stop
    WriteFailed, // the destination could not be written or put in place
    ReadFailed,  // the source could not be read to its end: source.error() says why
};

struct RenderResult {
    RenderStatus status = RenderStatus::Done;
    std::int64_t framesDone = 0;
    /// Largest |output| of the run, taken before saturation: above 32767 the
    /// file holds clipped samples.
    float outputPeak = 0;
};

/// Renders `source` (open and tested) from its first frame, whatever it was
/// positioned at, into `writer` (open: its temporary holds the header).
/// Resets the path for the run at the recording level `asLevelPos` (0..100),
/// then computes and writes blocks of `blockBytes` bytes (the wave output's
/// buffer size, kept to whole frames within the path's largest block; the
/// last block holds what is left) until the source ends, and commits. The
/// path's Playing flag is never touched, so a device still draining a
/// live run gets nothing. On every status but Done the writer's temporary is
/// removed and an earlier file of the target's name is left as it was.
/// Never throws for a read or write failure.
RenderResult renderToWav(SignalPath& path, WavSource& source, WavWriter& writer, std::int32_t blockBytes,
                         std::int32_t asLevelPos, const RenderProgress& progress);
