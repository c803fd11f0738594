#include "platform/FileLock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/Paths.h"

namespace rendix::platform {

namespace {

// How long a waiting writer sleeps between two tries.
constexpr auto kRetry = std::chrono::milliseconds(50);

}  // namespace

QByteArray FileLock::lockPathFor(const QByteArray& guarded) {
    const QByteArray path = resolveForWrite(guarded).value_or(guarded);
    const qsizetype slash = path.lastIndexOf('/');
    return path.left(slash + 1) + '.' + path.mid(slash + 1) + ".lock";
}

Result FileLock::acquire(const QByteArray& guarded, int timeoutMs) {
    if (held() && m_guarded == guarded) {
        return Result::success();
    }
    release();
    const QByteArray lockPath = lockPathFor(guarded);
    // Readable and writable by everyone who may write the guarded file: the lock file is
    // empty, and a server account and its admin share it.
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return Result::failure(
            QStringLiteral("Cannot create the lock file %1: %2")
                .arg(QFile::decodeName(lockPath), QString::fromLocal8Bit(std::strerror(errno))),
            Problem::Other, guarded);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return Result::failure(
                QStringLiteral("Another Rendix is changing %1.").arg(QFile::decodeName(guarded)),
                Problem::Busy, guarded);
        }
        std::this_thread::sleep_for(kRetry);
    }
    m_fd = fd;
    m_guarded = guarded;
    return Result::success();
}

void FileLock::release() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
    m_guarded.clear();
}

}  // namespace rendix::platform
