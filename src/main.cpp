#include <QApplication>

#include <cstdio>
#include <cstring>

#include "app/Version.h"
#include "platform/Console.h"
#include "ui/WindowCoordinator.h"

namespace {

constexpr const char* kUsage =
    "Usage: rendix [--help | --version]\n"
    "\n"
    "Rendix keeps the configuration of an installed Unreal Tournament (1999) in order:\n"
    "it randomizes the map lists, brings the ServerPackages= entries of UnrealTournament.ini\n"
    "in line with the packages installed, and backs the file up before every change.\n"
    "It takes no other arguments; its settings live in Rendix.ini. For servers without a\n"
    "display, use rendix-cli.\n"
    "\n"
    "  -h, --help     show this text and exit\n"
    "  -v, --version  show the version and exit\n";

}  // namespace

int main(int argc, char* argv[]) {
    rendix::platform::attachToParentConsole();
    rendix::platform::useBinaryStandardStreams();
    // Answered before the windowing system is touched, so that they work without a display.
    if (argc > 1) {
        const char* argument = argv[1];
        if (argc == 2 &&
            (std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "-v") == 0)) {
            std::printf("rendix %s\n", rendix::kVersionText);
            return 0;
        }
        if (argc == 2 &&
            (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "rendix: unknown argument '%s'\n\n%s", argument, kUsage);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rendix"));
    rendix::WindowCoordinator windows;
    windows.showMainWindow();
    if (windows.quitRequested()) {
        return 1;
    }
    return QApplication::exec();
}
