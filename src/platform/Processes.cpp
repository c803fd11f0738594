#include "platform/Processes.h"

#include <QFile>
#include <QProcess>

#include <algorithm>

#include "platform/Paths.h"
#include "platform/Seam.h"

namespace rendix::platform {

std::vector<QByteArray> runningProgramsIn(const std::vector<QByteArray>& folders) {
    std::vector<QByteArray> names;
    for (const QByteArray& folder : folders) {
        names.push_back(os::programFolderName(folder));
    }
    const TestSeam* seam = TestSeam::active();
    const std::vector<QByteArray> programs =
        seam && seam->runningPrograms() ? *seam->runningPrograms() : os::programsOfAllProcesses();
    const QByteArray between = separator();
    std::vector<QByteArray> found;
    for (const QByteArray& program : programs) {
        const QByteArray folder = program.left(program.lastIndexOf(between));
        if (std::find(names.begin(), names.end(), folder) != names.end() &&
            std::find(found.begin(), found.end(), program) == found.end()) {
            found.push_back(program);
        }
    }
    return found;
}

bool startProgram(const QByteArray& path) {
    if (TestSeam* seam = TestSeam::active()) {
        return seam->recordStart(path);
    }
    return QProcess::startDetached(QFile::decodeName(path), {});
}

}  // namespace rendix::platform
