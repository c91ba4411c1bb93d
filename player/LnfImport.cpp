// The interchange import: the checks, the questions, the copy and the
// relinking around the container format of engine/Interchange.h. Nothing is
// written until the whole container has been checked and every question
// answered.

#include "player/LnfImport.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <array>
#include <filesystem>
#include <optional>
#include <vector>

#include "dialogs/DialogKit.h"
#include "dialogs/ProgressScope.h"
#include "dialogs/Unit5.h"
#include "engine/Interchange.h"
#include "engine/Session.h"
#include "engine/UserWaves.h"
#include "engine/WavFile.h"
#include "platform/AtomicFile.h"
#include "platform/FileOps.h"
#include "platform/IoError.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/TextLines.h"
#include "platform/Win1252.h"
#include "platform/Win1252Qt.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit14.h"
#include "player/Unit4.h"
#include "player/Unit8.h"
#include "player/UserWaveLists.h"

namespace fs = std::filesystem;

namespace {

const char kFilter[] = "Lumisonorium SW LNF file (*.lnf)";
const char kFilterPatterns[] = "*.lnf *.LNF";
const char kSaveFirstText[] = "The current session has been modified. Save it before import?";
const char kNoSpaceText[] = "Not enough free space on the target drive !!!\r\n\r\nUnable to import the file.";
const char kInvalidText[] = "Invalid LNF file!\r\n\r\n";
const char kFailedText[] = "The LNF file was not imported completely!";
const char kDoneText[] = "The LNF file was imported successfuly.";

/// Ends an import; the text (none after the user's Cancel, or when the
/// session reader has said why) is shown before kFailedText.
struct Refusal {
    QString text;
};

struct RenameDialog {
    const char* title;
    const char* suffix;
    const char* filter;
};
const RenameDialog kSessionRename{"Save imported Session as", "lsf", "Lumisonorium SW Session (*.lsf)"};
const RenameDialog kWavRename{"Save imported Wav file as", "wav", "Wav file (*.wav)"};
const RenameDialog kUserWaveRename{"Save imported User Wave file as", "pcm", "User Wave file (*.pcm)"};

/// The entries in header order.
enum : int { kSession, kTone, kBS, kFirstWave, kEntries = kFirstWave + kLnfUserWaves };

/// One entry of the container and where it goes.
struct Entry {
    std::string name; // from the header, Windows-1252; "" when not carried
    std::int64_t offset = 0;
    std::int64_t size = 0;
    std::string folder;
    const RenameDialog* rename = nullptr;
    std::string destination; // "" when not carried
    bool renamed = false;    // a name the user chose
    bool skipped = false;    // the file there stays as it is
    bool writes() const { return !name.empty() && !skipped; }
};
using Entries = std::array<Entry, kEntries>;

Entries entriesOf(const LnfContents& c, const PlayerModel& model)
{
    const LnfHeader& h = c.Header;
    Entries e;
    const auto set = [&e](int i, const std::string& name, std::int64_t offset, std::int64_t size,
                          const std::string& folder, const RenameDialog& rename) {
        e[i].name = name;
        e[i].offset = offset;
        e[i].size = size;
        e[i].folder = folder;
        e[i].rename = &rename;
    };
    set(kSession, h.SessionName, c.Layout.SessionOffset, h.SessionSize, model.Folders.SesDir, kSessionRename);
    set(kTone, h.ToneName, c.Layout.ToneOffset, h.ToneSize, model.Folders.SrcWavDir, kWavRename);
    set(kBS, h.BSName, c.Layout.BSOffset, h.BSSize, model.Folders.SrcWavDir, kWavRename);
    for (int n = 0; n < kLnfUserWaves; ++n)
        set(kFirstWave + n, h.UserWaves[n], c.Layout.UserWaveOffsets[n], kLnfUserWaveBytes, model.UserWavesDir,
            kUserWaveRename);
    return e;
}

bool isFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

/// The header and the session, refused unless both can be used. Throws
/// Refusal or IoError.
LnfContents validate(InputFile& in, const ValueTables& tables)
{
    std::string start(static_cast<std::size_t>(std::min<std::int64_t>(in.size(), kLnfBlockBytes)), '\0');
    in.readAt(0, start.data(), start.size());
    auto parsed = ParseLnfHeader(start, in.size());
    if (const auto* refused = std::get_if<LnfError>(&parsed))
        throw Refusal{QString::fromLatin1(kInvalidText) + QString::fromLatin1(refused->Reason)};
    const LnfContents& c = std::get<LnfContents>(parsed);
    std::string session(static_cast<std::size_t>(c.Header.SessionSize), '\0');
    in.readAt(c.Layout.SessionOffset, session.data(), session.size());
    if (const std::string reason = CheckLnfSession(session, tables); !reason.empty())
        throw Refusal{QString::fromLatin1(kInvalidText) + fromWin1252(reason)};
    return c;
}

/// What is at `path`: nothing or a file that may be replaced; a folder, FIFO,
/// socket or device refuses the import. Throws Refusal or IoError.
EntryKind replaceable(const std::string& path)
{
    const EntryKind kind = entryKind(path);
    if (kind == EntryKind::Directory || kind == EntryKind::Other)
        throw Refusal{QStringLiteral("\"%1\" is a folder or a special file, which an imported file cannot replace.")
                          .arg(pathText(path))};
    return kind;
}

/// Settles where `e` goes, asking the user when a file of its name exists.
/// Throws Refusal (an empty one when the user cancels) or IoError.
void settle(Entry& e, bool skipOffered)
{
    if (e.name.empty())
        return;
    // The header's names passed CheckLnfName: no separator, no "." or "..",
    // so this is a file directly in the entry's folder.
    const std::string incoming = win1252ToUtf8(e.name);
    e.destination = joinPath(e.folder, incoming);
    if (replaceable(e.destination) == EntryKind::Missing)
        return;
    const OverwriteQuestion question{pathText(e.destination), pathText(incoming), skipOffered};
    const int answer = prompts().overwriteChoice(
        question, [&question] { return Form14 ? Form14->ask(question) : static_cast<int>(mrCancel); });
    if (answer == mrYes)
        return;
    if (answer == mrSkip && skipOffered) {
        e.skipped = true;
        return;
    }
    if (answer != mrNo)
        throw Refusal{};
    FileDialogOptions options;
    options.title = QString::fromLatin1(e.rename->title);
    options.defaultSuffix = QString::fromLatin1(e.rename->suffix);
    options.folder = pathText(e.folder);
    options.filters = {QString::fromLatin1(e.rename->filter)};
    options.fileName = pathText(incoming);
    options.confirmOverwrite = true;
    const std::optional<QString> chosen = prompts().saveFile(options);
    if (!chosen)
        throw Refusal{};
    e.destination = pathBytes(*chosen);
    e.renamed = true;
    replaceable(e.destination);
}

/// "a/./b", "a/x/../b" and "a//b" all give "a/b"; links are not followed.
fs::path normalPath(const std::string& path)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return (ec ? fs::path(path) : absolute).lexically_normal();
}

