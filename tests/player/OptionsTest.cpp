#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <optional>

#include "FakeWaveOut.h"
#include "components/AudioIO.h"
#include "engine/TestTables.h"
#include "platform/AudioStrobe.h"
#include "platform/Help.h"
#include "platform/Prompts.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Unit4.h"

namespace {

// What the main window does with the engine's reset hooks.
struct ForwardingHost final : EngineHost {
    TForm4* form = nullptr;
    void ReapplyFadeOptions() override { form->reapplyFadeOptions(); }
    void ReapplyLevelOptions() override { form->reapplyLevelOptions(); }
};

struct Options : ::testing::Test {
    FakeWaveOutBackend fake;
    ScriptedPrompts script;
    PlayerModel model;
    Engine& eng = *model.Eng;
    bool filter = false;
    TAudioOut out;
    TAudioOut* AudioOut1 = &out;
    TForm4 form{eng, filter, model.Folders, out, "/opt/lumi"};
    ForwardingHost host;

    Options()
    {
        model.Tables = syntheticTables();
        model.Ses->Segments[1] = model.Tables.DefaultSegment;
        model.Ses->SegCount = 1;
        model.recompute();
        out.SetFrameRate(44100);
        out.SetStereo(true);
        out.OnFillBuffer = [](std::uint8_t*, std::int32_t&) { return true; };
        host.form = &form;
        eng.setHost(&host);
    }
    ~Options() override { PlaybackLock::clear(); }

    void expectLevel(int level, std::int32_t ramp)
    {
        SCOPED_TRACE(level);
        const AudioStrobeLevel rule = audioStrobeLevel(level);
        EXPECT_EQ(eng.ASMaxLevel, rule.maxLevel);
        EXPECT_EQ(eng.AudioScale, rule.programScale);
        EXPECT_EQ(eng.ASRampLen, ramp);
        EXPECT_FLOAT_EQ(eng.ASEnvStep, 1.0f / static_cast<float>(ramp));
    }
    void expectFades(int softStart, int softEnd)
    {
        EXPECT_EQ(eng.FadeInLen, softStart * 44100);
        EXPECT_EQ(eng.FadeOutLen, softEnd * 44100);
    }
};

} // namespace

TEST_F(Options, FreshDialogPutsTheFormDefaultsIntoEngineOutputAndFolders)
{
    eng.FadeInLen = eng.FadeOutLen = eng.ASRampLen = 1;
    eng.ASMaxLevel = eng.ASZeroLevel = 0.5f;
    out.SetBufferSize(1024);
    model.Folders = {};
    model.Folders.WavDir = "/media/out/";
    filter = true; // the dialog takes it from its unchecked box
    TForm4 fresh(eng, filter, model.Folders, out, "/opt/lumi");

    expectFades(10, 20);
    expectLevel(23, 184);
    EXPECT_EQ(eng.ASZeroLevel, 0.0f);
    EXPECT_EQ(eng.ASIntensitySpan, 1.0f);
    EXPECT_EQ(out.BufferSize(), 32768);
    EXPECT_FALSE(filter);
    EXPECT_FALSE(fresh.TrackBar6->isEnabled() || fresh.TrackBar7->isEnabled());
    EXPECT_TRUE(fresh.openShowWindowAtStart() && !fresh.openSpreadsheetAtStart() && !fresh.rememberRecentFolders());
    EXPECT_EQ(model.Folders.ImportPsxDir, "/opt/lumi/Sessions/");
    EXPECT_EQ(model.Folders.ImpExpDir, "/opt/lumi/Import_Export/");
    EXPECT_EQ(fresh.Edit4->text(), "/media/out/"); // a folder already set is kept
}

