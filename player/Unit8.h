#pragma once

#include <QMainWindow>

struct PlayerModel;

/// The graphic editor. For now a shell whose create step opens the start-up
/// session, as the finished window does. GUI thread only.
class TForm8 final : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm8(PlayerModel& model);

    /// Start-up's create step, right after construction: opens the session
    /// named on the command line, or a new one.
    void FormCreate();

private:
    PlayerModel& m_model;
};

/// Created once at start-up.
extern TForm8* Form8;
