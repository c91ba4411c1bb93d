#pragma once

#include <span>
#include <string>
#include <vector>

#include "engine/ImportCommon.h"

/// `count` malformed files for a reader's robustness tests: each is one of
/// `seeds` with one to six random cuts (up to 7 bytes) and insertions of
/// `pieces`. A fixed generator: the same files every run and every build.
std::vector<std::string> mutatedFiles(std::span<const std::string> seeds, std::span<const std::string> pieces,
                                      int count);

/// Fails the test unless the session holds 1..2000 records with every field
/// within 1..ParamMax (ramp flags aside).
void expectPlayable(const ImportedSession& session, const ValueTables& tables);

/// The session of a successful import; fails the test on a refusal.
ImportedSession imported(const ImportResult& result);
