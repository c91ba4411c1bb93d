// One libFuzzer program per reader: LUMI_FUZZ_TARGET names its check.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/ReaderChecks.h"

namespace {

ReaderCheck theCheck()
{
    static const ReaderCheck check = [] {
        const ReaderCheck c = readerCheck(LUMI_FUZZ_TARGET);
        if (!c) {
            std::fprintf(stderr, "no reader check named \"%s\"\n", LUMI_FUZZ_TARGET);
            std::abort();
        }
        return c;
    }();
    return check;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string problem = theCheck()(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", LUMI_FUZZ_TARGET, problem.c_str());
        std::abort();
    }
    return 0;
}
