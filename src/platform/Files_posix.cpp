#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Posix.h"
#include "platform/Seam.h"

namespace rendix::platform {

QString describe(const QByteArray& path) {
    return shownName(path);
}

QString injectedFault() {
    return systemError(EIO);
}

namespace {

// Writes and reads go in pieces of at most this size, so every piece is one operation of
// the test seam and large files take several.
constexpr std::size_t kChunk = 64 * 1024;

// A leftover untouched for this long is no write in progress (those take far less).
constexpr std::time_t kLeftoverSeconds = 60;

// Reads the next piece of `fd` into `buffer`, of kChunk bytes (one seam Read), reading
// again where a signal interrupted. 0 or the error number; `got` is 0 at the end of the file.
int readPiece(int fd, char* buffer, std::size_t& got) {
    if (injectFault(Operation::Read)) {
        return EIO;
    }
    ssize_t size = 0;
    do {
        size = ::read(fd, buffer, kChunk);
    } while (size < 0 && errno == EINTR);
    if (size < 0) {
        return errno;
    }
    got = static_cast<std::size_t>(size);
    return 0;
}

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

// Makes a rename itself durable; a folder that cannot be synced changes nothing.
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

// A hidden temporary file in a folder, removed unless it was kept.
class TempFile {
public:
    explicit TempFile(const QByteArray& dir) {
        QByteArray name = appendComponent(
            dir, kTemporaryPrefix.toByteArray() + QByteArray(kTemporaryRandomLength, 'X'));
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

// The steps of making a file through a temporary one.
enum class Step {
    CreateTemporary,
    Read,   // the content's source
    Write,  // the content
    Inspect,
    Owner,
    Mode,
    Attributes,
    Save,   // flush, sync and close
    Place,  // the final rename or link
    Taken,  // the final name, where it must not be replaced
};

// The step that failed and the system's error number; an error number of 0 is success.
struct StepFailure {
    Step step = Step::Save;
    int error = 0;
};

// Whether a file that takes another's owner must have it (a rewrite, which keeps the
// file's owner) or takes it only where the system allows (a copy).
enum class OwnerRule { MustKeep, WhereAllowed };

// The file whose owner, group, permission bits and extended attributes a new file takes.
struct Likeness {
    const struct stat* model = nullptr;  // none: a new file with the usual mode, no attributes
    QByteArray attributesFrom;
    OwnerRule owner = OwnerRule::MustKeep;
};

StepFailure takeLikeness(int fd, const Likeness& like) {
    if (like.model == nullptr) {
        // The usual mode, not the temporary file's private one.
        return {Step::Mode, ::fchmod(fd, 0666 & ~currentUmask()) == 0 ? 0 : errno};
    }
    const struct stat& model = *like.model;
    if (like.owner == OwnerRule::MustKeep) {
        // Owner first: changing it may clear the set-id bits that the mode then restores.
        struct stat now {};
        if (::fstat(fd, &now) != 0) {
            return {Step::Inspect, errno};
        }
        if ((now.st_uid != model.st_uid || now.st_gid != model.st_gid) &&
            ::fchown(fd, model.st_uid, model.st_gid) != 0) {
            return {Step::Owner, errno};
        }
    } else {
        // A run under sudo should not leave root's files in the game's folder, and a plain
        // user cannot give a file away.
        (void)!::fchown(fd, model.st_uid, model.st_gid);
    }
    if (::fchmod(fd, model.st_mode & 07777) != 0) {
        return {Step::Mode, errno};
    }
    return {Step::Attributes, copyAttributes(like.attributesFrom, fd)};
}

// How a finished temporary file takes the target's name.
enum class Placement {
    Replace,       // over the target, in one rename
    NeverReplace,  // only while the name is free; Step::Taken otherwise
};

StepFailure place(TempFile& temp, const QByteArray& target, Placement placement) {
    if (placement == Placement::Replace) {
        if (::rename(temp.path().constData(), target.constData()) != 0) {
            return {Step::Place, errno};
        }
        temp.keep();
        return {};
    }
    // link() refuses an existing name, and the temporary name then goes. Where the file
    // system has no hard links, renameat2 with RENAME_NOREPLACE gives the same guarantee.
    if (::link(temp.path().constData(), target.constData()) == 0) {
        return {};
    }
    const int linkError = errno;
    if (linkError == EEXIST) {
        return {Step::Taken, linkError};
    }
    if (::renameat2(AT_FDCWD, temp.path().constData(), AT_FDCWD, target.constData(),
                    RENAME_NOREPLACE) != 0) {
        const int renameError = errno;
        return {renameError == EEXIST ? Step::Taken : Step::Place,
                renameError == EINVAL ? linkError : renameError};
    }
    temp.keep();
    return {};
}

// Makes the file `target` (resolved) through a hidden temporary file in its folder, after
// removing the folder's leftovers: `fill(fd)` writes the content and returns a
// StepFailure; then the file takes the owner, mode and attributes `like` names, is flushed,
// synced and closed, and takes the target's name as `placement` says. Whatever step fails,
// the temporary file goes and the target stays as it was.
template <typename Fill>
StepFailure writeThroughTemporary(const QByteArray& target, const Likeness& like,
                                  Placement placement, Fill fill) {
    const QByteArray dir = folderOf(target);
    removeLeftovers(dir);
    TempFile temp(dir);
    if (!temp.valid()) {
        return {Step::CreateTemporary, temp.error()};
    }
    if (const StepFailure filled = fill(temp.fd()); filled.error) {
        return filled;
    }
    if (const StepFailure taken = takeLikeness(temp.fd(), like); taken.error) {
        return taken;
    }
    if (const int error = temp.save()) {
        return {Step::Save, error};
    }
    if (injectFault(Operation::Rename)) {
        return {Step::Place, EIO};
    }
    if (const StepFailure placed = place(temp, target, placement); placed.error) {
        return placed;
    }
    syncFolder(dir);
    return {};
}

// What a failed step says, reading on from "could not write <path>: " (or "could not back
// up <source>: "): the file or folder concerned, unless the step wrote the very file the
// message names, and the system's reason.
struct StepWords {
    QByteArray folder;                 // where the temporary file goes
    QByteArray file;                   // the file made or rewritten
    bool namesFile = false;            // whether the message already names `file`
    const char* mode = nullptr;        // "keep the permissions of", "set the permissions of"
    const char* attributes = nullptr;  // "keep the extended attributes (ACLs) of", ...
};

QString stepError(const StepFailure& failed, const StepWords& words) {
    const QString reason = systemError(failed.error);
    const auto concerning = [&](const char* what, const QByteArray& path) {
        return QStringLiteral("cannot %1 %2: %3").arg(QLatin1String(what), describe(path), reason);
    };
    switch (failed.step) {
        case Step::CreateTemporary:
            return concerning("create a temporary file in", words.folder);
        case Step::Inspect:
            return concerning("inspect the temporary file of", words.file);
        case Step::Owner:
            return concerning("keep the owner of", words.file);
        case Step::Mode:
            return concerning(words.mode, words.file);
        case Step::Attributes:
            return concerning(words.attributes, words.file);
        default:  // the content, its saving and the final rename: writing the file itself
            return words.namesFile ? reason : concerning("write", words.file);
    }
}

}  // namespace

std::optional<LinkEnd> linkEnd(const QByteArray& path) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return std::nullopt;
    }
    if (char* real = ::realpath(path.constData(), nullptr)) {
        LinkEnd end{QByteArray(real), true};
        std::free(real);
        return end;
    }
    QByteArray at = path;
    for (int hop = 0; hop < 40; ++hop) {  // the system's own limit for a chain
        char buffer[PATH_MAX];
        const ssize_t size = ::readlink(at.constData(), buffer, sizeof buffer);
        if (size < 0 || static_cast<std::size_t>(size) == sizeof buffer) {
            break;
        }
        const QByteArray next(buffer, size);
        at = next.startsWith('/') ? next : appendComponent(folderOf(at), next);
    }
    return LinkEnd{at, false};
}

FileState fileState(const QByteArray& path) {
    struct stat info {};
    if (!statPath(path, info)) {
        return {};
    }
    return {S_ISREG(info.st_mode) ? FileKind::Regular : FileKind::Other,
            (info.st_mode & 0222) == 0};
}

Result readResolved(const QByteArray& path, const QByteArray& resolved, Links links,
                    QByteArray& bytes) {
    const auto missing = [&] { return noFile(path); };
    const auto unreadable = [&](int error) {
        return platform::unreadable(path, systemError(error));
    };
    const int noLinks = links == Links::Excluded ? O_NOFOLLOW : 0;
    Descriptor fd(::open(resolved.constData(), O_RDONLY | O_CLOEXEC | noLinks));
    if (!fd.valid()) {
        if (errno == ELOOP && noLinks) {
            return Result::failure(QStringLiteral("the file is a symbolic link"),
                                   Problem::Unreadable, path);
        }
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
        std::size_t got = 0;
        if (const int error = readPiece(fd.get(), buffer, got)) {
            return unreadable(error);
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, static_cast<qsizetype>(got));
    }
    bytes = std::move(content);
    return Result::success();
}

Result rewriteFile(const RewriteTarget& target, const QByteArray& bytes) {
    struct stat old {};
    const bool existed = ::stat(target.file.constData(), &old) == 0;
    const Likeness like{existed ? &old : nullptr, target.file, OwnerRule::MustKeep};
    const StepFailure made =
        writeThroughTemporary(target.file, like, Placement::Replace, [&](int fd) {
            return StepFailure{Step::Write, writeAll(fd, bytes.constData(),
                                                     static_cast<std::size_t>(bytes.size()))};
        });
    if (!made.error) {
        return Result::success();
    }
    const StepWords words{.folder = folderOf(target.file),
                          .file = target.file,
                          .namesFile = target.file == target.path,
                          .mode = existed ? "keep the permissions of" : "set the permissions of",
                          .attributes = "keep the extended attributes (ACLs) of"};
    return Result::failure(stepError(made, words), Problem::Other, target.path);
}

Result copyFileNew(const QByteArray& source, const QByteArray& target) {
    if (injectFault(Operation::Copy)) {
        return copyFault(target);
    }
    const std::optional<QByteArray> from = resolvePath(source);
    struct stat info {};
    if (!from || !statPath(*from, info) || !S_ISREG(info.st_mode)) {
        return noFile(source);
    }
    // Any letter case of the target counts as the target: the resolver finds it.
    const std::optional<QByteArray> to = resolveForWrite(target);
    if (!to) {
        return noFolderFor(target);
    }
    const auto taken = [&] { return nameTaken(*to); };
    struct stat existing {};
    if (::lstat(to->constData(), &existing) == 0) {
        return taken();
    }
    const auto unreadable = [&](int error) { return unreadableSource(*from, systemError(error)); };
    if (injectFault(Operation::Open)) {
        return unreadable(EIO);
    }
    Descriptor in(::open(from->constData(), O_RDONLY | O_CLOEXEC));
    if (!in.valid() || ::fstat(in.get(), &info) != 0) {
        return unreadable(errno);
    }
    // A name taken since the look above (another Rendix making the same backup) is
    // reported as taken, so that the caller can move on to another name.
    const Likeness like{&info, *from, OwnerRule::WhereAllowed};
    const StepFailure made = writeThroughTemporary(*to, like, Placement::NeverReplace, [&](int fd) {
        char buffer[kChunk];
        for (;;) {
            std::size_t got = 0;
            if (const int error = readPiece(in.get(), buffer, got)) {
                return StepFailure{Step::Read, error};
            }
            if (got == 0) {
                return StepFailure{};
            }
            if (const int error = writeAll(fd, buffer, got)) {
                return StepFailure{Step::Write, error};
            }
        }
    });
    if (!made.error) {
        return Result::success();
    }
    if (made.step == Step::Read) {
        return unreadable(made.error);
    }
    if (made.step == Step::Taken) {
        return taken();
    }
    const StepWords words{.folder = folderOf(*to),
                          .file = *to,
                          .mode = "set the permissions of",
                          .attributes = "copy the extended attributes (ACLs) to"};
    return Result::failure(stepError(made, words), Problem::Other, *to);
}

Result removeResolved(const QByteArray& resolved) {
    if (::unlink(resolved.constData()) != 0) {
        return Result::failure(
            QStringLiteral("Cannot delete %1: %2").arg(describe(resolved), systemError(errno)));
    }
    return Result::success();
}

}  // namespace rendix::platform
