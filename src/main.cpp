#include <QApplication>

#include "ui/WindowCoordinator.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rendix"));
    rendix::WindowCoordinator windows;
    windows.showMainWindow();
    return QApplication::exec();
}
