#include <QCoreApplication>

#include "cli/Cli.h"
#include "platform/Arguments.h"
#include "platform/Console.h"

// rendix-cli links Qt Core only, so that it starts on a server without a display.
int main(int argc, char* argv[]) {
    // What rendix-cli prints (diffs, lists, checks) is the same bytes on every system.
    rendix::platform::useBinaryStandardStreams();
    // Taken before Qt sees them: QCoreApplication::arguments() decodes them as text, and a
    // name that is not UTF-8 would not survive.
    const std::vector<QByteArray> arguments = rendix::platform::programArguments(argc, argv);
    QCoreApplication app(argc, argv);
    // The window's name: the per-user settings folder is the same (~/.config/Rendix).
    QCoreApplication::setApplicationName(QStringLiteral("Rendix"));
    return static_cast<int>(rendix::cli::run(arguments));
}
