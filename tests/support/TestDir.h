#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

/// A fresh folder for the running test, named after it, removed with all it
/// holds when the test ends.
struct TestDir {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("lumi-" + std::to_string(::getpid()) + "-" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());

    TestDir() { std::filesystem::create_directories(dir); }
    ~TestDir() { std::filesystem::remove_all(dir); }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    /// Writes `bytes` into the file `name` of the folder; returns its path.
    std::string put(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    }
    /// The names of the folder's entries.
    std::set<std::string> names() const
    {
        std::set<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            out.insert(e.path().filename().string());
        return out;
    }
};
