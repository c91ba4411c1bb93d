// Presets from the main window: the file dialogs, the file, and the settings
// applied only once the whole file has been read and its source resolved, so
// that a damaged preset or an unusable source changes nothing. The format is
// the core's (converter/Preset.h).

#include <QFile>
#include <QSlider>
#include <QCheckBox>
#include <filesystem>
#include <optional>
#include <variant>

#include "converter/Preset.h"
#include "converter/SeekBar.h"
#include "converter/SignalPath.h"
#include "converter/Unit12.h"
#include "converter/Unit9.h"
#include "dialogs/Version.h"
#include "engine/WavFile.h"
#include "platform/AtomicFile.h"
#include "platform/IoError.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/RegularFile.h"
#include "platform/Win1252Qt.h"

namespace {

FileDialogOptions presetDialog(const std::string& folder)
{
    FileDialogOptions options;
    options.folder = pathText(folder);
    options.filters = {QStringLiteral("Glimmerbox preset (*.gbp)")};
    options.defaultSuffix = QStringLiteral("gbp");
    return options;
}

bool isRegularFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

void rememberFolder(const QString& chosen)
{
    if (Form12 && Form12->rememberRecentFolders())
        Form12->setFolder(&ConverterFolders::PresetsDir, folderOf(chosen));
}

} // namespace

void TForm9::Open1Click()
{
    OpenPresetProc();
}

void TForm9::SaveAs1Click()
{
    SavePresetProc();
}

void TForm9::setPresetCaption(const std::string& presetPath)
{
    const QString name = pathText(namePart(presetPath));
    setWindowTitle(QString::fromLatin1(kConverterTitle) + QStringLiteral(" - [") +
                   (name.size() >= 4 ? name.chopped(4) : QString()) + QStringLiteral("]"));
}

PresetValues TForm9::presetValues() const
{
    PresetValues v;
    if (!Form12 || Form12->storeWavFileName())
        v.SourcePath = SourcePath;
    const QSlider* sliders[] = {TrackBar4, TrackBar9, TrackBar8, TrackBar10, TrackBar7, TrackBar12,
                                TrackBar6, TrackBar11, TrackBar2, TrackBar5, TrackBar1};
    for (std::size_t i = 0; i < v.Sliders.size(); ++i)
        v.Sliders[i] = sliders[i]->value();
    v.Lock = CheckBox2->isChecked();
    v.Mix = CheckBox4->isChecked();
    v.HearFiltered = CheckBox3->isChecked();
    v.Interval = TrackBar13->value();
    return v;
}

void TForm9::SavePresetProc()
{
    if (runMode() == RunMode::Rendering)
        return;
    FileDialogOptions options = presetDialog(m_folders.PresetsDir);
    options.fileName = pathText(PresetFileName);
    options.confirmOverwrite = true;
    const std::optional<QString> chosen = prompts().saveFile(options);
    if (!chosen)
        return;
    rememberFolder(*chosen);
    const std::string path = pathBytes(*chosen);
    PresetFileName = path;
    try {
        AtomicFile::writeWhole(path, FormatPreset(presetValues()));
    } catch (const IoError& e) {
        prompts().error(QFile::decodeName(e.what()));
        return;
    }
    setPresetCaption(path);
}

void TForm9::OpenPresetProc()
{
    if (runMode() == RunMode::Rendering)
        return;
    stopPlayback();
    FileDialogOptions options = presetDialog(m_folders.PresetsDir);
    options.mustExist = true;
    const std::optional<QString> chosen = prompts().openFile(options);
    if (!chosen)
        return;
    rememberFolder(*chosen);
    const std::string path = pathBytes(*chosen);

    PresetValues preset;
    try {
        const std::string bytes = readRegularFile(path, kMaxPresetFileBytes + 1);
        if (bytes.size() > kMaxPresetFileBytes)
            throw IoError(path, "read", "the file is too large for a preset");
        auto parsed = ParsePreset(bytes);
        if (const auto* error = std::get_if<PresetError>(&parsed)) {
            prompts().error(fromWin1252(presetErrorText(*error)));
            return;
        }
        preset = std::move(std::get<PresetValues>(parsed));
    } catch (const IoError& e) {
        prompts().error(QFile::decodeName(e.what()));
        return;
    }
    // A preset made elsewhere still finds its wav once moved into the source folder.
    std::string source = preset.SourcePath;
    if (!source.empty() && !isRegularFile(source)) {
        source = relocatedWavPath(source, m_folders.SourceWavDir);
        if (!isRegularFile(source))
            source.clear();
    }
    // From here on the preset is applied; only the source can still be refused,
    // and that changes nothing.
    if (source.empty())
        clearSource();
    else if (!acceptSource(source, isSessionWavFormat, kSessionWavFormatText))
        return;
    setPresetCaption(path);

    // In file order, each with the lock as it stands: with the lock on, each
    // right-hand value ends up on both sliders of its pair.
    const auto& s = preset.Sliders;
    using P = PresetValues;
    setSliderPosition(TrackBar4, s[P::kCenterL]);
    setSliderPosition(TrackBar9, s[P::kCenterR]);
    setSliderPosition(TrackBar8, s[P::kBandL]);
    setSliderPosition(TrackBar10, s[P::kBandR]);
    setSliderPosition(TrackBar7, s[P::kLevelL]);
    setSliderPosition(TrackBar12, s[P::kLevelR]);
    setSliderPosition(TrackBar6, s[P::kTriggerL]);
    setSliderPosition(TrackBar11, s[P::kTriggerR]);
    setSliderPosition(TrackBar2, s[P::kOnDuration]);
    setSliderPosition(TrackBar5, s[P::kRetrigDelay]);
    m_path->RedrawLightRetrigDelay();
    setSliderPosition(TrackBar1, s[P::kGain]);
    CheckBox2->setChecked(preset.Lock);
    CheckBox4->setChecked(preset.Mix);
    CheckBox3->setChecked(preset.HearFiltered);
    setSliderPosition(TrackBar13, preset.Interval);
    TrackBar13Change();

    m_path->RedrawLabels();
    m_path->ReCompLevelOfFS();
    m_path->ReCompSensitivity();
    m_path->ReCompGain();
    m_path->RedrawLightOffSpeed();
    RedrawLabels();
    ProgressBar1->setPosition(0);
    RedrawPosition();
    PresetFileName = path;
}
