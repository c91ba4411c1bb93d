#include "player/Unit8.h"

#include "dialogs/Version.h"
#include "player/Sonavisp.h"

TForm8* Form8 = nullptr;

TForm8::TForm8(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QString::fromLatin1(kVersionedTitle) + QStringLiteral(" - Graphic Editor"));
    resize(640, 500);
}

void TForm8::FormCreate()
{
    if (Form1)
        Form1->OpenSessionWhenRun();
}
