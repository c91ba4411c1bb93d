#include "fuzz/LnfImportCheck.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <tuple>
#include <variant>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "dialogs/Unit5.h"
#include "engine/Interchange.h"
#include "engine/SessionFile.h"
#include "fuzz/ReaderChecks.h"
#include "platform/Prompts.h"
#include "platform/Win1252.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit4.h"

namespace fs = std::filesystem;

namespace {

const QString kDone = "The LNF file was imported successfuly.";
const QString kFailed = "The LNF file was not imported completely!";
/// The reasons the import gives before it writes anything.
const char* const kRefusals[] = {"Invalid LNF file!", "Not enough free space", "a folder or a special file",
                                 "Two files of the LNF file", "the LNF file being imported",
                                 "must be saved as a .lsf file"};

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void put(const fs::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void walk(const std::string& folder, std::map<fs::path, std::string>& t)
{
    // getdents64 into a buffer on the stack: opendir's heap buffer, under
    // ASan, would take most of each input's time.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    alignas(8) char buffer[8192];
    for (;;) {
        const long n = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (long at = 0; at < n;) {
            char* record = buffer + at;
            std::uint16_t length;
            std::memcpy(&length, record + 16, sizeof length);
            at += length;
            const std::string name = record + 19;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "/" + name;
            struct stat st {};
            if (::lstat(path.c_str(), &st) != 0)
                continue;
            if (S_ISDIR(st.st_mode)) {
                t[path] = "/";
                walk(path, t);
                continue;
            }
            const auto ns = [](const timespec& w) { return std::to_string(w.tv_sec * 1000000000ll + w.tv_nsec); };
            t[path] = std::string(S_ISREG(st.st_mode) ? "file " : "other ") + std::to_string(st.st_ino) + " " +
                      std::to_string(st.st_size) + " " + ns(st.st_mtim) + " " + ns(st.st_ctim);
        }
    }
    ::close(fd);
}

/// Every entry below `root`: a folder as "/", anything else by its kind (a
/// link is no file), inode, size and times, so that a file written again
/// shows even with equal bytes.
std::map<fs::path, std::string> tree(const fs::path& root)
{
    std::map<fs::path, std::string> t;
    walk(root.string(), t);
    return t;
}

std::uint64_t hashOf(std::string_view bytes)
{
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
}

/// The user, answering from the input's hash: mostly Overwrite, now and then
/// Rename (into the entry's own folder, another one, or under a suffix that
/// does not fit), Skip or Cancel. Records the messages and every file a
/// rename answer named.
class HashedAnswers final : public Prompts {
public:
    std::uint64_t hash = 0;
    QString container;
    QString elsewhere; // a folder the import does not write to of itself
    QStringList messages;
    std::set<fs::path> renamed;

    int message(MsgKind, const QString&, const QString& text, MsgButtons buttons) override
    {
        messages << text;
        return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? mrOk : mrYes;
    }
    std::optional<QString> openFile(const FileDialogOptions&) override { return container; }
    std::optional<QString> saveFile(const FileDialogOptions& options) override
    {
        const QString name = QStringLiteral("Renamed%1.").arg(renamed.size());
        QString path;
        switch (next(8)) {
        case 5: path = elsewhere + name + options.defaultSuffix; break;
        case 6: path = options.folder + name + "txt"; break;
        case 7: return std::nullopt;
        default: path = options.folder + name + options.defaultSuffix;
        }
        renamed.insert(fs::path(path.toStdString()).lexically_normal());
        return path;
    }
    std::optional<QString> chooseFolder(const FileDialogOptions&,
                                        const std::function<std::optional<QString>()>&) override
    {
        return std::nullopt;
    }
    int overwriteChoice(const OverwriteQuestion&, const std::function<int()>&) override
    {
        constexpr std::array choice{mrNo, mrNo, mrSkip, mrSkip, mrCancel};
        const auto pick = next(16);
        return pick < 11 ? mrYes : choice[pick - 11];
    }

private:
    unsigned next(unsigned count)
    {
        hash = (hash ^ (hash >> 31)) * 0x9E3779B97F4A7C15ull;
        return static_cast<unsigned>((hash >> 32) % count);
    }
};

} // namespace

// The program folder lies three levels below the sandbox, so that a name that
// climbs out of its folder still lands where the comparison sees it.
struct LnfImportCheck::Rig {
    QTemporaryDir sandbox;
    fs::path root{sandbox.path().toStdString()};
    fs::path program = root / "a" / "b" / "Sonavis";
    fs::path ses = program / "Sessions", src = program / "Source_Wavs", uw = program / "User_Waves",
             other = program / "Other", container = program / "In" / "in.lnf";
    HashedAnswers user;
    PlayerModel model;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm3> editor;
    std::unique_ptr<TForm4> options;
    std::unique_ptr<TForm5> progress;
    std::map<fs::path, std::string> baseline; // the sandbox before each input, less the container

