// Plays through SDL's dummy driver, which consumes audio in real time.
#include <gtest/gtest.h>

#include <QPushButton>

#include "components/AudioIO.h"
#include "engine/TestTables.h"
#include "platform/Prompts.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "support/QtApp.h"

TEST(TransportTiming, StartPlaysOnTheDeviceAndStopSilencesIt)
{
    ScriptedPrompts script;
    PlayerModel model;
    model.Tables = syntheticTables();
    TForm1 form(model);
    TForm3 editor(model);
    Form3 = &editor;
    editor.NewProc();
    form.AudioOut1->SetBufferSize(4096); // 23 ms a buffer

    form.Button1->click();
    ASSERT_TRUE(waitUntil([&] { return form.Button1->text() == "Stop"; }, 10000)) << "the first tick";
    EXPECT_TRUE(waitUntil([&] { return form.AudioOut1->DoneCount() >= 8; }, 20000)) << "buffers asked for";
    model.Eng->FadeOutLen = 0;
    form.Button1->click();
    EXPECT_EQ(form.Button1->text(), "Start");
    EXPECT_FALSE(form.AudioOut1->DeviceOpen());
    EXPECT_TRUE(script.shown.empty());
    Form3 = nullptr;
    PlaybackLock::clear();
}