/// After the last answer: no two entries into one file, none over the
/// container. Throws Refusal.
void checkDestinations(const Entries& entries, const std::string& container)
{
    for (int i = 0; i < kEntries; ++i) {
        const Entry& e = entries[i];
        if (!e.writes())
            continue;
        if (sameFile(e.destination, container))
            throw Refusal{QStringLiteral("\"%1\" is the LNF file being imported.").arg(pathText(e.destination))};
        for (int k = 0; k < i; ++k)
            if (entries[k].writes() && (normalPath(entries[k].destination) == normalPath(e.destination) ||
                                        sameFile(entries[k].destination, e.destination)))
                throw Refusal{QStringLiteral("Two files of the LNF file would be written to \"%1\".")
                                  .arg(pathText(e.destination))};
    }
}

/// Writes every entry that is not skipped, each whole or not at all. False
/// when the user cancelled; throws IoError.
bool copyEntries(InputFile& in, const Entries& entries, ProgressScope& progress)
{
    const std::int64_t total =
        entries[kSession].size + entries[kTone].size + entries[kBS].size + kLnfUserWaveAllowance;
    std::int64_t count = 0;
    std::vector<char> buffer(kLnfBlockBytes);
    const auto copy = [&](const Entry& e, bool blockSteps) {
        AtomicFile out;
        // A link at the destination is replaced, never written through.
        out.open(e.destination, LinkAtDestination::Replace);
        std::int64_t at = e.offset;
        auto left = static_cast<std::size_t>(e.size);
        while (left > kLnfBlockBytes) {
            in.readAt(at, buffer.data(), kLnfBlockBytes);
            out.write(buffer.data(), kLnfBlockBytes);
            at += static_cast<std::int64_t>(kLnfBlockBytes);
            left -= kLnfBlockBytes;
            if (blockSteps) {
                count += static_cast<std::int64_t>(kLnfBlockBytes);
                progress.setProgress(count, total);
                if (progress.cancelled())
                    return false; // the destructor removes the temporary
                QCoreApplication::processEvents();
            }
        }
        in.readAt(at, buffer.data(), left);
        out.write(buffer.data(), left);
        out.commit();
        return true;
    };

    copy(entries[kSession], false);
    count = entries[kSession].size;
    progress.setProgress(count, total);
    for (const int wav : {kTone, kBS})
        if (entries[wav].writes() && entries[wav].size > 0 && !copy(entries[wav], true))
            return false;
    for (int n = kFirstWave; n < kEntries; ++n)
        if (entries[n].writes())
            copy(entries[n], false);
    return true;
}

/// A wav reference of the opened session: kept when its file exists and the
/// user gave the entry no name of its own, else the entry's file when one
/// is there, else cleared (a 0-byte or declined wav wrote nothing).
void relinkWav(const Entry& e, std::string& name, QLineEdit* edit)
{
    if (isFile(name) && !e.renamed)
        return;
    if (isFile(e.destination)) {
        name = e.destination;
        edit->setText(pathText(fs::path(e.destination).filename().string()));
    } else {
        name.clear();
        edit->clear();
    }
}

