#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/Random.h"
#include "engine/Session.h"
#include "engine/WavFile.h"
#include "platform/Arith.h"

struct ValueTables;
struct SampleTables;
struct SegParams;

/// What the engine asks of the windows around it. The defaults do nothing, so
/// the engine runs on its own in tests, benchmarks and batch code. Called on the
/// GUI thread from inside the engine's calls; an implementation must not call
/// back into the engine.
class EngineHost {
public:
    virtual ~EngineHost() = default;
    /// The run ended during playback (session over, or the soft end reached
    /// silence): queue a press of the Start/Stop button for later. Never called
    /// while Recording.
    virtual void PostStopPress() {}
    /// Start of InitializeVars: write FadeInLen and FadeOutLen from the
    /// options' soft-start and soft-end settings.
    virtual void ReapplyFadeOptions() {}
    /// Part of InitializeVars: write the playing AudioStrobe level and the
    /// zero level (ASMaxLevel, AudioScale, ASRampLen, ASEnvStep, ASZeroLevel,
    /// ASIntensitySpan).
    virtual void ReapplyLevelOptions() {}
};

/// Pulse channels, 0-based everywhere: 0 and 1 the left and right light
/// (their envelopes scale the carriers), 2 and 3 gate the left and right sound.
constexpr int kPulseChannels = 4;
constexpr int kLightLeft = 0;
constexpr int kLightRight = 1;
constexpr int kSoundLeft = 2;
constexpr int kSoundRight = 3;
/// PulseEdges and PulseFlags keep two entries per channel: its start edge and
/// start latch first, its end edge and fall latch after all four.
constexpr int startEdge(int channel) { return channel; }
constexpr int endEdge(int channel) { return kPulseChannels + channel; }

/// Envelope states (ASEnvState).
constexpr std::uint8_t kEnvSteady = 0;
constexpr std::uint8_t kEnvRising = 1;
constexpr std::uint8_t kEnvFalling = 2;

/// Entries of the display mailbox (Engine::DisplayTexts). Entries dSegment to
/// dHBeat are the value column of the main window's status grid, rows 0..16
/// in this order (statusGridRow).
enum DisplayEntry : int {
    dPeak = 0,      // the peak label "Amp."
    dSegment,       // "Act. Segment"
    dTime,          // "Time", elapsed m:ss
    dTone,          // "Tone"
    dFreq1,         // "Freq 1"
    dFreq2,         // "Freq 2"
    dPitch1,        // "Pitch 1 (R)"
    dPitch2,        // "Pitch 2 (R)"
    dPhase,         // "Phase (R)"
    dPhaseChange,   // "Phase Change"
    dDutyCycle,     // "Duty Cycle (R)"
    dVolume,        // "Volume (R)"
    dIntensity,     // "Intensity (R)"
    dSGVol,         // "SG1/SG2 Vol."
    dWave1,         // "Wave 1 (R)"
    dWave2,         // "Wave 2 (R)"
    dBackingSound,  // "Backing Sound"
    dHBeat,         // "H Beat Freq (R)"
    dSegmentTime,   // the playback control's time into the segment
    dButtonCaption, // the Start/Stop button's caption
    kDisplayEntries
};

/// The status grid row that shows a grid entry (dSegment .. dHBeat).
constexpr int statusGridRow(DisplayEntry entry) { return entry - dSegment; }

/// Output mode of a sound generator (SGMode), set by the tone type.
enum SGOutputMode : std::uint8_t {
    kSGOff = 0,          // silent
    kSGGatedWave = 1,    // wave x gain x gate envelope
    kSGWave = 2,         // wave x gain
    kSGGatedToneWav = 3, // tone wav x gain x gate envelope
    kSGToneWavAM = 4,    // tone wav x AM x gain
    kSGWaveAM = 5,       // wave x AM x gain
};

