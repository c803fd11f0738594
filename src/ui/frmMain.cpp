#include "ui/frmMain.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "app/Failures.h"
#include "app/GameTypes.h"
#include "app/Install.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "maintenance/Backups.h"
#include "maintenance/Randomizer.h"
#include "maintenance/ServerPackages.h"
#include "platform/Desktop.h"
#include "platform/KnownFolders.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "ui/ProgramIcon.h"
#include "ui/Twips.h"
#include "ui/WindowCoordinator.h"
#include "ui/frmCheck.h"
#include "ui/frmRandomize.h"
#include "ui/frmRestore.h"

namespace rendix {

namespace {

const QString kTitle = QStringLiteral("Rendix");

// The check boxes' places in the frame, in the order of kGameTypes.
constexpr std::array<TwipsRect, 4> kCheckBoxPlaces{{
    {383, 1440, 4575, 375},
    {383, 1800, 4575, 375},
    {383, 2160, 1215, 375},
    {383, 2520, 1215, 375},
}};

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& toolTip = {}) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(toolTip);
    // As on the desktop the program comes from, Enter presses the button that has the focus.
    button->setAutoDefault(true);
    return button;
}

}  // namespace

frmMain::frmMain(ModMain& state, WindowCoordinator& windows)
    : QMainWindow(nullptr), m_state(state), m_windows(windows) {
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitle);
    setWindowIcon(programIcon());

    auto* client = new QWidget(this);
    setCentralWidget(client);
    auto* layout = new TwipsLayout(client);

    // A larger window gives its room to the frame and the two lines at the bottom; the
    // buttons stay centred, the lines and the commands below the frame keep to the bottom.
    auto* frame = new QGroupBox(QStringLiteral("Map Tools"), client);
    frame->setObjectName(QStringLiteral("frmMaps"));
    layout->place(frame, {143, 120, 5055, 3615}, {.growX = 1, .growY = 1});

    auto* cmdDMExcl = makeButton(
        frame, "cmdDMExcl", QStringLiteral("&Edit Map Lists..."),
        QStringLiteral("Edit lists of maps that you want to exclude from the randomized lists"));
    layout->place(cmdDMExcl, {1920, 480, 1455, 495}, {.moveX = 0.5});

    auto* line = new QFrame(frame);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->place(line, {240, 1185, 4590, 30}, {.growX = 1});

    for (size_t i = 0; i < kGameTypes.size(); ++i) {
        auto* box = new QCheckBox(QLatin1String(kGameTypes[i].checkBoxCaption), frame);
        box->setObjectName(QLatin1String(kGameTypes[i].checkBoxName));
        box->setChecked(true);
        layout->place(box, kCheckBoxPlaces[i]);
        m_checkBoxes[i] = box;
    }

    m_cmdRandomize = makeButton(frame, "cmdRandomize", QStringLiteral("&Randomize Map Lists"));
    m_cmdRandomize->setDefault(true);
    layout->place(m_cmdRandomize, {1560, 3000, 2055, 495}, {.moveX = 0.5, .moveY = 1});

    auto* cmdAddInt =
        makeButton(client, "cmdAddInt", QStringLiteral("&Add/Remove ServerPackages Entries"),
                   QStringLiteral("Removes entries for .INT files that do not "
                                  "exist, adds entries for .INT files that had "
                                  "none"));
    layout->place(cmdAddInt, {1170, 3840, 3015, 495}, {.moveX = 0.5, .moveY = 1});

    auto* cmdDelete = makeButton(client, "cmdDelete", QStringLiteral("&Delete Backup Files"),
                                 QStringLiteral("Deletes backups of the UnrealTournament.ini file "
                                                "that were created by this program"));
    layout->place(cmdDelete, {1170, 4440, 3015, 495}, {.moveX = 0.5, .moveY = 1});

    // The configuration file in effect, on a line of its own; its text can be copied.
    m_lblConfigFile = new QLabel(client);
    m_lblConfigFile->setObjectName(QStringLiteral("lblConfigFile"));
    m_lblConfigFile->setTextFormat(Qt::PlainText);
    m_lblConfigFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->place(m_lblConfigFile, {120, 5040, 5100, 255}, {.growX = 1, .moveY = 1});

    m_lblStatus = new QLabel(client);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_lblStatus->setIndent(2);
    m_lblStatus->setTextFormat(Qt::PlainText);
    layout->place(m_lblStatus, {-30, 5400, 5400, 255}, {.growX = 1, .moveY = 1});

    // The longest status texts are ServerPackages' two counts; the window is made wide enough
    // for them with two-digit counts, so a usual result is never cut off.
    m_lblStatus->setText(
        QStringLiteral("Removed 99 serverpackages entries... Added 99 serverpackages entries."));
    layout->apply({5340, 5685}, Qt::Horizontal | Qt::Vertical);
    m_lblStatus->clear();

    // The focus goes around as the controls are numbered: the randomize button first.
    QWidget* chain[] = {m_cmdRandomize,  cmdDMExcl,       m_checkBoxes[0], m_checkBoxes[1],
                        m_checkBoxes[2], m_checkBoxes[3], cmdAddInt,       cmdDelete};
    for (size_t i = 1; i < std::size(chain); ++i) {
        setTabOrder(chain[i - 1], chain[i]);
    }
    m_cmdRandomize->setFocus();

    connect(m_cmdRandomize, &QPushButton::clicked, this, &frmMain::cmdRandomize_Click);
    connect(cmdAddInt, &QPushButton::clicked, this, &frmMain::cmdAddInt_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmMain::cmdDelete_Click);
    connect(cmdDMExcl, &QPushButton::clicked, this, &frmMain::cmdDMExcl_Click);

    m_messages = m_windows.messagesFactory()(this, m_lblStatus);
    buildMenus();
    resize(sizeHint());
}

