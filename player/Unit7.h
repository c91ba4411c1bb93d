#pragma once

#include <QDialog>

struct PlayerModel;

/// The playback control window. For now a shell: the window and the start-up
/// settings it carries for other windows. GUI thread only.
class TForm7 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(PlayerModel& model);

    /// Start-up's create step, right after construction; reads the settings.
    void FormCreate();

    /// The graphic editor opens maximized (read from the settings).
    bool GraphEdMaximized = false;

private:
    PlayerModel& m_model;
};

/// Created once at start-up.
extern TForm7* Form7;
