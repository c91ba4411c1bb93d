// The spreadsheet editor's structural edits: a new session and the Segment
// menu (Add New, Insert, Delete, Cut, Copy, Paste). The records change in the
// engine's segment operations; the one grid model tells both editors' grids,
// which put their current cells back by themselves (EditorGrid). The graphic
// editor runs these same methods.

#include "player/Unit1.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <algorithm>
#include <span>

#include "engine/SegmentOps.h"
#include "engine/Session.h"
#include "platform/Prompts.h"
#include "player/EditorGrid.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/SegmentGridModel.h"
#include "player/Sonavisp.h"
#include "player/Unit2.h"
#include "player/Unit7.h"
#include "player/UserWaveLists.h"

namespace {

const char kClipboardFull[] = "At most 500 segments can be copied at once.";

/// Whether `added` more segments fit; says why not when they do not.
bool roomFor(const Session& ses, int added)
{
    if (fitsSession(ses, added))
        return true;
    prompts().information(QStringLiteral("A session holds at most 2000 segments."));
    return false;
}

/// A main-window slider set from code, followed by its handler.
struct SliderReset {
    QSlider* TForm1::*bar;
    int position;
    void (TForm1::*handler)();
};

// New's order: the handlers mark the session modified, which New clears last.
const SliderReset kNewSliders[] = {
    {&TForm1::TrackBar2, 50, &TForm1::TrackBar2Change},
    {&TForm1::TrackBar5, 20, &TForm1::TrackBar5Change},
    {&TForm1::TrackBar4, 50, &TForm1::TrackBar4Change},
    {&TForm1::TrackBar3, 50, &TForm1::TrackBar3Change},
};
// An import keeps the FM depth.
const SliderReset kImportSliders[] = {
    {&TForm1::TrackBar2, 50, &TForm1::TrackBar2Change},
    {&TForm1::TrackBar4, 50, &TForm1::TrackBar4Change},
    {&TForm1::TrackBar3, 50, &TForm1::TrackBar3Change},
};

} // namespace

// ---- A whole session ----------------------------------------------------------------

void TForm3::NewProc()
{
    // The menus are locked while a run is under way; a shortcut that slipped
    // through must not replace the session under the engine.
    if (PlaybackLock::locked())
        return;
    const bool asked = m_model.Ses->SesModified;
    if (!SaveBefore(QStringLiteral("Session has been modified. Save it?")))
        return;
    if (asked)
        graphicEditor().resetZoom();
    SessionImage image;
    image.Records = {m_model.Tables.DefaultSegment};
    ReplaceSession(image, ReplaceKind::New);
    // A reset zoom takes effect in the geometry first.
    graphicEditor().RecalcImage1Params();
    graphicEditor().DrawImage();
}

void TForm3::ReplaceSession(const SessionImage& image, ReplaceKind kind)
{
    Session& ses = *m_model.Ses;
    const int given = static_cast<int>(std::min<std::size_t>(image.Records.size(), kMaxSegments));
    m_grid->resetSession([&] {
        ses.Segments.fill(TSegRec{});
        std::copy_n(image.Records.begin(), given, ses.Segments.begin() + 1);
        ses.SegCount = std::max(given, 1);
    });

    // An import's name is one the user never chose: its first save asks
    // before it replaces a file there.
    nameSession(ses, image.FileName, kind != ReplaceKind::Import);
    ses.SessionName = image.SessionName;
    ses.SessionDescription = image.SessionDescription;
    if (Form2) {
        Form2->setSessionName(ses.SessionName);
        Form2->setSessionDescription(ses.SessionDescription);
    }
    if (Form1) {
        TForm1::SetPosition(Form1->TrackBar1, 10);
        Form1->Label42->setText(QStringLiteral("1.0"));
    }
    SesTimeComp(1);

    if (Form1) {
        TForm1& main = *Form1;
        main.Edit1->clear();
        main.Edit3->clear();
        main.ToneWavName.clear();
        main.BSWavName.clear();
        // The slots too, not only the lists: a wave choice of 16..19 would
        // otherwise play the previous session's user waves.
        main.userWaves().ResetToSine();
        const std::span<const SliderReset> sliders =
            kind == ReplaceKind::New ? std::span<const SliderReset>(kNewSliders) : kImportSliders;
        for (const SliderReset& slider : sliders) {
            TForm1::SetPosition(main.*slider.bar, slider.position);
            (main.*slider.handler)();
        }
    }

    m_model.recompute();
    if (Form1) {
        Form1->CompActSesLength();
        Form1->FillLabels();
    }
    if (kind == ReplaceKind::New) {
        ses.SesModified = false;
        return;
    }
    if (Form7)
        Form7->SetStartSeg(1);
    // Moved as the user would move it: the graphic editor and the playback
    // start segment follow.
    StringGrid1->setCurrentCell(1, 1);
    GraphicEditorLink& graph = graphicEditor();
    graph.resetZoom();
    graph.RecalcImage1Params();
    graph.DrawImage();
    if (Form1)
        Form1->TrackBar1->setEnabled(true);
    ses.SesModified = true;
}

