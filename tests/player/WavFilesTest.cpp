#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <tuple>

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "../support/FailingFileCalls.h"
#include "components/AudioIO.h"
#include "dialogs/Unit5.h"
#include "engine/TestTables.h"
#include "engine/WavFile.h"
#include "platform/AudioStrobe.h"
#include "platform/Prompts.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit4.h"
#include "player/Unit8.h"
#include "support/PrivateSettings.h"

namespace fs = std::filesystem;

namespace {

/// 0.1 s of a wav file with the given format fields (the data is a ramp).
std::string wavBytes(int tag = 1, int channels = 2, int rate = 44100, int bits = 16)
{
    WavHeader h = canonicalWavHeader();
    patchWavSizes(h, 4410 * 4);
    auto put = [&h](int at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            h[at + i] = static_cast<std::uint8_t>(v >> 8 * i);
    };
    put(20, tag, 2);
    put(22, channels, 2);
    put(24, rate, 4);
    put(34, bits, 2);
    std::string bytes(h.begin(), h.end());
    for (int i = 0; i < 4410 * 4; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The main window with both editors, the options dialog (folders below the
// test's own folder) and the progress dialog, on synthetic tables.
struct WavWindow : ::testing::Test {
    PrivateSettings settings; // first: before any window reads them
    ScriptedPrompts script;
    PlayerModel model;
    Engine& eng = *model.Eng;
    fs::path dir = fs::temp_directory_path() / ("wavwin-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm3> editor;
    std::unique_ptr<TForm8> graph;
    std::unique_ptr<TForm4> options;
    std::unique_ptr<TForm5> progress;

    WavWindow()
    {
        fs::create_directories(dir / "out");
        model.Tables = syntheticTables();
        form = std::make_unique<TForm1>(model);
        editor = std::make_unique<TForm3>(model);
        graph = std::make_unique<TForm8>(model, editor->gridModel());
        options = std::make_unique<TForm4>(eng, eng.AudioOutputFilter, model.Folders, *form->AudioOut1, dir.string());
        progress = std::make_unique<TForm5>();
        std::tie(Form1, Form3, Form4, Form5, Form8) =
            std::tuple(form.get(), editor.get(), options.get(), progress.get(), graph.get());
        editor->NewProc();
        options->CheckBox1->setChecked(true);
    }
    ~WavWindow() override
    {
        std::tie(Form1, Form3, Form4, Form5, Form8) = std::tuple(nullptr, nullptr, nullptr, nullptr, nullptr);
        PlaybackLock::clear();
        fs::remove_all(dir);
    }

    std::string put(const std::string& name, const std::string& bytes)
    {
        fs::create_directories((dir / name).parent_path());
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    }
    QString path(const std::string& name) const { return QString::fromStdString((dir / name).string()); }

    /// `segments` segments of 1.5 s with the given tone and backing sound.
    void makeSession(int segments, int tone, int backing, int time = 4)
    {
        Session& s = *model.Ses;
        s.SegCount = segments;
        for (int i = 1; i <= segments; ++i) {
            s.Segments[i] = model.Tables.DefaultSegment;
            s.Segments[i].Time = static_cast<std::uint8_t>(time);
            s.Segments[i].Tone = static_cast<std::uint8_t>(tone);
            s.Segments[i].BackingSound = static_cast<std::uint8_t>(backing);
        }
        model.recompute();
    }
    QString lastMessage() const
    {
        const QStringList shown = script.messages();
        return shown.isEmpty() ? QString() : shown.back();
    }
    void choose(QPushButton* button, const std::string& name)
    {
        script.files.push_back(path(name));
        button->click();
    }
    long saveDialogs() const
    {
        return std::count_if(script.shown.begin(), script.shown.end(),
                             [](const auto& s) { return s.what == ScriptedPrompts::Shown::What::Save; });
    }
    std::set<std::string> outFiles() const
    {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir / "out"))
            names.insert(e.path().filename().string());
        return names;
    }
    /// What every end of an export restores.
    void expectIdle()
    {
        EXPECT_TRUE(form->isEnabled() && editor->isEnabled() && graph->isEnabled());
        EXPECT_FALSE(progress->isVisible());
        EXPECT_FALSE(form->Playing);
        EXPECT_EQ(form->Button1->text(), "Start");
        EXPECT_FALSE(eng.ToneWavOpen || eng.BSWavOpen || eng.Recording || eng.StopRequest || eng.Ending);
        EXPECT_FALSE(eng.ToneWavFile.isOpen() || eng.BSWavFile.isOpen());
    }
};

} // namespace

TEST_F(WavWindow, ChoosersAcceptRefuseAndClearWithRecentFolders)
{
    const std::string good = put("src/good.wav", wavBytes());
    put("other/also.wav", wavBytes());
    struct Refused {
        const char* name;
        std::string bytes;
        QString shown = QString::fromLatin1(kChooserWavFormatText);
    };
    const Refused refused[] = {
        {"mono.wav", wavBytes(1, 1)},   {"24bit.wav", wavBytes(1, 2, 44100, 24)},
        {"float.wav", wavBytes(3)},     {"48k.wav", wavBytes(1, 2, 48000)},
        {"short.wav", std::string("RIFF\x24\0\0\0WAVEfmt ", 16)},
        {"T\xC3\xB6n \xE6\x97\xA5\xE6\x9C\xAC.wav", wavBytes(), // good, but no session file can name it
         "This wav file cannot be chosen: a session file cannot hold the name\r\n\"" +
             path("src/T\xC3\xB6n \xE6\x97\xA5\xE6\x9C\xAC.wav") +
             "\"\r\n(a character in it is not in Windows-1252). Rename the file or choose another one."},
    };
    for (const Refused& r : refused)
        put(std::string("src/") + r.name, r.bytes);

    struct Chooser {
        QPushButton* button;
        QLineEdit* edit;
        std::string* name;
    };
    for (const Chooser& c : {Chooser{form->Button2, form->Edit1, &form->ToneWavName},
                             Chooser{form->Button3, form->Edit3, &form->BSWavName}}) {
        SCOPED_TRACE(c.button->objectName().toStdString());
        Session& ses = *model.Ses;
        ses.SesModified = false;
        script.shown.clear();
        options->CheckBox1->setChecked(true);
        model.Folders.SrcWavDir = dir.string() + "/start/";

        c.button->click(); // cancelled with nothing chosen: no change to save
        ASSERT_EQ(script.shown.size(), 1u);
        EXPECT_EQ(script.shown[0].options.folder, path("start/"));
        EXPECT_EQ(script.shown[0].options.filters, QStringList{"Wave file (*.wav *.WAV)"});
        EXPECT_FALSE(ses.SesModified);

        choose(c.button, "src/good.wav");
        EXPECT_EQ(*c.name, good);
        EXPECT_EQ(c.edit->text(), "good.wav");
        EXPECT_TRUE(ses.SesModified);
        EXPECT_EQ(model.Folders.SrcWavDir, dir.string() + "/src/");
        EXPECT_EQ(options->Edit3->text(), path("src/"));

        for (const Refused& r : refused) {
            SCOPED_TRACE(r.name);
            ses.SesModified = false;
            script.shown.clear();
            choose(c.button, std::string("src/") + r.name);
            EXPECT_EQ(script.messages(), QStringList{r.shown});
            EXPECT_EQ(*c.name, good);
            EXPECT_EQ(c.edit->text(), "good.wav");
            EXPECT_FALSE(ses.SesModified);
        }
        script.files.push_back(path("src/gone.wav"));
        c.button->click();
        EXPECT_TRUE(lastMessage().contains("gone.wav")) << lastMessage().toStdString();
        EXPECT_EQ(*c.name, good);

        options->CheckBox1->setChecked(false);
        choose(c.button, "other/also.wav");
        EXPECT_EQ(c.edit->text(), "also.wav");
        EXPECT_EQ(model.Folders.SrcWavDir, dir.string() + "/src/") << "not remembered";

        ses.SesModified = false;
        c.button->click(); // Cancel takes the file away: the session changed
        EXPECT_TRUE(c.name->empty());
        EXPECT_TRUE(c.edit->text().isEmpty());
        EXPECT_TRUE(ses.SesModified);
    }
}

TEST_F(WavWindow, ExportWritesWholeBlocksAtTheRecordingLevelBehindAModalProgress)
{
    put("src/tone.wav", wavBytes());
    put("src/bs.wav", wavBytes());
    makeSession(3, 10, 4);
    choose(form->Button2, "src/tone.wav");
    choose(form->Button3, "src/bs.wav");
    model.Ses->SesTitle = "Morning";
    options->setRadioGroup1Index(1);
    options->RadioGroup1Click();
    options->TrackBar6->setValue(60); // recording
    options->TrackBar7->setValue(10); // playing
    const int block = form->AudioOut1->BufferSize();
    const std::string wavDir = model.Folders.WavDir;

    QStringList during; // seen at the first block
    QTimer::singleShot(0, [&] {
        during << QString::number(form->isEnabled() || editor->isEnabled() || graph->isEnabled())
               << QString::number(QApplication::activeModalWidget() == progress.get())
               << QString::number(eng.ToneWavOpen && eng.BSWavOpen) << form->Button1->text()
               << QString::number(eng.ASMaxLevel == audioStrobeLevel(60).maxLevel);
    });
    script.shown.clear();
    script.files.push_back(path("out/morning.wav"));
    form->BitBtn1->click();

    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join("|").toStdString();
    ASSERT_EQ(script.shown.size(), 1u);
    const FileDialogOptions& o = script.shown[0].options;
    EXPECT_EQ(QStringList({o.title, o.fileName, o.folder, o.defaultSuffix}),
              QStringList({"Set name of output WAV file", "Morning.wav", QString::fromStdString(wavDir), "wav"}));
    EXPECT_FALSE(o.confirmOverwrite) << "asked after the refusals";
    EXPECT_EQ(model.Folders.WavDir, dir.string() + "/out/");
    EXPECT_EQ(options->Edit4->text(), path("out/"));

    EXPECT_EQ(during, QStringList({"0", "1", "1", "Stop", "1"})) << "disabled, modal, readers open, recording level";
    expectIdle();

    const WavInfo info = readWavInfo((dir / "out/morning.wav").string());
    EXPECT_TRUE(isChooserWavFormat(info));
    EXPECT_GT(info.dataBytes, 0);
    EXPECT_EQ(info.dataBytes % block, 0);
    EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(dir / "out/morning.wav")), 44 + info.dataBytes);
    EXPECT_EQ(outFiles(), std::set<std::string>{"morning.wav"});