/// Balance automation between SG1 and SG2 (SGSwapMode), set by SGVol.
enum SGSwapKind : std::int32_t {
    kSwapNone = 0,
    kSwapToSG2 = 1,       // SG1 to SG2 over SGSwapLen frames (the segment)
    kSwapToSG1 = 2,       // SG2 to SG1 over SGSwapLen frames
    kSwapToSG2Timed = 15, // SG1 to SG2 in 220 500 frames
    kSwapToSG1Timed = 25, // SG2 to SG1 in 220 500 frames
};

/// How one side's generators switch into a new segment (SGSwitchStateL and
/// SGSwitchStateR), chosen by the old and new tone types and the gains.
enum SGSwitchState : std::uint8_t {
    kSwitchDone = 0,        // switched, or no switch pending
    kSwitchAtPulse = 11,    // both at the onset of the side's next sound pulse
    kSwitchEachAtZero = 12, // each generator at its own zero crossing
    kSwitchMuteFirst = 21,  // each falls silent at its zero crossing, then kSwitchAtPulse
    kSwitchAtSG1Zero = 51,  // the whole side at SG1's zero crossing (SG2 silent)
    kSwitchAtSG2Zero = 52,  // the whole side at SG2's zero crossing (SG1 silent)
};

/// Largest buffer the engine fills in one call, in bytes (16384 frames).
constexpr int kOutBufBytes = 65536;

/// How a run begins: the Start button, a wav export, or the playback control's
/// Play from a chosen segment.
enum class RunKind { Start, Export, Play };

/// The synthesis engine: renders the open session into 16-bit stereo frames at
/// 44 100 frames per second, buffer by buffer, identically for live playback and
/// wav export. It works in control blocks of 16 frames: what follows the session
/// (fades, segment changes, glides, pulse edges, display texts) runs once per
/// block, the envelopes and ramps once per frame.
///
/// Holds the session, the value tables, the per-segment values and the sample
/// tables by reference; they must outlive it. Fields keep the design's names and
/// are public: the windows' handlers write the option fields directly and read
/// the state. Real fields are float, stored at every assignment; each expression
/// is worked in long double. GUI thread only. Large (three 64 KiB buffers):
/// allocate it once, on the heap.
///
/// The noise draws from `random`, the program's generator unless a caller
/// (a test) hands in its own; it must outlive the engine. Constructing an
/// engine builds ModSineTable if nobody has yet.
class Engine {
public:
    Engine(Session& session, const ValueTables& tables, const SegParams& params, SampleTables& samples,
           PseudoRandom& random = ProgramRandom);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    /// Not owned; nullptr restores the default host that does nothing.
    void setHost(EngineHost* host);

    // ---- Rendering -------------------------------------------------------

    /// Writes (sizeBytes div 4) div 16 blocks of 16 frames into `buf` from frame
    /// 0 on (at most kOutBufBytes are used) and advances SesSamplePos by one per
    /// frame. True when every block was written; False when the run stopped:
    /// StopRequest was set, the soft end reached silence or the session passed
    /// its last segment. Frames not written keep what the caller put there, and
    /// once stopped every call returns False at once until the next reset.
    /// Throws IoError when a looping wav file cannot be read.
    bool ComputeOutPut(std::int16_t* buf, int sizeBytes);

    /// The wave output's fill: clears OutBuf, renders `sizeBytes` into it and
    /// copies sizeBytes div 2 samples to `buffer` (all of them, also when the run
    /// stopped early). Returns ComputeOutPut's result.
    bool FillBuffer(void* buffer, int sizeBytes);

    // ---- Run set-up --------------------------------------------------------

    /// The reset before every run (Start, Play from a segment, export). Clears
    /// FadingIn; leaves FadePos, FadeGain, Ending, FadeOutStart and Recording to
    /// the run set-up below.
    void InitializeVars();

    /// Everything Start, export and Play do to the engine before the first
    /// buffer: filters cleared, InitializeVars, Ending cleared, Recording set for
    /// an export only, ComputeRunEnds. Play additionally starts at `startSeg`
    /// (1..SegCount) at full gain and never begins a soft end of its own; the
    /// caller positions the wav readers. Start and export arm their soft start
    /// later with ArmSoftStart.
    void PrepareRun(RunKind kind, int startSeg = 1);

