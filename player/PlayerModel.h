#pragma once

#include <memory>
#include <string>

#include "engine/Engine.h"
#include "engine/SampleTables.h"
#include "engine/SegParams.h"
#include "engine/SegmentOps.h"
#include "engine/Session.h"
#include "engine/ValueTables.h"
#include "player/PlayerFolders.h"

/// What the player's windows share: the value and sample tables, the open
/// session with its per-segment values, the engine that plays it, and the
/// folders. One instance lives from start-up to exit and outlives every
/// window; windows hold a reference. Tests build one with synthetic tables.
/// GUI thread only.
struct PlayerModel {
    ValueTables Tables;
    std::unique_ptr<SampleTables> Samples = std::make_unique<SampleTables>();
    std::unique_ptr<Session> Ses = std::make_unique<Session>();
    std::unique_ptr<SegParams> Params = std::make_unique<SegParams>();
    std::unique_ptr<Engine> Eng = std::make_unique<Engine>(*Ses, Tables, *Params, *Samples);
    /// The editors' segment clipboard; New and Open keep it.
    SegmentClipboard SegClipboard;
    PlayerFolders Folders;
    std::string AppDir;       // program folder, no trailing "/"
    std::string UserWavesDir; // AppDir + "/User_Waves/"

    /// Clears the wav flags, recomputes every segment and the session length.
    void recompute() { RecomputeSession(*Ses, Tables, *Params); }
};
