#include "MutatedFiles.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "engine/ValueTables.h"

std::vector<std::string> mutatedFiles(std::span<const std::string> seeds, std::span<const std::string> pieces,
                                      int count)
{
    std::uint32_t state = 7;
    const auto next = [&state](std::size_t n) {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::size_t>((static_cast<std::uint64_t>(state) * n) >> 32);
    };
    std::vector<std::string> files;
    for (int n = 0; n < count; ++n) {
        std::string file = seeds[next(seeds.size())];
        for (std::size_t m = next(6) + 1; m > 0; --m) {
            const std::size_t at = next(file.size() + 1);
            if (next(3) == 0)
                file.erase(at, next(8));
            else
                file.insert(at, pieces[next(pieces.size())]);
        }
        files.push_back(std::move(file));
    }
    return files;
}

void expectPlayable(const ImportedSession& s, const ValueTables& tables)
{
    ASSERT_GE(s.Records.size(), 1u);
    ASSERT_LE(s.Records.size(), 2000u);
    for (const TSegRec& r : s.Records)
        for (int f = 1; f <= kFieldCount; ++f) {
            const int index = isRampField(f) ? r[f] & 127 : r[f];
            ASSERT_TRUE(index >= 1 && index <= tables.ParamMax[f]) << "field " << f << ": " << int(r[f]);
        }
}

ImportedSession imported(const ImportResult& r)
{
    if (const auto* s = std::get_if<ImportedSession>(&r))
        return *s;
    ADD_FAILURE() << std::get<ImportError>(r).Text;
    return {};
}