    /// Segment ends at SesLengthFactor (each segment's length rounded to whole
    /// frames, ties to even) and FadeOutStart: FadeOutLen before the end, or the
    /// middle of the session when the session is not longer than the soft end.
    void ComputeRunEnds();

    /// End of the start delay: the soft start runs from gain 0 when FadeInLen is
    /// at least one frame, else the gain is 1 at once.
    void ArmSoftStart();

    /// The Stop button's soft end: fade from the present gain to silence over
    /// the smaller of FadeOutLen and the frames left; FadeOutLen becomes the
    /// length of a fade from 1 at the same slope. Returns False and changes
    /// nothing when the gain is already 0: the caller then stops at once.
    bool StartSoftEnd();

    /// Ends the run at once, whatever it is doing (delayed, playing, fading
    /// out): every later call renders nothing until the next PrepareRun, no soft
    /// end follows, and both looping wav readers are closed. The one way the
    /// windows stop the engine.
    void abortRun();

    /// Applies PhaseType to the segment ActSegment, at once or as a glide.
    void SetPhaseType();

    /// Clears the noise and output filter histories. Called before every run;
    /// the order against InitializeVars does not matter.
    void MuteFilters();

    // ---- Sound generators, backing sound and output filter ------------------

    /// Switch one side's generators to ActSegment: gains, pitch modes, waves,
    /// output modes and the phase alignment by the balance choices; the last
    /// side to switch starts the balance automation.
    void ChangeSGParamsL();
    void ChangeSGParamsR();
    /// Advances the noise generator by one sample and returns it (low-passed
    /// white noise on the scale of 16-bit samples).
    float GetNoiseVal();
    /// One sample through the left or right output low-pass (8 kHz, gain 0.7).
    float FilterOutValSndL(float x);
    float FilterOutValSndR(float x);

    // ---- Slider rules ------------------------------------------------------
    //
    // The windows pass slider positions; these calls own what a position
    // means to the engine. Positions outside a slider's range are clamped to
    // it. Each takes effect from the next frame (FMDepth from the next buffer).

    /// AM depth slider 0..100: AMDepth = position / 200, AMBase = 1 - AMDepth.
    void setAMDepthPos(int pos);
    /// FM depth slider 0..100: FMDepth = position / 100 octaves.
    void setFMDepthPos(int pos);
    /// Tone / backing-sound balance 0..100: ToneVol = (100 - position) / 100,
    /// BSVol = position / 100.
    void setToneBackingPos(int pos);
    /// Heart beat / backing-sound wav balance 0..100: HBeatVol = (100 -
    /// position) / 100, BSWavVol = position / 100.
    void setHeartBeatWavPos(int pos);
    /// Session length slider 1..50: SesLengthFactor = position / 10.
    void setLengthFactorPos(int pos);
    /// Soft start and soft end, 0..60 s: FadeInLen, FadeOutLen in frames.
    void setSoftStartSecs(int secs);
    void setSoftEndSecs(int secs);
    /// AudioStrobe maximum level 0..100, the playing one or, for an export,
    /// the recording one: ASMaxLevel, AudioScale, ASRampLen (at least
    /// kMinASRampLen) and ASEnvStep by the rule both programs share.
    void setASLevel(int pos);
    /// AudioStrobe zero level 0..100: ASZeroLevel = position / 100,
    /// ASIntensitySpan = 1 - ASZeroLevel.
    void setASZeroLevel(int pos);

    /// Shortest light-pulse ramp of the player: shorter ramps turn the pulses'
    /// edges into audible clicks in the carrier.
    static constexpr std::int32_t kMinASRampLen = 150;

    // ---- Option and slider values -------------------------------------------
    //
    // Written by the calls above; the constructor starts them at the default
    // positions (engine/SliderPositions.h), so that a run before any window
    // exists is well defined. Tests and benchmarks may set them directly.

