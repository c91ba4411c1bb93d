// Imports of other programs' session files: the steps every import shares
// (RunImport) and the Photosonix and Mindlab Pro imports that use them. The parsers are the
// engine's; this file holds the question, the dialog, the reading and the
// commit.

#include "player/SessionImports.h"

#include <QDateTime>
#include <QFileInfo>
#include <optional>
#include <variant>

#include "engine/MindlabImport.h"
#include "engine/PhotosonixImport.h"
#include "engine/Random.h"
#include "platform/IoError.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/RegularFile.h"
#include "platform/WaitCursor.h"
#include "platform/Win1252Qt.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/SessionTexts.h"
#include "player/Unit1.h"
#include "player/Unit4.h"

namespace {

std::function<std::uint32_t()> g_seedSource;

} // namespace

std::string lsfNameFor(const std::string& importedPath)
{
    const std::size_t nameStart = importedPath.size() - namePart(importedPath).size();
    const std::size_t dot = importedPath.rfind('.');
    const std::size_t end = dot != std::string::npos && dot >= nameStart ? dot : importedPath.size();
    return importedPath.substr(0, end) + ".lsf";
}

std::uint32_t importSeed()
{
    if (g_seedSource)
        return g_seedSource();
    return static_cast<std::uint32_t>(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
}

void setImportSeedSource(std::function<std::uint32_t()> source)
{
    g_seedSource = std::move(source);
}

bool TForm3::RunImport(const ImportSource& source)
{
    // The menus are locked while a run is under way; a shortcut that slipped
    // through must not replace the session under the engine.
    if (playbackBusy() || PlaybackLock::locked())
        return false;
    if (!SaveBefore(QStringLiteral("Session has been modified. Save it?")))
        return false;
    FileDialogOptions options;
    options.filters = {source.filter};
    options.filterPatterns = {source.filterPatterns};
    options.mustExist = true;
    const std::optional<std::string> chosen =
        chooseFile(FileChoice::Open, m_model.Folders, source.folder, options);
    if (!chosen)
        return false;
    const std::string path = *chosen;

    // Read and parsed whole before anything changes: a file that cannot be
    // used leaves the open session, its name and every window as they were.
    QString refusal;
    QString warning;
    {
        const WaitCursor hourglass;
        ImportResult result;
        try {
            const std::string bytes = readRegularFile(path, kMaxImportBytes + 1);
            if (bytes.size() > kMaxImportBytes)
                throw IoError(path, "read", "the file is larger than 16 MiB");
            result = source.parse(bytes);
            if (const auto* error = std::get_if<ImportError>(&result))
                refusal = invalidFileText(path, source.kind, error->Line, error->Text);
        } catch (const IoError& e) {
            // Nothing is known about the file's contents: it could not be had.
            refusal = QStringLiteral("Cannot import ") + pathText(namePart(path)) + QStringLiteral(": ") +
                      pathText(RefusalDetail(0, e.reason().empty() ? "it cannot be read" : e.reason()));
        }
        if (refusal.isEmpty()) {
            const ImportedSession& imported = std::get<ImportedSession>(result);
            SessionImage image;
            image.Records = imported.Records;
            image.SessionName = imported.SessionName;
            image.SessionDescription = imported.SessionDescription;
            image.FileName = lsfNameFor(path);
            ReplaceSession(image, ReplaceKind::Import);
            warning = fromWin1252(ImportWarning(imported));
        }
    }
    // The boxes come once the cursor is back.
    if (!refusal.isEmpty()) {
        prompts().error(refusal);
        return false;
    }
    if (!warning.isEmpty())
        prompts().warning(warning);
    return true;
}

void TForm3::ImportPsxProc()
{
    ImportSource source;
    source.kind = QStringLiteral("Photosonix");
    source.filter = QStringLiteral("Photosonix file (*.lss)");
    source.filterPatterns = QStringLiteral("*.lss *.LSS");
    source.folder = &PlayerFolders::ImportPsxDir;
    source.parse = [this](std::string_view bytes) {
        // Each import draws its random pitches from a fresh seed.
        ProgramRandom.RandSeed = importSeed();
        return ParsePhotosonix(bytes, m_model.Tables, ProgramRandom);
    };
    RunImport(source);
}

void TForm3::ImportMlpProc()
{
    ImportSource source;
    source.kind = QStringLiteral("Mindlab Pro");
    source.filter = QStringLiteral("Mindlab Pro file (*.ses)");
    source.filterPatterns = QStringLiteral("*.ses *.SES");
    source.folder = &PlayerFolders::ImportMLProDir;
    source.parse = [this](std::string_view bytes) { return ParseMindlab(bytes, m_model.Tables); };
    RunImport(source);
}
