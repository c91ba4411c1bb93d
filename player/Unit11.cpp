#include "player/Unit11.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

#include "dialogs/DialogKit.h"
#include "dialogs/Glyphs.h"
#include "player/Sonavisp.h"
#include "player/Unit10.h"
#include "player/Unit4.h"
#include "player/Unit7.h"
#include "player/WindowPlace.h"

TForm11* Form11 = nullptr;

TForm11::TForm11(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Show Window"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QPalette red = palette();
    red.setColor(QPalette::Window, QColor(0xFF, 0, 0));
    setPalette(red);
    setAutoFillBackground(true);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(2);
    const struct {
        QPushButton*& button;
        const char* name;
        QIcon glyph;
        const char* action;
        void (TForm11::*click)();
    } buttons[] = {
        {BitBtn1, "BitBtn1", mainWindowGlyph(), "Main Window", &TForm11::BitBtn1Click},
        {BitBtn2, "BitBtn2", spreadsheetGlyph(), "Spreadsheet Editor", &TForm11::BitBtn2Click},
        {BitBtn3, "BitBtn3", graphGlyph(), "Graphic Editor", &TForm11::BitBtn3Click},
        {BitBtn4, "BitBtn4", playGlyph(), "Playback Control", &TForm11::BitBtn4Click},
        {BitBtn5, "BitBtn5", waveGlyph(), "User Wave Editor", &TForm11::BitBtn5Click},
        {BitBtn6, "BitBtn6", propertiesGlyph(), "Session Properties", &TForm11::BitBtn6Click},
    };
    for (const auto& b : buttons) {
        b.button = dialogGlyphButton(this, b.name, b.glyph, QString::fromLatin1(b.action));
        row->addWidget(b.button);
        connect(b.button, &QPushButton::clicked, this, b.click);
    }
    row->setSizeConstraint(QLayout::SetFixedSize);
    // Sized now, not at the first show: the stored place is checked against
    // the screens with this size.
    row->activate();
}

void TForm11::FormCreate()
{
    if (!Form7)
        return;
    // placeWindow already falls back to the corner when the stored place lies
    // off every screen, where an always-on-top window could not be reached.
    placeWindow(this, Form7->ShowWinPos, {0, 0});
    ShowFormsOnStart();
}

void TForm11::ShowFormsOnStart()
{
    if (!Form4 || !Form7)
        return;
    // The boxes have no handlers: they only decide what the exit writes back.
    const StartWindows& open = Form7->ShowAtStart;
    Form4->CheckBox2->setChecked(open.Spreadsheet);
    if (open.Spreadsheet)
        BitBtn2Click();
    Form4->CheckBox7->setChecked(open.PlaybackControl);
    if (open.PlaybackControl)
        BitBtn4Click();
    Form4->CheckBox3->setChecked(open.GraphicEditor);
    if (open.GraphicEditor)
        BitBtn3Click();
    Form4->CheckBox4->setChecked(open.ShowWindow);
    if (open.ShowWindow)
        showWindow(this);
}

void TForm11::BitBtn1Click()
{
    showWindow(Form1);
}

void TForm11::BitBtn2Click()
{
    if (Form1)
        Form1->ShowEditor();
}

void TForm11::BitBtn3Click()
{
    if (Form1)
        Form1->ShowGraphicalEditor();
}

void TForm11::BitBtn4Click()
{
    showWindow(Form7);
}

void TForm11::BitBtn5Click()
{
    if (!Form10)
        return;
    Form10->setWindowState(Form10->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    showWindow(Form10);
}

void TForm11::BitBtn6Click()
{
    if (Form1)
        Form1->Properties1Click();
}

void TForm11::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}