    std::int64_t FadeInLen = 0;  // soft start, frames
    std::int64_t FadeOutLen = 0; // soft end, frames; rescaled by every soft end
    float ASMaxLevel = 0;      // carrier at full intensity, of the table's peak
    float AudioScale = 1;      // 1 - ASMaxLevel
    std::int32_t ASRampLen = kMinASRampLen; // envelope ramp, frames
    float ASEnvStep = 0;       // 1 / ASRampLen
    float ASZeroLevel = 0;     // fraction of ASMaxLevel left at intensity 0
    float ASIntensitySpan = 1; // 1 - ASZeroLevel
    float SesLengthFactor = 1; // session length slider / 10
    float AMDepth = 0;   // 0..0.5
    float AMBase = 1;    // 1 - AMDepth
    float FMDepth = 0;   // octaves 0..1; read at buffer starts
    float ToneVol = 0;   // level of the sound generators
    float BSVol = 0;     // level of the backing sound
    float HBeatVol = 0;  // level of the heart beat in the backing sound
    float BSWavVol = 0;  // level of the backing-sound wav
    bool AudioOutputFilter = false; // the options' "Audio Output Filter" box, read every frame

    // ---- Frame and control blocks -----------------------------------------

    static constexpr int BlockSize = 16;
    std::int32_t BlockCount = 0; // blocks of the buffer being filled
    bool StopRequest = false;
    bool FadingIn = false;
    std::int64_t FadePos = 0;      // soft start: frames faded in; soft end: frames left
    std::int64_t FadeOutStart = 0; // the engine begins a soft end once past it
    float FadeGain = 0;            // master gain 0..1
    bool Ending = false;           // soft end running, or the session has ended
    bool Recording = false;        // wav export: the end posts no stop press
    /// Counts the runs PrepareRun set up: what a run left behind (its
    /// queued stop press) can tell whether that run is still the current one.
    std::uint64_t RunSerial = 0;
    std::int32_t ActSegment = 1;   // 1..SegCount
    std::int64_t SesSamplePos = 0; // frames into the session
    std::int64_t SegSamplePos = 0; // frames into the segment
    float SegProgress = 0;         // 0..1 through the segment
    float CurFreq1 = 0, CurFreq2 = 0; // beat frequencies, Hz
    float CurVolume = 1, CurIntensity = 1;
    bool VolRamping = false;
    std::int32_t VolRampPos = 0;
    std::int32_t VolRampLen = 5000;
    float VolumeRampStep = 0, IntensityRampStep = 0;
    float CurHBeat = 45;                // beats per minute
    std::int64_t HBeatPeriod = 58800;   // frames between beats
    std::int64_t HBeatStart = 0;        // position of the last beat trigger
    bool HBeatActive = false;           // a beat sample is playing (heart-beat player)
    std::int32_t HBeatIdx = 0;          // its next sample
    std::int64_t ElapsedSecs = 0, ShownSecs = 0;
    /// Freq 1 and Freq 2 texts of this block ([0], [1]) and the last ones sent
    /// to the display ([2], [3]).
    std::array<std::string, 4> FreqTexts;
    /// Heart-beat text last sent ([0]) and of this block ([1]).
    std::array<std::string, 2> HBeatTexts;
    std::int32_t PeakLevel = 0; // largest absolute output sample of the run

    /// Display mailbox, indexed by DisplayEntry. An empty text means nothing new;
    /// the display shows a text and then empties it with clear(), which keeps
    /// the capacity, so the engine's per-block texts never allocate.
    std::array<std::string, kDisplayEntries> DisplayTexts;

    // ---- Light pulse channels (index 0..3, see kLightLeft ...) -------------

