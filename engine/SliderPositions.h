#pragma once

#include "platform/AudioStrobe.h"

/// The slider positions that a fresh window, a new session and the engine's
/// own start values share. The engine turns every position into its values
/// (Engine::setAMDepthPos and the calls beside it); the windows only place
/// their sliders here and write their labels.

// The main window's session sliders, each 0..100 (the session file stores them).
constexpr int kDefaultAMDepthPos = 50;      // AM depth
constexpr int kDefaultFMDepthPos = 20;      // FM depth
constexpr int kDefaultToneBackingPos = 50;  // tone / backing-sound balance
constexpr int kDefaultHeartBeatWavPos = 50; // heart beat / backing-sound wav balance
// Session length x 1.0 (slider 1..50, tenths); not stored with the session.
constexpr int kDefaultLengthFactorPos = 10;

// The options dialog's sliders that set engine values.
constexpr int kDefaultSoftStartSecs = 10;                    // 0..60
constexpr int kDefaultSoftEndSecs = 20;                      // 0..60
constexpr int kDefaultASLevelPos = kAudioStrobePresetLevel;  // playing and recording, 0..100
constexpr int kDefaultASZeroLevelPos = 0;                    // 0..100
