#include <gtest/gtest.h>

#include "engine/Generators.h"

#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>

#include "engine/SampleTables.h"
#include "engine/SessionFile.h"
#include "engine/ValueTables.h"
#include "platform/Help.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "player/EditorGrid.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/StartUp.h"
#include "player/Unit1.h"
#include "player/Unit10.h"
#include "player/Unit11.h"
#include "player/Unit2.h"
#include "player/Unit4.h"
#include "player/Unit7.h"
#include "player/Unit8.h"
#include "support/Legibility.h"
#include "support/PrivateSettings.h"

namespace fs = std::filesystem;

namespace {

// A program folder holding the shipped data files, and a launch folder beside
// it; the current folder is put back afterwards. Settings start empty.
struct StartUp : ::testing::Test {
    PrivateSettings settings; // first: before any window reads them
    fs::path root = fs::temp_directory_path() /
                    ("lumi-start-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path program = root / "program";
    fs::path launch = root / "launch";
    fs::path cwd = fs::current_path();
    ScriptedPrompts script;

    StartUp()
    {
        fs::create_directories(program / "User_Waves");
        fs::create_directories(launch);
        fs::copy_file(fs::path(LUMI_BIN_DIR) / "DatLU.dat", program / "DatLU.dat");
        fs::copy_file(fs::path(LUMI_BIN_DIR) / kHeartBeatFile, program / kHeartBeatFile);
        for (const char* name : kBuiltInWaveFiles)
            fs::copy_file(fs::path(LUMI_BIN_DIR) / name, program / name);
        std::ofstream((program / "User_Waves" / "Mine.pcm").string(), std::ios::binary)
            << std::string(2 * kWaveLen, '\1');
    }
    ~StartUp() override
    {
        fs::current_path(cwd);
        fs::remove_all(root);
        setHelpFile({});
        PlaybackLock::clear();
    }

    LaunchInfo launchWith(QStringList arguments = {}) const
    {
        return {QString::fromStdString(program.string()), QString::fromStdString(launch.string()), arguments};
    }
};

} // namespace

TEST_F(StartUp, CreatesTheWindowsInOrderAndShowsANewSession)
{
    QStringList order;
    QString caption;
    bool shown = false;
    bool modified = true;
    QStringList playbackValues;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : startUpWindows())
            order << w->objectName();
        caption = Form1->windowTitle();
        playbackValues = {Form7->Label4->text(), Form7->Label5->text(), Form7->Label6->text()};
        shown = Form1->isVisible();
        modified = Form1->model().Ses->SesModified;
        Form1->close();
    });
    EXPECT_EQ(startUp(launchWith()), 0);
    EXPECT_EQ(order, QStringList({"Form1", "Form2", "Form3", "Form4", "Form7", "Form8", "Form5", "Form10", "Form11",
                                  "Form13", "Form14"}));
    EXPECT_EQ(caption, "Lumisonorium SW 3.8 - []");
    EXPECT_EQ(playbackValues, QStringList({"1", "0:00", "0:00"}));
    EXPECT_TRUE(shown);
    EXPECT_FALSE(modified);
    EXPECT_TRUE(script.shown.empty());
    EXPECT_EQ(Form1, nullptr);
    EXPECT_TRUE(startUpWindows().empty());
}

TEST_F(StartUp, UnusableDataFilesEndItWithAMessageNamingTheFile)
{
    struct Case {
        const char* file;
        std::uintmax_t keep; // bytes left; 0 removes the file
    };
    const Case cases[] = {{"DatLU.dat", 0}, {"DatLU.dat", 2000}, {"HrtBeat.pcm", 100}, {"Sine.pcm", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + std::to_string(c.keep));
        const fs::path file = program / c.file;
        const fs::path saved = root / "saved";
        fs::copy_file(file, saved, fs::copy_options::overwrite_existing);
        if (c.keep)
            fs::resize_file(file, c.keep);
        else
            fs::remove(file);
        script.shown.clear();
        EXPECT_NE(startUp(launchWith()), 0);
        ASSERT_EQ(script.shown.size(), 1u);
        EXPECT_EQ(script.shown[0].kind, MsgKind::Error);
        EXPECT_TRUE(script.shown[0].text.contains(c.file)) << script.shown[0].text.toStdString();
        EXPECT_EQ(Form1, nullptr);
        fs::copy_file(saved, file, fs::copy_options::overwrite_existing);
    }
}

