#include <algorithm>
#include <variant>

#include "converter/Preset.h"
#include "fuzz/ReaderChecks.h"

std::string checkPreset(std::string_view bytes)
{
    const auto parsed = ParsePreset(bytes);
    if (const auto* error = std::get_if<PresetError>(&parsed)) {
        if (error->Line < 3 || (error->Line > 13 && error->Line != 17))
            return "an error on line " + std::to_string(error->Line) + ", which holds no number";
        if (bytes.find(error->Value) == std::string_view::npos)
            return "the error names a value that the file does not hold";
        return {};
    }
    const PresetValues& read = std::get<PresetValues>(parsed);
    const std::string written = FormatPreset(read);
    if (std::count(written.begin(), written.end(), '\n') != 17 ||
        std::count(written.begin(), written.end(), '\r') != 17 || !written.ends_with("\r\n"))
        return "the preset written from what was read is not 17 CR LF lines";
    const auto again = ParsePreset(written);
    const auto* back = std::get_if<PresetValues>(&again);
    if (!back)
        return "the preset written from what was read is refused";
    const bool oneLine = read.SourcePath.find_first_of("\r\n") == std::string::npos;
    if (back->SourcePath != (oneLine ? read.SourcePath : "") || back->Sliders != read.Sliders ||
        back->Lock != read.Lock || back->Mix != read.Mix || back->HearFiltered != read.HearFiltered ||
        back->Interval != read.Interval)
        return "the preset written from what was read reads back different";
    return {};
}
