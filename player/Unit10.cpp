#include "player/Unit10.h"

TForm10* Form10 = nullptr;

TForm10::TForm10(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Lumisonorium SW - User Wave Editor"));
}

void TForm10::FormCreate() {}
