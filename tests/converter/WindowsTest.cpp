#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>

#include "FakeWaveOut.h"
#include "TestSignals.h"
#include "components/AudioIO.h"
#include "converter/Preset.h"
#include "converter/Render.h"
#include "converter/SeekBar.h"
#include "converter/StartUp.h"
#include "converter/Unit12.h"
#include "converter/Unit9.h"
#include "dialogs/DialogKit.h"
#include "dialogs/Unit5.h"
#include "engine/WavExport.h"
#include "engine/WavFile.h"
#include "platform/Help.h"
#include "platform/PathText.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "support/FailingFileCalls.h"
#include "support/Legibility.h"
#include "support/PostedEvents.h"
#include "support/PrivateSettings.h"
#include "support/TestDir.h"
#include "support/UrlCatcher.h"
#include "support/WavBytes.h"

namespace fs = std::filesystem;
using namespace wavbytes;

namespace {

constexpr std::int64_t kSecond = 44100;
constexpr std::size_t kBuffer = 4096; // bytes: the options' smallest buffer

/// Frames that differ from each other over 32 000 frames.
std::string ramp(std::int64_t n, int peak = 32000)
{
    return pcmBytes(makeSignal(n, [peak](std::int64_t k, int c) { return double(c ? -(k % peak) : k % peak); }));
}

/// The converter's windows over a fake device, at level 0 and gain 1.00 so
/// that the device gets the source as it is, with 4 KB buffers.
struct Converter : ::testing::Test, TestDir {
    PrivateSettings settings; // before the windows: a close writes them
    FakeWaveOutBackend fake;
    ScriptedPrompts prompts;
    TForm5 progress;
    TForm9 w;
    TForm12 options{w.signalPath(), w.folders(), *w.AudioOut1, dir.string()};

    Converter()
    {
        Form5 = &progress;
        Form9 = &w;
        Form12 = &options;
        w.AppDir = dir.string();
        w.signalPath().SetSineTable(sineTable());
        options.TrackBar1->setValue(1);
        options.TrackBar7->setValue(0);
        options.TrackBar2->setValue(0);
    }
    ~Converter() override
    {
        g_failFileCall = FileCall::None;
        w.stopPlayback();
        Form12 = nullptr;
        Form9 = nullptr;
        Form5 = nullptr;
    }
    std::string wav(const std::string& name, const std::string& body)
    {
        return put(name, riff(fmt() + chunk("data", body)));
    }
    void choose(const std::string& path)
    {
        prompts.files.push_back(pathText(path));
        w.Button1Click();
    }
    /// The bytes of each write the device got.
    std::vector<std::string> writes() const
    {
        std::vector<std::string> out;
        for (const auto& c : fake.calls)
            if (c.what == "write")
                out.emplace_back(c.bytes.begin(), c.bytes.end());
        return out;
    }
    void play(int buffers = 1)
    {
        fake.complete(w.AudioOut1->DeviceHandle(), buffers);
        drainPostedEvents();
    }
    /// Drags the bar to `secs` of a source of `total` seconds and lets go.
    void seek(std::int64_t secs, std::int64_t total)
    {
        const int x = w.ProgressBar1->width() * static_cast<int>(secs) / static_cast<int>(total);
        w.ProgressBar1MouseDown(Qt::LeftButton, Qt::NoModifier, x);
        ASSERT_EQ(w.ProgressBar1->Position(), secs);
        w.ProgressBar1MouseUp(x);
    }
    void expectIdle()
    {
        EXPECT_EQ(w.Button3->text(), "Start");
        EXPECT_EQ(w.runMode(), TForm9::RunMode::Idle);
        EXPECT_TRUE(w.BitBtn1->isEnabled());
        EXPECT_TRUE(options.TrackBar1->isEnabled());
        EXPECT_FALSE(w.Timer1->isActive());
        EXPECT_FALSE(w.Paused);
        EXPECT_FALSE(w.AudioOut1->Paused());
        EXPECT_FALSE(w.signalPath().Playing);
    }
};

// A program folder holding the carrier table, and settings of the test's own.
struct StartUp : ::testing::Test, TestDir {
    PrivateSettings settings;
    ScriptedPrompts prompts;
    fs::path program = dir / "program";
    fs::path cwd = fs::current_path();

    StartUp()
    {
        fs::create_directories(program);
        fs::copy_file(fs::path(LUMI_BIN_DIR) / "Sine.pcm", program / "Sine.pcm");
    }
    ~StartUp() override
    {
        fs::current_path(cwd);
        setHelpFile({});
    }
    LaunchInfo launch() const { return {QString::fromStdString(program.string()), {}, {}}; }
};

/// The options as a first start and Restore leave them.
void expectFreshOptions(const TForm12& o, const std::string& appDir)
{
    EXPECT_EQ(o.Label2->text(), "Wave Out Buffer Size: 128 KB");
    EXPECT_EQ(o.Label11->text(), "Playing - AS Max Level: 23");
    EXPECT_EQ(o.Label1->text(), "Recording - AS Max Level: 23");
    EXPECT_EQ(o.radioGroup1Index(), 0);
    EXPECT_FALSE(o.TrackBar7->isEnabled() || o.TrackBar2->isEnabled());
    EXPECT_TRUE(o.storeWavFileName() && !o.rememberRecentFolders());
    for (const auto& [edit, folder] :
         {std::pair{o.Edit1, "/Glimbx_Presets/"}, {o.Edit2, "/Source_Wav/"}, {o.Edit3, "/Dest_Wav/"}}) {
        EXPECT_EQ(edit->text().toStdString(), appDir + folder);
        EXPECT_EQ(edit->toolTip(), edit->text());
    }
}

} // namespace

