#include "platform/Processes.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/Posix.h"

namespace rendix::platform::os {

std::vector<QByteArray> programsOfAllProcesses() {
    std::vector<QByteArray> programs;
    forEachEntry("/proc", [&](const dirent& entry, int) {
        const QByteArrayView name(entry.d_name);
        if (!std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return true;
        }
        const QByteArray link = "/proc/" + name.toByteArray() + "/exe";
        char target[4096];
        const ssize_t size = ::readlink(link.constData(), target, sizeof target);
        if (size > 0 && static_cast<std::size_t>(size) < sizeof target) {
            QByteArray program(target, size);
            // A program file replaced while it runs reads "<path> (deleted)".
            if (program.endsWith(" (deleted)")) {
                program.chop(10);
            }
            programs.push_back(std::move(program));
        }
        return true;
    });
    return programs;
}

QByteArray programFolderName(const QByteArray& folder) {
    char* real = ::realpath(folder.constData(), nullptr);
    if (real == nullptr) {
        return folder;
    }
    QByteArray result(real);
    std::free(real);
    return result;
}

}  // namespace rendix::platform::os
