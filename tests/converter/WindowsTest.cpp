#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <filesystem>

#include "FakeWaveOut.h"
#include "TestSignals.h"
#include "components/AudioIO.h"
#include "converter/Render.h"
#include "converter/SeekBar.h"
#include "converter/Unit12.h"
#include "converter/Unit9.h"
#include "dialogs/Unit5.h"
#include "engine/WavExport.h"
#include "platform/PathText.h"
#include "platform/Prompts.h"
#include "support/FailingFileCalls.h"
#include "support/PostedEvents.h"
#include "support/TestDir.h"
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
    prompts.files.push_back(pathText(src));
    w.BitBtn1Click();
    EXPECT_EQ(prompts.messages().back(), "Cannot overwrite the source wav file!");
    EXPECT_EQ(slurp(src).substr(44), pcm);

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
        EXPECT_EQ(prompts.messages(), c.shown.isEmpty() ? QStringList{} : QStringList{c.shown});
        const std::string kept = slurp(out);
        EXPECT_EQ(kept.size(), c.kept ? 44 + pcm.size() : 12);
        if (c.kept && c.gain == 100) {
            EXPECT_EQ(kept.substr(44), pcm);
        }
    }
    EXPECT_EQ(writes().size(), written);
}
