#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QListWidget>
#include <QTest>

#include <functional>
#include <map>
#include <memory>

#include "app/GameTypes.h"
#include "platform/GamePlaces.h"
#include "platform/Paths.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"
#include "ui/WindowCoordinator.h"
#include "ui/WindowMessages.h"

namespace rendix::testing {

// A window's messages in the tests: the window's own status line, and boxes and pointer
// changes handed to one script that all windows share, which records them and answers.
class ScriptedWindowMessages : public WindowMessages {
public:
    ScriptedWindowMessages(ScriptedMessages& script, QWidget* window, QLabel* status)
        : WindowMessages(window, status), m_script(script) {}
    MessageAnswer show(const Message& message) override { return m_script.show(message); }
    void setBusy(bool busy) override {
        m_script.setBusy(busy);
        WindowMessages::setBusy(busy);
    }

private:
    ScriptedMessages& m_script;
};

// The visible top-level window of that name, if any.
inline QWidget* topLevel(const QString& name) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == name && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// A program folder and game directories in a temporary folder, every message box recorded.
struct Shell {
    Shell() {
        seam.setProgramDirectory(program());
        seam.setUserConfigFolder(temp.file("config/Rendix"));
        seam.setHomeFolder(temp.file("home"));
        makeFolder(program());
    }
    ~Shell() { windows.reset(); }  // before the seam and the script go

    QByteArray program() const { return temp.file("program"); }
    // A game directory whose system folder holds the game's file under `name`; a name with
    // a "/" is a path within the game directory ("System64/UnrealTournament.ini").
    QByteArray makeGame(const QByteArray& folder, const QByteArray& name = "UnrealTournament.ini") {
        writeBytes(temp.file(folder + (name.contains('/') ? "/" : "/System/") + name),
                   "[Engine.Engine]\r\n");
        return temp.file(folder);
    }
    // Puts the game directory where the game's installer names it on Windows (the test seam's
    // registry); Linux finds one at ~/.local/share/OldUnreal/UnrealTournament instead.
    void registerGame(const QByteArray& gameDir) {
        seam.setRegistryValue(platform::kHkeyLocalMachine,
                              "SOFTWARE\\Unreal Technology\\Installed Apps\\UnrealTournament",
                              "Folder", {platform::kRegistryString, gameDir + '\0'});
    }
    // Starts the program as main() does, with the default settings holding `utDir` if given.
    void start(const QByteArray& utDir = {}) {
        if (!utDir.isEmpty()) {
            const QByteArray line = "UTDir=" + utDir + "\r\n";
            writeBytes(pathIn(program(), "Rendix.ini"),
                       RENDIX_DATA("default.ini").replace("UTDir=\r\n", line));
        }
        windows = std::make_unique<WindowCoordinator>(
            [this](QWidget* window, QLabel* status) -> std::unique_ptr<Messages> {
                return std::make_unique<ScriptedWindowMessages>(script, window, status);
            });
        windows->showMainWindow();
    }

    // A file's bytes as tell() shows them: a line a line, CR as "\r".
    static QByteArray shownBytes(QByteArray bytes) {
        return bytes.isEmpty() ? bytes
                               : "\n    " + bytes.replace("\r", "\\r").replace("\n", "\n    ");
    }
    // What a control shows: its lines (a selected one marked "*"), tick, text, or state.
    static QByteArray valueOf(const QWidget* control) {
        if (control->inherits("QPushButton")) {
            return control->isEnabled() ? "enabled" : "disabled";
        }
        QByteArrayList value{control->isEnabled() ? "" : "disabled"};
        if (const auto* list = qobject_cast<const QListWidget*>(control)) {
            for (int row = 0; row < list->count(); ++row) {
                value << (list->item(row)->isSelected() ? "*" : "") +
                             list->item(row)->text().toUtf8();
            }
        } else if (control->inherits("QCheckBox")) {
            value << (control->property("checked").toBool() ? "ticked" : "unticked");
        } else {
            value << control->property(control->inherits("QComboBox") ? "currentText" : "text")
                         .toString()
                         .toUtf8();
        }
        return value.join(", ").mid(value[0].isEmpty() ? 2 : 0);
    }