TEST_F(Converter, ChooserTakesRefusesKeepsAndRemembers)
{
    const std::string good = wav("good.wav", ramp(3 * kSecond + 5));
    choose(good);
    EXPECT_EQ(prompts.shown.back().options.folder, pathText(dir.string() + "/Source_Wav/"));
    EXPECT_EQ(w.SourcePath, good);
    EXPECT_EQ(w.Edit1->text(), "good.wav");
    EXPECT_TRUE(w.ProgressBar1->isEnabled());
    EXPECT_EQ(w.ProgressBar1->Max(), 3);
    EXPECT_EQ(w.folders().SourceWavDir, dir.string() + "/Source_Wav/") << "not remembered while unchecked";

    const struct {
        const char* name;
        std::string bytes;
        QString text;
    } refusals[] = {
        {"mono.wav", riff(fmt(1, 1) + chunk("data", ramp(10))), kChooserWavFormatText},
        {"float.wav", riff(fmt(3) + chunk("data", ramp(10))), kChooserWavFormatText},
        {"text.wav", "no wav at all", kChooserWavFormatText},
        {"gone.wav", {}, "Could not open \"" + pathText((dir / "gone.wav").string()) + "\": No such file or directory."},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        if (!r.bytes.empty())
            put(r.name, r.bytes);
        choose((dir / r.name).string());
        EXPECT_EQ(prompts.messages().back(), r.text);
        EXPECT_EQ(w.SourcePath, good);
        EXPECT_EQ(w.Edit1->text(), "good.wav");
    }

    options.CheckBox2->setChecked(true);
    fs::create_directory(dir / "sub");
    choose(wav("sub/x.wav", ramp(10)));
    EXPECT_EQ(w.folders().SourceWavDir, (dir / "sub").string() + "/");
    EXPECT_EQ(options.Edit2->toolTip(), pathText((dir / "sub").string() + "/"));

    prompts.files.push_back(std::nullopt);
    w.Button1Click();
    EXPECT_TRUE(w.SourcePath.empty());
    EXPECT_TRUE(w.Edit1->text().isEmpty());
    EXPECT_FALSE(w.ProgressBar1->isEnabled());
}

TEST_F(Converter, BarCountsWholeSecondsAndIsNeverBusy)
{
    const struct {
        std::int64_t frames;
        std::int64_t max;
        const char* end;
    } cases[] = {{kSecond / 2, 0, "Position: 0:00"}, {3 * kSecond + 22050, 3, "Position: 0:03"},
                 {125 * kSecond, 125, "Position: 2:05"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frames);
        // A sparse file: the walk takes the announced size the file holds.
        const std::string p = put("long.wav", riff(fmt() + "data" + le(static_cast<std::uint32_t>(c.frames * 4))));
        fs::resize_file(p, 44 + c.frames * 4);
        choose(p);
        EXPECT_EQ(w.ProgressBar1->Max(), c.max);
        EXPECT_EQ(w.ProgressBar1->minimum(), 0);
        EXPECT_GE(w.ProgressBar1->maximum(), 1);
        EXPECT_EQ(w.Label5->text(), "Position: 0:00");
        w.ProgressBar1MouseDown(Qt::LeftButton, Qt::ShiftModifier, w.ProgressBar1->width());
        EXPECT_FALSE(w.Seeking) << "a press with a modifier is no drag";
        w.ProgressBar1MouseDown(Qt::LeftButton, Qt::NoModifier, w.ProgressBar1->width());
        w.ProgressBar1MouseUp(w.ProgressBar1->width());
        EXPECT_EQ(w.Label5->text(), c.end);
    }
}

