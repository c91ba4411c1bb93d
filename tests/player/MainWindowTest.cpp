#include <gtest/gtest.h>

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <vector>

#include "FakeWaveOut.h"
#include "components/AudioIO.h"
#include "dialogs/Unit5.h"
#include "engine/CellText.h"
#include "engine/TestTables.h"
#include "platform/Prompts.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/StatusGridModel.h"
#include "player/Unit1.h"
#include "player/Unit2.h"
#include "support/PrivateSettings.h"
#include "support/QtApp.h"
#include "support/UrlCatcher.h"

namespace fs = std::filesystem;

namespace {

// One main window on synthetic tables, with the spreadsheet editor (whose New
// it uses) and the properties dialog; the session is a new one.
struct MainWindow : ::testing::Test {
    PrivateSettings settings; // first: closing the window writes them
    ScriptedPrompts script;
    PlayerModel model;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm3> editor;
    std::unique_ptr<TForm2> properties;

    MainWindow()
    {
        model.Tables = syntheticTables();
        form = std::make_unique<TForm1>(model);
        editor = std::make_unique<TForm3>(model);
        properties = std::make_unique<TForm2>();
        Form1 = form.get();
        Form3 = editor.get();
        Form2 = properties.get();
        editor->NewProc();
    }
    ~MainWindow() override
    {
        Form1 = nullptr;
        Form2 = nullptr;
        Form3 = nullptr;
        PlaybackLock::clear();
    }
    Session& ses() { return *model.Ses; }
    QString cell(int col, int row) { return form->StringGrid1->model()->index(row, col).data().toString(); }
};

} // namespace

TEST_F(MainWindow, NewSessionSetsTheSlidersFromCodeAndLeavesItUnmodified)
{
    EXPECT_EQ(form->windowTitle(), "Lumisonorium SW 3.8 - []");
    EXPECT_EQ(ses().SegCount, 1);
    EXPECT_EQ(ses().Segments[1], model.Tables.DefaultSegment);
    EXPECT_FALSE(ses().SesModified);
    EXPECT_EQ(form->Label10->text(), "H Beat/BS Wav Vol.: 50/50");
    EXPECT_EQ(form->Edit2->text(), "1:00");
    EXPECT_TRUE(script.shown.empty());

    TForm1::SetPosition(form->TrackBar2, 80);
    EXPECT_EQ(form->Label3->text(), "AM Depth: 50") << "setting from code runs no handler";
    EXPECT_FALSE(ses().SesModified);
}