    std::int32_t PhaseType = 1; // phase pattern 1..10
    bool PhaseRamping = false;
    std::array<float, kPulseChannels> CurPhase{};  // offset in the period, 0..1
    std::array<float, kPulseChannels> PhaseStep{}; // offset change per frame while gliding
    std::int64_t PhaseChangeCount = 0;
    std::array<bool, kPulseChannels> ChannelEnabled{true, true, true, true};
    bool AltPhase = false;
    std::array<float, 2> FreqInc{}; // advance per block of Freq 1, Freq 2 (thousandths)
    std::array<float, kPulseChannels> PulseInc{};
    std::array<float, kPulseChannels> LightPhase{}; // 0..1000
    float ModPhase = 0;                             // Freq 2 phase, 0..1000
    std::array<float, kPulseChannels> PeriodSamples{};
    float CurDutyCycle = 0;
    bool DutyRamping = false;
    float DutyRampDelta = 0;
    std::array<float, kPulseChannels> PulseDuty{};
    std::array<float, 2 * kPulseChannels> PulseEdges{}; // startEdge(c), endEdge(c)
    std::array<bool, 2 * kPulseChannels> PulseFlags{};  // start latch, fall latch
    std::array<bool, kPulseChannels> PulseOn{};
    std::array<std::uint8_t, kPulseChannels> ASEnvState{};
    std::array<std::int32_t, kPulseChannels> ASEnvCount{};
    std::array<float, 2> ASEnv{};   // light left, right
    std::array<float, 2> GateEnv{}; // sound left, right

    // ---- Sound generators (index g: 0 SG1 left, 1 SG1 right, 2 SG2 left,
    // 3 SG2 right; left ones follow sound channel kSoundLeft) ----------------

    float SG1VolL = 0, SG1VolR = 0, SG2VolL = 0, SG2VolR = 0; // gains 0..1
    float SG1VolTarget = 0, SG2VolTarget = 0; // gains of the segment being switched to
    SGSwapKind SGSwapMode = kSwapNone; // balance automation
    std::int64_t SGSwapCounter = 0; // frames left
    std::int64_t SGSwapLen = 0;     // frames of an over-the-segment automation
    std::array<float, 4> SGStep{};  // wave-table step per frame
    std::array<float, 4> SGPhase{}; // read position, 0 <= p < 4410
    std::array<std::int32_t, 4> WavePos{}; // index read in the current frame, 0..4410
    std::array<std::uint8_t, 4> SGWave{};   // wave table 1..19; another value is silent
    std::array<std::uint8_t, 4> PrevWave{}; // the previous segment's wave
    std::array<bool, 4> WaveRamping{};      // cross-fade PrevWave -> SGWave over the segment
    /// 0 the previous segment's pitch (switch pending), 1 constant, 2 ramp, 3 relative.
    std::array<std::uint8_t, 4> PitchMode{};
    std::array<SGOutputMode, 4> SGMode{}; // output mode by tone type
    bool SGSwitchPending = false;
    SGSwitchState SGSwitchStateL = kSwitchDone, SGSwitchStateR = kSwitchDone;
    std::array<bool, 4> SGSwitched{};
    std::array<float, 4> SGOut{}; // this frame's output of each generator

    // ---- Backing sound and output filter ------------------------------------

    std::array<float, 9> NoiseXv{}, NoiseYv{}; // noise low-pass, entries 0..4
    std::array<float, 9> FiltLXv{}, FiltLYv{}; // left output low-pass
    std::array<float, 9> FiltRXv{}, FiltRYv{}; // right output low-pass
    float NoiseSample = 0;        // this frame's noise, a fifth of the generator's
    std::array<float, 2> BackOut{}; // this frame's backing value, left and right

    // ---- AudioStrobe carrier and mix ----------------------------------------

    std::int32_t ASCarrierPos = 0; // carrier index into wave table 1, 0..4409
    std::array<float, 2> ASOut{};  // this frame's carriers, left and right

    // ---- Looping wav files and buffers -------------------------------------

    bool ToneWavOpen = false; // this run plays the tone wav
    bool BSWavOpen = false;   // this run plays the backing-sound wav
    WavReader ToneWavFile;
    WavReader BSWavFile;
    /// This buffer's wav samples, left and right interleaved: frame k of the
    /// buffer reads entries 2k and 2k + 1.
    std::array<std::int16_t, kOutBufBytes / 2> ToneWavBuf{};
    std::array<std::int16_t, kOutBufBytes / 2> BSWavBuf{};
    /// The fill's own output buffer (playback and export render into it).
    std::array<std::int16_t, kOutBufBytes / 2> OutBuf{};

private:
    int lastSegment() const;
    void refillWavs(int bytes);
    bool controlBlock();
    void segmentChange();
    void engineSoftEnd();
    void beginSoftEnd(std::int64_t fadeFrames);
    void updatePosition();
    void renderFrames(std::int16_t* frames, int firstFrame);

