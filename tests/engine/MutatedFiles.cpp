#include "MutatedFiles.h"

#include <cstdint>

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
