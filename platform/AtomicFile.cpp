#include "platform/AtomicFile.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileCalls.h"
#include "platform/IoError.h"

namespace {

/// Bytes written between two starts of their writeback to disk.
constexpr std::uint64_t kWritebackBytes = 8 << 20;
/// As many links as the system itself follows before it gives up.
constexpr int kMaxLinkHops = 40;

/// The named temporary: ".lumi-" + 12 of kDigits + ".tmp". The fixed pattern
/// is what tells a temporary that a killed save left behind from a user's file.
constexpr char kTempPrefix[] = ".lumi-";
constexpr char kTempSuffix[] = ".tmp";
constexpr std::size_t kTempRandomChars = 12;
constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
/// A temporary unchanged for this long belongs to no save still running: a
/// save writes its temporary without pause and names it only just before the
/// rename.
constexpr std::time_t kStaleSeconds = 10 * 60;

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

/// `path` with the links at its end followed, also to a name that does not
/// exist yet; empty after too many links (a loop).
std::optional<std::string> followLinks(std::string path)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size())
            return path; // gone meanwhile, or too long: the open reports it
        target.resize(static_cast<std::size_t>(n));
        path = target.front() == '/' ? target : folderOf(path) + "/" + target;
    }
    return std::nullopt;
}

/// A fresh hidden name in `folder`, of the same short length whatever the
/// destination's.
std::string shortTempName(const std::string& folder)
{
    unsigned char random[kTempRandomChars];
    if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
        // Without the kernel's randomness a clock, the process and a counter
        // still differ between tries; O_EXCL catches the rest.
        static std::uint64_t serial = 0;
        std::uint64_t x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                          (static_cast<std::uint64_t>(::getpid()) << 40) ^ ++serial * 0x9E3779B97F4A7C15ULL;
        for (unsigned char& c : random) {
            x ^= x >> 29;
            x *= 0xBF58476D1CE4E5B9ULL;
            c = static_cast<unsigned char>(x >> 56);
        }
    }
    std::string name = folder + "/" + kTempPrefix;
    for (unsigned char c : random)
        name += kDigits[c % (sizeof kDigits - 1)];
    return name + kTempSuffix;
}

bool isTempName(const char* name)
{
    const std::size_t prefix = std::strlen(kTempPrefix), suffix = std::strlen(kTempSuffix);
    if (std::strlen(name) != prefix + kTempRandomChars + suffix || std::strncmp(name, kTempPrefix, prefix) != 0 ||
        std::strcmp(name + prefix + kTempRandomChars, kTempSuffix) != 0)
        return false;
    for (std::size_t i = prefix; i < prefix + kTempRandomChars; ++i)
        if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'z')))
            return false;
    return true;
}

/// Removes from `folder` the named temporaries that a save killed between
/// naming its temporary and the rename left behind, which nothing else would
/// ever remove. Only regular files of the temporary's own pattern, links not
/// followed; whatever cannot be looked at or removed stays.
void removeStaleTemporaries(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int fd = ::dirfd(dir);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTempName(entry->d_name))
            continue;
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            now - st.st_mtime > kStaleSeconds)
            ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

/// Writes all `bytes` from `at` on, across short writes; returns 0 or the
/// errno.
int writeAll(int fd, const void* data, std::size_t bytes, std::uint64_t at)
{
    const auto* p = static_cast<const unsigned char*>(data);
    while (bytes > 0) {
        const ssize_t put = filecalls::pwrite(fd, p, bytes, static_cast<off_t>(at));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (put == 0)
            return ENOSPC;
        p += put;
        bytes -= static_cast<std::size_t>(put);
        at += static_cast<std::uint64_t>(put);
    }
    return 0;
}

/// Makes a rename in `folder` survive a crash; the file is in place already,
/// so a failure here changes nothing the user could act on.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::writeWhole(const std::string& destination, std::string_view bytes, LinkAtDestination link)
{
    AtomicFile file;
    file.open(destination, link);
    file.write(bytes);
    file.commit();
}