    // Pulse channels (PulseChannels.cpp).
    void resetPulseChannels();
    void pulseGlideAndIncrements();
    void pulsePhaseChange();
    void pulseEdges();
    void pulseSegmentChange(int prevTone, int tone);
    void pulseDutyChange();
    inline void envelopeFrame();
    inline bool envelopesMoving() const;

    // Sound generators, backing sound and mix: the steps that the frame, the
    // block, the segment change and the reset call. Engine.cpp says where each
    // one runs.
    void soundBufferStart();
    void soundReset();
    void soundBalanceReset();
    void soundSegmentChange(int prevTone);
    void soundBalanceTargets();
    void soundPulseStart(int channel);
    void soundBlockStart();
    void blockSteps();
    void carrierTable();
    inline void soundFrameControl();
    inline void soundFrameBacking(int frame);
    inline void soundFrameMix(int frame, int f, std::int16_t* out);
    inline void frameSamples(ext left, ext right, std::int16_t* out);
    void filteredFrames(std::int16_t* frames);
    inline void notePeak(std::int64_t s);
    inline ext carrierScale() const;

    // Generators.cpp.
    void balanceAutomation();
    void switchSteps();
    void switchSide(int side, SGSwitchState& state);
    void applySwitch(int g);
    void changeSide(int side);
    void startAutomation();
    bool atZeroCrossing(int g) const;
    float& gain(int g);
    void planGenerator(int g);
    void generatorsFrame(int frame);
    template <int g>
    float& gainOf();
    template <int g>
    void pitchStep(ext progress);
    struct PitchPlan;
    float offsetAndFm(const PitchPlan& plan, int side, ext step) const;
    template <int g>
    void outputStep(int frame, ext progress);
    // Backing.cpp.
    void backingFrame(int frame);
    ext heartBeatSample();
    void outputLowPasses(float& left, float& right);

    Session& m_session;
    const ValueTables& m_tables;
    const SegParams& m_params;
    SampleTables& m_samples; // wave tables and heart beat, for the sound generators
    EngineHost* m_host;
    std::int64_t m_segStart = 0; // SegEnd[ActSegment - 1], set at every block
    std::int64_t m_segLen = 1;   // frames of segment ActSegment, at least 1
    PseudoRandom& m_random;
    /// 2^(ModSineTable[i] x FMDepth) for i = 0..999, built for m_fmDepth.
    std::array<float, 1000> m_fmTable{};
    float m_fmDepth = 0;
    bool m_fmBuilt = false;
    /// This block's AM and FM factors by side (0 left, 1 right) and source
    /// (ModPhase, LightPhase[1], LightPhase[2], LightPhase[3]).
    ext m_am[2][4]{};
    float m_fm[2][4]{};
    /// How each generator's step is formed, worked out from its pitch mode and
    /// the tone type whenever either changes (block starts and switches).
    struct PitchPlan {
        std::uint8_t kind = 0; // see Generators.cpp
        std::uint8_t add = 0;  // binaural offset: 0 none, 1 Freq 1, 2 Freq 2
        std::uint8_t fm = 4;   // FM source, 4 none
        std::uint8_t rel = 0;  // the SG1 that a relative step follows
        float base = 0; // every input is a float field
        float slope = 0;
        /// The step is the same in every frame of this block: `step`.
        bool fixed = false;
        float step = 0;
    };
    std::array<PitchPlan, 4> m_pitch{};
    /// Each generator's wave and previous wave (silence for an unset one).
    std::array<const std::int16_t*, 4> m_wave{};
    std::array<const std::int16_t*, 4> m_prevWave{};
    /// Segment 1's over-the-segment balance still needs its length.
    bool m_balanceLenPending = false;

