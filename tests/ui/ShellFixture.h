#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include <memory>

#include "app/GameTypes.h"
#include "platform/Seam.h"
#include "support/TestFiles.h"
#include "ui/WindowCoordinator.h"
#include "ui/WindowMessages.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"

namespace rendix::testing {

template <class T = QWidget>
T* child(const QWidget* window, const char* name) {
    T* found = window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
    EXPECT_TRUE(found) << name;
    return found;
}

// A program folder in a temporary folder with the platform seam pointing the program at it,
// game directories made on request, and every message box recorded.
struct Shell {
    Shell() {
        seam.setProgramDirectory(program());
        seam.setUserConfigFolder(temp.file("config/Rendix"));
        makeFolder(program());
    }
    ~Shell() { windows.reset(); }  // before the seam and the script go

    QByteArray program() const { return temp.file("program"); }
    // A game directory whose system folder holds the game's file under `name`.
    QByteArray makeGame(const QByteArray& folder, const QByteArray& name = "UnrealTournament.ini") {
        writeBytes(temp.file(folder + "/System/" + name), "[Engine.Engine]\r\n");
        return temp.file(folder);
    }
    static QByteArray settingsWith(const QByteArray& utDir) {
        return RENDIX_DATA("default.ini").replace("UTDir=\r\n", "UTDir=" + utDir + "\r\n");
    }
    // Starts the program as main() does, with the default settings holding `utDir` if given.
    void start(const QByteArray& utDir = {}) {
        if (!utDir.isEmpty()) {
            writeBytes(program() + "/Rendix.ini", settingsWith(utDir));
        }
        windows = std::make_unique<WindowCoordinator>();
        windows->showMainWindow();
    }

    // What the program holds and shows, a fact a line: the files of the settings folder
    // (as `before`, the defaults with the UTDir held, or other bytes), UTDir, the four
    // lists, every message box and the two windows. The temporary folder reads %TMP%.
    QString report(const QByteArray& before) const {
        const ModMain& state = windows->state();
        const QByteArray folder = state.settingsPath.left(state.settingsPath.lastIndexOf('/'));
        QByteArray out = "settings: " + state.settingsPath + "\n";
        for (const QByteArray& name : folderNames(folder)) {
            const QByteArray bytes = readBytes(folder + "/" + name);
            out +=
                name + (bytes == before                      ? ": unchanged\n"
                        : bytes == settingsWith(state.UTDir) ? ": default.ini with the UTDir held\n"
                                                             : ": other bytes\n");
        }
        out += "UTDir: " + state.UTDir + "\n";
        for (const GameType& type : kGameTypes) {
            out += type.code + QByteArray(":");
            for (const QByteArray& entry : state.*type.excludes) {
                out += " \"" + entry + "\"";
            }
            out += "\n";
        }
        QString text = QFile::decodeName(out);
        for (const Message& box : script.shown()) {
            text += QStringLiteral("box %1: %2\n").arg(box.title, box.text);
        }
        if (const frmMain* main = windows->mainWindow()) {
            text += QStringLiteral("frmMain %1: %2\n")
                        .arg(main->isVisible() ? QStringLiteral("shown") : QStringLiteral("hidden"),
                             main->windowTitle());
        }
        if (const frmOptions* options = windows->options()) {
            text +=
                QStringLiteral("frmOptions %1: %2\n")
                    .arg(options->isVisible() ? QStringLiteral("shown") : QStringLiteral("hidden"),
                         child<QLineEdit>(options, "txtUTPath")->text());
        }
        const QString tmp = QFile::decodeName(temp.path());
        return text.replace(tmp, QStringLiteral("%TMP%"))
                   .replace(tmp.toUpper(), QStringLiteral("%TMP%"))
                   .replace(QDir::homePath(), QStringLiteral("~")) +
               QLatin1Char('\n');
    }

    TempDir temp;
    platform::TestSeam seam;
    MessageBoxScript script;
    std::unique_ptr<WindowCoordinator> windows;
};

// The visible top-level window of that name, if any.
inline QWidget* topLevel(const char* name) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String(name) && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// Deletes the windows that closed themselves.
inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Saves what the window shows into the build folder, for a person to look at.
inline void screenshot(QWidget* window) {
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots/");
    QDir().mkpath(dir);
    EXPECT_TRUE(window->grab().save(dir + window->objectName() + QStringLiteral(".png")));
}

}  // namespace rendix::testing