TEST_F(Options, PresetAndLevelHandlersAndTheResetThatFollowsARecording)
{
    form.RadioButton2->click(); // Manual frees the level sliders and keeps their values
    EXPECT_TRUE(form.TrackBar6->isEnabled() && form.TrackBar7->isEnabled() && form.TrackBar7->value() == 23);
    const struct { int level; std::int32_t ramp; } levels[] = {{0, 150}, {10, 150}, {18, 150}, {19, 152}, {100, 800}};
    for (auto [level, ramp] : levels) {
        form.TrackBar7->setValue(level);
        expectLevel(level, ramp);
    }
    const struct { int pos; float zero, span; } zeros[] = {{37, 0.37f, 0.63f}, {100, 1, 0}, {0, 0, 1}};
    for (auto [pos, zero, span] : zeros) {
        form.TrackBar4->setValue(pos);
        EXPECT_FLOAT_EQ(eng.ASZeroLevel, zero);
        EXPECT_FLOAT_EQ(eng.ASIntensitySpan, span);
    }

    form.TrackBar7->setValue(40);
    form.TrackBar6->setValue(5);
    form.TrackBar4->setValue(20);
    expectLevel(40, 320); // the recording slider alone changes nothing
    eng.PrepareRun(RunKind::Export);
    form.SetRecordingASLevel();
    expectLevel(5, 150);
    eng.ASZeroLevel = 0.5f;
    eng.FadeInLen = eng.FadeOutLen = 7;
    eng.PrepareRun(RunKind::Start);
    expectLevel(40, 320);
    EXPECT_FLOAT_EQ(eng.ASIntensitySpan, 0.8f);
    expectFades(10, 20);

    form.RadioButton1->click(); // AudioStrobe forces both levels
    EXPECT_EQ(form.TrackBar6->value() + form.TrackBar7->value(), 46);
    expectLevel(23, 184);
    EXPECT_FALSE(form.TrackBar6->isEnabled() || form.TrackBar7->isEnabled());
}

TEST_F(Options, LabelsAndABufferSizeThatWaitsForTheClose)
{
    const struct { int pos; const char* text; } delays[] = {
        {0, "0 sec"}, {5, "50 sec"}, {6, "1 min"}, {7, "1 min 10 sec"}, {13, "2 min 10 sec"}, {60, "10 min"}};
    for (auto [pos, text] : delays) {
        form.TrackBar2->setValue(pos);
        EXPECT_EQ(form.Label3->text(), QStringLiteral("Start Delay: ") + QLatin1String(text));
    }
    form.RadioButton2->click();
    for (auto [slider, pos] : {std::pair{form.TrackBar1, 16}, {form.TrackBar3, 0}, {form.TrackBar5, 60},
                               {form.TrackBar7, 99}, {form.TrackBar6, 7}, {form.TrackBar4, 100}})
        slider->setValue(pos);
    EXPECT_EQ(QStringList({form.Label2->text(), form.Label13->text(), form.Label14->text(), form.Label11->text(),
                           form.Label1->text(), form.Label5->text()}),
              QStringList({"Wave Out Buffer Size: 256 KB", "Soft Start Time: 0 sec", "Soft End Time: 60 sec",
                           "Playing - AS Max Level: 99", "Recording - AS Max Level: 7", "AudioStrobe Zero Level: 100"}));
    expectFades(0, 60);
    EXPECT_EQ(out.BufferSize(), 16 * 4096);

    ASSERT_TRUE(out.Start(AudioOut1)) << out.ErrorText();
    form.TrackBar1->setValue(3);
    EXPECT_EQ(form.Label2->text(), "Wave Out Buffer Size: 48 KB");
    EXPECT_EQ(out.BufferSize(), 16 * 4096);
    out.StopAtOnce();
    EXPECT_EQ(out.BufferSize(), 3 * 4096);
}

