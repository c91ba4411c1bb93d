#include <gtest/gtest.h>

#include <unistd.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QtTest/QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "FakeWaveOut.h"
#include "components/AudioIO.h"
#include "dialogs/Unit5.h"
#include "engine/TestTables.h"
#include "engine/WavFile.h"
#include "platform/Prompts.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/StatusGridModel.h"
#include "player/Unit1.h"
#include "player/Unit4.h"
#include "player/Unit7.h"
#include "TransportRig.h"

namespace fs = std::filesystem;

TEST_F(Transport, StartDelayStopSoftEndAndCancel)
{
    struct Case {
        int delay;
        const char* waiting;
        int interval, ticks;
    };
    for (const Case c : {Case{0, "Start", 100, 1}, Case{3, "Delayed", 1000, 30}}) {
        SCOPED_TRACE(c.delay);
        options->TrackBar2->setValue(c.delay);
        press();
        EXPECT_EQ(caption(), c.waiting);
        EXPECT_EQ(form->Timer1->interval(), c.interval);
        expectLocked(true);
        tick(c.ticks - 1);
        EXPECT_FALSE(form->AudioOut1->DeviceOpen());
        tick();
        EXPECT_EQ(caption(), "Stop");
        EXPECT_TRUE(form->Playing && form->Timer2->isActive() && form->AudioOut1->DeviceOpen());
        play(2);
        press(); // no soft end
        expectIdle();
    }

    options->TrackBar2->setValue(0);
    options->TrackBar5->setValue(1);
    start();
    press();
    EXPECT_EQ(caption(), "Ending");
    expectLocked(true);
    for (int i = 0; i < 20 && caption() != "Start"; ++i)
        play(); // to silence, then the engine's press
    expectIdle();
    start();
    press();
    press(); // during "Ending"
    expectIdle();

    // A second press cancels a start that waits for its delay or its first tick.
    for (int delay : {2, 0}) {
        fake.calls.clear();
        options->TrackBar2->setValue(delay);
        press();
        press();
        expectIdle();
        EXPECT_TRUE(fake.calls.empty());
    }
    EXPECT_TRUE(script.shown.empty());
}

TEST_F(Transport, PauseHoldsAndResumesFromStopAndFromEnding)
{
    options->TrackBar5->setValue(1);
    options->TrackBar2->setValue(1);
    for (int i = 0; i < 2; ++i) {
        form->BitBtn3->click();
        EXPECT_EQ(caption(), i ? "Delayed" : "Start") << "nothing to pause";
        press();
    }
    options->TrackBar2->setValue(0);
    start();
    for (const std::string from : {"Stop", "Ending"}) {
        SCOPED_TRACE(from);
        if (from == "Ending")
            press();
        for (QPushButton* resume : {form->BitBtn3, form->Button1}) {
            form->BitBtn3->click();
            EXPECT_EQ(caption(), "Paused");
            EXPECT_TRUE(control->Paused && form->AudioOut1->Paused());
            EXPECT_EQ(play(), 0);
            resume->click();
            EXPECT_EQ(caption(), from);
            EXPECT_FALSE(control->Paused || form->AudioOut1->Paused());
        }
    }
    press();

    // The engine's own soft end, shown while paused, is what the pause resumes to.
    start();
    form->BitBtn3->click();
    eng.Ending = true;
    eng.DisplayTexts[19] = "Ending";
    form->Timer2Timer();
    EXPECT_EQ(caption(), "Paused");
    form->BitBtn3->click();
    EXPECT_EQ(caption(), "Ending");
    press();
    expectIdle();

    // A pause left stored by a stop does not hold the next start.
    form->AudioOut1->SetPaused(true);
    control->Paused = true;
    start();
    EXPECT_FALSE(control->Paused || form->AudioOut1->Paused());
    EXPECT_EQ(play(), 1);
}

TEST_F(Transport, EndOfTheSessionStopsThroughTheQueuedPressOnly)
{
    model.Ses->Segments[1].Time = 4; // 1.5 s
    model.recompute();
    eng.ToneWavOpen = true; // left by another run: this session needs no wav
    start();
    EXPECT_FALSE(eng.ToneWavOpen);
    for (int i = 0; i < 20 && caption() != "Start"; ++i)
        play();
    expectIdle();
    form->PostStopPress(); // from a run that is over: starts nothing
    settle();
    expectIdle();

    // Shorter than one buffer: the device refuses it, which is no failure.
    model.Ses->Segments[1].Time = 1;
    model.recompute();
    press();
    tick();
    settle();
    expectIdle();
    EXPECT_TRUE(script.shown.empty());
}

