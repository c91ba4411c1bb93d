#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "EngineRig.h"
#include "engine/WavExport.h"
#include "support/TestDir.h"
#include "support/WavBytes.h"

namespace fs = std::filesystem;
using namespace wavbytes;

namespace {

struct WavFiles : ::testing::Test, TestDir {};

} // namespace

TEST(WavFile, CanonicalHeaderAndSizePatch)
{
    WavHeader h = canonicalWavHeader();
    const std::string expected = "RIFF" + le(0) + "WAVEfmt " + le(16) + le(1, 2) + le(2, 2) + le(44100) +
                                 le(176400) + le(4, 2) + le(16, 2) + "data" + le(0);
    EXPECT_EQ(std::string(h.begin(), h.end()), expected);
    patchWavSizes(h, kMaxWavDataBytes);
    EXPECT_EQ(std::string(h.begin() + 4, h.begin() + 8), le(0xFFFFFFFF));
    EXPECT_EQ(std::string(h.begin() + 40, h.end()), le(4294967259u));
}

TEST_F(WavFiles, ChunkWalkFindsFormatAndFirstSampleInAnyLayout)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::int64_t offset;
    };
    const std::string data = chunk("data", frames(5));
    const Case cases[] = {
        {"canonical", riff(fmt() + data), 44},
        {"fmt-18", riff(fmt(1, 2, 44100, 16, 2) + data), 46},
        {"list before data", riff(fmt() + chunk("LIST", "INFOISFT" + le(4) + "tool") + data), 68},
        {"odd chunk padded", riff(chunk("junk", "abc") + fmt() + data), 56},
        {"data before fmt", riff(data + fmt() + chunk("data", frames(1))), 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WavData d = openWavData(put("f.wav", c.bytes));
        const WavInfo& i = d.info();
        ASSERT_TRUE(i.walked);
        EXPECT_TRUE(isChooserWavFormat(i));
        EXPECT_EQ(i.dataOffset, c.offset);
        EXPECT_EQ(i.frames(), 5);
        char first[4];
        ASSERT_EQ(::read(d.fd(), first, 4), 4);
        EXPECT_EQ(std::string(first, 4), frames(1)) << "stands at the first sample";
    }
}

TEST_F(WavFiles, RefusalsAndFormatTests)
{
    const std::string data = chunk("data", frames(5));
    for (const auto& bytes : {"RIFX" + riff(fmt() + data).substr(4), riff(fmt() + data).replace(8, 4, "AVI "),
                              riff(chunk("fmt ", std::string(14, '\1')) + data), riff(fmt() + chunk("LIST", "x")),
                              riff(fmt() + data).substr(0, 43), riff(data + "fmt " + le(16) + "abc")}) {
        const WavInfo i = readWavInfo(put("f.wav", bytes));
        EXPECT_FALSE(i.walked);
        EXPECT_FALSE(isChooserWavFormat(i) || isSessionWavFormat(i));
    }
    EXPECT_THROW(readWavInfo((dir / "missing.wav").string()), IoError);

    struct Format {
        int tag, channels, rate, bits;
        bool chooser, session;
    };
    for (auto f : {Format{1, 2, 44100, 16, true, true}, Format{1, 1, 44100, 16, false, false},
                   Format{1, 2, 44100, 24, false, false}, Format{1, 2, 48000, 16, false, false},
                   Format{3, 2, 44100, 16, false, true}}) {
        const WavInfo i = readWavInfo(put("f.wav", riff(fmt(f.tag, f.channels, f.rate, f.bits) + data)));
        EXPECT_EQ(isChooserWavFormat(i), f.chooser) << f.tag << " " << f.channels << " " << f.bits;
        EXPECT_EQ(isSessionWavFormat(i), f.session) << f.tag << " " << f.channels << " " << f.bits;
    }
}

TEST_F(WavFiles, DataSizeClampedToFileAndFramesAndLoopsWithoutHang)
{
    struct Case {
        std::int64_t announced;
        std::string body;
        std::int64_t usable;
    };
    for (const auto& c : {Case{0xFFFFFFFF, frames(10), 40}, Case{42, frames(10) + "xy", 40}, Case{0, frames(10), 0},
                          Case{2, frames(10), 0}}) {
        SCOPED_TRACE(c.announced);
        const std::string path = put("f.wav", riff(fmt() + chunk("data", c.body, c.announced)));
        WavReader r;
        EXPECT_EQ(wavReadProc(r, 0, path).dataBytes, c.usable);
        EXPECT_EQ(r.dataBytes(), c.usable);
        std::vector<std::int16_t> s(96);
        for (int call = 0; call < 3; ++call) {
            r.read(s.data(), 192);
            for (std::size_t k = 0; k < s.size(); ++k)
                ASSERT_EQ(s[k], c.usable ? static_cast<int>((96 * call + k) % 20) : 0) << "left stays left";
        }
        wavReadProc(r, 2, path);
        wavReadProc(r, 2, path);
        EXPECT_FALSE(r.isOpen());
    }
}

