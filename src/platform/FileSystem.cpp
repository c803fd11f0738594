#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/Seam.h"
#include "platform/Text.h"

namespace rendix::platform {

namespace {

// Writes and reads go in pieces of at most this size, so every piece is one operation of
// the test seam and large files take several.
constexpr std::size_t kChunk = 64 * 1024;

// Rendix's own temporary names; mkostemp replaces the X's with letters and digits. Leftovers
// of a killed run are recognised by exactly this shape, so nothing else is ever removed.
constexpr QByteArrayView kTempPrefix(".Rendix-");
constexpr QByteArrayView kProbePrefix(".Rendix-probe-");
constexpr QByteArrayView kRandomPart("XXXXXX");
// A leftover untouched for this long is no write in progress (those take far less).
constexpr std::time_t kLeftoverSeconds = 60;

unsigned char listingKey(char c) {
    return static_cast<unsigned char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
}

// Byte order: bytes compared as unsigned, a prefix before the longer name.
bool byteLess(QByteArrayView a, QByteArrayView b) {
    const qsizetype common = std::min(a.size(), b.size());
    const int c = common ? std::memcmp(a.data(), b.data(), static_cast<size_t>(common)) : 0;
    return c != 0 ? c < 0 : a.size() < b.size();
}

bool isHidden(QByteArrayView name) {
    return !name.isEmpty() && name.front() == '.';
}

QString describe(const QByteArray& path) {
    return QFile::decodeName(path);
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The folder part of a resolved path, for the calls that need one ("." when none).
QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return QByteArrayLiteral(".");
    }
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// A folder path without trailing separators, except the root's own.
QByteArray withoutTrailingSeparator(QByteArray dir) {
    while (dir.size() > 1 && dir.endsWith('/')) {
        dir.chop(1);
    }
    return dir;
}

QByteArray lastComponent(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// `dir` as the operating system calls want it: the current folder for the empty path.
QByteArray osPath(const QByteArray& resolved) {
    return resolved.isEmpty() ? QByteArrayLiteral(".") : resolved;
}

QByteArray appendComponent(const QByteArray& resolved, const QByteArray& name) {
    if (resolved.isEmpty()) {
        return name;
    }
    if (resolved.endsWith('/')) {
        return resolved + name;
    }
    return resolved + '/' + name;
}

bool statPath(const QByteArray& path, struct stat& info) {
    return ::stat(path.constData(), &info) == 0;
}

// Calls `visit(entry, folderFd)` for each entry of folder `dir` but "." and "..", until it
// returns false. False when the folder cannot be opened or read to its end.
template <typename Visit>
bool forEachEntry(const QByteArray& dir, Visit visit) {
    DIR* handle = ::opendir(osPath(dir).constData());
    if (handle == nullptr) {
        return false;
    }
    bool complete = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(handle);
        if (entry == nullptr) {
            complete = errno == 0;
            break;
        }
        const QByteArrayView name(entry->d_name);
        if (name != "." && name != ".." && !visit(*entry, ::dirfd(handle))) {
            break;
        }
    }
    ::closedir(handle);
    return complete;
}

// Whether the entry is a file of `type` (S_IFREG, S_IFDIR), a symbolic link counting as
// what it points to; d_type alone cannot tell that.
bool entryLeadsTo(const dirent& entry, int folderFd, mode_t type) {
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return static_cast<mode_t>(DTTOIF(entry.d_type)) == type;
    }
    struct stat info {};
    return ::fstatat(folderFd, entry.d_name, &info, 0) == 0 && (info.st_mode & S_IFMT) == type;
}

// The entry of folder `dir` that equals `component` under ASCII case folding, first in
// byte order. With `sameAs`, only entries that are that file count and the exact name
// wins; without, any entry that leads somewhere counts (not a dangling link).
std::optional<QByteArray> scanFolder(const QByteArray& dir, const QByteArray& component,
                                     const struct stat* sameAs) {
    std::optional<QByteArray> best;
    forEachEntry(dir, [&](const dirent& entry, int folderFd) {
        const QByteArrayView name(entry.d_name);
        if (!equalsFolded(name, component) || (best && !byteLess(name, *best))) {
            return true;
        }
        struct stat info {};
        if (::fstatat(folderFd, entry.d_name, &info, 0) != 0 ||
            (sameAs && (info.st_dev != sameAs->st_dev || info.st_ino != sameAs->st_ino))) {
            return true;
        }
        best = name.toByteArray();
        return !(sameAs && name == QByteArrayView(component));
    });
    return best;
}

QByteArray swapCase(const QByteArray& text) {
    QByteArray swapped = text;
    for (char& c : swapped) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        } else if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return swapped;
}

