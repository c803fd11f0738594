#include "ui/frmRandomize.h"

namespace rendix {

frmRandomize::frmRandomize(ModMain& state, QWidget* mainWindow)
    : QWidget(nullptr), m_state(state), m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("frmRandomize"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Rendix - Map Exclusions"));
}

}  // namespace rendix
