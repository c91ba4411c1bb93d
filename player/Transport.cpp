// The transport of the main window: Start/Stop with its start delay, soft
// start and soft end, pause, the display of the engine's mailbox, and the
// wave output's producer. The caption of Button1 is the playback state; the
// engine reaches it only through the mailbox and its posted press.

#include "player/Sonavisp.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <utility>

#include "components/AudioIO.h"
#include "engine/WavFile.h"
#include "platform/IoError.h"
#include "platform/Prompts.h"
#include "platform/Win1252Qt.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/StatusGridModel.h"
#include "player/Unit4.h"
#include "player/Unit7.h"

namespace {

const QString kStart = QStringLiteral("Start");
const QString kDelayed = QStringLiteral("Delayed");
const QString kStop = QStringLiteral("Stop");
const QString kEnding = QStringLiteral("Ending");
const QString kPaused = QStringLiteral("Paused");

constexpr int kDelayTickMs = 1000; // the delay counts down in seconds
constexpr int kFirstTickMs = 100;

QString errorText(const std::exception& e)
{
    return QFile::decodeName(e.what()); // paths in the texts are file-system bytes
}

void openReader(WavReader& reader, const std::string& path)
{
    // A file replaced by something else since it was chosen would play noise.
    if (!wavReadProc(reader, 0, path).walked)
        throw IoError(path, "read", "it holds no wav data");
}

} // namespace

// ---- Presses ---------------------------------------------------------------------

void TForm1::Button1Click()
{
    Engine& eng = *m_model.Eng;
    const QString caption = Button1->text();
    try {
        if (caption == kPaused) {
            setPaused(false);
        } else if (caption == kDelayed || Timer1->isActive()) {
            // Also the 100 ms before a start without delay, whose caption
            // still reads "Start": nothing plays yet and no reader is open.
            stopPlaybackAtOnce();
        } else if (caption == kStart) {
            // Only a start can be refused: a press that stops always stops.
            if (!CheckWavFilesAssigned())
                return;
            eng.Ending = false;
            Playing = true;
            startPlayback();
        } else if (eng.Ending) {
            stopPlaybackAtOnce();
        } else {
            Playing = false;
            stopOrEnd();
        }
    } catch (const IoError& e) {
        stopPlaybackAtOnce();
        prompts().error(errorText(e));
    }
}

bool TForm1::CheckWavFilesAssigned()
{
    const SegParams& params = *m_model.Params;
    if (params.NeedToneWav && ToneWavName.empty()) {
        prompts().error(QStringLiteral("No Tone Wav File selected !"));
        return false;
    }
    if (params.NeedBSWav && BSWavName.empty()) {
        prompts().error(QStringLiteral("No Backing Sound Wav File selected !"));
        return false;
    }
    return true;
}

void TForm1::startPlayback()
{
    Engine& eng = *m_model.Eng;
    m_fillError.clear();
    // A pause stored by a run that ended paused would open the device paused.
    AudioOut1->SetPaused(false);
    if (Form7) {
        Form7->Paused = false;
        Form7->SavedCaption.clear();
    }
    // Reset, filters, segment ends at the length factor and where the
    // engine's own soft end begins.
    eng.PrepareRun(RunKind::Start);
    Label13->setText(QStringLiteral("Amp."));
    // Both ways: a session that needs no wav must not open a reader on a stale name.
    eng.ToneWavOpen = m_model.Params->NeedToneWav;
    eng.BSWavOpen = m_model.Params->NeedBSWav;
    PlaybackLock::set(true);
    eng.DisplayTexts[dButtonCaption].clear();

    const int delaySecs = Form4 ? Form4->startDelaySecs() : 0;
    if (delaySecs >= 1) {
        Button1->setText(kDelayed);
        Timer1->setInterval(kDelayTickMs);
    } else {
        Timer1->setInterval(kFirstTickMs);
    }
    DelayTicks = delaySecs;
    Timer1->start();
}

void TForm1::Timer1Timer()
{
    DelayTicks -= 1;
    if (DelayTicks >= 1)
        return;
    Timer1->stop();
    Button1->setText(kStop);
    m_model.Eng->ArmSoftStart();
    try {
        openFlaggedReaders();
    } catch (const IoError& e) {
        // Stopped first, so that nothing plays or stays locked behind the box.
        stopPlaybackAtOnce();
        prompts().error(errorText(e));
        return;
    }
    if (startOutput())
        Timer2->start();
}

void TForm1::openFlaggedReaders()
{
    Engine& eng = *m_model.Eng;
    if (eng.ToneWavOpen)
        openReader(eng.ToneWavFile, ToneWavName);
    if (eng.BSWavOpen)
        openReader(eng.BSWavFile, BSWavName);
}

bool TForm1::startOutput()
{
    Engine& eng = *m_model.Eng;
    m_fillError.clear();
    const bool started = AudioOut1->Start(AudioOut1);
    if (started && m_fillError.isEmpty())
        return true;
    QString reason = std::exchange(m_fillError, QString());
    // A session shorter than one buffer ends inside the first fill, which the
    // component refuses to play: no failure to report.
    if (reason.isEmpty() && !eng.StopRequest)
        reason = QString::fromStdString(AudioOut1->ErrorText());
    stopPlaybackAtOnce();
    if (!reason.isEmpty())
        prompts().error(reason);
    return false;
}

