// Session files between the windows and the disk: Save and Save As of the
// spreadsheet editor, Open and the reader of the main window. The format is
// the engine's (SessionFile); this file holds the questions, the dialogs and
// the order in which a read session reaches the windows.

#include "player/Sonavisp.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <variant>

#include "dialogs/Version.h"
#include "engine/SegParams.h"
#include "engine/Session.h"
#include "engine/SessionFile.h"
#include "engine/SliderPositions.h"
#include "engine/WavFile.h"
#include "platform/AtomicFile.h"
#include "platform/IoError.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/RegularFile.h"
#include "platform/TextLines.h"
#include "platform/WaitCursor.h"
#include "platform/Win1252Qt.h"
#include "player/EditorGrid.h"
#include "player/GraphicEditorLink.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/SegmentGridModel.h"
#include "player/SessionTexts.h"
#include "player/Unit1.h"
#include "player/Unit2.h"
#include "player/Unit4.h"
#include "player/Unit8.h"
#include "player/UserWaveLists.h"

namespace {

const char kSaveFilter[] = "Lumisonorium SW Session  (*.lsf)";
const char kOpenFilter[] = "Lumisonorium SW session (*.lsf, *.lrf)";
const char kOpenPatterns[] = "*.lsf *.lrf";
const char kUnusedWavsText[] =
    "\"Tone Wav File\" and/or \"Backing Sound Wav File\" reference to the particular wav file(s)\r\n"
    "but they may be never used in the session. Do you wish to remove the invalid references?\r\n"
    "- i.e. clear the \"Tone Wav File\" and/or \"Backing Sound Wav File\" edit boxes?";
const char kMissingWavsText[] =
    "The current session uses \"Tone Wav File\" and/or \"Backing Sound Wav File\" but there is no particular "
    "wav file assigned.\r\nPlease assign particular wav file(s) to \"Tone Wav File\" and/or \"Backing Sound Wav "
    "File\" at the main window.";

} // namespace

void nameSession(Session& ses, const std::string& fileName, bool chosen)
{
    ses.SesFileName = fileName;
    ses.AskBeforeReplace = !chosen;
    ses.SesTitle = sessionTitleOf(fileName);
    const QString title = QString::fromLatin1(kVersionedTitle);
    const QString bracketed = QStringLiteral(" - [") + pathText(ses.SesTitle) + QStringLiteral("]");
    if (Form1)
        Form1->setWindowTitle(title + bracketed);
    if (Form3)
        Form3->setWindowTitle(title + QStringLiteral(" - Spreadsheet Editor") + bracketed);
    if (Form8)
        Form8->setWindowTitle(title + QStringLiteral(" - Graphic Editor") + bracketed);
}

QString invalidFileText(const std::string& path, const QString& kind, int line, std::string_view reason)
{
    return QStringLiteral("\"%1\" is not a valid %2 file: %3")
        .arg(pathText(namePart(path)), kind, fromWin1252(RefusalDetail(line, reason)));
}

QString unstorableNameReason(const std::string& name)
{
    const QString text = pathText(name);
    if (fitsWin1252(text))
        return {};
    return QStringLiteral("a session file cannot hold the name\r\n\"%1\"\r\n(a character in it is not in "
                          "Windows-1252).")
        .arg(text);
}

