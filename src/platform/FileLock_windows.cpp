#include "platform/FileLock.h"

#include <io.h>

#include <chrono>
#include <thread>

#include "platform/Files.h"
#include "platform/Windows.h"

namespace rendix::platform {

namespace {

// How long a waiting writer sleeps between two tries.
constexpr auto kRetry = std::chrono::milliseconds(50);

// Opens (or makes, hidden) the lock file at `path` without following a link planted at its
// name: for writing where this account may, otherwise for reading, which is all LockFileEx
// needs.
Handle openLockFile(const QByteArray& path) {
    const std::wstring wide = widePath(path);
    const auto open = [&](DWORD access) {
        return ::CreateFileW(
            wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    };
    Handle lock(open(GENERIC_READ | GENERIC_WRITE));
    if (!lock.valid() && ::GetLastError() == ERROR_ACCESS_DENIED &&
        !isDirectory(path)) {  // another account's lock file, or a read-only one
        lock.reset(open(GENERIC_READ));
    }
    return lock;
}

}  // namespace

Result FileLock::lock(const QByteArray& guarded, const QByteArray& lockPath, int timeoutMs) {
    const QString lockName = QString::fromUtf8(lockPath);
    const auto refused = [&](const QString& why) {
        return Result::failure(why, Problem::Other, guarded);
    };
    Handle lock = openLockFile(lockPath);
    if (!lock.valid()) {
        const DWORD error = ::GetLastError();
        if (isDirectory(lockPath)) {
            return refused(QStringLiteral("the lock file %1 is not a plain file").arg(lockName));
        }
        return refused(
            QStringLiteral("cannot open the lock file %1: %2").arg(lockName, systemError(error)));
    }
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(lock.get(), FileAttributeTagInfo, &tag, sizeof tag)) {
        return refused(QStringLiteral("cannot open the lock file %1: %2")
                           .arg(lockName, systemError(::GetLastError())));
    }
    if (isLink(tag.FileAttributes, tag.ReparseTag)) {
        return refused(QStringLiteral("the lock file %1 is a symbolic link").arg(lockName));
    }
    if (isFolder(tag.FileAttributes) || ::GetFileType(lock.get()) != FILE_TYPE_DISK) {
        return refused(QStringLiteral("the lock file %1 is not a plain file").arg(lockName));
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        OVERLAPPED whole{};
        if (::LockFileEx(lock.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                         MAXDWORD, MAXDWORD, &whole)) {
            break;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
            return refused(QStringLiteral("cannot lock the lock file %1: %2")
                               .arg(lockName, systemError(error)));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return Result::failure(
                QStringLiteral("Another Rendix is changing %1.").arg(QString::fromUtf8(guarded)),
                Problem::Busy, guarded);
        }
        std::this_thread::sleep_for(kRetry);
    }
    // The C runtime's descriptor owns the handle from here on: it is what FileLock keeps.
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(lock.get()), 0);
    if (fd < 0) {
        OVERLAPPED whole{};
        ::UnlockFileEx(lock.get(), 0, MAXDWORD, MAXDWORD, &whole);
        return refused(QStringLiteral("cannot lock the lock file %1: %2")
                           .arg(lockName, systemError(ERROR_TOO_MANY_OPEN_FILES)));
    }
    lock.release();
    m_fd = fd;
    return Result::success();
}

void FileLock::release() {
    if (m_fd >= 0) {
        OVERLAPPED whole{};
        ::UnlockFileEx(reinterpret_cast<HANDLE>(::_get_osfhandle(m_fd)), 0, MAXDWORD, MAXDWORD,
                       &whole);
        ::_close(m_fd);
        m_fd = -1;
    }
    m_lockPath.clear();
}

}  // namespace rendix::platform
