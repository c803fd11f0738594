#pragma once

#include <QByteArray>

#include "platform/Result.h"

namespace rendix::platform {

// One writer at a time for a file, across every Rendix process (window and command line):
// an advisory lock (flock) on a hidden lock file beside the guarded file, named "." + the
// guarded file's name + ".lock". The guarded file is the one a rewrite changes (see
// rewrittenFile), so a writer through a symbolic link and one by the real path share a lock.
// The lock file stays; only the lock matters, and the system releases it when its holder
// ends, so a lock of a killed process never blocks.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock of `guarded` (its folder must exist), waiting up to `timeoutMs` for
    // another holder to let go. Fails with Problem::Busy when the wait runs out, and with
    // Problem::Other when the lock file cannot be created or opened, or is anything but a
    // plain file (a symbolic link is never followed); `error` then names the lock file and
    // gives the system's reason. A lock file made here takes the owner and group of the
    // guarded file (where the system allows), and one that this account may only read serves
    // all the same, so that a run as root never locks the game's account out. Taking a lock
    // this object already holds for the same file succeeds at once.
    Result acquire(const QByteArray& guarded, int timeoutMs = kDefaultTimeoutMs);
    void release();
    bool held() const { return m_fd >= 0; }

    static constexpr int kDefaultTimeoutMs = 10000;

    // The lock file's path for `guarded` (resolved where the folder exists).
    static QByteArray lockPathFor(const QByteArray& guarded);

private:
    // The system's part of acquire, with no lock held: takes the lock of `lockPath` for
    // `guarded` and keeps its descriptor in m_fd, failing as acquire says.
    Result lock(const QByteArray& guarded, const QByteArray& lockPath, int timeoutMs);

    int m_fd = -1;
    QByteArray m_lockPath;
};

}  // namespace rendix::platform
