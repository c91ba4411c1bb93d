#pragma once

#include <span>
#include <string>
#include <vector>

/// `count` malformed files for a reader's robustness tests: each is one of
/// `seeds` with one to six random cuts (up to 7 bytes) and insertions of
/// `pieces`. A fixed generator: the same files every run and every build.
std::vector<std::string> mutatedFiles(std::span<const std::string> seeds, std::span<const std::string> pieces,
                                      int count);
