#pragma once

#include <QWidget>

#include "app/ModMain.h"

namespace rendix {

// The exclusion editor. Shows `mainWindow` again whenever it closes.
class frmRandomize : public QWidget {
    Q_OBJECT
public:
    frmRandomize(ModMain& state, QWidget* mainWindow);

private:
    ModMain& m_state;
    QWidget* m_mainWindow;
};

}  // namespace rendix
