#pragma once

#include <QByteArray>
#include <QPointer>

#include <functional>
#include <vector>

#include "app/ModMain.h"
#include "ui/WindowMessages.h"

class QWidget;

namespace rendix {

class frmAbout;
class frmBrowse;
class frmConfigFile;
class frmMain;
class frmOptions;

// Holds the shared state and the program's windows for the whole run, and offers the
// services by which the windows create and show one another. Each window is created when it
// is first shown and deletes itself when it closes; the program ends when no window is
// left visible.
//
// The main window runs the start-up sequence before it is first shown. Where that sequence
// gives way to the options dialog, the main window is never shown, and after a missing
// settings file it is discarded: confirming the options dialog then creates a new one, whose
// start-up reads the directory just stored.
class WindowCoordinator {
public:
    // Chooses the settings folder for the run (see chooseSettingsFolder). Every window
    // gets its messages from `messages` (tests answer the boxes through it); by default
    // from windowMessagesFactory().
    explicit WindowCoordinator(MessagesFactory messages = {});
    // For tests: a settings folder already chosen.
    explicit WindowCoordinator(QByteArray settingsFolder, MessagesFactory messages = {});
    // Deletes the windows that are still open.
    ~WindowCoordinator();
    WindowCoordinator(const WindowCoordinator&) = delete;
    WindowCoordinator& operator=(const WindowCoordinator&) = delete;

    ModMain& state() { return m_state; }
    const QByteArray& settingsFolder() const { return m_settingsFolder; }
    const MessagesFactory& messagesFactory() const { return m_messages; }

    // Shows the main window: the existing one, or a new one whose start-up runs first and
    // may leave it hidden, or discard it, in favour of the options dialog.
    void showMainWindow();
    // Whether the start-up found it cannot go on (the settings file cannot be read): the
    // program ends with status 1 and no window.
    bool quitRequested() const { return m_quitRequested; }
    // Shows the options dialog, creating it first if needed, and returns it.
    frmOptions* showOptions();
    // The options dialog, created (and loaded) if needed but not shown.
    frmOptions* loadOptions();
    // Shows the directory picker, creating it first if needed.
    frmBrowse* showPicker();
    // Shows the About box, creating it first if needed; it has no owner window.
    frmAbout* showAbout();
    // Asks which of `candidates` (configuration files) the game uses, in a new question
    // window that replaces any open one. Its OK hands the file picked to `chosen`, and the
    // window closes when that returns true; closed otherwise, it hands nothing.
    frmConfigFile* askConfigFile(const std::vector<QByteArray>& candidates,
                                 std::function<bool(const QByteArray&)> chosen);
    // The game directory or the configuration file changed: the main window, if there is
    // one, shows the new ones.
    void installChanged();
    // Before a command acts on the shared state: reads the settings file afresh into it
    // (refreshSettings), so that what the command line or another window stored since the
    // start-up counts, and shows a game directory or configuration file that changed.
    // False after a box on `messages`: the command must do nothing.
    bool refreshSettings(Messages& messages);

    // The windows that exist now (null where there is none).
    frmMain* mainWindow() const;
    frmOptions* options() const;
    frmBrowse* picker() const;
    frmAbout* about() const;
    frmConfigFile* configFileQuestion() const;

private:
    ModMain m_state;
    QByteArray m_settingsFolder;
    MessagesFactory m_messages;
    bool m_quitRequested = false;
    QPointer<frmMain> m_main;
    QPointer<frmOptions> m_options;
    QPointer<frmBrowse> m_picker;
    QPointer<frmAbout> m_about;
    QPointer<frmConfigFile> m_configFile;
};

// Brings a window to the front and gives it the focus.
void showWindow(QWidget* window);

}  // namespace rendix
