#include "ui/ProgramIcon.h"

// Q_INIT_RESOURCE must stand outside any namespace.
static void registerResources() {
    Q_INIT_RESOURCE(rendix);
}

namespace rendix {

QIcon programIcon() {
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);
    return QIcon(QStringLiteral(":/rendix.svg"));
}

}  // namespace rendix
