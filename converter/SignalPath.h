#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/AudioStrobe.h"

/// Where the signal path reads its source audio: 16-bit little-endian stereo
/// frames, one call per block. Implemented by the wav reader.
class SourceReader {
public:
    virtual ~SourceReader() = default;
    /// Reads up to `bytes` bytes into `dst`. Returns the bytes read (fewer only
    /// at the end of the data), or a negative number when the read failed.
    virtual std::int32_t read(std::uint8_t* dst, std::int32_t bytes) = 0;
};

/// The converter's signal path: per channel a band-pass, beat detection
/// against an adaptive maximum, a light envelope, and a 19 200 Hz AudioStrobe
/// carrier added to that channel's music. Holds the data model; the main
/// window owns one instance and forwards its sliders and producer to it.
/// GUI thread only: the producer runs from the wave output component's
/// notifications, the setters from the same event loop.
///
/// Inputs are slider positions. Each setter clamps to its slider's range,
/// recomputes at once (effective from the next frame) and rewrites its label.
class SignalPath {
public:
    using Frames = std::int64_t; // signed: differences stay valid

    static constexpr std::int32_t kSineLen = 4410;
    static constexpr std::int32_t kSineFileBytes = 2 * kSineLen;
    /// Largest block in bytes: half of SampleBuffer.
    static constexpr std::int32_t kMaxBlockBytes = 65536;
    static constexpr const char* kSineFile = "Sine.pcm";

    enum Side : int { kLeft = 0, kRight = 1 };

    /// Where a channel's beat trigger stands.
    enum TriggerStates : std::int32_t {
        kArmed = 0,       // the next peak above the trigger fraction fires
        kOnDuration = 1,  // the light holds; a higher peak raises it further
        kRetrigDelay = 2, // only a peak above 1.2 x the last one fires again
    };

    /// What a channel's light envelope is doing.
    enum LightStates : std::int32_t {
        kSteady = 0,
        kRising = 1,
        kFalling = 2,
        kRisingThenFalling = 3, // the hold ended during the rise: fall when it completes
    };

    /// The fields of one channel; the path holds two, L and R.
    struct Channel {
        // band-pass coefficients and state
        float FilterGain = 1, A1 = 0, A2 = 0, B1 = 0, B2 = 0;
        float FilterZ1 = 0, FilterZ2 = 0;
        float CenterFreq = 0, BandWidth = 0; // Hz
        float FilteredLevel = 1;             // detection gain
        // adaptive maximum
        float DynMax = 1000;
        float DRPeak = 0;         // largest detection value in the running interval
        std::int32_t DRCount = 0; // frames counted in the running interval
        float LightScale = 0;     // log2(DynMax) * 0.07 / DynMax
        // trigger
        float TriggerFraction = 0.5f;  // (100 - trigger level) / 100
        TriggerStates TriggerState = kArmed;
        std::int32_t TriggerCount = 0; // frames since the trigger, runs on through state 2
        float TriggerPeak = 0;         // detection value of the last (re)trigger
        // light envelope
        LightStates LightState = kSteady;
        float LightLevel = 0;        // nominally 0..1; may sit one step below 0 after a fall
        float LightTarget = 0;       // 0 when no rise runs
        std::int32_t RampSteps = 0;  // rise steps left
    };

    /// Slider positions and the label texts they produce, per channel.
    /// L: Label6, Label13, Label2, Label8; R: Label14, Label15, Label9, Label16.
    struct ChannelControls {
        std::int32_t CenterPos = 142;  // TrackBar4 / TrackBar9, 80..1000
        std::int32_t BandPos = 50;     // TrackBar8 / TrackBar10, 1..400
        std::int32_t LevelPos = 100;   // TrackBar7 / TrackBar12, 0..1000
        std::int32_t TriggerPos = 50;  // TrackBar6 / TrackBar11, 0..100
        std::string CenterLabel, BandLabel, LevelLabel, TriggerLabel;
    };

    /// Everything the window shows of the path's inputs.
    struct Controls {
        std::int32_t GainPos = 100;       // TrackBar1, 0..300; Label3
        std::int32_t OnDurationPos = 0;   // TrackBar2, 0..495; Label4
        std::int32_t RetrigDelayPos = 0;  // TrackBar5, 0..1000; Label7
        std::int32_t IntervalPos = 5;     // TrackBar13, 1..20; Label10
        std::int32_t PlayingASLevelPos = kAudioStrobePresetLevel; // options "Playing - AS Max Level", 0..100
        bool Mix = false;          // CheckBox4 "Mix L&R Channels"
        bool HearFiltered = false; // CheckBox3 "Hear Filtered Signal"
        std::string GainLabel, OnDurationLabel, RetrigDelayLabel, IntervalLabel;
        std::string PlayingASLevelLabel; // the options dialog's Label11
        std::array<ChannelControls, 2> Ch;
    };

    /// Starts at the sliders' default positions with everything derived from
    /// them; the carrier table is silent until one is loaded or handed in.
    SignalPath();
    SignalPath(const SignalPath&) = delete;
    SignalPath& operator=(const SignalPath&) = delete;

    /// Loads the carrier table from "Sine.pcm" in the folder. Throws IoError
    /// when the file is missing, unreadable or not exactly 8820 bytes; the
    /// table in use changes only on success.
    void LoadSineTable(const std::string& folder);
    void SetSineTable(const std::array<std::int16_t, kSineLen>& table) { SineTable = table; }

