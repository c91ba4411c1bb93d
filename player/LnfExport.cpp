// The interchange export: the questions, the checks and the copy around the
// container format of engine/Interchange.h.

#include "player/LnfExport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <array>
#include <filesystem>
#include <optional>
#include <vector>

#include "dialogs/DialogKit.h"
#include "dialogs/ProgressScope.h"
#include "dialogs/Unit5.h"
#include "engine/Interchange.h"
#include "engine/SegParams.h"
#include "engine/Session.h"
#include "engine/UserWaves.h"
#include "engine/WavFile.h"
#include "platform/AtomicFile.h"
#include "platform/FileOps.h"
#include "platform/IoError.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/Win1252.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit4.h"
#include "player/Unit8.h"
#include "player/UserWaveLists.h"

namespace {

const char kFilter[] = "Lumisonorium SW LNF file (*.lnf)";
const char kSaveFirstText[] = "Session must be saved before export. Do you wish to continue?";
const char kIncludeToneText[] = "Do you wish to include the Tone Wav File in exported LNF file?";
const char kIncludeBSText[] = "Do you wish to include the Backing Sound Wav File in exported LNF file?";
const char kTargetIsSourceText[] = "Cannot overwrite a file used by the session!";
const char kNoSpaceText[] = "Not enough free space on specified drive !!!\r\n\r\nUnable to create the export file.";
const char kFailedText[] = "The export of LNF file failed.";
const char kDoneText[] = "The session was exported as LNF file successfuly.";

/// Ends an export before anything is written; the text is shown before
/// kFailedText.
struct Refusal {
    QString text;
};

/// The header and where each carried payload comes from ("" for none).
struct Plan {
    LnfHeader header;
    std::string session;
    std::string tone;
    std::string bs;
    std::array<std::string, kLnfUserWaves> userWaves;
};

/// The name of a file as Linux spells it: a backslash in it is part of the name
/// (which the header then refuses), not a folder.
std::string fileName(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

bool isFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

/// The header line for the file `path`, whose name as the file system spells
/// it is `name`: Windows-1252 bytes the import accepts. Throws Refusal.
std::string headerName(LnfName kind, const std::string& path, const std::string& name)
{
    const std::optional<std::string> bytes = utf8ToWin1252(name);
    std::string reason;
    if (!bytes)
        reason = isUtf8(name) ? "the name holds a character that Windows-1252 cannot hold"
                              : "the name is not valid UTF-8";
    else
        reason = CheckLnfName(kind, *bytes);
    if (!reason.empty())
        throw Refusal{QStringLiteral("The name of \"%1\" cannot be stored in an LNF file: %2.")
                          .arg(pathText(path), QString::fromLatin1(reason))};
    return *bytes;
}

/// A file the container carries whole: its size, refused beyond what a size
/// line holds. Throws Refusal or IoError.
std::int64_t carriedSize(const std::string& path)
{
    const std::int64_t size = regularFileSize(path);
    if (size > kLnfMaxFileBytes)
        throw Refusal{QStringLiteral("The file \"%1\" is too large for an LNF file.").arg(pathText(path))};
    return size;
}

bool includeQuestion(const char* text)
{
    return prompts().message(MsgKind::Confirmation, {}, QString::fromLatin1(text), MsgButtons::YesNo) == mrYes;
}

/// The header, with the include questions asked. Throws Refusal or IoError.
Plan planExport(TForm1& main)
{
    const PlayerModel& model = main.model();
    const SegParams& params = *model.Params;
    Plan plan;
    LnfHeader& h = plan.header;

    plan.session = model.Ses->SesFileName;
    h.SessionName = headerName(LnfName::Session, plan.session, fileName(plan.session));
    h.SessionSize = carriedSize(plan.session);

    // A wav of 0 bytes keeps its name (the session names it) without a question.
    const auto wavEntry = [](const std::string& path, const char* question, std::string& source,
                             std::string& name, std::int64_t& size) {
        size = regularFileSize(path);
        if (size > 0 && !includeQuestion(question)) {
            size = 0;
            return;
        }
        name = headerName(LnfName::Wav, path, fileName(path));
        size = carriedSize(path);
        source = path;
    };
    if (params.NeedToneWav)
        wavEntry(main.ToneWavName, kIncludeToneText, plan.tone, h.ToneName, h.ToneSize);
    // One name, one entry: the import gives the backing sound the tone's
    // file. Only a tone the session plays stands for it; an unused tone
    // reference must not keep the backing sound out.
    if (params.NeedBSWav && !(params.NeedToneWav && main.Edit3->text() == main.Edit1->text()))
        wavEntry(main.BSWavName, kIncludeBSText, plan.bs, h.BSName, h.BSSize);

    const UserWaveLists& lists = main.userWaves();
    for (int n = 1; n <= kLnfUserWaves; ++n) {
        const std::string text = lists.currentName(n);
        bool stored = text != kSineEntry;
        for (int k = 1; k < n && stored; ++k)
            stored = text != lists.currentName(k);
        if (!stored)
            continue;
        const std::string path = joinPath(lists.userWavesDir(), text + ".pcm");
        h.UserWaves[n - 1] = headerName(LnfName::UserWave, path, text + ".pcm");
        if (regularFileSize(path) < kLnfUserWaveBytes)
            throw IoError(path, "read", "the file is shorter than a user wave (8820 bytes)");
        plan.userWaves[n - 1] = path;
    }
    return plan;
}

/// The checks between the questions and the first write. Throws Refusal.
void checkTarget(const TForm1& main, const Plan& plan, const std::string& target)
{
    // Also a declined wav: replacing it would still destroy the session's file.
    std::vector<std::string> used = {plan.session, main.ToneWavName, main.BSWavName};
    used.insert(used.end(), plan.userWaves.begin(), plan.userWaves.end());
    for (const std::string& source : used)
        if (sameFile(target, source))
            throw Refusal{QString::fromLatin1(kTargetIsSourceText)};

    const LnfHeader& h = plan.header;
    // 64 bits: wavs of a few GiB together must not wrap into a pass.
    const std::int64_t required =
        h.SessionSize + h.ToneSize + h.BSSize + kLnfUserWaveAllowance + kLnfSpaceMargin;
    const std::int64_t available =
        freeSpace().available(std::filesystem::path(target).parent_path().string());
    if (available < 0 || available < required)
        throw Refusal{QString::fromLatin1(kNoSpaceText)};
}

/// Writes the container. False when the user cancelled; throws IoError.
bool copyPayloads(const Plan& plan, AtomicFile& out, ProgressScope& progress)
{
    const LnfHeader& h = plan.header;
    const std::int64_t total = h.SessionSize + h.ToneSize + h.BSSize + kLnfUserWaveAllowance;
    std::int64_t count = 0;
    std::vector<char> buffer(kLnfBlockBytes);

    // Exactly the measured size: a file that shrank since is an error, and
    // bytes it grew by are not the ones the header announced.
    const auto copy = [&](const std::string& path, std::int64_t size, bool blockSteps) {
        InputFile in(path);
        auto left = static_cast<std::size_t>(size);
        while (left > kLnfBlockBytes) {
            in.read(buffer.data(), kLnfBlockBytes);
            out.write(buffer.data(), kLnfBlockBytes);
            left -= kLnfBlockBytes;
            if (blockSteps) {
                count += kLnfBlockBytes;
                progress.setProgress(count, total);
                if (progress.cancelled())
                    return false;
                QCoreApplication::processEvents();
            }
        }
        in.read(buffer.data(), left);
        out.write(buffer.data(), left);
        if (blockSteps)
            count += static_cast<std::int64_t>(left);
        return true;
    };

    out.write(FormatLnfHeader(h));
    copy(plan.session, h.SessionSize, false);
    count = h.SessionSize;
    progress.setProgress(count, total);
    if (!plan.tone.empty() && h.ToneSize > 0 && !copy(plan.tone, h.ToneSize, true))
        return false;
    if (!plan.bs.empty() && h.BSSize > 0 && !copy(plan.bs, h.BSSize, true))
        return false;
    for (const std::string& wave : plan.userWaves)
        if (!wave.empty())
            copy(wave, kLnfUserWaveBytes, false);
    return true;
}

} // namespace

QString defaultLnfName(const QString& sesFileName)
{
    QString name = QFileInfo(sesFileName).fileName();
    if (name.size() >= 4)
        name.chop(4);
    return name + QStringLiteral(".lnf");
}

void exportLnfFile(TForm1& main)
{
    // The Session menu is locked while a run is under way; a shortcut that
    // slipped through must not read files the engine streams.
    if (main.Playing || PlaybackLock::locked() || !Form3 || !Form5)
        return;
    PlayerModel& model = main.model();
    Session& ses = *model.Ses;

    if (ses.SesModified || !isFile(ses.SesFileName)) {
        if (prompts().message(MsgKind::Confirmation, {}, QString::fromLatin1(kSaveFirstText), MsgButtons::OkCancel) !=
            mrOk)
            return;
        if (ses.SesFileName.empty()) {
            ses.SesModified = true; // a cancelled Save As must end the export below
            Form3->SaveAsProc();
        } else {
            Form3->SaveProc();
        }
    }
    // The session writer has told the user about a missing wav when it saved.
    const SegParams& params = *model.Params;
    if ((params.NeedToneWav && main.Edit1->text().isEmpty()) || (params.NeedBSWav && main.Edit3->text().isEmpty()) ||
        ses.SesModified) {
        ses.SesModified = true;
        return;
    }

    FileDialogOptions options;
    options.fileName = defaultLnfName(pathText(ses.SesFileName));
    options.filters = {QString::fromLatin1(kFilter)};
    options.defaultSuffix = QStringLiteral("lnf");
    options.confirmOverwrite = true;
    const std::optional<std::string> chosen =
        chooseFile(FileChoice::Save, model.Folders, &PlayerFolders::ImpExpDir, options);
    if (!chosen)
        return;
    const std::string target = *chosen;

    bool exported = false;
    bool copying = false;
    QString failure; // empty after a Cancel
    try {
        const Plan plan = planExport(main);
        checkTarget(main, plan, target);
        AtomicFile out;
        // A link at the chosen name is replaced, never written through.
        out.open(target, LinkAtDestination::Replace);
        copying = true;
        ProgressScope progress(*Form5, QStringLiteral("Exporting LNF file..."), {&main, Form3, Form8});
        if (copyPayloads(plan, out, progress)) {
            out.commit();
            exported = true;
        }
    } catch (const Refusal& r) {
        failure = r.text;
    } catch (const IoError& e) {
        failure = pathText(e.what());
    }
    // The windows are usable again (ProgressScope) before any box.
    if (exported) {
        prompts().information(QString::fromLatin1(kDoneText));
    } else {
        if (!failure.isEmpty())
            prompts().error(failure);
        prompts().error(QString::fromLatin1(kFailedText));
    }
    if (copying)
        showWindow(&main);
}

void TForm1::ExportLNFFile()
{
    exportLnfFile(*this);
}