/// Points the opened session at the files written or kept.
void relink(TForm1& main, Entries& e)
{
    // The export stores a backing sound of the tone's name once, as the tone.
    if (!e[kTone].name.empty() && main.Edit3->text() == main.Edit1->text()) {
        e[kBS].destination = e[kTone].destination;
        e[kBS].renamed = true;
    }
    // Likewise a user wave that an earlier slot holds; a later slot wins.
    UserWaveLists& lists = main.userWaves();
    for (int n = 2; n <= kLnfUserWaves; ++n)
        for (int k = 1; k < n; ++k)
            if (lists.currentName(n) == lists.currentName(k) && !e[kFirstWave + k - 1].destination.empty()) {
                e[kFirstWave + n - 1].destination = e[kFirstWave + k - 1].destination;
                e[kFirstWave + n - 1].renamed = true;
            }
    relinkWav(e[kTone], main.ToneWavName, main.Edit1);
    relinkWav(e[kBS], main.BSWavName, main.Edit3);

    // The lists show the user-wave folder only: a wave renamed elsewhere
    // cannot be chosen by name (a wave of that name there is another one).
    const std::string sine(kSineEntry);
    for (int n = 1; n <= kLnfUserWaves; ++n) {
        const Entry& wave = e[kFirstWave + n - 1];
        if (!wave.renamed)
            continue;
        const fs::path path(wave.destination);
        std::error_code ec;
        const std::string file = path.filename().string();
        const bool listed = fs::equivalent(path.parent_path(), lists.userWavesDir(), ec) && file.size() > 4 &&
                            file.compare(file.size() - 4, 4, ".pcm") == 0;
        lists.SelectForSession(n, listed ? file.substr(0, file.size() - 4) : sine);
    }
}

/// Opens the written session without the ignore boxes, relinks and saves it.
/// Throws Refusal (the reader or the writer has said why).
void openImported(TForm1& main, Entries& entries)
{
    PlayerModel& model = main.model();
    UserWaveLists& lists = main.userWaves();
    std::array<std::string, kLnfUserWaves> previous;
    for (int n = 1; n <= kLnfUserWaves; ++n)
        previous[n - 1] = lists.currentName(n);
    main.SearchPcmDir(model.UserWavesDir);
    if (!main.OpenSessionDirectly(entries[kSession].destination, false)) {
        // The list refill put "Sine" into every slot of the session still open.
        for (int n = 1; n <= kLnfUserWaves; ++n)
            lists.SelectForSession(n, previous[n - 1]);
        throw Refusal{};
    }
    relink(main, entries);
    model.Ses->SesModified = true;
    if (!Form3->SaveProc())
        throw Refusal{};
}

} // namespace

void importLnfFile(TForm1& main)
{
    // The Session menu is locked while a run is under way; a shortcut that
    // slipped through must not replace files the engine streams.
    if (main.Playing || PlaybackLock::locked() || !Form3 || !Form5)
        return;
    PlayerModel& model = main.model();
    if (!Form3->SaveBefore(QString::fromLatin1(kSaveFirstText)))
        return;

    FileDialogOptions options;
    options.filters = {QString::fromLatin1(kFilter)};
    options.filterPatterns = {QString::fromLatin1(kFilterPatterns)};
    options.mustExist = true;
    const std::optional<std::string> chosen =
        chooseFile(FileChoice::Open, model.Folders, &PlayerFolders::ImpExpDir, options);
    if (!chosen)
        return;
    const std::string container = *chosen;

    bool imported = false;
    QString failure;
    try {
        InputFile in(container);
        const std::int64_t available = freeSpace().available(model.Folders.SrcWavDir);
        if (available >= 0 && available < in.size() + kLnfSpaceMargin)
            throw Refusal{QString::fromLatin1(kNoSpaceText)};

        Entries entries = entriesOf(validate(in, model.Tables), model);
        for (int i = 0; i < kEntries; ++i)
            settle(entries[i], i != kSession);
        if (!endsWithNoCase(entries[kSession].destination, ".lsf"))
            throw Refusal{QStringLiteral("An imported session must be saved as a .lsf file.")};
        checkDestinations(entries, container);

        for (const std::string& folder : {model.Folders.SesDir, model.Folders.SrcWavDir, model.UserWavesDir}) {
            std::error_code ec;
            fs::create_directories(folder, ec);
            if (ec)
                throw IoError(folder, "create the folder", ec.message());
        }
        {
            ProgressScope progress(*Form5, QStringLiteral("Importing LNF file..."), {&main, Form3, Form8});
            if (!copyEntries(in, entries, progress))
                throw Refusal{};
        }
        openImported(main, entries);
        imported = true;
    } catch (const Refusal& r) {
        failure = r.text;
    } catch (const IoError& e) {
        failure = pathText(e.what());
    }
    // The windows are usable again (ProgressScope) before any box.
    if (imported) {
        prompts().information(QString::fromLatin1(kDoneText));
    } else {
        if (!failure.isEmpty())
            prompts().error(failure);
        prompts().error(QString::fromLatin1(kFailedText));
    }
    showWindow(&main);
}

void TForm1::ImportLNFFile()
{
    importLnfFile(*this);
}
