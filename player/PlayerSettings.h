#pragma once

#include <cstdint>
#include <string>

#include "player/PlayerFolders.h"

class Settings;

/// A stored coordinate or size that was never written: the window takes its
/// own default instead.
constexpr std::int32_t kNotSet = 9999;

/// A window's stored place: the frame's left and top, in pixels.
struct StoredPos {
    std::int32_t Left = kNotSet;
    std::int32_t Top = kNotSet;
    bool operator==(const StoredPos&) const = default;
};

/// A window's stored place and client size, in pixels.
struct StoredBounds {
    std::int32_t Left = kNotSet;
    std::int32_t Top = kNotSet;
    std::int32_t Width = kNotSet;
    std::int32_t Height = kNotSet;
    bool operator==(const StoredBounds&) const = default;
};

/// The windows that open at start-up ("Open Up When Program Starts").
struct StartWindows {
    bool Spreadsheet = false;     // F3Show
    bool PlaybackControl = false; // F7Show
    bool GraphicEditor = false;   // F8Show
    bool ShowWindow = true;       // F11Show
    bool operator==(const StartWindows&) const = default;
};

/// Everything the session player keeps between runs, as plain values. The
/// members' initial values are the defaults that depend on no control; the
/// slider positions, the check boxes, the main window's centred place and the
/// spreadsheet editor's design bounds come from the controls (see
/// readPlayerSettings). Slider values are as read: only the slider's own range
/// makes them safe, so they reach the engine through the slider alone.
struct PlayerSettings {
    PlayerFolders Folders;
    std::string AppDir; // written only, without a trailing "/"

    StoredPos MainPos;                  // F1x, F1y
    StoredBounds SpreadsheetBounds;     // F3x, F3y, F3w, F3h
    bool SpreadsheetMaximized = false;  // F3m
    StoredBounds GraphEdBounds;         // F8x, F8y, F8w, F8h
    bool GraphEdMaximized = false;      // F8m
    bool ShowSegs = true;               // F8SS
    bool ShowGrid = true;               // F8SG
    bool ShowAll = false;               // F8SA
    bool AutoRefresh = false;           // F8AR
    StoredPos PlayCtlPos;               // F7x, F7y
    StoredPos ShowWinPos{0, 0};         // F11x, F11y
    StartWindows ShowAtStart;           // F3Show, F7Show, F8Show, F11Show

    bool RememberRecentFolders = false; // F4ChB1
    bool OutputFilter = false;          // AOF
    bool IgnoreSourceWavs = false;      // ISWFs
    bool IgnoreUserWaves = false;       // IUWs
    bool IgnoreDepthsAndBacking = false; // IAMDBS

    std::int32_t SoftStart = 10;      // F4TrB3, seconds
    std::int32_t SoftEnd = 20;        // F4TrB5, seconds
    std::int32_t BufferSize = 8;      // F4TrB1, x 16 KB
    std::int32_t StartDelay = 0;      // F4TrB2, x 10 s
    std::int32_t ZeroLevel = 0;       // F4TrB4
    std::int32_t RecordingLevel = 23; // F4TrB6
    std::int32_t PlayingLevel = 23;   // F4TrB7
    std::int32_t Preset = 0;          // F4RadGr1: 0 AudioStrobe, 1 Manual

    bool operator==(const PlayerSettings&) const = default;
};

/// Reads every value but "AppDir". A value that is missing or damaged takes
/// its default from `defaults`; the folders take theirs below `appDir` (the
/// program folder without a trailing "/", copied into AppDir) by the folder
/// rule of Settings::readFolder. A preset number outside 0..1 names none
/// and reads as 0 (AudioStrobe).
PlayerSettings readPlayerSettings(const Settings& settings, const std::string& appDir,
                                  const PlayerSettings& defaults);

/// Writes all 44 values; the caller syncs. Values of other programs and keys
/// this one does not know stay in the file.
void writePlayerSettings(Settings& settings, const PlayerSettings& values);
