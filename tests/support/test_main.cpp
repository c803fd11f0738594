#include <QApplication>

#include <gtest/gtest.h>

// Every test program runs with a QApplication on the offscreen platform, so window tests
// need no display and core tests get the application's name and folder.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rendix"));
    return RUN_ALL_TESTS();
}