TEST_F(StartUp, FormCreateSetsFoldersTablesAndUserWavesWithoutMarkingTheSession)
{
    PlayerModel model;
    TForm1 form(model);
    ASSERT_TRUE(form.FormCreate(launchWith()));
    const std::string dir = fs::canonical(program).string();
    EXPECT_EQ(model.AppDir, program.string());
    EXPECT_EQ(model.UserWavesDir, program.string() + "/User_Waves/");
    EXPECT_EQ(fs::canonical(fs::current_path()).string(), dir);
    EXPECT_EQ(helpFile().toStdString(), program.string() + "/Lumisono.hlp");
    EXPECT_FALSE(model.Ses->SesModified) << "nothing ran a change handler";
    EXPECT_FALSE(model.Tables.ToneNames[1].empty());
    EXPECT_EQ(ModSineTable[250], 1.0f);
    EXPECT_EQ(ModSineTable[750], -1.0f);
    EXPECT_GE(form.ComboBox1->findText("Mine"), 0);
    EXPECT_EQ(form.ComboBox4->currentText(), "Sine");
    fs::current_path(root);
    form.ComboBox2->setCurrentIndex(form.ComboBox2->findText("Mine"));
    emit form.ComboBox2->activated(form.ComboBox2->currentIndex());
    EXPECT_EQ(model.Samples->WaveTables[17][0], 0x0101) << "loaded from the user-wave folder";
    EXPECT_TRUE(model.Ses->SesModified) << "a user's choice";
    EXPECT_TRUE(script.shown.empty());
}

TEST_F(StartUp, CommandLineSessionsComeFromTheLaunchFolder)
{
    std::ofstream((launch / "Deep Calm.LSF").string()) << "x";
    std::ofstream((launch / "old.lrf").string()) << "x";
    std::ofstream((program / "Deep Calm.LSF").string()) << "x"; // the wrong one

    PlayerModel model;
    TForm1 form(model);
    ASSERT_TRUE(form.FormCreate(launchWith({"Deep", "Calm.LSF"})));
    EXPECT_EQ(model.Ses->SesFileName, fs::canonical(launch / "Deep Calm.LSF").string());
    EXPECT_TRUE(script.shown.empty());

    PlayerModel other;
    TForm1 second(other);
    TForm3 editor(other);
    Form1 = &second;
    Form3 = &editor;
    ASSERT_TRUE(second.FormCreate(launchWith({"old.lrf"})));
    EXPECT_EQ(script.messages(), QStringList{"Invalid session file!"});
    EXPECT_EQ(other.Ses->SesFileName, "");
    second.OpenSessionWhenRun();
    EXPECT_EQ(second.windowTitle(), "Lumisonorium SW 3.8 - []");
    EXPECT_EQ(other.Ses->SegCount, 1);
    Form1 = nullptr;
    Form3 = nullptr;
}

