#include <gtest/gtest.h>

#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QtTest/QTest>
#include <algorithm>

#include "RecordingEditor.h"
#include "TransportRig.h"
#include "platform/Settings.h"
#include "player/EditorGrid.h"
#include "player/SegmentGridModel.h"

namespace {

// The transport's windows on five 60 s segments, with a graphic editor that
// logs its calls.
struct PlaybackControl : Transport {
    RecordingEditor graph;

    PlaybackControl()
    {
        editor->gridModel().resetSession([this] {
            model.Ses->SegCount = 5;
            std::fill_n(&model.Ses->Segments[1], 5, model.Tables.DefaultSegment);
        });
        model.recompute();
    }
    void playFrom(int segment) { control->SetStartSeg(segment), control->BitBtn1->click(); }
    long opens() const { return std::ranges::count(fake.calls, "open", &FakeWaveOutBackend::Call::what); }
    // Frames the engine rendered since the output opened.
    std::int64_t primed() const { return form->AudioOut1->FilledCount() * form->AudioOut1->BufferSize() / 4; }
};

} // namespace

TEST_F(PlaybackControl, SegmentChoiceMovesBothEditorsAndEnterClicksNoButton)
{
    // Enter in the field, from segment 2.
    for (auto [typed, segment] : {std::pair{"", 2}, {"\t", 2}, {"4\t", 4}, {"0", 1}, {"-7", 1}, {"9", 5}, {"+3", 3},
                                  {"abc", 2}, {"99999999999", 2}}) {
        control->SetStartSeg(2);
        editor->StringGrid1->setCurrentCell(2, 4);
        control->Edit1->setText(typed);
        QTest::keyClick(control->Edit1, Qt::Key_Return);
        EXPECT_EQ(control->Edit1->text(), QString::number(control->StartSeg)) << typed;
        EXPECT_EQ(editor->StringGrid1->currentSegment(), segment) << typed;
    }
    QTest::keyClick(control->BitBtn1, Qt::Key_Return);
    EXPECT_EQ(caption(), "Start");

    // First, Next and Previous at both ends; the graphic editor follows.
    for (auto [button, from, to] : {std::tuple{control->BitBtn4, 4, 1}, {control->BitBtn5, 4, 5},
                                    {control->BitBtn5, 5, 5}, {control->BitBtn6, 1, 1}, {control->BitBtn6, 3, 2}}) {
        control->SetStartSeg(from);
        editor->StringGrid1->setCurrentCell(from, 4);
        settle();
        graph.log.clear();
        button->click();
        EXPECT_EQ(control->StartSeg, to);
        EXPECT_EQ(editor->StringGrid1->currentSegment(), to) << button->objectName().toStdString() << from;
    }
    settle();
    EXPECT_EQ(graph.log.filter(QRegularExpression("^(move|Sync)")), QStringList({"moveGrid 2 4", "SyncSelectionMsg"}));
    editor->StringGrid1->setCurrentCell(3, 7);
    control->FormActivate();
    EXPECT_EQ(control->Edit1->text(), "3");
}

TEST_F(PlaybackControl, PlayRunsFromTheSegmentAtFullGainAndTheWavFilesWhereTheirLoopsStand)
{
    SegParams& params = *model.Params;
    form->ToneWavName = form->BSWavName = wav.string();
    // The last: a choice left past the end by an edit plays the last segment.
    for (auto [chosen, segment, factor, wavs] : {std::tuple{1, 1, 10, false}, {3, 3, 13, true}, {9, 5, 10, false}}) {
        SCOPED_TRACE(chosen);
        form->TrackBar1->setValue(factor);
        params.NeedToneWav = params.NeedBSWav = wavs;
        playFrom(chosen);
        EXPECT_EQ(control->Edit1->text(), QString::number(segment));
        EXPECT_EQ(eng.SesSamplePos, (segment - 1) * 60 * kSec * factor / 10 + primed());
        EXPECT_EQ(eng.ActSegment, segment) << "the first fill enters it";
        EXPECT_EQ(eng.FadeOutStart, model.Ses->SegEnd[5] + 10000);
        EXPECT_TRUE(eng.FadeGain == 1 && caption() == "Stop" && form->Timer2->isActive());
        expectLocked(true);
        for (const WavReader* r : {&eng.ToneWavFile, &eng.BSWavFile})
            EXPECT_EQ(r->position(), wavs ? eng.SesSamplePos % 1000 * 4 : 0);
        control->BitBtn2->click();
        expectIdle();
    }
    EXPECT_TRUE(script.shown.empty());
}

