#include "player/Unit11.h"

#include <QCheckBox>

#include "dialogs/DialogKit.h"
#include "player/Sonavisp.h"
#include "player/Unit4.h"
#include "player/Unit7.h"
#include "player/WindowPlace.h"

TForm11* Form11 = nullptr;

TForm11::TForm11(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Show Window"));
}

void TForm11::FormCreate()
{
    if (!Form7)
        return;
    placeWindow(this, Form7->ShowWinPos, {0, 0});
    ShowFormsOnStart();
}

void TForm11::ShowFormsOnStart()
{
    if (!Form4 || !Form7)
        return;
    const StartWindows& open = Form7->ShowAtStart;
    Form4->CheckBox2->setChecked(open.Spreadsheet);
    if (open.Spreadsheet && Form1)
        Form1->ShowEditor();
    Form4->CheckBox7->setChecked(open.PlaybackControl);
    if (open.PlaybackControl)
        showWindow(Form7);
    Form4->CheckBox3->setChecked(open.GraphicEditor);
    if (open.GraphicEditor && Form1)
        Form1->ShowGraphicalEditor();
    Form4->CheckBox4->setChecked(open.ShowWindow);
    if (open.ShowWindow)
        showWindow(this);
}
