#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Posix.h"

namespace rendix::platform {

namespace {

// How long a waiting writer sleeps between two tries.
constexpr auto kRetry = std::chrono::milliseconds(50);

// Never through a symbolic link planted at the lock file's name, and never waiting on a
// named pipe planted there.
constexpr int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

// Opens the lock file at `path`, creating it where it is missing (`created` then says so):
// for writing where this account may, otherwise for reading, which is all flock needs. -1
// with errno set on failure.
int openLockFile(const QByteArray& path, bool& created) {
    created = false;
    for (;;) {
        int fd = ::open(path.constData(), O_RDWR | kOpenFlags);
        if (fd >= 0) {
            return fd;
        }
        if (errno == EACCES || errno == EPERM || errno == EROFS) {
            // Another account's lock file, or one on a read-only mount.
            return ::open(path.constData(), O_RDONLY | kOpenFlags);
        }
        if (errno != ENOENT) {
            return -1;
        }
        // Readable and writable by everyone the umask lets in: the lock file is empty, and a
        // server account and its admin share it.
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | kOpenFlags, 0666);
        if (fd >= 0 || errno != EEXIST) {
            created = fd >= 0;
            return fd;
        }
        // Another process made it meanwhile: open that one.
    }
}

// Gives a lock file just made the owner and group of the file it guards (of its folder where
// the file is missing), so that a run with sudo leaves one the game's account can use. Only
// root may give a file away; for anyone else this changes nothing or fails harmlessly.
void takeOwnerOf(int fd, const QByteArray& guardedFile) {
    struct stat owner {};
    struct stat own {};
    if ((statPath(guardedFile, owner) || statPath(folderOf(guardedFile), owner)) &&
        ::fstat(fd, &own) == 0 && (own.st_uid != owner.st_uid || own.st_gid != owner.st_gid)) {
        (void)!::fchown(fd, owner.st_uid, owner.st_gid);
    }
}

}  // namespace

Result FileLock::lock(const QByteArray& guarded, const QByteArray& lockPath, int timeoutMs) {
    const QString lockName = shownName(lockPath);
    const auto refused = [&](const QString& why) {
        return Result::failure(why, Problem::Other, guarded);
    };
    bool created = false;
    Descriptor fd(openLockFile(lockPath, created));
    if (!fd.valid()) {
        if (errno == ELOOP) {
            return refused(QStringLiteral("the lock file %1 is a symbolic link").arg(lockName));
        }
        if (errno != EISDIR) {
            return refused(QStringLiteral("cannot open the lock file %1: %2")
                               .arg(lockName, systemError(errno)));
        }
    }
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return refused(QStringLiteral("the lock file %1 is not a plain file").arg(lockName));
    }
    if (created) {
        takeOwnerOf(fd.get(), rewrittenFile(guarded));
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return refused(QStringLiteral("cannot lock the lock file %1: %2")
                               .arg(lockName, systemError(errno)));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return Result::failure(
                QStringLiteral("Another Rendix is changing %1.").arg(shownName(guarded)),
                Problem::Busy, guarded);
        }
        std::this_thread::sleep_for(kRetry);
    }
    m_fd = fd.release();
    return Result::success();
}

void FileLock::release() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
    m_lockPath.clear();
}

}  // namespace rendix::platform
