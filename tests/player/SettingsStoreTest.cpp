#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProxyStyle>
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

TEST(WindowPlace, StoredPlacesKeepTheWholeFrameOnAScreenOthersFallBack)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect a = screen->availableGeometry(), full = screen->geometry();
    QWidget window;
    window.resize(200, 100);
    EXPECT_EQ(centredPlace(&window), QPoint(full.x() + (full.width() - 200) / 2, full.y() + (full.height() - 100) / 2));
    window.show(); // framed: the frame is known
    const int w = window.frameGeometry().width(), h = window.frameGeometry().height(), r = a.right() + 1 - w;
    const std::pair<StoredPos, QPoint> cases[] = { // stored, where the frame goes
        {{a.x() + 10, a.y() + 20}, {a.x() + 10, a.y() + 20}}, {{a.right() - 10, a.y() - 90}, {r, a.y()}},
        {{a.x() - 150, a.bottom() - 20}, {a.x(), a.bottom() + 1 - h}}, {{a.right() + 1, a.y()}, {3, 4}},
        {{a.x(), a.bottom() + 50}, {3, 4}}, {{a.x() - w, a.y()}, {3, 4}}, {{9999, 9999}, {3, 4}},
        {{a.x() + 10, 9999}, {3, 4}}, {{INT_MAX, INT_MAX}, {3, 4}}, {{INT_MIN, INT_MIN}, {3, 4}}};
    for (const auto& [stored, frameAt] : cases) {
        SCOPED_TRACE(std::to_string(stored.Left) + "," + std::to_string(stored.Top));
        placeWindow(&window, stored, {3, 4});
        EXPECT_EQ(window.frameGeometry(), QRect(frameAt, QSize(w, h)));
    }
    window.resize(a.size() + QSize(100, 50)); // larger than the screen: cut to it
    placeWindow(&window, {a.x() - 20, a.y() + 30}, {3, 4});
    EXPECT_EQ(window.frameGeometry(), a);

    struct NoFrameGuess final : QProxyStyle {
        int pixelMetric(PixelMetric m, const QStyleOption* o, const QWidget* w) const override
        {
            return m == PM_TitleBarHeight || m == PM_MdiSubWindowFrameWidth ? 0 : QProxyStyle::pixelMetric(m, o, w);
        }
    } noGuess; // the frame guessed too small: the real one, once known, moves the window
    QWidget unframed;
    unframed.setStyle(&noGuess);
    unframed.resize(200, 100);
    placeWindow(&unframed, {a.right() + 1 - 200, a.bottom() + 1 - 100}, {3, 4});
    unframed.show();
    EXPECT_TRUE(a.contains(unframed.frameGeometry()));
}
