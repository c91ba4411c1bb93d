#include "converter/Preset.h"

#include <limits>
#include <optional>
#include <vector>

#include "platform/Numbers.h"
#include "platform/TextLines.h"

namespace {

constexpr int kLines = 17;
constexpr std::size_t kKeyLength = 5; // "CFL: "

// Keys of lines 3..13 in the order of PresetValues::Slider.
constexpr std::array<const char*, PresetValues::kSliderCount> kSliderKeys{
    "CFL: ", "CFR: ", "BWL: ", "BWR: ", "FSL: ", "FSR: ", "SeL: ", "SeR: ", "LOD: ", "LRD: ", "Gai: "};
constexpr int kFirstSliderLine = 3;
constexpr int kLockLine = 14, kMixLine = 15, kHearLine = 16, kIntervalLine = 17;

/// The runtime's integer conversion, narrowed: blanks, a sign, digits.
std::optional<std::int32_t> presetInteger(std::string_view text)
{
    const std::size_t sign = text.find_first_not_of(' ');
    if (sign != std::string_view::npos && text[sign] == '+' && sign + 1 < text.size() && text[sign + 1] >= '0' &&
        text[sign + 1] <= '9')
        text.remove_prefix(sign + 1);
    const std::optional<std::int64_t> value = parseWholeNumber(text);
    if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

std::string line(const char* key, std::int64_t value)
{
    return key + formatInt(value) + "\r\n";
}

} // namespace

std::string presetErrorText(const PresetError& error)
{
    return "'" + error.Value + "' is not a valid integer value";
}

std::string FormatPreset(const PresetValues& v)
{
    const bool oneLine = v.SourcePath.find_first_of("\r\n") == std::string::npos;
    std::string out = std::string(kPresetHeader) + "\r\n";
    out += "SFN: " + (oneLine ? v.SourcePath : std::string()) + "\r\n";
    for (std::size_t i = 0; i < kSliderKeys.size(); ++i)
        out += line(kSliderKeys[i], v.Sliders[i]);
    out += line("LLR: ", v.Lock);
    out += line("MCh: ", v.Mix);
    out += line("HFS: ", v.HearFiltered);
    out += line("DRD: ", v.Interval);
    return out;
}

std::variant<PresetValues, PresetError> ParsePreset(std::string_view bytes)
{
    std::vector<std::string> lines = splitLines(bytes);
    lines.resize(kLines);
    const auto value = [&](int n) -> std::string_view {
        const std::string& text = lines[static_cast<std::size_t>(n - 1)];
        return text.size() > kKeyLength ? std::string_view(text).substr(kKeyLength) : std::string_view();
    };
    std::optional<PresetError> error;
    const auto number = [&](int n) -> std::int32_t {
        const std::optional<std::int32_t> v = presetInteger(value(n));
        if (!v && !error)
            error = PresetError{n, std::string(value(n))};
        return v.value_or(0);
    };

    PresetValues v;
    v.SourcePath = value(2);
    for (std::size_t i = 0; i < v.Sliders.size(); ++i)
        v.Sliders[i] = number(kFirstSliderLine + static_cast<int>(i));
    v.Lock = value(kLockLine) == "1";
    v.Mix = value(kMixLine) == "1";
    v.HearFiltered = value(kHearLine) == "1";
    v.Interval = number(kIntervalLine);
    if (error)
        return *error;
    return v;
}
