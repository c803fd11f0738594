#pragma once

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>

#include "app/ModMain.h"
#include "platform/Messages.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace rendix {

class WindowCoordinator;
class frmCheck;
class frmRandomize;
class frmRestore;

// The main window: the three commands on UnrealTournament.ini, the exclusion editor button,
// the game type check boxes, the status line and the File and Help menus. Its handlers are
// thin calls into the window-free commands, which talk to the user through the window's
// messages (message boxes over it, lblStatus, the busy pointer).
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    frmMain(ModMain& state, WindowCoordinator& windows);
    ~frmMain() override;

    // What the window does after its start-up: be shown, stay hidden behind the options
    // dialog, or be discarded (settings file missing) so that a new one starts afresh.
    // Quit: the program ends (the settings file cannot be read, and a box said so).
    enum class LoadOutcome { Show, Hide, Unload, Quit };

    // Runs the start-up sequence before the window is first shown; extends the caption with
    // the game directory when every check passed, and shows the options dialog otherwise.
    LoadOutcome Form_Load();

    // The check boxes in the order of the game types (DM, CTF, DOM, AS).
    std::array<bool, 4> tickedGameTypes() const;
    Messages& messages() { return *m_messages; }

    // Shows the game directory in the caption (where a start-up that passed put it there)
    // and the configuration file in effect in lblConfigFile, widening the window to fit it.
    void showInstall();

protected:
    // Enter presses the default button, cmdRandomize, wherever the focus is but on another
    // button (which then presses itself).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdRandomize_Click();
    void cmdAddInt_Click();
    void cmdDelete_Click();
    void cmdDMExcl_Click();
    void mnuFileGameDir_Click();
    void mnuFileRestore_Click();
    void mnuFileCheck_Click();
    void mnuFileExit_Click();
    void mnuHelpHelp_Click();
    void mnuHelpAbout_Click();

    void buildMenus();
    // Where the game directory has several configuration files and none is chosen, asks
    // which one (the window stays hidden until then) and returns true.
    bool askConfigFile();
    // Stores the answer as ConfigFile= and shows the window; false (and a box) on failure.
    bool storeConfigFile(const QByteArray& file);

    ModMain& m_state;
    WindowCoordinator& m_windows;
    QPushButton* m_cmdRandomize = nullptr;
    std::array<QCheckBox*, 4> m_checkBoxes{};
    QLabel* m_lblConfigFile = nullptr;
    QLabel* m_lblStatus = nullptr;
    // Only a start-up that passed every check puts the game directory into the caption.
    bool m_captionShowsGameDir = false;
    std::unique_ptr<Messages> m_messages;
    QPointer<frmRandomize> m_editor;
    QPointer<frmRestore> m_restore;
    QPointer<frmCheck> m_check;
};

}  // namespace rendix