TEST_F(MainWindow, SessionSlidersSetTheirValuesAndMarkTheSessionModified)
{
    struct Case {
        QSlider* bar;
        QLabel* label;
        QString text;
        std::vector<std::pair<float*, float>> values;
    };
    const Case cases[] = {
        {form->TrackBar2, form->Label3, "AM Depth: 30", {{&form->model().Eng->AMDepth, 0.15f}, {&form->model().Eng->AMBase, 0.85f}}},
        {form->TrackBar5, form->Label9, "FM Depth: 30", {{&form->model().Eng->FMDepth, 0.3f}}},
        {form->TrackBar4, form->Label4, "Tone/BS Volume: 70/30", {{&form->model().Eng->ToneVol, 0.7f}, {&form->model().Eng->BSVol, 0.3f}}},
        {form->TrackBar3, form->Label10, "H Beat/BS Wav Vol.: 70/30",
         {{&form->model().Eng->HBeatVol, 0.7f}, {&form->model().Eng->BSWavVol, 0.3f}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ses().SesModified = false;
        c.bar->setValue(30);
        EXPECT_EQ(c.label->text(), c.text);
        for (const auto& [field, value] : c.values)
            EXPECT_EQ(*field, value);
        EXPECT_TRUE(ses().SesModified);
    }
    ses().SesModified = false;
    form->TrackBar1->setValue(20);
    EXPECT_FALSE(ses().SesModified) << "the length factor is no part of the session";
}

TEST_F(MainWindow, SessionLengthAtTheFactorRoundsTiesToEven)
{
    struct Case {
        int secs, position;
        const char* factor;
        const char* shown;
    };
    const Case cases[] = {
        {600, 1, "0.1", "1:00"}, {600, 50, "5.0", "50:00"}, {65, 10, "1.0", "1:05"},
        {5, 5, "0.5", "0:02"},   {3, 5, "0.5", "0:02"},     {1, 25, "2.5", "0:02"},
        {3, 15, "1.5", "0:04"},  {7199, 50, "5.0", "599:55"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        model.Params->SesLengthSecs = c.secs;
        form->TrackBar1->setValue(c.position);
        form->CompActSesLength(); // the position may not have changed
        EXPECT_EQ(form->Label42->text(), c.factor);
        EXPECT_EQ(form->Edit2->text(), c.shown);
        EXPECT_EQ(model.Eng->SesLengthFactor, static_cast<float>(c.position / 10.0L));
    }
}

TEST_F(MainWindow, StatusGridShowsSegmentOneWithoutRampMarksAndEmptiesTheMailbox)
{
    form->FillGridVars();
    EXPECT_EQ(cell(0, 0), "Act. Segment");
    EXPECT_EQ(cell(0, 3), "Freq 1");
    EXPECT_EQ(cell(0, 16), "H Beat Freq (R)");

    TSegRec& first = ses().Segments[1];
    const TSegRec plain = first;
    for (int field = 1; field <= kFieldCount; ++field)
        if (isRampField(field))
            first[field] |= kRampFlag;
    model.Params->SegVolumeStart[1] = 0.125f;    // 12.5 %: ties to even
    model.Params->SegIntensityStart[1] = 0.875f; // 87.5 %
    model.Params->SegHBeatStart[1] = 45;
    for (std::string& text : model.Eng->DisplayTexts)
        text = "old";
    form->FillLabels();

    EXPECT_EQ(cell(1, 0), "1");
    EXPECT_EQ(cell(1, 1), "0:00");
    const int rows[] = {fTone, fFreq1From, fFreq2From, fPitch1, fPitch2, fPhase, fPhaseChange, fDutyCycle};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(cell(1, 2 + i).toStdString(), CellText(model.Tables, plain, rows[i])) << i;
    EXPECT_EQ(cell(1, 10), "12");
    EXPECT_EQ(cell(1, 11), "88");
    EXPECT_EQ(cell(1, 12).toStdString(), CellText(model.Tables, plain, fSGVol));
    EXPECT_EQ(cell(1, 13).toStdString(), CellText(model.Tables, plain, fWave1));
    EXPECT_EQ(cell(1, 15).toStdString(), CellText(model.Tables, plain, fBackingSound));
    EXPECT_EQ(cell(1, 16), "45");
    EXPECT_EQ(form->StringGrid1->currentIndex().column(), 2);
    for (const std::string& text : model.Eng->DisplayTexts)
        EXPECT_EQ(text, "");
}

TEST_F(MainWindow, CloseAsksForModifiedSessionsAndKeepsThemUnlessSaved)
{
    const QString question = "Session has been modified. Save it before exit?";
    struct Case {
        const char* name;
        bool modified;
        int answer;
        std::string fileName;
        bool closes;
    };
    const Case cases[] = {
        {"unmodified", false, 0, "", true},
        {"cancel", true, mrCancel, "", false},
        {"yes, save as cancelled", true, mrYes, "", false},
        {"yes, save failed", true, mrYes, "/nonexistent-folder/x.lsf", false},
        {"no", true, mrNo, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script.shown.clear();
        script.answers = {c.answer};
        ses().SesModified = c.modified;
        ses().SesFileName = c.fileName;
        form->show();
        form->Exit1->trigger();
        EXPECT_EQ(form->isVisible(), !c.closes);
        EXPECT_EQ(script.messages().value(0), c.modified ? question : QString()) << "then the save's own error";
        if (c.modified) {
            EXPECT_EQ(script.shown.front().buttons, MsgButtons::YesNoCancel);
        }
        EXPECT_EQ(ses().SesModified, c.modified) << "nothing is lost";
    }
}

TEST_F(MainWindow, ClosingWhilePlayingStopsTheDeviceAndClosesTheReaders)
{
    FakeWaveOutBackend fake;
    const fs::path wav = fs::temp_directory_path() / ("lumi-main-" + std::to_string(::getpid()) + ".wav");
    std::ofstream(wav.string(), std::ios::binary) << std::string(44 + 4000, '\0');
    Engine& eng = *model.Eng;
    eng.PrepareRun(RunKind::Start);
    eng.ArmSoftStart();
    eng.ToneWavFile.open(wav.string(), 44, 4000);
    eng.ToneWavOpen = true;
    ASSERT_TRUE(form->AudioOut1->Start(form->AudioOut1));
    ASSERT_TRUE(form->AudioOut1->DeviceOpen());
    form->Timer2->start();

    // A long operation's progress dialog is up: the close is refused.
    TForm5 progress;
    Form5 = &progress;
    progress.show();
    ses().SesModified = true;
    form->show();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(script.shown.empty());
    progress.CloseAllowed = true;
    progress.close();
    Form5 = nullptr;

    ses().SesModified = false;
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->AudioOut1->DeviceOpen());
    EXPECT_NE(fake.log().find("reset"), std::string::npos) << fake.log();
    EXPECT_FALSE(eng.ToneWavFile.isOpen());
    EXPECT_FALSE(eng.ToneWavOpen);
    EXPECT_FALSE(form->Timer2->isActive());
    fs::remove(wav);
}

TEST_F(MainWindow, PropertiesTakeOkAndPutTheOldValuesBackOnCancel)
{
    ses().SessionName = "Old";
    ses().SessionDescription = "Line 1\r\nLine 2";
    auto edit = [&](int button) {
        QTimer::singleShot(0, [&, button] {
            properties->Edit1->setText("New name");
            properties->Memo1->setPlainText("New\ntext");
            (button == mrOk ? properties->Button1 : properties->Button2)->click();
        });
        form->Properties1->trigger();
    };
    edit(mrCancel);
    EXPECT_EQ(ses().SessionName, "Old");
    EXPECT_FALSE(ses().SesModified);
    EXPECT_EQ(properties->sessionName(), "Old");
    EXPECT_EQ(properties->sessionDescription(), "Line 1\r\nLine 2");

    edit(mrOk);
    EXPECT_EQ(ses().SessionName, "New name");
    EXPECT_EQ(ses().SessionDescription, "New\r\ntext");
    EXPECT_TRUE(ses().SesModified);
}

TEST_F(MainWindow, MenuWiring)
{
    PlaybackLock::set(true);
    EXPECT_FALSE(form->Session1->menuAction()->isEnabled());
    PlaybackLock::set(false);
    EXPECT_TRUE(form->Session1->menuAction()->isEnabled());

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    form->Homepage1->trigger();
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl("https://www.halcyon-labs.example/")});

    EXPECT_FALSE(form->SetOptions1->isEnabled()) << "no options dialog yet";
    QWidget options;
    form->setOptionsDialog(&options);
    form->SetOptions1->trigger();
    EXPECT_TRUE(options.isVisible());
}


TEST_F(MainWindow, MenuKeysReachTheirItemsFromTheStartAndFromEveryControl)
{
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    // Ctrl+E is "end of line" to a line edit in some keyboard schemes only,
    // Ctrl+C is "copy" in all: an item with it stands for the keys a box takes.
    form->Session1->addAction(QStringLiteral("Copy key"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    const QAction* reached = nullptr;
    std::vector<QAction*> keyed; // each records its trigger instead of running
    for (QAction* action : form->findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty() && action->isEnabled()) {
            QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
            QObject::connect(action, &QAction::triggered, [&reached, action] { reached = action; });
            keyed.push_back(action);
        }
    }
    EXPECT_GE(keyed.size(), 6u) << "New, Open, Save, Session Properties, Spreadsheet Editor, Copy key";
    std::vector<QWidget*> controls{form->Button1}; // where the focus starts
    EXPECT_EQ(QApplication::focusWidget(), form->Button1);
    for (QWidget* w : form->findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus && w->isEnabled() && w->isVisible())
            controls.push_back(w);
    for (QWidget* control : controls) {
        control->setFocus();
        SCOPED_TRACE(control->objectName().toStdString());
        for (const QAction* action : keyed) {
            reached = nullptr;
            QTest::keyClick(control, action->shortcut()[0].key(), action->shortcut()[0].keyboardModifiers());
            EXPECT_EQ(reached, action) << action->text().toStdString();
        }
    }
}