    // ---- What the frames of this block need -------------------------------
    //
    // Worked out at the block start (soundBlockStart) and again after a
    // generator switch, from values that only change between blocks, so the
    // frames skip work whose result they would not use or that would come
    // out the same in every frame.

    /// The pitch plans and waves need working out again: a new buffer, a
    /// segment change (switches re-plan their own generator).
    bool m_planStale = true;
    /// Some frame reads SegProgress, CurFreq1 or CurFreq2 (a pitch glide, a
    /// gliding binaural offset, a wave cross-fade); otherwise the position
    /// is brought up to date in the block's last frame only.
    bool m_positionPerFrame = true;
    /// All four generators play wave x gain, without a cross-fade.
    bool m_plainOutputs = false;
    /// This block's backing sound.
    std::uint8_t m_backing = 0;
    /// This block's extra AM factor of each generator, when the tone has one.
    bool m_hasExtraAm = false;
    ext m_extraAm[4]{};
    /// The carrier's intensity factor, CurIntensity x ASIntensitySpan +
    /// ASZeroLevel, for a block without a volume/intensity ramp.
    bool m_rampBlock = true;
    ext m_carrierScale = 0;
    /// With the output filter on, this block's filter inputs and carriers,
    /// by frame, left and right.
    std::array<std::array<float, 2>, BlockSize> m_filterIn{};
    std::array<std::array<float, 2>, BlockSize> m_filterCarrier{};
    /// Wave table 1 x ASMaxLevel at the indexes the carrier reads, built at
    /// every buffer start: a 16-bit sample times a float is exact in a double.
    /// The carrier index moves in steps of kCarrierStep, so it only reaches
    /// the indexes of its own residue modulo 30; m_carrierSlot is
    /// ASCarrierPos div 30. Unused when ASCarrierPos starts out of range.
    static constexpr int kCarrierSlots = 147;
    std::array<double, kCarrierSlots> m_carrierTable{};
    int m_carrierSlot = 0;
    bool m_carrierTabled = false;

    /// A display text made from a float, kept with the float's bits, so that
    /// a value that did not change since the last block is not formatted
    /// again; the heart-beat period likewise, so that it is not divided again.
    struct CachedText {
        std::uint32_t key = 0;
        bool valid = false;
        std::uint8_t length = 0;
        char chars[32]{};
    };
    CachedText m_hbeatText, m_intensityText, m_volumeText;
    std::array<CachedText, 2> m_freqText;
    struct CachedPeriod {
        std::uint32_t key = 0;
        bool valid = false;
        std::int64_t frames = 0;
    };
    CachedPeriod m_hbeatPeriod; // HBeatPeriod by CurHBeat
};

// Per frame, so these live here to be inlined into the frame loop.

/// Some envelope is rising or falling.
inline bool Engine::envelopesMoving() const
{
    static_assert(kEnvSteady == 0 && sizeof ASEnvState == 4);
    std::uint32_t states;
    std::memcpy(&states, ASEnvState.data(), sizeof states);
    return states != 0;
}

inline void Engine::envelopeFrame()
{
    for (int c = 0; c < kPulseChannels; ++c) {
        switch (ASEnvState[c]) {
        case kEnvRising:
            if (ASEnvCount[c] < ASRampLen)
                ++ASEnvCount[c];
            else
                ASEnvState[c] = kEnvSteady;
            break;
        case kEnvFalling:
            if (ASEnvCount[c] > 0) {
                --ASEnvCount[c];
            } else {
                ASEnvState[c] = kEnvSteady;
                PulseOn[c] = false;
            }
            break;
        default:
            break;
        }
    }
    // A count (exact in float) times the step is one product of two floats,
    // which rounds the same in float as in long double.
    const float step = ASEnvStep;
    ASEnv[0] = static_cast<float>(ASEnvCount[kLightLeft]) * step;
    ASEnv[1] = static_cast<float>(ASEnvCount[kLightRight]) * step;
    GateEnv[0] = static_cast<float>(ASEnvCount[kSoundLeft]) * step;
    GateEnv[1] = static_cast<float>(ASEnvCount[kSoundRight]) * step;
}
