#pragma once

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>

#include "app/ModMain.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace rendix {

class WindowCoordinator;
class WindowMessages;
class frmRandomize;

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
    WindowMessages& messages() { return *m_messages; }

protected:
    // Enter presses the default button, cmdRandomize, wherever the focus is but on another
    // button (which then presses itself).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdRandomize_Click();
    void cmdAddInt_Click();
    void cmdDelete_Click();
    void cmdDMExcl_Click();
    void mnuFileExit_Click();
    void mnuHelpHelp_Click();
    void mnuHelpAbout_Click();

    void buildMenus();

    ModMain& m_state;
    WindowCoordinator& m_windows;
    QPushButton* m_cmdRandomize = nullptr;
    std::array<QCheckBox*, 4> m_checkBoxes{};
    QLabel* m_lblStatus = nullptr;
    std::unique_ptr<WindowMessages> m_messages;
    QPointer<frmRandomize> m_editor;
};

}  // namespace rendix
