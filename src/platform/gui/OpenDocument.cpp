#include <QDesktopServices>
#include <QFile>
#include <QUrl>

#include "platform/Desktop.h"
#include "platform/Seam.h"

namespace rendix::platform {

bool openDocument(const QByteArray& path) {
    if (TestSeam* seam = TestSeam::active()) {
        return seam->recordOpen(path);
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path)));
}

}  // namespace rendix::platform
