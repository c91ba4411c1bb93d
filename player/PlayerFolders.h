#pragma once

#include <string>

/// The player's default folders, each with a trailing "/". Owned by the main
/// window; the options dialog shows and sets them, the file dialogs start in
/// them and "Remember Recent Directories" moves them.
struct PlayerFolders {
    std::string SesDir;         // session open and save
    std::string ImportMLProDir; // Mindlab Pro import
    std::string ImportPsxDir;   // Photosonix import
    std::string SrcWavDir;      // tone and backing-sound wav files
    std::string WavDir;         // exported wav files
    std::string ImpExpDir;      // interchange files
    bool operator==(const PlayerFolders&) const = default;
};

/// The folders beside the program that the build makes; `appDir` is the
/// program folder without a trailing "/".
inline PlayerFolders defaultPlayerFolders(const std::string& appDir)
{
    return {appDir + "/Sessions/",   appDir + "/Sessions/", appDir + "/Sessions/",
            appDir + "/Source_Wav/", appDir + "/Dest_Wav/", appDir + "/Import_Export/"};
}
