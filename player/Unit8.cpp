#include "player/Unit8.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "dialogs/Version.h"
#include "player/Sonavisp.h"
#include "player/Unit7.h"
#include "player/WindowPlace.h"

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
    if (Form7)
        placeFromSettings(Form7->GraphEdBounds);
    if (Form1)
        Form1->OpenSessionWhenRun();
}

void TForm8::placeFromSettings(const StoredBounds& stored)
{
    if (stored.Width != kNotSet && stored.Width > 0 && stored.Height > 0) {
        // A size larger than the whole desktop comes from a damaged file; the
        // window would have no edge left to grab.
        QSize size(stored.Width, stored.Height);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            size = size.boundedTo(screen->availableVirtualGeometry().size());
        resize(size);
    }
    placeWindow(this, {stored.Left, stored.Top}, centredPlace(this));
}
