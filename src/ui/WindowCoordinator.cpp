#include "ui/WindowCoordinator.h"

#include <QApplication>
#include <QThread>

#include "app/Settings.h"
#include "ui/frmAbout.h"
#include "ui/frmBrowse.h"
#include "ui/frmConfigFile.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"

namespace rendix {

void showWindow(QWidget* window) {
    // A window that appears comes up in front anyway; one that was open may be behind others.
    if (window->isVisible()) {
        window->raise();
    }
    window->show();
    window->activateWindow();
}

WindowCoordinator::WindowCoordinator(MessagesFactory messages)
    : WindowCoordinator(chooseSettingsFolder(SettingsAccess::ReadWrite), std::move(messages)) {}

WindowCoordinator::WindowCoordinator(QByteArray settingsFolder, MessagesFactory messages)
    : m_settingsFolder(std::move(settingsFolder)),
      m_messages(messages ? std::move(messages) : windowMessagesFactory()) {}

WindowCoordinator::~WindowCoordinator() {
    // Every window refers to this object, so none may outlive it.
    delete m_main.data();
    delete m_options.data();
    delete m_picker.data();
    delete m_about.data();
    delete m_configFile.data();
}

frmMain* WindowCoordinator::mainWindow() const {
    return m_main;
}

frmOptions* WindowCoordinator::options() const {
    return m_options;
}

frmBrowse* WindowCoordinator::picker() const {
    return m_picker;
}

frmAbout* WindowCoordinator::about() const {
    return m_about;
}

frmConfigFile* WindowCoordinator::configFileQuestion() const {
    return m_configFile;
}

void WindowCoordinator::showMainWindow() {
    if (!m_main) {
        auto* window = new frmMain(m_state, *this);
        m_main = window;
        switch (window->Form_Load()) {
            case frmMain::LoadOutcome::Show:
                break;
            case frmMain::LoadOutcome::Hide:
                return;
            case frmMain::LoadOutcome::Unload:
                m_main = nullptr;
                delete window;
                return;
            case frmMain::LoadOutcome::Quit:
                m_main = nullptr;
                delete window;
                // No window shows, so the event loop would never end by itself: main() does
                // not start it, and a running one is ended.
                m_quitRequested = true;
                if (QThread::currentThread()->loopLevel() > 0) {
                    QCoreApplication::exit(1);
                }
                return;
        }
    }
    showWindow(m_main);
}

frmOptions* WindowCoordinator::loadOptions() {
    if (!m_options) {
        m_options = new frmOptions(m_state, *this);
    }
    return m_options;
}

frmOptions* WindowCoordinator::showOptions() {
    frmOptions* options = loadOptions();
    showWindow(options);
    return options;
}

frmBrowse* WindowCoordinator::showPicker() {
    if (!m_picker) {
        m_picker = new frmBrowse(*this);
    }
    showWindow(m_picker);
    return m_picker;
}

frmAbout* WindowCoordinator::showAbout() {
    if (!m_about) {
        m_about = new frmAbout(m_messages);
    }
    showWindow(m_about);
    return m_about;
}

frmConfigFile* WindowCoordinator::askConfigFile(const std::vector<QByteArray>& candidates,
                                                std::function<bool(const QByteArray&)> chosen) {
    // A question asked anew (another directory confirmed) takes the place of an open one.
    if (m_configFile) {
        m_configFile->close();
    }
    m_configFile = new frmConfigFile(candidates, std::move(chosen));
    showWindow(m_configFile);
    return m_configFile;
}

void WindowCoordinator::installChanged() {
    if (m_main) {
        m_main->showInstall();
    }
}

bool WindowCoordinator::refreshSettings(Messages& messages) {
    const QByteArray gameDir = m_state.UTDir;
    const QByteArray configFile = m_state.ConfigFile;
    if (!rendix::refreshSettings(m_state, messages)) {
        return false;
    }
    if (m_state.UTDir != gameDir || m_state.ConfigFile != configFile) {
        installChanged();
    }
    return true;
}

}  // namespace rendix
