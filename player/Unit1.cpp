#include "player/Unit1.h"

#include "dialogs/Version.h"
#include "engine/Session.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit2.h"
#include "player/UserWaveLists.h"

#include <QLabel>
#include <QLineEdit>
#include <QSlider>

TForm3* Form3 = nullptr;

TForm3::TForm3(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QString::fromLatin1(kVersionedTitle) + QStringLiteral(" - Spreadsheet Editor"));
    resize(640, 490);
}

void TForm3::FormCreate() {}

void TForm3::NewProc()
{
    Session& ses = *m_model.Ses;
    ses.Segments.fill(TSegRec{});
    ses.Segments[1] = m_model.Tables.DefaultSegment;
    ses.SessionName.clear();
    ses.SessionDescription.clear();
    if (Form2) {
        Form2->setSessionName({});
        Form2->setSessionDescription({});
    }
    ses.SesFileName.clear();
    ses.SegCount = 1;
    if (Form1) {
        TForm1& main = *Form1;
        main.setWindowTitle(QString::fromLatin1(kVersionedTitle) + QStringLiteral(" - []"));
        TForm1::SetPosition(main.TrackBar1, 10);
        main.Label42->setText(QStringLiteral("1.0"));
        main.Edit1->clear();
        main.Edit3->clear();
        main.ToneWavName.clear();
        main.BSWavName.clear();
        main.userWaves().ResetToSine();
        TForm1::SetPosition(main.TrackBar2, 50);
        main.TrackBar2Change();
        TForm1::SetPosition(main.TrackBar5, 20);
        main.TrackBar5Change();
        TForm1::SetPosition(main.TrackBar4, 50);
        main.TrackBar4Change();
        TForm1::SetPosition(main.TrackBar3, 50);
        main.TrackBar3Change();
    }
    m_model.recompute();
    if (Form1) {
        Form1->CompActSesLength();
        Form1->FillLabels();
    }
    ses.SesModified = false;
}

void TForm3::Save1Click()
{
    if (m_model.Ses->SesFileName.empty())
        SaveAsProc();
    else
        SaveProc();
}

bool TForm3::SaveProc()
{
    return false;
}

bool TForm3::SaveAsProc()
{
    return false;
}

void TForm3::ImportPsxProc() {}
void TForm3::ImportMlpProc() {}