namespace {

/// A file-system name as session-file text (Windows-1252), or the message
/// that refuses the save when the code page cannot hold it.
std::optional<std::string> sessionText(const std::string& name, QString& refusal)
{
    if (const QString reason = unstorableNameReason(name); !reason.isEmpty()) {
        refusal = QStringLiteral("The session cannot be saved: ") + reason +
                  QStringLiteral(" Rename the file or choose another one, then save again.");
        return std::nullopt;
    }
    return toWin1252(pathText(name));
}

/// The main window's settings as the session file stores them; nothing, with
/// the reason in `refusal`, when a file name cannot be stored.
std::optional<SessionGlobals> globalsOf(const TForm1& main, QString& refusal)
{
    SessionGlobals g;
    g.AMDepth = main.TrackBar2->value();
    g.BSVolume = main.TrackBar4->value();
    g.HBeatBSWavVolume = main.TrackBar3->value();
    g.FMDepth = main.TrackBar5->value();
    std::optional<std::string> text;
    if (!(text = sessionText(main.ToneWavName, refusal)))
        return std::nullopt;
    g.ToneWavName = *text;
    if (!(text = sessionText(main.BSWavName, refusal)))
        return std::nullopt;
    g.BSWavName = *text;
    for (int n = 1; n <= UserWaveLists::kSlots; ++n) {
        if (!(text = sessionText(main.userWaves().currentName(n), refusal)))
            return std::nullopt;
        g.UserWaves[n - 1] = *text;
    }
    return g;
}

std::string readWholeFile(const std::string& fileName)
{
    // Sessions are some hundred kilobytes at most: reading a huge file chosen
    // by mistake would freeze the windows for nothing.
    std::string bytes = readRegularFile(fileName, kMaxSessionFileBytes + 1);
    if (bytes.size() > kMaxSessionFileBytes)
        throw IoError(fileName, "read", "the file is too large for a session");
    return bytes;
}

bool isFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

} // namespace

// ---- Writing -----------------------------------------------------------------------

bool TForm3::SaveProc()
{
    Session& ses = *m_model.Ses;
    const std::string fileName = ses.SesFileName;
    if (fileName.empty()) [[unlikely]]
        return SaveAsProc();
    // The name came from an older-kind file: a file of that name beside it is
    // none the user chose to replace.
    if (ses.AskBeforeReplace && QFileInfo::exists(pathText(fileName)) &&
        !prompts().confirmReplace(pathText(fileName))) {
        ses.SesModified = true; // not saved anywhere yet
        return false;
    }
    if (!writeSession(fileName))
        return false;
    ses.AskBeforeReplace = false;
    return true;
}

bool TForm3::Save1Click()
{
    return m_model.Ses->SesFileName.empty() ? SaveAsProc() : SaveProc();
}

bool TForm3::SaveAsProc()
{
    FileDialogOptions options;
    options.filters = {QString::fromLatin1(kSaveFilter)};
    options.defaultSuffix = QStringLiteral("lsf");
    options.confirmOverwrite = true;
    const std::optional<std::string> chosen =
        chooseFile(FileChoice::Save, m_model.Folders, &PlayerFolders::SesDir, options);
    if (!chosen)
        return false;
    const std::string fileName = *chosen;
    if (!writeSession(fileName))
        return false;
    // Only now: after a failed write the windows must not name a file that
    // holds something else, or nothing.
    nameSession(*m_model.Ses, fileName);
    return true;
}

bool TForm3::SaveBefore(const QString& question)
{
    const Session& ses = *m_model.Ses;
    if (!ses.SesModified)
        return true;
    const int answer = prompts().message(MsgKind::Confirmation, {}, question, MsgButtons::YesNoCancel);
    if (answer == mrNo)
        return true;
    if (answer != mrYes)
        return false;
    // Going on after a cancelled or failed save would drop what the user
    // asked to keep.
    return Save1Click();
}

