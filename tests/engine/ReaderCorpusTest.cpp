#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/ReaderChecks.h"

namespace fs = std::filesystem;

// The fuzz programs' seeds and every input a fuzzer ever found, through the
// same checks, in every tree: a reader that breaks on one fails here too.
TEST(ReaderCorpus, EveryInputKeepsItsReadersPromises)
{
    for (const ReaderTarget& target : readerTargets()) {
        const fs::path dir = fs::path(LUMI_SOURCE_DIR) / "fuzz" / "corpus" / target.name;
        int inputs = 0;
        for (const auto& entry : fs::directory_iterator(dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), {}};
            EXPECT_EQ(target.check(bytes), "") << entry.path();
            ++inputs;
        }
        EXPECT_GT(inputs, 0) << target.name;
        EXPECT_EQ(readerCheck(target.name), target.check);
    }
}