TEST_F(PlaybackControl, SharesOneTransportWithTheMainWindow)
{
    // During the start delay Pause does nothing, Stop cancels, Play takes over.
    options->TrackBar2->setValue(1);
    press();
    control->BitBtn3->click();
    EXPECT_EQ(caption(), "Delayed");
    control->BitBtn2->click();
    expectIdle();
    press();
    control->BitBtn1->click();
    EXPECT_TRUE(caption() == "Stop" && !form->Timer1->isActive() && opens() == 1);
    control->BitBtn2->click();
    options->TrackBar2->setValue(0);

    // Play while playing, ending or paused keeps the output; Pause holds and
    // resumes playing and ending; Stop ends a main Start, every lock released.
    options->TrackBar5->setValue(10);
    for (const std::string state : {"Stop", "Ending", "Paused"}) {
        SCOPED_TRACE(state);
        start();
        if (state == "Ending")
            press();
        for (int i = state == "Paused" ? 1 : 0; i < 2; ++i) // a pause, then a resume but for "Paused"
            control->BitBtn3->click();
        ASSERT_EQ(caption(), state);
        const long before = opens();
        playFrom(4);
        EXPECT_TRUE(caption() == "Stop" && opens() == before && play() == 1);
        EXPECT_FALSE(eng.Ending || control->Paused || form->AudioOut1->Paused());
        control->BitBtn2->click();
        expectIdle();
    }

    // The end-of-run press of a run that is over ends neither the Play after
    // it (which opens the ended run's output anew) nor, after a Stop, starts.
    fake.calls.clear();
    start();
    eng.StopRequest = true; // the engine ended the run; its buffers play out
    form->PostStopPress();
    playFrom(2);
    settle();
    EXPECT_TRUE(opens() == 2 && caption() == "Stop" && play() == 1);
    form->PostStopPress();
    control->BitBtn2->click();
    settle();
    expectIdle();
}

TEST_F(PlaybackControl, FailuresEndIdleAndUnlockedAndExportsAreLeftAlone)
{
    model.Params->NeedToneWav = true;
    const std::string missing = wav.string() + ".missing";
    for (auto [name, device, text] : {std::tuple<std::string, MMRESULT, std::string>{"", 0, "No Tone Wav File selected !"},
                                      {missing, 0, missing},
                                      {wav.string(), MMSYSERR_NODRIVER, waveOutGetErrorText(MMSYSERR_NODRIVER)}}) {
        form->ToneWavName = name;
        fake.failOpen = device;
        script.shown.clear();
        control->BitBtn1->click();
        settle();
        ASSERT_EQ(script.messages().size(), 1);
        EXPECT_TRUE(script.messages()[0].contains(QString::fromStdString(text))) << text;
        expectIdle();
    }

    // An export disables the main window and renders with Recording set.
    start();
    const std::uint64_t run = eng.RunSerial;
    for (int exporting = 0; exporting < 2; ++exporting) {
        form->setEnabled(exporting);
        eng.Recording = exporting;
        for (QPushButton* b : {control->BitBtn1, control->BitBtn3, control->BitBtn2})
            b->click();
        EXPECT_TRUE(eng.RunSerial == run && caption() == "Stop" && form->AudioOut1->DeviceOpen());
    }
}

TEST_F(PlaybackControl, PlacedFromTheSettingsAndShownFromBothShowMenus)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (auto [x, y, kept] : {std::tuple{9999, 0, false}, {40, 30, true}, {screen.right() + 500, 0, false}}) {
        Settings(settings.file()).writeInteger("F7x", x);
        Settings(settings.file()).writeInteger("F7y", y);
        control->FormCreate();
        const QPoint centred(screen.x() + (screen.width() - control->width()) / 2, screen.y());
        EXPECT_EQ(control->pos(), kept ? QPoint(x, y) : centred) << x;
    }

    EXPECT_FALSE(control->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    editor->PlaybackControl1->trigger();
    QTest::keyClick(control.get(), Qt::Key_Escape);
    EXPECT_TRUE(control->isVisible());
    control->close();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(control->isVisible());
}
