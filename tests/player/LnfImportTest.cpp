#include <csignal>
#include <map>

#include <sys/resource.h>
#include <sys/stat.h>

#include <QAction>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "LnfRig.h"
#include "engine/Interchange.h"
#include "engine/WavFile.h"
#include "fuzz/LnfImportCheck.h"
#include "player/UserWaveLists.h"

namespace {

using namespace lnfrig;

const QString kDone = "The LNF file was imported successfuly.";
const QString kFailed = "The LNF file was not imported completely!";

/// A wav file of `size` bytes (0: empty) whose data counts up from `seed`.
std::string wav(std::size_t size, int seed)
{
    WavHeader h = canonicalWavHeader();
    patchWavSizes(h, static_cast<std::int64_t>(size) - kWavHeaderBytes);
    return size ? std::string(h.begin(), h.end()) + pattern(size - kWavHeaderBytes, seed) : "";
}

// The import into "ses/", "src/" and "uw/" of containers the export made.
struct LnfImport : LnfRig {
    const QString in = QString::fromStdString(at("lnf/in.lnf"));

    LnfImport()
    {
        model.Folders.SesDir = at("ses/");
        model.Folders.SrcWavDir = at("src/");
        model.UserWavesDir = at("uw/");
    }
    /// The export of "Relax.lsf" (AM depth 33) that plays "tone.wav" (two
    /// blocks and a rest) and the backing sound `bs` (one block and a rest),
    /// "Alpha" in slots 1 and 2, "Beta" in 4; then a new session.
    std::string exported(const std::string& bs, std::size_t toneBytes = 70000, std::deque<int> answers = {})
    {
        put("from/Alpha.pcm", pattern(8820, 3)), put("from/Beta.pcm", pattern(8820, 4)), put("lnf/in.lnf", "");
        ses.Segments[1] = model.Tables.DefaultSegment;
        std::tie(ses.SegCount, ses.Segments[1].Tone, ses.Segments[1].BackingSound) = std::tuple(1, 10, 4);
        useWav(form->ToneWavName, form->Edit1, put("from/tone.wav", wav(toneBytes, 1)));
        useWav(form->BSWavName, form->Edit3, put("from/bs/" + bs, wav(40000, 2)));
        form->SearchPcmDir(at("from/"));
        for (const auto& [slot, name] : {std::pair(1, "Alpha"), {2, "Alpha"}, {4, "Beta"}})
            form->userWaves().SelectForSession(slot, name);
        TForm1::SetPosition(form->TrackBar2, 33);
        ses.SesFileName = at("from/Relax.lsf");
        std::tie(script.answers, script.files) = std::tuple(answers, std::deque{std::optional(in)});
        form->ExportLNFfile1->trigger();
        EXPECT_TRUE(script.messages().back().endsWith("successfuly.")) << script.messages().join("|").toStdString();
        const std::string bytes = slurp(at("lnf/in.lnf"));
        fs::remove_all(dir);
        editor->NewProc();
        form->SearchPcmDir(at("uw/"));
        return bytes;
    }
    /// The import of `bytes` from "lnf/in.lnf" with these answers.
    QStringList run(const std::string& bytes, std::deque<int> overwrite = {},
                    std::deque<std::optional<QString>> files = {}, bool saveAsCancelled = false)
    {
        put("lnf/in.lnf", bytes);
        files.push_front(in);
        if (saveAsCancelled)
            files.push_front(std::nullopt);
        std::tie(script.overwriteAnswers, script.files) = std::tuple(overwrite, files);
        script.shown.clear();
        form->ImportLNFfile1->trigger();
        EXPECT_TRUE(form->isEnabled() && editor->isEnabled() && !progress->isVisible());
        return script.messages();
    }
    /// Every entry below the test's folder: a file's bytes, a link's target.
    std::map<fs::path, std::string> tree() const
    {
        std::map<fs::path, std::string> t;
        for (const auto& e : fs::recursive_directory_iterator(dir))
            t[e.path()] = e.is_symlink() ? "->" + fs::read_symlink(e).string() : e.is_regular_file() ? slurp(e) : "";
        return t;
    }
};

} // namespace

