#include <gtest/gtest.h>

#include <unistd.h>

#include <QComboBox>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/SampleTables.h"
#include "engine/UserWaves.h"
#include "platform/Prompts.h"
#include "player/UserWaveLists.h"

namespace fs = std::filesystem;

namespace {

// Wave file k holds samples 1000 k + i, so every slot shows which file it got.
WaveTable waveOf(int k)
{
    WaveTable t{};
    for (int i = 0; i < kWaveLen; ++i)
        t[i] = static_cast<std::int16_t>(1000 * k + i);
    return t;
}

struct Lists : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("lumi-uwl-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Session session;
    SampleTables samples;
    ScriptedPrompts script;
    UserWaveLists lists{session, samples, dir.string()};

    Lists()
    {
        fs::create_directories(dir);
        samples.WaveTables[1] = waveOf(1);
        write("Calm", 2);
        write("alpha", 3);
        write("long", 4, 100);
        write("\xC3\x89lan", 5); // UTF-8, as the file system spells it
        write("Wave", 6);
        write("wave", 7);
        write("short", 8, -1);
        lists.SearchPcmDir(dir.string());
    }
    ~Lists() override { fs::remove_all(dir); }

    void write(const std::string& name, int k, int extraSamples = 0)
    {
        std::vector<std::int16_t> data(kWaveLen + extraSamples, -1); // -1 after the period
        const WaveTable t = waveOf(k);
        std::copy_n(t.begin(), std::min<std::size_t>(kWaveLen, data.size()), data.begin());
        std::ofstream((dir / (name + ".pcm")).string(), std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(2 * data.size()));
    }
    QComboBox* box(int n) { return lists.comboBox(n); }
    // What a user's choice does: the list changes, then activated fires.
    void choose(int n, const QString& text)
    {
        const int i = box(n)->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box(n)->setCurrentIndex(i);
        emit box(n)->activated(i);
    }
    const WaveTable& slot(int n) { return samples.WaveTables[15 + n]; }
};

} // namespace

TEST_F(Lists, FourEqualListsAndSilentResetsFromCode)
{
    for (int n = 1; n <= 4; ++n)
        samples.WaveTables[15 + n] = waveOf(9);
    lists.SearchPcmDir(dir.string());
    EXPECT_TRUE(lists.SelectForSession(1, "calm"));
    lists.ResetToSine();
    EXPECT_TRUE(lists.SelectForSession(2, "alpha"));
    lists.SearchPcmDir(dir.string());

    const QStringList expected{"alpha", "Calm", "long", "short", "Sine", "Wave", "wave",
                               QString::fromUtf8("Élan")};
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        QStringList items;
        for (int i = 0; i < box(n)->count(); ++i)
            items << box(n)->itemText(i);
        EXPECT_EQ(items, expected);
        EXPECT_EQ(box(n)->currentText(), "Sine");
        EXPECT_EQ(slot(n), waveOf(1));
    }
    EXPECT_FALSE(session.SesModified) << "no change handler ran";
    EXPECT_TRUE(script.shown.empty());
}

TEST_F(Lists, UserChoiceLoadsItsOwnSlotOnly)
{
    choose(3, "Calm");
    EXPECT_EQ(slot(3), waveOf(2));
    EXPECT_TRUE(session.SesModified);
    choose(1, "long");
    EXPECT_EQ(slot(1), waveOf(4)) << "first 4410 samples; entry 4410 stays 0";
    choose(2, QString::fromUtf8("Élan"));
    EXPECT_EQ(slot(2), waveOf(5)) << "the listed bytes open the file";
    EXPECT_EQ(slot(4), waveOf(1));

    session.SesModified = false;
    choose(3, "Sine");
    EXPECT_EQ(slot(3), waveOf(1));
    EXPECT_TRUE(session.SesModified);
    EXPECT_TRUE(script.shown.empty());
}

TEST_F(Lists, UnreadableOrUnstorableChoiceIsRefusedAndChangesNothing)
{
    write("\xCE\xA9mega", 9); // readable, but a session file cannot name it
    lists.AddUserWave("\xCE\xA9mega");
    choose(2, "Calm");
    session.SesModified = false;
    fs::remove(dir / "alpha.pcm");
    const std::pair<const char*, QString> cases[] = {
        {"short", "short.pcm"}, {"alpha", "alpha.pcm"},
        {"\xCE\xA9mega", "This user wave cannot be chosen: a session file cannot hold the name\r\n\"\u03A9mega\"\r\n"
                         "(a character in it is not in Windows-1252). Rename its file in the user-wave folder."},
    };
    for (const auto& [name, shown] : cases) {
        SCOPED_TRACE(name);
        choose(2, QString::fromUtf8(name));
        EXPECT_EQ(box(2)->currentText(), "Calm");
        EXPECT_EQ(lists.currentName(2), "Calm");
        EXPECT_EQ(slot(2), waveOf(2));
        EXPECT_FALSE(session.SesModified);
        ASSERT_FALSE(script.shown.empty());
        EXPECT_EQ(script.shown.back().kind, MsgKind::Error);
        EXPECT_TRUE(script.shown.back().text.contains(shown)) << script.shown.back().text.toStdString();
    }
}

TEST_F(Lists, SelectForSessionFindsTheListedSpelling)
{
    EXPECT_TRUE(lists.SelectForSession(1, "wave"));
    EXPECT_EQ(slot(1), waveOf(7)) << "an exact match wins";
    EXPECT_TRUE(lists.SelectForSession(2, "WAVE"));
    EXPECT_EQ(lists.currentName(2), "Wave");
    EXPECT_EQ(slot(2), waveOf(6));
    EXPECT_TRUE(lists.SelectForSession(3, "CALM"));
    EXPECT_EQ(slot(3), waveOf(2)) << "opens Calm.pcm, not CALM.pcm";

    for (const char* name : {"nothere", "short"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(lists.SelectForSession(3, name));
        EXPECT_EQ(box(3)->currentText(), "Sine");
        EXPECT_EQ(slot(3), waveOf(1));
    }
    EXPECT_FALSE(session.SesModified);
    EXPECT_TRUE(script.shown.empty()) << "the reader reports missing waves itself";
}

TEST_F(Lists, AddedWaveTakesItsSortedPlaceInEveryList)
{
    write("Beta", 6);
    lists.AddUserWave("Beta");
    lists.AddUserWave("Beta");
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(box(n)->findText("Beta"), 1);
        EXPECT_EQ(box(n)->count(), 9);
    }
    choose(4, "Beta");
    EXPECT_EQ(slot(4), waveOf(6));
}
