#include "Unit13.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QShowEvent>

#include "DialogKit.h"
#include "Version.h"

TForm13* Form13 = nullptr;

// The picture lives in this static library's resources, which the linker
// would drop unless something refers to them. (Not in a namespace: the macro
// declares a global function.)
static void loadResources()
{
    Q_INIT_RESOURCE(dialogs);
}

QIcon programIcon()
{
    loadResources();
    return QIcon(QStringLiteral(":/dialogs/AboutPicture.png"));
}

TForm13::TForm13()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    loadResources();
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("About ") + QLatin1String(kProductName));
    setPixelFont(this, 11);
    setFixedSize(300, 84);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(12, 12, 32, 32);
    Image1->setPixmap(QPixmap(QStringLiteral(":/dialogs/AboutPicture.png")));

    Label1 = new QLabel(QLatin1String(kProductName), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    setPixelFont(Label1, 24, true, QStringLiteral("Arial"));
    Label1->setGeometry(56, 6, 236, 30);
    // Where the face falls back to a wider one the name must still show whole.
    shrinkToFit(Label1);

    Label2 = new QLabel(QLatin1String(kVersionText), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    setPixelFont(Label2, 16, false, QStringLiteral("Arial"));
    Label2->setGeometry(58, 38, 234, 20);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Raised);
    Bevel1->setGeometry(8, 68, 284, 2);
}

void TForm13::showEvent(QShowEvent* e)
{
    if (!e->spontaneous())
        centreOnScreen(this);
    QDialog::showEvent(e);
}
