#include "ui/frmOptions.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/Failures.h"
#include "app/Startup.h"
#include "ini/IniHandler.h"
#include "ui/ProgramIcon.h"
#include "ui/Twips.h"
#include "ui/WindowCoordinator.h"
#include "ui/WindowMessages.h"
#include "ui/frmMain.h"

namespace rendix {

frmOptions::frmOptions(ModMain& state, WindowCoordinator& windows)
    : NoCancelDialog(nullptr), m_state(state), m_windows(windows) {
    setObjectName(QStringLiteral("frmOptions"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Rendix - Options"));
    setWindowIcon(programIcon());
    TwipsLayout layout;

    auto* label = new QLabel(QStringLiteral("UnrealTournament Directory:"), this);
    label->setObjectName(QStringLiteral("LblSelectPath"));
    label->setAlignment(Qt::AlignCenter);
    layout.place(label, {840, 120, 2040, 195});

    m_txtUTPath = new QLineEdit(defaultPath(), this);
    m_txtUTPath->setObjectName(QStringLiteral("txtUTPath"));
    layout.place(m_txtUTPath, {600, 480, 2415, 285});

    auto* cmdBrowse = new QPushButton(QStringLiteral("&Browse"), this);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    layout.place(cmdBrowse, {960, 840, 1695, 375});

    auto* cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    layout.place(cmdOK, {1320, 1320, 975, 375});

    layout.apply(this, {3600, 1800});
    setTabOrder(m_txtUTPath, cmdBrowse);
    setTabOrder(cmdBrowse, cmdOK);
    m_txtUTPath->setFocus();

    connect(cmdBrowse, &QPushButton::clicked, this, &frmOptions::cmdBrowse_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    m_messages = std::make_unique<WindowMessages>(this);
    Form_Load();
}

frmOptions::~frmOptions() = default;

QString frmOptions::defaultPath() {
    return QDir::homePath() + QStringLiteral("/UnrealTournament");
}

void frmOptions::setPath(const QString& path) {
    m_txtUTPath->setText(path);
}

void frmOptions::Form_Load() {
    if (!m_state.UTDir.isEmpty()) {
        m_txtUTPath->setText(QFile::decodeName(m_state.UTDir));
    }
}

void frmOptions::cmdBrowse_Click() {
    m_windows.showPicker();
}

void frmOptions::cmdOK_Click() {
    // Kept exactly as typed: a trailing separator stays, and the test path simply doubles it.
    const QByteArray dir = QFile::encodeName(m_txtUTPath->text());
    if (!isGameDirectory(dir)) {
        m_messages->show(invalidPathMessage());
        return;
    }
    // The start-up chose the file for the run, under the name its folder stores.
    if (!WriteKeyValue(m_state.settingsPath, QByteArrayLiteral("Main"), QByteArrayLiteral("UTDir"),
                       dir)) {
        m_messages->show(writeFailedMessage(m_state.settingsPath));
        return;
    }
    m_state.UTDir = dir;
    m_windows.showMainWindow();
    // Should a fresh start-up have asked for a directory again, this dialog stays for it.
    if (m_windows.mainWindow() && m_windows.mainWindow()->isVisible()) {
        close();
    }
}

}  // namespace rendix
