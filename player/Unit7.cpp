#include "player/Unit7.h"

TForm7* Form7 = nullptr;

TForm7::TForm7(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Session Playback Control"));
}

void TForm7::FormCreate() {}
