#include <gtest/gtest.h>

#include <unistd.h>

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>

#include "../support/FailingFileCalls.h"
#include "FakeWaveOut.h"
#include "components/AudioIO.h"
#include "engine/SampleTables.h"
#include "engine/TestTables.h"
#include "platform/Prompts.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit10.h"
#include "player/UserWaveLists.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The editor and the main window over a User_Waves folder holding Calm (wave
// 2), calm and w3 (which the editor's list holds already) and a short file,
// with the shipped built-in waves.
struct WaveEditor : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("lumi-uwe-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path waves = dir / "User_Waves";
    WaveTable calm = [] { // the samples of every user wave file
        WaveTable t{};
        std::iota(t.begin(), t.end() - 1, std::int16_t(2000));
        return t;
    }();
    ScriptedPrompts script;
    PlayerModel model;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm10> editor;

    WaveEditor()
    {
        fs::create_directories(waves);
        for (const auto& [name, samples] : {std::pair("Calm", kWaveLen), std::pair("calm", kWaveLen),
                                            std::pair("w3", kWaveLen), std::pair("short", kWaveLen - 1)})
            std::ofstream((waves / (name + std::string(".pcm"))).string(), std::ios::binary)
                .write(reinterpret_cast<const char*>(calm.data()), 2 * samples);
        model.Tables = syntheticTables();
        model.Tables.WaveNames[1] = "W1 \t";
        LoadSampleBuffers(LUMI_BIN_DIR, *model.Samples);
        model.UserWavesDir = waves.string() + "/";
        form = std::make_unique<TForm1>(model);
        Form1 = form.get();
        form->SearchPcmDir(model.UserWavesDir);
        editor = std::make_unique<TForm10>(model);
        editor->FormCreate();
    }
    ~WaveEditor() override
    {
        Form1 = nullptr;
        PlaybackLock::clear();
        fs::permissions(waves, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    // What a user's choice does: the list changes, then activated fires.
    static void choose(QComboBox* box, const QString& text)
    {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        emit box->activated(i);
    }
    bool save(const std::string& name) { return editor->saveUserWaveAs(QString::fromStdString(name)); }
    static QStringList items(QComboBox* box)
    {
        QStringList l;
        for (int i = 0; i < box->count(); ++i)
            l << box->itemText(i);
        return l;
    }
    bool sourceIs(int n, const WaveTable& t) { return editor->mix().SourceWaves[n - 1] == t; }
    const WaveTable& dest() { return editor->mix().DestWave; }
    std::string destBytes() { return std::string(reinterpret_cast<const char*>(dest().data()), 2 * kWaveLen); }
};

} // namespace

TEST_F(WaveEditor, ListsAndSourcesComeWholeOrNotAtAll)
{
    QStringList expected;
    for (int t = 1; t <= 15; ++t)
        expected << QString("W%1").arg(t);
    expected << "Calm" << "short";
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(items(editor->ComboBox[n]), expected);
        EXPECT_EQ(editor->ComboBox[n]->currentIndex(), 0);
        EXPECT_TRUE(sourceIs(n, model.Samples->LoadedWaves[1]));
    }

    // The engine's live noise in table 2 never reaches a designed wave.
    model.Samples->WaveTables[2].fill(77);
    WaveTable surf{};
    readPcmSamples(std::string(LUMI_BIN_DIR) + "/Surf.pcm", surf.data(), kWaveLen);
    choose(editor->ComboBox[1], "W2");
    EXPECT_TRUE(sourceIs(1, surf));
    choose(editor->ComboBox[2], "Calm");
    EXPECT_TRUE(sourceIs(2, calm));

    fs::remove(waves / "Calm.pcm");
    for (const char* name : {"short", "Calm"}) {
        SCOPED_TRACE(name);
        choose(editor->ComboBox[2], name);
        EXPECT_EQ(editor->ComboBox[2]->currentText(), "Calm");
        EXPECT_TRUE(sourceIs(2, calm));
        EXPECT_TRUE(script.messages().back().contains(QString(name) + ".pcm"));
    }
    EXPECT_FALSE(model.Ses->SesModified);
}

TEST_F(WaveEditor, RefusedOrFailedSavesChangeNothing)
{
    fs::create_directories(dir / "user_waves");
    const std::string old = slurp(waves / "Calm.pcm");
    const QString badPath = "Invalid file path !\r\n\r\nPlease use \"User_Waves\" directory only !";
    const QString badName = "Invalid file name !\r\n\r\nPlease use a name without dots or special characters.";
    const std::tuple<fs::path, QString, FileCall> cases[] = {
        {dir / "user_waves/x.pcm", badPath, FileCall::None},
        {dir / "x.pcm", badPath, FileCall::None},
        {waves / "W2.pcm",
         "Wave with specified file name already exists and cannot be ovewritten!\r\n\r\nPlease use different file name.",
         FileCall::None},
        {waves / "my.wave.pcm", badName, FileCall::None},
        {waves / "foo.txt", badName, FileCall::None},
        {waves / ".pcm", badName, FileCall::None},
        {waves / "\xD0\xB6.pcm", badName, FileCall::None}, // Cyrillic: no Windows-1252 byte
        {waves / "Calm.pcm", "Could not write", FileCall::Write},
    };
    for (const auto& [path, message, fail] : cases) {
        SCOPED_TRACE(path);
        g_failFileCall = fail;
        EXPECT_FALSE(save(path.string()));
        g_failFileCall = FileCall::None;
        EXPECT_TRUE(script.messages().back().startsWith(message)) << script.messages().back().toStdString();
    }
    if (::geteuid() != 0) { // permissions do not bind root
        fs::permissions(waves, fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_FALSE(save((waves / "Calm.pcm").string()));
    }
    EXPECT_EQ(slurp(waves / "Calm.pcm"), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(waves), {}), 4) << "no temporary left";
    EXPECT_TRUE(fs::is_empty(dir / "user_waves"));
    EXPECT_EQ(editor->ComboBox[1]->count(), 17);
    EXPECT_FALSE(model.Ses->SesModified);
}

