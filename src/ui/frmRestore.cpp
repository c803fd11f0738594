#include "ui/frmRestore.h"

#include <QFile>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "app/Install.h"
#include "app/UnifiedDiff.h"
#include "platform/Files.h"
#include "ui/ProgramIcon.h"
#include "ui/Twips.h"

namespace rendix {

namespace {

QString madeText(const BackupInfo& backup) {
    return backup.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace

frmRestore::frmRestore(ModMain& state, Messages& mainMessages, const MessagesFactory& messages)
    : QWidget(nullptr), m_state(state), m_mainMessages(mainMessages) {
    setObjectName(QStringLiteral("frmRestore"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Rendix - Restore Backup"));
    setWindowIcon(programIcon());
    auto* layout = new TwipsLayout(this);

    m_lblBackups = new QLabel(this);
    m_lblBackups->setObjectName(QStringLiteral("lblBackups"));
    m_lblBackups->setTextFormat(Qt::PlainText);
    layout->place(m_lblBackups, {120, 120, 8760, 255}, {.growX = 1});

    m_lstBackups = new QTreeWidget(this);
    m_lstBackups->setObjectName(QStringLiteral("lstBackups"));
    m_lstBackups->setHeaderLabels(
        {QStringLiteral("Made"), QStringLiteral("Size"), QStringLiteral("File")});
    m_lstBackups->setRootIsDecorated(false);
    m_lstBackups->setUniformRowHeights(true);
    m_lstBackups->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lstBackups->header()->setStretchLastSection(true);
    layout->place(m_lstBackups, {120, 480, 8760, 1800}, {.growX = 1, .growY = 0.3});

    auto* lblDiff = new QLabel(
        QStringLiteral("Lines where the selected backup differs from the current file:"), this);
    lblDiff->setObjectName(QStringLiteral("lblDiff"));
    layout->place(lblDiff, {120, 2400, 8760, 255}, {.growX = 1, .moveY = 0.3});

    m_txtDiff = new QPlainTextEdit(this);
    m_txtDiff->setObjectName(QStringLiteral("txtDiff"));
    m_txtDiff->setReadOnly(true);
    m_txtDiff->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtDiff->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->place(m_txtDiff, {120, 2760, 8760, 3000}, {.growX = 1, .moveY = 0.3, .growY = 0.7});

    m_cmdRestore = new QPushButton(QStringLiteral("&Restore"), this);
    m_cmdRestore->setObjectName(QStringLiteral("cmdRestore"));
    layout->place(m_cmdRestore, {6600, 5880, 1095, 375}, {.moveX = 1, .moveY = 1});

    auto* cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    layout->place(cmdClose, {7785, 5880, 1095, 375}, {.moveX = 1, .moveY = 1});

    layout->apply({9000, 6375}, Qt::Horizontal | Qt::Vertical);
    setTabOrder(m_lstBackups, m_txtDiff);
    setTabOrder(m_txtDiff, m_cmdRestore);
    setTabOrder(m_cmdRestore, cmdClose);

    m_messages = messages(this, nullptr);
    connect(m_lstBackups, &QTreeWidget::itemSelectionChanged, this,
            &frmRestore::lstBackups_SelectionChanged);
    connect(m_cmdRestore, &QPushButton::clicked, this, &frmRestore::cmdRestore_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    refresh();
}

frmRestore::~frmRestore() = default;

void frmRestore::refresh() {
    const Install install = Install::of(m_state);
    bool listed = true;
    m_backups = listBackups(install, &listed);
    m_lblBackups->setText(
        install.hasConfigFile()
            ? QStringLiteral("Backups of ") + QFile::decodeName(install.configFile()) +
                  QStringLiteral(", newest first:")
            : QStringLiteral("There is no configuration file, so there are no backups to "
                             "restore."));
    if (!listed) {
        m_lblBackups->setText(QStringLiteral("The folder ") +
                              QFile::decodeName(install.configFolder()) +
                              QStringLiteral(" cannot be listed."));
    }
    m_lstBackups->clear();
    const QLocale locale;
    for (const BackupInfo& backup : m_backups) {
        auto* item = new QTreeWidgetItem(m_lstBackups,
                                         {madeText(backup), locale.formattedDataSize(backup.size),
                                          QFile::decodeName(backup.name)});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(2, QFile::decodeName(backup.path));
    }
    for (int column = 0; column < 2; ++column) {
        m_lstBackups->resizeColumnToContents(column);
    }
    if (!m_backups.empty()) {
        m_lstBackups->setCurrentItem(m_lstBackups->topLevelItem(0));
    }
    lstBackups_SelectionChanged();
}

void frmRestore::lstBackups_SelectionChanged() {
    const int row = m_lstBackups->indexOfTopLevelItem(m_lstBackups->currentItem());
    m_cmdRestore->setEnabled(row >= 0);
    if (row < 0) {
        m_txtDiff->clear();
        return;
    }
    const BackupInfo& backup = m_backups[static_cast<std::size_t>(row)];
    const QByteArray current = Install::of(m_state).configFile();
    const QByteArray diff =
        unifiedDiff(platform::readFile(current).value_or(QByteArray()),
                    platform::readFile(backup.path).value_or(QByteArray()), current, backup.path);
    m_txtDiff->setPlainText(diff.isEmpty()
                                ? QStringLiteral("The backup holds the same bytes as the file.")
                                : QString::fromLocal8Bit(QByteArray(diff).replace("\r\n", "\n")));
}

void frmRestore::cmdRestore_Click() {
    const int row = m_lstBackups->indexOfTopLevelItem(m_lstBackups->currentItem());
    if (row < 0) {
        return;
    }
    const BackupInfo backup = m_backups[static_cast<std::size_t>(row)];
    const QByteArray config = Install::of(m_state).configFile();
    const Message question{QStringLiteral("Replace ") + QFile::decodeName(config) +
                               QStringLiteral(" with the backup ") +
                               QFile::decodeName(backup.name) + QStringLiteral(", made ") +
                               madeText(backup) +
                               QStringLiteral("?\n\nThe current file is backed up first, so "
                                              "this can be undone."),
                           QStringLiteral("Restore backup"), MessageButtons::YesNo,
                           MessageAnswer::No, MessageIcon::None};
    if (m_messages->show(question) != MessageAnswer::Yes) {
        return;
    }
    // The result goes to the main window's status line, as every command's does; a failure
    // box shows over this window.
    RestoreBackup(m_state, m_mainMessages, backup);
    refresh();
}

}  // namespace rendix