TEST_F(Converter, StartPauseStopAndTheNaturalEnd)
{
    w.Button3Click();
    EXPECT_EQ(prompts.messages(), QStringList{"No source wav file selected !"});
    expectIdle();

    const std::string pcm = ramp(kSecond / 2 + 100);
    choose(wav("src.wav", pcm));
    w.signalPath().OutputPeak = 32768 * 1.005f;
    w.Timer1Timer();
    EXPECT_EQ(w.Label12->text(), "Max Level of Output Signal: 100.5 %");
    EXPECT_EQ(w.Label12->palette().color(QPalette::WindowText), QColor(Qt::red));

    w.Button3Click();
    EXPECT_EQ(w.Button3->text(), "Stop");
    EXPECT_EQ(w.Label12->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_FALSE(w.BitBtn1->isEnabled());
    EXPECT_FALSE(options.TrackBar1->isEnabled());
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(writes().size(), 4u);

    const struct {
        void (TForm9::*press)();
        const char* caption;
    } presses[] = {{&TForm9::BitBtn3Click, "Paused"}, {&TForm9::BitBtn3Click, "Stop"},
                   {&TForm9::BitBtn3Click, "Paused"}, {&TForm9::Button3Click, "Stop"}};
    for (const auto& p : presses) {
        (w.*p.press)();
        EXPECT_EQ(w.Button3->text(), p.caption);
        EXPECT_EQ(w.Paused, w.AudioOut1->Paused());
    }
    // A stop while paused: the next run starts unpaused, one press pauses it.
    w.BitBtn3Click();
    w.stopPlayback();
    expectIdle();
    EXPECT_FALSE(w.AudioOut1->DeviceOpen());
    const std::size_t before = writes().size();
    w.Button3Click();
    w.BitBtn3Click();
    EXPECT_EQ(w.Button3->text(), "Paused");
    w.BitBtn3Click();

    for (int i = 0; i < 100 && w.Button3->text() == "Stop"; ++i)
        play();
    expectIdle();
    EXPECT_EQ(w.ProgressBar1->Position(), 0);
    EXPECT_TRUE(w.AudioOut1->DeviceOpen()) << "the last buffers still play out";
    // Start during the drain.
    w.Button3Click();
    EXPECT_EQ(w.Button3->text(), "Stop");
    EXPECT_EQ(prompts.messages().size(), 1);
    w.Button3Click();

    std::string played;
    const auto all = writes();
    for (std::size_t i = before; i < all.size(); ++i)
        played += all[i];
    EXPECT_EQ(played.substr(0, pcm.size()), pcm);
}

TEST_F(Converter, EveryFailedStartEndsIdle)
{
    const struct {
        const char* name;
        std::string pcm;
        std::function<void(const std::string&)> before;
        std::function<QStringList()> shown;
    } cases[] = {
        {"deleted", ramp(kSecond), [](const std::string& p) { fs::remove(p); },
         [&] { return QStringList{"Could not open \"" + pathText(w.SourcePath) + "\": No such file or directory."}; }},
        {"changed", ramp(kSecond),
         [](const std::string& p) { std::ofstream(p, std::ios::binary) << riff(fmt(1, 1) + chunk("data", "ab")); },
         [] { return QStringList{kChooserWavFormatText}; }},
        {"device", ramp(kSecond), [&](const std::string&) { fake.failOpen = MMSYSERR_NODRIVER; },
         [&] { return QStringList{QString::fromStdString(w.AudioOut1->ErrorText())}; }},
        {"at the end", ramp(2 * kSecond), [&](const std::string&) { seek(2, 2); }, [] { return QStringList{}; }},
        {"empty", "", [](const std::string&) {}, [] { return QStringList{}; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        choose(wav("src.wav", c.pcm));
        prompts.shown.clear();
        c.before(w.SourcePath);
        w.Button3Click();
        EXPECT_EQ(prompts.messages(), c.shown());
        expectIdle();
        EXPECT_FALSE(w.AudioOut1->DeviceOpen());
    }
}

TEST_F(Converter, SeekingWhilePlayingPausedOrStopped)
{
    const std::string pcm = ramp(5 * kSecond);
    choose(wav("src.wav", pcm));
    const auto at = [&](std::int64_t secs) { return pcm.substr(secs * kSecond * 4, kBuffer); };
    w.Button3Click();
    seek(3, 5);
    play();
    EXPECT_EQ(writes().back(), at(3));

    w.BitBtn3Click();
    seek(1, 5);
    w.BitBtn3Click();
    play();
    EXPECT_EQ(writes().back(), at(1));

    w.Button3Click();
    EXPECT_EQ(w.ProgressBar1->Position(), 0) << "a stop returns the bar to where the run started";
    seek(2, 5);
    EXPECT_FALSE(w.AudioOut1->DeviceOpen());
    w.Button3Click();
    EXPECT_EQ(writes()[writes().size() - 4], at(2));
    w.Button3Click();
    EXPECT_EQ(w.ProgressBar1->Position(), 2);
}

TEST_F(Converter, RenderFromTheWindow)
{
    const std::string pcm = ramp(kSecond, 32768); // up to full scale
    const std::string src = wav("src.wav", pcm);
    const fs::path out = dir / "out.wav";
    choose(src);
    prompts.shown.clear();
    prompts.files.push_back(pathText(src)); // refused before anything asks whether to replace it
    w.BitBtn1Click();
    EXPECT_FALSE(prompts.shown.at(0).options.confirmOverwrite) << "the dialog does not ask";
    EXPECT_EQ(slurp(src).substr(44), pcm);
    put("out.wav", "earlier file"); // any other file is asked about; No keeps it
    prompts.answers = {mrNo};
    prompts.files.push_back(pathText(out.string()));
    w.BitBtn1Click();
    const QString replace = "out.wav already exists.\r\nDo you want to replace it?";
    EXPECT_EQ(prompts.messages(), (QStringList{"Cannot overwrite the source wav file!", replace}));
    EXPECT_EQ(prompts.shown.back().what, ScriptedPrompts::Shown::What::Save) << "No goes back to the dialog";
    EXPECT_EQ(slurp(out), "earlier file");

    // While the last run drains: the device gets none of the render's blocks.
    w.Button3Click();
    for (int i = 0; i < 100 && w.Button3->text() == "Stop"; ++i)
        play();
    ASSERT_TRUE(w.AudioOut1->DeviceOpen());
    const std::size_t written = writes().size();

    const struct {
        const char* name;
        std::int32_t gain;
        std::function<void()> duringRender;
        QString shown; // after the render
        bool kept;
    } cases[] = {
        {"full scale", 100, [] {}, {}, true},
        {"above", 101, [] {}, kRenderOverflowText, true},
        {"cancelled", 101, [&] { progress.Button1->click(); }, {}, false},
        {"write failure", 100, [] { g_failFileCall = FileCall::Write; }, kWavWriteErrorText, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put("out.wav", "earlier file");
        w.signalPath().SetInputGain(c.gain);
        prompts.shown.clear();
        prompts.files.push_back(pathText(out.string()));
        bool disabled = false;
        QTimer::singleShot(0, [&] {
            disabled = !w.isEnabled() && !options.isEnabled() && progress.isVisible() && !w.signalPath().Playing;
            c.duringRender();
        });
        w.GenerateEncodedWavFile1->trigger();
        g_failFileCall = FileCall::None;
        EXPECT_TRUE(disabled);
        EXPECT_TRUE(w.isEnabled() && options.isEnabled() && !progress.isVisible());
        expectIdle();
        EXPECT_EQ(prompts.messages(), c.shown.isEmpty() ? QStringList{replace} : (QStringList{replace, c.shown}));
        const std::string kept = slurp(out);
        EXPECT_EQ(kept.size(), c.kept ? 44 + pcm.size() : 12);
        if (c.kept && c.gain == 100) {
            EXPECT_EQ(kept.substr(44), pcm);
        }
    }
    EXPECT_EQ(writes().size(), written);
}

// ---- Start-up, settings, options and the main window's controls ----------------------

TEST_F(StartUp, WindowsInOrderLegibleAndAFirstStartThatThePathAgreesWith)
{
    QStringList order, faults;
    QTimer::singleShot(0, [&] {
        for (QWidget* window : startUpWindows()) {
            order << window->objectName();
            faults << illegibleTexts(window);
        }
        const TForm9& w = *Form9;
        EXPECT_EQ(w.windowTitle(), "Lumisonorium SW 3.8: AS Glimmerbox");
        EXPECT_TRUE(w.isVisible() && !QApplication::windowIcon().isNull());
        EXPECT_EQ(w.AudioOut1->BufferSize(), 32768);
        expectFreshOptions(*Form12, program.string());
        EXPECT_EQ(w.Label6->text(), "Center Frequency L: 101 Hz");
        const SignalPath::Controls& c = Form9->signalPath().controls();
        const std::pair<QSlider*, int> agree[] = {
            {w.TrackBar1, c.GainPos},         {w.TrackBar2, c.OnDurationPos},    {w.TrackBar5, c.RetrigDelayPos},
            {w.TrackBar13, c.IntervalPos},    {w.TrackBar4, c.Ch[0].CenterPos},  {w.TrackBar9, c.Ch[1].CenterPos},
            {w.TrackBar8, c.Ch[0].BandPos},   {w.TrackBar10, c.Ch[1].BandPos},   {w.TrackBar7, c.Ch[0].LevelPos},
            {w.TrackBar12, c.Ch[1].LevelPos}, {w.TrackBar6, c.Ch[0].TriggerPos}, {w.TrackBar11, c.Ch[1].TriggerPos},
            {Form12->TrackBar7, c.PlayingASLevelPos}};
        for (const auto& [slider, pos] : agree)
            EXPECT_EQ(slider->value(), pos) << slider->objectName().toStdString();
        Form9->close();
    });
    EXPECT_EQ(converterStartUp(launch()), 0);
    EXPECT_EQ(order, QStringList({"Form9", "Form5", "Form12", "Form13"}));
    EXPECT_EQ(faults.join("\n").toStdString(), "") << "cut texts, glyphs without a word at all times";
    EXPECT_TRUE(prompts.shown.empty() && startUpWindows().empty());
    EXPECT_EQ(Settings(settings.file()).readString("AppDir", {}).toStdString(), program.string());
}

TEST_F(StartUp, CarrierTableFromTheCurrentFolderElseTheProgramFolder)
{
    const fs::path here = dir / "here";
    fs::create_directories(here);
    fs::current_path(here);
    const std::string table = slurp(program / "Sine.pcm");
    const std::string other = "\x7f\x7f" + table.substr(2);
    const struct {
        std::string inHere, inProgram; // empty: no file
        std::string loaded;            // empty: start-up ends, naming the file and why
        const char* named;
    } cases[] = {{{}, table, table, ""},
                 {other, {}, other, ""},
                 {{}, {}, {}, "/program/Sine.pcm\": No such file"},
                 {{}, table.substr(0, 8818), {}, "exactly 8820 bytes"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        fs::remove(here / "Sine.pcm");
        fs::remove(program / "Sine.pcm");
        for (const auto& [folder, bytes] : {std::pair{here, c.inHere}, {program, c.inProgram}})
            if (!bytes.empty())
                std::ofstream(folder / "Sine.pcm", std::ios::binary) << bytes;
        prompts.shown.clear();
        if (c.loaded.empty()) {
            EXPECT_EQ(converterStartUp(launch()), 1);
            ASSERT_EQ(prompts.messages().size(), 1);
            EXPECT_TRUE(prompts.messages()[0].contains(c.named)) << prompts.messages()[0].toStdString();
            continue;
        }
        TForm9 w;
        ASSERT_TRUE(w.FormCreate(launch()));
        EXPECT_EQ(std::memcmp(w.signalPath().SineTable.data(), c.loaded.data(), c.loaded.size()), 0);
    }
}

TEST_F(Converter, ExitWritesTheConverterValuesAsTextAndLeavesEveryOtherKey)
{
    fs::create_directories(fs::path(settings.file().toStdString()).parent_path());
    std::ofstream(settings.file().toStdString()) << "[System]\nF4TrB1=3\nSesDir=/u/Sessions/\nZ9=\"a, b\"\n";
    fs::create_directories(dir / "mine");
    options.setFolder(&ConverterFolders::PresetsDir, (dir / "mine").string());
    options.RadioButton2->click();
    options.TrackBar7->setValue(40);
    options.CheckBox1->setChecked(false);
    options.CheckBox2->setChecked(true);
    w.Exit1->trigger();

    QSettings ini(settings.file(), QSettings::IniFormat);
    ini.beginGroup("System");
    std::map<QString, QString> stored;
    for (const QString& key : ini.childKeys())
        stored[key] = ini.value(key).toString();
    const QString d = pathText(dir.string());
    const std::map<QString, QString> expected = {
        {"AppDir", d},          {"GBXPSDir", d + "/mine/"}, {"GBXWSDir", d + "/Source_Wav/"},
        {"GBXWDDir", d + "/Dest_Wav/"}, {"F12TrB1", "1"},   {"F12RadGr1", "1"},
        {"F12TrB7", "40"},      {"F12TrB2", "0"},           {"F12ChB1", "0"},
        {"F12ChB2", "1"},       {"F4TrB1", "3"},            {"SesDir", "/u/Sessions/"},
        {"Z9", "a, b"}};
    EXPECT_TRUE(stored == expected);
    const std::string text = slurp(settings.file().toStdString());
    for (const char* line : {"\nF4TrB1=3\n", "\nSesDir=/u/Sessions/\n", "\nZ9=\"a, b\"\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(Converter, StoredValuesReachTheControlsThroughTheirHandlers)
{
    fs::create_directories(dir / "src");
    const std::string d = dir.string();
    const QString gone = pathText(d + "/gone"), src = pathText(d + "/src");
    const SignalPath::Controls& c = w.signalPath().controls();
    const struct {
        std::map<QString, QString> stored;
        std::function<void()> check;
    } cases[] = {
        // the slider already stands at 8: its handler must still size the output
        {{{"F12TrB1", "8"}}, [&] { EXPECT_EQ(w.AudioOut1->BufferSize(), 32768); }},
        {{{"F12TrB1", "99"}, {"F12ChB1", "0"}, {"F12ChB2", "2"}}, [&] {
             EXPECT_EQ(w.AudioOut1->BufferSize(), 65536);
             EXPECT_TRUE(!options.storeWavFileName() && options.rememberRecentFolders());
         }},
        {{{"F12TrB1", "x"}, {"F12RadGr1", "1"}, {"F12TrB7", "40"}, {"F12ChB1", "yes"}}, [&] {
             EXPECT_EQ(w.AudioOut1->BufferSize(), 32768);
             EXPECT_TRUE(options.TrackBar7->isEnabled() && options.storeWavFileName());
             EXPECT_EQ(c.PlayingASLevelPos, 40);
         }},
        // the group is read first, so levels stored beside the preset stand
        {{{"F12RadGr1", "7"}, {"F12TrB7", "50"}, {"F12TrB2", "-3"}}, [&] {
             EXPECT_EQ(options.radioGroup1Index(), 0);
             EXPECT_FALSE(options.TrackBar7->isEnabled());
             EXPECT_EQ(c.PlayingASLevelPos, 50);
             EXPECT_EQ(options.Label1->text(), "Recording - AS Max Level: 0");
         }},
        {{{"GBXPSDir", gone}, {"GBXWSDir", src}, {"GBXWDDir", "src"}}, [&] {
             EXPECT_EQ(w.folders().PresetsDir, d + "/Glimbx_Presets/");
             EXPECT_EQ(w.folders().SourceWavDir, d + "/src/");
             EXPECT_EQ(options.Edit3->toolTip().toStdString(), d + "/Dest_Wav/");
         }},
    };
    for (std::size_t n = 0; n < std::size(cases); ++n) {
        SCOPED_TRACE(n);
        const QString file = pathText(put("s" + std::to_string(n) + ".conf", ""));
        for (const auto& [key, value] : cases[n].stored)
            Settings(file).writeString(key, value);
        options.TrackBar1->setValue(1);
        setSilently(options.TrackBar1, 8);
        options.CheckBox1->setChecked(true);
        options.LoadConfig(Settings(file));
        cases[n].check();
        Settings written(file);
        w.SaveConfig(written);
        EXPECT_EQ(written.readString("GBXPSDir", {}), pathText(w.folders().PresetsDir));
    }
}

TEST_F(Converter, FolderRowsTakeTheChosenFolder)
{
    fs::create_directories(dir / "sub");
    const std::string sub = (dir / "sub").string();
    const struct {
        QPushButton* button;
        QLineEdit* edit;
        std::optional<QString> chosen;
        std::string expected;
    } rows[] = {{options.Button3, options.Edit1, pathText(sub), sub + "/"},
                {options.Button4, options.Edit2, "/", "/"},
                {options.Button5, options.Edit3, std::nullopt, dir.string() + "/Dest_Wav/"}};
    for (const auto& r : rows) {
        const QString before = r.edit->text();
        prompts.folders.push_back(r.chosen);
        r.button->click();
        EXPECT_EQ(prompts.shown.back().options.folder, before);
        EXPECT_EQ(r.edit->text().toStdString(), r.expected);
        EXPECT_EQ(r.edit->toolTip(), r.edit->text());
    }
    EXPECT_EQ(w.folders().SourceWavDir, "/");
}

TEST_F(Converter, EverySliderSetsThePathAndItsLabelAtBothEnds)
{
    // The labels are the path's own texts of the values it computed.
    const std::tuple<QSlider*, QLabel*, const char*, const char*> sliders[] = {
        {w.TrackBar1, w.Label3, "Input Gain: 0.00", "Input Gain: 3.00"},
        {w.TrackBar2, w.Label4, "Light On Duration: 5 ms", "Light On Duration: 500 ms"},
        {w.TrackBar5, w.Label7, "Light Retrigger Delay: 0 ms", "Light Retrigger Delay: 1000 ms"},
        {w.TrackBar13, w.Label10, "DR Detection Interval: 100 ms", "DR Detection Interval: 2000 ms"},
        {w.TrackBar4, w.Label6, "Center Frequency L: 32 Hz", "Center Frequency L: 5000 Hz"},
        {w.TrackBar9, w.Label14, "Center Frequency R: 32 Hz", "Center Frequency R: 5000 Hz"},
        {w.TrackBar8, w.Label13, "Band Width L: 50 Hz", "Band Width L: 20000 Hz"}, // of 5000 Hz
        {w.TrackBar10, w.Label15, "Band Width R: 50 Hz", "Band Width R: 20000 Hz"},
        {w.TrackBar7, w.Label2, "Filtered Signal Level L: 0.00", "Filtered Signal Level L: 10.00"},
        {w.TrackBar12, w.Label9, "Filtered Signal Level R: 0.00", "Filtered Signal Level R: 10.00"},
        {w.TrackBar6, w.Label8, "Light Trigger Level L: 0", "Light Trigger Level L: 100"},
        {w.TrackBar11, w.Label16, "Light Trigger Level R: 0", "Light Trigger Level R: 100"},
    };
    for (const auto& [slider, label, atMin, atMax] : sliders) {
        slider->setValue(slider->minimum());
        EXPECT_EQ(label->text(), atMin);
        slider->setValue(slider->maximum());
        EXPECT_EQ(label->text(), atMax);
    }
    const SignalPath& p = w.signalPath();
    EXPECT_TRUE(p.InputGain == 3 && p.DRInterval == 88200 && p.R.BandWidth == 20000 && p.L.TriggerFraction == 0);
    w.CheckBox3->setChecked(true);
    EXPECT_TRUE(p.controls().HearFiltered && !p.controls().Mix);
    w.CheckBox4->setChecked(true);
    w.CheckBox3->setChecked(false);
    EXPECT_TRUE(!p.controls().HearFiltered && p.controls().Mix);
}

TEST_F(Converter, LockCopiesEachChannelSliderToItsPartner)
{
    const SignalPath::Channel &l = w.signalPath().L, &r = w.signalPath().R;
    const auto value = [](QLabel* label) { return label->text().section(':', 1); };
    const auto channelsAgree = [&] {
        return l.FilterGain == r.FilterGain && l.A1 == r.A1 && l.A2 == r.A2 && l.BandWidth == r.BandWidth &&
               l.FilteredLevel == r.FilteredLevel && l.TriggerFraction == r.TriggerFraction &&
               value(w.Label6) == value(w.Label14) && value(w.Label13) == value(w.Label15) &&
               value(w.Label2) == value(w.Label9) && value(w.Label8) == value(w.Label16);
    };
    const std::tuple<QSlider*, QSlider*, int> pairs[] = {
        {w.TrackBar4, w.TrackBar9, 300}, {w.TrackBar8, w.TrackBar10, 120},
        {w.TrackBar7, w.TrackBar12, 250}, {w.TrackBar6, w.TrackBar11, 80}};
    for (const auto& [left, right, pos] : pairs) {
        SCOPED_TRACE(pos);
        w.CheckBox2->setChecked(true);
        right->setValue(pos);
        EXPECT_TRUE(left->value() == pos && channelsAgree());
        left->setValue(pos + 1);
        EXPECT_TRUE(right->value() == pos + 1 && channelsAgree());
        w.CheckBox2->setChecked(false);
        left->setValue(pos);
        EXPECT_TRUE(right->value() == pos + 1 && !channelsAgree());
        left->setValue(pos + 1);
    }
}

TEST_F(Converter, MenusShortcutsAndHelp)
{
    const std::tuple<QAction*, QMenu*, const char*, QKeySequence> items[] = {
        {w.Open1, w.Preset1, "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {w.SaveAs1, w.Preset1, "&Save As...", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {w.GenerateEncodedWavFile1, w.Preset1, "&Generate AudioStrobe Encoded Wav File...", {}},
        {w.Exit1, w.Preset1, "&Exit", {}},
        {w.SetOptions1, w.Options1, "&Set Options...", {}},
        {w.Contents1, w.Help1, "&Contents", {}},
        {w.Homepage1, w.Help1, "&Visit Lumisonorium SW Homepage...", {}},
        {w.About1, w.Help1, "&About...", {}}};
    for (const auto& [item, menu, caption, key] : items) {
        EXPECT_TRUE(item->text() == caption && menu->actions().contains(item) && item->shortcut() == key) << caption;
        EXPECT_TRUE(item->isEnabled()) << caption;
    }
    w.SetOptions1->trigger();
    EXPECT_TRUE(options.isVisible() && !options.isModal());

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    w.Homepage1->trigger();
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl("https://www.halcyon-labs.example/")});

    setHelpFile(pathText((dir / "Lumisono.hlp").string()));
    w.Contents1->trigger();
    for (QShortcut* key : w.findChildren<QShortcut*>())
        if (key->key() == QKeySequence(Qt::Key_F1))
            emit key->activated();
    setHelpFile({});
    const QString missing = "The help file \"" + pathText((dir / "Lumisono.hlp").string()) + "\" was not found.";
    EXPECT_EQ(prompts.messages(), QStringList({missing, missing}));

}

TEST_F(Converter, RestorePutsEveryOptionBackAndPlaybackKeepsItsBufferUntilTheNextStart)
{
    fs::create_directories(dir / "elsewhere");
    for (auto field : {&ConverterFolders::PresetsDir, &ConverterFolders::SourceWavDir, &ConverterFolders::DestWavDir})
        options.setFolder(field, (dir / "elsewhere").string());
    options.RadioButton2->click();
    options.TrackBar7->setValue(40);
    options.TrackBar2->setValue(60);
    options.CheckBox1->setChecked(false);
    options.CheckBox2->setChecked(true);
    choose(wav("a.wav", ramp(kSecond)));
    w.Button3Click();
    ASSERT_EQ(w.Button3->text(), "Stop");

    options.Button1->click();
    expectFreshOptions(options, dir.string());
    EXPECT_EQ(w.folders().PresetsDir, dir.string() + "/Glimbx_Presets/");
    EXPECT_EQ(w.signalPath().controls().PlayingASLevelPos, 23);
    play();
    EXPECT_EQ(writes().back().size(), kBuffer) << "the open device keeps its buffers";
    w.Button3Click();
    w.Button3Click();
    EXPECT_EQ(writes().back().size(), 8 * kBuffer);
}

TEST_F(Converter, LivePlaysAtThePlayingLevelAndTheRenderAtTheRecordingLevel)
{
    // Level 0 at gain 1.00 passes the source through untouched: no carrier
    // and no scaling of the music.
    const std::string pcm = ramp(kSecond / 2);
    choose(wav("a.wav", pcm));
    options.RadioButton2->click();
    EXPECT_TRUE(options.TrackBar7->isEnabled() && options.TrackBar2->value() == 0) << "Manual keeps the levels";
    options.CheckBox2->setChecked(true);
    fs::create_directories(dir / "out");
    const fs::path out = dir / "out" / "x.wav";
    for (const auto& [playing, recording] : {std::pair{0, 40}, std::pair{40, 0}}) {
        SCOPED_TRACE(playing);
        options.TrackBar7->setValue(playing);
        options.TrackBar2->setValue(recording);
        const std::size_t before = writes().size();
        w.Button3Click();
        ASSERT_GT(writes().size(), before);
        EXPECT_EQ(writes()[before] == pcm.substr(0, kBuffer), playing == 0);
        w.Button3Click();
        prompts.files.push_back(pathText(out.string()));
        w.BitBtn1Click();
        EXPECT_EQ(slurp(out).substr(44) == pcm, recording == 0);
        EXPECT_TRUE(std::isfinite(w.signalPath().ASRampUp));
    }
    EXPECT_EQ(w.folders().DestWavDir, (dir / "out").string() + "/");
    EXPECT_EQ(options.Edit3->text(), pathText((dir / "out").string() + "/"));
    EXPECT_EQ(prompts.messages(), QStringList{"x.wav already exists.\r\nDo you want to replace it?"})
        << "the second render asks before it replaces the first one's file";
}

TEST_F(Converter, CloseIsRefusedDuringARenderAndStopsPlaybackBeforeTheSettings)
{
    choose(wav("a.wav", ramp(kSecond)));
    bool closed = true;
    prompts.files.push_back(pathText((dir / "out.wav").string()));
    QTimer::singleShot(0, [&] { closed = w.close(); });
    w.BitBtn1Click();
    EXPECT_FALSE(closed);
    EXPECT_FALSE(QFile::exists(settings.file()));

    w.Button3Click();
    ASSERT_TRUE(w.AudioOut1->DeviceOpen());
    EXPECT_TRUE(w.close());
    EXPECT_EQ(fake.openStreams(), 0u);
    expectIdle();
    EXPECT_EQ(Settings(settings.file()).readInteger("F12TrB1", 0), 1);
}

namespace {

/// Presets through the menu items, the dialogs answered by the script.
struct Presets : Converter {
    std::string source(const std::string& name) { return wav(name, std::string(3 * 176400, '\1')); }
    void pick(QAction* item, const std::optional<std::string>& file)
    {
        prompts.files.push_back(file ? std::optional(pathText(*file)) : std::nullopt);
        item->trigger();
    }
    std::string preset(const std::string& wav, std::array<std::int32_t, 11> sliders = PresetValues().Sliders)
    {
        return put("p.gbp", FormatPreset({wav, sliders}));
    }
    /// Everything an opened preset may change, as one text.
    QString state()
    {
        QStringList s{w.windowTitle(), pathText(w.SourcePath), w.Edit1->text(),
                      QString::number(w.ProgressBar1->isEnabled() * 1000 + w.ProgressBar1->Max())};
        for (const QSlider* t : w.findChildren<QSlider*>())
            s << QString::number(t->value());
        for (const QCheckBox* c : w.findChildren<QCheckBox*>())
            s << QString::number(c->isChecked());
        for (const QLabel* l : w.findChildren<QLabel*>())
            s << l->text();
        return s.join('|') + QString::number(w.signalPath().controls().Mix + 2 * w.signalPath().controls().HearFiltered);
    }
};

} // namespace

TEST_F(Presets, SaveThenOpenRestoresEveryControlAndTheLockLetsRightHandValuesWin)
{
    ASSERT_TRUE(w.acceptSource(source("m\xc3\xa4.wav"), isSessionWavFormat, ""));
    for (int i = 0; QSlider* t : w.findChildren<QSlider*>())
        w.setSliderPosition(t, i++ % 2 ? t->minimum() : t->maximum());
    w.CheckBox3->setChecked(true);
    w.CheckBox4->setChecked(true);
    const std::string deep = (dir / "Deep.gbp").string();
    pick(w.SaveAs1, deep);
    EXPECT_EQ(w.windowTitle(), "Lumisonorium SW 3.8: AS Glimmerbox - [Deep]");
    EXPECT_EQ(prompts.shown.back().options.folder, pathText(dir.string() + "/Glimbx_Presets/"));
    EXPECT_EQ(prompts.shown.back().options.filters, QStringList{"Glimmerbox preset (*.gbp)"});
    const QString saved = state();

    // Without the wav's name the source is cleared on opening.
    options.CheckBox1->setChecked(false);
    pick(w.SaveAs1, (dir / "NoWav.gbp").string());
    EXPECT_EQ(slurp(dir / "NoWav.gbp").substr(40, 7), "SFN: \r\n");
    for (QSlider* t : w.findChildren<QSlider*>())
        w.setSliderPosition(t, (t->minimum() + t->maximum()) / 2);
    w.CheckBox3->setChecked(false);
    pick(w.Open1, (dir / "NoWav.gbp").string());
    EXPECT_TRUE(w.SourcePath.empty() && !w.ProgressBar1->isEnabled());

    pick(w.Open1, deep);
    EXPECT_EQ(state(), saved);
    pick(w.SaveAs1, std::nullopt);
    EXPECT_EQ(prompts.shown.back().options.fileName, pathText(deep));

    // With the lock on, each right-hand value ends up on both sliders of its pair.
    w.CheckBox2->setChecked(true);
    pick(w.Open1, preset("", {100, 900, 10, 300, 20, 800, 30, 70, 1, 2, 3}));
    EXPECT_EQ((std::vector{w.TrackBar4->value(), w.TrackBar9->value(), w.TrackBar8->value(), w.TrackBar10->value(),
                           w.TrackBar7->value(), w.TrackBar12->value(), w.TrackBar6->value(), w.TrackBar11->value()}),
              (std::vector{900, 900, 300, 300, 800, 800, 70, 70}));
    EXPECT_FALSE(w.CheckBox2->isChecked());
}

TEST_F(Presets, RelocatesByNameOrOpensWithoutSource)
{
    fs::create_directories(dir / "Source_Wav");
    const std::string moved = source("Source_Wav/x.wav");
    for (const char* named : {"/gone/x.wav", "C:\\Music\\x.wav"}) {
        w.clearSource();
        pick(w.Open1, preset(named));
        EXPECT_TRUE(w.SourcePath == moved && w.ProgressBar1->isEnabled()) << named;
    }
    pick(w.Open1, preset("/gone/y.wav"));
    EXPECT_TRUE(w.SourcePath.empty() && !w.ProgressBar1->isEnabled());
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(Presets, ARefusedPresetChangesNothing)
{
    ASSERT_TRUE(w.acceptSource(source("a.wav"), isSessionWavFormat, ""));
    w.setSliderPosition(w.TrackBar4, 700);
    w.CheckBox2->setChecked(true);
    pick(w.SaveAs1, (dir / "Before.gbp").string());
    const QString before = state();
    const std::pair<std::string, QString> cases[] = {
        {FormatPreset({}).substr(0, 100), "'' is not a valid integer value"},
        {"\nSFN:\nCFL: 1\nCFR: x\n", "'x' is not a valid integer value"},
        {FormatPreset({put("mono.wav", riff(fmt(1, 1) + chunk("data", "")))}), kSessionWavFormatText},
    };
    for (const auto& [bytes, message] : cases) {
        pick(w.Open1, put("bad.gbp", bytes));
        EXPECT_EQ(prompts.messages().back(), message);
        EXPECT_EQ(state(), before);
    }
}

TEST_F(Presets, OpeningStopsPlaybackFoldersAreRememberedAndAFailedSaveKeepsFileAndCaption)
{
    ASSERT_TRUE(w.acceptSource(source("a.wav"), isSessionWavFormat, ""));
    w.Button3Click();
    ASSERT_EQ(w.Button3->text(), "Stop");
    fs::create_directories(dir / "elsewhere");
    const std::string other = (dir / "elsewhere" / "p.gbp").string();
    pick(w.SaveAs1, other);
    pick(w.Open1, other);
    EXPECT_EQ(w.Button3->text(), "Start");
    EXPECT_EQ(w.folders().PresetsDir, dir.string() + "/Glimbx_Presets/");
    options.CheckBox2->setChecked(true);
    pick(w.Open1, other);
    EXPECT_EQ(options.Edit1->text(), pathText(dir.string() + "/elsewhere/"));

    const std::string earlier = slurp(other);
    g_failFileCall = FileCall::Rename;
    pick(w.SaveAs1, (dir / "elsewhere" / "q.gbp").string());
    pick(w.SaveAs1, other);
    EXPECT_TRUE(prompts.messages().back().contains(pathText(other)));
    EXPECT_EQ(slurp(other), earlier);
    EXPECT_EQ(w.windowTitle(), "Lumisonorium SW 3.8: AS Glimmerbox - [p]");
}
