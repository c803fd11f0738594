#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

// What the POSIX parts of the platform layer (the *_posix.cpp files) share: descriptors,
// folder scans and the pieces of a "/" path. Nothing outside them includes this.
namespace rendix::platform {

inline QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The folder part of a resolved path, for the calls that need one ("." when none).
inline QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return QByteArrayLiteral(".");
    }
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

inline QByteArray lastComponent(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// `name` in the already resolved folder `resolved`: one separator between them, none added
// after the root's own, and the name alone in the current folder (the empty path).
inline QByteArray appendComponent(const QByteArray& resolved, const QByteArray& name) {
    if (resolved.isEmpty()) {
        return name;
    }
    if (resolved.endsWith('/')) {
        return resolved + name;
    }
    return resolved + '/' + name;
}

inline bool statPath(const QByteArray& path, struct stat& info) {
    return ::stat(path.constData(), &info) == 0;
}

inline bool isDirectory(const QByteArray& path) {
    struct stat info {};
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

// Calls `visit(entry, folderFd)` for each entry of folder `dir` (the current folder for the
// empty path) but "." and "..", until it returns false. False when the folder cannot be
// opened or read to its end.
template <typename Visit>
bool forEachEntry(const QByteArray& dir, Visit visit) {
    DIR* handle = ::opendir(dir.isEmpty() ? "." : dir.constData());
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

// Gives the open file `to` the extended attributes of file `from` (POSIX ACLs included:
// they are the system.posix_acl_* attributes), and drops an access ACL that `to` took from
// its folder's default ACL where `from` has none. Call it after the owner and mode are set,
// since setting an ACL sets the group bits from its mask. A file system without extended
// attributes is no error. One seam Read per attribute read and one Write per attribute
// set. 0 or the error number. (ExtendedAttributes_posix.cpp; a safe write on Windows keeps
// attributes through the system's own calls.)
int copyAttributes(const QByteArray& from, int to);

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
    // Gives the descriptor up without closing it.
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
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

}  // namespace rendix::platform
