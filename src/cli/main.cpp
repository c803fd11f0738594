#include <QCoreApplication>

#include "cli/Cli.h"
#include "platform/Console.h"

// rendix-cli links Qt Core only, so that it starts on a server without a display.
int main(int argc, char* argv[]) {
    // What rendix-cli prints (diffs, lists, checks) is the same bytes on every system.
    rendix::platform::useBinaryStandardStreams();
    QCoreApplication app(argc, argv);
    // The window's name: the per-user settings folder is the same (~/.config/Rendix).
    QCoreApplication::setApplicationName(QStringLiteral("Rendix"));
    return static_cast<int>(rendix::cli::run(QCoreApplication::arguments()));
}
