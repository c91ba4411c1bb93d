#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/ImportCommon.h"
#include "player/PlayerFolders.h"

// The window side of the imports of other programs' session files. Each
// import is one TForm3 method that fills an ImportSource and hands it to
// TForm3::RunImport, which asks, reads, parses and commits. GUI thread only.

/// What differs between the imports.
struct ImportSource {
    QString kind;           // the kind of file its refusals name: "Photosonix"
    QString filter;         // the open dialog's visible filter, "Photosonix file (*.lss)"
    QString filterPatterns; // its patterns, both letter cases: "*.lss *.LSS"
    /// The default folder the dialog starts in, which "Remember Recent
    /// Directories" moves to the chosen file's folder.
    std::string PlayerFolders::*folder = nullptr;
    /// Turns the whole file's bytes into a session. Runs under the hourglass;
    /// no event loop runs meanwhile.
    std::function<ImportResult(std::string_view bytes)> parse;
};

/// The largest file an import reads.
constexpr std::size_t kMaxImportBytes = std::size_t(16) << 20;

/// The session file an imported session saves to: the chosen path without its
/// final extension (from the last "." of the name part, when it has one),
/// followed by ".lsf".
std::string lsfNameFor(const std::string& importedPath);

/// The seed of the program's random generator at the start of a Photosonix
/// import: the milliseconds since midnight, UTC.
std::uint32_t importSeed();
/// Replaces the seed's source (tests); nullptr restores the clock.
void setImportSeedSource(std::function<std::uint32_t()> source);
