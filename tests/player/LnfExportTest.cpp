#include <csignal>
#include <set>
#include <utility>

#include <sys/resource.h>

#include <QAction>
#include <QPushButton>
#include <QTimer>

#include "LnfRig.h"
#include "engine/Interchange.h"
#include "platform/TextLines.h"
#include "player/LnfExport.h"
#include "player/UserWaveLists.h"

namespace {

using namespace lnfrig;

const QString kDone = "The session was exported as LNF file successfuly.";
const QString kFailed = "The export of LNF file failed.";
const QString kToneQuestion = "Do you wish to include the Tone Wav File in exported LNF file?";
const QString kBSQuestion = "Do you wish to include the Backing Sound Wav File in exported LNF file?";

// The export's own scene on the shared rig.
struct LnfExport : LnfRig {
    /// A saved session "ses/Relax.lsf" that plays "src/tone.wav" (70000
    /// bytes: two full blocks and a rest) and holds "Alpha" in slot 1; an
    /// earlier "out/x.lnf".
    void scene()
    {
        fs::remove_all(dir);
        put("out/x.lnf", "earlier");
        put("uw/Alpha.pcm", pattern(8820, 3));
        ses.SegCount = 1;
        ses.Segments[1] = model.Tables.DefaultSegment;
        ses.Segments[1].Tone = 10;
        useWav(form->ToneWavName, form->Edit1, put("src/tone.wav", pattern(70000, 1)));
        form->SearchPcmDir(at("uw/"));
        form->userWaves().SelectForSession(1, "Alpha");
        ses.SesFileName = put("ses/Relax.lsf", "");
        ASSERT_TRUE(editor->SaveProc());
    }
    /// Adds the backing-sound wav `path` and saves again.
    void playBS(const std::string& path)
    {
        ses.Segments[1].BackingSound = 4;
        useWav(form->BSWavName, form->Edit3, path);
        editor->SaveProc();
    }
    /// The export with these answers to the boxes and the save dialog.
    QStringList run(std::deque<int> answers, std::optional<QString> target)
    {
        script.shown.clear();
        script.answers = std::move(answers);
        script.files = {std::move(target)};
        form->ExportLNFfile1->trigger();
        return script.messages();
    }
};

} // namespace

TEST_F(LnfExport, WritesTheContainerByteForByte)
{
    scene();
    playBS(put("src/Rain.wav", pattern(100, 2)));
    put("uw/Beta.pcm", pattern(8820, 4));
    form->SearchPcmDir(at("uw/")); // all "Sine"
    for (const auto& [slot, name] : {std::pair(1, "Alpha"), {3, "Alpha"}, {4, "Beta"}})
        form->userWaves().SelectForSession(slot, name);
    editor->SaveProc();
    const std::string payloads = slurp(ses.SesFileName) + slurp(at("src/tone.wav")) + slurp(at("src/Rain.wav")) +
                                 slurp(at("uw/Alpha.pcm")) + slurp(at("uw/Beta.pcm"));

    EXPECT_EQ(run({}, QString::fromStdString(at("out/Relax.lnf"))), QStringList({kToneQuestion, kBSQuestion, kDone}));
    const FileDialogOptions& o = script.shown[0].options;
    EXPECT_EQ(QStringList({o.title, o.fileName, o.folder, o.defaultSuffix, o.filters.join("|")}).join("|").toStdString(),
              "|Relax.lnf|" + at("lnf/") + "|lnf|Lumisonorium SW LNF file (*.lnf)");
    EXPECT_TRUE(o.confirmOverwrite);
    const std::string header = std::string(kLnfMagic) + "\r\nRelax.lsf\r\n" +
                               std::to_string(fs::file_size(ses.SesFileName)) +
                               "\r\ntone.wav\r\n70000\r\nRain.wav\r\n100\r\nAlpha.pcm\r\n\r\n\r\nBeta.pcm\r\n";
    EXPECT_TRUE(slurp(at("out/Relax.lnf")) == header + payloads);
    EXPECT_EQ(space.asked, at("out"));
    EXPECT_EQ(model.Folders.ImpExpDir + "|" + options->Edit5->text().toStdString(), at("out/") + "|" + at("out/"));

    // Not remembered; an earlier file replaced whole.
    options->CheckBox1->setChecked(false);
    EXPECT_EQ(run({}, QString::fromStdString(at("out/x.lnf"))).back(), kDone);
    EXPECT_TRUE(slurp(at("out/x.lnf")) == slurp(at("out/Relax.lnf")));
    EXPECT_EQ(model.Folders.ImpExpDir, at("out/"));

    for (const auto& [from, to] : {std::pair<QString, QString>{"/s/Tief.LSF", "Tief.lnf"}, {"/s/Ab", "Ab.lnf"},
                                   {"/s/\u00C9t\u00E9.lsf", "\u00C9t\u00E9.lnf"}})
        EXPECT_EQ(defaultLnfName(from).toStdString(), to.toStdString());
}

