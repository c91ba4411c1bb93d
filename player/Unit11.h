#pragma once

#include <QDialog>

struct PlayerModel;

/// The "Show Window" launcher. For now a shell; its create step will open the
/// windows the settings mark for start-up. GUI thread only.
class TForm11 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm11(PlayerModel& model);

    /// Start-up's create step, right after construction.
    void FormCreate();

private:
    PlayerModel& m_model;
};

/// Created once at start-up.
extern TForm11* Form11;
