#include "engine/UserWaveEditor.h"

#include <cmath>
#include <set>

#include "engine/UserWaves.h"
#include "engine/ValueTables.h"
#include "platform/Arith.h"
#include "platform/Numbers.h"

namespace {

// An index or step into one period, whatever the caller handed in.
std::int32_t wrapped(std::int32_t v)
{
    v %= kWaveLen;
    return v < 0 ? v + kWaveLen : v;
}

struct FoldedLess {
    bool operator()(const std::string& a, const std::string& b) const { return userWaveNameLess(a, b); }
};

} // namespace

float srcAmplitudeOf(int position)
{
    return static_cast<float>(static_cast<ext>(position) / 100);
}

std::int32_t srcPhaseOffsetOf(int position)
{
    return roundEven32(static_cast<ext>(position) * 12.25L);
}

void RecompDestWave(WaveMix& mix)
{
    // Walk each source by its multiple instead of taking (multiple × i +
    // offset) mod 4410 per sample: the same index, without a division.
    std::array<std::int32_t, kMixSources> index{};
    std::array<std::int32_t, kMixSources> step{};
    for (int n = 0; n < kMixSources; ++n) {
        index[n] = wrapped(mix.SrcPhaseOffset[n]);
        step[n] = wrapped(mix.SrcFreqMult[n]);
    }
    float peak = 0.0f;
    for (int i = 0; i < kWaveLen; ++i) {
        ext sum = 0;
        for (int n = 0; n < kMixSources; ++n) {
            sum += static_cast<ext>(mix.SourceWaves[n][index[n]]) * static_cast<ext>(mix.SrcAmplitude[n]);
            index[n] += step[n];
            if (index[n] >= kWaveLen)
                index[n] -= kWaveLen;
        }
        const float v = static_cast<float>(sum);
        mix.MixBuf[i] = v;
        const float magnitude = v < 0 ? -v : v;
        if (magnitude > peak)
            peak = magnitude;
    }
    // A quiet mix keeps its level: only a louder one is scaled.
    if (peak < kMixPeak)
        peak = kMixPeak;
    const auto scale = static_cast<float>(static_cast<ext>(kMixPeak) / static_cast<ext>(peak));
    for (int i = 0; i < kWaveLen; ++i)
        mix.DestWave[i] =
            static_cast<std::int16_t>(std::lrint(static_cast<ext>(mix.MixBuf[i]) * static_cast<ext>(scale)));
    mix.DestWave[kWaveLen] = 0;
}

float previewStepOf(std::string_view pitchValue)
{
    const std::optional<ext> hz = parseDecimal(pitchValue);
    if (!hz || *hz < 0 || *hz > kFrameRate)
        return 0.0f;
    return static_cast<float>(*hz / 10);
}

bool fillPreview(const WaveTable& destWave, WavePreview& preview, std::uint8_t* buffer, std::int32_t& size)
{
    const std::int32_t frames = size > 0 ? size / 4 : 0;
    size = frames * 4;
    // Outside these the index below could leave the table; the window never
    // sets such values, so this only guards the invariant.
    float pos = preview.PreviewPos;
    float step = preview.PreviewStep;
    if (!(pos >= 0 && pos < kWaveLen))
        pos = 0;
    if (!(step >= 0 && step <= kWaveLen))
        step = 0;
    for (std::int32_t f = 0; f < frames; ++f) {
        // pos ≤ 4410, so k ≤ 4410: entry 4410 is the table's trailing 0.
        const long k = std::lrint(pos);
        pos = static_cast<float>(static_cast<ext>(pos) + static_cast<ext>(step));
        if (pos >= kWaveLen)
            pos = static_cast<float>(static_cast<ext>(pos) - kWaveLen);
        const auto sample = static_cast<std::uint16_t>(std::lrint(static_cast<ext>(destWave[k]) * 0.1L));
        std::uint8_t* frame = buffer + 4 * f;
        frame[0] = frame[2] = static_cast<std::uint8_t>(sample & 0xFF);
        frame[1] = frame[3] = static_cast<std::uint8_t>(sample >> 8);
    }
    preview.PreviewPos = pos;
    return true;
}

std::string builtInWaveName(std::string_view tableEntry)
{
    std::size_t end = tableEntry.size();
    while (end > 0) {
        const auto c = static_cast<unsigned char>(tableEntry[end - 1]);
        if (c > ' ' && c != 0x7F)
            break;
        --end;
    }
    return std::string(tableEntry.substr(0, end));
}

std::vector<std::string> editorWaveList(const ValueTables& tables, const std::vector<std::string>& userWaves)
{
    std::vector<std::string> list;
    list.reserve(kBuiltInWaves + userWaves.size());
    std::set<std::string, FoldedLess> listed; // equal keys: equal without regard to case
    for (int t = 1; t <= kBuiltInWaves; ++t) {
        list.push_back(builtInWaveName(tables.WaveNames[t]));
        listed.insert(list.back());
    }
    for (const std::string& name : userWaves)
        if (name != kSineEntry && listed.insert(name).second)
            list.push_back(name);
    return list;
}

std::string_view userWaveStem(std::string_view fileName)
{
    constexpr std::string_view kExt = ".pcm";
    if (fileName.size() < kExt.size())
        return fileName;
    const std::string_view tail = fileName.substr(fileName.size() - kExt.size());
    for (std::size_t i = 0; i < kExt.size(); ++i) {
        const char c = tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] + ('a' - 'A')) : tail[i];
        if (c != kExt[i])
            return fileName;
    }
    return fileName.substr(0, fileName.size() - kExt.size());
}

bool validUserWaveStem(std::string_view stem)
{
    return !stem.empty() && stem.find_first_of(".\t\r\n") == std::string_view::npos;
}

bool isBuiltInWaveName(const ValueTables& tables, std::string_view name)
{
    for (int t = 1; t <= kBuiltInWaves; ++t)
        if (builtInWaveName(tables.WaveNames[t]) == name)
            return true;
    return false;
}