TEST_F(LnfExport, EveryWayEndsInItsOwnOutcome)
{
    rlimit unlimited{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    const std::string tone = at("src/tone.wav");
    const auto renameTone = [&](const std::string& name) {
        fs::rename(tone, at("src/" + name));
        useWav(form->ToneWavName, form->Edit1, at("src/" + name));
    };
    const char* const inUse = "Cannot overwrite a file used by the session!";
    struct Case {
        // "=" and lines 4 to 7 of the container written; "" the failure after
        // a Cancel; else part of the reason shown before the failure; nullptr
        // silent (the save question, and what the session writer says).
        const char* outcome;
        std::function<void()> change;
        std::deque<int> answers = {mrYes}; // each one asked for, nothing else
        const char* target = "out/x.lnf";  // nullptr: the dialog cancelled
    };
    const Case cases[] = {
        {"=tone.wav|70000||0", [&] { playBS(put("other/tone.wav", "bs")); }}, // one name, stored once
        {"=|0||0", [&] { playBS(put("other/tone.wav", "bs")); }, {mrNo}},
        {"=tone.wav|0|bs.wav|2", [&] { fs::resize_file(tone, 0), playBS(put("src/bs.wav", "bs")); }}, // no question
        {"=|0|bs.wav|2", [&] { playBS(put("src/bs.wav", "bs")); }, {mrNo, mrYes}},
        {"=|0|tone.wav|70000", [&] { // a tone of that name that the session does not play
             ses.Segments[1].Tone = 1;
             playBS(tone);
             useWav(form->ToneWavName, form->Edit1, put("other/tone.wav", "t"));
         }},
        {"=tone.wav|70000||0", [&] { fs::remove(ses.SesFileName); }, {mrOk, mrYes}}, // saved first
        {nullptr, [&] { ses.SesModified = true; }, {mrCancel}},
        {nullptr, [&] { ses.SesFileName.clear(); }, {mrOk}, nullptr}, // Save As cancelled
        {nullptr, [&] { useWav(form->ToneWavName, form->Edit1, ""), ses.SesModified = true; }, {mrOk}},
        {"Not enough free space", [&] { space.bytes = kLnfSpaceMargin + 70000; }},
        {"Not enough free space", [&] { space.bytes = -1; }},
        {"", [&] { QTimer::singleShot(0, progress->Button1, &QPushButton::click); }},
        {"Alpha.pcm", [&] { fs::remove(at("uw/Alpha.pcm")); }},
        {"shorter than a user wave", [&] { fs::resize_file(at("uw/Alpha.pcm"), 8819); }},
        {"ended early", [&] { space.during = [&] { fs::resize_file(tone, 40000); }; }},
        {"x.lnf", [&] {
             rlimit limit = unlimited;
             limit.rlim_cur = fs::file_size(ses.SesFileName) + 50000; // within the tone
             ::setrlimit(RLIMIT_FSIZE, &limit);
         }},
        {"too large for an LNF file", [&] { fs::resize_file(tone, std::int64_t{3} << 30); }},
        {"one of", [&] { renameTone("a\\b.wav"); }},
        {"control character", [&] { renameTone("a\rb.wav"); }},
        {"cannot hold", [&] { renameTone("\xC4\x81.wav"); }},
        {"not valid UTF-8", [&] { renameTone("\xFF.wav"); }},
        {"must end in", [&] { ses.SesFileName = put("ses/Relax.lsf.bak", "session"); }, {}},
        {"a:b.pcm\" cannot be stored", [&] {
             put("uw/a:b.pcm", pattern(8820, 5));
             form->SearchPcmDir(at("uw/"));
             form->userWaves().SelectForSession(2, "a:b");
         }},
        {inUse, [] {}, {mrYes}, "ses/Relax.lsf"},
        {inUse, [] {}, {mrYes}, "src/tone.wav"},
        {inUse, [] {}, {mrYes}, "uw/Alpha.pcm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcome ? c.outcome : "silent");
        scene();
        space.bytes = std::int64_t{1} << 40;
        space.during = nullptr;
        const std::string target = at(c.target ? c.target : "out/x.lnf"), before = slurp(target);
        const auto listing = [&] {
            std::set<fs::path> names; // hidden ones too: no temporary may stay
            for (const auto& e : fs::directory_iterator(fs::path(target).parent_path()))
                names.insert(e.path());
            return names;
        };
        const std::set<fs::path> earlier = listing();
        c.change();
        const QStringList shown =
            run(c.answers, c.target ? std::optional(QString::fromStdString(target)) : std::nullopt);
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        EXPECT_EQ(std::count_if(script.shown.begin(), script.shown.end(),
                                [](const auto& s) { return s.kind == MsgKind::Confirmation; }),
                  static_cast<long>(c.answers.size()));
        EXPECT_TRUE(form->isEnabled() && editor->isEnabled() && !progress->isVisible());
        if (c.outcome && *c.outcome == '=') {
            EXPECT_EQ(shown.back(), kDone);
            const std::vector<std::string> l = splitLines(slurp(target));
            EXPECT_EQ("=" + l[3] + "|" + l[4] + "|" + l[5] + "|" + l[6], c.outcome);
            continue;
        }
        EXPECT_FALSE(shown.contains(kDone));
        EXPECT_TRUE(slurp(target) == before && listing() == earlier) << "the earlier file or its folder changed";
        if (!c.outcome) {
            EXPECT_FALSE(shown.contains(kFailed));
        } else {
            ASSERT_GE(shown.size(), *c.outcome ? 2 : 1);
            EXPECT_EQ(shown.back(), kFailed);
            EXPECT_TRUE(shown[shown.size() - 2].contains(QString::fromUtf8(c.outcome))) << shown.join("|").toStdString();
        }
    }
    std::signal(SIGXFSZ, oldSignal);
}
