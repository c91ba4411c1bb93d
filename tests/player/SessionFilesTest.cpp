#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <tuple>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSlider>

#include "../support/FailingFileCalls.h"
#include "RecordingEditor.h"
#include "components/AudioIO.h"
#include "engine/MindlabImport.h"
#include "engine/PhotosonixImport.h"
#include "engine/Random.h"
#include "engine/SessionFile.h"
#include "engine/TestTables.h"
#include "engine/WavFile.h"
#include "platform/Prompts.h"
#include "platform/TextLines.h"
#include "player/EditorGrid.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/SegmentGridModel.h"
#include "player/SessionImports.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit2.h"
#include "player/Unit4.h"
#include "player/Unit7.h"
#include "player/Unit8.h"
#include "player/UserWaveLists.h"
#include "support/PrivateSettings.h"

namespace fs = std::filesystem;

namespace {

std::string wavBytes(int channels = 2)
{
    WavHeader h = canonicalWavHeader();
    patchWavSizes(h, 400);
    h[22] = static_cast<std::uint8_t>(channels);
    return std::string(h.begin(), h.end()) + std::string(400, '\0');
}

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The windows a session reaches, on synthetic tables, with folders below the
// test's own; the user-wave folder holds "Bell" and an unreadable "Short".
struct SessionFiles : ::testing::Test {
    PrivateSettings settings; // first: before any window reads them
    ScriptedPrompts script;
    PlayerModel model;
    Session& ses = *model.Ses;
    fs::path dir = fs::temp_directory_path() / ("sesfiles-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(model);
    std::unique_ptr<TForm2> properties = std::make_unique<TForm2>();
    std::unique_ptr<TForm3> editor = std::make_unique<TForm3>(model);
    std::unique_ptr<TForm4> options = std::make_unique<TForm4>(*model.Eng, model.Eng->AudioOutputFilter, model.Folders,
                                                               *form->AudioOut1, dir.string());
    std::unique_ptr<TForm8> graph = std::make_unique<TForm8>(model, editor->gridModel());

    SessionFiles()
    {
        model.Tables = syntheticTables();
        std::tie(Form1, Form2, Form3, Form4, Form8) =
            std::tuple(form.get(), properties.get(), editor.get(), options.get(), graph.get());
        put("waves/Bell.pcm", std::string(8820, '\x01'));
        put("waves/Short.pcm", "xx");
        form->SearchPcmDir(at("waves/"));
        editor->NewProc();
        options->CheckBox1->setChecked(true);
    }
    ~SessionFiles() override
    {
        std::tie(Form1, Form2, Form3, Form4, Form8) = std::tuple(nullptr, nullptr, nullptr, nullptr, nullptr);
        PlaybackLock::clear();
        fs::remove_all(dir);
    }
    std::string at(const std::string& name) const { return (dir / name).string(); }
    std::string put(const std::string& name, const std::string& bytes)
    {
        fs::create_directories((dir / name).parent_path());
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return at(name);
    }
    /// A file of `segments` default segments; `edit` changes its text first.
    std::string sessionFile(const SessionGlobals& g, int segments = 2, std::function<void(std::string&)> edit = {})
    {
        SessionSnapshot s{"Read", "Line 1\r\nLine 2", std::vector<TSegRec>(segments, model.Tables.DefaultSegment), g};
        std::string text = FormatSession(s, model.Tables);
        if (edit)
            edit(text);
        return put("read.lsf", text);
    }
    void open(const std::string& path)
    {
        script.shown.clear();
        script.files = {QString::fromStdString(path)};
        form->Open1->trigger();
    }
    void setSegments(const std::vector<TSegRec>& records)
    {
        editor->gridModel().resetSession([&] {
            ses.Segments.fill({});
            std::copy(records.begin(), records.end(), ses.Segments.begin() + 1);
            ses.SegCount = static_cast<int>(records.size());
        });
    }
};

} // namespace

TEST_F(SessionFiles, SaveAsWritesTheGridsTextsAndOpenGivesEverythingBack)
{
    TSegRec wavs = model.Tables.DefaultSegment;
    wavs.Tone = 10;
    wavs.BackingSound = 4;
    TSegRec ramped = wavs;
    for (int f : {fPitch1, fVolume, fWave2, fHBeat})
        ramped[f] |= kRampFlag;
    const std::vector<TSegRec> records{wavs, ramped, model.Tables.DefaultSegment};
    setSegments(records);
    for (auto [bar, value] : {std::pair{form->TrackBar2, 40}, {form->TrackBar4, 10}, {form->TrackBar3, 90},
                              {form->TrackBar5, 7}})
        bar->setValue(value);
    form->ToneWavName = put("Source_Wav/tone.wav", wavBytes());
    form->Edit1->setText("tone.wav");
    form->BSWavName = put("Source_Wav/rain.wav", wavBytes());
    form->Edit3->setText("rain.wav");
    form->userWaves().SelectForSession(2, "Bell");
    ses.SessionName = "Deep: calm";
    ses.SessionDescription = "One\r\n\r\nThree";

    script.files = {QString::fromStdString(at("sessions/a.lsf"))};
    fs::create_directories(dir / "sessions");
    editor->Save1->trigger();
    EXPECT_TRUE(script.messages().isEmpty());
    EXPECT_EQ(std::tuple(ses.SesFileName, model.Folders.SesDir, ses.SesModified),
              std::tuple(at("sessions/a.lsf"), at("sessions/"), false));
    EXPECT_EQ(QStringList({form->windowTitle(), editor->windowTitle(), graph->windowTitle()}).join("|"),
              "Lumisonorium SW 3.8 - [a]|Lumisonorium SW 3.8 - Spreadsheet Editor - [a]|"
              "Lumisonorium SW 3.8 - Graphic Editor - [a]");
    const std::vector<std::string> lines = splitLines(slurp(at("sessions/a.lsf")));
    const auto start = std::find(lines.begin(), lines.end(), "START") - lines.begin();
    for (int seg = 1; seg <= 3; ++seg) {
        const QStringList tokens = QString::fromStdString(lines[start + seg]).split('\t');
        ASSERT_EQ(tokens.size(), kFieldCount + 1);
        for (int row = 1; row <= kFieldCount; ++row)
            EXPECT_EQ(tokens[row], editor->gridModel().index(row - 1, seg - 1).data().toString()) << seg << "/" << row;
    }

    editor->NewProc();
    open(at("sessions/a.lsf"));
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join("|").toStdString();
    EXPECT_EQ(script.shown[0].options.filterPatterns, QStringList{"*.lsf *.lrf"});
    ASSERT_EQ(ses.SegCount, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ses.Segments[i + 1], records[i]) << i;
    EXPECT_EQ(std::tuple(form->TrackBar2->value(), form->TrackBar4->value(), form->TrackBar3->value(),
                         form->TrackBar5->value(), model.Eng->FMDepth),
              std::tuple(40, 10, 90, 7, 0.07f));
    EXPECT_EQ(std::tuple(form->ToneWavName, form->Edit3->text(), form->ComboBox2->currentText()),
              std::tuple(at("Source_Wav/tone.wav"), QString("rain.wav"), QString("Bell")));
    EXPECT_EQ(std::tuple(properties->sessionDescription(), form->Edit2->text(), ses.SesModified),
              std::tuple("One\r\n\r\nThree", QString("3:00"), false));
}

TEST_F(SessionFiles, WriterAsksAboutUnusedWavsAndStillSavesWithoutNeededOnes)
{
    ses.SesFileName = at("s.lsf");
    for (int answer : {mrNo, mrYes}) {
        script.shown.clear();
        script.answers = {answer};
        form->ToneWavName = "/w/tone.wav";
        form->Edit1->setText("tone.wav");
        ASSERT_TRUE(editor->SaveProc());
        EXPECT_EQ(script.messages(), QStringList{
            "\"Tone Wav File\" and/or \"Backing Sound Wav File\" reference to the particular wav file(s)\r\nbut "
            "they may be never used in the session. Do you wish to remove the invalid references?\r\n- i.e. clear "
            "the \"Tone Wav File\" and/or \"Backing Sound Wav File\" edit boxes?"});
        const bool kept = answer == mrNo;
        EXPECT_EQ(form->Edit1->text().isEmpty(), !kept);
        EXPECT_TRUE(slurp(at("s.lsf")).find(kept ? "File: /w/tone.wav\r\n" : "File: \r\n") != std::string::npos);
    }
    TSegRec needsTone = model.Tables.DefaultSegment;
    needsTone.Tone = 11;
    setSegments({needsTone});
    script.shown.clear();
    EXPECT_TRUE(editor->SaveProc());
    EXPECT_EQ(script.messages(), QStringList{
        "The current session uses \"Tone Wav File\" and/or \"Backing Sound Wav File\" but there is no particular wav "
        "file assigned.\r\nPlease assign particular wav file(s) to \"Tone Wav File\" and/or \"Backing Sound Wav "
        "File\" at the main window."});
    EXPECT_TRUE(slurp(at("s.lsf")).find("\tTone11\t") != std::string::npos) << "written all the same";
    EXPECT_FALSE(ses.SesModified);
}

TEST_F(SessionFiles, FailedSaveKeepsTheOldFileTheNameAndTheModifiedMarkAndStopsOpen)
{
    const std::string old = put("ro/keep.lsf", "the previous session");
    ses.SesFileName = old;
    form->setWindowTitle("[keep]");
    rlimit unlimited{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    const auto failing = [](FileCall call) {
        return [call](bool on) { g_failFileCall = on ? call : FileCall::None; };
    };
    const std::pair<const char*, std::function<void(bool)>> cases[] = {
        {"read-only folder",
         [&](bool on) {
             fs::permissions(dir / "ro", fs::perms::owner_write,
                             on ? fs::perm_options::remove : fs::perm_options::add);
         }},
        {"disk full", [&](bool on) {
             rlimit limit{on ? 64 : unlimited.rlim_cur, unlimited.rlim_max};
             ::setrlimit(RLIMIT_FSIZE, &limit);
         }},
        {"write fails", failing(FileCall::Write)},
        {"flush fails", failing(FileCall::Flush)},
        {"close fails", failing(FileCall::Close)},
        {"rename fails", failing(FileCall::Rename)}};
    for (const auto& [name, fail] : cases) {
        SCOPED_TRACE(name);
        if (name == std::string("read-only folder") && ::geteuid() == 0)
            continue; // permissions do not bind root
        script.shown.clear();
        ses.SesModified = true;
        fail(true);
        const bool saved = editor->SaveProc();
        script.answers = {mrYes};
        form->Open1->trigger(); // "Save it?" Yes, and the save fails again
        fail(false);
        EXPECT_EQ(std::tuple(saved, slurp(old), ses.SesModified), std::tuple(false, "the previous session", true));
        EXPECT_EQ(std::distance(fs::directory_iterator(dir / "ro"), {}), 1) << "no temporary left";
        ASSERT_EQ(script.messages().size(), 3);
        EXPECT_TRUE(script.messages()[0].startsWith(QString::fromStdString("Could not write \"" + old + "\": ")));
        EXPECT_EQ(script.shown.back().what, ScriptedPrompts::Shown::What::Message) << "no open dialog";
    }
    std::signal(SIGXFSZ, oldSignal);

    script.files = {QString::fromStdString(at("gone/new.lsf"))};
    EXPECT_FALSE(editor->SaveAsProc());
    EXPECT_EQ(std::tuple(ses.SesFileName, form->windowTitle()), std::tuple(old, QString("[keep]")));
    EXPECT_EQ(model.Folders.SesDir, at("gone/")) << "the folder follows the dialog";
}

TEST_F(SessionFiles, ReaderFindsWavFilesAndUserWavesOrSaysWhatIsMissingOnceAfterTheSegments)
{
    SessionGlobals g;
    g.ToneWavName = "C:\\Sessions\\Wavs\\tone.wav";
    g.BSWavName = "/gone/rain.wav";
    g.UserWaves = {"bell", "Nope", "Short", "Sine"};
    const std::string relocated = put("Source_Wav/tone.wav", wavBytes());
    open(sessionFile(g));
    EXPECT_EQ(script.messages(), QStringList{"User wave file not found !"}) << "once, for two slots";
    EXPECT_EQ(std::tuple(form->ToneWavName, form->Edit1->text(), form->BSWavName, form->Edit3->text()),
              std::tuple(relocated, QString("tone.wav"), "", QString()));
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(form->userWaves().currentName(n), n == 1 ? "Bell" : "Sine") << n;
    EXPECT_EQ(model.Samples->WaveTables[18], model.Samples->WaveTables[1]);

    // Another format is kept, with the reason; the warning about repaired values comes last.
    g = {};
    g.ToneWavName = put("elsewhere/mono.wav", wavBytes(1));
    g.UserWaves = {"Sine", "Sine", "Sine", "Gone"};
    open(sessionFile(g, 4, [](std::string& text) {
        text.replace(text.find("AM Depth: 50"), 12, "AM Depth: lots");
        text.replace(text.rfind("\tT3\t"), 4, "\tT99\t");
    }));
    EXPECT_EQ(std::tuple(ses.SegCount, ses.Segments[4]), std::tuple(4, model.Tables.DefaultSegment));
    EXPECT_EQ(form->Edit1->text(), "mono.wav");
    const QStringList shown = script.messages();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown.mid(0, 2), QStringList({"Unsupported file format!\r\n\r\nOnly Wav files (16 bit, 44.1 kHz, stereo) "
                                            "are supported.", "User wave file not found !"}));
    EXPECT_TRUE(shown[2].contains("Segment 4: Time") && shown[2].contains("AM Depth: \"lots\""))
        << shown[2].toStdString();
    EXPECT_EQ(script.shown.back().kind, MsgKind::Warning);

    // The ignore boxes keep the window's settings, and their slider repairs unsaid.
    for (QCheckBox* box : {options->CheckBox8, options->CheckBox9, options->CheckBox10})
        box->setChecked(true);
    form->TrackBar2->setValue(33);
    ses.SesModified = false;
    g = {60, 60, 60, 90, "", "", {"Sine", "Sine", "Sine", "Nope"}};
    open(sessionFile(g, 2, [](std::string& text) { text.replace(text.find("BS Volume: 60"), 13, "BS Volume: x"); }));
    EXPECT_TRUE(script.messages().isEmpty());
    EXPECT_EQ(std::tuple(form->TrackBar2->value(), form->TrackBar5->value(), form->Edit1->text(), ses.SegCount),
              std::tuple(33, 20, QString("mono.wav"), 2));
}

TEST_F(SessionFiles, OlderKindTakesTheLsfNameAndIsLeftUntouched)
{
    const std::string bytes =
        "Session Name: Old one\r\nSegments: 1\r\nSession Description:\r\nLine one\r\nSTART\r\n"
        "1\tT3\tTone1\t0.5\t0.6\t0.7\t0.8\tA0\tA1\tOX-XO\tnone\t50\t50  \t100  \tSG1\tW1\tW2\tB1\t10  \r\n";
    const std::string old = put("old.lrf", bytes);
    open(old);
    EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join("|").toStdString();
    EXPECT_EQ(std::tuple(ses.SesFileName, form->windowTitle(), ses.SessionName, ses.SessionDescription),
              std::tuple(at("old.lsf"), QString("Lumisonorium SW 3.8 - [old]"), "Old one", "Line one"));
    EXPECT_EQ(ses.Segments[1].Phase, 7) << "OX-XO";
    EXPECT_EQ(std::tuple(slurp(old), fs::exists(at("old.lsf"))), std::tuple(bytes, false)) << "left untouched";
}

TEST_F(SessionFiles, RefusedFileChangesNothing)
{
    TSegRec seg = model.Tables.DefaultSegment;
    seg.Time = 5;
    setSegments({seg, seg});
    ses.SesFileName = at("good.lsf");
    form->setWindowTitle("[good]");
    ses.SesModified = true;
    const std::string broken =
        sessionFile({}, 2, [](std::string& text) { text.insert(text.find("Segments: 2") + 11, "x"); });
    const std::pair<std::string, QString> cases[] = {
        {broken, "\"read.lsf\" is not a valid session file: line 3"},
        {put("in/notes.lsf", "Some notes\r\n"),
         "\"notes.lsf\" is not a valid session file: line 1: the file ends here, before the session name."},
        {put("in/old.lrf", "Session Name\r\n"),
         "\"old.lrf\" is not a valid session file: line 1: the line holds no \":\" before the session name."},
        {at("none.lsf"), "Could not open"},
        {put("a.txt", "x"), "Unsupported session file format"},
        {[&] { ::mkfifo(at("pipe.lsf").c_str(), 0666); return at("pipe.lsf"); }(), "Could not open"},
        {[&] { fs::create_directory(at("folder.lsf")); return at("folder.lsf"); }(), "Could not open"},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file);
        script.answers = {mrNo};
        open(file);
        EXPECT_TRUE(script.messages().value(1).startsWith(message)) << script.messages().join("|").toStdString();
        EXPECT_EQ(std::tuple(ses.SegCount, ses.Segments[2], ses.SesFileName, form->windowTitle(), ses.SesModified),
                  std::tuple(2, seg, at("good.lsf"), QString("[good]"), true));
    }

