#include "fuzz/ReaderChecks.h"

#include <algorithm>
#include <array>

namespace {

const std::array kTargets{
    ReaderTarget{"data_file", checkDataFile},
    ReaderTarget{"session", checkSession},
    ReaderTarget{"pcm_samples", checkPcmSamples},
    ReaderTarget{"wav_file", checkWavFile},
    ReaderTarget{"photosonix", checkPhotosonix},
    ReaderTarget{"mindlab", checkMindlab},
    ReaderTarget{"lnf_container", checkLnfContainer},
    ReaderTarget{"preset", checkPreset},
};

} // namespace

std::span<const ReaderTarget> readerTargets()
{
    return kTargets;
}

ReaderCheck readerCheck(std::string_view name)
{
    const auto found = std::find_if(kTargets.begin(), kTargets.end(),
                                    [name](const ReaderTarget& t) { return name == t.name; });
    return found == kTargets.end() ? nullptr : found->check;
}