    eng.PrepareRun(RunKind::Start);
    EXPECT_EQ(eng.ASMaxLevel, audioStrobeLevel(10).maxLevel) << "the next start plays at the playing level";

    // Recordtowavfile1 is the same command; a session that needs no wav file
    // never opens one, not even a chosen one that is gone.
    makeSession(1, 1, 0, 1);
    form->ToneWavName = (dir / "src/gone.wav").string();
    script.files.push_back(path("out/plain.wav"));
    form->Recordtowavfile1->trigger();
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join("|").toStdString();
    EXPECT_TRUE(fs::exists(dir / "out/plain.wav"));
    expectIdle();
}

TEST_F(WavWindow, ExportRefusalsComeBeforeAnythingIsWritten)
{
    const std::string bs = put("src/bs.wav", wavBytes());
    makeSession(1, 10, 4);
    form->BitBtn1->click();
    EXPECT_EQ(script.messages(), QStringList{"No Tone Wav File selected !"});
    choose(form->Button2, "src/bs.wav");
    form->BitBtn1->click();
    EXPECT_EQ(lastMessage(), "No Backing Sound Wav File selected !");
    EXPECT_EQ(saveDialogs(), 0);

    choose(form->Button3, "src/bs.wav");
    script.files.push_back(QString::fromStdString(bs));
    script.shown.clear();
    form->BitBtn1->click();
    EXPECT_EQ(script.messages(), QStringList{"Cannot overwrite a wav file used by the session!"}) << "nothing asked";
    EXPECT_EQ(slurp(bs), wavBytes());

    // A folder of the name: refused before the first block is rendered.
    fs::create_directories(dir / "src/folder.wav");
    script.files.push_back(path("src/folder.wav"));
    eng.SesSamplePos = -1;
    form->BitBtn1->click();
    EXPECT_EQ(std::pair(lastMessage(), eng.SesSamplePos), std::pair(QString("Error writing to wav"), std::int64_t{-1}));

    makeSession(500, 1, 0, 3); // 500 minutes
    form->BitBtn1->click();
    EXPECT_EQ(lastMessage(), "The session is too long for a wav file!");
    EXPECT_EQ(saveDialogs(), 2);
    expectIdle();
    EXPECT_TRUE(outFiles().empty());

    // Any other file is asked about, and No goes back to the dialog.
    const std::string earlier = put("src/earlier.wav", "earlier");
    makeSession(3, 1, 4);
    script.files.push_back(QString::fromStdString(earlier));
    script.answers = {mrNo};
    const auto dialogs = saveDialogs();
    form->BitBtn1->click();
    EXPECT_EQ(lastMessage(), "earlier.wav already exists.\r\nDo you want to replace it?");
    EXPECT_EQ(std::pair(saveDialogs(), slurp(earlier)), std::pair(dialogs + 2, std::string("earlier")));
}