frmMain::~frmMain() {
    // The editor refers to this window to show it again, the restore window to its status line.
    delete m_editor.data();
    delete m_restore.data();
    delete m_check.data();
}

void frmMain::buildMenus() {
    // No item has a shortcut key; the access keys of the captions are the only keys.
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    QAction* mnuFileGameDir = mnuFile->addAction(QStringLiteral("&Game Directory..."));
    mnuFileGameDir->setObjectName(QStringLiteral("mnuFileGameDir"));
    connect(mnuFileGameDir, &QAction::triggered, this, &frmMain::mnuFileGameDir_Click);
    QAction* mnuFileRestore = mnuFile->addAction(QStringLiteral("&Restore Backup..."));
    mnuFileRestore->setObjectName(QStringLiteral("mnuFileRestore"));
    connect(mnuFileRestore, &QAction::triggered, this, &frmMain::mnuFileRestore_Click);
    QAction* mnuFileCheck = mnuFile->addAction(QStringLiteral("&Check Configuration..."));
    mnuFileCheck->setObjectName(QStringLiteral("mnuFileCheck"));
    connect(mnuFileCheck, &QAction::triggered, this, &frmMain::mnuFileCheck_Click);
    QAction* mnuFileExit = mnuFile->addAction(QStringLiteral("E&xit"));
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    QAction* mnuHelpHelp = mnuHelp->addAction(QStringLiteral("Rendix &Help"));
    mnuHelpHelp->setObjectName(QStringLiteral("mnuHelpHelp"));
    connect(mnuHelpHelp, &QAction::triggered, this, &frmMain::mnuHelpHelp_Click);
    QAction* mnuHelpAbout = mnuHelp->addAction(QStringLiteral("&About Rendix"));
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

frmMain::LoadOutcome frmMain::Form_Load() {
    const StartupEnding ending = StartupSequence(m_state, *m_messages, m_windows.settingsFolder());
    switch (ending) {
        case StartupEnding::Passed:
            m_captionShowsGameDir = true;
            showInstall();
            return askConfigFile() ? LoadOutcome::Hide : LoadOutcome::Show;
        case StartupEnding::SettingsUnreadable:
            return LoadOutcome::Quit;
        case StartupEnding::SettingsMissing:
            m_windows.showOptions();
            return LoadOutcome::Unload;
        case StartupEnding::SettingsNotSound:
        case StartupEnding::GameDirectoryInvalid:
            break;
    }
    showInstall();
    m_windows.showOptions();
    return LoadOutcome::Hide;
}

bool frmMain::askConfigFile() {
    const Install install = Install::of(m_state);
    if (!install.needsChoice()) {
        return false;
    }
    m_windows.askConfigFile(install.candidates(),
                            [window = QPointer<frmMain>(this)](const QByteArray& file) {
                                return window && window->storeConfigFile(file);
                            });
    return true;
}

bool frmMain::storeConfigFile(const QByteArray& file) {
    if (const Result stored = writeMainSetting(m_state.settingsPath, "ConfigFile", file); !stored) {
        m_messages->show(writeFailedMessage(m_state.settingsPath, stored));
        return false;
    }
    m_state.ConfigFile = file;
    showInstall();
    m_windows.showMainWindow();
    return true;
}

void frmMain::showInstall() {
    if (m_captionShowsGameDir) {
        setWindowTitle(kTitle + QStringLiteral(" - ") +
                       QFile::decodeName(platform::upperCase(m_state.UTDir)));
    }
    const Install install = Install::of(m_state);
    const QString file = install.hasConfigFile() ? QFile::decodeName(install.configFile())
                         : install.needsChoice() ? QStringLiteral("not chosen yet")
                                                 : QStringLiteral("none found");
    m_lblConfigFile->setText(QStringLiteral("Configuration file: ") + file);
    m_lblConfigFile->setToolTip(file);
    // A long path widens the window rather than being cut.
    widenBy(this, m_lblConfigFile->sizeHint().width() - m_lblConfigFile->width());
}

std::array<bool, 4> frmMain::tickedGameTypes() const {
    std::array<bool, 4> ticked{};
    for (size_t i = 0; i < ticked.size(); ++i) {
        ticked[i] = m_checkBoxes[i]->isChecked();
    }
    return ticked;
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        m_cmdRandomize->isEnabled()) {
        m_cmdRandomize->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// Each command first reads the settings file afresh: rendix-cli or another window may have
// changed the exclusions or the game directory since this window started.

void frmMain::cmdRandomize_Click() {
    if (m_windows.refreshSettings(*m_messages)) {
        RandomizeCommand(m_state, *m_messages, tickedGameTypes());
    }
}

void frmMain::cmdAddInt_Click() {
    if (m_windows.refreshSettings(*m_messages)) {
        ServerPackagesCommand(m_state, *m_messages);
    }
}

void frmMain::cmdDelete_Click() {
    if (m_windows.refreshSettings(*m_messages)) {
        DeleteBackups(m_state, *m_messages);
    }
}

void frmMain::cmdDMExcl_Click() {
    if (!m_editor) {
        if (!m_windows.refreshSettings(*m_messages)) {
            return;
        }
        m_editor = new frmRandomize(m_windows, this);
    }
    showWindow(m_editor);
    hide();
}

void frmMain::mnuFileGameDir_Click() {
    // An open dialog keeps what the user has typed into it.
    if (m_windows.options() || m_windows.refreshSettings(*m_messages)) {
        m_windows.showOptions();
    }
}

void frmMain::mnuFileRestore_Click() {
    if (!m_windows.refreshSettings(*m_messages)) {
        return;
    }
    if (m_restore) {
        m_restore->refresh();
    } else {
        m_restore = new frmRestore(m_state, *m_messages, m_windows.messagesFactory());
    }
    showWindow(m_restore);
}

void frmMain::mnuFileCheck_Click() {
    if (!m_windows.refreshSettings(*m_messages)) {
        return;
    }
    if (m_check) {
        m_check->refresh();
    } else {
        m_check = new frmCheck(
            m_state, *m_messages, m_windows.messagesFactory(),
            [this](Messages& messages) { return m_windows.refreshSettings(messages); });
    }
    showWindow(m_check);
}

void frmMain::mnuFileExit_Click() {
    close();
}

void frmMain::mnuHelpHelp_Click() {
    platform::openDocument(platform::joinPath(platform::programDirectory(), {"Rendix.htm"}));
}

void frmMain::mnuHelpAbout_Click() {
    m_windows.showAbout();
}

}  // namespace rendix
