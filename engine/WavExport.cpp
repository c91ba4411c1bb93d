#include "engine/WavExport.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "engine/Engine.h"
#include "engine/Session.h"
#include "engine/WavFile.h"

// The engine's samples go to the file as they are: wav files are little-endian.
static_assert(std::endian::native == std::endian::little);

namespace {

/// Bytes of one control block: the engine renders nothing smaller.
constexpr int kControlBlockBytes = Engine::BlockSize * kWavFrameBytes;

/// Leaves the engine and its readers as a stop does, however the export ends.
class ExportRunEnd {
public:
    explicit ExportRunEnd(Engine& engine)
        : m_engine(engine)
    {
    }
    ~ExportRunEnd()
    {
        m_engine.ToneWavFile.close();
        m_engine.BSWavFile.close();
        m_engine.ToneWavOpen = false;
        m_engine.BSWavOpen = false;
        m_engine.Recording = false;
        m_engine.Ending = false;
        m_engine.StopRequest = false;
    }
    ExportRunEnd(const ExportRunEnd&) = delete;
    ExportRunEnd& operator=(const ExportRunEnd&) = delete;

private:
    Engine& m_engine;
};

} // namespace

bool WavExportPlan::fits() const
{
    return dataBytes <= kMaxWavDataBytes;
}

int wavExportBlockBytes(int bufferBytes)
{
    return std::clamp(bufferBytes, kControlBlockBytes, kOutBufBytes) / kControlBlockBytes * kControlBlockBytes;
}

WavExportPlan planWavExport(Engine& engine, const Session& session, int bufferBytes)
{
    engine.ComputeRunEnds();
    const int last = std::clamp(session.SegCount, 1, kMaxSegments);
    WavExportPlan plan;
    plan.totalFrames = session.SegEnd[last];
    plan.blockBytes = wavExportBlockBytes(bufferBytes);

    // The run stops at the control block that leaves the last segment: the
    // first block starting at or after its end, later when segments shorter
    // than a block queue up (one change per block). Its soft end, begun at
    // the latest in the first block past the end, stops it there at the
    // latest. The round holding the stopping block is written whole.
    constexpr std::int64_t kBlock = Engine::BlockSize;
    std::int64_t leaveLast = -kBlock;
    for (int a = 1; a <= last; ++a) {
        const std::int64_t end = std::max<std::int64_t>(session.SegEnd[a], leaveLast + kBlock);
        leaveLast = (end + kBlock - 1) / kBlock * kBlock;
    }
    const std::int64_t softEnd = (std::max<std::int64_t>(plan.totalFrames, 0) / kBlock + 1) * kBlock;
    const std::int64_t stop = std::min(leaveLast, softEnd);
    const std::int64_t blockFrames = plan.blockBytes / kWavFrameBytes;
    plan.dataBytes = (stop / blockFrames + 1) * plan.blockBytes;
    return plan;
}

bool exportOverwritesSource(const WavExportJob& job)
{
    return sameFile(job.target, job.toneWav) || sameFile(job.target, job.bsWav);
}

WavExportEnd exportSessionToWav(Engine& engine, const Session& session, const WavExportJob& job,
                                const WavExportHooks& hooks)
{
    const WavExportPlan plan = planWavExport(engine, session, job.blockBytes);
    if (!plan.fits())
        throw WavWriteError(job.target, "write", errnoText(EFBIG));

    const ExportRunEnd runEnd(engine);
    WavWriter writer;
    writer.open(job.target);
    if (!job.toneWav.empty()) {
        wavReadProc(engine.ToneWavFile, 0, job.toneWav);
        engine.ToneWavOpen = true;
    }
    if (!job.bsWav.empty()) {
        wavReadProc(engine.BSWavFile, 0, job.bsWav);
        engine.BSWavOpen = true;
    }

    engine.PrepareRun(RunKind::Export);
    if (hooks.afterReset)
        hooks.afterReset();
    engine.ArmSoftStart();

    std::int16_t* buf = engine.OutBuf.data();
    const auto bytes = static_cast<std::size_t>(plan.blockBytes);
    for (bool more = true; more;) {
        // Every round is written whole: where the run ended early the rest of
        // the block is silence.
        std::memset(buf, 0, bytes);
        more = engine.ComputeOutPut(buf, plan.blockBytes);
        writer.append(buf, bytes);
        if (hooks.afterBlock && !hooks.afterBlock(engine.SesSamplePos, plan.totalFrames))
            return WavExportEnd::Cancelled; // the writer removes its temporary
    }
    writer.commit();
    return WavExportEnd::Written;
}
