#include "player/PlayerSettings.h"

#include <QString>

#include "platform/Settings.h"

namespace {

// Every stored value but "AppDir", in the order the writer stores them; the
// reader and the writer share it, so a name can never differ between them.
// `visit` is called with the key and a reference to the value: a folder
// (std::string), an integer or a Boolean.
template <class Values, class Visit>
void forEachValue(Values& v, Visit&& visit)
{
    visit("SesDir", v.Folders.SesDir);
    visit("ImportMLProDir", v.Folders.ImportMLProDir);
    visit("ImportPsxDir", v.Folders.ImportPsxDir);
    visit("WavDir", v.Folders.WavDir);
    visit("SrcWavDir", v.Folders.SrcWavDir);
    visit("ImpExpDir", v.Folders.ImpExpDir);
    visit("F1x", v.MainPos.Left);
    visit("F1y", v.MainPos.Top);
    visit("F3x", v.SpreadsheetBounds.Left);
    visit("F3y", v.SpreadsheetBounds.Top);
    visit("F3w", v.SpreadsheetBounds.Width);
    visit("F3h", v.SpreadsheetBounds.Height);
    visit("F3m", v.SpreadsheetMaximized);
    visit("F8x", v.GraphEdBounds.Left);
    visit("F8y", v.GraphEdBounds.Top);
    visit("F8w", v.GraphEdBounds.Width);
    visit("F8h", v.GraphEdBounds.Height);
    visit("F8m", v.GraphEdMaximized);
    visit("F8SS", v.ShowSegs);
    visit("F8SG", v.ShowGrid);
    visit("F8SA", v.ShowAll);
    visit("F8AR", v.AutoRefresh);
    visit("F7x", v.PlayCtlPos.Left);
    visit("F7y", v.PlayCtlPos.Top);
    visit("F11x", v.ShowWinPos.Left);
    visit("F11y", v.ShowWinPos.Top);
    visit("F3Show", v.ShowAtStart.Spreadsheet);
    visit("F7Show", v.ShowAtStart.PlaybackControl);
    visit("F8Show", v.ShowAtStart.GraphicEditor);
    visit("F11Show", v.ShowAtStart.ShowWindow);
    visit("ISWFs", v.IgnoreSourceWavs);
    visit("IUWs", v.IgnoreUserWaves);
    visit("IAMDBS", v.IgnoreDepthsAndBacking);
    visit("F4ChB1", v.RememberRecentFolders);
    visit("AOF", v.OutputFilter);
    visit("F4TrB3", v.SoftStart);
    visit("F4TrB5", v.SoftEnd);
    visit("F4TrB1", v.BufferSize);
    visit("F4TrB2", v.StartDelay);
    visit("F4TrB4", v.ZeroLevel);
    visit("F4RadGr1", v.Preset);
    visit("F4TrB6", v.RecordingLevel);
    visit("F4TrB7", v.PlayingLevel);
}

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

} // namespace

PlayerSettings readPlayerSettings(const Settings& settings, const std::string& appDir,
                                  const PlayerSettings& defaults)
{
    PlayerSettings read = defaults;
    read.AppDir = appDir;
    read.Folders = defaultPlayerFolders(appDir);
    // Each value starts as its default, so it is also what the read falls back to.
    forEachValue(read, Overloaded{
                           [&](const char* key, std::string& folder) {
                               folder = settings.readFolder(QLatin1String(key), folder);
                           },
                           [&](const char* key, std::int32_t& number) {
                               number = settings.readInteger(QLatin1String(key), number);
                           },
                           [&](const char* key, bool& flag) { flag = settings.readBool(QLatin1String(key), flag); },
                       });
    // A number that names no preset gives the form's own choice.
    if (read.Preset != 0 && read.Preset != 1)
        read.Preset = 0;
    return read;
}

void writePlayerSettings(Settings& settings, const PlayerSettings& values)
{
    settings.writeFolder(QStringLiteral("AppDir"), values.AppDir);
    forEachValue(values, Overloaded{
                             [&](const char* key, const std::string& folder) {
                                 settings.writeFolder(QLatin1String(key), folder);
                             },
                             [&](const char* key, std::int32_t number) {
                                 settings.writeInteger(QLatin1String(key), number);
                             },
                             [&](const char* key, bool flag) { settings.writeBool(QLatin1String(key), flag); },
                         });
}