TEST_F(LnfImport, EveryWayEndsInItsOwnOutcome)
{
    const std::string rain = exported("Rain.wav"), shared = exported("tone.wav"),
                      declined = exported("tone.wav", 70000, {mrOk, mrNo}), empty = exported("Rain.wav", 0);
    const std::string alpha = pattern(8820, 3), tone = wav(70000, 1), rainWav = wav(40000, 2), old = wav(100, 9);
    const QString title = form->windowTitle();
    rlimit unlimited{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    bool cancel = false;
    QObject::connect(progress->ProgressBar1, &QProgressBar::valueChanged, [&](int percent) {
        if (cancel && percent > 60) // within the backing sound's blocks
            progress->Button1->click();
    });
    const auto edit = [&rain](std::string from, std::string to) {
        return [=] { return std::string(rain).replace(rain.find(from), from.size(), to); };
    };
    const auto use = [](const std::string& container) { return [&container] { return container; }; };
    const auto path = [&](const char* name) { return std::optional(QString::fromStdString(at(name))); };
    struct Case {
        // "=" and the references after an import; else part of the reason
        // shown before the failure ("": none, after a Cancel); nullptr silent.
        const char* outcome;
        std::function<std::string()> container; // none: `rain`
        std::function<void()> setup = [] {};
        std::deque<int> overwrite = {}; // each one asked for, nothing else
        std::deque<std::optional<QString>> files = {};
        const char* written = "";                              // a failure: what changed
        std::vector<std::pair<const char*, std::string>> bytes = {}; // an import: files afterwards
    };
    const Case cases[] = {
        // A session "ses/Relax.lsf" is there before each failure, so that a
        // question follows any check that is passed by mistake.
        {"Line 1: the line is not", edit("FFV1", "FFV2")},
        {"Line 1: the line ends in LF", edit("\r\n", "\n")},
        {"Line 2: the line ends in CR without", edit(".lsf\r\n", ".lsf\r")},
        {"Line 2: the line does not end", edit("Relax", std::string(40000, 'a'))},
        {"Line 5: the size", edit("\r\n70000\r\n", "\r\n-5\r\n")},
        {"Line 5: the size", edit("\r\n70000\r\n", "\r\n2147483648\r\n")},
        {"Line 7: the size is not \"0\"", edit("Rain.wav", "")},
        {"Line 4: the name holds one of", edit("tone.wav", "../../.bashrc")},
        {"Line 4: the name holds one of", edit("tone.wav", "..\\..\\x.wav")},
        {"Line 4: the name holds one of", edit("tone.wav", "/abs/x.wav")},
        {"Line 6: the name holds one of", edit("Rain.wav", "C:x.wav")},
        {"Line 2: a session file's name", edit("Relax.lsf", "Relax.lrf")},
        {"Line 8: a user wave's name", edit("Alpha.pcm", "Al.pha.pcm")},
        {"Line 11: the name holds a control", edit("Beta.pcm", "Be\x01.pcm")},
        {"fewer than", [&] { return rain.substr(0, rain.size() - 1); }},
        {"The session file cannot be read", edit("Segments: 1", "Segments: x")},
        {"Not enough free space", {}, [&] { space.bytes = kLnfSpaceMargin + 1000; }},
        {"a folder or a special file", {}, [&] { fs::create_directories(at("src/tone.wav")); }, {mrYes}},
        {"a folder or a special file", {}, [&] {
             fs::remove(at("ses/Relax.lsf")), ::mkfifo(at("ses/Relax.lsf").c_str(), 0600);
         }},
        {"Two files", {}, [&] { put("src/tone.wav", "t"), put("src/Rain.wav", "r"); }, {mrYes, mrNo, mrNo},
         {path("src/x.wav"), path("src/../src/x.wav")}},
        {"the LNF file being imported", {}, [&] { put("src/Rain.wav", "r"); }, {mrYes, mrNo}, {in}},
        {"as a .lsf file", {}, [] {}, {mrNo}, {path("ses/Relax.txt")}},
        {"", {}, [] {}, {mrCancel}},
        {"", {}, [&] { put("uw/Beta.pcm", "b"); }, {mrYes, mrCancel}},
        {"", {}, [&] { put("src/Rain.wav", "r"); }, {mrYes, mrNo}, {std::nullopt}},
        {nullptr, {}, [&] { ses.SesModified = true; }}, // Yes, then Save As cancelled
        {"", {}, [&] { cancel = true, put("src/Rain.wav", "r"); }, {mrYes, mrYes}, {}, "ses/Relax.lsf src/tone.wav uw"},
        {"tone.wav", {}, [&] {
             space.during = [&] {
                 rlimit limit = unlimited;
                 limit.rlim_cur = 50000; // within the tone
                 ::setrlimit(RLIMIT_FSIZE, &limit);
             };
         }, {mrYes}, {}, "ses/Relax.lsf src uw"},
        // Imports, into missing folders unless a file is put there.
        {"=tone.wav|Rain.wav|Alpha|Alpha|Sine|Beta|33", {}, [&] { space.bytes = -1; }, {}, {}, "",
         {{"src/tone.wav", tone}, {"src/Rain.wav", rainWav}, {"uw/Beta.pcm", pattern(8820, 4)}}},
        {"=tone.wav|tone.wav|Alpha|Alpha|Sine|Beta|33", use(shared), [] {}, {}, {}, "", {{"src/tone.wav", tone}}},
        {"=New.wav|New.wav|Alpha|Alpha|Sine|Beta|33", use(shared), [&] { put("src/tone.wav", old); }, {mrNo},
         {path("src/New.wav")}, "", {{"src/tone.wav", old}, {"src/New.wav", tone}}},
        {"=tone.wav|tone.wav|Alpha|Alpha|Sine|Beta|33", use(declined), [&] { put("src/tone.wav", old); }},
        {"=|Rain.wav|Alpha|Alpha|Sine|Beta|33", use(empty)},
        {"=tone.wav|Rain.wav|Alpha|Alpha|Sine|Beta|33", {}, [&] {
             for (QCheckBox* box : {options->CheckBox8, options->CheckBox9, options->CheckBox10})
                 box->setChecked(true);
         }},
        {"=tone.wav|Rain.wav|Gamma|Gamma|Sine|Sine|33", {}, [&] {
             put("ses/Relax.lsf", "earlier"), put("src/tone.wav", old), put("outside/x.wav", "outside");
             put("uw/Alpha.pcm", pattern(8820, 8)), put("uw/Beta.pcm", pattern(8820, 9)), put("other/x", "");
             fs::create_symlink(at("outside/x.wav"), at("src/Rain.wav"));
         }, {mrYes, mrSkip, mrYes, mrNo, mrNo}, {path("uw/Gamma.pcm"), path("other/Beta.pcm")}, "",
         {{"src/tone.wav", old}, {"src/Rain.wav", rainWav}, {"uw/Gamma.pcm", alpha}, {"outside/x.wav", "outside"},
          {"other/Beta.pcm", pattern(8820, 4)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcome ? c.outcome : "silent");
        const bool imports = c.outcome && *c.outcome == '=';
        for (const char* folder : {"ses", "src", "uw"})
            fs::remove_all(dir / folder);
        if (!imports)
            put("ses/Relax.lsf", "earlier");
        std::tie(space.bytes, space.during, cancel) = std::tuple(1LL << 40, nullptr, false);
        std::tie(ses.SesFileName, ses.SesModified) = std::tuple("", false);
        for (QCheckBox* box : {options->CheckBox8, options->CheckBox9, options->CheckBox10})
            box->setChecked(false);
        TForm1::SetPosition(form->TrackBar2, 77);
        const std::string container = c.container ? c.container() : rain;
        put("lnf/in.lnf", container);
        c.setup();
        const auto before = tree();
        const QStringList shown = run(container, c.overwrite, c.files, !c.outcome);
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        if (!c.outcome)
            script.files.pop_front(); // the open dialog never came
        EXPECT_TRUE(script.overwriteAnswers.empty() && script.files.empty()) << "an answer not asked for";
        if (imports) {
            EXPECT_EQ(shown.back().toStdString(), kDone.toStdString()) << shown.join("|").toStdString();
            std::string shows = "=" + form->Edit1->text().toStdString() + "|" + form->Edit3->text().toStdString();
            for (int n = 1; n <= 4; ++n)
                shows += "|" + form->userWaves().currentName(n);
            EXPECT_EQ(shows + "|" + std::to_string(form->TrackBar2->value()), c.outcome);
            for (const auto& [name, bytes] : c.bytes)
                EXPECT_TRUE(!fs::is_symlink(at(name)) && slurp(at(name)) == bytes) << name;
            EXPECT_EQ(std::memcmp(model.Samples->WaveTables[kBuiltInWaves + 2].data(), alpha.data(), 8820), 0);
            EXPECT_EQ(ses.SesFileName + space.asked, at("ses/Relax.lsf") + at("src/"));
            EXPECT_NE(slurp(ses.SesFileName).find("Tone Wav File: " + form->ToneWavName + "\r\n"), std::string::npos);
            EXPECT_EQ(script.shown[0].options.filterPatterns, QStringList{"*.lnf *.LNF"});
            continue;
        }
        auto after = tree();
        std::string written;
        for (const auto& [name, bytes] : before)
            if (after.count(name) && after[name] == bytes)
                after.erase(name);
        for (const auto& [name, bytes] : after)
            written += (written.empty() ? "" : " ") + fs::relative(name, dir).string();
        EXPECT_EQ(written, c.written) << "no temporary, nothing partial";
        EXPECT_EQ(ses.SesFileName + form->windowTitle().toStdString(), title.toStdString());
        EXPECT_EQ(shown.contains(kFailed), c.outcome != nullptr);
        EXPECT_TRUE(c.outcome && *c.outcome ? shown.size() == 2 && shown[0].contains(c.outcome) : shown.size() <= 1)
            << shown.join("|").toStdString();
    }
    std::signal(SIGXFSZ, oldSignal);
    // The last import: the questions' texts, Skip for the session only, the rename dialog.
    QStringList asked;
    for (const auto& s : script.shown)
        if (s.what == ScriptedPrompts::Shown::What::Overwrite)
            asked << s.overwrite.existing + "|" + s.overwrite.incoming + "|" + QString::number(s.overwrite.skipOffered);
    EXPECT_EQ(asked.first().toStdString() + asked.last().toStdString(),
              at("ses/Relax.lsf") + "|Relax.lsf|0" + at("uw/Beta.pcm") + "|Beta.pcm|1");
    const FileDialogOptions& o = script.shown[5].options;
    EXPECT_EQ(QStringList({o.title, o.defaultSuffix, o.folder, o.fileName, o.filters.join("")}).join("|").toStdString(),
              "Save imported User Wave file as|pcm|" + at("uw/") + "|Alpha.pcm|User Wave file (*.pcm)");
}

// The import fuzz program's seeds and findings, through its check: every file
// written stays in its folder, a refused container changes nothing.
TEST(LnfImportCorpus, EveryInputKeepsTheImportsPromises)
{
    LnfImportCheck check;
    int inputs = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(LUMI_SOURCE_DIR) / "fuzz/corpus/lnf_import")) {
        EXPECT_EQ(check.check(slurp(entry.path())), "") << entry.path();
        ++inputs;
    }
    EXPECT_GT(inputs, 4);
}
