#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/UserWaves.h"
#include "platform/IoError.h"

namespace fs = std::filesystem;

namespace {

struct WaveDir {
    fs::path path = fs::temp_directory_path() / ("lumi-uw-" + std::to_string(::getpid()) + "-" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    WaveDir() { fs::create_directories(path); }
    ~WaveDir() { fs::remove_all(path); }
    std::string file(const std::string& name, std::size_t bytes = 8820) const
    {
        std::string data(bytes, '\0');
        for (std::size_t i = 0; i < bytes; ++i)
            data[i] = static_cast<char>(i * 7 + 1); // byte i = 7i + 1, wrapped
        std::ofstream((path / name).string(), std::ios::binary) << data;
        return (path / name).string();
    }
};

} // namespace

TEST(ListUserWaves, KeepsOnlyNamesThatOpenTheirOwnFileInCaseFreeOrder)
{
    WaveDir dir;
    enum Kind { File, Folder, Fifo, Link, Dangling };
    const struct { const char* name; Kind kind; bool listed; } rows[] = {
        {"Calm.pcm", File, true},      {"alpha.pcm", File, true},   {"ALPHA.pcm", File, true},
        {"Sine.pcm", File, true},      {"sine.pcm", File, true},    {"Deep.PCM", File, false},
        {"Mixed.Pcm", File, false},    {"a.b.pcm", File, false},    {"a.pcm.pcm", File, true},
        {"a.pcmx.pcm", File, false},   {".hidden.pcm", File, false}, {"tab\tname.pcm", File, false},
        {"cr\rname.pcm", File, false}, {"folder.pcm", Folder, false}, {"fifo.pcm", Fifo, false},
        {"link.pcm", Link, true},      {"dangling.pcm", Dangling, false}, {"\xC9lan.pcm", File, true},
        {"notes.txt", File, false},    {"README", File, false},
    };
    for (const auto& row : rows) {
        const fs::path p = dir.path / row.name;
        switch (row.kind) {
        case File: dir.file(row.name); break;
        case Folder: fs::create_directory(p); break;
        case Fifo: ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); break;
        case Link: fs::create_symlink("Calm.pcm", p); break;
        case Dangling: fs::create_symlink("gone.pcm", p); break;
        }
    }
    const std::vector<std::string> listed = ListUserWaves(dir.path.string());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string entry(row.name);
        entry.resize(entry.size() - 4);
        EXPECT_EQ(std::count(listed.begin(), listed.end(), entry), row.listed ? 1 : 0); // "Sine" never doubled
    }
    // Equal names without regard to case keep byte order, the built-in "Sine" first.
    EXPECT_EQ(listed, (std::vector<std::string>{"a.pcm", "ALPHA", "alpha", "Calm", "link", "Sine", "sine",
                                                "\xC9lan"}));
    EXPECT_TRUE(sameUserWaveName("\xC9LAN", "\xE9lan"));
    EXPECT_EQ(ListUserWaves((dir.path / "missing").string()), std::vector<std::string>{"Sine"});
}

TEST(ReadUserWave, GivesExactlyOnePeriodOrThrows)
{
    WaveDir dir;
    const UserWave exact = ReadUserWave(dir.file("exact.pcm"));
    EXPECT_EQ(exact[0], 0x0801);
    EXPECT_EQ(exact[1], 0x160F) << "little-endian";
    EXPECT_EQ(exact[9], static_cast<std::int16_t>(0x867F)) << "signed";
    EXPECT_EQ(ReadUserWave(dir.file("long.pcm", 20000)), exact) << "a longer file gives its first samples";

    for (const std::string name : {"short.pcm", "missing.pcm", "fifo.pcm", "folder.pcm"}) {
        SCOPED_TRACE(name);
        if (name == "short.pcm")
            dir.file(name, 8819);
        if (name == "fifo.pcm") {
            ASSERT_EQ(::mkfifo((dir.path / name).c_str(), 0600), 0);
        }
        if (name == "folder.pcm")
            fs::create_directory(dir.path / name);
        try {
            ReadUserWave((dir.path / name).string());
            ADD_FAILURE() << "read";
        } catch (const IoError& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos);
        }
    }
}