    // Tells, a fact a line and each only when it changed, the windows shown and what their
    // controls show, UTDir, the lists, the settings folder and file, the message boxes, the
    // pointer and the documents opened; the temporary folder reads %TMP%, the home folder ~.
    QByteArray tell() {
        QByteArray out;
        const auto note = [&](const QByteArray& key, const QByteArray& value) {
            const bool usual = value.isEmpty() || value == "unticked" || value == "enabled";
            if (seen.count(key) ? seen[key] != value : !usual) {
                out += "  " + key + ": " + value + "\n";
            }
            seen[key] = value;
        };
        const auto noteMasked = [&](const QByteArray& key, const QByteArray& value) {
            note(key, masked(value));
        };
        QStringList names;
        for (const QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->objectName().startsWith(QLatin1String("frm"))) {
                names << window->objectName();
            }
        }
        names.sort();
        QByteArrayList titles;
        for (const QString& name : names) {
            titles << name.toUtf8() + " \"" + topLevel(name)->windowTitle().toUtf8() + '"';
            if (onShown && !seen.count(name.toUtf8())) {
                onShown(topLevel(name));
            }
            seen[name.toUtf8()];
            for (const QWidget* control : topLevel(name)->findChildren<QWidget*>()) {
                // The parts Qt builds a control from (a spin box's line edit) are the control.
                if (control->objectName().isEmpty() ||
                    control->objectName().startsWith(QLatin1String("qt_"))) {
                    continue;
                }
                noteMasked(name.toUtf8() + '.' + control->objectName().toUtf8(), valueOf(control));
            }
        }
        noteMasked("shown", titles.join(", "));
        const ModMain& state = windows->state();
        noteMasked("UTDir", state.UTDir);
        noteMasked("ConfigFile", state.ConfigFile);
        note("MapsPerList", state.MapsPerList == kDefaultMapsPerList
                                ? QByteArray()
                                : QByteArray::number(state.MapsPerList));
        for (const GameType& type : kGameTypes) {
            const ExclusionList& list = state.*type.excludes;
            note(type.code + QByteArray("Excludes"),
                 '"' + QByteArrayList(list.begin(), list.end()).join("\", \"") + '"');
        }
        const QByteArray folder = platform::parentPath(state.settingsPath);
        const std::vector<QByteArray> files = folderNames(folder);
        noteMasked("settings folder",
                   folder + ": " + QByteArrayList(files.begin(), files.end()).join(", "));
        note("settings file", shownBytes(masked(readBytes(state.settingsPath))));
        for (; boxesTold < script.shown.size(); ++boxesTold) {
            const Message& box = script.shown[boxesTold];
            out += masked("  box " + box.title.toUtf8() + ": " + box.text.toUtf8() + "\n");
        }
        QByteArray pointer;
        for (const bool busy : script.busyChanges) {
            pointer += busy ? "busy " : "normal ";
        }
        note("pointer", pointer.trimmed());
        noteMasked("opened",
                   QByteArrayList(seam.openedDocuments().begin(), seam.openedDocuments().end())
                       .join(", "));
        return out;
    }
    // The text with the temporary folder written %TMP%, the paths in it with "/" as on Linux,
    // the game directory the options dialog suggests written ~/UnrealTournament and the
    // system's root (the system drive on Windows) "/".
    QByteArray masked(QByteArray text) const {
        text.replace(temp.path(), "%TMP%")
            .replace(temp.path().toUpper(), "%TMP%")
            .replace(platform::suggestedGameDirectory(), "~/UnrealTournament")
            .replace(platform::fromQtFolder(QDir::rootPath()), "/");
        for (qsizetype at = text.indexOf("%TMP%"); at >= 0; at = text.indexOf("%TMP%", at + 1)) {
            for (qsizetype i = at + 5;
                 i < text.size() && !QByteArrayView(" \n\r\t,:\"'()").contains(text[i]); ++i) {
                if (platform::isSeparator(text[i])) {
                    text[i] = '/';
                }
            }
        }
        return text;
    }
    // The text with %TMP% put back for the temporary folder and its paths in the system's own
    // separators.
    QString unmasked(QString text) const {
        QByteArray bytes = text.toUtf8();
        for (qsizetype at = bytes.indexOf("%TMP%"); at >= 0; at = bytes.indexOf("%TMP%", at)) {
            bytes.replace(at, 5, temp.path());
            for (at += temp.path().size(); at < bytes.size() && bytes[at] != ' '; ++at) {
                if (bytes[at] == '/') {
                    bytes[at] = platform::separator().front();
                }
            }
        }
        return QString::fromUtf8(bytes);
    }

    // Plays data/<session>: steps "verb window [control [argument...]]" (a slot of the
    // control, "key" and a key, "select" or "double-click" and lines of a list), "#" comments
    // kept, what a step told (indented) skipped; returns it with what each step now tells.
    QByteArray play(const char* session) {
        QByteArray out = "start\n" + tell();
        for (const QByteArray& line : RENDIX_DATA(session).split('\n')) {
            const QStringList step = QString::fromUtf8(line).split(QLatin1Char(' '));
            if (line.startsWith('#') || line.startsWith(' ') || step.size() < 2) {
                out += line.startsWith('#') ? line + "\n" : QByteArray();
                continue;
            }
            QWidget* window = topLevel(step[1]);
            QObject* target =
                step.size() > 2 && window ? window->findChild<QObject*>(step[2]) : window;
            auto* list = qobject_cast<QListWidget*>(target);
            const QString argument = unmasked(step.mid(3).join(QLatin1Char(' ')));
            const QByteArray verb = step[0].toLatin1();
            bool done = target;
            if (target && verb == "key") {
                QTest::keyClick(qobject_cast<QWidget*>(target),
                                QKeySequence::fromString(argument)[0].key());
            } else if (list && step.size() > 3) {  // select or double-click lines
                list->clearSelection();
                for (QString text : step.mid(3)) {
                    // A line is named whole, or by its start where it goes on with blanks.
                    text = unmasked(text);
                    QListWidgetItem* item = list->findItems(text, Qt::MatchExactly).value(0);
                    if (!item) {
                        item = list->findItems(text + QStringLiteral("  "), Qt::MatchStartsWith)
                                   .value(0);
                    }
                    const QPoint at = item ? list->visualItemRect(item).center() : QPoint();
                    done = done && item;
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
                    if (verb == "double-click") {
                        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
                    }
                }
            } else if (target && step.size() <= 3) {
                done = QMetaObject::invokeMethod(target, verb.constData());
            } else if (target) {  // a number to a slot that takes one, else the text
                bool number = false;
                const int value = argument.toInt(&number);
                done =
                    (number &&
                     QMetaObject::invokeMethod(target, verb.constData(), Q_ARG(int, value))) ||
                    QMetaObject::invokeMethod(target, verb.constData(), Q_ARG(QString, argument));
            }
            if (!done) {
                return out + "cannot " + line + "\n";
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // closed windows
            out += line + "\n" + tell();
        }
        return out;
    }

    std::map<QByteArray, QByteArray> seen;
    std::function<void(QWidget*)> onShown;  // called when a window first shows
    size_t boxesTold = 0;
    TempDir temp;
    platform::TestSeam seam;
    ScriptedMessages script;
    std::unique_ptr<WindowCoordinator> windows;
};

}  // namespace rendix::testing
