#include <gtest/gtest.h>

#include <QProcess>

// rendix answers --help and --version without a display and refuses any other argument,
// before it opens a window.
namespace {

TEST(Arguments, HelpAndVersionNeedNoDisplayAndOthersAreRefused) {
    struct Row {
        const char* argument;
        int exit;
        QByteArray out;  // the start of standard output
        QByteArray err;  // the start of standard error
    };
    const Row rows[] = {
        {"--version", 0, "rendix 1.0.1\n", ""},
        {"-h", 0, "Usage: rendix [--help | --version]\n", ""},
        {"--help", 0, "Usage: rendix [--help | --version]\n", ""},
        {"-platform", 2, "", "rendix: unknown argument '-platform'\n\nUsage: rendix"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.argument);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QLatin1String(name));
        }
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(RENDIX_GUI), {QLatin1String(row.argument)});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), row.exit);
        EXPECT_TRUE(process.readAllStandardOutput().startsWith(row.out));
        EXPECT_TRUE(process.readAllStandardError().startsWith(row.err));
    }
}

}  // namespace