void TForm1::stopOrEnd()
{
    Timer1->stop();
    Engine& eng = *m_model.Eng;
    // Without a soft end, with the gain already at 0 (nothing rendered yet, or
    // an earlier soft end) or without a device to fade on, stop now.
    if (eng.FadeOutLen < 1 || !AudioOut1->DeviceOpen() || !eng.StartSoftEnd()) {
        stopPlaybackAtOnce();
        return;
    }
    // The engine fades from the present gain over what is left of the soft
    // end and posts the press that stops at silence; Timer2 and the lock stay.
    Button1->setText(kEnding);
}

void TForm1::stopPlaybackAtOnce()
{
    Timer1->stop();
    Timer2->stop();
    Button1->setText(kStart);
    m_model.Eng->abortRun();
    AudioOut1->StopAtOnce();
    PlaybackLock::set(false);
    Playing = false;
    FillLabels();
}

void TForm1::BitBtn3Click()
{
    const QString caption = Button1->text();
    if (!Button1->isEnabled() || caption == kStart || caption == kDelayed || !Form7)
        return;
    setPaused(!Form7->Paused);
}

void TForm1::setPaused(bool paused)
{
    if (!Form7)
        return;
    AudioOut1->SetPaused(paused);
    Form7->Paused = paused;
    if (paused) {
        Form7->SavedCaption = Button1->text();
        Button1->setText(kPaused);
    } else {
        Button1->setText(Form7->SavedCaption);
    }
}

// ---- Display ---------------------------------------------------------------------

void TForm1::Timer2Timer()
{
    auto& texts = m_model.Eng->DisplayTexts;
    auto take = [&texts](DisplayEntry entry, auto&& show) {
        if (texts[entry].empty())
            return;
        show(fromWin1252(texts[entry]));
        texts[entry].clear(); // keeps the capacity: the engine's texts never allocate
    };
    auto playbackLabel = [](QLabel* TForm7::*label, const QString& text) {
        if (Form7)
            (Form7->*label)->setText(text);
    };

    take(dButtonCaption, [this](const QString& text) {
        // The engine began its soft end just before a pause: resume to it.
        if (Button1->text() == kPaused && Form7)
            Form7->SavedCaption = text;
        else
            Button1->setText(text);
    });
    take(dPeak, [this](const QString& text) { Label13->setText(text); });
    take(dSegment, [&](const QString& text) {
        GridCells->setCell(1, statusGridRow(dSegment), text);
        playbackLabel(&TForm7::Label4, text);
    });
    take(dTime, [&](const QString& text) {
        GridCells->setCell(1, statusGridRow(dTime), text);
        playbackLabel(&TForm7::Label5, text);
    });
    for (int entry = dTone; entry <= dHBeat; ++entry) {
        const auto e = static_cast<DisplayEntry>(entry);
        take(e, [&](const QString& text) { GridCells->setCell(1, statusGridRow(e), text); });
    }
    take(dSegmentTime, [&](const QString& text) { playbackLabel(&TForm7::Label6, text); });
}

// ---- Wave output and engine host ---------------------------------------------------

bool TForm1::AudioOut1FillBuffer(std::uint8_t* Buffer, std::int32_t& Size)
{
    Engine& eng = *m_model.Eng;
    try {
        return eng.FillBuffer(Buffer, Size);
    } catch (const IoError& e) {
        // This runs inside the device's notification, where no message box
        // may open: end the run here and report once the notification is over.
        eng.StopRequest = true;
        if (m_fillError.isEmpty()) {
            m_fillError = errorText(e);
            QMetaObject::invokeMethod(this, [this] { reportFillError(); }, Qt::QueuedConnection);
        }
        return false;
    }
}

void TForm1::reportFillError()
{
    // Empty when the start that primed the buffers reported it already.
    if (m_fillError.isEmpty())
        return;
    const QString text = std::exchange(m_fillError, QString());
    stopPlaybackAtOnce();
    prompts().error(text);
}

void TForm1::PostStopPress()
{
    // Queued: the press runs after the buffer that caused it, and belongs to
    // the run that was current when it was queued.
    const std::uint64_t run = m_model.Eng->RunSerial;
    QMetaObject::invokeMethod(this, [this, run] { enginePress(run); }, Qt::QueuedConnection);
}

void TForm1::enginePress(std::uint64_t run)
{
    // The engine's press only ever ends the run that posted it: one the user
    // stopped meanwhile is over, and the next (a Start, or a Play from a
    // segment that took over the output) must not start or be cancelled.
    const QString caption = Button1->text();
    if (run != m_model.Eng->RunSerial || caption == kStart || caption == kDelayed || Timer1->isActive())
        return;
    // A pause clicked after the end was posted would turn the press into a
    // resume of a run that has nothing left to play.
    if (caption == kPaused)
        setPaused(false);
    Button1Click();
}

void TForm1::AudioOut1Stop()
{
    // A close that nobody asked for: the device failed while playing. Stops
    // the transport asked for, the end of the engine's run and closes of an
    // earlier open arrive with StopRequest set, idle, or a device open again.
    const QString caption = Button1->text();
    if ((caption != kStop && caption != kEnding) || m_model.Eng->StopRequest || AudioOut1->DeviceOpen())
        return;
    const QString reason = QString::fromStdString(AudioOut1->ErrorText());
    stopPlaybackAtOnce();
    if (!reason.isEmpty())
        prompts().error(reason);
}
