#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

#include <memory>

#include "app/Settings.h"
#include "platform/Seam.h"
#include "support/TestFiles.h"
#include "ui/WindowCoordinator.h"
#include "ui/WindowMessages.h"

namespace rendix::testing {

// A program folder and a game install in a temporary folder, the platform seam pointing the
// program at them, and every message box recorded.
struct ShellFixture : ::testing::Test {
    ShellFixture() {
        seam.setProgramDirectory(program());
        seam.setUserConfigFolder(temp.file("config/Rendix"));
        makeFolder(program());
    }
    ~ShellFixture() override { windows.reset(); }

    QByteArray program() const { return temp.file("program"); }
    QByteArray settings() const { return temp.file("program/Rendix.ini"); }
    // A game directory whose system folder holds the file under `name`.
    QByteArray makeGame(const QByteArray& folder,
                        const QByteArray& name = QByteArrayLiteral("UnrealTournament.ini")) {
        writeBytes(temp.file(folder + "/System/" + name), "[Engine.Engine]\r\n");
        return temp.file(folder);
    }
    // The default settings with UTDir set.
    static QByteArray settingsWith(const QByteArray& utDir) {
        QByteArray bytes = defaultSettingsContent();
        return bytes.replace("UTDir=\r\n", "UTDir=" + utDir + "\r\n");
    }
    // Starts the program as main() does.
    void start() {
        windows = std::make_unique<WindowCoordinator>(program());
        windows->showMainWindow();
    }
    const std::vector<Message>& shown() const { return script.shown(); }

    // Saves what the window shows into the build folder, for a person to look at.
    static void screenshot(QWidget* window, const QString& name) {
        const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
        QDir().mkpath(dir);
        EXPECT_TRUE(window->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
    }

    TempDir temp;
    platform::TestSeam seam;
    MessageBoxScript script;
    std::unique_ptr<WindowCoordinator> windows;
};

// The names of a window's controls in the order Tab visits them, from `first` on.
inline QStringList focusChain(QWidget* window, QWidget* first) {
    QStringList names;
    QWidget* widget = first;
    do {
        if (window->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus)) {
            names << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    } while (widget && widget != first);
    return names;
}

inline QStringList strings(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts) {
        list << QString::fromUtf8(text);
    }
    return list;
}

// Deletes the windows that closed themselves.
inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace rendix::testing
