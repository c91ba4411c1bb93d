#pragma once

#include <string>

/// The converter's default folders, each with a trailing "/". Owned by the
/// main window; the options dialog shows and sets them, the file dialogs
/// start in them and "Remember Recent Directories" moves them.
struct ConverterFolders {
    std::string PresetsDir;   // preset open and save
    std::string SourceWavDir; // source choice
    std::string DestWavDir;   // render destination
};

/// The folders beside the program that the build makes; `appDir` is the
/// program folder without a trailing "/".
inline ConverterFolders defaultConverterFolders(const std::string& appDir)
{
    return {appDir + "/Glimbx_Presets/", appDir + "/Source_Wav/", appDir + "/Dest_Wav/"};
}