TEST_F(WaveEditor, SavedWavesReachBothWindowsListsOrReloadWhereListed)
{
    editor->TrackBar[1]->setValue(50);
    ASSERT_TRUE(save((waves / "New.PCM").string()));
    EXPECT_EQ(slurp(waves / "New.pcm"), destBytes());
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(editor->ComboBox[n]->itemText(17), "New");
        EXPECT_EQ(items(form->userWaves().comboBox(n)), QStringList({"Calm", "calm", "New", "short", "Sine", "w3"}));
    }
    EXPECT_FALSE(model.Ses->SesModified) << "no handler ran";
    EXPECT_TRUE(script.shown.empty());

    // Another case of an existing wave: its own file, asked about first.
    choose(form->ComboBox1, "Calm");
    choose(editor->ComboBox[2], "Calm");
    model.Ses->SesModified = false;
    script.answers = {mrNo, mrYes};
    EXPECT_FALSE(save((waves / "CALM.pcm").string()));
    const std::string bytes = destBytes();
    const WaveTable saved = dest();
    EXPECT_TRUE(save((waves / "CALM.pcm").string()));
    EXPECT_EQ(script.messages(), QStringList(2, "Calm.pcm already exists.\r\nDo you want to replace it?"));
    EXPECT_EQ(slurp(waves / "Calm.pcm"), bytes);
    EXPECT_FALSE(fs::exists(waves / "CALM.pcm"));
    EXPECT_EQ(model.Samples->WaveTables[16], saved);
    EXPECT_TRUE(sourceIs(2, saved));
    EXPECT_TRUE(model.Ses->SesModified);

    // A name only the editor lists (a built-in one in another case).
    model.Ses->SesModified = false;
    ASSERT_TRUE(save((waves / "w2.pcm").string()));
    EXPECT_EQ(editor->ComboBox[3]->count(), 18) << "the editor reloads";
    EXPECT_EQ(form->userWaves().comboBox(3)->findText("w2"), 5) << "the main window lists it";
    EXPECT_FALSE(model.Ses->SesModified);

    // A name beyond ASCII is listed as the file system spells it, in both
    // windows alike, so a second save finds it in each and lists it once.
    const QString umlaut = QString::fromUtf8("\xc3\x9c" "bung");
    const QString umlautFile = QString::fromStdString(waves.string()) + "/" + umlaut + ".pcm";
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(editor->saveUserWaveAs(umlautFile));
        EXPECT_TRUE(QFileInfo::exists(umlautFile));
        EXPECT_EQ(editor->ComboBox[1]->count(), 19);
        EXPECT_EQ(editor->ComboBox[1]->findText(umlaut), 18);
        EXPECT_EQ(form->userWaves().comboBox(1)->findText(umlaut), 7);
    }
}

TEST_F(WaveEditor, LabelsPicturesAndPreview)
{
    for (const auto& [bar, pos, label, text] :
         {std::tuple(1, 100, editor->Label[1], "Amplitude: 1.00"), std::tuple(2, 29, editor->Label[2], "Amplitude: 0.29"),
          std::tuple(6, 90, editor->Label[6], "Phase: 90"), std::tuple(12, 3, editor->Label[12], "Freq x 3"),
          std::tuple(13, 37, editor->Label17, "Preview Pitch: D6")}) {
        editor->TrackBar[bar]->setValue(pos);
        EXPECT_EQ(label->text(), text);
    }
    EXPECT_EQ(editor->preview().PreviewStep, 37.05f) << "370.5 Hz";

    // Navy with white for the sources, teal with yellow for the result; the
    // line passes y(k) = middle - round(wave[k] * (height - margin) / 65536).
    for (const auto& [image, margin, back, line, wave] :
         {std::tuple(1, 4, QColor(0, 0, 128), QColor(Qt::white), editor->mix().SourceWaves[0]),
          std::tuple(5, 7, QColor(0, 128, 128), QColor(Qt::yellow), dest())}) {
        const QImage& img = editor->Image[image]->picture();
        const int h = img.height();
        for (int x = 0; x < img.width(); x += 37) {
            const int y = h / 2 - int(std::lrint(wave[std::lrint(x * 4410.0 / img.width())] * (h - margin) / 65536.0));
            EXPECT_EQ(img.pixelColor(x, y), line) << image << " x " << x;
            EXPECT_EQ(img.pixelColor(x, y < h / 2 ? h - 1 : 0), back);
        }
    }

    FakeWaveOutBackend fake;
    fake.failOpen = MMSYSERR_NODRIVER;
    editor->Button1->click();
    EXPECT_EQ(std::tuple(editor->Button1->text(), script.shown.size()), std::tuple("Preview", 1u));
    editor->Button1->click();
    EXPECT_EQ(editor->Button1->text(), "Stop");
    editor->hide();
    EXPECT_TRUE(editor->AudioOut1->DeviceOpen()) << "hiding keeps it playing";
    const auto write = std::find_if(fake.calls.begin(), fake.calls.end(), [](auto& c) { return c.what == "write"; });
    ASSERT_NE(write, fake.calls.end());
    ASSERT_EQ(write->bytes.size(), 16384u);
    EXPECT_EQ(std::int16_t(write->bytes[0] | write->bytes[1] << 8), std::lrint(dest()[0] * 0.1L));
    editor->Button1->click();
    EXPECT_EQ(editor->Button1->text(), "Preview");
    EXPECT_FALSE(editor->AudioOut1->DeviceOpen());
}