void AtomicFile::open(const std::string& destination, LinkAtDestination link)
{
    discard();
    m_given = destination;
    m_destination = destination;
    m_size = 0;
    m_writebackFrom = 0;
    if (link == LinkAtDestination::Follow) {
        const std::optional<std::string> end = followLinks(destination);
        if (!end)
            fail(ELOOP);
        m_destination = *end;
    }

    // Refused now rather than at the rename, after all the work: a folder,
    // a pipe or device, a file the user may not write (the rename would
    // replace it all the same, as the folder allows it).
    struct stat st {};
    bool keepMode = false;
    if (::lstat(m_destination.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            fail(EISDIR);
        if (S_ISREG(st.st_mode)) {
            if (::faccessat(AT_FDCWD, m_destination.c_str(), W_OK, AT_EACCESS) != 0)
                fail(errno);
            keepMode = true;
        } else if (!S_ISLNK(st.st_mode)) {
            fail(std::string("not a regular file"));
        }
    } else if (errno != ENOENT) {
        fail(errno);
    }

    const std::string folder = folderOf(m_destination);
    removeStaleTemporaries(folder);
    createTemporary(folder);
    // A file being replaced keeps its permissions.
    if (keepMode)
        ::fchmod(m_fd, st.st_mode & 07777);
}

void AtomicFile::createTemporary(const std::string& folder)
{
    // 0666: the umask then gives the file the permissions any new file of the
    // user gets (mkstemp's 0600 would not).
#ifdef O_TMPFILE
    m_fd = filecalls::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd >= 0) {
        // The commit links it in through /proc; without /proc, a named one.
        if (::access(("/proc/self/fd/" + std::to_string(m_fd)).c_str(), F_OK) == 0)
            return;
        ::close(m_fd);
        m_fd = -1;
    }
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = shortTempName(folder);
        m_fd = filecalls::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_temp = std::move(name);
            return;
        }
        if (errno != EEXIST)
            fail(errno);
    }
    fail(EEXIST);
}

void AtomicFile::write(const void* data, std::size_t bytes)
{
    if (m_fd < 0)
        fail(EBADF);
    if (const int err = writeAll(m_fd, data, bytes, m_size))
        fail(err);
    m_size += bytes;
    // Start writing what has piled up to disk now, without waiting for it:
    // the flush at commit then finds little left, and a long export does not
    // fill memory with unwritten pages until the system throttles it.
    if (m_size - m_writebackFrom >= kWritebackBytes) {
        ::sync_file_range(m_fd, static_cast<off_t>(m_writebackFrom), static_cast<off_t>(m_size - m_writebackFrom),
                          SYNC_FILE_RANGE_WRITE);
        m_writebackFrom = m_size;
    }
}

void AtomicFile::writeAt(std::uint64_t offset, const void* data, std::size_t bytes)
{
    if (m_fd < 0)
        fail(EBADF);
    if (offset > m_size || bytes > m_size - offset)
        fail(EINVAL);
    if (const int err = writeAll(m_fd, data, bytes, offset))
        fail(err);
}

void AtomicFile::commit()
{
    if (m_fd < 0)
        fail(EBADF);
    // On disk before the rename, so that a crash leaves the old file or the
    // whole new one, never an empty one.
    if (filecalls::fdatasync(m_fd) != 0)
        fail(errno);
    if (m_temp.empty())
        nameTemporary();
    const int fd = m_fd;
    m_fd = -1;
    // Network and FUSE file systems and quotas report lost writes here. The
    // descriptor is gone either way; EINTR loses nothing after the flush.
    if (filecalls::close(fd) != 0 && errno != EINTR)
        fail(errno);
    if (filecalls::rename(m_temp.c_str(), m_destination.c_str()) != 0)
        fail(errno);
    m_temp.clear();
    syncFolder(folderOf(m_destination));
}

void AtomicFile::nameTemporary()
{
    // An unnamed file cannot take the destination's place directly (a link
    // never replaces a name): it gets a short name first, for a moment.
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    const std::string folder = folderOf(m_destination);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = shortTempName(folder);
        if (filecalls::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            m_temp = std::move(name);
            return;
        }
        if (errno != EEXIST)
            fail(errno);
    }
    fail(EEXIST);
}

void AtomicFile::discard() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
}

void AtomicFile::fail(int err)
{
    fail(errnoText(err));
}

void AtomicFile::fail(const std::string& reason)
{
    discard();
    throw IoError(m_given, "write", reason);
}