TEST_F(StartUp, SettingsComeBackAfterExitAndAreWrittenBackAsRead)
{
    {
        Settings s(settings.file());
        const std::pair<const char*, QString> stored[] = {
            {"GBXPSDir", "/u/Presets/"}, {"F1x", "5000"}, {"F1y", "0"}, {"F11Show", "0"}, {"AOF", "1"},
            {"F4TrB3", "33"}, {"F4RadGr1", "1"}, {"F4TrB7", "66"}, {"F8SA", "1"}, {"F7x", "7"}, {"F7y", "8"}};
        for (const auto& [key, value] : stored)
            s.writeString(QLatin1String(key), value);
    }
    const auto written = [this] {
        QSettings file(settings.file(), QSettings::IniFormat);
        file.beginGroup("System");
        std::map<QString, QString> values;
        for (const QString& key : file.childKeys())
            values[key] = file.value(key).toString();
        return values;
    };
    QRect graph;
    QTimer::singleShot(0, [&] {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(Form1->pos(), QPoint(screen.x() + (screen.width() - Form1->width()) / 2,
                                       screen.y() + (screen.height() - Form1->height()) / 2))
            << "off every screen: centred";
        EXPECT_TRUE(Form1->model().Eng->AudioOutputFilter);
        EXPECT_EQ(Form1->model().Eng->FadeInLen, 33 * 44100);
        EXPECT_FALSE(Form11->isVisible());
        graph = {Form8->pos(), Form8->size()};
        Form4->TrackBar2->setValue(9); // the user's changes
        Form1->move(120, 130);
        Form1->close();
    });
    ASSERT_EQ(startUp(launchWith()), 0);
    const auto first = written();
    EXPECT_EQ(first.size(), 45u) << "44 and the converter's";
    const std::pair<const char*, QString> expected[] = {
        {"GBXPSDir", "/u/Presets/"}, {"F1x", "120"}, {"F4TrB2", "9"}, {"F4TrB7", "66"}, {"F7x", "7"},
        {"F8x", QString::number(graph.x())}, {"F8w", QString::number(graph.width())},
        {"SesDir", QString::fromStdString(program.string() + "/Sessions/")}};
    for (const auto& [key, value] : expected)
        EXPECT_EQ(first.at(key), value) << key;

    QTimer::singleShot(0, [&] {
        EXPECT_EQ(Form1->pos(), QPoint(120, 130));
        EXPECT_EQ(Form4->Label3->text(), "Start Delay: 1 min 30 sec");
        Form1->close();
    });
    ASSERT_EQ(startUp(launchWith()), 0);
    EXPECT_EQ(written(), first);
}

TEST_F(StartUp, EveryWindowIsLegibleWithTheDesktopFontAndCarriesTheIcon)
{
    // A new session; then, with both editors shown, the most and the longest segments on their last one: the
    // time texts at their longest, the graphic editor's grid scrolled to its end.
    ValueTables tables;
    LoadVars(program.string(), tables);
    TSegRec longest = tables.DefaultSegment;
    longest.Time = tables.ParamMax.Time;
    const SessionSnapshot full{"Long", "", std::vector<TSegRec>(kMaxSegments, longest), {}};
    const fs::path file = launch / "long.lsf";
    std::ofstream(file.string(), std::ios::binary) << FormatSession(full, tables);
    for (const QStringList& arguments : {QStringList{}, QStringList{QString::fromStdString(file.string())}}) {
        SCOPED_TRACE(arguments.join("").toStdString());
        Settings(settings.file()).writeString("F3Show", arguments.isEmpty() ? "0" : "1");
        Settings(settings.file()).writeString("F8Show", arguments.isEmpty() ? "0" : "1");
        QStringList faults;
        QTimer::singleShot(0, [&] {
            Form3->StringGrid1->setCurrentCell(Form1->model().Ses->SegCount, fTone);
            for (QWidget* w : startUpWindows())
                faults << illegibleTexts(w) << (w->windowIcon().isNull() ? w->objectName() + ": no icon" : QString());
            Form3->StringGrid1->setCurrentCell(1, fTone);
            EXPECT_EQ(Form8->StaticText1->font().pixelSize(), 16) << "a short text grows back";
            Form1->close();
        });
        EXPECT_EQ(startUp(launchWith(arguments)), 0);
        EXPECT_EQ(faults.filter(QRegularExpression(".")).join("\n").toStdString(), "");
    }
}

TEST_F(StartUp, WindowsReadThePrivateSettingsNeverTheUsers)
{
    for (const int width : {0, 700}) {
        PrivateSettings fresh;
        ASSERT_NE(fresh.file(), QDir::homePath() + "/.config/Halcyon-Labs/Lumisonorium SW.conf");
        ASSERT_TRUE(fresh.file().startsWith(fresh.folder()));
        if (width)
            Settings(fresh.file()).writeInteger("F3w", width);
        int shown = 0;
        QTimer::singleShot(0, [&] {
            shown = Form3->width();
            Form1->close();
        });
        EXPECT_EQ(startUp(launchWith()), 0);
        EXPECT_EQ(shown, width ? width : 640) << "a fresh folder holds no settings";
    }
}

