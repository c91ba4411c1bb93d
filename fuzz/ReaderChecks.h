#pragma once

#include <span>
#include <string>
#include <string_view>

// Checks of the file readers for hostile input. Each check hands one input to
// a reader the way the programs do and returns the first broken invariant of
// what came back, "" when there is none. A refusal with the reader's own error
// is a good outcome; a crash, a hang, an exception of another kind or a wrong
// result is a fault of the reader. The fuzz programs (FuzzMain.cpp) abort on a
// broken invariant; the tests run every check over the corpus in fuzz/corpus.

struct ValueTables;

using ReaderCheck = std::string (*)(std::string_view bytes);

struct ReaderTarget {
    const char* name; // the fuzz program is fuzz_<name>, its seeds fuzz/corpus/<name>
    ReaderCheck check;
};

/// Every reader under fuzzing.
std::span<const ReaderTarget> readerTargets();
/// The check of the target `name`; nullptr when there is none.
ReaderCheck readerCheck(std::string_view name);

/// The value tables loaded from the shipped data file, for the checks.
const ValueTables& shippedTables();

/// ParseDataFile: a refusal names a line and leaves the tables as they were;
/// accepted tables are consistent, and a session written with them reads back.
std::string checkDataFile(std::string_view bytes);
/// ParseSession, as .lsf and as .lrf, with the shipped tables: every field
/// playable, and what was read writes and reads back to the same session.
std::string checkSession(std::string_view bytes);
/// readPcmSamples (wave table and heart beat), ReadUserWave and the
/// converter's LoadSineTable: all or nothing, the samples as stored.
std::string checkPcmSamples(std::string_view bytes);
/// The wav chunk walk and the looping reader: the data within the file and
/// read back as stored, looping at its end.
std::string checkWavFile(std::string_view bytes);
/// ParsePhotosonix with the shipped tables: every field playable, and the
/// imported session saves and opens again as the same segments.
std::string checkPhotosonix(std::string_view bytes);
/// ParseMindlab with the shipped tables: a refusal names a line of the file
/// (or the one after its last); an import holds 1..2000 playable records,
/// lists its repairs by segment line, and saves to a session that reads back
/// the same, segment 1's ramp aside.
std::string checkMindlab(std::string_view bytes);
/// ParseLnfHeader over the whole input as a container, then CheckLnfSession
/// on its session: no entry name that leaves its folder, payloads within the
/// container, a header that the export writes back alike.
std::string checkLnfContainer(std::string_view bytes);
/// ParsePreset: a refusal names a numeric line and a value the file holds; a
/// preset that was read writes as 17 CR LF lines and reads back the same.
std::string checkPreset(std::string_view bytes);
