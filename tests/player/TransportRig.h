#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <QCoreApplication>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "FakeWaveOut.h"
#include "components/AudioIO.h"
#include "engine/TestTables.h"
#include "engine/WavFile.h"
#include "platform/Prompts.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit4.h"
#include "player/Unit7.h"
#include "support/PrivateSettings.h"

inline constexpr std::int64_t kSec = 44100;

// The main window and the windows the transport reaches, on a new session of
// one 60 s segment, without start delay or soft end unless a test sets them.
// Buffers complete only when a test says so.
struct Transport : ::testing::Test {
    PrivateSettings settings; // first: before any window reads them
    FakeWaveOutBackend fake;
    ScriptedPrompts script;
    PlayerModel model;
    const bool tablesFirst = (model.Tables = syntheticTables(), true);
    Engine& eng = *model.Eng;
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(model);
    std::unique_ptr<TForm3> editor = std::make_unique<TForm3>(model);
    std::unique_ptr<TForm4> options =
        std::make_unique<TForm4>(eng, eng.AudioOutputFilter, model.Folders, *form->AudioOut1, "/tmp");
    std::unique_ptr<TForm7> control = std::make_unique<TForm7>(model);
    const std::filesystem::path wav =
        std::filesystem::temp_directory_path() / ("lumi-transport-" + std::to_string(::getpid()) + ".wav");

    Transport()
    {
        Form1 = form.get();
        Form3 = editor.get();
        Form4 = options.get();
        Form7 = control.get();
        editor->NewProc();
        options->TrackBar5->setValue(0);
        // Disabled only until the wav files are built; the lock must hand them back.
        for (QWidget* w : std::initializer_list<QWidget*>{form->Button2, form->Button3, form->BitBtn1})
            w->setEnabled(true);
        // A wav file of 1000 frames.
        WavHeader header = canonicalWavHeader();
        patchWavSizes(header, 4000);
        std::ofstream(wav, std::ios::binary) << std::string(header.begin(), header.end()) << std::string(4000, '\1');
    }
    ~Transport() override
    {
        Form1 = nullptr;
        Form3 = nullptr;
        Form4 = nullptr;
        Form7 = nullptr;
        PlaybackLock::clear();
        std::filesystem::remove(wav);
    }

    std::string caption() const { return form->Button1->text().toStdString(); }
    void press() { form->Button1->click(); }
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            form->Timer1Timer();
    }
    void settle()
    {
        for (int i = 0; i < 4; ++i)
            QCoreApplication::sendPostedEvents();
    }
    int play(int buffers = 1)
    {
        int done = 0;
        for (int i = 0; i < buffers; ++i, settle())
            done += fake.complete(form->AudioOut1->DeviceHandle(), 1);
        return done;
    }
    void start()
    {
        press();
        tick();
        ASSERT_EQ(caption(), "Stop");
    }
    void expectLocked(bool locked)
    {
        for (QWidget* w : std::initializer_list<QWidget*>{form->Button2, form->Button3, form->TrackBar1, form->BitBtn1,
                                                          options->TrackBar1, options->TrackBar3, options->TrackBar5})
            EXPECT_EQ(w->isEnabled(), !locked) << w->objectName().toStdString();
        EXPECT_EQ(form->Session1->menuAction()->isEnabled(), !locked);
    }
    void expectIdle()
    {
        EXPECT_EQ(caption(), "Start");
        EXPECT_FALSE(form->Playing || form->Timer1->isActive() || form->Timer2->isActive());
        EXPECT_FALSE(form->AudioOut1->DeviceOpen());
        EXPECT_FALSE(eng.ToneWavFile.isOpen() || eng.BSWavFile.isOpen() || eng.ToneWavOpen || eng.BSWavOpen);
        expectLocked(false);
    }
};