TEST_F(StartUp, LauncherOpensTheMarkedWindowsAndWritesTheirFlagsBack)
{
    // What is stored; then the spreadsheet editor, playback control, graphic editor and launcher as start-up shows
    // them (M: maximized) and the values of `written` at exit, which come from the options' boxes.
    const char* written[] = {"F3Show", "F7Show", "F8Show", "F11Show", "F11x", "F11y"};
    const std::pair<QStringList, QString> cases[] = {
        {{}, "0001 0,0,0,1,0,0"}, // a first start
        {{"F3Show=1", "F11Show=0", "F11x=30", "F11y=40"}, "1000 1,0,0,0,30,40"},
        {{"F7Show=1", "F11Show=0", "F11x=-5000", "F11y=9000"}, "0100 0,1,0,0,0,0"}, // off every screen
        {{"F8Show=1", "F11Show=0"}, "0010 0,0,1,0,0,0"},
        {{"F11Show=0", "F11x=30", "F11y=40"}, "0000 0,0,0,0,30,40"},
        {{"F3Show=1", "F7Show=1", "F8Show=1", "F11Show=1", "F3m=1", "F8m=1"}, "M1M1 1,1,1,1,0,0"}};
    for (const auto& [stored, expected] : cases) {
        SCOPED_TRACE(expected.toStdString());
        PrivateSettings fresh;
        for (const QString& pair : stored)
            Settings(fresh.file()).writeString(pair.section('=', 0, 0), pair.section('=', 1));
        QString state;
        QTimer::singleShot(0, [&] {
            for (const QWidget* w : std::initializer_list<const QWidget*>{Form3, Form7, Form8, Form11})
                state += !w->isVisible() ? "0" : w->isMaximized() ? "M" : "1";
            Form1->close();
        });
        ASSERT_EQ(startUp(launchWith()), 0);
        QSettings file(fresh.file(), QSettings::IniFormat);
        QStringList values;
        for (const char* key : written)
            values << file.value(QStringLiteral("System/") + key).toString();
        EXPECT_EQ(state + " " + values.join(","), expected);
    }
}

TEST_F(StartUp, LauncherButtonsBringTheirWindowsToTheFront)
{
    QTimer::singleShot(0, [&] {
        TForm11& launcher = *Form11;
        EXPECT_TRUE(!launcher.parent() && launcher.windowType() == Qt::Tool &&
                    launcher.windowFlags() & Qt::WindowStaysOnTopHint && launcher.windowTitle() == "Show Window" &&
                    launcher.minimumSize() == launcher.maximumSize() && launcher.autoFillBackground() &&
                    launcher.palette().color(QPalette::Window) == QColor(255, 0, 0));
        const auto buttons = launcher.findChildren<QPushButton*>();
        QStringList tips;
        for (QPushButton* b : buttons)
            tips << b->toolTip() + (b->autoDefault() || b->isDefault() ? " (default)" : "");
        EXPECT_EQ(tips.join(", "), "Main Window, Spreadsheet Editor, Graphic Editor, Playback Control, "
                                   "User Wave Editor, Session Properties");

        QWidget* windows[] = {Form1, Form3, Form8, Form7, Form10}; // all but the main window start closed
        for (int pass = 0; pass < 2; ++pass) // then each is open behind the one before
            for (int i = 0; i < 5; ++i) {
                if (pass && windows[i] == Form10)
                    Form10->setWindowState(Qt::WindowMinimized | Qt::WindowMaximized);
                buttons[i]->click();
                EXPECT_TRUE(QTest::qWaitForWindowActive(windows[i]) && !windows[i]->isMinimized() &&
                            !windows[i]->isMaximized())
                    << pass << i;
            }
        QWidget* modal = nullptr;
        QTimer::singleShot(0, [&] { (modal = QApplication::activeModalWidget()) && modal->close(); });
        buttons[5]->click();
        EXPECT_EQ(modal, Form2);

        QTest::keyClick(&launcher, Qt::Key_Escape);
        for (QAction* item : {Form1->ShowWindow1, Form3->ShowWindow1}) {
            const bool open = launcher.isVisible();
            launcher.close();
            const bool closed = !launcher.isVisible();
            item->trigger();
            EXPECT_TRUE(open && closed && launcher.isVisible()) << "Escape leaves it, the close box hides it";
        }
        Form1->close();
    });
    ASSERT_EQ(startUp(launchWith()), 0);
}