bool TForm3::writeSession(const std::string& fileName)
{
    Session& ses = *m_model.Ses;
    // The wav flags come from the records. While a run is under way (a save
    // before exit) they are current already, and the engine's SegEnd must stay.
    if (!playbackBusy())
        m_model.recompute();
    const SegParams& params = *m_model.Params;

    SessionSnapshot snapshot;
    snapshot.SessionName = ses.SessionName;
    snapshot.SessionDescription = ses.SessionDescription;
    const int count = std::clamp(ses.SegCount, 1, kMaxSegments);
    snapshot.Records.assign(ses.Segments.begin() + 1, ses.Segments.begin() + 1 + count);
    if (Form1) {
        TForm1& main = *Form1;
        const bool unusedTone = !params.NeedToneWav && !main.Edit1->text().isEmpty();
        const bool unusedBS = !params.NeedBSWav && !main.Edit3->text().isEmpty();
        if ((unusedTone || unusedBS) &&
            prompts().message(MsgKind::Confirmation, {}, QString::fromLatin1(kUnusedWavsText), MsgButtons::YesNo) ==
                mrYes) {
            if (!params.NeedToneWav) {
                main.Edit1->clear();
                main.ToneWavName.clear();
            }
            if (!params.NeedBSWav) {
                main.Edit3->clear();
                main.BSWavName.clear();
            }
        }
        if ((params.NeedToneWav && main.Edit1->text().isEmpty()) ||
            (params.NeedBSWav && main.Edit3->text().isEmpty())) {
            prompts().error(QString::fromLatin1(kMissingWavsText));
            ses.SesModified = true;
        }
        QString refusal;
        const std::optional<SessionGlobals> globals = globalsOf(main, refusal);
        if (!globals) {
            prompts().error(refusal);
            return false;
        }
        snapshot.Globals = *globals;
    }

    const std::string bytes = FormatSession(snapshot, m_model.Tables);
    // A failed write, flush or close leaves the previous file as it was.
    try {
        AtomicFile::writeWhole(fileName, bytes);
    } catch (const IoError& e) {
        prompts().error(pathText(e.what()));
        return false;
    }
    ses.SesModified = false;
    return true;
}

// ---- Reading -----------------------------------------------------------------------

void TForm1::OpenSession()
{
    // The menus are locked while a run is under way; a shortcut that slipped
    // through must not replace the session under the engine.
    if (Playing || PlaybackLock::locked())
        return;
    if (Form3 && !Form3->SaveBefore(QStringLiteral("Session has been modified. Save it?")))
        return;
    FileDialogOptions options;
    options.filters = {QString::fromLatin1(kOpenFilter)};
    options.filterPatterns = {QString::fromLatin1(kOpenPatterns)};
    options.mustExist = true;
    const std::optional<std::string> chosen =
        chooseFile(FileChoice::Open, m_model.Folders, &PlayerFolders::SesDir, options);
    if (!chosen)
        return;
    const std::string fileName = *chosen;
    if (!endsWithNoCase(fileName, ".lsf") && !endsWithNoCase(fileName, ".lrf")) {
        prompts().error(QStringLiteral("Unsupported session file format"));
        return;
    }
    OpenSessionDirectly(fileName);
}

bool TForm1::OpenSessionDirectly(const std::string& fileName, bool applyIgnoreBoxes)
{
    QStringList errors;
    QString warning;
    bool committed = false;
    {
        const WaitCursor hourglass;
        std::variant<ParsedSession, SessionFileError> parsed;
        try {
            parsed = ParseSession(readWholeFile(fileName), sessionKindOf(fileName), m_model.Tables);
            if (const auto* refused = std::get_if<SessionFileError>(&parsed))
                errors << invalidFileText(fileName, QStringLiteral("session"), refused->Line, refused->Reason);
            else
                committed = true;
        } catch (const IoError& e) {
            errors << pathText(e.what());
        }
        if (committed)
            warning = commitSession(fileName, std::get<ParsedSession>(parsed), errors, applyIgnoreBoxes);
    }
    // The boxes come once the session is in and the cursor is back: no event
    // loop runs while the windows are half updated.
    for (const QString& text : errors)
        prompts().error(text);
    if (!warning.isEmpty())
        prompts().warning(warning);
    return committed;
}

