#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <ctime>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../support/FailingFileCalls.h"
#include "platform/AtomicFile.h"
#include "platform/FileOps.h"
#include "platform/IoError.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Files : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("files-" + std::to_string(::getpid()));
    Files() { fs::create_directories(dir); }
    ~Files() override { fs::remove_all(dir); }
    std::string put(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    }
    std::size_t count() const { return std::distance(fs::directory_iterator(dir), {}); }
};

/// Runs `check` as an unprivileged user when the tests run as root, whom
/// permissions do not bind; its result.
bool asUser(const std::function<bool()>& check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 && check() ? 0 : 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TEST_F(Files, EveryFailingStepKeepsTheOldFileAndLeavesNothing)
{
    const std::string old = put("keep.lsf", "old");
    const std::pair expected(std::string("old"), std::size_t{1});
    // Unnamed temporaries, then named ones as where the file system has no unnamed ones.
    for (FileCall temporary : {FileCall::None, FileCall::TmpfileOpen}) {
        for (FileCall step : {FileCall::Write, FileCall::Flush, FileCall::Link, FileCall::Close, FileCall::Rename}) {
            if (temporary != FileCall::None && step == FileCall::Link)
                continue; // a named temporary is never linked
            SCOPED_TRACE(testing::Message() << static_cast<int>(temporary) << "/" << static_cast<int>(step));
            g_failFileCallErrno = EOPNOTSUPP;
            g_failFileCall = temporary;
            AtomicFile out;
            out.open(old);
            EXPECT_EQ(count(), temporary == FileCall::None ? 1u : 2u) << "unnamed until the commit";
            g_failFileCallErrno = EIO;
            g_failFileCall = step;
            const int failed = g_fileCallsFailed;
            try {
                out.write("new");
                out.commit();
                ADD_FAILURE() << "committed";
            } catch (const IoError& e) {
                EXPECT_EQ(std::string(e.what()), "Could not write \"" + old + "\": " + errnoText(EIO) + ".");
            }
            g_failFileCall = FileCall::None;
            EXPECT_EQ(g_fileCallsFailed, failed + 1) << "the step was reached";
            EXPECT_EQ(std::pair(slurp(old), count()), expected);
        }
    }
}

TEST_F(Files, LongNamesLinksAndRefusalsBeforeAnythingIsCreated)
{
    const std::string longPath = put(std::string(246, 'n') + ".lsf", "old");
    ::chmod(longPath.c_str(), 0640);
    AtomicFile::writeWhole(longPath, "new");
    EXPECT_EQ(std::pair(slurp(longPath), fs::status(longPath).permissions()),
              std::pair(std::string("new"), fs::perms(0640)));

    const std::string real = put("real.lsf", "real");
    fs::create_symlink("real.lsf", dir / "link.lsf");
    AtomicFile::writeWhole((dir / "link.lsf").string(), "followed");
    EXPECT_EQ(std::pair(fs::is_symlink(dir / "link.lsf"), slurp(real)), std::pair(true, std::string("followed")));
    AtomicFile::writeWhole((dir / "link.lsf").string(), "replaced", LinkAtDestination::Replace);
    EXPECT_EQ(std::tuple(fs::is_symlink(dir / "link.lsf"), slurp(dir / "link.lsf"), slurp(real)),
              std::tuple(false, std::string("replaced"), std::string("followed")));

    fs::create_directory(dir / "folder.wav");
    ::mkfifo((dir / "pipe.lsf").c_str(), 0666);
    ::chmod(put("ro.wav", "read-only").c_str(), 0444);
    ::chmod(dir.c_str(), 0777);
    const std::size_t before = count();
    for (const std::string name : {"folder.wav", "pipe.lsf", "ro.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(asUser([&] {
            try {
                AtomicFile().open((dir / name).string());
            } catch (const IoError&) {
                return true;
            }
            return false;
        }));
        EXPECT_EQ(count(), before);
    }
}

TEST_F(Files, EntryKindsFreeSpaceAndExactReads)
{
    put("file", "0123456789");
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "nowhere", dir / "link");
    ::mkfifo((dir / "fifo").c_str(), 0600);
    const std::pair<const char*, EntryKind> kinds[] = {
        {"file", EntryKind::Regular}, {"folder", EntryKind::Directory}, {"link", EntryKind::Symlink},
        {"fifo", EntryKind::Other},   {"missing", EntryKind::Missing},  {"file/below", EntryKind::Missing}};
    for (const auto& [name, kind] : kinds)
        EXPECT_EQ(entryKind((dir / name).string()), kind) << name;

    // A folder still to be made counts on its nearest existing ancestor.
    EXPECT_GT(freeSpace().available(dir.string()), 0);
    EXPECT_GT(freeSpace().available((dir / "not/yet").string()), 0);
    EXPECT_THROW(InputFile((dir / "fifo").string()), IoError); // refused at once, never blocks

    InputFile in((dir / "file").string());
    char got[16] = {};
    in.read(got, 4);
    in.readAt(8, got + 4, 2); // leaves the position of read() alone
    EXPECT_EQ(std::string(got, 6), "012389");
    EXPECT_THROW(in.read(got, 7), IoError); // 6 bytes are left
}

TEST_F(Files, ASaveRemovesOnlyItsOwnTemporariesThatAKilledSaveLeftLongAgo)
{
    put("mine.lsf", "mine");
    const struct {
        const char* name;
        char kind; // f file, l link to mine.lsf, d folder
        int ageSeconds;
    } cases[] = {{".lumi-0a1b2c3d4e5z.tmp", 'f', 3600}, {".lumi-0a1b2c3d4e5f.tmp", 'f', 5},
                 {".lumi-notes.txt", 'f', 3600},        {".lumi-0A1B2C3D4E5F.tmp", 'f', 3600},
                 {".lumi-0a1b2c3d4e5f0.tmp", 'f', 3600}, {"x.lumi-0a1b2c3d4e5f.tmp", 'f', 3600},
                 {".lumi-000000000000.tmp", 'l', 3600},  {".lumi-111111111111.tmp", 'd', 3600}};
    for (const auto& c : cases) {
        if (c.kind == 'f')
            put(c.name, "left");
        else if (c.kind == 'l')
            fs::create_symlink("mine.lsf", dir / c.name);
        else
            fs::create_directory(dir / c.name);
        const std::time_t then = ::time(nullptr) - c.ageSeconds;
        const struct timespec times[2] = {{then, 0}, {then, 0}};
        ::utimensat(AT_FDCWD, (dir / c.name).c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
    AtomicFile::writeWhole((dir / "saved.lsf").string(), "new");
    for (const auto& c : cases) // only the first is ours and old
        EXPECT_EQ(fs::exists(fs::symlink_status(dir / c.name)), &c != cases) << c.name;
    EXPECT_EQ(slurp(dir / "mine.lsf"), "mine");
}