TEST_F(Transport, SoftEndLengths)
{
    // 60 s: one second longer than the soft end, as long, and 30 s shorter
    // than it; the last two begin their soft end in the middle.
    for (auto [factor, softEnd, begin] : {std::tuple{10, 59, 1}, {10, 60, 30}, {5, 40, 15}}) {
        SCOPED_TRACE(softEnd);
        form->TrackBar1->setValue(factor);
        options->TrackBar5->setValue(softEnd);
        press();
        EXPECT_EQ(eng.FadeOutStart, begin * kSec);
        press();
    }
    form->TrackBar1->setValue(10);

    // Near the end the fade takes what is left; from half gain in a soft
    // start it keeps the slope of a fade twice as long (seconds).
    for (auto [softEnd, at, gain, fade, slope] : {std::tuple{30, 55, 1.0f, 5, 5}, {10, 1, 0.5f, 10, 20}}) {
        options->TrackBar5->setValue(softEnd);
        start();
        eng.SesSamplePos = at * kSec;
        eng.FadeGain = gain;
        eng.FadingIn = true;
        press();
        EXPECT_FALSE(eng.FadingIn);
        EXPECT_EQ(eng.FadePos, fade * kSec);
        EXPECT_EQ(eng.FadeOutLen, slope * kSec);
        press();
    }
    start();
    EXPECT_EQ(eng.FadeOutLen, 10 * kSec) << "the option again";
    eng.FadeGain = 0; // silent already: nothing to divide by
    press();
    expectIdle();
}

TEST_F(Transport, FailuresReportOnceAndEndIdleUnlockedWithNoReaderOpen)
{
    SegParams& params = *model.Params;
    auto failsWith = [&](const char* text, const std::function<void()>& run) {
        SCOPED_TRACE(text);
        script.shown.clear();
        run();
        settle();
        ASSERT_EQ(script.shown.size(), 1u);
        EXPECT_EQ(script.shown[0].kind, MsgKind::Error);
        EXPECT_TRUE(script.shown[0].text.contains(text)) << script.shown[0].text.toStdString();
        expectIdle();
    };
    params.NeedToneWav = params.NeedBSWav = true;
    failsWith("No Tone Wav File selected !", [&] { press(); });
    form->ToneWavName = "tone.wav";
    failsWith("No Backing Sound Wav File selected !", [&] { press(); });
    EXPECT_TRUE(fake.calls.empty());

    params.NeedBSWav = false;
    form->ToneWavName = wav.string();
    options->TrackBar2->setValue(1);
    failsWith(wav.c_str(), [&] { // removed during the delay
        press();
        fs::remove(wav);
        tick(10);
    });
    options->TrackBar2->setValue(0);
    params.NeedToneWav = false;

    fake.failOpen = MMSYSERR_NODRIVER;
    failsWith("", [&] {
        press();
        tick();
    });
    failsWith("read", [&] { // while playing
        start();
        eng.BSWavFile.open(fs::temp_directory_path().string(), 0, 100);
        eng.BSWavOpen = true;
        play();
    });
    failsWith("", [&] { // the device fails while playing
        start();
        fake.failWrite = MMSYSERR_NOMEM;
        play(5);
    });
}

TEST_F(Transport, DisplayShowsEachNewTextInItsPlaceOnceAndLeavesEmptyEntriesAlone)
{
    auto& texts = eng.DisplayTexts;
    for (int i = 0; i < 19; ++i)
        texts[i] = i == 6 || i == 18 ? "" : "t" + std::to_string(i);
    texts[19] = "Ending";
    form->GridCells->setCell(1, 5, "kept");
    control->Label6->setText("kept");
    form->Timer2Timer();

    EXPECT_EQ(caption(), "Ending");
    EXPECT_EQ(form->Label13->text(), "t0");
    EXPECT_EQ(control->Label4->text(), "t1");
    EXPECT_EQ(control->Label5->text(), "t2");
    EXPECT_EQ(control->Label6->text(), "kept");
    for (int row = 0; row < StatusGridModel::kRows; ++row)
        EXPECT_EQ(form->GridCells->cell(1, row), row == 5 ? "kept" : QString("t%1").arg(row + 1)) << row;
    for (const std::string& text : texts)
        EXPECT_EQ(text, "");
}

TEST_F(Transport, EveryStopShowsSegmentOneAtTheStartInThePlaybackControlToo)
{
    TForm5 progress;
    Form5 = &progress;
    script.files = {QString::fromStdString(wav.string())}; // the export's
    QLabel* const labels[] = {control->Label4, control->Label5, control->Label6};
    const auto played = [&] { std::ranges::for_each(labels, [](QLabel* l) { l->setText("9:59"); }); };
    const std::function<void()> stops[] = {
        [&] { options->TrackBar2->setValue(1), press(), played(), press(); }, // during the delay
        [&] { start(), played(), press(); },                                  // without a soft end
        [&] { options->TrackBar5->setValue(1), start(), press(), played(), play(20); }, // at its silence
        [&] { control->BitBtn1->click(), played(), control->BitBtn2->click(); },
        [&] { model.Ses->Segments[1].Time = 4, model.recompute(), played(), form->BitBtn1->click(); }, // 1.5 s
    };
    for (const auto& stop : stops) {
        options->TrackBar2->setValue(0), options->TrackBar5->setValue(0);
        stop();
        EXPECT_EQ(QStringList({labels[0]->text(), labels[1]->text(), labels[2]->text()}),
                  QStringList({"1", "0:00", "0:00"}));
    }
    Form5 = nullptr;
}

TEST_F(Transport, LockedSessionMenuTakesItsShortcutsAlong)
{
    int news = 0;
    form->New1->setEnabled(true); // disabled only until session files are built
    QObject::connect(form->New1, &QAction::triggered, [&] { ++news; });
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    start();
    QTest::keyClick(form.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(news, 0);
    press();
    QTest::keyClick(form.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(news, 1);
}
