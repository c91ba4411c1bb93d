#pragma once

#include <QMainWindow>

struct PlayerModel;
struct StoredBounds;

/// The graphic editor. For now a shell whose create step opens the start-up
/// session, as the finished window does. GUI thread only.
class TForm8 final : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm8(PlayerModel& model);

    /// Start-up's create step, right after construction: takes the start
    /// bounds the playback control read from the settings, then opens the
    /// session named on the command line, or a new one.
    void FormCreate();

private:
    /// The stored client size when one is stored, then the stored place, or
    /// centred on the screen.
    void placeFromSettings(const StoredBounds& stored);

    PlayerModel& m_model;
};

/// Created once at start-up.
extern TForm8* Form8;
