#include "platform/Files.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>

#include "platform/Paths.h"
#include "platform/Posix.h"
#include "platform/Seam.h"
#include "platform/Text.h"

namespace rendix::platform {

namespace {

// Writes and reads go in pieces of at most this size, so every piece is one operation of
// the test seam and large files take several.
constexpr std::size_t kChunk = 64 * 1024;

// A leftover untouched for this long is no write in progress (those take far less).
constexpr std::time_t kLeftoverSeconds = 60;

QString describe(const QByteArray& path) {
    return QFile::decodeName(path);
}

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

// What a failure message calls the steps that differ between a rewrite and a copy (a copy
// has no steps that inspect the temporary file or must keep an owner).
struct StepNames {
    const char* createTemporary = nullptr;
    const char* inspect = nullptr;
    const char* owner = nullptr;
    const char* mode = nullptr;
    const char* attributes = nullptr;
    const char* place = nullptr;
};

QString stepName(Step step, const StepNames& names) {
    // In the order of Step; a caller reports a failed read or a taken name in its own way.
    const char* const byStep[] = {
        names.createTemporary, "read", "write",     names.inspect,  names.owner, names.mode,
        names.attributes,      "save", names.place, "take the name"};
    static_assert(std::size(byStep) == static_cast<std::size_t>(Step::Taken) + 1);
    return QString::fromLatin1(byStep[static_cast<std::size_t>(step)]);
}

// Where a chain of symbolic links ends.
struct LinkEnd {
    QByteArray path;  // the real path where it leads to something, else as far as it goes
    bool leadsSomewhere = false;
};

LinkEnd linkChainEnd(const QByteArray& link) {
    if (char* real = ::realpath(link.constData(), nullptr)) {
        LinkEnd end{QByteArray(real), true};
        std::free(real);
        return end;
    }
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
    return {at, false};
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
    const LinkEnd end = linkChainEnd(path);
    const QByteArray name = lastComponent(end.path);
    if (!end.leadsSomewhere || !statPath(end.path, info) || !S_ISREG(info.st_mode) ||
        name.size() < 4 || !equalsFolded(QByteArrayView(name).last(4), ".ini")) {
        return Result::failure(
            QStringLiteral("%1 is a symbolic link to %2, which is not a configuration file "
                           "(a regular file whose name ends in .ini); Rendix does not write "
                           "there.")
                .arg(describe(path), describe(end.path)),
            Problem::LinkRefused, path, end.path);
    }
    target = end.path;
    return Result::success();
}

}  // namespace

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
    const Likeness like{existed ? &old : nullptr, target, OwnerRule::MustKeep};
    const StepFailure made = writeThroughTemporary(target, like, Placement::Replace, [&](int fd) {
        return StepFailure{Step::Write,
                           writeAll(fd, bytes.constData(), static_cast<std::size_t>(bytes.size()))};
    });
    if (!made.error) {
        return Result::success();
    }
    const StepNames names{.createTemporary = "create a temporary file to write",
                          .inspect = "inspect the temporary file of",
                          .owner = "keep the owner of",
                          .mode = existed ? "keep the permissions of" : "set the permissions of",
                          .attributes = "keep the extended attributes (ACLs) of",
                          .place = "replace"};
    return failure(QStringLiteral("Cannot %1 %2: %3")
                       .arg(stepName(made.step, names), describe(target), systemError(made.error)));
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
    const StepNames names{.createTemporary = "create a temporary file",
                          .mode = "set the permissions",
                          .attributes = "copy the extended attributes (ACLs)",
                          .place = "rename"};
    return Result::failure(QStringLiteral("Cannot %1 while copying %2 to %3: %4")
                               .arg(stepName(made.step, names), describe(*from), describe(*to),
                                    systemError(made.error)),
                           Problem::Other, *to);
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

}  // namespace rendix::platform
