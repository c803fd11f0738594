#include <QApplication>

#include <gtest/gtest.h>

#include "support/ChildProcess.h"

// Every test program runs with a QApplication on the offscreen platform, so window tests
// need no display and core tests get the application's name and folder. Started with
// "--child", it is a second process for a test instead (support/ChildProcess.h).
int main(int argc, char* argv[]) {
    if (argc > 1 && QByteArray(argv[1]) == "--child") {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Rendix"));
        return rendix::testing::runChild(QCoreApplication::arguments()).value_or(2);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rendix"));
    return RUN_ALL_TESTS();
}
