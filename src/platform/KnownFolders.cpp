#include "platform/KnownFolders.h"

#include <QCoreApplication>
#include <QDir>

#include "platform/Paths.h"
#include "platform/Seam.h"

namespace rendix::platform {

QByteArray programDirectory() {
    if (const TestSeam* seam = TestSeam::active(); seam && seam->programDirectory()) {
        return *seam->programDirectory();
    }
    return fromQtFolder(QCoreApplication::applicationDirPath());
}

QByteArray userConfigFolder() {
    if (const TestSeam* seam = TestSeam::active(); seam && seam->userConfigFolder()) {
        return *seam->userConfigFolder();
    }
    return os::userConfigFolder();
}

QByteArray homeFolder() {
    if (const TestSeam* seam = TestSeam::active(); seam && seam->homeFolder()) {
        return *seam->homeFolder();
    }
    return fromQtFolder(QDir::homePath());
}

}  // namespace rendix::platform
