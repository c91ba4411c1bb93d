// One libFuzzer program per reader: LUMI_FUZZ_TARGET names its check, or
// LUMI_FUZZ_CHECK is the function of a check that needs more than plain C++.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/ReaderChecks.h"

#ifdef LUMI_FUZZ_CHECK
std::string LUMI_FUZZ_CHECK(std::string_view bytes);
#endif

namespace {

#ifdef LUMI_FUZZ_CHECK
ReaderCheck theCheck()
{
    return LUMI_FUZZ_CHECK;
}
#else
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
#endif

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
