#include "ui/frmOptions.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

#include "app/Failures.h"
#include "app/Install.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "platform/GamePlaces.h"
#include "platform/KnownFolders.h"
#include "platform/Paths.h"
#include "ui/ProgramIcon.h"
#include "ui/Twips.h"
#include "ui/WholeLines.h"
#include "ui/WindowCoordinator.h"
#include "ui/frmMain.h"

namespace rendix {

namespace {

// The bytes of a shown text: `known` while the text is what `known` shows, so that a name
// that is not UTF-8 survives; the text encoded once the user has changed it.
QByteArray bytesOf(const QString& text, const QByteArray& known) {
    return !known.isEmpty() && QFile::decodeName(known) == text ? known : QFile::encodeName(text);
}

bool samePath(const QByteArray& a, const QByteArray& b) {
    return platform::resolvePath(a).value_or(a) == platform::resolvePath(b).value_or(b);
}

}  // namespace

frmOptions::frmOptions(ModMain& state, WindowCoordinator& windows)
    : NoCancelDialog(nullptr), m_state(state), m_windows(windows) {
    setObjectName(QStringLiteral("frmOptions"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Rendix - Options"));
    setWindowIcon(programIcon());
    auto* layout = new TwipsLayout(this);
    const Follow centred{.moveX = 0.5};

    auto* label = new QLabel(QStringLiteral("UnrealTournament Directory:"), this);
    label->setObjectName(QStringLiteral("LblSelectPath"));
    label->setAlignment(Qt::AlignCenter);
    layout->place(label, {840, 120, 2040, 195}, centred);

    m_txtUTPath = new QLineEdit(defaultPath(), this);
    m_txtUTPath->setObjectName(QStringLiteral("txtUTPath"));
    layout->place(m_txtUTPath, {600, 480, 2415, 285}, {.growX = 1});

    auto* cmdBrowse = new QPushButton(QStringLiteral("&Browse"), this);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    layout->place(cmdBrowse, {960, 840, 1695, 375}, centred);

    // The installs that the launchers' own files point to, for a user who does not know
    // where the game went; the paths are long, so the list takes the dialog's whole width.
    auto* lblInstalls = new QLabel(QStringLiteral("Installs found on this computer:"), this);
    lblInstalls->setObjectName(QStringLiteral("LblInstalls"));
    layout->place(lblInstalls, {240, 1335, 3120, 195}, {.growX = 1});

    m_lstInstalls = new QListWidget(this);
    m_lstInstalls->setObjectName(QStringLiteral("lstInstalls"));
    auto* installLines = new WholeLines(m_lstInstalls);
    layout->place(m_lstInstalls, {240, 1575, 3120, 1080}, {.growX = 1});
    m_installs = findInstalls(m_state.UTDir, m_state.ConfigFile);
    for (const FoundInstall& found : m_installs) {
        auto* item = new QListWidgetItem(QFile::decodeName(found.gameDir) + QStringLiteral("  (") +
                                             QFile::decodeName(found.foundBy) + QLatin1Char(')'),
                                         m_lstInstalls);
        item->setToolTip(item->text());
    }
    installLines->linesChanged();

    // Below the directory: the file the game reads and the length of the map lists, which
    // most users never change; OK confirms them all, so it comes last.
    constexpr int below = 1440;  // the room the installs take
    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->place(line, {240, below + 1365, 3120, 30}, {.growX = 1});

    auto* lblConfigFile = new QLabel(QStringLiteral("Configuration File:"), this);
    lblConfigFile->setObjectName(QStringLiteral("LblConfigFile"));
    lblConfigFile->setAlignment(Qt::AlignCenter);
    layout->place(lblConfigFile, {840, below + 1515, 2040, 195}, centred);

    m_cboConfigFile = new QComboBox(this);
    m_cboConfigFile->setObjectName(QStringLiteral("cboConfigFile"));
    m_cboConfigFile->setEditable(true);
    m_cboConfigFile->setInsertPolicy(QComboBox::NoInsert);
    // A long path must not widen the whole dialog; the box scrolls, the open list shows it.
    m_cboConfigFile->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cboConfigFile->setMinimumContentsLength(8);
    layout->place(m_cboConfigFile, {600, below + 1875, 2415, 315}, {.growX = 1});

    auto* cmdBrowseConfig = new QPushButton(QStringLiteral("C&hoose File..."), this);
    cmdBrowseConfig->setObjectName(QStringLiteral("cmdBrowseConfig"));
    layout->place(cmdBrowseConfig, {960, below + 2295, 1695, 375}, centred);

    auto* lblMapsPerList = new QLabel(QStringLiteral("&Maps per list:"), this);
    lblMapsPerList->setObjectName(QStringLiteral("LblMapsPerList"));
    lblMapsPerList->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->place(lblMapsPerList, {600, below + 2835, 1440, 315}, centred);

    m_txtMapsPerList = new QSpinBox(this);
    m_txtMapsPerList->setObjectName(QStringLiteral("txtMapsPerList"));
    m_txtMapsPerList->setRange(1, kMaxMapsPerList);
    m_txtMapsPerList->setToolTip(
        QStringLiteral("More than 32 needs patch 469c or later of the game"));
    lblMapsPerList->setBuddy(m_txtMapsPerList);
    layout->place(m_txtMapsPerList, {2160, below + 2835, 855, 315}, centred);

    auto* cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    layout->place(cmdOK, {1320, below + 3390, 975, 375}, centred);

    layout->apply({3600, below + 3885}, Qt::Horizontal);
    // The paths are what the user picks by: the dialog opens wide enough for them.
    widenBy(this, m_lstInstalls->sizeHintForColumn(0) + 2 * m_lstInstalls->frameWidth() -
                      m_lstInstalls->width());
    const QList<QWidget*> tabOrder{
        m_txtUTPath,     cmdBrowse,        m_lstInstalls, m_cboConfigFile,
        cmdBrowseConfig, m_txtMapsPerList, cmdOK};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
    m_txtUTPath->setFocus();

    connect(cmdBrowse, &QPushButton::clicked, this, &frmOptions::cmdBrowse_Click);
    connect(cmdBrowseConfig, &QPushButton::clicked, this, &frmOptions::cmdBrowseConfig_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(m_txtUTPath, &QLineEdit::textChanged, this, &frmOptions::txtUTPath_Change);
    connect(m_lstInstalls, &QListWidget::currentRowChanged, this, &frmOptions::lstInstalls_Click);
    // Only the user's own choice holds the file against a change of the directory.
    connect(m_cboConfigFile->lineEdit(), &QLineEdit::textEdited, this,
            [this] { m_configPicked = true; });
    connect(m_cboConfigFile, &QComboBox::activated, this, [this] { m_configPicked = true; });
    m_messages = m_windows.messagesFactory()(this, nullptr);
    Form_Load();
}

frmOptions::~frmOptions() = default;

QString frmOptions::defaultPath() {
    return QFile::decodeName(platform::suggestedGameDirectory());
}

void frmOptions::setPath(const QByteArray& path) {
    m_pathBytes = path;
    m_txtUTPath->setText(QFile::decodeName(path));
}

void frmOptions::Form_Load() {
    if (!m_state.UTDir.isEmpty()) {
        setPath(m_state.UTDir);
    }
    txtUTPath_Change();
    if (m_state.UTDir.isEmpty() && m_installs.size() == 1) {
        // A first start: the one install there is, for the user to confirm.
        m_lstInstalls->setCurrentRow(0);
    }
    if (!m_state.ConfigFile.isEmpty()) {
        m_configBytes = m_state.ConfigFile;
        m_cboConfigFile->setEditText(QFile::decodeName(m_state.ConfigFile));
    }
    m_txtMapsPerList->setValue(m_state.MapsPerList);
}

QByteArray frmOptions::typedDirectory() const {
    return bytesOf(m_txtUTPath->text(), m_pathBytes);
}

QByteArray frmOptions::typedConfigFile() const {
    const QString text = m_cboConfigFile->currentText();
    const int item = m_cboConfigFile->findText(text);
    return bytesOf(text, item >= 0 ? m_cboConfigFile->itemData(item).toByteArray() : m_configBytes);
}

void frmOptions::txtUTPath_Change() {
    const std::vector<QByteArray> candidates =
        Install::configCandidates(platform::expandUserPath(typedDirectory()));
    const QString picked = m_cboConfigFile->currentText();
    m_cboConfigFile->clear();
    for (const QByteArray& file : candidates) {
        m_cboConfigFile->addItem(QFile::decodeName(file), file);
    }
    // The file the game reads by itself, where there is just one.
    m_cboConfigFile->setEditText(m_configPicked           ? picked
                                 : candidates.size() == 1 ? QFile::decodeName(candidates.front())
                                                          : QString());
}

void frmOptions::lstInstalls_Click(int row) {
    if (row < 0 || row >= static_cast<int>(m_installs.size())) {
        return;
    }
    const FoundInstall& found = m_installs[static_cast<std::size_t>(row)];
    m_configPicked = false;
    setPath(found.gameDir);
    txtUTPath_Change();  // also where the path box held this directory already
    // A LinuxGSM server's instance file is no file the game finds by itself.
    if (!found.configFile.isEmpty()) {
        m_configBytes = found.configFile;
        m_cboConfigFile->setEditText(QFile::decodeName(found.configFile));
    }
}

void frmOptions::cmdBrowse_Click() {
    m_windows.showPicker();
}

void frmOptions::cmdBrowseConfig_Click() {
    const QByteArray typed = platform::expandUserPath(typedConfigFile());
    const QByteArray start =
        typed.isEmpty() ? platform::joinPath(platform::expandUserPath(typedDirectory()), {"System"})
                        : typed;
    auto* dialog = new QFileDialog(
        this, QStringLiteral("Rendix - Configuration File"), QFile::decodeName(start),
        QStringLiteral("Configuration files (*.ini *.INI);;All files (*)"));
    dialog->setObjectName(QStringLiteral("dlgConfigFile"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    // Qt's own dialog can show hidden folders such as ~/.utpg.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFilter(dialog->filter() | QDir::Hidden);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& file) {
        m_configPicked = true;
        m_configBytes.clear();
        m_cboConfigFile->setEditText(file);
    });
    dialog->show();
}

void frmOptions::cmdOK_Click() {
    confirm();
}

bool frmOptions::confirm() {
    // Kept exactly as typed: a trailing separator stays, and the test path simply doubles
    // it. Only a leading "~/" is replaced by the home folder, and the real path is stored:
    // the game, and Rendix run from elsewhere, have no idea of "~".
    const QByteArray dir = platform::expandUserPath(typedDirectory());
    const QByteArray typedConfig = platform::expandUserPath(typedConfigFile());
    if (!typedConfig.isEmpty() && !platform::lookupFile(typedConfig)) {
        m_messages->show(configFileMissingMessage(typedConfig));
        return false;
    }
    if (!isGameDirectory(dir, typedConfig)) {
        m_messages->show(invalidPathMessage(dir));
        return false;
    }
    // The file the game finds by itself needs no key, so that a settings file of old stays
    // as it was unless the user chooses another file.
    const Install found = Install::locate(dir, {});
    const bool foundByItself =
        typedConfig.isEmpty() || (m_state.ConfigFile.isEmpty() && found.hasConfigFile() &&
                                  samePath(typedConfig, found.configFile()));
    const QByteArray config = foundByItself ? QByteArray() : typedConfig;
    if (config.isEmpty() && found.needsChoice()) {
        m_windows.askConfigFile(found.candidates(),
                                [dialog = QPointer<frmOptions>(this)](const QByteArray& file) {
                                    if (!dialog) {
                                        return true;
                                    }
                                    dialog->m_configPicked = true;
                                    dialog->m_configBytes = file;
                                    dialog->m_cboConfigFile->setEditText(QFile::decodeName(file));
                                    return dialog->confirm();
                                });
        return false;
    }

    // The start-up chose the file for the run, under the name its folder stores. The values
    // go in in one rewrite, and into the shared state only once they are in the file, so the
    // two never disagree.
    std::vector<std::pair<QByteArray, QByteArray>> values{{"UTDir", dir}};
    if (config != m_state.ConfigFile) {
        values.emplace_back("ConfigFile", config);
    }
    const int maps = m_txtMapsPerList->value();
    if (maps != m_state.MapsPerList) {
        values.emplace_back("MapsPerList", QByteArray::number(maps));
    }
    if (const Result written = writeMainSettings(m_state.settingsPath, values); !written) {
        m_messages->show(writeFailedMessage(m_state.settingsPath, written));
        return false;
    }
    m_state.UTDir = dir;
    m_state.ConfigFile = config;
    m_state.MapsPerList = maps;
    m_windows.installChanged();
    m_windows.showMainWindow();
    // Should a fresh start-up have asked for a directory again, this dialog stays for it.
    if (m_windows.mainWindow() && m_windows.mainWindow()->isVisible()) {
        close();
    }
    return true;
}

}  // namespace rendix