// The entry of folder `dir` that stands for `component`: the exact name when it exists,
// otherwise the first entry in byte order that equals it under ASCII case folding.
// Entries that lead nowhere (a dangling link) do not count.
std::optional<QByteArray> findEntry(const QByteArray& dir, const QByteArray& component) {
    struct stat info {};
    if (!statPath(appendComponent(dir, component), info)) {
        return scanFolder(dir, component, nullptr);
    }
    // A folder that ignores letter case (vfat, exFAT, casefolded ext4) finds any spelling,
    // so the stored name must come from the listing. Such a folder finds the swapped
    // spelling too; a case-sensitive one almost never holds that as the same file.
    const QByteArray swapped = swapCase(component);
    struct stat other {};
    if (swapped == component || !statPath(appendComponent(dir, swapped), other) ||
        other.st_dev != info.st_dev || other.st_ino != info.st_ino) {
        return component;
    }
    return scanFolder(dir, component, &info).value_or(component);
}

// Splits a path into its non-empty components; `absolute` tells whether it starts at "/".
std::vector<QByteArray> components(const QByteArray& path, bool& absolute) {
    absolute = path.startsWith('/');
    std::vector<QByteArray> parts;
    for (const QByteArray& part : path.split('/')) {
        if (!part.isEmpty()) {
            parts.push_back(part);
        }
    }
    return parts;
}

// Resolves `parts` in turn; every component but the last must be a folder.
std::optional<QByteArray> resolveParts(const std::vector<QByteArray>& parts, bool absolute) {
    QByteArray resolved = absolute ? QByteArrayLiteral("/") : QByteArray();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            struct stat info {};
            if (!statPath(resolved, info) || !S_ISDIR(info.st_mode)) {
                return std::nullopt;
            }
        }
        const std::optional<QByteArray> name = findEntry(resolved, parts[i]);
        if (!name) {
            return std::nullopt;
        }
        resolved = appendComponent(resolved, *name);
    }
    if (resolved.isEmpty()) {
        resolved = QByteArrayLiteral(".");
    }
    return resolved;
}

