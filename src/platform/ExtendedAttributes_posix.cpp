#include "platform/Posix.h"

#include <QList>

#include <sys/xattr.h>

#include <cerrno>

#include "platform/Seam.h"

namespace rendix::platform {

namespace {

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

}  // namespace

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

}  // namespace rendix::platform
