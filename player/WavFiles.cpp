// The main window's wav files: the choosers of the tone and backing-sound
// files that loop under the session, and the export of the session into a new
// wav file. The format, the readers, the writer and the render loop are the
// engine's (WavFile, WavExport); this file holds the dialogs and the window's
// state around them.

#include "player/Sonavisp.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "components/AudioIO.h"
#include "dialogs/ProgressScope.h"
#include "dialogs/Unit5.h"
#include "engine/SegParams.h"
#include "engine/Session.h"
#include "engine/WavExport.h"
#include "engine/WavFile.h"
#include "platform/IoError.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "player/PlayerModel.h"
#include "player/SessionTexts.h"
#include "player/Unit1.h"
#include "player/Unit4.h"
#include "player/Unit8.h"

void TForm1::FillWaveHeader()
{
    OutWavHdr = canonicalWavHeader();
}

// ---- Choosers ----------------------------------------------------------------------

void TForm1::Button2Click()
{
    chooseWav(ToneWavName, Edit1);
}

void TForm1::Button3Click()
{
    chooseWav(BSWavName, Edit3);
}

void TForm1::chooseWav(std::string& name, QLineEdit* edit)
{
    Session& ses = *m_model.Ses;
    FileDialogOptions options;
    options.filters = {QString::fromLatin1(kWavFileFilter)};
    options.defaultSuffix = QStringLiteral("wav");
    options.mustExist = true;
    const std::optional<std::string> chosen =
        chooseFile(FileChoice::Open, m_model.Folders, &PlayerFolders::SrcWavDir, options);
    if (!chosen) {
        // Cancel takes the file out of the session: a change to save like any other.
        if (!name.empty())
            ses.SesModified = true;
        name.clear();
        edit->clear();
        return;
    }
    const std::string path = *chosen;
    // Said now, not at the save after the session was built around the file.
    if (const QString reason = unstorableNameReason(path); !reason.isEmpty()) {
        prompts().error(QStringLiteral("This wav file cannot be chosen: ") + reason +
                        QStringLiteral(" Rename the file or choose another one."));
        return;
    }
    try {
        if (!isChooserWavFormat(readWavInfo(path))) {
            prompts().error(QString::fromLatin1(kChooserWavFormatText));
            return;
        }
    } catch (const IoError& e) {
        prompts().error(QFile::decodeName(e.what()));
        return;
    }
    name = path;
    edit->setText(pathText(namePart(path)));
    ses.SesModified = true;
}

// ---- Export ----------------------------------------------------------------------

void TForm1::BitBtn1Click()
{
    RecSesToWavProc();
}

void TForm1::Recordtowavfile1Click()
{
    RecSesToWavProc();
}

void TForm1::RecSesToWavProc()
{
    // The transport locks the export while a run is under way; the check also
    // keeps an export from starting inside another one's event loop.
    if (Playing || !Form5)
        return;
    if (!CheckWavFilesAssigned())
        return;
    Engine& eng = *m_model.Eng;
    const Session& ses = *m_model.Ses;
    const SegParams& params = *m_model.Params;
    const int bufferBytes = AudioOut1->BufferSize();
    // Before the dialog, so that the user chooses no name for nothing.
    if (!planWavExport(eng, ses, bufferBytes).fits()) {
        prompts().error(QString::fromLatin1(kWavTooLongText));
        return;
    }

    FileDialogOptions options;
    options.title = QStringLiteral("Set name of output WAV file");
    // A session never saved has no title; ".wav" alone would name a hidden file.
    if (!ses.SesTitle.empty())
        options.fileName = pathText(ses.SesTitle) + QStringLiteral(".wav");
    options.filters = {QString::fromLatin1(kWavFileFilter)};
    options.defaultSuffix = QStringLiteral("wav");
    WavExportJob job;
    if (params.NeedToneWav)
        job.toneWav = ToneWavName;
    if (params.NeedBSWav)
        job.bsWav = BSWavName;
    job.blockBytes = bufferBytes;
    // The dialog's own question comes after the refusal of a wav the session
    // plays as the target; as with the dialog's, No goes back to the dialog.
    options.confirmOverwrite = false;
    for (;;) {
        const std::optional<std::string> chosen =
            chooseFile(FileChoice::Save, m_model.Folders, &PlayerFolders::WavDir, options);
        if (!chosen)
            return;
        job.target = *chosen;
        if (exportOverwritesSource(job)) {
            prompts().error(QString::fromLatin1(kWavTargetIsSourceText));
            return;
        }
        const QString name = pathText(*chosen);
        if (!QFileInfo::exists(name) || prompts().confirmReplace(QFileInfo(name).fileName()))
            break;
        options.fileName = name;
    }

    QString failure;
    bool readFailed = false;
    {
        ProgressScope progress(*Form5, QStringLiteral("Writing to wav file..."), {this, Form3, Form8});
        Playing = true;
        Button1->setText(QStringLiteral("Stop"));
        WavExportHooks hooks;
        hooks.afterReset = [] {
            if (Form4)
                Form4->SetRecordingASLevel();
        };
        hooks.afterBlock = [&progress](std::int64_t position, std::int64_t total) {
            progress.setProgress(position, total);
            QCoreApplication::processEvents();
            return !progress.cancelled();
        };
        try {
            exportSessionToWav(eng, ses, job, hooks);
        } catch (const WavWriteError&) {
            failure = QString::fromLatin1(kWavWriteErrorText);
        } catch (const IoError& e) {
            failure = QFile::decodeName(e.what());
            readFailed = true;
        }
        Playing = false;
        Button1->setText(QStringLiteral("Start"));
    }
    FillLabels();
    // Shown once the windows are usable again.
    if (readFailed)
        prompts().error(failure);
    else if (!failure.isEmpty())
        prompts().information(failure);
}