QString TForm1::commitSession(const std::string& fileName, const ParsedSession& parsed, QStringList& errors,
                              bool applyIgnoreBoxes)
{
    Session& ses = *m_model.Ses;
    // The older kind is never written: the next save goes beside it.
    if (endsWithNoCase(fileName, ".lrf"))
        nameSession(ses, fileName.substr(0, fileName.size() - 4) + ".lsf", false);
    else
        nameSession(ses, fileName);

    ses.SessionName = parsed.SessionName;
    ses.SessionDescription = parsed.SessionDescription;
    if (Form2) {
        Form2->setSessionName(ses.SessionName);
        Form2->setSessionDescription(ses.SessionDescription);
    }

    const TForm4* ignoring = applyIgnoreBoxes ? Form4 : nullptr;
    const bool keepSliders = ignoring && ignoring->ignoreDepthsAndBacking();
    bool userWaveMissing = false;
    if (parsed.Globals) {
        const ReadGlobals& g = *parsed.Globals;
        const auto slider = [this, keepSliders](QSlider* bar, const std::optional<int>& position,
                                                void (TForm1::*handler)()) {
            if (keepSliders || !position)
                return;
            SetPosition(bar, *position);
            (this->*handler)();
        };
        slider(TrackBar2, g.AMDepth, &TForm1::TrackBar2Change);
        slider(TrackBar4, g.BSVolume, &TForm1::TrackBar4Change);
        slider(TrackBar3, g.HBeatBSWavVolume, &TForm1::RecompHBeatToBSWavVol);
        if (!(ignoring && ignoring->ignoreSourceWavs())) {
            readWavLine(g.ToneWavName, ToneWavName, Edit1, errors);
            readWavLine(g.BSWavName, BSWavName, Edit3, errors);
        }
        if (!(ignoring && ignoring->ignoreUserWaves()))
            for (int n = 1; n <= UserWaveLists::kSlots; ++n)
                userWaveMissing |= !m_userWaves->SelectForSession(n, pathBytes(fromWin1252(g.UserWaves[n - 1])));
        slider(TrackBar5, g.FMDepth, &TForm1::TrackBar5Change);
    }

    const auto replace = [&ses, &parsed] {
        ses.Segments = parsed.Segments;
        ses.SegCount = parsed.SegCount;
    };
    if (Form3)
        Form3->gridModel().resetSession(replace);
    else
        replace();
    m_model.recompute();
    if (userWaveMissing)
        errors << QStringLiteral("User wave file not found !");

    if (Form3)
        Form3->StringGrid1->setCurrentCell(1, 1);
    FillLabels();
    SetPosition(TrackBar1, kDefaultLengthFactorPos);
    Label42->setText(QStringLiteral("1.0"));
    CompActSesLength();
    TrackBar1->setEnabled(true);
    SpreadsheetEditor1->setEnabled(true);
    Properties1->setEnabled(true);
    ses.SesModified = false;
    if (Form3)
        Form3->SesTimeComp(1);
    // The whole new session in the graphic editor's view.
    GraphicEditorLink& graph = graphicEditor();
    graph.resetZoom();
    graph.RecalcImage1Params();
    graph.DrawImage();
    return fromWin1252(RepairWarning(parsed, keepSliders));
}

void TForm1::readWavLine(const std::string& line, std::string& name, QLineEdit* edit, QStringList& errors)
{
    const std::string written = pathBytes(fromWin1252(line));
    // A name from another system (a Windows path) or a folder that is gone:
    // the file may lie in the source-wav folder.
    std::string path = written;
    if (!std::filesystem::path(written).is_absolute() || !isFile(written))
        path = relocatedWavPath(written, m_model.Folders.SrcWavDir);
    if (!isFile(path)) {
        name.clear();
        edit->clear();
        return;
    }
    try {
        // Kept also in another format: the user sees why it will not play.
        if (!isSessionWavFormat(readWavInfo(path)))
            errors << QString::fromLatin1(kSessionWavFormatText);
    } catch (const IoError& e) {
        errors << pathText(e.what());
        name.clear();
        edit->clear();
        return;
    }
    name = path;
    edit->setText(pathText(namePart(written)));
}