    Rig()
    {
        model.Tables = shippedTables();
        model.UserWavesDir = uw.string() + "/";
        form = std::make_unique<TForm1>(model);
        editor = std::make_unique<TForm3>(model);
        options = std::make_unique<TForm4>(*model.Eng, model.Eng->AudioOutputFilter, model.Folders, *form->AudioOut1,
                                           program.string());
        progress = std::make_unique<TForm5>();
        std::tie(Form1, Form3, Form4, Form5) = std::tuple(form.get(), editor.get(), options.get(), progress.get());
        user.container = QString::fromStdString(container.string());
        user.elsewhere = QString::fromStdString(other.string() + "/");
        setPrompts(&user);
    }
    ~Rig()
    {
        setPrompts(nullptr);
        std::tie(Form1, Form3, Form4, Form5) = std::tuple(nullptr, nullptr, nullptr, nullptr);
    }

    /// The folders as before every input, with a file of the seeds' names in
    /// each, so that the questions are asked. Only what the last input
    /// changed is undone: building the folders anew would take most of the
    /// time.
    void reset(std::string_view bytes)
    {
        bool whole = baseline.empty();
        auto now = whole ? baseline : tree(root);
        now.erase(container);
        for (const auto& [path, kind] : baseline)
            whole = whole || !now.count(path) || (kind == "/") != (now.at(path) == "/");
        if (whole) {
            fs::remove_all(root / "a");
            for (const fs::path& folder : {ses, src, uw, other, container.parent_path()})
                fs::create_directories(folder);
        } else {
            for (const auto& [path, kind] : now)
                if (!baseline.count(path) && path != container)
                    fs::remove_all(path);
        }
        const std::pair<fs::path, std::string> files[] = {
            {ses / "Calm.lsf", "earlier"},
            {src / "rain.wav", "earlier"},
            {uw / "Bell.pcm", std::string(static_cast<std::size_t>(kLnfUserWaveBytes), '\x11')},
        };
        for (const auto& [path, bytes] : files)
            if (whole || now.at(path) != baseline.at(path))
                put(path, bytes);
        if (whole || now != baseline) {
            baseline = tree(root);
            baseline.erase(container);
        }
        put(container, bytes);
        model.Folders.SesDir = ses.string() + "/";
        model.Folders.SrcWavDir = src.string() + "/";
        model.Folders.ImpExpDir = container.parent_path().string() + "/";
        editor->NewProc();
        std::tie(model.Ses->SesFileName, model.Ses->SesModified) = std::tuple("", false);
        form->SearchPcmDir(model.UserWavesDir);
    }
};

LnfImportCheck::LnfImportCheck()
    : m_rig(std::make_unique<Rig>())
{
}

LnfImportCheck::~LnfImportCheck() = default;

std::string LnfImportCheck::check(std::string_view bytes)
{
    Rig& r = *m_rig;
    r.reset(bytes);
    r.user.hash = hashOf(bytes);
    r.user.messages.clear();
    r.user.renamed.clear();
    const auto before = tree(r.root);
    r.form->ImportLNFfile1->trigger();
    // What the import posted runs before the comparison, as the event loop
    // would run it; a few rounds take what a delivered event posts.
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    const auto after = tree(r.root);
    const QStringList& shown = r.user.messages;
    std::set<fs::path> allowed = r.user.renamed;

    // What the container may write: each carried entry directly in its folder.
    const auto parsed = ParseLnfHeader(bytes.substr(0, kLnfBlockBytes), static_cast<std::int64_t>(bytes.size()));
    struct Carried {
        fs::path path;
        std::int64_t offset, size;
    };
    std::vector<Carried> carried;
    if (const auto* c = std::get_if<LnfContents>(&parsed)) {
        const LnfHeader& h = c->Header;
        const auto add = [&](const fs::path& folder, const std::string& name, std::int64_t offset, std::int64_t size) {
            if (!name.empty())
                carried.push_back({folder / win1252ToUtf8(name), offset, size});
        };
        add(r.ses, h.SessionName, c->Layout.SessionOffset, h.SessionSize);
        add(r.src, h.ToneName, c->Layout.ToneOffset, h.ToneSize);
        add(r.src, h.BSName, c->Layout.BSOffset, h.BSSize);
        for (int n = 0; n < kLnfUserWaves; ++n)
            add(r.uw, h.UserWaves[n], c->Layout.UserWaveOffsets[n], kLnfUserWaveBytes);
    }
    for (const Carried& e : carried)
        allowed.insert(e.path);

    for (const auto& [path, content] : before)
        if (!after.count(path))
            return "the import removed " + path.string();
    for (const auto& [path, content] : after) {
        const auto was = before.find(path);
        if (was != before.end() && was->second == content)
            continue;
        if (!allowed.count(path) || !content.starts_with("file "))
            return "the import wrote " + path.string() + ", which neither the container nor an answer named";
    }

    if (shown.isEmpty() || (shown.back() != kDone && shown.back() != kFailed))
        return "the import ended without its closing message: " + shown.join(" | ").toStdString();
    if (shown.back() == kFailed) {
        // Every refusal and every Cancel comes before the first write, and in
        // this folder nothing else may fail.
        if (before != after)
            return "a failed import changed files: " + shown.join(" | ").toStdString();
        const bool refused = shown.size() == 1 || std::any_of(std::begin(kRefusals), std::end(kRefusals), [&](auto r) {
                                 return shown.front().contains(QLatin1String(r));
                             });
        return refused ? "" : "the import failed: " + shown.front().toStdString();
    }

    if (carried.empty())
        return "a container that its own header reader refuses was imported";
    for (std::size_t i = 0; i < carried.size(); ++i) {
        const Carried& e = carried[i];
        if (before.count(e.path))
            continue; // a question was asked: the answer decides
        if (e.size == 0 && i > 0) {
            if (after.count(e.path))
                return "an empty wav entry was written to " + e.path.string();
            continue;
        }
        if (!after.count(e.path))
            return "an entry was not written to " + e.path.string();
        const std::string written = slurp(e.path);
        if (i == 0) {
            if (std::holds_alternative<SessionFileError>(ParseSession(written, SessionKind::Lsf, r.model.Tables)))
                return "the imported session does not open: " + e.path.string();
        } else if (written !=
                   bytes.substr(static_cast<std::size_t>(e.offset), static_cast<std::size_t>(e.size))) {
            return e.path.string() + " does not hold its entry's bytes";
        }
    }
    return {};
}

namespace {
LnfImportCheck* g_check = nullptr;
} // namespace

std::string checkLnfImport(std::string_view container)
{
    if (!g_check) {
        static QTemporaryDir settings;
        if (!QCoreApplication::instance()) {
            // Headless, silent, and never the settings of whoever runs it.
            qputenv("QT_QPA_PLATFORM", "offscreen");
            qputenv("SDL_AUDIODRIVER", "dummy");
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
            static int argc = 1;
            static char name[] = "fuzz_lnf_import";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
            // The offscreen platform's remarks on every shown window would
            // bury the fuzzer's own lines.
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type == QtFatalMsg)
                    std::fprintf(stderr, "%s\n", qPrintable(text));
            });
        }
        g_check = new LnfImportCheck;
        // The program folder goes when the fuzzer ends a run; the windows go
        // before the application, which outlives them.
        std::atexit([] {
            delete g_check;
            g_check = nullptr;
        });
    }
    return g_check->check(container);
}
