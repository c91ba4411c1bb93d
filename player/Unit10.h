#pragma once

#include <QDialog>

struct PlayerModel;

/// The user wave editor. For now a shell. GUI thread only.
class TForm10 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm10(PlayerModel& model);

    /// Start-up's create step, right after construction.
    void FormCreate();

private:
    PlayerModel& m_model;
};

/// Created once at start-up.
extern TForm10* Form10;