TEST_F(Options, RestoreSetsItsValuesAndLeavesTheBoxesAlone)
{
    QCheckBox* untouched[] = {form.CheckBox2, form.CheckBox3, form.CheckBox7, form.CheckBox5,
                              form.CheckBox8, form.CheckBox9, form.CheckBox10};
    for (QCheckBox* box : untouched)
        box->setChecked(true);
    form.CheckBox4->setChecked(false);
    form.CheckBox1->setChecked(true);
    form.RadioButton2->click();
    for (auto [slider, pos] : {std::pair{form.TrackBar2, 9}, {form.TrackBar3, 40}, {form.TrackBar5, 5},
                               {form.TrackBar1, 3}, {form.TrackBar6, 70}, {form.TrackBar7, 80}, {form.TrackBar4, 30}})
        slider->setValue(pos);
    form.setFolder(&PlayerFolders::SrcWavDir, "/media/in");

    form.Button1->click();
    EXPECT_EQ(form.Label3->text(), "Start Delay: 0 sec");
    EXPECT_EQ(form.Label14->text(), "Soft End Time: 30 sec");
    expectFades(10, 30); // soft end 30, not the form's 20
    EXPECT_EQ(out.BufferSize(), 32768);
    EXPECT_EQ(form.radioGroup1Index(), 0);
    EXPECT_FALSE(form.TrackBar7->isEnabled());
    expectLevel(23, 184);
    EXPECT_EQ(form.TrackBar6->value(), 23);
    EXPECT_EQ(eng.ASIntensitySpan, 1.0f);
    EXPECT_FALSE(form.rememberRecentFolders());
    EXPECT_EQ(model.Folders.SrcWavDir, "/opt/lumi/Source_Wav/");
    EXPECT_EQ(form.Edit3->toolTip(), "/opt/lumi/Source_Wav/");
    for (QCheckBox* box : untouched)
        EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_FALSE(form.CheckBox4->isChecked());
    EXPECT_TRUE(filter);

    out.SetBufferSize(1024); // position 8 already: the buffer handler does not run
    form.Button1->click();
    EXPECT_EQ(out.BufferSize(), 1024);
}

TEST_F(Options, PlaybackLockCoversAllThreeSlidersAndRestoreSparesTheRunningFades)
{
    ASSERT_TRUE(out.Start(AudioOut1));
    form.TrackBar1->setValue(2);
    form.TrackBar3->setValue(50);
    PlaybackLock::set(true);
    EXPECT_FALSE(form.TrackBar1->isEnabled() || form.TrackBar3->isEnabled() || form.TrackBar5->isEnabled());
    EXPECT_TRUE(form.TrackBar2->isEnabled() && form.Button1->isEnabled());

    eng.FadeOutLen = 12345; // as a soft end in progress rescales it
    form.Button1->click();
    EXPECT_EQ(form.Label13->text(), "Soft Start Time: 10 sec");
    EXPECT_EQ(eng.FadeInLen, 50 * 44100);
    EXPECT_EQ(eng.FadeOutLen, 12345);
    EXPECT_EQ(out.BufferSize(), 32768) << "the size in use is kept while open";
    expectLevel(23, 184);

    out.StopAtOnce();
    PlaybackLock::set(false);
    EXPECT_TRUE(form.TrackBar1->isEnabled() && form.TrackBar3->isEnabled() && form.TrackBar5->isEnabled());
    eng.InitializeVars();
    expectFades(10, 30);
}

TEST_F(Options, FolderRowsTakeTheChosenFolder)
{
    const QString tmp = QDir::tempPath() + "/lumi-options";
    const std::string stored = tmp.toStdString() + "/";
    const struct { std::optional<QString> chosen; std::string stored; } cases[] = {
        {tmp, stored}, {QStringLiteral("/"), "/"}, {tmp + "/", stored}, {std::nullopt, stored}};
    for (const auto& c : cases) {
        const QString before = form.Edit6->text();
        script.folders.push_back(c.chosen);
        form.Button8->click();
        EXPECT_EQ(script.shown.back().options.folder, before);
        EXPECT_EQ(model.Folders.ImportPsxDir, c.stored);
        EXPECT_EQ(form.Edit6->text().toStdString(), c.stored);
        EXPECT_EQ(form.Edit6->toolTip(), form.Edit6->text());
    }
    EXPECT_EQ(model.Folders.ImportMLProDir, "/opt/lumi/Sessions/");
}

TEST_F(Options, FilterBoxOkAndHelp)
{
    form.CheckBox5->click();
    EXPECT_TRUE(filter);
    form.CheckBox5->click();
    EXPECT_FALSE(filter);

    form.show();
    form.Button2->click();
    EXPECT_TRUE(form.isHidden());

    setHelpFile(QStringLiteral("/nonexistent/Lumisono.hlp"));
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(form.TrackBar4, &f1);
    setHelpFile({});
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().front().contains("/nonexistent/Lumisono.hlp"));
}
