#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

/// What AtomicFile does when the destination is a symbolic link.
enum class LinkAtDestination {
    /// Replace the file the link names; the link stays and shows the new
    /// content. A dangling link names the file to create. Sessions and wav
    /// exports write this way.
    Follow,
    /// Replace the link itself by the new file; the file it named stays as it
    /// was. For files that must never write through a link they did not make.
    Replace,
};

/// The one writer of whole files: the destination holds either its previous
/// content or the complete new one, never a part, whatever the disk, the file
/// system or a crash does in between. Every program file that is written
/// whole (sessions, wav exports, presets, user waves, containers) goes
/// through it.
///
/// The bytes go to a temporary in the destination's folder: an unnamed file
/// (O_TMPFILE) that gets a name only at commit, where the file system supports
/// it, so that a crash while writing leaves nothing behind; elsewhere a hidden
/// name of fixed, short length (".lumi-" + 12 characters + ".tmp"), so that a
/// destination name of any length works. Every write, the flush to disk
/// (fdatasync) and the close are checked before the rename puts the file in
/// the destination's place. A replaced file keeps its permission bits; a new
/// one gets those of any new file of the user (0666 less the umask).
///
/// Every failure throws IoError(destination as given, "write", reason) and
/// removes the temporary; discard() and the destructor remove it as well, so
/// that nothing is left behind but the destination as it was. One object
/// writes one file at a time; not shared between threads.
///
///     AtomicFile out;
///     out.open(path);          // refuses a folder or a file the user may not write
///     out.write(bytes);        // as often as needed
///     out.commit();            // or nothing: the destructor discards
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// open, write and commit in one call.
    static void writeWhole(const std::string& destination, std::string_view bytes,
                           LinkAtDestination link = LinkAtDestination::Follow);

    /// Checks the destination, then creates the temporary; discards a file
    /// still open first. Before anything is created it refuses a destination
    /// (with Follow: the end of its links) that exists and is a directory or
    /// anything else but a regular file, or that the user may not write, so
    /// that a caller learns it before it works for nothing. Also removes
    /// from that folder the named temporaries that earlier saves, killed
    /// between naming one and the rename, left behind: files of the
    /// temporary's own pattern, unchanged for over ten minutes.
    void open(const std::string& destination, LinkAtDestination link = LinkAtDestination::Follow);
    /// Appends `bytes` bytes.
    void write(const void* data, std::size_t bytes);
    void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
    /// Overwrites bytes already written, from `offset` on: a header whose
    /// sizes are known only at the end. The range must lie within size().
    void writeAt(std::uint64_t offset, const void* data, std::size_t bytes);
    /// Flushes the file to disk, closes it and puts it in the destination's
    /// place. Nothing is open afterwards, also when it throws.
    void commit();
    /// Closes and removes the temporary; does nothing when nothing is open.
    void discard() noexcept;

    bool isOpen() const { return m_fd >= 0; }
    /// The file that commit replaces: the destination, a followed link
    /// resolved.
    const std::string& destination() const { return m_destination; }
    /// Bytes written so far.
    std::uint64_t size() const { return m_size; }

private:
    void createTemporary(const std::string& folder);
    void nameTemporary();
    [[noreturn]] void fail(int err);
    [[noreturn]] void fail(const std::string& reason);

    int m_fd = -1;
    std::string m_given;       // the destination as the caller named it, for messages
    std::string m_destination; // what the rename replaces
    std::string m_temp;        // the temporary's name; empty while it has none
    std::uint64_t m_size = 0;
    std::uint64_t m_writebackFrom = 0; // bytes before it are on their way to disk
};
