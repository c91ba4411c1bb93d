#include "player/Unit11.h"

TForm11* Form11 = nullptr;

TForm11::TForm11(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Show Window"));
}

void TForm11::FormCreate() {}