TEST_F(WavFiles, WriterPatchesSizesAndNeverLeavesPartialFiles)
{
    const std::string target = put("out.wav", "earlier file");
    {
        WavWriter w;
        w.open(target);
        w.append(frames(3).data(), 12);
        w.abort();
        w.open(target);
        w.append(frames(3).data(), 12);
    } // destroyed unfinished
    EXPECT_EQ(names(), std::set<std::string>{"out.wav"});
    EXPECT_EQ(slurp(target), "earlier file");

    WavWriter w;
    w.open(target);
    for (int i = 0; i < 3; ++i)
        w.append(frames(7).data(), 28);
    EXPECT_EQ(w.framesWritten(), 21);
    w.commit();
    EXPECT_EQ(slurp(target), riff(fmt() + chunk("data", frames(7) + frames(7) + frames(7))));
    EXPECT_EQ(names(), std::set<std::string>{"out.wav"});

    // Refused before a sample is rendered.
    fs::create_directories(dir / "busy.wav" / "inside");
    EXPECT_THROW(w.open((dir / "busy.wav").string()), WavWriteError);
    EXPECT_EQ(names(), (std::set<std::string>{"busy.wav", "out.wav"}));
    EXPECT_THROW(w.open((dir / "no" / "such.wav").string()), WavWriteError);
}

TEST_F(WavFiles, WalkOfAHugeSparseFileReadsLittle)
{
    const std::string path = put("sparse.wav", "RIFF" + le(0xFFFFFFFF) + "WAVE");
    fs::resize_file(path, 4ULL << 30); // zeros: empty chunks all the way
    const auto bytesRead = [] {
        std::ifstream io("/proc/self/io");
        std::string key;
        long long value = -1;
        while (io >> key >> value && key != "rchar:")
            value = -1;
        return value;
    };
    const long long before = bytesRead();
    EXPECT_FALSE(readWavInfo(path).walked);
    EXPECT_LT(bytesRead() - before, 1 << 20);
}

namespace {

/// An export of a session of `segments` segments of 0.125 s playing the
/// backing-sound wav, in blocks of 4096 bytes.
struct ExportRig : EngineRig {
    WavExportJob job;
    explicit ExportRig(const std::string& target, const std::string& bsWav, int segments = 3)
    {
        for (int i = 0; i < segments; ++i)
            add(1).BackingSound = 4;
        RecomputeSession(*session, tables, *params);
        e.FadeInLen = e.FadeOutLen = 2000;
        job = {target, "", bsWav, 4096};
    }
    WavExportEnd run(const std::function<bool(int)>& onBlock = {})
    {
        int block = 0;
        return exportSessionToWav(e, *session, job,
                                  {[&] { EXPECT_TRUE(e.Recording && !e.FadingIn && e.BSWavOpen); },
                                   [&](std::int64_t, std::int64_t) { return !onBlock || onBlock(block++); }});
    }
    void expectStopped() const
    {
        EXPECT_FALSE(e.ToneWavOpen || e.BSWavOpen || e.BSWavFile.isOpen() || e.Recording || e.StopRequest);
    }
};

} // namespace

TEST_F(WavFiles, ExportWritesWholeBlocksWithConsistentHeader)
{
    const std::string bs = put("bs.wav", riff(fmt() + chunk("data", frames(1000))));
    // The second: segments shorter than a control block, one change per block.
    for (auto [factor, segments] : {std::pair{1.0f, 3}, std::pair{0.0005f, 200}}) {
        SCOPED_TRACE(factor);
        ExportRig r((dir / "out.wav").string(), bs, segments);
        r.e.SesLengthFactor = factor;
        const WavExportPlan plan = planWavExport(r.e, *r.session, r.job.blockBytes);
        ASSERT_EQ(r.run(), WavExportEnd::Written);
        r.expectStopped();
        const WavInfo i = readWavInfo(r.job.target);
        EXPECT_EQ(i.dataBytes, plan.dataBytes);
        EXPECT_EQ(i.dataBytes % 4096, 0);
        EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(r.job.target)), 44 + i.dataBytes);
        EXPECT_EQ(slurp(r.job.target).substr(4, 4), le(static_cast<std::uint32_t>(i.dataBytes + 36)));
    }
}

TEST_F(WavFiles, CancelledFailedTooLongAndSelfOverwritingExportsLeaveNoFile)
{
    const std::string bs = put("bs.wav", riff(fmt() + chunk("data", frames(1000))));
    const std::string target = put("out.wav", "earlier file");
    ExportRig r(target, bs);
    EXPECT_EQ(r.run([](int block) { return block < 5; }), WavExportEnd::Cancelled);
    r.expectStopped();

    // The file size limit makes the write of block 4 fail halfway.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = 44 + 4 * 4096 + 2048;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_THROW(r.run(), WavWriteError);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
    r.expectStopped();

    r.job.bsWav = (dir / "gone.wav").string();
    EXPECT_THROW(r.run(), IoError);
    r.expectStopped();

    ExportRig tooLong(target, "", 230); // 230 segments of 0.125 s stretched to 4.4 and 3.5 GiB
    tooLong.e.SesLengthFactor = 1000;
    EXPECT_FALSE(planWavExport(tooLong.e, *tooLong.session, 65536).fits());
    EXPECT_THROW(tooLong.run(), WavWriteError);
    tooLong.e.SesLengthFactor = 800;
    EXPECT_TRUE(planWavExport(tooLong.e, *tooLong.session, 65536).fits());

    EXPECT_EQ(names(), (std::set<std::string>{"bs.wav", "out.wav"}));
    EXPECT_EQ(slurp(target), "earlier file");

    fs::create_symlink(bs, dir / "link.wav");
    EXPECT_TRUE(exportOverwritesSource({(dir / "link.wav").string(), "", bs}));
    EXPECT_TRUE(exportOverwritesSource({(dir / "." / "bs.wav").string(), bs, ""}));
    EXPECT_FALSE(exportOverwritesSource({target, bs, bs}));
    EXPECT_FALSE(exportOverwritesSource({(dir / "new.wav").string(), "", ""}));
}
