#include "platform/KnownFolders.h"

#include <QStandardPaths>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <optional>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Posix.h"
#include "platform/Seam.h"

namespace rendix::platform {

namespace os {

QByteArray userConfigFolder() {
    return fromQtFolder(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

}  // namespace os

QByteArray userDataFolder() {
    // Without trailing separators, but the root's own.
    const auto folder = [](QByteArray path) {
        while (path.size() > 1 && path.endsWith('/')) {
            path.chop(1);
        }
        return path;
    };
    if (const TestSeam* seam = TestSeam::active()) {
        if (seam->dataHome()) {
            return folder(*seam->dataHome());
        }
        if (seam->homeFolder()) {
            return joinPath(homeFolder(), {".local", "share"});
        }
    }
    // XDG_DATA_HOME counts only as an absolute path; a relative one is ignored, as the
    // desktops that set it ignore it.
    const QByteArray set = qgetenv("XDG_DATA_HOME");
    return set.startsWith('/') ? folder(set) : joinPath(homeFolder(), {".local", "share"});
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

bool canCreateFileIn(const QByteArray& dir) {
    const std::optional<QByteArray> resolved = resolvePath(dir);
    if (!resolved || !isDirectory(*resolved)) {
        return false;
    }
    QByteArray probe = appendComponent(
        *resolved, kProbePrefix.toByteArray() + QByteArray(kTemporaryRandomLength, 'X'));
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool closed = ::close(fd) == 0;
    return ::unlink(probe.constData()) == 0 && closed;
}

}  // namespace rendix::platform