bool isDirectory(const QByteArray& path) {
    struct stat info {};
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

// The names of the entries of an already resolved folder that are (or lead to) files of
// `type` and that `wanted` accepts, in listing order; none when the folder cannot be read.
template <typename Wanted>
Listing listResolved(const QByteArray& dir, mode_t type, Wanted wanted) {
    Listing listing;
    listing.ok = forEachEntry(dir, [&](const dirent& entry, int folderFd) {
        const QByteArrayView name(entry.d_name);
        if (wanted(name) && entryLeadsTo(entry, folderFd, type)) {
            listing.names.push_back(name.toByteArray());
        }
        return true;
    });
    if (!listing.ok) {
        listing.names.clear();
    }
    sortInListingOrder(listing.names);
    return listing;
}

// An open file descriptor that closes itself.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }
    // Closes and reports whether the close succeeded (it can report a late write error).
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Flush, then sync: with a raw descriptor there is no user-space buffer to flush, but the
// step stays so that a failing flush can be tested like a buffered one.
int flushAndSync(int fd) {
    if (injectFault(Operation::Flush)) {
        return EIO;
    }
    if (injectFault(Operation::Sync)) {
        return EIO;
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

// A hidden temporary file in a folder, removed unless it was kept.
class TempFile {
public:
    explicit TempFile(const QByteArray& dir) {
        QByteArray name =
            appendComponent(dir, kTempPrefix.toByteArray() + kRandomPart.toByteArray());
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0) {
            m_path = name;
            m_fd.reset(fd);
        } else {
            m_error = errno;
        }
    }
    ~TempFile() {
        m_fd.reset();
        if (!m_kept && !m_path.isEmpty()) {
            ::unlink(m_path.constData());
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool valid() const { return m_fd.valid(); }
    int error() const { return m_error; }
    int fd() const { return m_fd.get(); }
    const QByteArray& path() const { return m_path; }
    // Flushes, syncs and closes; 0 or the error number.
    int save() {
        if (const int error = flushAndSync(m_fd.get())) {
            return error;
        }
        return m_fd.close() ? 0 : errno;
    }
    void keep() { m_kept = true; }

private:
    Descriptor m_fd;
    QByteArray m_path;
    int m_error = 0;
    bool m_kept = false;
};

// Writes all of `data`, one seam Write per write() call. Returns 0 or the error number.
int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        if (injectFault(Operation::Write)) {
            return EIO;
        }
        const ssize_t written = ::write(fd, data, std::min(size, kChunk));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (written == 0) {
            return ENOSPC;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

// Makes the rename itself durable; a folder that cannot be synced changes nothing.
void syncFolder(const QByteArray& dir) {
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool unsupported(int error) {
    return error == ENOTSUP || error == EOPNOTSUPP;
}

// Asks `query` (a call shaped like getxattr: buffer and size in, size or -1 out) for its
// whole answer, asking again when the answer grew in between. 0 or the error number.
template <typename Query>
int queryWhole(Query query, QByteArray& answer) {
    for (int tries = 0; tries < 8; ++tries) {
        const ssize_t size = query(nullptr, 0);
        if (size < 0) {
            return errno;
        }
        answer.resize(static_cast<qsizetype>(size));
        const ssize_t got = size == 0 ? 0 : query(answer.data(), static_cast<std::size_t>(size));
        if (got >= 0) {
            answer.truncate(static_cast<qsizetype>(got));
            return 0;
        }
        if (errno != ERANGE) {
            return errno;
        }
    }
    return ERANGE;
}

// Gives the open file `to` the extended attributes of file `from` (POSIX ACLs included:
// they are the system.posix_acl_* attributes), and drops an access ACL that `to` took from
// its folder's default ACL where `from` has none. Runs after the owner and mode are set,
// since setting an ACL sets the group bits from its mask. A file system without extended
// attributes is no error. One seam Read per attribute read and one Write per attribute
// set. 0 or the error number.
int copyAttributes(const QByteArray& from, int to) {
    constexpr char kAccessAcl[] = "system.posix_acl_access";
    QByteArray list;
    if (const int error = queryWhole(
            [&](char* buffer, std::size_t size) {
                return ::listxattr(from.constData(), buffer, size);
            },
            list)) {
        return unsupported(error) ? 0 : error;
    }
    bool hasAccessAcl = false;
    for (const QByteArray& name : list.split('\0')) {
        if (name.isEmpty()) {
            continue;
        }
        hasAccessAcl = hasAccessAcl || name == kAccessAcl;
        if (injectFault(Operation::Read)) {
            return EIO;
        }
        QByteArray value;
        if (const int error = queryWhole(
                [&](char* buffer, std::size_t size) {
                    return ::getxattr(from.constData(), name.constData(), buffer, size);
                },
                value)) {
            if (error == ENODATA) {  // removed meanwhile
                continue;
            }
            return error;
        }
        // What the new file already holds (a security label given by its folder, say) is
        // not set again: setting it may need a privilege that keeping it does not.
        QByteArray current;
        if (queryWhole(
                [&](char* buffer, std::size_t size) {
                    return ::fgetxattr(to, name.constData(), buffer, size);
                },
                current) == 0 &&
            current == value) {
            continue;
        }
        if (injectFault(Operation::Write)) {
            return EIO;
        }
        if (::fsetxattr(to, name.constData(), value.constData(),
                        static_cast<std::size_t>(value.size()), 0) != 0 &&
            !unsupported(errno)) {
            return errno;
        }
    }
    if (!hasAccessAcl && ::fremovexattr(to, kAccessAcl) != 0 && errno != ENODATA &&
        !unsupported(errno)) {
        return errno;
    }
    return 0;
}

bool isLeftoverName(QByteArrayView name) {
    const auto shaped = [name](QByteArrayView prefix) {
        if (!name.startsWith(prefix) || name.size() != prefix.size() + kRandomPart.size()) {
            return false;
        }
        const QByteArrayView random = name.sliced(prefix.size());
        return std::all_of(random.begin(), random.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        });
    };
    return shaped(kTempPrefix) || shaped(kProbePrefix);
}

// Removes the temporary files that killed runs of Rendix left in folder `dir`: plain files
// of Rendix's own temporary naming that were not written to for over a minute. Best effort:
// what cannot be removed stays, and the write goes on.
void removeLeftovers(const QByteArray& dir) {
    const std::time_t now = std::time(nullptr);
    forEachEntry(dir, [&](const dirent& entry, int folderFd) {
        struct stat info {};
        if (isLeftoverName(entry.d_name) &&
            ::fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && now - info.st_mtime > kLeftoverSeconds) {
            ::unlinkat(folderFd, entry.d_name, 0);
        }
        return true;
    });
}

// Where the chain of symbolic links that starts at `link` ends: the real path where it
// leads to something, otherwise as far as the links can be read (for naming it).
QByteArray linkChainEnd(const QByteArray& link, bool& leadsSomewhere) {
    if (char* real = ::realpath(link.constData(), nullptr)) {
        QByteArray result(real);
        std::free(real);
        leadsSomewhere = true;
        return result;
    }
    leadsSomewhere = false;
    QByteArray at = link;
    for (int hop = 0; hop < 40; ++hop) {  // the system's own limit for a chain
        char buffer[PATH_MAX];
        const ssize_t size = ::readlink(at.constData(), buffer, sizeof buffer);
        if (size < 0 || static_cast<std::size_t>(size) == sizeof buffer) {
            break;
        }
        const QByteArray next(buffer, size);
        at = next.startsWith('/') ? next : appendComponent(folderOf(at), next);
    }
    return at;
}

// The file a write to `path` changes: `path` itself, or where the symbolic link (chain)
// `path` leads when that is a regular file whose name ends in ".ini" in any letter case.
// Any other link is refused (Problem::LinkRefused), so that a crafted install cannot make
// Rendix append names to a file such as ~/.bashrc, which a shell would run.
Result writeTarget(const QByteArray& path, QByteArray& target) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        target = path;
        return Result::success();
    }
    bool leadsSomewhere = false;
    const QByteArray end = linkChainEnd(path, leadsSomewhere);
    const QByteArray name = lastComponent(end);
    if (!leadsSomewhere || !statPath(end, info) || !S_ISREG(info.st_mode) || name.size() < 4 ||
        !equalsFolded(QByteArrayView(name).last(4), ".ini")) {
        return Result::failure(
            QStringLiteral("%1 is a symbolic link to %2, which is not a configuration file "
                           "(a regular file whose name ends in .ini); Rendix does not write "
                           "there.")
                .arg(describe(path), describe(end)),
            Problem::LinkRefused, path, end);
    }
    target = end;
    return Result::success();
}

}  // namespace

QByteArray separator() {
    return QByteArrayLiteral("/");
}

QByteArray joinPath(const QByteArray& base, std::initializer_list<QByteArrayView> parts) {
    QByteArray path = base;
    for (QByteArrayView part : parts) {
        path += '/';
        path += part;
    }
    return path;
}

QByteArray foldCase(QByteArrayView text) {
    QByteArray folded(text.data(), text.size());
    for (char& c : folded) {
        c = foldByte(c);
    }
    return folded;
}

bool equalsFolded(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (foldByte(a[i]) != foldByte(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<QByteArray> resolvePath(const QByteArray& path) {
    bool absolute = false;
    const std::vector<QByteArray> parts = components(path, absolute);
    return resolveParts(parts, absolute);
}

std::optional<QByteArray> resolveForWrite(const QByteArray& path) {
    bool absolute = false;
    std::vector<QByteArray> parts = components(path, absolute);
    if (parts.empty()) {
        return std::nullopt;
    }
    const QByteArray name = parts.back();
    parts.pop_back();
    const std::optional<QByteArray> dir = resolveParts(parts, absolute);
    if (!dir || !isDirectory(*dir)) {
        return std::nullopt;
    }
    const QByteArray folder = parts.empty() && !absolute ? QByteArray() : *dir;
    const std::optional<QByteArray> stored = findEntry(folder, name);
    return appendComponent(folder, stored ? *stored : name);
}

std::optional<FileTimes> fileTimes(const QByteArray& path) {
    const std::optional<QByteArray> resolved = resolvePath(path);
    struct stat info {};
    if (!resolved || !statPath(*resolved, info) || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return FileTimes{static_cast<qint64>(info.st_size), static_cast<qint64>(info.st_mtime)};
}

std::optional<FoundFile> lookupFile(const QByteArray& path) {
    const std::optional<QByteArray> resolved = resolvePath(path);
    if (!resolved) {
        return std::nullopt;
    }
    struct stat info {};
    const QByteArray name = lastComponent(*resolved);
    if (isHidden(name) || !statPath(*resolved, info) || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return FoundFile{*resolved, name};
}

bool folderExists(const QByteArray& dir) {
    const std::optional<QByteArray> resolved = resolvePath(dir);
    return resolved && isDirectory(*resolved);
}

bool wildcardMatch(QByteArrayView pattern, QByteArrayView name) {
    // Greedy matching with one backtrack point: the last "*" seen.
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || foldByte(pattern[p]) == foldByte(name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool listingLess(QByteArrayView a, QByteArrayView b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const unsigned char x = listingKey(a[i]);
        const unsigned char y = listingKey(b[i]);
        if (x != y) {
            return x < y;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return byteLess(a, b);
}

void sortInListingOrder(std::vector<QByteArray>& names) {
    // Each name's key, a-z folded to A-Z, is made once; comparing keys is then a plain
    // comparison of bytes, which is what listingLess does one byte at a time.
    struct Keyed {
        QByteArray key;
        QByteArray name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (QByteArray& name : names) {
        QByteArray key(name.size(), Qt::Uninitialized);
        std::transform(name.begin(), name.end(), key.begin(),
                       [](char c) { return static_cast<char>(listingKey(c)); });
        keyed.push_back({std::move(key), std::move(name)});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int byKey = a.key.compare(b.key);
        return byKey != 0 ? byKey < 0 : byteLess(a.name, b.name);
    });
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = std::move(keyed[i].name);
    }
}

Listing listFiles(const QByteArray& dir, QByteArrayView pattern) {
    if (injectFault(Operation::List)) {
        return {false, {}};
    }
    const std::optional<QByteArray> resolved = resolvePath(dir);
    if (!resolved || !isDirectory(*resolved)) {
        return {};
    }
    return listResolved(*resolved, S_IFREG, [&](QByteArrayView name) {
        return !isHidden(name) && wildcardMatch(pattern, name);
    });
}

std::optional<QByteArray> readFile(const QByteArray& path) {
    QByteArray bytes;
    if (!readFileChecked(path, bytes)) {
        return std::nullopt;
    }
    return bytes;
}

Result readFileChecked(const QByteArray& path, QByteArray& bytes) {
    const auto missing = [&] {
        return Result::failure(QStringLiteral("There is no file %1.").arg(describe(path)),
                               Problem::Missing, path);
    };
    const auto unreadable = [&](int error) {
        return Result::failure(systemError(error), Problem::Unreadable, path);
    };
    const std::optional<QByteArray> resolved = resolvePath(path);
    if (!resolved) {
        return missing();
    }
    if (injectFault(Operation::Open)) {
        return unreadable(EIO);
    }
    Descriptor fd(::open(resolved->constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return errno == ENOENT ? missing() : unreadable(errno);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        return unreadable(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return missing();
    }
    QByteArray content;
    content.reserve(static_cast<qsizetype>(info.st_size));
    char buffer[kChunk];
    for (;;) {
        if (injectFault(Operation::Read)) {
            return unreadable(EIO);
        }
        ssize_t got = 0;
        do {
            got = ::read(fd.get(), buffer, sizeof buffer);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            return unreadable(errno);
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, static_cast<qsizetype>(got));
    }
    bytes = std::move(content);
    return Result::success();
}

Listing listFolders(const QByteArray& dir) {
    if (injectFault(Operation::List)) {
        return {false, {}};
    }
    const std::optional<QByteArray> resolved = resolvePath(dir);
    if (!resolved || !isDirectory(*resolved)) {
        return {false, {}};
    }
    return listResolved(*resolved, S_IFDIR, [](QByteArrayView) { return true; });
}

QByteArray expandUserPath(const QByteArray& typed) {
    if (typed == "~") {
        return homeFolder();
    }
    if (typed.startsWith("~/")) {
        return homeFolder() + typed.mid(1);
    }
    return typed;
}

Result replaceFile(const QByteArray& path, const QByteArray& bytes) {
    const std::optional<QByteArray> writePath = resolveForWrite(path);
    if (!writePath) {
        return Result::failure(
            QStringLiteral("The folder of %1 does not exist.").arg(describe(path)),
            Problem::Missing, path);
    }
    QByteArray target;
    if (Result refused = writeTarget(*writePath, target); !refused) {
        return refused;
    }
    const auto failure = [&](const QString& why, Problem problem = Problem::Other) {
        return Result::failure(why, problem, *writePath);
    };
    struct stat old {};
    const bool existed = ::stat(target.constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) {
        return failure(QStringLiteral("%1 is not a plain file.").arg(describe(target)));
    }
    // As on Windows, a file without any write bit is read-only, for root too: a user who
    // protects the file from the game means it.
    if (existed && (old.st_mode & 0222) == 0) {
        return failure(QStringLiteral("%1 is read-only.").arg(describe(target)), Problem::ReadOnly);
    }
    const QByteArray dir = folderOf(target);
    removeLeftovers(dir);
    TempFile temp(dir);
    const auto fail = [&](const QString& step, int error) {
        return failure(
            QStringLiteral("Cannot %1 %2: %3").arg(step, describe(target), systemError(error)));
    };
    if (!temp.valid()) {
        return fail(QStringLiteral("create a temporary file to write"), temp.error());
    }
    if (const int error =
            writeAll(temp.fd(), bytes.constData(), static_cast<std::size_t>(bytes.size()))) {
        return fail(QStringLiteral("write"), error);
    }
    if (existed) {
        // Owner first: changing it may clear the set-id bits that the mode then restores.
        struct stat now {};
        if (::fstat(temp.fd(), &now) != 0) {
            return fail(QStringLiteral("inspect the temporary file of"), errno);
        }
        if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
            ::fchown(temp.fd(), old.st_uid, old.st_gid) != 0) {
            return fail(QStringLiteral("keep the owner of"), errno);
        }
        if (::fchmod(temp.fd(), old.st_mode & 07777) != 0) {
            return fail(QStringLiteral("keep the permissions of"), errno);
        }
        if (const int error = copyAttributes(target, temp.fd())) {
            return fail(QStringLiteral("keep the extended attributes (ACLs) of"), error);
        }
    } else if (::fchmod(temp.fd(), 0666 & ~currentUmask()) != 0) {
        return fail(QStringLiteral("set the permissions of"), errno);
    }
    if (const int error = temp.save()) {
        return fail(QStringLiteral("save"), error);
    }
    if (injectFault(Operation::Rename)) {
        return fail(QStringLiteral("replace"), EIO);
    }
    if (::rename(temp.path().constData(), target.constData()) != 0) {
        return fail(QStringLiteral("replace"), errno);
    }
    temp.keep();
    syncFolder(dir);
    return Result::success();
}

Result copyFileNew(const QByteArray& source, const QByteArray& target) {
    if (injectFault(Operation::Copy)) {
        return Result::failure(
            QStringLiteral("Cannot copy %1 to %2.").arg(describe(source), describe(target)),
            Problem::Other, target);
    }
    const std::optional<QByteArray> from = resolvePath(source);
    struct stat info {};
    if (!from || !statPath(*from, info) || !S_ISREG(info.st_mode)) {
        return Result::failure(QStringLiteral("There is no file %1.").arg(describe(source)),
                               Problem::Missing, source);
    }
    // Any letter case of the target counts as the target: the resolver finds it.
    const std::optional<QByteArray> to = resolveForWrite(target);
    if (!to) {
        return Result::failure(
            QStringLiteral("The folder of %1 does not exist.").arg(describe(target)),
            Problem::Missing, target);
    }
    const auto taken = [&] {
        return Result::failure(QStringLiteral("%1 already exists.").arg(describe(*to)),
                               Problem::Exists, *to);
    };
    struct stat existing {};
    if (::lstat(to->constData(), &existing) == 0) {
        return taken();
    }
    const auto fail = [&](const QString& step, int error) {
        return Result::failure(QStringLiteral("Cannot %1 while copying %2 to %3: %4")
                                   .arg(step, describe(*from), describe(*to), systemError(error)),
                               Problem::Other, *to);
    };
    const auto unreadable = [&](int error) {
        return Result::failure(
            QStringLiteral("Cannot read %1: %2").arg(describe(*from), systemError(error)),
            Problem::Unreadable, *from);
    };
    if (injectFault(Operation::Open)) {
        return unreadable(EIO);
    }
    Descriptor in(::open(from->constData(), O_RDONLY | O_CLOEXEC));
    if (!in.valid() || ::fstat(in.get(), &info) != 0) {
        return unreadable(errno);
    }
    const QByteArray dir = folderOf(*to);
    removeLeftovers(dir);
    TempFile temp(dir);
    if (!temp.valid()) {
        return fail(QStringLiteral("create a temporary file"), temp.error());
    }
    char buffer[kChunk];
    for (;;) {
        if (injectFault(Operation::Read)) {
            return unreadable(EIO);
        }
        const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return unreadable(errno);
        }
        if (got == 0) {
            break;
        }
        if (const int error = writeAll(temp.fd(), buffer, static_cast<std::size_t>(got))) {
            return fail(QStringLiteral("write"), error);
        }
    }
    // The copy keeps the source's owner where allowed (a run under sudo should not leave
    // root's files in the game's folder) and always its permission bits and attributes.
    (void)!::fchown(temp.fd(), info.st_uid, info.st_gid);
    if (::fchmod(temp.fd(), info.st_mode & 07777) != 0) {
        return fail(QStringLiteral("set the permissions"), errno);
    }
    if (const int error = copyAttributes(*from, temp.fd())) {
        return fail(QStringLiteral("copy the extended attributes (ACLs)"), error);
    }
    if (const int error = temp.save()) {
        return fail(QStringLiteral("save"), error);
    }
    if (injectFault(Operation::Rename)) {
        return fail(QStringLiteral("rename"), EIO);
    }
    // Never replaces: link() refuses an existing name. Where the file system has no hard
    // links, renameat2 with RENAME_NOREPLACE gives the same guarantee. A name taken since
    // the check above (another Rendix making the same backup) is reported as taken, so
    // that the caller can move on to another name; the temporary file goes either way.
    if (::link(temp.path().constData(), to->constData()) != 0) {
        const int linkError = errno;
        if (linkError == EEXIST) {
            return taken();
        }
        if (::renameat2(AT_FDCWD, temp.path().constData(), AT_FDCWD, to->constData(),
                        RENAME_NOREPLACE) != 0) {
            const int renameError = errno;
            if (renameError == EEXIST) {
                return taken();
            }
            return fail(QStringLiteral("rename"), renameError == EINVAL ? linkError : renameError);
        }
        temp.keep();
    }
    syncFolder(dir);
    return Result::success();
}

Result removeFile(const QByteArray& path) {
    const std::optional<QByteArray> resolved = resolvePath(path);
    if (!resolved) {
        return Result::failure(QStringLiteral("There is no file %1.").arg(describe(path)));
    }
    if (injectFault(Operation::Delete)) {
        return Result::failure(QStringLiteral("Cannot delete %1.").arg(describe(*resolved)));
    }
    if (::unlink(resolved->constData()) != 0) {
        return Result::failure(
            QStringLiteral("Cannot delete %1: %2").arg(describe(*resolved), systemError(errno)));
    }
    return Result::success();
}

Result removeMatching(const QByteArray& dir, QByteArrayView pattern) {
    const Listing listing = listFiles(dir, pattern);
    if (!listing.ok) {
        return Result::failure(QStringLiteral("Cannot list %1.").arg(describe(dir)));
    }
    if (listing.names.empty()) {
        return Result::success();
    }
    const QByteArray folder = resolvePath(dir).value_or(dir);
    QStringList failed;
    for (const QByteArray& name : listing.names) {
        const QByteArray path = appendComponent(folder, name);
        if (injectFault(Operation::Delete) || ::unlink(path.constData()) != 0) {
            failed.append(describe(path));
        }
    }
    if (!failed.isEmpty()) {
        return Result::failure(
            QStringLiteral("Cannot delete %1.").arg(failed.join(QStringLiteral(", "))));
    }
    return Result::success();
}

bool canCreateFileIn(const QByteArray& dir) {
    const std::optional<QByteArray> resolved = resolvePath(dir);
    if (!resolved || !isDirectory(*resolved)) {
        return false;
    }
    QByteArray probe =
        appendComponent(*resolved, kProbePrefix.toByteArray() + kRandomPart.toByteArray());
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool closed = ::close(fd) == 0;
    return ::unlink(probe.constData()) == 0 && closed;
}

QByteArray programDirectory() {
    if (const TestSeam* seam = TestSeam::active(); seam && seam->programDirectory()) {
        return *seam->programDirectory();
    }
    return withoutTrailingSeparator(QFile::encodeName(QCoreApplication::applicationDirPath()));
}

QByteArray userConfigFolder() {
    if (const TestSeam* seam = TestSeam::active(); seam && seam->userConfigFolder()) {
        return *seam->userConfigFolder();
    }
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QByteArray homeFolder() {
    if (const TestSeam* seam = TestSeam::active(); seam && seam->homeFolder()) {
        return *seam->homeFolder();
    }
    return withoutTrailingSeparator(QFile::encodeName(QDir::homePath()));
}

std::vector<QByteArray> perUserGameConfigFiles() {
    return {joinPath(homeFolder(), {".utpg", "System", "UnrealTournament.ini"})};
}

bool startProgram(const QByteArray& path) {
    if (TestSeam* seam = TestSeam::active()) {
        return seam->recordStart(path);
    }
    return QProcess::startDetached(QFile::decodeName(path), {});
}

}  // namespace rendix::platform
