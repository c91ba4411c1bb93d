#include "converter/Render.h"

#include <algorithm>

#include "converter/SignalPath.h"
#include "converter/WavSource.h"
#include "engine/WavFile.h"

RenderResult renderToWav(SignalPath& path, WavSource& source, WavWriter& writer, std::int32_t blockBytes,
                         std::int32_t asLevelPos, const RenderProgress& progress)
{
    RenderResult result;
    const auto finish = [&](RenderStatus status) {
        if (status != RenderStatus::Done)
            writer.abort();
        path.SetSource(nullptr); // the source is the caller's and may go
        result.status = status;
        result.framesDone = path.FramesDone;
        result.outputPeak = path.OutputPeak;
        return result;
    };

    source.seekFrame(0);
    path.SetSource(&source);
    path.ResetRun(asLevelPos);
    path.TotalFrames = path.FramesLeft = source.TotalFrames();
    const std::int32_t block = std::clamp(blockBytes, kWavFrameBytes, SignalPath::kMaxBlockBytes);
    std::int16_t* out = path.OutputBlock();
    try {
        for (bool more = true; more;) {
            std::int32_t size = block;
            more = path.ComputeOutPut(out, size);
            if (size > 0)
                writer.append(out, static_cast<std::size_t>(size));
            if (path.ReadFailed)
                return finish(RenderStatus::ReadFailed);
            if (progress && !progress(path.FramesDone, path.TotalFrames))
                return finish(RenderStatus::Cancelled);
        }
        writer.commit();
    } catch (const WavWriteError&) {
        return finish(RenderStatus::WriteFailed);
    }
    return finish(RenderStatus::Done);
}
