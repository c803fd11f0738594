#include "ui/ProgramIcon.h"

#include <QImageReader>

// Q_INIT_RESOURCE must stand outside any namespace.
static void registerResources() {
    Q_INIT_RESOURCE(rendix);
}

namespace rendix {

QIcon programIcon() {
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);
    // Qt draws SVG through a plugin that not every Qt ships (Qt for Windows built without
    // Qt SVG has none); the PNG rendering of the same drawing stands in.
    const QString drawing = QStringLiteral(":/rendix.svg");
    return QIcon(QImageReader(drawing).canRead() ? drawing : QStringLiteral(":/rendix.png"));
}

}  // namespace rendix