    // At start-up a refused file leaves a new session without a name.
    ses.SesModified = false;
    ses.SesFileName = broken;
    script.shown.clear();
    form->OpenSessionWhenRun();
    EXPECT_EQ(std::tuple(ses.SesFileName, ses.SegCount, form->windowTitle(), script.messages().value(0)),
              std::tuple(std::string(), 1, QString("Lumisonorium SW 3.8 - []"),
                         "\"read.lsf\" is not a valid session file: line 3: the number of segments is not a whole "
                         "number from 1 to 2000."));
}

TEST_F(SessionFiles, NewReplacesEverythingOnlyWhenTheSaveQuestionAllowsIt)
{
    RecordingEditor link;
    model.SegClipboard.Count = 3;
    const auto state = [&] {
        return std::tuple(ses.SegCount, ses.Segments[3], ses.SesFileName, ses.SesTitle, ses.SessionName,
                          properties->sessionName(), form->windowTitle(), form->TrackBar2->value(),
                          form->ToneWavName, form->userWaves().currentName(3));
    };
    struct Case {
        const char* name;
        bool modified;
        int answer;
        std::string fileName;
        bool replaced;
    };
    const Case cases[] = {
        {"unmodified", false, 0, at("old.lsf"), true},       {"no", true, mrNo, at("old.lsf"), true},
        {"yes, saved", true, mrYes, at("old.lsf"), true},    {"cancel", true, mrCancel, at("old.lsf"), false},
        {"yes, save as cancelled", true, mrYes, "", false}, {"yes, write failed", true, mrYes, at("gone/x.lsf"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setSegments({3, TSegRec{.Tone = 9}});
        nameSession(ses, c.fileName);
        ses.SessionName = "Name";
        properties->setSessionName("Name");
        form->ToneWavName = put("Source_Wav/tone.wav", wavBytes());
        form->Edit1->setText("tone.wav");
        form->userWaves().SelectForSession(3, "Bell");
        for (QSlider* bar : {form->TrackBar1, form->TrackBar2, form->TrackBar3, form->TrackBar4, form->TrackBar5})
            bar->setValue(7);
        ses.SesModified = c.modified;
        script.shown.clear();
        link.log.clear();
        const auto before = state();
        script.answers = {c.answer, mrNo}; // No: keep the wav file the segments do not use
        editor->New1->trigger();
        EXPECT_EQ(script.messages().value(0), c.modified ? "Session has been modified. Save it?" : QString());
        EXPECT_EQ(model.SegClipboard.Count, 3) << "the clipboard stays";
        EXPECT_EQ(link.log.filter("resetZoom").size(), c.replaced && c.modified) << "only after the question";
        if (!c.replaced) {
            EXPECT_EQ(std::tuple(state(), ses.SesModified), std::tuple(before, true));
            continue;
        }
        EXPECT_EQ(std::tuple(ses.SegCount, ses.Segments[3], ses.SesModified), std::tuple(1, TSegRec{}, false));
        EXPECT_EQ(std::tuple(ses.SesFileName, ses.SesTitle, ses.SessionName, properties->sessionName(),
                             form->ToneWavName, form->Edit1->text()),
                  std::tuple("", "", "", "", "", QString()));
        EXPECT_EQ(QStringList({form->windowTitle(), editor->windowTitle(), graph->windowTitle()}).join("|"),
                  "Lumisonorium SW 3.8 - []|Lumisonorium SW 3.8 - Spreadsheet Editor - []|"
                  "Lumisonorium SW 3.8 - Graphic Editor - []");
        EXPECT_EQ(std::tuple(form->TrackBar1->value(), form->Edit2->text(), form->TrackBar3->value(),
                             model.Eng->BSWavVol),
                  std::tuple(10, QString("1:00"), 50, 0.5f)) << "a slider's handler ran";
        for (int n = 1; n <= 4; ++n) {
            EXPECT_EQ(form->userWaves().currentName(n), "Sine") << n;
            EXPECT_EQ(model.Samples->WaveTables[15 + n], model.Samples->WaveTables[1]) << "slot " << n;
        }
    }
}

TEST_F(SessionFiles, FirstSaveAfterAnOlderKindAsksBeforeReplacingTheLsfBesideIt)
{
    const std::string bytes = "Session Name: Old\r\nSegments: 1\r\nSession Description:\r\n\r\nSTART\r\n1\tT3\t"
                              "Tone1\t0.5\t0.6\t0.7\t0.8\tA0\tA1\tOX-XO\tnone\t50\t50  \t100  \tSG1\tW1\tW2\tB1\t10  \r\n";
    const QString question =
        QString::fromStdString(at("old.lsf")) + " already exists.\r\nDo you want to replace it?";
    for (const auto& [other, answer] : {std::pair{false, mrNone}, {true, mrYes}, {true, mrNo}}) {
        SCOPED_TRACE(answer);
        fs::remove(at("old.lsf"));
        if (other)
            put("old.lsf", "unrelated");
        open(put("old.lrf", bytes));
        script.answers = {answer, mrNo};
        form->Save1->trigger();
        form->Save1->trigger(); // asks until the file is written
        const bool kept = answer == mrNo;
        EXPECT_EQ(script.messages(), other ? QStringList(kept ? 2 : 1, question) : QStringList());
        EXPECT_EQ(std::tuple(slurp(at("old.lsf")) == "unrelated", slurp(at("old.lrf")), ses.SesModified),
                  std::tuple(kept, bytes, kept));
    }
}

TEST_F(SessionFiles, NamesWithAccentsRoundTripAndNamesOutsideTheCodePageAreRefused)
{
    // As the file system spells them (UTF-8), and as a session file stores them.
    const std::pair<std::string, const char*> cases[] = {{"\xC3\x9C" "bung", "\xDC" "bung"},
                                                         {"\xCE\xA9" "mega", nullptr}};
    TSegRec tone = model.Tables.DefaultSegment;
    tone.Tone = 10; // plays the tone wav file
    for (const auto& [name, stored] : cases) {
        const QString shown = QString::fromStdString(name);
        put("waves/" + name + ".pcm", std::string(8820, '\x02'));
        form->SearchPcmDir(at("waves/"));
        const int listed = form->ComboBox1->findText(shown);
        ASSERT_GE(listed, 0) << "listed as the user typed it";
        form->ComboBox1->setCurrentIndex(listed);
        emit form->ComboBox1->activated(listed);
        setSegments({tone});
        form->ToneWavName = put("Source_Wav/" + name + ".wav", wavBytes());
        form->Edit1->setText(shown + ".wav");
        fs::remove(at("names.lsf"));
        ses.SesModified = true; // built, not saved yet
        script.shown.clear();
        script.files = {QString::fromStdString(at("names.lsf"))};
        form->SaveAs1->trigger();
        if (!stored) {
            EXPECT_EQ(form->ComboBox1->currentText(), "Sine") << "the list refused it";
            EXPECT_TRUE(script.messages().value(0).contains(shown)) << script.messages().join("|").toStdString();
            EXPECT_EQ(std::tuple(fs::exists(at("names.lsf")), ses.SesModified), std::tuple(false, true));
            continue;
        }
        const std::string text = slurp(at("names.lsf"));
        EXPECT_NE(text.find(std::string("User Wave 1: ") + stored + "\r\n"), std::string::npos);
        EXPECT_NE(text.find(std::string("/") + stored + ".wav\r\n"), std::string::npos);
        editor->NewProc();
        open(at("names.lsf"));
        EXPECT_EQ(std::tuple(form->ComboBox1->currentText(), form->Edit1->text(), form->ToneWavName),
                  std::tuple(shown, shown + ".wav", at("Source_Wav/" + name + ".wav")));
        EXPECT_EQ(model.Samples->WaveTables[16][0], 0x0202);
    }
}

namespace {

// A Photosonix segment line that the synthetic tables take without repair: 70 s,
// 10 Hz, a random pitch, light and sound ramped ("seg").
const std::string kPsxLine = "S\t70\tbb\t10\tFSL\t\t\tIN\t50\t50\t60\tseg\tnone\t\t\t";

} // namespace

TEST_F(SessionFiles, ImportCancelsAndRefusalsChangeNothingButTheRememberedFolder)
{
    TSegRec tone = model.Tables.DefaultSegment;
    tone.Tone = 10;
    setSegments({tone, tone});
    model.recompute();
    nameSession(ses, at("kept.lsf"));
    form->userWaves().SelectForSession(3, "Bell");
    form->TrackBar2->setValue(7);
    ses.SesModified = true;
    model.Folders.ImportPsxDir = at("start/");
    const auto state = [&] {
        return std::tuple(ses.Segments, ses.SegCount, ses.SessionName, ses.SesFileName, form->windowTitle(),
                          editor->windowTitle(), ses.SesModified, form->TrackBar2->value(), model.Params->NeedToneWav,
                          model.Samples->WaveTables[18]);
    };
    const auto before = state();
    const std::string fifo = at("fifo.lss");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = put("big.lss", "");
    fs::resize_file(big, (16 << 20) + 1);
    const std::pair<std::optional<std::string>, QString> cases[] = {
        {std::nullopt, ""}, // Cancel at the question
        {"", ""},           // Cancel in the dialog
        {put("bad.lss", "xName\r\n;only a description\r\n"),
         "\"bad.lss\" is not a valid Photosonix file: the file holds no segment lines."},
        {at("none.lss"), "Cannot import none.lss: No such file or directory."},
        {fifo, "Cannot import fifo.lss: not a regular file."},
        {big, "Cannot import big.lss: the file is larger than 16 MiB."},
    };
    for (const auto& [file, error] : cases) {
        SCOPED_TRACE(file.value_or("-"));
        script.shown.clear();
        script.answers = {file ? mrNo : mrCancel};
        script.files = {file && !file->empty() ? std::optional(QString::fromStdString(*file)) : std::nullopt};
        editor->ImportPsx1->trigger();
        EXPECT_EQ(state(), before);
        EXPECT_EQ(script.messages().value(1), error);
        EXPECT_EQ(model.Folders.ImportPsxDir, error.isEmpty() ? at("start/") : at("")) << "remembered even so";
    }
}

TEST_F(SessionFiles, ImportInstallsTheFileAsAModifiedSessionNamedLsfBesideIt)
{
    RecordingEditor link;
    TForm7 control(model);
    Form7 = &control;
    setImportSeedSource([] { return 1000u; });
    const auto reset = qScopeGuard([] {
        Form7 = nullptr;
        setImportSeedSource(nullptr);
    });
    control.SetStartSeg(2);
    setSegments({model.Tables.DefaultSegment, model.Tables.DefaultSegment});
    editor->StringGrid1->setCurrentCell(2, 5);
    for (QSlider* bar : {form->TrackBar1, form->TrackBar2, form->TrackBar3, form->TrackBar4, form->TrackBar5})
        bar->setValue(7);
    form->ToneWavName = "/w/t.wav";
    form->Edit1->setText("t.wav");
    form->userWaves().SelectForSession(3, "Bell");
    model.Folders.ImportPsxDir = at("start/");
    std::string unknownChange = kPsxLine;
    unknownChange.replace(unknownChange.find("none"), 4, "8");
    const std::string bytes = "xImported\r\n" + kPsxLine + "\r\n" + unknownChange + "\r\n;About\r\n it";
    script.files = {QString::fromStdString(put("imp/u/ab", bytes))};
    script.answers = {mrNo};
    link.log.clear();
    editor->ImportPsx1->trigger();

    const auto& dialog = script.shown.at(1).options; // after "Save it?"
    EXPECT_EQ(std::tuple(dialog.filters, dialog.filterPatterns, dialog.folder, dialog.fileName),
              std::tuple(QStringList{"Photosonix file (*.lss)"}, QStringList{"*.lss *.LSS"},
                         QString::fromStdString(at("start/")), QString()));
    ASSERT_EQ(script.messages().size(), 2);
    EXPECT_TRUE(script.messages()[1].endsWith("Line 3: Phase Change")) << script.messages()[1].toStdString();
    PseudoRandom rng{1000};
    const auto parsed = std::get<ImportedSession>(ParsePhotosonix(bytes, model.Tables, rng));
    EXPECT_EQ(std::vector<TSegRec>(ses.Segments.begin() + 1, ses.Segments.begin() + 3), parsed.Records);
    EXPECT_EQ(std::tuple(ses.SegCount, ses.Segments[1].Pitch1, ses.SessionName, properties->sessionName(),
                         ses.SessionDescription, ses.SesFileName, form->windowTitle()),
              std::tuple(2, 38, "Imported", "Imported", "About\r\nit", at("imp/u/ab.lsf"),
                         QString("Lumisonorium SW 3.8 - [ab]")));
    EXPECT_EQ(std::tuple(form->TrackBar2->value(), form->TrackBar4->value(), form->TrackBar3->value(),
                         form->TrackBar5->value(), form->TrackBar1->value(), form->Label42->text()),
              std::tuple(50, 50, 50, 7, 10, QString("1.0"))) << "FM depth kept";
    EXPECT_EQ(std::tuple(form->ToneWavName, form->Edit1->text(), form->userWaves().currentName(3)),
              std::tuple("", QString(), "Sine"));
    EXPECT_EQ(model.Samples->WaveTables[18], model.Samples->WaveTables[1]);
    EXPECT_EQ(std::tuple(control.StartSeg, control.Edit1->text(), editor->StringGrid1->currentSegment(),
                         editor->StringGrid1->currentRow(), ses.SesModified, ses.AskBeforeReplace),
              std::tuple(1, QString("1"), 1, 1, true, true));
    EXPECT_TRUE(link.log.contains("moveGrid 1 1")) << "mirrored as a user's move";
    EXPECT_EQ(link.log.filter(QRegularExpression("^(resetZoom|RecalcImage1Params|DrawImage)$")),
              QStringList({"resetZoom", "RecalcImage1Params", "DrawImage"}));
    EXPECT_EQ(std::tuple(model.Folders.ImportPsxDir, options->Edit6->text()),
              std::tuple(at("imp/u/"), QString::fromStdString(at("imp/u/"))));

    options->CheckBox1->setChecked(false);
    script.files = {QString::fromStdString(put("other/b.lss", "x\n" + kPsxLine))};
    script.answers = {mrNo};
    editor->ImportPsx1->trigger();
    EXPECT_EQ(std::tuple(ses.SesFileName, model.Folders.ImportPsxDir), std::tuple(at("other/b.lsf"), at("imp/u/")));

    for (const auto& [chosen, lsf] : {std::pair{"/s/x.y.lss", "/s/x.y.lsf"}, {"/a.b/c", "/a.b/c.lsf"},
                                      {"C:\\a.b\\c", "C:\\a.b\\c.lsf"}, {"/s/.lss", "/s/.lsf"}})
        EXPECT_EQ(lsfNameFor(chosen), lsf);
}

TEST_F(SessionFiles, FirstSaveOfAnImportAsksBeforeReplacingAFileOfItsName)
{
    const std::string lss = put("imp/a.lss", "x\n" + kPsxLine + "\n" + kPsxLine);
    const std::string lsf = at("imp/a.lsf");
    const QString question = QString::fromStdString(lsf) + " already exists.\r\nDo you want to replace it?";
    for (const bool exists : {false, true}) {
        for (const bool fromQuestion : {false, true}) {
            SCOPED_TRACE(std::to_string(exists) + std::to_string(fromQuestion));
            fs::remove(lsf);
            if (exists)
                put("imp/a.lsf", "someone's");
            ses.SesModified = false;
            script.files = {QString::fromStdString(lss)};
            editor->ImportPsx1->trigger();
            const auto imported = ses.Segments;
            script.shown.clear();
            // "Save it?" Yes, then keep the other file.
            script.answers = fromQuestion ? std::deque<int>{mrYes, mrNo} : std::deque<int>{mrNo};
            (fromQuestion ? editor->New1 : editor->Save1)->trigger();
            EXPECT_EQ(script.messages().contains(question), exists);
            if (exists) {
                EXPECT_EQ(std::tuple(slurp(lsf), ses.SesFileName, ses.SesModified), std::tuple("someone's", lsf, true))
                    << "not saved, and New stopped";
                continue;
            }
            EXPECT_EQ(ses.SesFileName, fromQuestion ? "" : lsf) << "New goes on once saved";
            // Reopened, the records come back but for segment 1's ramp marks, which the reader drops.
            open(lsf);
            TSegRec first = imported[1];
            first.Volume &= ~kRampFlag;
            first.Intensity &= ~kRampFlag;
            EXPECT_EQ(std::tuple(ses.Segments[1], ses.Segments[2], ses.SegCount), std::tuple(first, imported[2], 2));
        }
    }
}

TEST_F(SessionFiles, MindlabImportFromTheMainWindowInstallsTheFileOrNamesTheLineItRefuses)
{
    // The question, the dialog, the commit and the first save are the Photosonix import's.
    form->TrackBar5->setValue(7);
    ses.SesModified = false;
    model.Folders.ImportMLProDir = at("start/");
    const std::string bytes = "Imported,1,x\r\nAbout,it\r\n\r\n\r\nS,10,12,60,1,0,3,,,1,0,E4,15,5,1,x\r\n";
    script.files = {QString::fromStdString(put("imp/a.ses", bytes))};
    form->ImportMlp1->trigger();
    const auto& dialog = script.shown.at(0).options;
    EXPECT_EQ(std::tuple(dialog.filters, dialog.filterPatterns, dialog.folder, options->Edit2->text()),
              std::tuple(QStringList{"Mindlab Pro file (*.ses)"}, QStringList{"*.ses *.SES"},
                         QString::fromStdString(at("start/")), QString::fromStdString(at("imp/"))));
    EXPECT_TRUE(script.messages().value(0).endsWith("Line 5: Phase"));
    EXPECT_EQ(std::tuple(ses.Segments[1], ses.SegCount, ses.SessionName, ses.SessionDescription, ses.SesFileName,
                         ses.SesModified, form->TrackBar2->value(), form->TrackBar5->value()),
              std::tuple(std::get<ImportedSession>(ParseMindlab(bytes, model.Tables)).Records.at(0), 1, "Imported",
                         "About", at("imp/a.lsf"), true, 50, 7));

    script.files = {QString::fromStdString(put("imp/short.ses", "N,2\r\nD\r\n\r\n\r\n"))};
    script.answers = {mrNo};
    form->ImportMlp1->trigger();
    EXPECT_EQ(script.messages().value(2),
              "\"short.ses\" is not a valid Mindlab Pro file: line 5: the file ends before segment 1 of 2.");
    EXPECT_EQ(std::tuple(ses.SegCount, ses.SesFileName), std::tuple(1, at("imp/a.lsf")));
}
