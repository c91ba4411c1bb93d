#pragma once

#include <cstdint>
#include <functional>
#include <string>

class Engine;
struct Session;

// Rendering the open session into a wav file: the engine's side of the export.
// The window around it asks for the file, shows the progress dialog and keeps
// its own state; everything that touches the engine, the readers and the file
// happens here. GUI thread only.

/// The export's messages, shown by the window.
inline constexpr char kWavTooLongText[] = "The session is too long for a wav file!";
inline constexpr char kWavTargetIsSourceText[] = "Cannot overwrite a wav file used by the session!";
inline constexpr char kWavWriteErrorText[] = "Error writing to wav";

/// The size of an export, known before anything is written.
struct WavExportPlan {
    std::int64_t totalFrames = 0; // the session's end at the length factor
    int blockBytes = 0;           // bytes rendered and written per round
    std::int64_t dataBytes = 0;   // data bytes the render writes at most

    /// False when the data would not fit into a wav file.
    bool fits() const;
};

/// One export. Names of wav files are empty when the session does not play
/// them, so that their readers are never opened.
struct WavExportJob {
    std::string target; // the file chosen for the export
    std::string toneWav;
    std::string bsWav;
    int blockBytes = 32768; // the wave output's buffer size
};

/// What the window does during the export.
struct WavExportHooks {
    /// After the engine's reset, before the soft start: the recording
    /// AudioStrobe level replaces the playing one the reset applied.
    std::function<void()> afterReset;
    /// After every block written, with the session position and its end in
    /// frames (the position may pass the end; the end may be 0): progress and
    /// the event queue. Returning false cancels the export.
    std::function<bool(std::int64_t position, std::int64_t total)> afterBlock;
};

enum class WavExportEnd { Written, Cancelled };

/// The round size of an export: the wave output's buffer size, kept within
/// one engine buffer and to whole control blocks.
int wavExportBlockBytes(int bufferBytes);

/// Computes the segment ends at the engine's length factor (as every run does)
/// and the size of the file an export would write: whole blocks up to the
/// block in which the session ends, the last one included. Writes nothing.
WavExportPlan planWavExport(Engine& engine, const Session& session, int bufferBytes);

/// True when the job's target is one of the wav files it reads (same file,
/// whatever the path): writing it would replace the session's own source.
bool exportOverwritesSource(const WavExportJob& job);

/// Renders the open session into job.target: creates the writer, opens the
/// job's wav readers, sets up an export run (PrepareRun(Export), afterReset,
/// ArmSoftStart), renders and writes whole blocks from the engine's OutBuf
/// until the session ends, and replaces the target only when all went well.
/// Cancelled: nothing is written. Throws WavWriteError when the file cannot be
/// written and IoError when a wav file cannot be read; on every way out the
/// temporary file is gone, an earlier target is as it was, the readers are
/// closed, ToneWavOpen/BSWavOpen, Recording, Ending and StopRequest are clear.
/// The caller checks exportOverwritesSource and the plan's fits() first.
WavExportEnd exportSessionToWav(Engine& engine, const Session& session, const WavExportJob& job,
                                const WavExportHooks& hooks);
