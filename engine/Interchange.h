#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

struct ValueTables;

// The interchange container (.lnf): one session with the files it refers to,
// so that it moves to another installation in one piece. A text header of
// exactly 11 lines, each ending in CR LF, then the payloads back to back with
// nothing between them and nothing after:
//
//   1      kLnfMagic
//   2, 3   the session file's name and size
//   4, 5   the tone wav's name and size ("" and "0": none carried)
//   6, 7   the backing-sound wav's name and size (likewise)
//   8..11  user waves 1 to 4: a name ending in ".pcm", or ""
//
//   session bytes | tone wav bytes | backing-sound wav bytes | 8820 bytes for
//   each user-wave line that is not empty, in line order
//
// Names are Windows-1252 bytes without a folder; sizes are decimal, no sign,
// no leading zeros. The export and the import both work from these
// definitions: LnfLayout places the payloads for both, and CheckLnfName is the
// one name rule, so that the export never writes what the import refuses.
// Plain C++, no file system: callers read and write the bytes. The import's
// checks are pure functions of bytes (ParseLnfHeader, CheckLnfSession), so
// that they can be run on any input, hostile ones included:
//
//   auto parsed = ParseLnfHeader(container.substr(0, kLnfBlockBytes), container.size());
//   if (auto* c = std::get_if<LnfContents>(&parsed))
//       CheckLnfSession(container.substr(c->Layout.SessionOffset, c->Header.SessionSize), tables);

/// Line 1, written always.
inline constexpr std::string_view kLnfMagic = "Lumisonorium SW Interchange File (FFV1)";
/// Lines in the header.
inline constexpr int kLnfHeaderLines = 11;
/// User-wave lines (8 to 11).
inline constexpr int kLnfUserWaves = 4;
/// The copy buffer; the wav copies test Cancel after each full block of it.
inline constexpr std::size_t kLnfBlockBytes = 32768;
/// One user-wave payload: a whole user wave file.
inline constexpr std::int64_t kLnfUserWaveBytes = 8820;
/// What the free-space test and the progress count for the user waves:
/// four of them, however many are carried.
inline constexpr std::int64_t kLnfUserWaveAllowance = kLnfUserWaves * kLnfUserWaveBytes;
/// Kept free beyond the payloads by both free-space tests (10 MiB).
inline constexpr std::int64_t kLnfSpaceMargin = 10485760;
/// The largest size a size line may hold: peers read it as a signed 32-bit
/// number.
inline constexpr std::int64_t kLnfMaxFileBytes = 2147483647;

/// The contents of the header. A wav entry is carried when its name is not
/// empty; its size may then be 0 (no bytes follow). A user-wave entry is
/// carried when its name is not empty; its payload is always
/// kLnfUserWaveBytes.
struct LnfHeader {
    std::string SessionName; // Windows-1252, with its extension
    std::int64_t SessionSize = 0;
    std::string ToneName;
    std::int64_t ToneSize = 0;
    std::string BSName;
    std::int64_t BSSize = 0;
    std::array<std::string, kLnfUserWaves> UserWaves; // "Name.pcm" or ""
};

/// The 11 header lines with their CR LF. An entry without a name gets the
/// size "0", whatever its size field holds. Sizes must lie in
/// 0..kLnfMaxFileBytes.
std::string FormatLnfHeader(const LnfHeader& header);

/// Where each payload starts in the container, and the container's length.
/// Offsets count from the container's first byte; the header's own length is
/// given, since a container read from elsewhere may spell its sizes
/// differently from FormatLnfHeader. Sizes must lie in 0..kLnfMaxFileBytes,
/// so no sum can overflow.
struct LnfLayout {
    LnfLayout() = default;
    LnfLayout(const LnfHeader& header, std::int64_t headerBytes);

    std::int64_t SessionOffset = 0;
    std::int64_t ToneOffset = 0; // also where the tone would start when none is carried
    std::int64_t BSOffset = 0;
    /// -1 for a slot without a user wave.
    std::array<std::int64_t, kLnfUserWaves> UserWaveOffsets{};
    /// Header and every payload: the container's exact length.
    std::int64_t TotalBytes = 0;
};

/// The three kinds of name in the header.
enum class LnfName { Session, Wav, UserWave };

/// "" when `name` (Windows-1252) may stand in a header line of that kind,
/// else the reason, a lower-case phrase such as "the name ends in a blank or a
/// dot". A name must not hold a byte below 0x20, 0x7F or one of the bytes
/// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D), nor any of
/// / \ : * ? " < > | (so it is never a path on either side); must not be "." or
/// "..", end in a blank or a dot, or take more than 255 bytes as UTF-8. A
/// session name is not empty and ends in ".lsf" in any case; a user-wave name
/// is a base without "." followed by ".pcm". An empty wav or user-wave name
/// passes: it stands for no entry.
std::string CheckLnfName(LnfName kind, std::string_view name);

/// A header that the import may act on, and where its payloads lie.
struct LnfContents {
    LnfHeader Header;
    LnfLayout Layout;
};

/// Why a container is refused, a sentence that names the line where there is
/// one ("Line 3: ..."), for "Invalid LNF file!".
struct LnfError {
    std::string Reason;
};

/// Reads the header from `start`, the container's first bytes (only the first
/// kLnfBlockBytes count), for a container of `containerBytes` bytes. Refuses
/// anything the import could misread: line 1 other than kLnfMagic; a line
/// that does not end in CR LF (a lone CR or LF, or none within
/// kLnfBlockBytes); a size line other than 1 to 10 digits up to
/// kLnfMaxFileBytes, or other than "0" after an empty name; a session larger
/// than a session file may be (kMaxSessionFileBytes); a name CheckLnfName
/// refuses; payloads that end beyond `containerBytes`. Bytes after the last
/// payload are allowed.
std::variant<LnfContents, LnfError> ParseLnfHeader(std::string_view start, std::int64_t containerBytes);

/// "" when the session payload `bytes` would open as a session file, else the
/// reason (Windows-1252, naming the session file's line).
std::string CheckLnfSession(std::string_view bytes, const ValueTables& tables);
