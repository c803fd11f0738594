#include "platform/Processes.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/Seam.h"

namespace rendix::platform {

namespace {

// The program files of every process that can be inspected.
std::vector<QByteArray> allPrograms() {
    if (const TestSeam* seam = TestSeam::active(); seam && seam->runningPrograms()) {
        return *seam->runningPrograms();
    }
    std::vector<QByteArray> programs;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return programs;
    }
    while (const dirent* entry = ::readdir(proc)) {
        const QByteArrayView name(entry->d_name);
        if (name.isEmpty() ||
            !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
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
    }
    ::closedir(proc);
    return programs;
}

// The folder as /proc names it: every link and ".." resolved.
QByteArray realFolder(const QByteArray& folder) {
    char* real = ::realpath(folder.constData(), nullptr);
    if (real == nullptr) {
        return folder;
    }
    QByteArray result(real);
    std::free(real);
    return result;
}

}  // namespace

std::vector<QByteArray> runningProgramsIn(const std::vector<QByteArray>& folders) {
    std::vector<QByteArray> reals;
    for (const QByteArray& folder : folders) {
        reals.push_back(realFolder(folder));
    }
    std::vector<QByteArray> found;
    for (const QByteArray& program : allPrograms()) {
        const QByteArray folder = program.left(program.lastIndexOf('/'));
        if (std::find(reals.begin(), reals.end(), folder) != reals.end() &&
            std::find(found.begin(), found.end(), program) == found.end()) {
            found.push_back(program);
        }
    }
    return found;
}

}  // namespace rendix::platform