// ---- Segment operations ------------------------------------------------------------

int TForm3::ClipCount() const
{
    return m_model.SegClipboard.Count;
}

bool TForm3::AddNewSeg()
{
    Session& ses = *m_model.Ses;
    if (PlaybackLock::locked())
        return false;
    if (!roomFor(ses, 1))
        return false;
    const TSegRec fill = m_model.Tables.DefaultSegment;
    m_grid->insertSegments(ses.SegCount + 1, 1, [&] { AppendDefault(ses, fill); });
    {
        // Its selection handler posts the notification and shows the new
        // segment's start time; only the mirroring is left out.
        const SyncGuard moving(SkipSync);
        StringGrid1->setCurrentCell(ses.SegCount, StringGrid1->currentRow());
    }
    ses.SesModified = true;
    return true;
}

void TForm3::InsertProc()
{
    Session& ses = *m_model.Ses;
    if (PlaybackLock::locked())
        return;
    if (!roomFor(ses, 1))
        return;
    const int cur = std::clamp(StringGrid1->currentSegment(), 1, ses.SegCount);
    const TSegRec fill = m_model.Tables.DefaultSegment;
    m_grid->insertSegments(cur, 1, [&] { InsertDefault(ses, cur, fill); });
    SesTimeComp(cur);
    ses.SesModified = true;
    graphicEditor().DrawImage();
}

void TForm3::DeleteProc()
{
    Session& ses = *m_model.Ses;
    if (PlaybackLock::locked())
        return;
    const GridRect sel = StringGrid1->selectionRect();
    const int left = std::max(sel.left, 1);
    const int right = std::min(sel.right, ses.SegCount);
    if (right < left)
        return;
    const int count = right - left + 1;
    const TSegRec fill = m_model.Tables.DefaultSegment;
    const auto remove = [&] { DeleteRange(ses, left, right, fill); };
    if (count < ses.SegCount) {
        m_grid->removeSegments(left, count, remove);
    } else {
        // Everything goes: column 1 stays, with a default segment in it.
        if (ses.SegCount > 1)
            m_grid->removeSegments(2, ses.SegCount - 1, remove);
        else
            remove();
        RefreshSegment(1);
    }
    SesTimeComp(1);
    graphicEditor().DrawImage();
    ses.SesModified = true;
}

bool TForm3::CopyProc()
{
    if (PlaybackLock::locked())
        return false;
    const GridRect sel = StringGrid1->selectionRect();
    if (!fitsClipboard(sel.left, sel.right)) {
        prompts().information(QString::fromLatin1(kClipboardFull));
        return false;
    }
    if (!CopyRange(*m_model.Ses, sel.left, sel.right, m_model.SegClipboard))
        return false;
    lockCommands(PlaybackLock::locked());
    graphicEditor().enablePaste();
    return true;
}

bool TForm3::CutProc()
{
    // Without a copy the segments would be gone for good.
    if (!CopyProc())
        return false;
    DeleteProc();
    return true;
}

void TForm3::Cut1Click()
{
    CutProc();
}

void TForm3::PasteProc()
{
    Session& ses = *m_model.Ses;
    const SegmentClipboard& clip = m_model.SegClipboard;
    if (PlaybackLock::locked() || clip.Count < 1)
        return;
    if (!roomFor(ses, clip.Count))
        return;
    const int cur = std::clamp(StringGrid1->currentSegment(), 1, ses.SegCount);
    m_grid->insertSegments(cur, clip.Count, [&] { PasteAt(ses, cur, clip); });
    SesTimeComp(cur);
    ses.SesModified = true;
}
