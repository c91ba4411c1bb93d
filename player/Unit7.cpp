#include "player/Unit7.h"

#include <QLabel>

TForm7* Form7 = nullptr;

namespace {

QLabel* caption(QWidget* parent, const QString& text, int y)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(8, y, 150, 16);
    return l;
}

QLabel* value(QWidget* parent, const char* name, int y)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(162, y, 70, 16);
    l->setAutoFillBackground(true);
    QPalette white = l->palette();
    white.setColor(QPalette::Window, Qt::white);
    l->setPalette(white);
    return l;
}

} // namespace

TForm7::TForm7(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Session Playback Control"));
    caption(this, QStringLiteral("Current segment playing:"), 8);
    caption(this, QStringLiteral("Session time:"), 28);
    caption(this, QStringLiteral("Current segment time:"), 48);
    Label4 = value(this, "Label4", 8);
    Label5 = value(this, "Label5", 28);
    Label6 = value(this, "Label6", 48);
}

void TForm7::FormCreate() {}
