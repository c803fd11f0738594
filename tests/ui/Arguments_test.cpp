#include <gtest/gtest.h>

#include <QProcess>

#include "platform/DataTable.h"

// rendix answers --help and --version without a display and refuses any other argument,
// before it opens a window.
namespace {

TEST(Arguments, HelpAndVersionNeedNoDisplayAndOthersAreRefused) {
    for (const QList<QByteArray>& row : rendix::testing::dataTable("arguments.rows")) {
        SCOPED_TRACE(row[0].constData());
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QLatin1String(name));
        }
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(RENDIX_GUI), {QString::fromUtf8(row[0])});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), row[1].toInt());
        EXPECT_TRUE(process.readAllStandardOutput().startsWith(row.mid(3).join('|')));
        EXPECT_TRUE(process.readAllStandardError().startsWith(row[2]));
    }
}

}  // namespace
