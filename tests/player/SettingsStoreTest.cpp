#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <climits>

#include "FakeWaveOut.h"
#include "components/AudioIO.h"
#include "platform/Settings.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Unit4.h"
#include "player/Unit7.h"
#include "player/WindowPlace.h"

namespace {

// The reader on the real options dialog and engine, without a main window.
struct SettingsStore : ::testing::Test {
    QTemporaryDir dir;
    FakeWaveOutBackend fake;
    PlayerModel model;
    Engine& eng = *model.Eng;
    TAudioOut out;
    TForm4 options{eng, eng.AudioOutputFilter, model.Folders, out, "/opt/lumi"};
    TForm7 control{model};

    SettingsStore() { model.AppDir = "/opt/lumi"; }
    ~SettingsStore() override { PlaybackLock::clear(); }
    void load(const std::vector<std::pair<const char*, QString>>& values)
    {
        Settings s(dir.filePath("s.conf"));
        for (const auto& [key, value] : values)
            s.writeString(QLatin1String(key), value);
        control.LoadConfig(s, options, nullptr);
    }
};

} // namespace

TEST_F(SettingsStore, FoldersFollowTheRuleAndNumbersReachTheEngineOnlyThroughTheSliders)
{
    ASSERT_TRUE(QDir().mkpath(dir.filePath("Mine")));
    load({{"SesDir", dir.filePath("Mine")}, {"WavDir", dir.filePath("deleted/")}, {"F4RadGr1", "1"},
          {"F4TrB1", "100"}, {"F4TrB2", "abc"}, {"F4TrB3", "-4"}, {"F4TrB5", "61"}, {"F4TrB7", "250"}});
    const std::pair<QLineEdit*, std::string> rows[] = {
        {options.Edit1, QFile::encodeName(dir.filePath("Mine/")).toStdString()},
        {options.Edit4, "/opt/lumi/Dest_Wav/"}};
    for (const auto& [edit, shown] : rows) {
        EXPECT_EQ(edit->text().toStdString(), shown);
        EXPECT_EQ(edit->toolTip().toStdString(), shown);
    }
    EXPECT_EQ(out.BufferSize(), 16 * 4096) << "not the 400 KB that 100 would ask for";
    EXPECT_EQ(options.TrackBar2->value(), 0);
    EXPECT_EQ(eng.FadeInLen, 0);
    EXPECT_EQ(eng.FadeOutLen, 60 * 44100);
    EXPECT_EQ(eng.ASRampLen, 800);
}

TEST_F(SettingsStore, PresetOverridesStoredLevelsManualKeepsThemAndTheFilterReachesTheEngine)
{
    const struct {
        const char *preset, *filter;
        int playing;
        bool on;
    } cases[] = {{"1", "1", 60, true}, {"0", "0", 23, false}, {"1", "-2", 60, true},
                 {"7", "on", 23, true}, {"Manual", "0", 23, false}}; // not a number: the control as it stands
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preset);
        load({{"F4RadGr1", c.preset}, {"F4TrB7", "60"}, {"F4TrB6", "50"}, {"AOF", c.filter}});
        EXPECT_EQ(options.TrackBar7->value(), c.playing);
        EXPECT_EQ(options.TrackBar6->value(), c.playing == 23 ? 23 : 50);
        EXPECT_EQ(options.TrackBar7->isEnabled(), c.playing != 23);
        EXPECT_FLOAT_EQ(eng.ASMaxLevel, c.playing / 330.0f);
        EXPECT_EQ(eng.AudioOutputFilter, c.on);
    }
}

TEST(WindowPlace, StoredPlacesMeetingAScreenAreKeptOthersFallBack)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect a = screen->availableGeometry(), full = screen->geometry();
    QWidget window;
    window.resize(200, 100);
    EXPECT_EQ(centredPlace(&window), QPoint(full.x() + (full.width() - 200) / 2, full.y() + (full.height() - 100) / 2));
    const std::pair<StoredPos, bool> cases[] = {
        {{a.right() - 10, a.y() - 90}, true}, {{a.right() + 1, a.y()}, false}, {{a.x(), a.bottom() + 50}, false},
        {{a.x() - 200, a.y()}, false},        {{9999, 9999}, false},          {{a.x() + 10, 9999}, false},
        {{INT_MAX, INT_MAX}, false},          {{INT_MIN, INT_MIN}, false}};
    for (const auto& [stored, kept] : cases) {
        SCOPED_TRACE(std::to_string(stored.Left) + "," + std::to_string(stored.Top));
        placeWindow(&window, stored, {3, 4});
        EXPECT_EQ(window.pos(), kept ? QPoint(stored.Left, stored.Top) : QPoint(3, 4));
    }
}
