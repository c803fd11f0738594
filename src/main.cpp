#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rendix"));
    QWidget placeholder;
    placeholder.setWindowTitle(QStringLiteral("Rendix"));
    placeholder.show();
    return QApplication::exec();
}
