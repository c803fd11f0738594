#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

#include "app/Install.h"
#include "ini/Profile.h"
#include "platform/Files.h"
#include "ui/WindowCoordinator.h"
#include "ui/frmAbout.h"
#include "ui/frmBrowse.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"

// rendix-screenshots <program folder> <output folder>: opens the real windows of Rendix on the
// install whose Rendix.ini lies in <program folder> (see rendix-demo) and saves a PNG of each
// in <output folder>, for the README. Run it with HOME set to the demo's home folder, so that
// the options dialog lists the demo's installs and nothing of the real home. It randomizes
// the install's map lists once, so that the main window shows a status text and the restore
// window has backups to show, and at the end puts a few mistakes into the configuration
// file for the check window to find.
namespace {

using namespace rendix;

// Lets the windows lay themselves out and paint.
void settle() {
    for (int round = 0; round < 3; ++round) {
        QEventLoop loop;
        QTimer::singleShot(150, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

QWidget* visibleWindow(const char* name) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String(name) && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

bool save(const char* window, const QString& folder, const char* file) {
    settle();
    QWidget* shown = visibleWindow(window);
    if (!shown || !shown->grab().save(folder + QLatin1Char('/') + QLatin1String(file))) {
        std::fprintf(stderr, "rendix-screenshots: could not save %s\n", file);
        return false;
    }
    std::printf("%s/%s\n", qPrintable(folder), file);
    return true;
}

template <typename T>
T* child(QWidget* window, const char* name) {
    return window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
}

// An entry of a package that is not installed, a gap in the CTF map list and a map without
// its extension.
bool addMistakes(const ModMain& state) {
    const QByteArray config = Install::of(state).configFile();
    QByteArray bytes = platform::readFile(config).value_or(QByteArray());
    ini::addSectionLines(bytes, "Engine.GameEngine", {"ServerPackages=OldMod"});
    return !bytes.isEmpty() &&
           ini::applyProfileWrites(bytes, {{"Botpack.CTFMapList", "Maps[2]", ""},
                                           {"Botpack.ASMapList", "Maps[0]", "AS-Frigate"}}) &&
           platform::replaceFile(config, bytes);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: rendix-screenshots <program folder> <output folder>\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rendix"));
    const QString output = QDir(QFile::decodeName(argv[2])).absolutePath();
    QDir().mkpath(output);
    WindowCoordinator windows(QFile::encodeName(QDir(QFile::decodeName(argv[1])).absolutePath()));
    windows.showMainWindow();
    frmMain* main = windows.mainWindow();
    if (!main || !main->isVisible()) {
        std::fprintf(stderr, "rendix-screenshots: the main window did not start\n");
        return 1;
    }
    bool saved = true;
    child<QPushButton>(main, "cmdRandomize")->click();
    saved &= save("frmMain", output, "main-window.png");

    frmOptions* options = windows.showOptions();
    saved &= save("frmOptions", output, "options.png");
    frmBrowse* picker = windows.showPicker();
    picker->setCurrentPath(windows.state().UTDir);
    saved &= save("frmBrowse", output, "folder-picker.png");
    picker->close();
    options->close();

    // The BunnyTrack maps of Capture The Flag left out by one pattern (not applied).
    child<QPushButton>(main, "cmdDMExcl")->click();
    QWidget* editor = visibleWindow("frmRandomize");
    child<QComboBox>(editor, "cboGameType")->setCurrentIndex(1);
    child<QLineEdit>(editor, "txtPattern")->setText(QStringLiteral("CTF-BT-*"));
    child<QPushButton>(editor, "cmdExclMatching")->click();
    child<QLineEdit>(editor, "txtPattern")->setText(QStringLiteral("CTF-XV-*"));
    saved &= save("frmRandomize", output, "editor.png");
    visibleWindow("frmRandomize")->close();

    windows.showAbout();
    saved &= save("frmAbout", output, "about.png");
    windows.about()->close();

    child<QAction>(main, "mnuFileRestore")->trigger();
    saved &= save("frmRestore", output, "restore.png");

    saved &= addMistakes(windows.state());
    child<QAction>(main, "mnuFileCheck")->trigger();
    saved &= save("frmCheck", output, "check.png");
    return saved ? 0 : 1;
}
