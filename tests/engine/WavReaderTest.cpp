#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "EngineRig.h"
#include "platform/IoError.h"

namespace fs = std::filesystem;

namespace {

/// A temporary file: 44 header bytes, then `frames` frames whose left sample
/// is 2i and right sample 2i + 1, then `extra` bytes.
struct TempWav {
    fs::path path;
    TempWav(int frames, int extra = 0)
        : path(fs::temp_directory_path() /
               ("wavreader-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + std::to_string(frames) + ".wav"))
    {
        std::ofstream out(path, std::ios::binary);
        out << std::string(44, 'h');
        for (int s = 0; s < 2 * frames; ++s)
            out.put(static_cast<char>(s)).put(0);
        out << std::string(extra, 'x');
    }
    ~TempWav() { fs::remove(path); }
};

std::vector<std::int16_t> read(WavReader& w, int bytes)
{
    std::vector<std::int16_t> out(bytes / 2, -1);
    w.read(out.data(), bytes);
    return out;
}

} // namespace

TEST(WavReader, LoopsSeamlesslyAcrossReads)
{
    TempWav f(10);
    WavReader w;
    for (int chunk : {12, 64, 4, 40}) {
        SCOPED_TRACE(chunk);
        w.open(f.path, 44, 40);
        for (int s = 0; s < 200;)
            for (auto v : read(w, chunk))
                ASSERT_EQ(v, s++ % 20);
    }
}

TEST(WavReader, ShortOddAndEmptyDataNeitherHangsNorSwapsChannels)
{
    struct Case {
        int frames, extra;
        std::uint64_t announced;
        std::int64_t usable;
    };
    for (auto c : {Case{10, 0, 4000, 40}, Case{10, 2, 42, 40}, Case{10, 0, 0, 0}, Case{10, 0, 2, 0}, Case{0, 3, 100, 0}}) {
        SCOPED_TRACE(c.announced);
        TempWav f(c.frames, c.extra);
        WavReader w;
        w.open(f.path, 44, c.announced);
        EXPECT_EQ(w.dataBytes(), c.usable);
        for (int call = 0; call < 3; ++call) {
            const auto s = read(w, 64);
            for (std::size_t i = 0; i < s.size(); ++i) {
                if (c.usable == 0)
                    ASSERT_EQ(s[i], 0);
                else
                    ASSERT_EQ(s[i] % 2, static_cast<int>(i % 2)) << "left stays left";
            }
        }
    }
}

TEST(WavReader, ShrunkFilesClosedReadersAndReadErrors)
{
    TempWav f(10);
    WavReader w;
    w.open(f.path, 44, 40);
    fs::resize_file(f.path, 44 + 14); // three whole frames and a half
    const auto s = read(w, 64);
    for (std::size_t i = 0; i < s.size(); ++i)
        ASSERT_EQ(s[i], static_cast<int>(i % 6));

    w.close();
    w.close();
    EXPECT_EQ(read(w, 8), std::vector<std::int16_t>(4, 0));
    EXPECT_THROW(w.open((f.path.string() + ".missing"), 44, 40), IoError);

    w.open(fs::temp_directory_path(), 0, 100); // opens, but cannot be read
    EXPECT_THROW(read(w, 64), IoError);
}

TEST(WavReader, SeekFrameStandsWhereTheLoopWouldBeAndLoopsOnAtTheDataEnd)
{
    TempWav f(10), empty(0, 3);
    WavReader w;
    // Inside the first loop, after several, past what 32-bit bytes hold; no whole frame.
    const std::int64_t far = (std::int64_t{3} << 32) + 5;
    for (auto [frame, first, data] : {std::tuple{3LL, 3, 40}, {47LL, 7, 40}, {far, 3, 40}, {-2LL, 0, 40}, {5LL, 0, 3}}) {
        SCOPED_TRACE(frame);
        w.open(data == 40 ? f.path : empty.path, 44, data);
        w.seekFrame(frame);
        const auto s = read(w, 4 * 12);
        for (int i = 0; i < 12; ++i)
            ASSERT_EQ(s[2 * i], data == 40 ? 2 * ((first + i) % 10) : 0);
    }

    // Data beyond 2^31 bytes, sparse but for one marked frame.
    const fs::path big = f.path.string() + ".big";
    const std::int64_t mark = (std::int64_t{1} << 31) + 400, data = mark + 4000;
    std::ofstream(big, std::ios::binary).seekp(44 + mark).write("\x34\x12\x78\x56", 4);
    fs::resize_file(big, 44 + data);
    w.open(big, 44, static_cast<std::uint64_t>(data));
    for (std::int64_t frame : {mark / 4, mark / 4 + 3 * (data / 4)}) {
        w.seekFrame(frame);
        EXPECT_EQ(read(w, 4), (std::vector<std::int16_t>{0x1234, 0x5678}));
    }
    w.close();
    fs::remove(big);
}

TEST(WavReader, EngineRefillsPerBufferRewindsAtResetAndPassesErrorsOn)
{
    TempWav f(10);
    EngineRig r;
    r.add();
    r.start();
    r.e.ToneWavFile.open(f.path, 44, 40);
    r.e.ToneWavOpen = true;
    r.e.BSWavFile.open(f.path, 44, 24);
    r.e.BSWavOpen = true;
    r.block();
    r.block();
    for (int s = 0; s < 32; ++s) {
        EXPECT_EQ(r.e.ToneWavBuf[s], (32 + s) % 20);
        EXPECT_EQ(r.e.BSWavBuf[s], (32 + s) % 12);
    }
    r.e.InitializeVars();
    r.block();
    EXPECT_EQ(r.e.ToneWavBuf[0], 0);
    EXPECT_EQ(r.e.ToneWavBuf[31], 11);

    r.e.BSWavFile.open(fs::temp_directory_path(), 0, 100);
    EXPECT_THROW(r.block(), IoError);
}