    // Slider and check-box inputs.
    void SetInputGain(std::int32_t pos);   // TrackBar1
    void SetOnDuration(std::int32_t pos);  // TrackBar2
    void SetRetrigDelay(std::int32_t pos); // TrackBar5
    void SetCenterFreq(Side side, std::int32_t pos);    // TrackBar4 / TrackBar9
    void SetBandWidth(Side side, std::int32_t pos);     // TrackBar8 / TrackBar10
    void SetFilteredLevel(Side side, std::int32_t pos); // TrackBar7 / TrackBar12
    void SetTriggerLevel(Side side, std::int32_t pos);  // TrackBar6 / TrackBar11
    void SetDRInterval(std::int32_t pos);  // TrackBar13
    /// The options dialog's "Playing - AS Max Level" slider: stores the
    /// position, rewrites its label and applies the level to the carrier.
    void SetPlayingASLevel(std::int32_t pos);
    void SetMix(bool on) { m_controls.Mix = on; }
    /// Read by the producer once per block.
    void SetHearFiltered(bool on) { m_controls.HearFiltered = on; }
    const Controls& controls() const { return m_controls; }

    /// The options dialog's level handler, also used for the recording level:
    /// sets ASLevel, ASRampSteps, ASRampUp and ASRampDown from a position
    /// 0..100 through the rule both programs share (audioStrobeLevel, without
    /// the player's minimum ramp). Leaves ProgramScale alone, so a live change
    /// alters only the carrier. Level 0 takes steps of 1 so that rises end at
    /// once.
    void SetASLevel(std::int32_t pos);

    /// Resets the path before a run (play or render) with the given AudioStrobe
    /// level position: MuteFilters, InitVars, the level, ProgramScale.
    void ResetRun(std::int32_t asLevelPos);
    void MuteFilters();
    void InitVars();
    void CompBPCoefs(Channel& ch);
    void ReCompGain();
    void ReCompLevelOfFS();
    void ReCompSensitivity();
    void RedrawLightOffSpeed();
    void RedrawLightRetrigDelay();
    void RedrawLabels();

    /// The source the blocks are read from; not owned, must outlive the run.
    void SetSource(SourceReader* source) { m_source = source; }

    /// Computes Size bytes (Size / 4 frames) of output into `Output` and of the
    /// monitoring signal into FilteredBuffer, reading as many bytes from the
    /// source. Size is first clamped to 0..65536 whole frames. Returns False
    /// when the source is exhausted: Size is then shortened to the frames
    /// left (0 when none). A failed or short read processes the whole frames
    /// read, shortens Size to them, sets ReadFailed and returns False.
    /// Never throws.
    bool ComputeOutPut(std::int16_t* Output, std::int32_t& Size);

    /// The wave output component's producer. Delivers the output block, or
    /// the monitoring signal while "Hear Filtered Signal" is checked. The
    /// shortened last block is delivered with True; the next call ends the
    /// run: Playing False, the end-of-run hook once, False from then on.
    bool AudioOut1FillBuffer(std::uint8_t* Buffer, std::int32_t& Size);

    /// A seek during a run: `framesLeft` frames are left to read from where
    /// the source now stands. Withdraws an end of run the producer was about
    /// to take after a shortened last block, since frames are left again.
    /// Filter, trigger and light state carry on.
    void Reposition(Frames framesLeft);

    /// Called once when the producer ends a run (the window closes the source
    /// and restores its controls).
    std::function<void()> OnRunEnd;

    /// The second half of SampleBuffer, where the producer computes its blocks.
    std::int16_t* OutputBlock() { return SampleBuffer.data() + kMaxBlockBytes / 2; }

    // The data model. Written by the routines above; the transport sets
    // FramesLeft, TotalFrames and Playing, the display reads the rest.
    std::array<std::int16_t, kSineLen> SineTable{};
    std::array<std::int16_t, kMaxBlockBytes> SampleBuffer{}; // input half, output half
    std::array<std::int16_t, kMaxBlockBytes / 2> FilteredBuffer{};
    Channel L, R;
    float InputGain = 1;
    std::int32_t DRInterval = 0;     // frames
    float OnDurationSamples = 0;     // frames
    float RetrigDelaySamples = 0;    // frames
    float ASLevel = 0;               // carrier amplitude as a fraction of the table
    std::int32_t ASRampSteps = 0;    // frames of a full rise or fall
    float ASRampUp = 1, ASRampDown = 1; // level change per frame
    float ProgramScale = 1;          // gain of the music in the output
    std::int32_t CarrierIndex = 0, CarrierIndexPrev = 0;
    /// Largest |output| since last cleared, taken before saturation, so it
    /// exceeds 32767 when the output clipped.
    float OutputPeak = 0;
    Frames FramesLeft = 0, FramesDone = 0, TotalFrames = 0;
    bool Playing = false;
    /// Set when a read failed or came short during the run; cleared by InitVars.
    bool ReadFailed = false;

    Channel& channel(Side side) { return side == kLeft ? L : R; }
    const Channel& channel(Side side) const { return side == kLeft ? L : R; }

private:
    void ReCompDRInterval();
    void ReCompBand(Side side);
    void EndRun();
    void ProcessFrames(const std::int16_t* in, std::int16_t* out, std::int32_t frames);

    Controls m_controls;
    SourceReader* m_source = nullptr; // not owned: the transport outlives the run
    bool m_lastBlockDelivered = false; // the producer ends the run on its next call
};