TEST_F(WavWindow, CancelAndFailuresLeaveTheEarlierFileAndRestoreTheWindows)
{
    put("src/bs.wav", wavBytes());
    makeSession(3, 1, 4);
    choose(form->Button3, "src/bs.wav");
    const std::string earlier = put("out/x.wav", "earlier export");
    rlimit unlimited{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    const std::pair<std::function<void()>, const char*> ways[] = {
        {[&] { QTimer::singleShot(0, progress->Button1, &QPushButton::click); }, nullptr},
        {[&] { // the write of the third block fails
             rlimit limit = unlimited;
             limit.rlim_cur = 44 + 2 * form->AudioOut1->BufferSize() + 100;
             ::setrlimit(RLIMIT_FSIZE, &limit);
         },
         "Error writing to wav"},
        {[&] { g_failFileCall = FileCall::Flush; }, "Error writing to wav"},
        {[&] { g_failFileCall = FileCall::Close; }, "Error writing to wav"},
        {[&] { g_failFileCall = FileCall::Rename; }, "Error writing to wav"},
        {[&] { fs::remove(dir / "src/bs.wav"); }, "bs.wav"}, // the reader's own error
    };
    for (const auto& [breakIt, message] : ways) {
        SCOPED_TRACE(message ? message : "Cancel");
        script.shown.clear();
        breakIt();
        script.files.push_back(QString::fromStdString(earlier));
        form->BitBtn1->click();
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        g_failFileCall = FileCall::None;
        QStringList shown = script.messages();
        EXPECT_EQ(shown.takeFirst(), "x.wav already exists.\r\nDo you want to replace it?");
        if (message)
            EXPECT_TRUE(shown.size() == 1 && shown[0].contains(message)) << shown.join("|").toStdString();
        else
            EXPECT_TRUE(shown.isEmpty());
        expectIdle();
        EXPECT_EQ(slurp(earlier), "earlier export");
        EXPECT_EQ(outFiles(), std::set<std::string>{"x.wav"});
    }
    std::signal(SIGXFSZ, oldSignal);
}
