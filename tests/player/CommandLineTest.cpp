#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "player/CommandLine.h"

namespace fs = std::filesystem;

namespace {

struct CommandLine : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("lumi-cmd-" + std::to_string(::getpid()));
    fs::path launch = dir / "launch";

    CommandLine()
    {
        fs::create_directories(launch / "sub");
        fs::create_directories(dir / "folder.lsf");
        for (const char* name : {"sub/My Session.LSF", "old.lrf", "noext", "sub/.lsf", "x.lsf.bak"})
            std::ofstream((launch / name).string()) << "x";
    }
    ~CommandLine() override { fs::remove_all(dir); }

    CommandLineSession run(const std::vector<std::string>& args) { return commandLineSession(args, launch.string()); }
};

} // namespace

TEST_F(CommandLine, JoinsWithBlanksAndResolvesAgainstTheLaunchFolder)
{
    const std::string expected = fs::canonical(launch / "sub/My Session.LSF").string();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"sub/My", "Session.LSF"},
             {"./sub/../sub/My Session.LSF"},
             {(launch / "sub/My").string(), "Session.LSF"},
         }) {
        SCOPED_TRACE(args.front());
        const CommandLineSession named = run(args);
        EXPECT_EQ(named.fileName, expected);
        EXPECT_FALSE(named.invalid);
    }
    EXPECT_EQ(run({"sub/.lsf"}).fileName, fs::canonical(launch / "sub/.lsf").string()) << "a leading dot counts";
}

TEST_F(CommandLine, NamesOfNoFileAreDroppedSilently)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {"sub/My", "", "Session.LSF"}, // two blanks: another name
             {"sub/*.LSF"},
             {"sub/My Session.LS?"},
             {"\\\\server\\share\\x.lsf"},
             {"missing.lsf"},
             {"../folder.lsf"},
             {"sub"},
         }) {
        SCOPED_TRACE(args.empty() ? "" : args.front());
        const CommandLineSession named = run(args);
        EXPECT_EQ(named.fileName, "");
        EXPECT_FALSE(named.invalid);
    }
}

TEST_F(CommandLine, ExistingFilesOfAnotherKindAreInvalid)
{
    for (const char* name : {"old.lrf", "noext", "x.lsf.bak"}) {
        SCOPED_TRACE(name);
        const CommandLineSession named = run({name});
        EXPECT_EQ(named.fileName, "");
        EXPECT_TRUE(named.invalid);
    }
}

TEST(LowerExtension, FromTheLastDotOfTheNamePartWithOnlyAToZLowered)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a/FILE.LSF", ".lsf"},     {"a.b/file", ""},         {"C:\\dir.x\\file", ""},
        {".lsf", ".lsf"},           {"a.tar.GZ", ".gz"},      {"x.\xC4" "B", ".\xC4" "b"},
        {"name.", "."},             {"", ""},
    };
    for (const auto& [name, ext] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(lowerExtension(name), ext);
    }
}
