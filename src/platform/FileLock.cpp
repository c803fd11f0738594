#include "platform/FileLock.h"

#include <utility>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace rendix::platform {

QByteArray FileLock::lockPathFor(const QByteArray& guarded) {
    const QByteArray file = rewrittenFile(guarded);
    const qsizetype slash = file.lastIndexOf(separator());
    return file.left(slash + 1) + '.' + file.mid(slash + 1) + ".lock";
}

Result FileLock::acquire(const QByteArray& guarded, int timeoutMs) {
    const QByteArray lockPath = lockPathFor(guarded);
    if (held() && m_lockPath == lockPath) {
        return Result::success();
    }
    release();
    Result locked = lock(guarded, lockPath, timeoutMs);
    if (locked) {
        m_lockPath = lockPath;
    }
    return locked;
}

FileLock::~FileLock() {
    release();
}

FileLock::FileLock(FileLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_lockPath(std::move(other.m_lockPath)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_lockPath = std::move(other.m_lockPath);
    }
    return *this;
}

}  // namespace rendix::platform
